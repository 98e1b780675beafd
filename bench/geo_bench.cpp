// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a label's georeference and checking it against its bounds: what a
// step through a volume adds to each load.
#include <string>

#include <benchmark/benchmark.h>

#include "core/label_keywords.h"
#include "core/label_map.h"
#include "core/odl.h"
#include "geo/label_georeference.h"
#include "../tests/real_labels.h"

namespace {

// The whole of it from the label's text: keywords, map figures, check.
void BM_UnderstandLabel(benchmark::State& bench, const char* text) {
    for (auto _ : bench) {
        const dusk::OdlLabel label = dusk::ParseOdl(text);
        const auto raster = dusk::ImageGeometryOf(label);
        benchmark::DoNotOptimize(dusk::UnderstandLabelMap(dusk::ReadLabelMap(label), raster->lineSamples,
                                                          raster->lines, "X.lbl"));
    }
}

// A projection seen for the first time: PROJ builds its transformations.
void BM_UnderstandNewProjection(benchmark::State& bench) {
    const dusk::OdlLabel label = dusk::ParseOdl(real_labels::kFmidrFramelet);
    dusk::LabelMap map = dusk::ReadLabelMap(label);
    double shift = 0.0;
    for (auto _ : bench) {
        shift += 1e-6;
        for (dusk::MapProjection& p : map.readings) p.centerLongitude = 149.1556 + shift;
        benchmark::DoNotOptimize(dusk::UnderstandLabelMap(map, 1024, 1024, "X.lbl"));
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_UnderstandLabel, FmidrCatalog, real_labels::kFmidrFramelet)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_UnderstandLabel, AreciboFlat, real_labels::kAreciboSouth)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_UnderstandLabel, LolaPolar, real_labels::kLolaSouthPole)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnderstandNewProjection)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
