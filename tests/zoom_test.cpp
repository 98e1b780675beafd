// Zoom, Fit to Window and panning in the image window, on Qt's offscreen
// platform: what the window paints at each scale (compared with pictures
// computed here from the file's bytes), the zoom through Next, options and
// a scan, the reset at closing, the readout and Ctrl+wheel under a pointer.
// The same executable runs again at a device pixel ratio of 2.
#define QTEST_QPA_MOUSE_HANDLING

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include "app/child.h"
#include "app/main_form.h"
#include "app/picture_view.h"
#include "app_fixture.h"
#include "driven_timer.h"

using dusk::app::TChild;

namespace {

// 1,160,320 bytes: a known length, read as 1036 x 1120, larger than the
// image window in both directions at every ratio and zoom from 2 up.
constexpr int kWidth = 1036;
constexpr int kHeight = 1120;

// Random levels, so that a block's mean often ends in a half.
std::vector<std::uint8_t> RandomSamples(unsigned seed) {
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(kWidth) * kHeight);
    std::mt19937 random(seed);
    for (auto& v : raw) v = static_cast<std::uint8_t>(random() % 256);
    return raw;
}

const QStringList kZoomCommands{"ZoomIn1", "ZoomOut1", "ActualSize1", "FitToWindow1"};

}  // namespace

class ZoomTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stepsAndEnds();
    void paintsExactPixels_data();
    void paintsExactPixels();
    void fitFollowsTheWindow();
    void zoomStaysThroughNextOptionsAndScan();
    void closingResetsTheZoom();
    void readoutAtZoom_data();
    void readoutAtZoom();
    void ctrlWheelKeepsTheSampleUnderThePointer_data();
    void ctrlWheelKeepsTheSampleUnderThePointer();
    void plainWheelScrollsAndDragPans();

private:
    void OpenSamples(const std::vector<std::uint8_t>& raw) {
        OpenFile(WriteImage("V0501.img", raw));
        form_->SetImageChooser([] { return QString(); });
    }
    int Raw(int x, int y) const { return raw_[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)]; }
    QString Zoom() const { return form_->findChild<QLabel*>("ZoomField")->text(); }
    QString Readout() const { return form_->findChild<QLabel*>("PixelReadout")->text(); }
    QScrollArea* Scroll() const { return form_->CurrentChild()->findChild<QScrollArea*>("ImageScroll"); }
    qreal Ratio() const { return View()->devicePixelRatioF(); }
    // The sample the readout names, as (column, row), or (-1, -1).
    QPoint NamedSample() const {
        static const QRegularExpression named(QStringLiteral("^Row (\\d+), column (\\d+): file value (\\d+)"));
        const QRegularExpressionMatch match = named.match(Readout());
        if (!match.hasMatch()) return {-1, -1};
        const QPoint sample(match.captured(2).toInt(), match.captured(1).toInt());
        // The file value must be the one at that place.
        if (match.captured(3).toInt() != Raw(sample.x(), sample.y())) return {-2, -2};
        return sample;
    }
    // Moves the pointer over point `at` of the scroll area's viewport, from
    // elsewhere, keeping its fraction of a logical pixel as a real pointer's
    // position in the window keeps it.
    void PointAt(QPointF at) {
        QTest::mouseMove(form_->menuBar(), QPoint(5, 5));
        const QPointF inView = at - View()->pos();
        QTest::mouseMove(View(), inView.toPoint());
        QMouseEvent move(QEvent::MouseMove, QPointF(inView.toPoint()), View()->mapTo(View()->window(), inView),
                         View()->mapToGlobal(inView), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(View(), &move);
    }
    // Scrolls the picture to the middle of its scroll range.
    void ScrollToMiddle() {
        for (QScrollBar* bar : {Scroll()->horizontalScrollBar(), Scroll()->verticalScrollBar()}) {
            bar->setValue(bar->maximum() / 2);
        }
    }
    // Compares what the window paints with expected(x, y), device pixel by device pixel.
    void ExpectPainted(QSize size, const std::function<int(int, int)>& expected) const {
        const QImage shown = Picture();
        QCOMPARE(shown.size(), size);
        for (int y = 0; y < size.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
            for (int x = 0; x < size.width(); ++x) {
                const int want = expected(x, y);
                if (line[x] != qRgb(want, want, want)) {
                    QFAIL(qPrintable(QStringLiteral("device pixel (%1, %2) is %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(qRed(line[x]))
                                         .arg(want)));
                }
            }
        }
    }

    std::vector<std::uint8_t> raw_ = RandomSamples(11);
};

void ZoomTest::init() { StartForm(); }

void ZoomTest::cleanup() { EndForm(); }

// The enabled states, the percent at each step and the ends of the steps.
void ZoomTest::stepsAndEnds() {
    for (const QString& name : kZoomCommands) QVERIFY2(!Action(name)->isEnabled(), qPrintable(name));
    QCOMPARE(Zoom(), QString());
    OpenSamples(raw_);
    for (const QString& name : kZoomCommands) QVERIFY2(Action(name)->isEnabled(), qPrintable(name));
    QVERIFY(Action("FitToWindow1")->isCheckable());
    QCOMPARE(Zoom(), QStringLiteral("100 %"));

    const QStringList up{"150 %", "200 %", "300 %", "400 %", "600 %", "800 %", "1200 %", "1600 %", "1600 %"};
    for (const QString& percent : up) {
        Trigger("ZoomIn1");
        QCOMPARE(Zoom(), percent);
    }
    const QStringList down{"1200 %", "800 %", "600 %", "400 %", "300 %", "200 %", "150 %", "100 %",
                           "67 %",   "50 %",  "33 %",  "25 %",  "17 %",  "13 %",  "13 %"};
    for (const QString& percent : down) {
        Trigger("ZoomOut1");
        QCOMPARE(Zoom(), percent);
    }
    Trigger("ActualSize1");
    QCOMPARE(Zoom(), QStringLiteral("100 %"));
}

void ZoomTest::paintsExactPixels_data() {
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<int>("factor");  // n: n x n device pixels a sample; -n: a mean of n x n samples a pixel

    QTest::newRow("two steps in: 2 x 2 blocks") << QStringList{"ZoomIn1", "ZoomIn1"} << "200 %" << 2;
    QTest::newRow("three steps in: 3 x 3 blocks") << QStringList{"ZoomIn1", "ZoomIn1", "ZoomIn1"} << "300 %" << 3;
    QTest::newRow("in, then Actual Size") << QStringList{"ZoomIn1", "ZoomIn1", "ActualSize1"} << "100 %" << 1;
    QTest::newRow("out and in again") << QStringList{"ZoomOut1", "ZoomIn1"} << "100 %" << 1;
    QTest::newRow("two steps out: 2 x 2 means") << QStringList{"ZoomOut1", "ZoomOut1"} << "50 %" << -2;
    QTest::newRow("four steps out: 4 x 4 means") << QStringList{"ZoomOut1", "ZoomOut1", "ZoomOut1", "ZoomOut1"}
                                                 << "25 %" << -4;
}

void ZoomTest::paintsExactPixels() {
    QFETCH(QStringList, commands);
    QFETCH(QString, percent);
    QFETCH(int, factor);
    OpenSamples(raw_);
    for (const QString& command : commands) Trigger(command);
    QCOMPARE(Zoom(), percent);
    // Saving and printing take the picture at one pixel per sample, as ever.
    QCOMPARE(form_->CurrentChild()->Picture().size(), QSize(kWidth, kHeight));

    if (factor > 0) {
        ExpectPainted(QSize(kWidth * factor, kHeight * factor),
                      [&](int x, int y) { return Raw(x / factor, y / factor); });
    } else {
        const int n = -factor;
        ExpectPainted(QSize(kWidth / n, kHeight / n), [&](int x, int y) {
            int sum = 0;
            for (int j = 0; j < n; ++j) {
                for (int i = 0; i < n; ++i) sum += Raw(x * n + i, y * n + j);
            }
            return (sum + n * n / 2) / (n * n);  // halves up
        });
    }
}

// Fit shows the whole picture inside the viewport and follows the window
// when it is resized, beyond its opening size, maximised, or fitted into a
// small client area.
void ZoomTest::fitFollowsTheWindow() {
    OpenSamples(raw_);
    TChild* child = form_->CurrentChild();
    auto expectFitted = [this, child](const char* where) {
        QVERIFY2(Action("FitToWindow1")->isChecked(), where);
        QCoreApplication::processEvents();  // the scroll area lays out its bars
        const QRect viewport = Scroll()->viewport()->rect();
        QVERIFY2(viewport.contains(View()->geometry()), where);
        QVERIFY2(Scroll()->horizontalScrollBar()->maximum() == 0, where);
        QVERIFY2(Scroll()->verticalScrollBar()->maximum() == 0, where);
        // Never above 1; below it the picture fills the viewport along one side.
        const QSizeF room = QSizeF(viewport.size()) * Ratio();
        const double scale = std::min({room.width() / kWidth, room.height() / kHeight, 1.0});
        QVERIFY2(std::abs(child->Scale() - scale) < 1e-9, where);
        const QSize shown = View()->ShownSize();
        if (scale < 1.0) {
            QVERIFY2(shown.width() == viewport.width() * Ratio() || shown.height() == viewport.height() * Ratio(), where);
        } else {
            QVERIFY2(shown == QSize(kWidth, kHeight), where);
        }
        QCOMPARE(Zoom(), QStringLiteral("%1 %").arg(qRound(100 * scale)));
    };

    Trigger("FitToWindow1");
    expectFitted("opening size");

    // The opening size limits no longer hold once the window is shown.
    child->resize(1200, 1000);
    QTRY_COMPARE(child->size(), QSize(1200, 1000));
    expectFitted("resized");
    Trigger("Next1");
    QCOMPARE(child->size(), QSize(1200, 1000));

    child->showMaximized();
    auto* area = form_->findChild<QMdiArea*>("ClientArea");
    QTRY_COMPARE(child->size(), area->viewport()->size());
    expectFitted("maximised");
    child->showNormal();
    QTRY_COMPARE(child->size(), QSize(1200, 1000));
    expectFitted("restored");

    form_->showNormal();
    form_->resize(760, 520);
    QTRY_COMPARE(form_->size(), QSize(760, 520));
    QTRY_VERIFY(QRect(QPoint(0, 0), area->viewport()->size()).contains(child->geometry()));
    expectFitted("small client area");

    // A step from a fitted scale goes to the neighbouring step and ends Fit.
    const double fitted = child->Scale();
    QVERIFY(fitted < 1.0);
    const double steps[] = {1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1.0};
    const double above = *std::find_if(std::begin(steps), std::end(steps), [&](double s) { return s > fitted; });
    const double below = *std::find_if(std::rbegin(steps), std::rend(steps), [&](double s) { return s < fitted; });
    Trigger("ZoomIn1");
    QVERIFY(!Action("FitToWindow1")->isChecked());
    QCOMPARE(child->Scale(), above);
    Trigger("FitToWindow1");
    expectFitted("again");
    Trigger("ZoomOut1");
    QCOMPARE(child->Scale(), below);
    // Turning Fit off keeps the scale the picture has.
    Trigger("FitToWindow1");
    Trigger("FitToWindow1");
    QVERIFY(!Action("FitToWindow1")->isChecked());
    QCOMPARE(child->Scale(), fitted);
}

void ZoomTest::zoomStaysThroughNextOptionsAndScan() {
    DrivenTimer* timer = DriveScanTimer();
    std::vector<std::uint8_t> second = raw_;
    second[0] = static_cast<std::uint8_t>(raw_[0] ^ 0x80);
    WriteImage("V0502.img", second);
    WriteImage("V0503.img", raw_);
    OpenSamples(raw_);
    Trigger("ZoomIn1", 2);

    Trigger("Next1");
    QCOMPARE(Counter(), QStringLiteral("2/3"));
    QCOMPARE(Zoom(), QStringLiteral("200 %"));
    QCOMPARE(View()->ShownSize(), QSize(2 * kWidth, 2 * kHeight));
    const QImage shown = Picture();
    QCOMPARE(qRed(shown.pixel(1, 1)), second[0]);  // the new picture, at 2
    Trigger("ToolButton19");                       // Invert Display
    QCOMPARE(Zoom(), QStringLiteral("200 %"));
    QCOMPARE(qRed(Picture().pixel(1, 1)), 255 - second[0]);

    Trigger("FitToWindow1");
    const double fitted = form_->CurrentChild()->Scale();
    Trigger("Previous1");
    QVERIFY(Action("FitToWindow1")->isChecked());
    QCOMPARE(form_->CurrentChild()->Scale(), fitted);
    Trigger("ScanForward1");
    QVERIFY(timer->Tick());
    QVERIFY(timer->Tick());
    QCOMPARE(Counter(), QStringLiteral("3/3"));
    QVERIFY(Action("FitToWindow1")->isChecked());
    QCOMPARE(form_->CurrentChild()->Scale(), fitted);
}

void ZoomTest::closingResetsTheZoom() {
    OpenSamples(raw_);
    Trigger("ZoomIn1");
    Trigger("FitToWindow1");
    QVERIFY(Action("FitToWindow1")->isChecked());
    CloseImage();
    QCOMPARE(Zoom(), QString());
    QVERIFY(!Action("FitToWindow1")->isChecked());
    for (const QString& name : kZoomCommands) QVERIFY2(!Action(name)->isEnabled(), qPrintable(name));

    OpenSamples(raw_);
    QCOMPARE(Zoom(), QStringLiteral("100 %"));
    QVERIFY(!Action("FitToWindow1")->isChecked());
    QCOMPARE(form_->CurrentChild()->Scale(), 1.0);
    ExpectPainted(QSize(kWidth, kHeight), [this](int x, int y) { return Raw(x, y); });
}

void ZoomTest::readoutAtZoom_data() {
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QPointF>("at");  // a point of the viewport

    const QStringList in{"ZoomIn1", "ZoomIn1"};
    const QStringList out{"ZoomOut1", "ZoomOut1"};
    QTest::newRow("2, first sample") << in << 2.0 << QPointF(0, 0);
    QTest::newRow("2, second block") << in << 2.0 << QPointF(3, 5);
    QTest::newRow("2, further") << in << 2.0 << QPointF(301, 417);
    QTest::newRow("1/2, first pixel") << out << 0.5 << QPointF(0, 0);
    QTest::newRow("1/2, odd point") << out << 0.5 << QPointF(7, 3);
    QTest::newRow("1/2, last pixel") << out << 0.5 << QPointF(517, 559);
}

// The readout names the sample under the pointer, the first of the block
// a shown pixel averages.
void ZoomTest::readoutAtZoom() {
    QFETCH(QStringList, commands);
    QFETCH(double, scale);
    QFETCH(QPointF, at);
    OpenSamples(raw_);
    for (const QString& command : commands) Trigger(command);
    Scroll()->horizontalScrollBar()->setValue(0);
    Scroll()->verticalScrollBar()->setValue(0);
    PointAt(at / Ratio());  // device pixels of the viewport to logical points
    const QPoint expected(static_cast<int>(at.x() / scale), static_cast<int>(at.y() / scale));
    QCOMPARE(NamedSample(), expected);
}

void ZoomTest::ctrlWheelKeepsTheSampleUnderThePointer_data() {
    QTest::addColumn<int>("stepsIn");     // from 1, before the wheel turns
    QTest::addColumn<QList<int>>("turns");  // eighths of a degree each
    QTest::addColumn<QString>("percent");

    QTest::newRow("2, in") << 2 << QList<int>{120} << "300 %";
    QTest::newRow("3, out") << 3 << QList<int>{-120} << "200 %";
    QTest::newRow("4, two notches in") << 4 << QList<int>{240} << "800 %";
    QTest::newRow("6, out") << 5 << QList<int>{-120} << "400 %";
    QTest::newRow("16, in: stays") << 8 << QList<int>{120} << "1600 %";
    QTest::newRow("2, two half notches in") << 2 << QList<int>{60, 60} << "300 %";
    QTest::newRow("2, half a notch: no step") << 2 << QList<int>{60} << "200 %";
}

void ZoomTest::ctrlWheelKeepsTheSampleUnderThePointer() {
    QFETCH(int, stepsIn);
    QFETCH(QList<int>, turns);
    QFETCH(QString, percent);
    OpenSamples(raw_);
    Trigger("ZoomIn1", stepsIn);
    ScrollToMiddle();
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

void ZoomTest::plainWheelScrollsAndDragPans() {
    OpenSamples(raw_);
    Trigger("ZoomIn1", 2);
    QScrollBar* across = Scroll()->horizontalScrollBar();
    QScrollBar* down = Scroll()->verticalScrollBar();
    const QPointF at = QRectF(Scroll()->viewport()->rect()).center();
    QWheelEvent wheel(at - View()->pos(), Scroll()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(View(), &wheel);
    QCOMPARE(Zoom(), QStringLiteral("200 %"));
    QVERIFY(down->value() > 0);

    ScrollToMiddle();
    const QPoint scrolled(across->value(), down->value());
    QCOMPARE(View()->cursor().shape(), Qt::OpenHandCursor);
    const QPoint start = (at - View()->pos()).toPoint();
    QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, start);
    QCOMPARE(View()->cursor().shape(), Qt::ClosedHandCursor);
    // The picture follows the pointer: dragging left and up scrolls right and down.
    QTest::mouseMove(View(), start + QPoint(-40, -25));
    // The picture has moved with the pointer: it is over the same point again.
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, start);
    QCOMPARE(QPoint(across->value(), down->value()), scrolled + QPoint(40, 25));
    QCOMPARE(View()->cursor().shape(), Qt::OpenHandCursor);
    QCOMPARE(Zoom(), QStringLiteral("200 %"));
}

QTEST_MAIN(ZoomTest)
#include "zoom_test.moc"
