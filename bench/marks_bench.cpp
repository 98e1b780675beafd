// SPDX-License-Identifier: GPL-3.0-or-later
// The marks store: storing one mark (its transaction synced to disk), and
// reading the 1,000 marks of an image from a store that holds 10,000, and
// the key of a tile's contents, as opening the image does; the store lies in the user's temporary folder.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "marks/marks_store.h"

namespace {

std::string TemporaryStore() {
    std::string folder = (std::filesystem::temp_directory_path() / "dusk-marks-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) std::abort();
    return folder + "/marks.gpkg";
}

dusk::Mark Distance(int i) {
    dusk::Mark mark;
    mark.kind = dusk::MarkKind::Distance;
    mark.points = {{10.25 + i % 1000, 20.5}, {300.125, 400.0 + i % 600}, {512.0, 77.75}};
    mark.inKilometres = true;
    mark.latitude = 55.123456;
    mark.longitude = 31.654321;
    mark.length = 345.678;
    mark.note = "a ridge";
    return mark;
}

void BM_AddMark(benchmark::State& bench) {
    const std::string path = TemporaryStore();
    std::string error;
    auto store = dusk::MarksStore::Open(path, error);
    if (!store) {
        bench.SkipWithError(error.c_str());
        return;
    }
    int i = 0;
    for (auto _ : bench) {
        if (!store->Add("0123456789abcdef", "V0501.img", Distance(i++), error)) bench.SkipWithError(error.c_str());
    }
    store.reset();
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_AddMark)->Unit(benchmark::kMillisecond)->Iterations(200)->Repetitions(3)->ReportAggregatesOnly();

// Ten images of 1,000 marks each, made one image after another.
struct Filled {
    std::string path;
    ~Filled() { std::filesystem::remove_all(std::filesystem::path(path).parent_path()); }
};

const std::string& FilledStore() {
    static const Filled filled{[] {
        const std::string made = TemporaryStore();
        std::string error;
        auto store = dusk::MarksStore::Open(made, error);
        for (int image = 0; store && image < 10; ++image) {
            std::vector<dusk::Mark> marks;
            for (int i = 0; i < 1000; ++i) marks.push_back(Distance(i));
            store->AddAll("image" + std::to_string(image), "V0501.img", marks, error);
        }
        return made;
    }()};
    return filled.path;
}

void BM_MarksOfImage(benchmark::State& bench) {
    std::string error;
    auto store = dusk::MarksStore::Open(FilledStore(), error);
    if (!store) {
        bench.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : bench) {
        const auto marks = store->MarksOf("image3", error);
        if (marks.size() != 1000) bench.SkipWithError("not 1,000 marks");
        benchmark::DoNotOptimize(marks.data());
    }
}
BENCHMARK(BM_MarksOfImage)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();

// The key of a 1052 x 703 tile, taken at every opening.
void BM_ContentKey(benchmark::State& bench) {
    std::vector<std::uint8_t> tile(1052 * 703);
    for (std::size_t i = 0; i < tile.size(); ++i) tile[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    for (auto _ : bench) benchmark::DoNotOptimize(dusk::ContentKey(tile));
}
BENCHMARK(BM_ContentKey)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();
