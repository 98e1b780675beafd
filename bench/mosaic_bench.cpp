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
#include "quad20.h"

namespace {

using dusk::bench::TheQuad;

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
