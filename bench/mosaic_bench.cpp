// SPDX-License-Identifier: GPL-3.0-or-later
// The mosaic of a quad of 20 tiles of 1052 x 660 (five across, four down, on
// one 1 km Lambert grid): the plan, every tile rendered and placed on 2
// threads, the first screenful (the tiles under a 960 x 560 view at one
// sample per pixel, in its middle), and the COG GeoTIFF and PNG writers.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "mosaic/mosaic.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 1052;
constexpr int kHeight = 660;
constexpr int kAcross = 5;
constexpr int kDown = 4;

std::string Label(const std::string& name, int column, int row) {
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

const Quad20& TheQuad() {
    static Quad20 quad;
    return quad;
}

dusk::MosaicPlan Plan() { return dusk::PlanMosaic(TheQuad().folder.string(), TheQuad().names, "V2001.img", {}); }

void BM_MosaicPlan(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Plan());
}
BENCHMARK(BM_MosaicPlan)->Unit(benchmark::kMillisecond);

void BM_MosaicEveryTile2Threads(benchmark::State& state) {
    for (auto _ : state) {
        dusk::MosaicPlan plan = Plan();
        if (plan.tiles.size() != 20u) state.SkipWithError("the quad has no 20 tiles");
        benchmark::DoNotOptimize(dusk::BuildMosaic(plan, 2));
    }
}
BENCHMARK(BM_MosaicEveryTile2Threads)->Unit(benchmark::kMillisecond)->UseRealTime();

// The plan and the tiles under a 960 x 560 view in the middle of the mosaic,
// on 2 threads, placed.
void BM_MosaicFirstScreenful(benchmark::State& state) {
    for (auto _ : state) {
        dusk::MosaicPlan plan = Plan();
        dusk::MosaicCanvas canvas(plan.grid);
        const int left = (plan.grid.width - 960) / 2;
        const int top = (plan.grid.height - 560) / 2;
        std::vector<std::size_t> seen;
        for (std::size_t i = 0; i < plan.tiles.size(); ++i) {
            const dusk::MosaicTile& t = plan.tiles[i];
            if (t.right > left && t.left < left + 960 && t.bottom > top && t.top < top + 560) seen.push_back(i);
        }
        std::vector<dusk::RenderedTile> tiles(seen.size());
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t k = next++; k < seen.size(); k = next++) tiles[k] = dusk::RenderMosaicTile(plan, seen[k]);
        };
        std::thread other(work);
        work();
        other.join();
        for (const dusk::RenderedTile& tile : tiles) dusk::PlaceTile(canvas, tile);
        state.counters["tiles"] = static_cast<double>(seen.size());
    }
}
BENCHMARK(BM_MosaicFirstScreenful)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MosaicWriteCog(benchmark::State& state) {
    dusk::MosaicPlan plan = Plan();
    const dusk::MosaicCanvas canvas = dusk::BuildMosaic(plan, 2);
    const std::string path = (TheQuad().folder / "quad.tif").string();
    for (auto _ : state) {
        std::string error;
        if (!dusk::WriteMosaicGeoTiff(canvas, plan.grid, path, error)) state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_MosaicWriteCog)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MosaicWritePng(benchmark::State& state) {
    dusk::MosaicPlan plan = Plan();
    const dusk::MosaicCanvas canvas = dusk::BuildMosaic(plan, 2);
    const std::string path = (TheQuad().folder / "quad.png").string();
    for (auto _ : state) {
        std::string error;
        if (!dusk::WriteMosaicPng(canvas, path, error)) state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_MosaicWritePng)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
