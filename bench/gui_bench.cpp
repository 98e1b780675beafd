// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's own steps on Qt's offscreen platform (one 1920 x 1080
// screen unless QT_QPA_PLATFORM says otherwise), each through to the painted
// window: Next (read, render, decode, present and paint) over a collection,
// at one pixel per sample and at Fit to Window; a zoom step; and the repaint
// after a pan. Previous walks back when the end is reached. Next and a
// re-render (Contrast Up and Down in turn) also run with the Histogram window
// open, which measures and draws every render. The Collection Overview of
// 1,000 entries: its first screenful, all of it with the event loop's
// latency meanwhile, and the memory its thumbnails take. The tiles' outlines
// over a browse image of the sample volume, repainted. The measuring tools
// on a polar map of 1 km per sample: the live figures of a line of four
// segments as the pointer moves, alone and with the repaint of the picture
// and its marks; a profile along a line of 1,500 samples.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QScrollArea>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include "app/child.h"
#include "app/main_form.h"
#include "app/measure_tool.h"
#include "app/measure_tools.h"
#include "app/picture_view.h"
#include "app/vector_state.h"
#include "bench_support.h"
#include "app/overview_window.h"
#include "core/image_state.h"

namespace {

using dusk::bench::PolarMap;
using dusk::bench::ResidentKiB;

constexpr int kImages = 20;

struct Geometry {
    int width;
    int height;
};
constexpr Geometry kWide{1052, 660};    // 694,320 bytes
constexpr Geometry kTall{1036, 1120};  // 1,160,320 bytes

std::filesystem::path MakeCollection(Geometry geometry) {
    // A folder of this run's own: two runs at once must not share their images.
    const auto folder = std::filesystem::temp_directory_path() / ("dusk-gui-bench-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::mt19937 random(7);
    const int length = geometry.width * geometry.height;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    for (int i = 0; i < kImages; ++i) {
        for (char& b : bytes) b = static_cast<char>(60 + random() % 120);
        char name[32];
        std::snprintf(name, sizeof name, "V05%02d.img", i + 1);
        std::ofstream(folder / name, std::ios::binary).write(bytes.data(), length);
    }
    return folder;
}

// The main window, maximised, with the first image of a fresh collection
// open, despeckled or not, in an image window of its opening size or
// maximised (the most room to paint).
struct Session {
    Session(Geometry geometry, bool despeckle, bool maximised) : folder(MakeCollection(geometry)) {
        dusk::ResetState();
        dusk::State().DefaultOptions[dusk::OptDespeckle] = despeckle ? 1 : 0;
        form.showMaximized();
        form.OpenFromCommandLine(QByteArray::fromStdString((folder / "V0501.img").string()));
        if (maximised) form.CurrentChild()->showMaximized();
        QApplication::processEvents();
    }
    ~Session() { std::filesystem::remove_all(folder); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::filesystem::path folder;
    dusk::app::TMainForm form;
};

void BM_NextStep(benchmark::State& bench, Geometry geometry, bool despeckle, bool fitted, bool histogram) {
    Session session(geometry, despeckle, fitted);
    if (fitted) session.form.FitToWindow();
    if (histogram) session.form.ToggleHistogram();
    bool forward = true;
    for (auto _ : bench) {
        const auto& s = dusk::State();
        if (forward && s.FilePosition == s.FileCount) forward = false;
        if (!forward && s.FilePosition == 1) forward = true;
        if (forward) {
            session.form.Next();
        } else {
            session.form.Previous();
        }
        QApplication::processEvents();  // the window paints the new picture
    }
}

void BM_ContrastStep(benchmark::State& bench, bool histogram) {
    Session session(kWide, false, false);
    if (histogram) session.form.ToggleHistogram();
    bool up = true;
    for (auto _ : bench) {
        if (up) {
            session.form.ContrastUp();
        } else {
            session.form.ContrastDown();
        }
        up = !up;
        QApplication::processEvents();  // both windows paint
    }
}

// Every step in turn, up to 16 and down to 1/8 and up again.
void BM_ZoomStep(benchmark::State& bench) {
    Session session(kTall, false, true);
    dusk::app::TChild* child = session.form.CurrentChild();
    bool in = true;
    for (auto _ : bench) {
        if (in && child->Scale() >= 16) in = false;
        if (!in && child->Scale() <= 1.0 / 8) in = true;
        if (in) {
            session.form.ZoomIn();
        } else {
            session.form.ZoomOut();
        }
        QApplication::processEvents();
    }
}

// Between 1 and 2/3 and back: the whole picture averaged down at every other step.
void BM_ZoomStepShrink(benchmark::State& bench) {
    Session session(kTall, false, true);
    dusk::app::TChild* child = session.form.CurrentChild();
    for (auto _ : bench) {
        if (child->Scale() < 1) {
            session.form.ActualSize();
        } else {
            session.form.ZoomOut();
        }
        QApplication::processEvents();
    }
}

// Panning by 37 logical pixels each way and back, at the zoom `steps` steps
// above 1.
void BM_PanRepaint(benchmark::State& bench, int steps) {
    Session session(kTall, false, true);
    for (int i = 0; i < steps; ++i) session.form.ZoomIn();
    auto* scroll = session.form.CurrentChild()->findChild<QScrollArea*>("ImageScroll");
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
        QApplication::processEvents();  // the window paints what came into view
    }
}

// A collection of 1,000 entries of 1052 x 660: ten distinct images, each
// under 100 names (hard links, so the folder takes 7 MB of disk).
constexpr int kEntries = 1000;

std::filesystem::path MakeLargeCollection() {
    const auto folder = std::filesystem::temp_directory_path() / ("dusk-gui-bench-1000-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::mt19937 random(11);
    const int length = kWide.width * kWide.height;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    for (int i = 0; i < kEntries; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "V05%04d.img", i);
        if (i < 10) {
            for (char& b : bytes) b = static_cast<char>(60 + random() % 120);
            std::ofstream(folder / name, std::ios::binary).write(bytes.data(), length);
        } else {
            char original[32];
            std::snprintf(original, sizeof original, "V05%04d.img", i % 10);
            std::filesystem::create_hard_link(folder / original, folder / name);
        }
    }
    return folder;
}


// Each iteration opens the first entry anew (no thumbnail kept), opens the
// overview and runs the event loop until the first screenful (`all` false)
// or every entry is rendered. Meanwhile a 5 ms probe timer measures how
// late the event loop answers.
void BM_Overview(benchmark::State& bench, bool all) {
    const std::filesystem::path folder = MakeLargeCollection();
    dusk::ResetState();
    dusk::app::TMainForm form;
    form.showMaximized();
    QApplication::processEvents();
    const QByteArray first = QByteArray::fromStdString((folder / "V050000.img").string());
    auto* overview = form.findChild<dusk::app::TOverviewWindow*>("OverviewWindow");
    double worstLatency = 0;
    long residentGrowth = 0;
    long residentBefore = -1;  // before the first overview of the run
    qsizetype pictureBytes = 0;
    for (auto _ : bench) {
        if (form.CurrentChild() != nullptr) form.CloseImage();
        QApplication::processEvents();
        form.OpenFromCommandLine(first);
        QApplication::processEvents();
        if (residentBefore < 0) residentBefore = ResidentKiB();

        QEventLoop loop;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(5);
        QElapsedTimer sinceTick;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            worstLatency = std::max(worstLatency, sinceTick.nsecsElapsed() / 1e6 - 5);
            sinceTick.restart();
            if (all ? overview->Rendered() == overview->Count() : overview->ViewRendered()) loop.quit();
        });
        QElapsedTimer clock;
        clock.start();
        form.ToggleOverview();
        sinceTick.start();
        probe.start();
        loop.exec();
        bench.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (all) {
            residentGrowth = ResidentKiB() - residentBefore;
            pictureBytes = overview->PictureBytes();
        }
    }
    bench.counters["latency_max_ms"] = worstLatency;
    if (all) {
        bench.counters["thumbnails_MiB"] = static_cast<double>(pictureBytes) / (1 << 20);
        // The thumbnails, the workers' records and what the allocator keeps.
        bench.counters["rss_growth_MiB"] = static_cast<double>(residentGrowth) / 1024;
    }
    std::filesystem::remove_all(folder);
}

// The picture of the sample volume's browse image V05.img with its 16 tiles'
// outlines, repainted whole (the picture under them included) and, for the
// outlines' own share, without them.
void BM_FootprintsRepaint(benchmark::State& bench, bool footprints) {
    const auto folder = std::filesystem::temp_directory_path() / ("dusk-gui-bench-quad-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    if (std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + folder.string() + "\" > /dev/null").c_str()) != 0) {
        bench.SkipWithError("the sample volume could not be made");
        return;
    }
    dusk::ResetState();
    dusk::app::TMainForm form;
    form.showMaximized();
    form.OpenFromCommandLine(QByteArray::fromStdString((folder / "V05.img").string()));
    if (footprints) form.ToggleFootprints();
    QApplication::processEvents();
    QWidget* view = form.CurrentChild()->findChild<QWidget*>("Image");
    for (auto _ : bench) view->repaint();
    std::filesystem::remove_all(folder);
}


// The computation alone: the pointer's new place and the figures of the
// line drawn so far to it.
void BM_MeasureLive(benchmark::State& bench) {
    const dusk::RasterGeodesy geodesy(PolarMap());
    dusk::app::DistanceTool tool;
    for (const dusk::RasterPoint p : {dusk::RasterPoint{100, 100}, {300, 180}, {420, 400}, {600, 420}}) {
        tool.Press(p);
        tool.Release(p, 1);
    }
    double x = 0;
    for (auto _ : bench) {
        x = x > 400 ? 0 : x + 1;
        tool.Move({700 + x, 500 - x / 2});
        benchmark::DoNotOptimize(tool.LiveText(geodesy));
    }
}

// A pointer move over the picture with the Distance tool drawing, through
// to the painted window (the status bar, the picture and its marks).
void BM_MeasureMoveRepaint(benchmark::State& bench) {
    Session session(kWide, false, false);
    dusk::State().Projection = PolarMap();
    session.form.ContrastUp();  // shown again: measured on the map
    auto* tools = session.form.findChild<dusk::app::MeasureTools*>("MeasureTools");
    tools->Use(dusk::MarkKind::Distance);
    auto* view = session.form.CurrentChild()->findChild<dusk::app::TPictureView*>("Image");
    const auto send = [view](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    };
    for (const QPointF p : {QPointF(100, 100), QPointF(300, 180), QPointF(420, 400)}) {
        send(QEvent::MouseButtonPress, p, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, p, Qt::NoButton);
    }
    QApplication::processEvents();
    double x = 0;
    for (auto _ : bench) {
        x = x > 200 ? 0 : x + 1;
        send(QEvent::MouseMove, QPointF(500 + x, 450 - x / 2), Qt::NoButton);
        QApplication::processEvents();  // the overlay and the status bar paint
    }
}

// The profile of a 1,500-sample line across a 1036 x 1120 image: its points
// with their distances on the body and the file's and the shown values.
void BM_Profile1500(benchmark::State& bench, bool values, bool window) {
    const dusk::RasterGeodesy geodesy(PolarMap());
    std::optional<Session> session;
    if (window) session.emplace(kTall, false, false);
    const QImage picture = window ? session->form.CurrentChild()->Picture() : QImage();
    const dusk::DisplayMapping mapping = dusk::CurrentDisplayMapping();
    std::size_t points = 0;
    for (auto _ : bench) {
        dusk::app::ClearUpperVectorState();  // as the program does before a profile
        const dusk::Profile profile = geodesy.ProfileAlong({5, 5}, {1030, 1115}, kTall.width, kTall.height);
        points = profile.points.size();
        if (!values) continue;
        const std::vector<dusk::app::ProfileValue> plotted = dusk::app::ProfileValues(profile, picture, mapping);
        benchmark::DoNotOptimize(plotted.data());
    }
    bench.counters["points"] = static_cast<double>(points);
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path screens;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        screens = std::filesystem::temp_directory_path() / "dusk-gui-bench-screens.json";
        std::ofstream(screens) << R"({"screens":[{"name":"bench","width":1920,"height":1080,"logicalDpi":96}]})";
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.string()).c_str(), 1);
    }
    QApplication app(argc, argv);
    const auto fast = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5)->ReportAggregatesOnly(true);
    };
    for (const bool histogram : {false, true}) {
        const std::string window = histogram ? "/histogram-open" : "";
        fast(benchmark::RegisterBenchmark(("GuiNextStep/1052x660" + window).c_str(), BM_NextStep, kWide, false, false,
                                          histogram));
        fast(benchmark::RegisterBenchmark(("GuiContrastStep/1052x660" + window).c_str(), BM_ContrastStep, histogram));
    }
    fast(benchmark::RegisterBenchmark("GuiNextStep/1052x660/despeckle", BM_NextStep, kWide, true, false, false));
    fast(benchmark::RegisterBenchmark("GuiNextStep/1036x1120", BM_NextStep, kTall, false, false, false));
    fast(benchmark::RegisterBenchmark("GuiNextStep/1036x1120/fit", BM_NextStep, kTall, false, true, false));
    fast(benchmark::RegisterBenchmark("GuiZoomStep/1036x1120", BM_ZoomStep));
    fast(benchmark::RegisterBenchmark("GuiZoomStep/1036x1120/1-2_3", BM_ZoomStepShrink));
    fast(benchmark::RegisterBenchmark("GuiPanRepaint/1036x1120/16x", BM_PanRepaint, 8));
    fast(benchmark::RegisterBenchmark("GuiPanRepaint/1036x1120/2x", BM_PanRepaint, 2));
    fast(benchmark::RegisterBenchmark("GuiPanRepaint/1036x1120/1x", BM_PanRepaint, 0));
    fast(benchmark::RegisterBenchmark("GuiFootprintsRepaint/16-tiles", BM_FootprintsRepaint, true));
    fast(benchmark::RegisterBenchmark("GuiFootprintsRepaint/none", BM_FootprintsRepaint, false));
    const auto micro = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMicrosecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);
    };
    micro(benchmark::RegisterBenchmark("MeasureLive/distance-4-segments", BM_MeasureLive));
    micro(benchmark::RegisterBenchmark("GuiMeasureMove/1052x660", BM_MeasureMoveRepaint));
    micro(benchmark::RegisterBenchmark("GuiProfile/1500-samples", BM_Profile1500, true, true));
    micro(benchmark::RegisterBenchmark("GuiProfile/1500-samples/geodesy-only", BM_Profile1500, false, true));
    micro(benchmark::RegisterBenchmark("GuiProfile/1500-samples/geodesy-only/no-window", BM_Profile1500, false, false));
    for (const bool all : {false, true}) {
        benchmark::RegisterBenchmark(all ? "GuiOverview/1000x1052x660/all" : "GuiOverview/1000x1052x660/first-screen",
                                     BM_Overview, all)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(all ? 5 : 10)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!screens.empty()) std::filesystem::remove(screens);
    return 0;
}
