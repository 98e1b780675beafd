// The time from a Next command to the new picture being in the image window:
// read, render, decode, present and paint, on Qt's offscreen platform, over a
// collection of 1052 x 660 images. Previous walks back when the end is reached.
// The same for a re-render (Contrast Up and Down in turn). Each runs with the
// Histogram window closed and open: while it is open every render is measured
// and drawn there too.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <QApplication>
#include <QByteArray>

#include <benchmark/benchmark.h>

#include "app/main_form.h"
#include "core/image_state.h"

namespace {

constexpr int kImages = 20;
constexpr int kLength = 1052 * 660;

std::filesystem::path MakeCollection() {
    // A folder of this run's own: two runs at once must not share their images.
    const auto folder = std::filesystem::temp_directory_path() / ("dusk-gui-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::mt19937 random(7);
    std::string bytes(kLength, '\0');
    for (int i = 0; i < kImages; ++i) {
        for (char& b : bytes) b = static_cast<char>(60 + random() % 120);
        char name[32];
        std::snprintf(name, sizeof name, "V05%02d.img", i + 1);
        std::ofstream(folder / name, std::ios::binary).write(bytes.data(), kLength);
    }
    return folder;
}

// Opens the first image of `folder` in `form`, with the Histogram window open or closed.
void OpenFirst(dusk::app::TMainForm& form, const std::filesystem::path& folder, bool histogram) {
    form.showMaximized();
    form.OpenFromCommandLine(QByteArray::fromStdString((folder / "V0501.img").string()));
    if (histogram) form.ToggleHistogram();
    QApplication::processEvents();
}

void BM_NextStep(benchmark::State& bench, bool despeckle, bool histogram) {
    const auto folder = MakeCollection();
    dusk::ResetState();
    dusk::State().DefaultOptions[dusk::OptDespeckle] = despeckle ? 1 : 0;
    dusk::app::TMainForm form;
    OpenFirst(form, folder, histogram);
    bool forward = true;
    for (auto _ : bench) {
        const auto& s = dusk::State();
        if (forward && s.FilePosition == s.FileCount) forward = false;
        if (!forward && s.FilePosition == 1) forward = true;
        if (forward) {
            form.Next();
        } else {
            form.Previous();
        }
        QApplication::processEvents();  // the window paints the new picture
    }
    std::filesystem::remove_all(folder);
}

void BM_ContrastStep(benchmark::State& bench, bool histogram) {
    const auto folder = MakeCollection();
    dusk::ResetState();
    dusk::app::TMainForm form;
    OpenFirst(form, folder, histogram);
    bool up = true;
    for (auto _ : bench) {
        if (up) {
            form.ContrastUp();
        } else {
            form.ContrastDown();
        }
        up = !up;
        QApplication::processEvents();  // both windows paint
    }
    std::filesystem::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    for (const bool histogram : {false, true}) {
        const std::string window = histogram ? "/histogram-open" : "";
        benchmark::RegisterBenchmark(("GuiNextStep/1052x660" + window).c_str(), BM_NextStep, false, histogram)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
        benchmark::RegisterBenchmark(("GuiNextStep/1052x660/despeckle" + window).c_str(), BM_NextStep, true,
                                     histogram)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
        benchmark::RegisterBenchmark(("GuiContrastStep/1052x660" + window).c_str(), BM_ContrastStep, histogram)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
