// SPDX-License-Identifier: GPL-3.0-or-later
// Zoom and Fit to Window on Qt's offscreen platform: what the image window
// paints (against pictures computed here from the file's bytes), the zoom
// through Next, options and a scan, the reset at closing, the readout and
// Ctrl+wheel under the pointer. Runs again at a device pixel ratio of 2.
#define QTEST_QPA_MOUSE_HANDLING

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include "app_fixture.h"

using dusk::app::TChild;

namespace {

constexpr int kWidth = 1036;  // 1,160,320 bytes, read as 1036 x 1120
constexpr int kHeight = 1120;
const QStringList kZoomCommands{"ZoomIn1", "ZoomOut1", "ActualSize1", "FitToWindow1"};

}  // namespace

class ZoomTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init() { StartForm(); }
    void cleanup() { EndForm(); }
    void stepsEndsAndEnabledStates();
    void paintsExactPixels_data();
    void paintsExactPixels();
    void fitFollowsTheWindow();
    void zoomStaysThroughNextOptionsAndScanAndResetsAtClosing();
    void readoutAtZoom_data();
    void readoutAtZoom();
    void ctrlWheelKeepsTheSampleUnderThePointer_data();
    void ctrlWheelKeepsTheSampleUnderThePointer();
    void dragPans();

private:
    void OpenSamples() {
        std::mt19937 random(11);  // random levels: a block's mean often ends in a half
        for (auto& v : raw_) v = static_cast<std::uint8_t>(random());
        OpenFile(WriteImage("V0501.img", raw_));
    }
    int Raw(int x, int y) const { return raw_[static_cast<std::size_t>(y * kWidth + x)]; }
    QString Zoom() const { return form_->findChild<QLabel*>("ZoomField")->text(); }
    QScrollArea* Scroll() const { return form_->CurrentChild()->findChild<QScrollArea*>("ImageScroll"); }
    qreal Ratio() const { return View()->devicePixelRatioF(); }
    // The sample the readout names, as (column, row); (-1, -1) for none or a wrong file value.
    QPoint NamedSample() const {
        static const QRegularExpression named(QStringLiteral("^Row (\\d+), column (\\d+): file value (\\d+)"));
        const QRegularExpressionMatch m = named.match(form_->findChild<QLabel*>("PixelReadout")->text());
        const QPoint sample(m.captured(2).toInt(), m.captured(1).toInt());
        return m.hasMatch() && m.captured(3).toInt() == Raw(sample.x(), sample.y()) ? sample : QPoint(-1, -1);
    }
    // Moves the pointer over point `at` of the viewport, from elsewhere, with
    // the fraction of a logical pixel a real pointer's position keeps.
    void PointAt(QPointF at) {
        QTest::mouseMove(form_->menuBar(), QPoint(5, 5));
        const QPointF inView = at - View()->pos();
        QTest::mouseMove(View(), inView.toPoint());
        QMouseEvent move(QEvent::MouseMove, QPointF(inView.toPoint()), View()->mapTo(View()->window(), inView),
                         View()->mapToGlobal(inView), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(View(), &move);
    }
    void ExpectPainted(QSize size, const std::function<int(int, int)>& grey) const {
        QImage expected(size, QImage::Format_RGB32);
        expected.setDevicePixelRatio(Ratio());
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) expected.setPixel(x, y, qRgb(grey(x, y), grey(x, y), grey(x, y)));
        }
        QCOMPARE(Picture(), expected);
    }

    std::vector<std::uint8_t> raw_ = std::vector<std::uint8_t>(static_cast<std::size_t>(kWidth * kHeight));
};

void ZoomTest::stepsEndsAndEnabledStates() {
    for (const QString& name : kZoomCommands) QVERIFY2(!Action(name)->isEnabled(), qPrintable(name));
    QCOMPARE(Zoom(), QString());
    OpenSamples();
    for (const QString& name : kZoomCommands) QVERIFY2(Action(name)->isEnabled(), qPrintable(name));
    QCOMPARE(Zoom(), QStringLiteral("100 %"));
    for (const int percent : {150, 200, 300, 400, 600, 800, 1200, 1600, 1600}) {
        Trigger("ZoomIn1");
        QCOMPARE(Zoom(), QStringLiteral("%1 %").arg(percent));
    }
    for (const int percent : {1200, 800, 600, 400, 300, 200, 150, 100, 67, 50, 33, 25, 17, 13, 13}) {
        Trigger("ZoomOut1");
        QCOMPARE(Zoom(), QStringLiteral("%1 %").arg(percent));
    }
}

void ZoomTest::paintsExactPixels_data() {
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("factor");  // n: n x n device pixels a sample; -n: the mean of n x n samples a pixel
    QTest::newRow("two steps in") << QStringList{"ZoomIn1", "ZoomIn1"} << 2;
    QTest::newRow("three steps in") << QStringList{"ZoomIn1", "ZoomIn1", "ZoomIn1"} << 3;
    QTest::newRow("in, Actual Size") << QStringList{"ZoomIn1", "ZoomIn1", "ActualSize1"} << 1;
    QTest::newRow("two steps out") << QStringList{"ZoomOut1", "ZoomOut1"} << -2;
    QTest::newRow("four steps out") << QStringList{"ZoomOut1", "ZoomOut1", "ZoomOut1", "ZoomOut1"} << -4;
}

void ZoomTest::paintsExactPixels() {
    QFETCH(QStringList, commands);
    QFETCH(int, factor);
    OpenSamples();
    for (const QString& command : commands) Trigger(command);
    // Saving and printing still take the picture at one pixel per sample.
    QCOMPARE(form_->CurrentChild()->Picture().size(), QSize(kWidth, kHeight));
    if (factor > 0) {
        ExpectPainted(QSize(kWidth, kHeight) * factor, [&](int x, int y) { return Raw(x / factor, y / factor); });
        return;
    }
    const int n = -factor;
    ExpectPainted(QSize(kWidth / n, kHeight / n), [&](int x, int y) {
        int sum = 0;
        for (int k = 0; k < n * n; ++k) sum += Raw(x * n + k % n, y * n + k / n);
        return (sum + n * n / 2) / (n * n);  // halves up
    });
}

// The whole picture inside the viewport, filling one side below 1, as the
// window is resized beyond its opening size, maximised and fitted into a
// small client area; a step from there goes to the neighbouring step.
void ZoomTest::fitFollowsTheWindow() {
    OpenSamples();
    TChild* child = form_->CurrentChild();
    auto expectFitted = [&](const char* where) {
        QCoreApplication::processEvents();  // the scroll area lays out its bars
        const QRect viewport = Scroll()->viewport()->rect();
        QVERIFY2(viewport.contains(View()->geometry()) && Scroll()->verticalScrollBar()->maximum() == 0, where);
        const QSizeF room = QSizeF(viewport.size()) * Ratio();
        const double scale = std::min({room.width() / kWidth, room.height() / kHeight, 1.0});
        QVERIFY2(std::abs(child->Scale() - scale) < 1e-9, where);
        const QSize shown = View()->ShownSize();
        QVERIFY2(scale == 1.0 || shown.width() == room.width() || shown.height() == room.height(), where);
        QCOMPARE(Zoom(), QStringLiteral("%1 %").arg(qRound(100 * scale)));
        QVERIFY(Action("FitToWindow1")->isChecked());
    };
    Trigger("FitToWindow1");
    expectFitted("opening size");
    child->resize(1200, 1000);
    QTRY_COMPARE(child->size(), QSize(1200, 1000));
    expectFitted("resized");
    Trigger("Next1");
    QCOMPARE(child->size(), QSize(1200, 1000));  // the user's size stays
    child->showMaximized();
    QTRY_COMPARE(child->size(), form_->findChild<QMdiArea*>("ClientArea")->viewport()->size());
    expectFitted("maximised");
    child->showNormal();
    form_->showNormal();
    form_->resize(760, 520);
    QTRY_COMPARE(child->height() < 500, true);
    expectFitted("small client area");

    const double fitted = child->Scale();
    const std::vector<double> steps{1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1.0};
    Trigger("ZoomIn1");
    QVERIFY(!Action("FitToWindow1")->isChecked());
    QCOMPARE(child->Scale(), *std::upper_bound(steps.begin(), steps.end(), fitted));
}

void ZoomTest::zoomStaysThroughNextOptionsAndScanAndResetsAtClosing() {
    DrivenTimer* timer = DriveScanTimer();
    WriteImage("V0502.img", 7);
    WriteImage("V0503.img", 9);
    OpenSamples();
    Trigger("ZoomIn1", 2);
    Trigger("Next1");
    QCOMPARE(Zoom(), QStringLiteral("200 %"));
    Trigger("ToolButton19");  // Invert Display
    QCOMPARE(Zoom(), QStringLiteral("200 %"));
    // The next image, 1052 x 660, at 2.
    ExpectPainted(QSize(dusk::test::kImageWidth, dusk::test::kImageHeight) * 2, [](int, int) { return 255 - 7; });

    Trigger("FitToWindow1");
    const double fitted = form_->CurrentChild()->Scale();
    Trigger("ScanForward1");
    QVERIFY(timer->Tick());
    QCOMPARE(Counter(), QStringLiteral("3/3"));
    QVERIFY(Action("FitToWindow1")->isChecked());
    QCOMPARE(form_->CurrentChild()->Scale(), fitted);

    CloseImage();
    QCOMPARE(Zoom(), QString());
    QVERIFY(!Action("FitToWindow1")->isChecked());
    OpenSamples();
    QCOMPARE(Zoom(), QStringLiteral("100 %"));
    QVERIFY(!Action("FitToWindow1")->isChecked());
    ExpectPainted(QSize(kWidth, kHeight), [this](int x, int y) { return Raw(x, y); });
}

void ZoomTest::readoutAtZoom_data() {
    QTest::addColumn<int>("steps");  // in, or out where negative
    QTest::addColumn<QPointF>("at");  // device pixels of the viewport, picture scrolled to its corner
    QTest::newRow("2, first sample") << 2 << QPointF(0, 0);
    QTest::newRow("2, odd point") << 2 << QPointF(3, 5);
    QTest::newRow("2, further") << 2 << QPointF(301, 417);
    QTest::newRow("1/2, odd point") << -2 << QPointF(7, 3);
    QTest::newRow("1/2, last pixel") << -2 << QPointF(517, 559);
}

// The readout names the sample under the pointer, the first of the block a
// shown pixel averages.
void ZoomTest::readoutAtZoom() {
    QFETCH(int, steps);
    QFETCH(QPointF, at);
    OpenSamples();
    Trigger(steps > 0 ? "ZoomIn1" : "ZoomOut1", std::abs(steps));
    Scroll()->horizontalScrollBar()->setValue(0);
    Scroll()->verticalScrollBar()->setValue(0);
    PointAt(at / Ratio());
    const double scale = steps > 0 ? 2 : 0.5;
    QCOMPARE(NamedSample(), QPoint(static_cast<int>(at.x() / scale), static_cast<int>(at.y() / scale)));
}

void ZoomTest::ctrlWheelKeepsTheSampleUnderThePointer_data() {
    QTest::addColumn<int>("stepsIn");       // from 1, before the wheel turns
    QTest::addColumn<QList<int>>("turns");  // eighths of a degree each
    QTest::addColumn<QString>("percent");
    QTest::newRow("2, in") << 2 << QList<int>{120} << "300 %";
    QTest::newRow("3, out") << 3 << QList<int>{-120} << "200 %";
    QTest::newRow("4, two notches in") << 4 << QList<int>{240} << "800 %";
    QTest::newRow("16, in: stays") << 8 << QList<int>{120} << "1600 %";
    QTest::newRow("2, two half notches") << 2 << QList<int>{60, 60} << "300 %";
    QTest::newRow("2, half a notch") << 2 << QList<int>{60} << "200 %";
}

void ZoomTest::ctrlWheelKeepsTheSampleUnderThePointer() {
    QFETCH(int, stepsIn);
    QFETCH(QList<int>, turns);
    QFETCH(QString, percent);
    OpenSamples();
    Trigger("ZoomIn1", stepsIn);
    for (QScrollBar* bar : {Scroll()->horizontalScrollBar(), Scroll()->verticalScrollBar()}) {
        bar->setValue(bar->maximum() / 2);
    }
    const QPointF at = QRectF(Scroll()->viewport()->rect()).center() + QPointF(17.5, -23);
    PointAt(at);
    const QPoint before = NamedSample();
    QVERIFY(before.x() >= 0);
    for (const int turn : turns) {
        QWheelEvent wheel(at - View()->pos(), Scroll()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, turn),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(View(), &wheel);
    }
    QCOMPARE(Zoom(), percent);
    PointAt(at);
    QCOMPARE(NamedSample(), before);
}

// The picture follows the pointer, under a closed hand while the button is down.
void ZoomTest::dragPans() {
    OpenSamples();
    Trigger("ZoomIn1", 2);
    QScrollBar* across = Scroll()->horizontalScrollBar();
    QScrollBar* down = Scroll()->verticalScrollBar();
    across->setValue(across->maximum() / 2);
    down->setValue(down->maximum() / 2);
    const QPoint scrolled(across->value(), down->value());
    const QPoint start = View()->mapFrom(Scroll()->viewport(), Scroll()->viewport()->rect().center());
    QCOMPARE(View()->cursor().shape(), Qt::OpenHandCursor);
    QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, start);
    QCOMPARE(View()->cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseMove(View(), start - QPoint(40, 25));
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, start);  // the same point of the picture again
    QCOMPARE(QPoint(across->value(), down->value()), scrolled + QPoint(40, 25));
    QCOMPARE(View()->cursor().shape(), Qt::OpenHandCursor);
}

QTEST_MAIN(ZoomTest)
#include "zoom_test.moc"
