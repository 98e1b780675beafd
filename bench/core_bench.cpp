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
#include "core/geometry.h"
#include "core/image_state.h"
#include "core/label.h"
#include "core/pipeline.h"
#include "core/read_image.h"
#include "filters/filters.h"

namespace {

using dusk::State;

struct Geometry {
    int length, width, height;
};
constexpr Geometry kGeometries[] = {
    {694320, 1052, 660}, {926280, 996, 932}, {1160320, 1036, 1120}, {959440, 1072, 896}};

// Radar-like samples: a smooth ramp with noise and some impulses.
void FillSamples(int length) {
    std::mt19937 random(42);
    std::uint8_t* raw = State().RawImage.get();
    for (int k = 0; k < length; ++k) {
        int v = 90 + (k % 1052) / 12 + static_cast<int>(random() % 40);
        if (random() % 500 == 0) v = (random() & 1) ? 250 : 5;
        raw[k] = static_cast<std::uint8_t>(v);
    }
}

// Sets up the record as a load of a file of `length` bytes leaves it.
void PrepareImage(int length) {
    dusk::ResetState();
    dusk::SetDespeckleParameters();
    dusk::AllocateWorkingBuffers();
    State().FileLength = length;
    State().CurrentFileName = "V0501.img";
    FillSamples(length);
    dusk::DeriveGeometry();
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
    PrepareImage(kGeometries[geometry].length);
    SetAllOptions(true);
    State().ActiveOptions[dusk::OptFlipVertically] = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        dusk::RestoreFromOriginal();
        bench.ResumeTiming();
        stage();
        benchmark::ClobberMemory();
    }
    dusk::ReleaseWorkingBuffers();
}

// A whole re-render as an option command makes it: fresh buffers, restore,
// pipeline, release.
void BM_Rerender(benchmark::State& bench, int geometry, bool allOptions) {
    PrepareImage(kGeometries[geometry].length);
    dusk::ReleaseWorkingBuffers();
    SetAllOptions(allOptions);
    for (auto _ : bench) {
        dusk::WorkingBuffers guard;
        dusk::AllocateWorkingBuffers();
        dusk::RestoreFromOriginal();
        dusk::RenderPipeline();
        benchmark::DoNotOptimize(State().BitmapImage.get());
    }
    bench.SetLabel(std::to_string(kGeometries[geometry].width) + "x" + std::to_string(kGeometries[geometry].height));
}

// A load from a file: read, geometry, label, list, render.
void BM_Load(benchmark::State& bench) {
    const auto folder = std::filesystem::temp_directory_path() / ("dusk-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    PrepareImage(694320);
    std::ofstream(folder / "V0501.img", std::ios::binary)
        .write(reinterpret_cast<const char*>(State().RawImage.get()), 694320);
    std::ofstream(folder / "V0501.lbl", std::ios::binary) << std::string(5360, 'L');
    dusk::ReleaseWorkingBuffers();
    State().DirectoryPath = folder.string() + "/";
    State().CurrentImagePath = (folder / "V0501.img").string();
    for (auto _ : bench) {
        dusk::WorkingBuffers guard;
        dusk::ReadImageFile();
        dusk::DeriveGeometry();
        benchmark::DoNotOptimize(dusk::ReadImageLabel());
        dusk::TakeDefaultOptions();
        dusk::RenderPipeline();
    }
    std::filesystem::remove_all(folder);
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
    benchmark::RegisterBenchmark("Load/1052x660", BM_Load)->Unit(benchmark::kMillisecond);
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
