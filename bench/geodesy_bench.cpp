// SPDX-License-Identifier: GPL-3.0-or-later
// The measures while the pointer moves (a line, a polygon, a crater) and a
// profile along a 1,500-sample line, on a Lambert conformal map of Venus
// (the profile on a polar stereographic one too).
#include <cmath>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "geo/geodesy.h"

namespace {

constexpr int kSide = 2048;

dusk::MapProjection Lambert() {
    dusk::MapProjection p;
    p.type = "LAMBERT CONFORMAL";
    p.aAxisRadius = p.bAxisRadius = p.cAxisRadius = 6051.8;
    p.centerLatitude = 50;
    p.centerLongitude = 30;
    p.firstStandardParallel = 40;
    p.secondStandardParallel = 60;
    p.lineProjectionOffset = 1024;
    p.sampleProjectionOffset = 1024;
    p.mapScale = 0.75;
    return p;
}

// `count` points around a circle of the raster, as a drawn line or polygon.
std::vector<dusk::RasterPoint> Around(int count) {
    std::vector<dusk::RasterPoint> points;
    for (int i = 0; i < count; ++i) {
        const double angle = 6.0 * i / count;
        points.push_back({1024 + 700 * std::cos(angle), 1024 + 600 * std::sin(angle)});
    }
    return points;
}

void BM_Line(benchmark::State& bench) {
    const dusk::RasterGeodesy geodesy(Lambert());
    const std::vector<dusk::RasterPoint> points = Around(static_cast<int>(bench.range(0)));
    for (auto _ : bench) benchmark::DoNotOptimize(geodesy.Line(points));
}

void BM_Polygon(benchmark::State& bench) {
    const dusk::RasterGeodesy geodesy(Lambert());
    const std::vector<dusk::RasterPoint> corners = Around(static_cast<int>(bench.range(0)));
    for (auto _ : bench) benchmark::DoNotOptimize(geodesy.Polygon(corners));
}

void BM_Crater(benchmark::State& bench) {
    const dusk::RasterGeodesy geodesy(Lambert());
    const dusk::RasterCircle rim{{300.5, 1700.25}, 40};
    for (auto _ : bench) benchmark::DoNotOptimize(geodesy.Crater(rim));
}

// The north polar stereographic map of the sample tiles, 1 km per sample.
dusk::MapProjection Polar() {
    dusk::MapProjection p = Lambert();
    p.type = "POLAR STEREOGRAPHIC";
    p.centerLatitude = 90;
    p.centerLongitude = 0;
    p.mapScale = 1;
    return p;
}

// The profile with the file's values read at its points, as the plot needs;
// on the Lambert map (0) or the polar one (1).
void BM_Profile1500(benchmark::State& bench) {
    const dusk::MapProjection tile = dusk::bench::PolarMap();
    const dusk::RasterGeodesy geodesy(bench.range(0) == 0 ? Lambert() : bench.range(0) == 1 ? Polar() : tile);
    std::vector<std::uint8_t> raster(static_cast<std::size_t>(kSide) * kSide);
    for (std::size_t i = 0; i < raster.size(); ++i) raster[i] = static_cast<std::uint8_t>(i * 7);
    const dusk::RasterPoint from = bench.range(0) == 2 ? dusk::RasterPoint{5, 5} : dusk::RasterPoint{200.5, 300.5};
    const dusk::RasterPoint to = bench.range(0) == 2 ? dusk::RasterPoint{1030, 1115}
                                                     : dusk::RasterPoint{200.5 + 1200, 300.5 + 900};  // 1,500 samples
    for (auto _ : bench) {
        const dusk::Profile profile = geodesy.ProfileAlong(from, to, kSide, kSide);
        unsigned sum = 0;
        for (const dusk::ProfilePoint& p : profile.points) {
            sum += raster[static_cast<std::size_t>(p.row) * kSide + static_cast<std::size_t>(p.column)];
        }
        benchmark::DoNotOptimize(sum);
    }
}

}  // namespace

BENCHMARK(BM_Line)->Arg(2)->Arg(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Polygon)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Crater)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Profile1500)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
