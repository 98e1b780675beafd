// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program as a user meets it, on Qt's offscreen platform: the
// pixel readout under a pointer moved over the real image window (every
// orientation, both reductions, after Original Image, scrolled), files
// dropped on the main window, and one device pixel per sample at a device
// pixel ratio of 2 (the same executable runs again under QT_SCALE_FACTOR=2).
//
// Pointer moves go to the window as the window system would send them (with
// the enter and leave events that follow), not through the cursor position,
// which the offscreen platform misplaces at a device pixel ratio of 2.
#define QTEST_QPA_MOUSE_HANDLING

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QUrl>
#include <QtTest>

#include "app/child.h"
#include "app/main_form.h"
#include "app_fixture.h"
#include "core/image_state.h"

using dusk::State;
using dusk::test::kImageHeight;
using dusk::test::kImageLength;
using dusk::test::kImageWidth;
using dusk::app::TChild;
using dusk::app::TMainForm;

namespace {

// Every sample differs from its neighbours in both directions, so a readout
// one row or one column off shows a different value; 20..219, so no line is
// blank.
int SampleAt(int row, int column) { return 20 + (row * 7 + column * 13) % 200; }

std::vector<std::uint8_t> TestSamples(int length = kImageLength) {
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(length));
    for (int k = 0; k < length; ++k) {
        raw[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(SampleAt(k / kImageWidth, k % kImageWidth));
    }
    return raw;
}

QString SampleText(int row, int column, int shown) {
    return QStringLiteral("Row %1, column %2: file value %3, shown %4")
        .arg(row)
        .arg(column)
        .arg(SampleAt(row, column))
        .arg(shown);
}

// One drag over the main window: entering, then dropping.
struct DropResult {
    bool enterAccepted = false;
    bool dropAccepted = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

}  // namespace

class IntegrationTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readoutFollowsOrientationAndReduction_data();
    void readoutFollowsOrientationAndReduction();
    void readoutAfterOriginalImage();
    void readoutFollowsRerenderUnderRestingPointer();
    void readoutBeyondTheFilesData();
    void readoutGivesMapCoordinates();
    void readoutClearsWithoutHidingLoadProblems();

    void dropOpensAsOpenDoes();
    void dropKeepsTheNamesBytes();
    void dropRefusedWhileImageWindowExists();
    void dropIgnoresWhatIsNoFile_data();
    void dropIgnoresWhatIsNoFile();
    void dropsReachTheMainWindow();

    void onePixelPerSampleAtAnyRatio();
    void readoutAtTheDevicePixelRatio();
    void smallAreaStillReachesEverySample();

private:
    // Triggers the commands in turn, stopping at the first that is missing.
    void Trigger(const QStringList& names) {
        for (const QString& name : names) {
            QVERIFY2(Action(name) != nullptr, qPrintable(name));
            Action(name)->trigger();
        }
    }
    // Open, with the chooser answering `path` this once.
    void OpenPath(const QString& path) {
        AppFixture::OpenPath(path);
        form_->SetImageChooser([] { return QString(); });
    }
    QString Readout() const { return form_->findChild<QLabel*>("PixelReadout")->text(); }
    // Shown grey level of picture pixel (x, y), as the image window paints it.
    int Shown(int x, int y) const { return qRed(Picture().pixel(x, y)); }
    // Moves the pointer over logical point `at` of the picture control, after
    // scrolling it into view.
    void PointAt(QPoint at) {
        QWidget* picture = View();
        QVERIFY(picture != nullptr);
        auto* scroll = form_->CurrentChild()->findChild<QScrollArea*>("ImageScroll");
        scroll->ensureVisible(at.x(), at.y(), 8, 8);
        // From elsewhere, so that the pointer really moves even when it
        // already rests on the target.
        LeavePicture();
        QTest::mouseMove(picture, at);
    }
    // Moves the pointer over picture pixel (x, y) at a device pixel ratio of 1.
    void PointAtPixel(int x, int y) { PointAt(QPoint(x, y)); }
    void LeavePicture() { QTest::mouseMove(form_->menuBar(), QPoint(5, 5)); }
    DropResult Drop(const QList<QUrl>& urls, const QString& text = {}) {
        QMimeData data;
        if (!urls.isEmpty()) data.setUrls(urls);
        if (!text.isEmpty()) data.setText(text);
        const QPoint at = form_->rect().center();
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        DropResult result;
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form_, &enter);
        result.enterAccepted = enter.isAccepted();
        QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form_, &drop);
        result.dropAccepted = drop.isAccepted();
        result.action = drop.dropAction();
        return result;
    }
    bool ScaledByTwo() const { return qEnvironmentVariable("QT_SCALE_FACTOR") == QStringLiteral("2"); }
};

void IntegrationTest::init() { StartForm(); }

void IntegrationTest::cleanup() { EndForm(); }

// ---------------------------------------------------------------------------
// Pixel readout.

void IntegrationTest::readoutFollowsOrientationAndReduction_data() {
    QTest::addColumn<QStringList>("buttons");  // pressed after the image came up
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<int>("row");  // -1: the grey field
    QTest::addColumn<int>("column");

    // 1052 x 660. The default flip shows the file's first row at the top;
    // the half-size picture covers lines 69..398 and columns 137..662, the
    // quarter-size one lines 152..316 and columns 269..531.
    const QStringList none;
    const QStringList flip{"ToolButton10"};  // the flip stops: the file upside down
    const QStringList rotate{"ToolButton33"};
    const QStringList half{"ToolButton30"};
    const QStringList quarter{"ToolButton32"};
    QTest::newRow("default") << none << QPoint(10, 20) << 20 << 10;
    QTest::newRow("default, far corner (scrolled)") << none << QPoint(1051, 659) << 659 << 1051;
    QTest::newRow("upside down") << flip << QPoint(10, 20) << 639 << 10;
    QTest::newRow("turned by 180") << rotate << QPoint(10, 20) << 639 << 1041;
    QTest::newRow("turned, upside down: mirrored") << (rotate + flip) << QPoint(10, 20) << 20 << 1041;
    QTest::newRow("half: first block") << half << QPoint(137, 69) << 0 << 0;
    QTest::newRow("half: next block") << half << QPoint(138, 70) << 2 << 2;
    QTest::newRow("half: last block") << half << QPoint(662, 398) << 658 << 1050;
    QTest::newRow("half: grey left") << half << QPoint(136, 69) << -1 << 0;
    QTest::newRow("half: grey below") << half << QPoint(137, 399) << -1 << 0;
    QTest::newRow("half, turned") << (half + rotate) << QPoint(137, 69) << 658 << 1050;
    QTest::newRow("half, upside down") << (half + flip) << QPoint(137, 69) << 658 << 0;
    QTest::newRow("quarter: first block") << quarter << QPoint(269, 152) << 0 << 0;
    QTest::newRow("quarter: last block") << quarter << QPoint(531, 316) << 656 << 1048;
    QTest::newRow("quarter: grey above") << quarter << QPoint(269, 151) << -1 << 0;
    QTest::newRow("quarter, upside down") << (quarter + flip) << QPoint(269, 152) << 656 << 0;
    QTest::newRow("quarter, turned") << (quarter + rotate) << QPoint(269, 152) << 656 << 1048;
    QTest::newRow("both reductions: quarter wins") << (half + quarter) << QPoint(269, 152) << 0 << 0;
}

void IntegrationTest::readoutFollowsOrientationAndReduction() {
    QFETCH(QStringList, buttons);
    QFETCH(QPoint, pixel);
    QFETCH(int, row);
    QFETCH(int, column);
    if (ScaledByTwo()) QSKIP("positions here are device pixels at a ratio of 1");

    OpenPath(WriteImage("V0501.img", TestSamples()));
    Trigger(buttons);
    PointAtPixel(pixel.x(), pixel.y());
    const int shown = Shown(pixel.x(), pixel.y());
    if (row < 0) {
        QCOMPARE(shown, 160);
        QCOMPARE(Readout(), QStringLiteral("Grey field around the reduced picture, shown 160"));
    } else {
        QCOMPARE(Readout(), SampleText(row, column, shown));
    }
    // With no option at all the picture shows the samples as they are.
    if (buttons.isEmpty()) QCOMPARE(shown, SampleAt(row, column));
}

void IntegrationTest::readoutAfterOriginalImage() {
    if (ScaledByTwo()) QSKIP("positions here are device pixels at a ratio of 1");
    OpenPath(WriteImage("V0501.img", TestSamples()));
    Trigger({"ToolButton33", "ToolButton30", "ToolButton9"});
    // Nothing ran: the file's first row is at the bottom, the samples as read.
    PointAtPixel(10, 20);
    QCOMPARE(Readout(), SampleText(639, 10, SampleAt(639, 10)));

    // The next option command renders through the stages again (all options
    // cleared, so the flip runs): turned by 180 degrees.
    Trigger({"ToolButton33"});
    PointAtPixel(10, 20);
    QCOMPARE(Readout(), SampleText(639, 1041, Shown(10, 20)));

    // Inverted, the shown value is the file's turned over.
    Trigger({"ToolButton33", "ToolButton19"});
    PointAtPixel(30, 40);
    QCOMPARE(Readout(), SampleText(40, 30, 255 - SampleAt(40, 30)));
}

void IntegrationTest::readoutFollowsRerenderUnderRestingPointer() {
    if (ScaledByTwo()) QSKIP("positions here are device pixels at a ratio of 1");
    OpenPath(WriteImage("V0501.img", TestSamples()));
    PointAtPixel(10, 20);
    QCOMPARE(Readout(), SampleText(20, 10, SampleAt(20, 10)));
    // The pointer stays; the picture under it turns.
    Trigger({"ToolButton33"});
    QCOMPARE(Readout(), SampleText(639, 1041, Shown(10, 20)));
    Trigger({"ToolButton30"});
    QCOMPARE(Readout(), QStringLiteral("Grey field around the reduced picture, shown 160"));
    Trigger({"ToolButton30", "ToolButton33"});
    QCOMPARE(Readout(), SampleText(20, 10, SampleAt(20, 10)));

    // Scrolling moves the picture under the pointer.
    auto* scroll = form_->CurrentChild()->findChild<QScrollArea*>("ImageScroll");
    scroll->horizontalScrollBar()->setValue(100);
    scroll->verticalScrollBar()->setValue(5);
    QCOMPARE(scroll->verticalScrollBar()->value(), 5);
    QCOMPARE(Readout(), SampleText(25, 110, SampleAt(25, 110)));
}

void IntegrationTest::readoutBeyondTheFilesData() {
    if (ScaledByTwo()) QSKIP("positions here are device pixels at a ratio of 1");
    // 500,000 bytes: no known length, so 1052 x 660 with the last 194,320
    // samples missing (row 475 from column 300 on).
    OpenPath(WriteImage("V0501.img", TestSamples(500000)));
    PointAtPixel(299, 475);
    QCOMPARE(Readout(), SampleText(475, 299, SampleAt(475, 299)));
    PointAtPixel(300, 475);
    QCOMPARE(Readout(), QStringLiteral("Row 475, column 300: beyond the file's data, shown 0"));
}

// On a simple cylindrical map with no standard parallel, latitude and
// longitude grow by MAP_SCALE / radius radians per line and per sample from
// the projection's origin.
void IntegrationTest::readoutGivesMapCoordinates() {
    if (ScaledByTwo()) QSKIP("positions here are device pixels at a ratio of 1");
    OpenPath(WriteImage("V0501.img", TestSamples()));
    dusk::MapProjection projection;
    projection.type = "SIMPLE_CYLINDRICAL";
    projection.aAxisRadius = projection.cAxisRadius = 6051.8;
    projection.lineProjectionOffset = 330;
    projection.sampleProjectionOffset = 526;
    projection.mapScale = 2;
    dusk::State().Projection = projection;
    Trigger({"ToolButton33"});  // turned: pixel (10, 20) is file row 639, column 1041
    PointAtPixel(10, 20);
    const double degrees = 2 / 6051.8 * 180 / M_PI;
    const QString at = QString::asprintf("; %.2f\u00B0 S, %.2f\u00B0 E", (639 - 330) * degrees, (1041 - 526) * degrees);
    QCOMPARE(Readout(), SampleText(639, 1041, Shown(10, 20)) + at);
}

void IntegrationTest::readoutClearsWithoutHidingLoadProblems() {
    if (ScaledByTwo()) QSKIP("positions here are device pixels at a ratio of 1");
    const QString missing = QString::fromStdString((dir_->path() / "V0501.img").string());
    OpenPath(missing);
    QVERIFY(form_->CurrentChild() != nullptr);
    const QString problem = form_->statusBar()->currentMessage();
    QVERIFY2(problem.startsWith(QStringLiteral("Could not read ")), qPrintable(problem));

    // An unreadable file shows black at the default geometry: nothing of it
    // comes from the file.
    PointAtPixel(10, 20);
    QCOMPARE(Readout(), QStringLiteral("Row 20, column 10: beyond the file's data, shown 0"));
    QCOMPARE(form_->statusBar()->currentMessage(), problem);
    LeavePicture();
    QCOMPARE(Readout(), QString());
    QCOMPARE(form_->statusBar()->currentMessage(), problem);

    // Closing the window clears a readout left standing.
    PointAtPixel(10, 20);
    QVERIFY(!Readout().isEmpty());
    form_->CurrentChild()->close();
    QCOMPARE(Readout(), QString());
}

// ---------------------------------------------------------------------------
// Drag-and-drop.

void IntegrationTest::dropOpensAsOpenDoes() {
    const QString path = WriteImage("V0501.img", TestSamples());
    WriteImage("V0502.img", TestSamples());

    // The reference: the same file through Open.
    OpenPath(path);
    QVERIFY(form_->CurrentChild() != nullptr);
    const QImage opened = Picture();
    CloseImage();
    dusk::ResetState();

    const DropResult result = Drop({QUrl::fromLocalFile(path)});
    QVERIFY(result.enterAccepted);
    QVERIFY(result.dropAccepted);
    QCOMPARE(result.action, Qt::CopyAction);
    QTRY_VERIFY(form_->CurrentChild() != nullptr);
    QCOMPARE(form_->CurrentChild()->windowTitle(), QStringLiteral("V0501.img"));
    QCOMPARE(QFile::decodeName(QByteArray::fromStdString(State().CurrentImagePath)), path);
    QCOMPARE(form_->findChild<QLineEdit*>("Memo1")->text(), QStringLiteral("1/2"));
    QCOMPARE(State().ScanPause, 2000);
    QVERIFY(!Action("Open1")->isEnabled());
    QVERIFY(Action("FileForBtn")->isEnabled());
    QCOMPARE(Picture(), opened);
}

// File managers send names that are not UTF-8 percent-encoded, byte by byte.
void IntegrationTest::dropKeepsTheNamesBytes() {
    const std::string name = "V05\xE9 \xFF%.img";
    const std::vector<std::uint8_t> samples = TestSamples();
    const std::string path = dir_->write(name, std::string(samples.begin(), samples.end())).string();
    const QUrl url = QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
    QVERIFY(url.isValid());
    const DropResult result = Drop({url});
    QVERIFY(result.enterAccepted && result.dropAccepted);
    QTRY_VERIFY(form_->CurrentChild() != nullptr);
    QCOMPARE(State().CurrentImagePath, path);
    QCOMPARE(State().FileLength, kImageLength);
    QCOMPARE(State().CurrentFileName, name);
}

void IntegrationTest::dropRefusedWhileImageWindowExists() {
    const QString missing = QString::fromStdString((dir_->path() / "V0501.img").string());
    const QString other = WriteImage("V0502.img", TestSamples());
    OpenPath(missing);
    TChild* child = form_->CurrentChild();
    QVERIFY(child != nullptr);
    const QString problem = form_->statusBar()->currentMessage();
    QVERIFY(problem.startsWith(QStringLiteral("Could not read ")));

    const DropResult result = Drop({QUrl::fromLocalFile(other)});
    QVERIFY(!result.enterAccepted);
    QVERIFY(!result.dropAccepted);
    QCOMPARE(form_->statusBar()->currentMessage(),
             QStringLiteral("Close the image window first to open another image."));
    QTest::qWait(50);
    QCOMPARE(form_->findChildren<TChild*>().size(), 1);
    QCOMPARE(form_->CurrentChild(), child);
    QCOMPARE(QFile::decodeName(QByteArray::fromStdString(State().CurrentImagePath)), missing);
    // A newer message outlives the end of the hint (5 s after the drop)...
    QTest::qWait(2500);
    Trigger({"Invert1"});
    const QString newer = QStringLiteral("Applies to the next image; the tool button changes this one.");
    QCOMPARE(form_->statusBar()->currentMessage(), newer);
    QTest::qWait(3500);
    QCOMPARE(form_->statusBar()->currentMessage(), newer);
    // ...and once the last hint is over the load problem comes back.
    QTRY_COMPARE_WITH_TIMEOUT(form_->statusBar()->currentMessage(), problem, 8000);
}

void IntegrationTest::dropIgnoresWhatIsNoFile_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("withWindow");
    QTest::newRow("web address") << "web" << false;
    QTest::newRow("web address over an image window") << "web" << true;
    QTest::newRow("plain text") << "text" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("folder over an image window") << "folder" << true;
}

void IntegrationTest::dropIgnoresWhatIsNoFile() {
    QFETCH(QString, what);
    QFETCH(bool, withWindow);
    const QString image = WriteImage("V0501.img", TestSamples());
    if (withWindow) {
        OpenPath(image);
        QVERIFY(form_->CurrentChild() != nullptr);
    }
    QList<QUrl> urls;
    QString text;
    if (what == QStringLiteral("web")) urls = {QUrl(QStringLiteral("https://example.org/V0501.img"))};
    if (what == QStringLiteral("text")) text = image;
    if (what == QStringLiteral("folder")) urls = {QUrl::fromLocalFile(QString::fromStdString(dir_->path().string()))};
    const std::string before = State().CurrentImagePath;
    const DropResult result = Drop(urls, text);
    QVERIFY(!result.enterAccepted);
    QVERIFY(!result.dropAccepted);
    QVERIFY(form_->statusBar()->currentMessage().isEmpty());  // no hint for what is no image file
    QTest::qWait(50);
    QCOMPARE(form_->CurrentChild() != nullptr, withWindow);
    QCOMPARE(State().CurrentImagePath, before);
}

// Qt hands a drop to the innermost widget that takes drops: nothing inside
// the main window may take them before it does.
void IntegrationTest::dropsReachTheMainWindow() {
    OpenPath(WriteImage("V0501.img", TestSamples()));
    QVERIFY(form_->acceptDrops());
    for (QWidget* widget : form_->findChildren<QWidget*>()) {
        if (widget->window() != form_ || !widget->isVisible()) continue;
        QVERIFY2(!widget->acceptDrops(), qPrintable(widget->objectName() + " " + widget->metaObject()->className()));
    }
}

// ---------------------------------------------------------------------------
// Device pixel ratio.

void IntegrationTest::onePixelPerSampleAtAnyRatio() {
    OpenPath(WriteImage("V0501.img", TestSamples()));
    QWidget* picture = View();
    QVERIFY(picture != nullptr);
    const qreal ratio = picture->devicePixelRatioF();
    if (ScaledByTwo()) QCOMPARE(ratio, 2.0);

    // The control is the picture's size in logical pixels: 526 x 330 at 2.
    QCOMPARE(picture->size(),
             QSize(static_cast<int>(std::ceil(kImageWidth / ratio)), static_cast<int>(std::ceil(kImageHeight / ratio))));
    const QPixmap painted = picture->grab();
    QCOMPARE(painted.devicePixelRatio(), ratio);
    QCOMPARE(painted.size(), QSize(kImageWidth, kImageHeight));  // device pixels, one per sample
    const QImage shown = painted.toImage().convertToFormat(QImage::Format_RGB32);
    for (const QPoint at : {QPoint(0, 0), QPoint(1, 1), QPoint(1051, 0), QPoint(0, 659), QPoint(1051, 659)}) {
        const int sample = SampleAt(at.y(), at.x());
        QCOMPARE(shown.pixel(at), qRgb(sample, sample, sample));
    }

    // The window's size limits are outer sizes in logical pixels.
    TChild* child = form_->CurrentChild();
    QVERIFY(child->width() >= TChild::kMinimumWidth && child->width() <= TChild::kMaximumWidth);
    QVERIFY(child->height() >= TChild::kMinimumHeight && child->height() <= TChild::kMaximumHeight);
    if (ratio >= 2.0) {
        // The whole picture fits: no scrolling needed.
        auto* scroll = child->findChild<QScrollArea*>("ImageScroll");
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
    }
}

// A logical point covers ratio x ratio device pixels; the readout names the
// first of them (at 2: logical (5, 10) is picture pixel (10, 20)).
void IntegrationTest::readoutAtTheDevicePixelRatio() {
    OpenPath(WriteImage("V0501.img", TestSamples()));
    const auto ratio = static_cast<int>(View()->devicePixelRatioF());
    if (ScaledByTwo()) QCOMPARE(ratio, 2);

    PointAt(QPoint(5, 10));
    QCOMPARE(Readout(), SampleText(10 * ratio, 5 * ratio, SampleAt(10 * ratio, 5 * ratio)));
    // Half a logical pixel on, as a real pointer reports it in the window:
    // at a ratio of 2 that is the odd column and row.
    const QPointF half(5.5, 10.5);
    // The event's own position is rounded, as Qt delivers it to a widget.
    QMouseEvent move(QEvent::MouseMove, QPointF(half.toPoint()), View()->mapTo(View()->window(), half), View()->mapToGlobal(half),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(View(), &move);
    const int oddX = static_cast<int>(5.5 * ratio);
    const int oddY = static_cast<int>(10.5 * ratio);
    QCOMPARE(Readout(), SampleText(oddY, oddX, SampleAt(oddY, oddX)));
    const int lastX = (kImageWidth - 1) / ratio;
    const int lastY = (kImageHeight - 1) / ratio;
    PointAt(QPoint(lastX, lastY));
    QCOMPARE(Readout(), SampleText(lastY * ratio, lastX * ratio, SampleAt(lastY * ratio, lastX * ratio)));
    Trigger({"ToolButton33"});
    PointAt(QPoint(5, 10));
    QCOMPARE(Readout(), SampleText(kImageHeight - 1 - 10 * ratio, kImageWidth - 1 - 5 * ratio, Shown(5 * ratio, 10 * ratio)));
}

// A main window smaller than the image window's described size (a small
// screen): the image window is fitted into the client area, in its normal
// and its maximised state, and its scroll bars reach the last sample.
void IntegrationTest::smallAreaStillReachesEverySample() {
    OpenPath(WriteImage("V0501.img", TestSamples()));
    form_->showNormal();
    form_->resize(760, 520);
    auto* area = form_->findChild<QMdiArea*>("ClientArea");
    TChild* child = form_->CurrentChild();
    QTRY_COMPARE(form_->size(), QSize(760, 520));
    for (const bool maximised : {false, true}) {
        if (maximised) child->showMaximized();
        const QRect room(QPoint(0, 0), area->viewport()->size());
        QTRY_VERIFY2(room.contains(child->geometry()), maximised ? "maximised" : "normal");
        auto* scroll = child->findChild<QScrollArea*>("ImageScroll");
        scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        const QPoint lastSample = View()->mapTo(scroll->viewport(), QPoint(View()->width() - 1, View()->height() - 1));
        QVERIFY2(scroll->viewport()->rect().contains(lastSample), maximised ? "maximised" : "normal");
    }
}

QTEST_MAIN(IntegrationTest)
#include "integration_test.moc"
