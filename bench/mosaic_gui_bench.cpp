// SPDX-License-Identifier: GPL-3.0-or-later
// The Quad Mosaic window on Qt's offscreen platform (one 1920 x 1080 screen
// unless QT_QPA_PLATFORM says otherwise) over a quad of 20 tiles of
// 1052 x 660, two workers: every tile rendered, placed and shown, and the
// first screenful at one sample per pixel, each with the event loop's
// latency meanwhile (a 5 ms probe timer) and the memory the mosaic took; a
// zoom step and a pan repaint on the finished mosaic.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "app/quad_mosaic_window.h"
#include "bench_support.h"
#include "quad20.h"

namespace {

using dusk::bench::ResidentKiB;
using dusk::bench::TheQuad;


// Each iteration shows the quad anew in a fresh window and runs the event
// loop until every tile is shown (`all`) or those in view are.
void BM_MosaicWindow(benchmark::State& bench, bool all) {
    double worstLatency = 0;
    long growth = 0;
    for (auto _ : bench) {
        const long before = ResidentKiB();
        dusk::app::TQuadMosaicWindow window(nullptr, 2);
        window.resize(1200, 800);
        window.show();
        if (!all) window.ActualSize();
        QApplication::processEvents();
        QEventLoop loop;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(5);
        QElapsedTimer sinceTick;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            worstLatency = std::max(worstLatency, sinceTick.nsecsElapsed() / 1e6 - 5);
            sinceTick.restart();
            if (all ? window.Finished() : window.ViewPlaced()) loop.quit();
        });
        QElapsedTimer clock;
        clock.start();
        window.ShowQuad(TheQuad().folder.string(), TheQuad().names, "V2001.img", {});
        sinceTick.start();
        probe.start();
        loop.exec();
        bench.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (all) growth = ResidentKiB() - before;
        if (all && window.TilesPlaced() != 20) bench.SkipWithError("not every tile was placed");
    }
    bench.counters["latency_max_ms"] = worstLatency;
    if (all) bench.counters["rss_growth_MiB"] = static_cast<double>(growth) / 1024;
}

struct Finished {
    dusk::app::TQuadMosaicWindow window{nullptr, 2};
    Finished() {
        window.resize(1200, 800);
        window.show();
        window.ShowQuad(TheQuad().folder.string(), TheQuad().names, "V2001.img", {});
        while (!window.Finished()) QApplication::processEvents(QEventLoop::AllEvents, 5);
        QApplication::processEvents();
    }
};

// Zoom In and Zoom Out in turn, from `first` steps in or out of Fit to Window.
void BM_MosaicZoomStep(benchmark::State& bench, bool fromActual) {
    Finished session;
    if (fromActual) session.window.ActualSize();
    QApplication::processEvents();
    bool in = true;
    for (auto _ : bench) {
        if (in) {
            session.window.ZoomIn();
        } else {
            session.window.ZoomOut();
        }
        in = !in;
        QApplication::processEvents();
    }
}

void BM_MosaicPanRepaint(benchmark::State& bench) {
    Finished session;
    session.window.ActualSize();
    auto* scroll = session.window.findChild<QScrollArea*>();
    QScrollBar* across = scroll->horizontalScrollBar();
    QScrollBar* down = scroll->verticalScrollBar();
    across->setValue(across->maximum() / 2);
    down->setValue(down->maximum() / 2);
    QApplication::processEvents();
    int direction = 1;
    for (auto _ : bench) {
        across->setValue(across->value() + 37 * direction);
        down->setValue(down->value() + 37 * direction);
        direction = -direction;
        QApplication::processEvents();
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path screens;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        screens = std::filesystem::temp_directory_path() / "dusk-mosaic-bench-screens.json";
        std::ofstream(screens) << R"({"screens":[{"name":"bench","width":1920,"height":1080,"logicalDpi":96}]})";
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.string()).c_str(), 1);
    }
    QApplication app(argc, argv);
    for (const bool all : {false, true}) {
        benchmark::RegisterBenchmark(all ? "MosaicWindow/20x1052x660/all" : "MosaicWindow/20x1052x660/first-screen",
                                     BM_MosaicWindow, all)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(5)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true);
    }
    const auto fast = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(3)->ReportAggregatesOnly(true);
    };
    fast(benchmark::RegisterBenchmark("MosaicZoomStep/fit-and-in", BM_MosaicZoomStep, false));
    fast(benchmark::RegisterBenchmark("MosaicZoomStep/1-and-2", BM_MosaicZoomStep, true));
    fast(benchmark::RegisterBenchmark("MosaicPanRepaint/1x", BM_MosaicPanRepaint));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!screens.empty()) std::filesystem::remove(screens);
    return 0;
}
