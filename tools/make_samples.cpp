// SPDX-License-Identifier: GPL-3.0-or-later
// duskmapper-samples OUTDIR: writes a small, fixed collection of radar-like
// test images into OUTDIR (created if missing). The same bytes come out on
// every run and every machine: all randomness comes from a fixed-seed
// generator of our own, never from the standard library's distributions.
//
// Each image is a shaded relief (rolling plains, ridge belts, craters) lit
// from the left as a side-looking radar sees it, with multiplicative speckle,
// isolated bright and dark impulses and a few blank scan lines, single and
// doubled. Its length is one of the known geometries' file lengths, or, for
// two of them, a length that matches none. Most images have a detached
// keyword label of 78-character lines ending in CR LF, in code page 1250,
// that describes the file's whole lines and, for most, the map projection.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast and identical everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

// Value noise on a lattice of random values, smoothly interpolated.
class Lattice {
public:
    Lattice(Random& random, int width, int height, float cell)
        : cell_(cell),
          columns_(static_cast<int>(width / cell) + 3),
          rows_(static_cast<int>(height / cell) + 3),
          values_(static_cast<std::size_t>(columns_) * rows_) {
        for (float& v : values_) v = random.Unit();
    }
    float At(float x, float y) const {
        const float fx = x / cell_;
        const float fy = y / cell_;
        const int ix = static_cast<int>(fx);
        const int iy = static_cast<int>(fy);
        const float tx = Smooth(fx - ix);
        const float ty = Smooth(fy - iy);
        const float* row0 = &values_[static_cast<std::size_t>(iy) * columns_ + ix];
        const float* row1 = row0 + columns_;
        const float top = row0[0] + (row0[1] - row0[0]) * tx;
        const float bottom = row1[0] + (row1[1] - row1[0]) * tx;
        return top + (bottom - top) * ty;
    }

private:
    static float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }
    float cell_;
    int columns_;
    int rows_;
    std::vector<float> values_;
};

struct Sample {
    const char* name;
    int width;           // samples per row as the data was taken
    std::int32_t length; // bytes in the file
    int craters;
    const char* placeName;  // code page 1250
    bool label;
    int labelLines;  // lines of the label at least; more than 67 for a long one
    char projection;  // 'P' polar stereographic, 'L' Lambert conformal, 0 none
};

// Blank scan lines: single ones and doubled ones.
struct BlankLines {
    std::vector<int> single;
    std::vector<int> doubled;  // first row of each pair
};

std::vector<std::uint8_t> MakeRelief(const Sample& sample, std::uint64_t seed) {
    const int w = sample.width;
    const int h = (sample.length + w - 1) / w;
    Random random(seed);

    // Height: rolling plains, a belt of ridges running along the belt, craters.
    // Each noise layer is sampled in its own turned frame so that no lattice
    // grid shows; the lattices span the largest turned extent.
    const int span = w + h + 2;
    Lattice broad(random, span, span, 170.0f);
    Lattice middle(random, span, span, 55.0f);
    Lattice fine(random, span, span, 16.0f);
    Lattice folds(random, span, span, 9.0f);
    Lattice albedo(random, span, span, 80.0f);
    const float beltAngle = random.Range(0.25f, 1.3f);
    const float beltCos = std::cos(beltAngle);
    const float beltSin = std::sin(beltAngle);
    const float beltCentre = random.Range(0.3f, 0.7f) * (h * beltCos + w * beltSin);
    const float beltHalfWidth = random.Range(110.0f, 200.0f);
    auto turned = [](const Lattice& lattice, float x, float y, float c, float s, float offset) {
        return lattice.At(x * c + y * s, y * c - x * s + offset);
    };
    const float wf = static_cast<float>(w);

    std::vector<float> height(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            float z = 70.0f * turned(broad, fx, fy, 0.96f, 0.28f, 0.28f * wf) +
                      18.0f * turned(middle, fx, fy, 0.60f, 0.80f, 0.80f * wf) +
                      5.0f * turned(fine, fx, fy, 0.28f, 0.96f, 0.96f * wf);
            // Ridged noise stretched along the belt, strongest at its middle.
            const float along = fx * beltCos + fy * beltSin;
            const float across = fy * beltCos - fx * beltSin + beltSin * wf;
            const float inBelt = (across - beltCentre) / beltHalfWidth;
            const float belt = std::max(0.0f, 1.0f - inBelt * inBelt);
            const float ridge = 1.0f - std::fabs(2.0f * folds.At(along * 0.12f, across) - 1.0f);
            z += 16.0f * belt * ridge * ridge;
            height[static_cast<std::size_t>(y) * w + x] = z;
        }
    }
    for (int c = 0; c < sample.craters; ++c) {
        const float cx = random.Range(0.0f, static_cast<float>(w));
        const float cy = random.Range(0.0f, static_cast<float>(h));
        const float radius = random.Range(12.0f, 70.0f);
        const float depth = radius * random.Range(0.35f, 0.6f);
        const float rim = depth * 0.45f;
        const int reach = static_cast<int>(radius * 1.8f) + 1;
        for (int y = std::max(0, static_cast<int>(cy) - reach); y < std::min(h, static_cast<int>(cy) + reach); ++y) {
            for (int x = std::max(0, static_cast<int>(cx) - reach); x < std::min(w, static_cast<int>(cx) + reach); ++x) {
                const float r = std::hypot(x - cx, y - cy) / radius;
                float dz = 0.0f;
                if (r < 1.0f) dz -= depth * (1.0f - r * r);
                const float edge = (r - 1.0f) / 0.25f;
                dz += rim * std::exp(-edge * edge);
                height[static_cast<std::size_t>(y) * w + x] += dz;
            }
        }
    }

    // Radar shading: slopes facing the radar (on the left) return more.
    std::vector<std::uint8_t> data(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const float* row = &height[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) {
            const float slope = row[std::max(0, x - 1)] - row[std::min(w - 1, x + 1)];
            const float rough = 0.75f + 0.5f * albedo.At(static_cast<float>(x), static_cast<float>(y));
            const float lit = 105.0f + 65.0f * std::tanh(slope * 0.45f);
            // Multiplicative speckle with a mean of 1.
            const float speckle = 1.0f + 0.4f * (random.Unit() + random.Unit() + random.Unit() - 1.5f);
            const float v = lit * rough * speckle;
            data[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(std::clamp(v, 1.0f, 254.0f));
        }
    }

    // Isolated impulses, about one in 700 samples.
    const std::size_t impulses = data.size() / 700;
    for (std::size_t i = 0; i < impulses; ++i) {
        const std::size_t k = static_cast<std::size_t>(random.Next() % data.size());
        data[k] = (random.Next() & 1) != 0 ? static_cast<std::uint8_t>(235 + random.Below(21))
                                           : static_cast<std::uint8_t>(random.Below(6));
    }

    // Blank scan lines, away from the first and last rows.
    BlankLines blank;
    for (int i = 0; i < 3; ++i) blank.single.push_back(2 + random.Below(h - 6));
    for (int i = 0; i < 2; ++i) blank.doubled.push_back(2 + random.Below(h - 6));
    auto clearRow = [&](int r) { std::fill_n(data.begin() + static_cast<std::ptrdiff_t>(r) * w, w, 0); };
    for (int r : blank.single) clearRow(r);
    for (int r : blank.doubled) {
        clearRow(r);
        clearRow(r + 1);
    }

    data.resize(static_cast<std::size_t>(sample.length));
    return data;
}

std::string Pad78(std::string line) {
    if (line.size() > 78) throw std::logic_error("a label line is longer than 78 characters: " + line);
    line.append(78 - line.size(), ' ');
    return line + "\r\n";
}

std::string Field(const std::string& key, const std::string& value) {
    std::string line = key;
    if (line.size() < 32) line.append(32 - line.size(), ' ');
    return Pad78(line + "= " + value);
}

std::string Number(const char* format, double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The map projection of a strip on a sphere of Venus' mean radius: polar
// stereographic about the north pole, with the pole below the strip, or
// two-parallel Lambert conformal centred on the strip.
std::string ProjectionObject(const Sample& sample, int index, int rows) {
    const bool polar = sample.projection == 'P';
    std::string text;
    text += Pad78("OBJECT                          = IMAGE_MAP_PROJECTION");
    text += Field("  MAP_PROJECTION_TYPE", polar ? "\"POLAR STEREOGRAPHIC\"" : "\"LAMBERT CONFORMAL CONIC\"");
    for (const char* axis : {"  A_AXIS_RADIUS", "  B_AXIS_RADIUS", "  C_AXIS_RADIUS"}) {
        text += Field(axis, "6051.8 <KM>");
    }
    if (polar) {
        text += Field("  CENTER_LATITUDE", "90.0 <DEG>");
    } else {
        const double middle = 52.0 + 3.0 * index;
        text += Field("  FIRST_STANDARD_PARALLEL", Number("%.1f <DEG>", middle - 8.0));
        text += Field("  SECOND_STANDARD_PARALLEL", Number("%.1f <DEG>", middle + 8.0));
        text += Field("  CENTER_LATITUDE", Number("%.1f <DEG>", middle));
    }
    text += Field("  CENTER_LONGITUDE", Number("%.1f <DEG>", 301.5 + 7.5 * index));
    // The pole lies off the strip, before its first line; a Lambert origin at its middle.
    text += Field("  LINE_PROJECTION_OFFSET", Number("%.1f", polar ? -(rows + 400.0 * (index + 1)) : rows / 2.0));
    text += Field("  SAMPLE_PROJECTION_OFFSET", Number("%.1f", sample.width / 2.0));
    text += Field("  MAP_SCALE", polar ? "1.0 <KM/PIXEL>" : "2.0 <KM/PIXEL>");
    text += Field("  POSITIVE_LONGITUDE_DIRECTION", "EAST");
    text += Pad78("END_OBJECT                      = IMAGE_MAP_PROJECTION");
    return text;
}

// A detached label: the volume's keywords, an IMAGE object describing the
// file's whole lines, for most images a map projection, a quoted NOTE over
// two lines and padding notes up to sample.labelLines lines.
std::string MakeLabel(const Sample& sample, int index) {
    const std::string name = sample.name;
    const std::string product = name.substr(0, name.find('.'));
    const int rows = sample.length / sample.width;
    const int orbit = 120 + 17 * index;
    char buffer[80];
    std::string text;
    text += Field("PDS_VERSION_ID", "PDS3");
    text += Field("RECORD_TYPE", "FIXED_LENGTH");
    text += Field("RECORD_BYTES", std::to_string(sample.width));
    text += Field("FILE_RECORDS", std::to_string(rows));
    text += Field("^IMAGE", "\"" + name + "\"");
    text += Field("DATA_SET_ID", "\"V15/V16-V-SAR-4-STRIP-V1.0\"");
    text += Field("PRODUCT_ID", "\"" + product + "\"");
    text += Field("VOLUME_ID", "\"" + product.substr(0, 3) + "\"");
    text += Field("SPACECRAFT_NAME", index % 2 == 0 ? "\"VENERA 15\"" : "\"VENERA 16\"");
    text += Field("INSTRUMENT_NAME", "\"SIDE-LOOKING RADAR\"");
    text += Field("TARGET_NAME", "VENUS");
    text += Field("ORBIT_NUMBER", std::to_string(orbit));
    std::snprintf(buffer, sizeof buffer, "1983-11-%02dT%02d:%02d:00", 3 + index, 4 + index, 10 + 3 * index);
    text += Field("START_TIME", buffer);
    std::snprintf(buffer, sizeof buffer, "1983-11-%02dT%02d:%02d:00", 3 + index, 4 + index, 26 + 3 * index);
    text += Field("STOP_TIME", buffer);
    text += Field("INCIDENCE_ANGLE", "10.0 <DEG>");
    text += Field("LOOK_DIRECTION", "LEFT");
    text += Field("PROCESSING_SITE", std::string("\"") + sample.placeName + "\"");
    text += Field("NOTE", "\"Strip digitised from the archive film");
    text += Pad78(std::string("   and checked at the station of ") + sample.placeName + ".");
    text += Pad78("   Speckle and isolated impulses are not removed.\"");
    text += Pad78("");
    text += Pad78("OBJECT                          = IMAGE");
    text += Field("  LINES", std::to_string(rows));
    text += Field("  LINE_SAMPLES", std::to_string(sample.width));
    text += Field("  SAMPLE_TYPE", "UNSIGNED_INTEGER");
    text += Field("  SAMPLE_BITS", "8");
    text += Field("  MISSING_LINES", "7");
    text += Pad78("END_OBJECT                      = IMAGE");
    text += Pad78("");
    if (sample.projection != 0) {
        text += ProjectionObject(sample, index, rows);
        text += Pad78("");
    }
    int lines = static_cast<int>(text.size() / 80);
    for (int note = 1; lines + 1 < sample.labelLines; ++note, ++lines) {
        std::snprintf(buffer, sizeof buffer, "/* Note %02d: frame %d of orbit %d, sweep corrected. */", note,
                      lines + 1, orbit);
        text += Pad78(buffer);
    }
    text += Pad78("END");
    return text;
}

bool WriteFile(const std::string& path, const void* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::cerr << "duskmapper-samples: cannot write " << path << ": " << std::strerror(errno) << '\n';
        return false;
    }
    return true;
}

// The label name of an image: the characters before ".img" or ".IMG" at
// position 4 or 6, followed by ".lbl".
std::string LabelName(const std::string& image) { return image.substr(0, image.find('.')) + ".lbl"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: duskmapper-samples OUTDIR\n";
        return 2;
    }
    std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir)) {
        std::cerr << "duskmapper-samples: cannot create " << dir << ": " << ec.message() << '\n';
        return 1;
    }
    if (dir.back() != '/') dir += '/';

    // Place names in code page 1250: Ondrejov with r-caron (0xF8), Stramberk
    // with S-caron (0x8A), Kosice with s-caron (0x9A), Hlucin with c-caron
    // (0xE8), Swietokrzyskie with S-acute (0x8C) and e-ogonek (0xEA).
    const Sample samples[] = {
        {"V0501.img", 1052, 694320, 9, "Ond\xF8" "ejov", true, 40, 'P'},
        {"V0502.IMG", 1036, 1160320, 14, "\x8Atramberk", true, 40, 'L'},
        {"V0503.img", 996, 926280, 11, "Ko\x9A" "ice", true, 40, 'L'},
        {"V0504.IMG", 1072, 959440, 12, "Hlu\xE8\xEDn", true, 72, 'P'},
        {"V0505.img", 996, 883452, 8, "\x8Cwi\xEAtokrzyskie", true, 40, 'L'},
        {"V0506.img", 1052, 489180, 6, "Ond\xF8" "ejov", true, 40, 'P'},
        {"V0507.IMG", 1036, 1159284, 13, "P\xF8\xED" "bram", true, 40, 'L'},
        {"V0508.img", 1052, 700000, 9, "Hlu\xE8\xEDn", false, 0, 0},  // unlisted length
        {"V0509.IMG", 996, 512000, 7, "Ko\x9A" "ice", false, 0, 0},   // unlisted length
        {"ed512.img", 996, 883456, 10, "\x8Atramberk", true, 40, 0},  // no volume prefix, no projection
    };

    int index = 0;
    for (const Sample& sample : samples) {
        const auto data = MakeRelief(sample, 0xD05C0000ull + static_cast<std::uint64_t>(index) * 7919);
        std::vector<std::uint8_t> bytes = data;
        if (std::string(sample.name) == "ed512.img") {
            // A line blank only over its first 140 samples: the rule for
            // names beginning with "ED" tests just that stretch.
            std::fill_n(bytes.begin() + 400 * sample.width, 140, 0);
        }
        if (!WriteFile(dir + sample.name, bytes.data(), bytes.size())) return 1;
        if (sample.label) {
            const std::string label = MakeLabel(sample, index);
            if (!WriteFile(dir + LabelName(sample.name), label.data(), label.size())) return 1;
        }
        ++index;
    }

    // A small file of the volume that is no image: the collection leaves it out.
    std::string info;
    info += Pad78("VOLUME V05: VENERA 15 AND 16 RADAR STRIPS, NORTHERN HEMISPHERE");
    info += Pad78("Files V0501 to V0509; labels beside the images (.lbl).");
    info += Pad78("Processing sites: Ond\xF8" "ejov, \x8Atramberk, Ko\x9A" "ice, Hlu\xE8\xEDn.");
    return WriteFile(dir + "V05INFO.TXT", info.data(), info.size()) ? 0 : 1;
}
