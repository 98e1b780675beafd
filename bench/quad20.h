// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A quad of 20 tiles of 1052 x 660 (five across, four down, on one 1 km
// Lambert grid, "V2001.img" ... "V2020.img" with labels), laid out once per
// run in a temporary folder, for the mosaic benchmarks.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace dusk::bench {

namespace fs = std::filesystem;

constexpr int kWidth = 1052;
constexpr int kHeight = 660;
constexpr int kAcross = 5;
constexpr int kDown = 4;

inline std::string Label(const std::string& name, int column, int row) {
    char text[2048];
    std::snprintf(text, sizeof text,
                  "PDS_VERSION_ID = PDS3\nRECORD_TYPE = FIXED_LENGTH\nRECORD_BYTES = %d\nFILE_RECORDS = %d\n"
                  "^IMAGE = \"%s\"\nTARGET_NAME = VENUS\nOBJECT = IMAGE\n  LINES = %d\n  LINE_SAMPLES = %d\n"
                  "  SAMPLE_TYPE = UNSIGNED_INTEGER\n  SAMPLE_BITS = 8\nEND_OBJECT = IMAGE\n"
                  "OBJECT = IMAGE_MAP_PROJECTION\n  MAP_PROJECTION_TYPE = \"LAMBERT_CONFORMAL_CONIC\"\n"
                  "  A_AXIS_RADIUS = 6051.8 <KM>\n  B_AXIS_RADIUS = 6051.8 <KM>\n  C_AXIS_RADIUS = 6051.8 <KM>\n"
                  "  FIRST_STANDARD_PARALLEL = 40.0 <DEG>\n  SECOND_STANDARD_PARALLEL = 60.0 <DEG>\n"
                  "  CENTER_LATITUDE = 50.0 <DEG>\n  CENTER_LONGITUDE = 30.0 <DEG>\n"
                  "  LINE_PROJECTION_OFFSET = %.1f\n  SAMPLE_PROJECTION_OFFSET = %.1f\n"
                  "  MAP_SCALE = 1.0 <KM/PIXEL>\n  POSITIVE_LONGITUDE_DIRECTION = EAST\n"
                  "END_OBJECT = IMAGE_MAP_PROJECTION\nEND\n",
                  kWidth, kHeight, name.c_str(), kHeight, kWidth, kDown * kHeight / 2.0 - row * kHeight - 0.5,
                  kAcross * kWidth / 2.0 - column * kWidth - 0.5);
    return text;
}

// The quad, laid out once per run in a temporary folder.
struct Quad20 {
    fs::path folder;
    std::vector<std::string> names;
    Quad20() {
        char pattern[] = "/tmp/dusk-mosaic-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        std::uint32_t seed = 12345;
        std::string samples(static_cast<std::size_t>(kWidth) * kHeight, '\0');
        for (int n = 1; n <= kAcross * kDown; ++n) {
            for (char& c : samples) {
                seed = seed * 1664525u + 1013904223u;
                c = static_cast<char>(1 + (seed >> 24) % 255);
            }
            char name[16];
            std::snprintf(name, sizeof name, "V20%02d.img", n);
            std::ofstream(folder / name, std::ios::binary) << samples;
            std::ofstream(folder / (std::string(name, 5) + ".lbl")) << Label(name, (n - 1) % kAcross, (n - 1) / kAcross);
            names.push_back(name);
        }
    }
    ~Quad20() { fs::remove_all(folder); }
};

inline const Quad20& TheQuad() {
    static Quad20 quad;
    return quad;
}

}  // namespace dusk::bench
