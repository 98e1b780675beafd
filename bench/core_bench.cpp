// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of each correction stage, of whole renders and of a load, at the
// geometries the collections hold.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "collection/file_list.h"
#include "core/image_state.h"
#include "filters/filters.h"
#include "load/load_image.h"
#include "load/thumbnail.h"
#include "render/pipeline.h"

namespace {

using dusk::State;

struct Geometry {
    int length, width, height;
};
constexpr Geometry kGeometries[] = {
    {694320, 1052, 660}, {926280, 996, 932}, {1160320, 1036, 1120}, {959440, 1072, 896}};

// A folder of the benchmark's own, removed at the end.
struct BenchFolder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("dusk-bench-" + std::to_string(::getpid()));
    BenchFolder() { std::filesystem::create_directories(path); }
    ~BenchFolder() { std::filesystem::remove_all(path); }
};

// Writes a radar-like image of `length` bytes: a smooth ramp with noise and
// some impulses.
std::string WriteSamples(const std::filesystem::path& folder, int length) {
    std::mt19937 random(42);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    for (int k = 0; k < length; ++k) {
        int v = 90 + (k % 1052) / 12 + static_cast<int>(random() % 40);
        if (random() % 500 == 0) v = (random() & 1) ? 250 : 5;
        bytes[static_cast<std::size_t>(k)] = static_cast<char>(v);
    }
    const std::string path = (folder / "V0501.img").string();
    std::ofstream(path, std::ios::binary).write(bytes.data(), length);
    return path;
}

// Loads an image of `length` bytes, as Open does, and keeps its buffers.
dusk::WorkingBuffers PrepareImage(int length) {
    dusk::ResetState();
    const BenchFolder folder;
    return dusk::LoadImage(WriteSamples(folder.path, length));
}

void SetAllOptions(bool on) {
    State().ActiveOptions.fill(0);
    if (!on) return;
    for (int slot : {dusk::OptStretch, dusk::OptDespeckle, dusk::OptFlipVertically, dusk::OptRotate,
                     dusk::OptInvert, dusk::OptMinimizeHalf, dusk::OptMissingLines}) {
        State().ActiveOptions[slot] = 1;
    }
    State().BrightnessOffset = 20;
    State().ContrastLevel = 1;
}

// One stage on samples restored from OriginalImage before every run (the
// restore is outside the timing).
void BM_Stage(benchmark::State& bench, void (*stage)(), int geometry) {
    const dusk::WorkingBuffers buffers = PrepareImage(kGeometries[geometry].length);
    SetAllOptions(true);
    State().ActiveOptions[dusk::OptFlipVertically] = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        std::memcpy(State().RawImage.get(), State().OriginalImage.data(), dusk::kRawImageSize);
        bench.ResumeTiming();
        stage();
        benchmark::ClobberMemory();
    }
}

// Both despeckle passes on uniform noise from 60 to 179, as the desktop
// benchmark's images are: about half the samples change in the first pass,
// many only once the one before them has.
void BM_DespeckleNoise(benchmark::State& bench) {
    const dusk::WorkingBuffers buffers = PrepareImage(694320);
    std::mt19937 random(7);
    for (int k = 0; k < 694320; ++k) State().OriginalImage[k] = static_cast<std::uint8_t>(60 + random() % 120);
    State().ActiveOptions.fill(0);
    State().ActiveOptions[dusk::OptDespeckle] = 1;
    for (auto _ : bench) {
        bench.PauseTiming();
        std::memcpy(State().RawImage.get(), State().OriginalImage.data(), dusk::kRawImageSize);
        bench.ResumeTiming();
        dusk::DespeckleFirstPass();
        dusk::DespeckleSecondPass();
        benchmark::ClobberMemory();
    }
}

// A whole re-render as an option command makes it: fresh buffers, restore,
// pipeline, release.
void BM_Rerender(benchmark::State& bench, int geometry, bool allOptions) {
    (void)PrepareImage(kGeometries[geometry].length);
    SetAllOptions(allOptions);
    for (auto _ : bench) {
        const dusk::WorkingBuffers buffers = dusk::Rerender({});
        benchmark::DoNotOptimize(buffers.Bitmap().data());
    }
    bench.SetLabel(std::to_string(kGeometries[geometry].width) + "x" + std::to_string(kGeometries[geometry].height));
}

// A load from a file: read, geometry, label, list, render.
void BM_Load(benchmark::State& bench) {
    dusk::ResetState();
    const BenchFolder folder;
    const std::string path = WriteSamples(folder.path, 694320);
    std::ofstream(folder.path / "V0501.lbl", std::ios::binary) << std::string(5360, 'L');
    for (auto _ : bench) {
        const dusk::WorkingBuffers buffers = dusk::LoadImage(path);
        benchmark::DoNotOptimize(buffers.Bitmap().data());
    }
}

// A thumbnail of the Collection Overview: a load as a step makes it, then
// the area average to 160 pixels.
void BM_Thumbnail(benchmark::State& bench) {
    dusk::ResetState();
    const BenchFolder folder;
    const std::string path = WriteSamples(folder.path, 694320);
    for (auto _ : bench) {
        const dusk::Thumbnail thumb = dusk::RenderThumbnail(path, {}, 160);
        benchmark::DoNotOptimize(thumb.grey.data());
    }
}

void BM_BuildFileList(benchmark::State& bench) {
    const auto folder = std::filesystem::temp_directory_path() / ("dusk-bench-list-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string block(10001, 'x');
    for (int i = 0; i < 1000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "V05%05d.IMG", i);
        std::ofstream(folder / name, std::ios::binary) << block;
    }
    dusk::ResetState();
    State().DirectoryPath = folder.string() + "/";
    State().CurrentFileName = "V0500500.IMG";
    for (auto _ : bench) dusk::BuildFileList();
    std::filesystem::remove_all(folder);
}

void RegisterAll() {
    for (int g = 0; g < 4; ++g) {
        const std::string size = std::to_string(kGeometries[g].width) + "x" + std::to_string(kGeometries[g].height);
        for (const auto& stage : dusk::RenderStages()) {
            benchmark::RegisterBenchmark(("Stage/" + std::string(stage.name) + "/" + size).c_str(), BM_Stage,
                                         stage.run, g)
                ->Unit(benchmark::kMicrosecond);
        }
        benchmark::RegisterBenchmark(("Render/default/" + size).c_str(), BM_Rerender, g, false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Render/all-options/" + size).c_str(), BM_Rerender, g, true)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("Despeckle/noise/1052x660", BM_DespeckleNoise)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Load/1052x660", BM_Load)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Thumbnail/1052x660/160", BM_Thumbnail)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BuildFileList/1000", BM_BuildFileList)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
