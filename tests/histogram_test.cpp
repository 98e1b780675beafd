// SPDX-License-Identifier: GPL-3.0-or-later
// The Histogram window on Qt's offscreen platform: its figures and bars
// against a computation of their own from the picture the image window
// shows, the tone curve against what the render made of a one-level image,
// and the window's empty state without an image.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QtTest>

#include "app/histogram_chart.h"
#include "app_fixture.h"

using dusk::app::THistogramChart;

namespace {

using Counts = std::array<std::int64_t, 256>;
using dusk::test::kImageHeight;
using dusk::test::kImageLength;
using dusk::test::kImageWidth;

constexpr std::int64_t kEnteringSamples = 676629 - 968 + 1;  // the samples the tone mapping is given
const QStringList kFigureNames{"StatMinimum", "StatMaximum", "StatMean",  "StatMedian",
                               "StatStdDev",  "StatSamples", "StatBlack", "StatWhite"};

// V0501: a ramp from 0 to 255 across and down; V0502: a coarse pattern.
std::vector<std::uint8_t> Samples(int image) {
    std::vector<std::uint8_t> raw(kImageLength);
    for (int y = 0; y < kImageHeight; ++y) {
        for (int x = 0; x < kImageWidth; ++x) {
            const int v = image == 1 ? (x / 5 + y / 3) % 256 : 20 + (x * 7 + y * 13) % 200;
            raw[static_cast<std::size_t>(y * kImageWidth + x)] = static_cast<std::uint8_t>(v);
        }
    }
    return raw;
}

// The figures of `picture`, computed from its sorted grey levels, in the
// order of kFigureNames.
std::vector<double> Reference(const QImage& picture, Counts& counts) {
    std::vector<int> levels;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) levels.push_back(qGray(picture.pixel(x, y)));
    }
    std::sort(levels.begin(), levels.end());
    counts.fill(0);
    double sum = 0.0;
    for (const int v : levels) {
        ++counts[static_cast<std::size_t>(v)];
        sum += v;
    }
    const auto n = static_cast<double>(levels.size());
    double squares = 0.0;
    for (const int v : levels) squares += (v - sum / n) * (v - sum / n);
    return {double(levels.front()), double(levels.back()), sum / n, double(levels[(levels.size() + 1) / 2 - 1]),
            std::sqrt(squares / n), n, double(counts[0]), double(counts[255])};
}

}  // namespace

class HistogramTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init() { StartForm(); }
    void cleanup() { EndForm(); }

    void ctrlHOpensAndClosesTheWindow();
    void figuresFollowThePictureShown_data();
    void figuresFollowThePictureShown();
    void curveTakesEachLevelWhereTheRenderPutIt_data();
    void curveTakesEachLevelWhereTheRenderPutIt();
    void originalImageHasNoToneMapping();
    void emptyAfterTheImageWindowCloses_data();
    void emptyAfterTheImageWindowCloses();
    void hoverReadsBothCounts();

private:
    QWidget* Window() const { return form_->findChild<QWidget*>("HistogramWindow"); }
    const dusk::app::HistogramPlotData& Plot() const { return Window()->findChild<THistogramChart*>()->Data(); }
    QString Text(const QString& name) const { return Window()->findChild<QLabel*>(name)->text(); }
    QStringList Figures() const {
        QStringList texts;
        for (const QString& name : kFigureNames) texts << Text(name);
        return texts;
    }
    void ShowWindow() {
        if (!Window()->isVisible()) Trigger("Histogram1");
        QVERIFY(QTest::qWaitForWindowExposed(Window()));
    }
};

void HistogramTest::ctrlHOpensAndClosesTheWindow() {
    QWidget* window = Window();
    QVERIFY(window != nullptr && !window->isVisible());
    QAction* item = Action("Histogram1");
    QCOMPARE(item->text(), QStringLiteral("&Histogram"));
    QVERIFY(item->isCheckable() && !item->isChecked());

    QTest::keyClick(form_, Qt::Key_H, Qt::ControlModifier);
    QVERIFY(window->isVisible() && item->isChecked());
    QCOMPARE(window->windowTitle(), QStringLiteral("Histogram"));
    // A panel docked at the main window's right, closable and floatable.
    auto* dock = qobject_cast<QDockWidget*>(window->parentWidget());
    QVERIFY(dock != nullptr && !dock->isFloating());
    QCOMPARE(form_->dockWidgetArea(dock), Qt::RightDockWidgetArea);
    QVERIFY(dock->features().testFlags(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetFloatable));

    QTest::keyClick(form_, Qt::Key_H, Qt::ControlModifier);
    QVERIFY(!window->isVisible() && !item->isChecked());
    Trigger("Histogram1");
    window->close();
    QVERIFY(!item->isChecked() && dock->isHidden());
    Trigger("Histogram1");
    dock->close();  // its own close button
    QVERIFY(!item->isChecked() && !window->isVisible());

    OpenFile(WriteImage("V0501.img", Samples(1)));
    QVERIFY(item->isEnabled());
    Trigger("Histogram1");
    QVERIFY(window->isVisible() && item->isChecked() && item->isEnabled());
}

void HistogramTest::figuresFollowThePictureShown_data() {
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("openFirst");  // the window is open while the commands render
    QTest::addColumn<bool>("changes");    // the figures differ from those of the image as opened
    QTest::addColumn<QRect>("part");      // the part of the picture they measure
    const QRect whole(0, 0, kImageWidth, kImageHeight);
    const struct {
        QStringList commands;
        bool changes;
        QRect part;  // a reduced picture without its grey field
    } rows[] = {{{"ToolButton28"}, true, whole},
                {{"Next1"}, true, whole},
                {{"Next1", "Previous1"}, false, whole},
                {{"ToolButton13", "ToolButton20"}, true, whole},
                {{"ToolButton19", "ToolButton30"}, true, QRect(137, 69, 526, 330)},
                {{"ToolButton32"}, true, QRect(269, 152, 263, 165)},
                {{"ShadingUp1", "ShadingUp1"}, true, whole},
                {{"ContrastUp1", "OriginalImage1"}, false, whole}};  // the file's samples, upside down
    for (const auto& [commands, changes, part] : rows) {
        for (const bool openFirst : {true, false}) {
            QTest::addRow("%s%s", qPrintable(commands.join('+')), openFirst ? "" : ", opened after")
                << commands << openFirst << changes << part;
        }
    }
}

void HistogramTest::figuresFollowThePictureShown() {
    QFETCH(QStringList, commands);
    QFETCH(bool, openFirst);
    QFETCH(bool, changes);
    QFETCH(QRect, part);
    WriteImage("V0502.img", Samples(2));
    OpenFile(WriteImage("V0501.img", Samples(1)));
    ShowWindow();
    const QStringList before = Figures();
    if (!openFirst) Trigger("Histogram1");
    for (const QString& command : commands) Trigger(command);
    ShowWindow();

    Counts counts{};
    const std::vector<double> expected = Reference(form_->CurrentChild()->Picture().copy(part), counts);
    const QLocale english(QLocale::English);
    for (int i = 0; i < kFigureNames.size(); ++i) {
        bool number = false;
        const double shown = english.toDouble(Text(kFigureNames[i]), &number);
        QVERIFY2(number && std::abs(shown - expected[static_cast<std::size_t>(i)]) <= 0.005,
                 qPrintable(kFigureNames[i] + ": " + Text(kFigureNames[i])));
    }
    QVERIFY(Plot().shown == counts);
    QCOMPARE(Figures() != before, changes);
}

void HistogramTest::curveTakesEachLevelWhereTheRenderPutIt_data() {
    QTest::addColumn<int>("fill");
    QTest::addColumn<QStringList>("commands");
    QTest::newRow("as loaded") << 100 << QStringList{};
    QTest::newRow("contrast up") << 100 << QStringList{"ToolButton28"};
    QTest::newRow("brightness, contrast up") << 60 << QStringList{"ToolButton21", "ToolButton28"};
    QTest::newRow("contrast below its floor") << 201 << QStringList{"ToolButton27", "ToolButton27", "ToolButton27"};
    QTest::newRow("clipped at 255") << 250 << QStringList{"ToolButton21"};
    QTest::newRow("stretch") << 90 << QStringList{"ToolButton13"};
}

// A one-level image enters the tone mapping at that level alone, and every
// sample of the picture is shown at the curve's level for it.
void HistogramTest::curveTakesEachLevelWhereTheRenderPutIt() {
    QFETCH(int, fill);
    QFETCH(QStringList, commands);
    ShowWindow();
    OpenFile(WriteImage("V0501.img", fill));
    for (const QString& command : commands) Trigger(command);
    const auto& plot = Plot();
    QVERIFY(plot.toneMapped);
    QCOMPARE(plot.entering[static_cast<std::size_t>(fill)], kEnteringSamples);
    QCOMPARE(plot.shown[plot.curve[static_cast<std::size_t>(fill)]], std::int64_t{kImageLength});
    QCOMPARE(Shown(), int{plot.curve[static_cast<std::size_t>(fill)]});
}

void HistogramTest::originalImageHasNoToneMapping() {
    ShowWindow();
    Open(dir_->WriteFile("V0501.img", Samples(1)));
    Trigger("ToolButton28");
    Trigger("OriginalImage1");
    QVERIFY(!Plot().toneMapped);
    QVERIFY(Plot().entering == Counts{});
    QVERIFY(Text("CurveNote").contains("no tone mapping"));
    Trigger("ToolButton28");  // tone mapped again
    QVERIFY(Plot().toneMapped);
    QVERIFY(Plot().entering != Counts{});
    QVERIFY(Text("CurveNote").contains("shading ramp"));
}

void HistogramTest::emptyAfterTheImageWindowCloses_data() {
    QTest::addColumn<bool>("byCommand");
    QTest::newRow("Close Image") << true;
    QTest::newRow("the window's close") << false;
}

void HistogramTest::emptyAfterTheImageWindowCloses() {
    QFETCH(bool, byCommand);
    ShowWindow();
    const QStringList blank = Figures();
    QVERIFY(blank.join(QString()).isEmpty());
    OpenFile(WriteImage("V0501.img", Samples(1)));
    QVERIFY(Plot().hasPicture && Figures() != blank);
    if (byCommand) Trigger("CloseImage1");
    if (!byCommand) form_->CurrentChild()->close();
    QTRY_VERIFY(form_->CurrentChild() == nullptr);
    for (int reopen = 0; reopen < 2; ++reopen) {
        QVERIFY(!Plot().hasPicture);
        QVERIFY(Plot().shown == Counts{} && Plot().entering == Counts{});
        QCOMPARE(Figures(), blank);
        QVERIFY(Text("HistogramHover").isEmpty());
        Trigger("Histogram1", 2);  // closed and opened again
    }
}

void HistogramTest::hoverReadsBothCounts() {
    ShowWindow();
    OpenFile(WriteImage("V0501.img", 100));
    auto* chart = Window()->findChild<THistogramChart*>();
    const struct {
        int level, panel;
        const char* text;
    } cases[] = {{100, 0, "Level 100: 675,662 entering, 694,320 shown; tone curve 100 \u2192 100"},
                 {7, 1, "Level 7: 0 entering, 0 shown; tone curve 7 \u2192 7"},
                 {255, 1, "Level 255: 0 entering, 0 shown; tone curve 255 \u2192 255"}};
    for (const auto& c : cases) {
        // Sent to the chart itself: the offscreen platform moves its pointer
        // over the topmost window, the main window, not over this one.
        const QPoint at = chart->PointOfLevel(c.level, c.panel);
        QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(chart, &move);
        QCOMPARE(Text("HistogramHover"), QString::fromUtf8(c.text));
    }
}

QTEST_MAIN(HistogramTest)
#include "histogram_test.moc"
