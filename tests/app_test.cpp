// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program on Qt's offscreen platform: the shell states of every
// command, Open through an injected chooser, the close reset, the option and
// tone commands checked against pictures computed here from the file's bytes.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "app/child.h"
#include "app/main_form.h"
#include "app_fixture.h"
#include "core/image_state.h"

using dusk::State;
using dusk::app::TChild;
using dusk::app::TMainForm;

namespace {

constexpr int kWidth = 1052;
constexpr int kHeight = 660;
constexpr int kLength = kWidth * kHeight;  // 694,320 bytes: a known geometry
constexpr int kImpulseX = 500;
constexpr int kImpulseY = 300;

// A gentle ramp (40 to 146, never the grey 160 of a reduced picture, never a
// blank line) with one bright impulse that despeckling removes.
std::vector<std::uint8_t> TestSamples() {
    std::vector<std::uint8_t> raw(kLength);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) raw[y * kWidth + x] = static_cast<std::uint8_t>(40 + x / 16 + y / 16);
    }
    raw[kImpulseY * kWidth + kImpulseX] = 250;
    return raw;
}

// Commands usable only while an image is shown; Open only while none is.
const std::set<QString> kImageCommands{
    "Next1",        "Previous1",    "SaveAs1",      "ExportMarks1",      "Print1",       "PrintSetup1",  "ScanForward1",
    "ScanBackward1", "ScanStop1",   "FileSaveBtn",  "ToolButton17", "FileTylAutBtn", "FileTylBtn",
    "FileStopBtn",  "FileForBtn",   "FileForAutoBtn", "ToolButton9", "ToolButton10", "ToolButton33",
    "ToolButton12", "ToolButton13", "ToolButton18", "ToolButton27", "ToolButton28", "ToolButton20",
    "ToolButton21", "ToolButton19", "ToolButton30", "ToolButton32", "ToolButton29", "ShadingDown1",
    "ShadingUp1",   "CloseImage1",  "FlipVertically2", "Rotate2",   "Despeckle1",   "Stretch1",
    "MissingLines1", "InvertDisplay1", "Minimize2", "Minimize142",  "ContrastDown1", "ContrastUp1",
    "BrightnessDown1", "BrightnessUp1", "OriginalImage1", "ZoomIn1", "ZoomOut1", "ActualSize1",
    "FitToWindow1", "CollectionOverview1", "QuadMosaic1", "FirstEntry1", "LastEntry1", "GoToEntry1",
};
// Enabled only over a quad's browse image or tile, which these tests never show.
const std::set<QString> kQuadCommands{"TileFootprints1", "ShowInBrowseImage1"};
const std::set<QString> kOpenCommands{"Open1", "FileOpenBtn"};
const QStringList kOptionButtons{"ToolButton10", "ToolButton12", "ToolButton13", "ToolButton18",
                                 "ToolButton19", "ToolButton30", "ToolButton32", "ToolButton33"};
const QStringList kOptionItems{"Despeckle1",     "Stretch1",  "MissingLines1", "InvertDisplay1",
                               "FlipVertically2", "Rotate2",  "Minimize2",     "Minimize142"};

// The Image menu: each item, its keys and the tool button of the same
// command (none for the shading steps).
const struct {
    const char* item;
    const char* keys;
    const char* button;
} kImageItems[] = {
    {"FlipVertically2", "Ctrl+Shift+V", "ToolButton10"}, {"Rotate2", "Ctrl+R", "ToolButton33"},
    {"Despeckle1", "Ctrl+D", "ToolButton12"},            {"Stretch1", "Ctrl+E", "ToolButton13"},
    {"MissingLines1", "Ctrl+L", "ToolButton18"},         {"InvertDisplay1", "Ctrl+N", "ToolButton19"},
    {"Minimize2", "Ctrl+2", "ToolButton30"},             {"Minimize142", "Ctrl+4", "ToolButton32"},
    {"ContrastDown1", "Shift+Down", "ToolButton27"},     {"ContrastUp1", "Shift+Up", "ToolButton28"},
    {"BrightnessDown1", "Ctrl+Down", "ToolButton20"},    {"BrightnessUp1", "Ctrl+Up", "ToolButton21"},
    {"ShadingDown1", "[", nullptr},                      {"ShadingUp1", "]", nullptr},
    {"OriginalImage1", "Ctrl+Shift+O", "ToolButton9"},
};

QStringList Names(const QList<QAction*>& actions, const QToolBar* row = nullptr) {
    QStringList names;
    for (QAction* action : actions) {
        QWidget* widget = row != nullptr ? row->widgetForAction(action) : nullptr;
        names << (widget != nullptr && !action->isSeparator() ? widget->objectName() : action->objectName());
    }
    return names;
}

}  // namespace

class AppTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpState();
    void menuItems_data();
    void menuItems();
    void toolBarRows();
    void toolButtonHints_data();
    void toolButtonHints();
    void dialogsExistHidden();

    void openShowsImage();
    void cancelledOpenChangesNothing();
    void closeResetsAndReopens();
    void optionMenuSetsNextLoad();
    void originalImageUpsideDownThenUpright();
    void contrastFloorsAtMinusOne();
    void brightnessSaturates_data();
    void brightnessSaturates();
    void minimizeBothShowsQuarter();
    void shadingKeys();
    void toolbarToggle();
    void infoKeyWithToolbarHidden();
    void imageMenuMatchesButtons_data();
    void imageMenuMatchesButtons();
    void closeImageKeys_data();
    void closeImageKeys();
    void keysAndAltLettersUnique();
    void accessibleNames();
    void unreadableFile_data();
    void unreadableFile();
    void handlerFailureShowsCriticalBox();
    void commandLineKeepsFileSystemBytes();
    void openDialogStartsAtLastImage();

private:
    QString OpenTestImage() {
        const QString path = WriteImage("V0501.img", samples_);
        OpenPath(path);
        return path;
    }
    // The picture as the image window shows it.
    QImage Shown() const { return Picture(); }
    // Compares the shown picture with expected(x, y) grey levels.
    void ExpectPicture(const std::function<int(int, int)>& expected) const {
        const QImage shown = Shown();
        QCOMPARE(shown.size(), QSize(kWidth, kHeight));
        for (int y = 0; y < kHeight; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
            for (int x = 0; x < kWidth; ++x) {
                const int want = expected(x, y);
                if (qRed(line[x]) != want || qGreen(line[x]) != want || qBlue(line[x]) != want) {
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(qRed(line[x]))
                                         .arg(want)));
                }
            }
        }
    }
    int Raw(int x, int y) const { return samples_[y * kWidth + x]; }
    // Types `keys` where the user would: at the focus widget of the active main window.
    void Press(const QKeySequence& keys) {
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_));
        QWidget* focus = QApplication::focusWidget();
        QTest::keySequence(focus != nullptr ? focus : form_, keys);
    }
    // Whether `command` brings `box` up modally; the box is closed again.
    static bool BringsUp(QDialog* box, const std::function<void()>& command) {
        bool shown = false;
        QTimer closer;
        closer.setSingleShot(true);
        QObject::connect(&closer, &QTimer::timeout, box, [&] {
            shown = box->isVisible() && box->isModal();
            box->reject();
        });
        closer.start(0);
        command();
        return QTest::qWaitFor([&] { return !closer.isActive(); }) && shown;
    }
    void ExpectShellState(bool imageShown) const {
        for (QAction* action : form_->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QString name = action->objectName();
            if (name.isEmpty() || action->isSeparator()) continue;
            bool expected = true;
            if (kImageCommands.count(name) != 0) expected = imageShown;
            if (kOpenCommands.count(name) != 0) expected = !imageShown;
            if (kQuadCommands.count(name) != 0) expected = false;
            QVERIFY2(action->isEnabled() == expected, qPrintable(name));
        }
    }

    std::vector<std::uint8_t> samples_ = TestSamples();
};

void AppTest::init() { StartForm(); }

void AppTest::cleanup() { EndForm(); }

// ---------------------------------------------------------------------------
// Start-up.

void AppTest::startUpState() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Dazove 15 & 16 ZI-RO Zozid Erovadu "));
    QVERIFY(form_->isMaximized());
    ExpectShellState(false);

    auto* counter = form_->findChild<QLineEdit*>("Memo1");
    QVERIFY(counter != nullptr);
    QCOMPARE(counter->text(), QStringLiteral("0/0"));
    QVERIFY(counter->alignment() & Qt::AlignRight);
    QCOMPARE(counter->size(), QSize(89, 22));
    // 16-pixel text; the position in a full list fits between the frame
    // and QLineEdit's 2-pixel blanks.
    QCOMPARE(counter->font().pixelSize(), 16);
    QStyleOptionFrame frame;
    frame.initFrom(counter);
    frame.lineWidth = counter->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, counter);
    const QRect room =
        counter->style()->subElementRect(QStyle::SE_LineEditContents, &frame, counter).adjusted(2, 1, -2, -1);
    const QFontMetrics metrics(counter->font());
    QVERIFY(metrics.horizontalAdvance("1000/1000") <= room.width());
    QVERIFY(metrics.tightBoundingRect("1000/1000").height() <= room.height());

    auto* timer = form_->findChild<QTimer*>("Timer1");
    QVERIFY(timer != nullptr);
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 2000);

    QCOMPARE(State().ScanPause, 0);
    for (const char* pause : {"N2seconds1", "N3seconds1", "N4seconds1", "N5seconds1"}) {
        QVERIFY(!Action(pause)->isChecked());
    }
    QVERIFY(Action("Toolbar1")->isChecked());
    for (const QString& button : kOptionButtons) QVERIFY(!Action(button)->isChecked());
    QVERIFY(form_->CurrentChild() == nullptr);

    QVERIFY(Action("Open1")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_O)));
    QVERIFY(Action("Exit1")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
    QCOMPARE(Action("ShadingDown1")->shortcut(), QKeySequence(Qt::Key_BracketLeft));
    QCOMPARE(Action("ShadingUp1")->shortcut(), QKeySequence(Qt::Key_BracketRight));
}

void AppTest::menuItems_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("menuCaption");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("checkable");

    QTest::newRow("File") << "File1" << "&File"
                          << QStringList{"Open1", "Next1", "Previous1", "SaveAs1", "ExportMarks1", "N2", "ScanForward1",
                                         "ScanBackward1", "ScanStop1", "N3", "Print1", "PrintSetup1", "N1", "Exit1",
                                         "N4", "CloseImage1"}
                          << QStringList{"&Open...", "&Next ", "Pr&evious", "Save &As...",
                                         QString::fromUtf8("Export &Marks\u2026"), "", "Scan Forward",
                                         "Scan Backward", "Scan Stop", "", "&Print...", "P&rint Setup...", "", "E&xit",
                                         "", "&Close Image"}
                          << QStringList{};
    const QStringList options{"Atostretch1", "Despeckleon1", "FlipVertically1", "Invert1",
                              "Minimize1",   "Minimize141",  "Rotate1"};
    QTest::newRow("Options") << "Options1" << "&Options" << options
                             << QStringList{"&Stretch", "&Despeckle ", "&Flip Vertically", "&Invert", "&Minimize 1/2",
                                            "Minimize 1/4", "&Rotate"}
                             << options;
    QTest::newRow("Image") << "Image1" << "&Image"
                           << QStringList{"FlipVertically2", "Rotate2", "Despeckle1", "Stretch1", "MissingLines1",
                                          "InvertDisplay1", "Minimize2", "Minimize142", "N5", "ContrastDown1",
                                          "ContrastUp1", "BrightnessDown1", "BrightnessUp1", "ShadingDown1",
                                          "ShadingUp1", "N6", "OriginalImage1"}
                           << QStringList{"&Flip Vertically", "&Rotate", "&Despeckle", "&Stretch", "Missing &Lines",
                                          "&Invert Display", "Minimize &1/2", "Minimize 1/&4", "", "&Contrast Down",
                                          "Co&ntrast Up", "&Brightness Down", "Bri&ghtness Up", "S&hading Down",
                                          "Sh&ading Up", "", "&Original Image"}
                           << kOptionItems;
    QTest::newRow("View") << "View1" << "&View"
                          << QStringList{"Toolbar1", "ZoomIn1", "ZoomOut1", "ActualSize1", "FitToWindow1", "Histogram1",
                                         "LabelKeywords1", "CollectionOverview1", "QuadMosaic1", "N7", "TileFootprints1",
                                         "ShowInBrowseImage1", "N8", "FirstEntry1", "LastEntry1", "GoToEntry1"}
                          << QStringList{"Toolbar", "Zoom &In", "Zoom &Out", "&Actual Size", "&Fit to Window", "&Histogram",
                                         "Label &Keywords", "Collection &Overview", "Quad &Mosaic", "", "Tile &Footprints",
                                         "Show in &Browse Image", "", "Fi&rst Entry", "&Last Entry",
                                         QString::fromUtf8("&Go to Entry\u2026")}
                          << QStringList{"Toolbar1", "FitToWindow1", "Histogram1", "LabelKeywords1", "CollectionOverview1",
                                         "TileFootprints1"};
    const QStringList pauses{"N2seconds1", "N3seconds1", "N4seconds1", "N5seconds1"};
    QTest::newRow("Scan-pause") << "Scan1" << "&Scan-pause" << pauses
                                << QStringList{"2 seconds", "3 seconds", "4 seconds", "5 seconds"} << pauses;
    QTest::newRow("About") << "Help1" << "&About" << QStringList{"About1"} << QStringList{"&About..."}
                           << QStringList{};
}

void AppTest::menuItems() {
    QFETCH(QString, menu);
    QFETCH(QString, menuCaption);
    QFETCH(QStringList, items);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, checkable);

    auto* found = form_->findChild<QMenu*>(menu);
    QVERIFY(found != nullptr);
    QCOMPARE(found->title(), menuCaption);
    QVERIFY(form_->menuBar()->actions().contains(found->menuAction()));
    QCOMPARE(Names(found->actions()), items);
    for (int i = 0; i < items.size(); ++i) {
        QAction* action = found->actions().at(i);
        QCOMPARE(action->isSeparator(), captions.at(i).isEmpty());
        if (action->isSeparator()) continue;
        QCOMPARE(action->text(), captions.at(i));
        QCOMPARE(action->isCheckable(), checkable.contains(items.at(i)));
    }
}

void AppTest::toolBarRows() {
    auto* row1 = form_->findChild<QToolBar*>("MojToolBarRow1");
    auto* row2 = form_->findChild<QToolBar*>("MojToolBarRow2");
    QVERIFY(row1 != nullptr && row2 != nullptr);
    const QStringList expected1{"FileOpenBtn",  "FileSaveBtn",    "ToolButton17", "ToolButton8",  "ToolButton16",
                                "ToolButton3",  "FileTylAutBtn",  "FileTylBtn",   "FileStopBtn",  "FileForBtn",
                                "FileForAutoBtn", "ToolButton4",  "ToolButton15", "ToolButton7",  "ToolButton9",
                                "ToolButton10", "ToolButton33",   "ToolButton12", "ToolButton13", "ToolButton18",
                                "ToolButton14", "ToolButton2",    "ToolButton1"};
    const QStringList expected2{"ToolButton27", "ToolButton28", "ToolButton20", "ToolButton21", "ToolButton25",
                                "ToolButton22", "ToolButton31", "ToolButton19", "ToolButton30", "ToolButton32",
                                "ToolButton24", "ToolButton26", "ToolButton23", "ToolButton29", "HelpAboutBtn",
                                "ToolButton5",  "ToolButton6",  "ToolButton11", "Memo1"};
    QCOMPARE(Names(row1->actions(), row1), expected1);
    QCOMPARE(Names(row2->actions(), row2), expected2);
    // Both rows sit in MojToolBar, one above the other.
    auto* toolBar = form_->findChild<QWidget*>("MojToolBar");
    QVERIFY(toolBar != nullptr && toolBar->isAncestorOf(row1) && toolBar->isAncestorOf(row2));
    QVERIFY(row1->geometry().bottom() < row2->geometry().top());
}

void AppTest::toolButtonHints_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("pressable");
    const struct {
        const char* name;
        const char* hint;
        bool pressable;
    } rows[] = {
        {"FileOpenBtn", "Open", false},
        {"FileSaveBtn", "Save as BMP", false},
        {"ToolButton17", "Print", false},
        {"FileTylAutBtn", "Scan Backword", true},
        {"FileTylBtn", "Previous", false},
        {"FileStopBtn", "Scan Stop", false},
        {"FileForBtn", "Next", false},
        {"FileForAutoBtn", "Scan Forword", true},
        {"ToolButton9", "Original Image", false},
        {"ToolButton10", "Flip Vertically", true},
        {"ToolButton33", "Rotate", true},
        {"ToolButton12", "Despeckle", true},
        {"ToolButton13", "Stretch", true},
        {"ToolButton18", "Missing lines", true},
        {"ToolButton27", "Contrast Down", false},
        {"ToolButton28", "Contrast Up", false},
        {"ToolButton20", "Brightness Down", false},
        {"ToolButton21", "Brightness Up", false},
        {"ToolButton19", "Invert Display", true},
        {"ToolButton30", "Minimize", true},
        {"ToolButton32", "Minimize - 25 % original size", true},
        {"ToolButton29", "Image Info", false},
        {"HelpAboutBtn", "About", false},
    };
    for (const auto& row : rows) QTest::newRow(row.name) << row.name << row.hint << row.pressable;
}

void AppTest::toolButtonHints() {
    QFETCH(QString, button);
    QFETCH(QString, hint);
    QFETCH(bool, pressable);
    auto* widget = form_->findChild<QToolButton*>(button);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->toolTip(), hint);
    QCOMPARE(widget->isCheckable(), pressable);
    // A drawn glyph, at the tool bar's size and at twice that.
    const QIcon icon = widget->icon();
    QVERIFY(!icon.pixmap(widget->iconSize(), 1.0).isNull());
    QCOMPARE(icon.pixmap(widget->iconSize(), 2.0).deviceIndependentSize().toSize(), widget->iconSize());
}

void AppTest::dialogsExistHidden() {
    auto* about = form_->findChild<QDialog*>("AboutBox");
    auto* info = form_->findChild<QDialog*>("InfoBox");
    QVERIFY(about != nullptr && info != nullptr);
    QVERIFY(about->isHidden() && info->isHidden());
    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    QCOMPARE(about->size(), QSize(329, 391));
    QCOMPARE(info->windowTitle(), QStringLiteral("Info"));
    QCOMPARE(info->size(), QSize(707, 476));
    QCOMPARE(info->findChild<QWidget*>("ListBox1")->geometry(), QRect(8, 8, 689, 393));
    QCOMPARE(info->findChild<QWidget*>("BitBtn1")->geometry(), QRect(312, 440, 75, 25));
    QCOMPARE(info->findChild<QWidget*>("Bevel1")->geometry().topLeft(), QPoint(8, 417));

    auto* dialog = form_->findChild<QFileDialog*>("WyborZbioru");
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->nameFilters(), QStringList{"Venera 15 and 16 Radar Images (*.img)"});

    // The About box opens modally with or without an image; OK closes it.
    for (const char* command : {"About1", "HelpAboutBtn"}) {
        bool wasShown = false;
        QTimer::singleShot(0, about, [&] {
            wasShown = about->isVisible() && about->isModal();
            about->findChild<QPushButton*>("OKButton")->click();
        });
        Trigger(command);
        QVERIFY(wasShown);
        QVERIFY(about->isHidden());
    }
}

// ---------------------------------------------------------------------------
// Open and the image-shown state.

void AppTest::openShowsImage() {
    WriteImage("V0502.img", std::vector<std::uint8_t>(20000, 1));
    const QString path = OpenTestImage();

    TChild* child = form_->CurrentChild();
    QVERIFY(child != nullptr);
    QCOMPARE(child->windowTitle(), QStringLiteral("V0501.img"));
    QCOMPARE(View()->size(), QSize(kWidth, kHeight));
    QVERIFY(child->width() >= 812 && child->width() <= 832);
    QVERIFY(child->height() >= 612 && child->height() <= 700);
    // With every option off, the first row of the file is at the top.
    ExpectPicture([this](int x, int y) { return Raw(x, y); });

    QCOMPARE(form_->findChild<QLineEdit*>("Memo1")->text(), QStringLiteral("1/2"));
    QCOMPARE(QFile::decodeName(QByteArray::fromStdString(State().CurrentImagePath)), path);
    ExpectShellState(true);
    QCOMPARE(State().ScanPause, 2000);
    QVERIFY(Action("N2seconds1")->isChecked());
    QVERIFY(!Action("N3seconds1")->isChecked());
    QVERIFY(State().RawImage == nullptr && State().BitmapImage == nullptr);
    QVERIFY(form_->statusBar()->currentMessage().isEmpty());

    // A second image window can never be opened.
    Trigger("FileOpenBtn");
    QCOMPARE(form_->findChildren<TChild*>().size(), 1);
}

void AppTest::cancelledOpenChangesNothing() {
    Trigger("Open1");
    QVERIFY(form_->CurrentChild() == nullptr);
    QVERIFY(State().CurrentImagePath.empty());
    QCOMPARE(State().ScanPause, 0);
    ExpectShellState(false);
}

void AppTest::closeResetsAndReopens() {
    OpenTestImage();
    Trigger("Despeckleon1");
    Trigger("ToolButton19");
    Trigger("N4seconds1");
    // A running forward scan, as the scan commands leave it.
    auto* timer = form_->findChild<QTimer*>("Timer1");
    timer->start();
    State().ScanDirection = dusk::Direction::Forward;
    Action("FileForAutoBtn")->setChecked(true);
    Action("FileTylAutBtn")->setChecked(true);

    QPointer<TChild> child = form_->CurrentChild();
    child->close();
    QTRY_VERIFY(child.isNull());

    ExpectShellState(false);
    QVERIFY(!timer->isActive());
    QVERIFY(!Action("FileForAutoBtn")->isChecked());
    QVERIFY(!Action("FileTylAutBtn")->isChecked());
    QCOMPARE(form_->findChild<QLineEdit*>("Memo1")->text(), QStringLiteral("0/0"));
    // Everything else keeps its value.
    QVERIFY(Action("ToolButton19")->isChecked());
    QVERIFY(Action("Despeckleon1")->isChecked());
    QCOMPARE(State().ScanPause, 4000);
    QVERIFY(Action("N4seconds1")->isChecked());
    QCOMPARE(State().FileCount, 1);

    OpenTestImage();
    QVERIFY(form_->CurrentChild() != nullptr);
    ExpectShellState(true);
    QCOMPARE(State().ScanPause, 2000);
    QVERIFY(Action("N2seconds1")->isChecked() && !Action("N4seconds1")->isChecked());
    QVERIFY(!timer->isActive());
    QVERIFY(!Action("ToolButton19")->isChecked());
    QVERIFY(Action("ToolButton12")->isChecked());
}

void AppTest::optionMenuSetsNextLoad() {
    OpenTestImage();
    const QImage loaded = Shown();
    QCOMPARE(qRed(loaded.pixel(kImpulseX, kImpulseY)), 250);

    Trigger("Despeckleon1");
    QVERIFY(Action("Despeckleon1")->isChecked());
    QCOMPARE(State().DefaultOptions[dusk::OptDespeckle], 1);
    QCOMPARE(State().ActiveOptions[dusk::OptDespeckle], 0);
    QVERIFY(!Action("ToolButton12")->isChecked());
    QCOMPARE(Shown(), loaded);
    QCOMPARE(form_->statusBar()->currentMessage(),
             QStringLiteral("Applies to the next image; the tool button changes this one."));
    Trigger("Despeckleon1");  // twice: back to off
    QVERIFY(!Action("Despeckleon1")->isChecked());
    QCOMPARE(State().DefaultOptions[dusk::OptDespeckle], 0);
    Trigger("Despeckleon1");

    CloseImage();
    OpenTestImage();
    QVERIFY(Action("ToolButton12")->isChecked() && Action("Despeckle1")->isChecked());
    const QImage despeckled = Shown();
    QCOMPARE(qRed(despeckled.pixel(kImpulseX, kImpulseY)), Raw(kImpulseX - 1, kImpulseY));

    // The button changes the image on display, and twice is no change.
    Trigger("ToolButton12");
    QVERIFY(!Action("ToolButton12")->isChecked());
    QCOMPARE(Shown(), loaded);
    Trigger("ToolButton12");
    QVERIFY(Action("ToolButton12")->isChecked());
    QCOMPARE(Shown(), despeckled);
    QVERIFY(Action("Despeckleon1")->isChecked());
}

void AppTest::originalImageUpsideDownThenUpright() {
    OpenTestImage();
    Trigger("ToolButton19");
    Trigger("ToolButton33");
    Trigger("ToolButton20");
    Trigger("ToolButton9");
    for (const QString& name : kOptionButtons + kOptionItems) QVERIFY2(!Action(name)->isChecked(), qPrintable(name));
    for (const std::int32_t flag : State().ActiveOptions) QCOMPARE(flag, 0);
    QCOMPARE(State().BrightnessOffset, 0);
    ExpectPicture([this](int x, int y) { return Raw(x, kHeight - 1 - y); });

    Trigger("ToolButton18");  // no blank line: the whole chain, upright again
    QVERIFY(Action("ToolButton18")->isChecked());
    ExpectPicture([this](int x, int y) { return Raw(x, y); });

    // Stretch spreads the dull test picture (levels 40 to 146) over more of the range.
    Trigger("ToolButton13");
    const int gain = 1 + State().StretchGain;
    const int offset = 20 * State().StretchOffset;
    QVERIFY(gain > 1);
    ExpectPicture([&](int x, int y) { return std::clamp(Raw(x, y) * gain - offset, 0, 255); });
}

void AppTest::contrastFloorsAtMinusOne() {
    OpenTestImage();
    Trigger("ToolButton27", 3);
    QCOMPARE(State().ContrastLevel, -1);
    // Gain 0 halves each sample, halves rounding to the even neighbour.
    ExpectPicture([this](int x, int y) {
        const int p = Raw(x, y);
        return p / 2 + ((p & 1) & ((p / 2) & 1));
    });
    Trigger("ToolButton28");
    QCOMPARE(State().ContrastLevel, 0);
    ExpectPicture([this](int x, int y) { return Raw(x, y); });
}

void AppTest::brightnessSaturates_data() {
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<int>("grey");
    QTest::newRow("white") << false << 255;
    QTest::newRow("inverted: black") << true << 0;
}

void AppTest::brightnessSaturates() {
    QFETCH(bool, inverted);
    QFETCH(int, grey);
    OpenTestImage();
    if (inverted) Trigger("ToolButton19");
    Trigger("ToolButton21", 13);
    QCOMPARE(State().BrightnessOffset, 260);
    ExpectPicture([grey](int, int) { return grey; });
}

void AppTest::minimizeBothShowsQuarter() {
    OpenTestImage();
    // The reduced picture is the only part that is not the grey 160 field.
    const auto pictureRect = [this] {
        const QImage shown = Shown();
        QRect found;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (qRed(shown.pixel(x, y)) != 160) found |= QRect(x, y, 1, 1);
            }
        }
        return found;
    };
    Trigger("ToolButton30");
    Trigger("ToolButton32");
    QVERIFY(Action("ToolButton30")->isChecked() && Action("ToolButton32")->isChecked());
    QCOMPARE(pictureRect(), QRect(269, 152, 263, 165));
    Trigger("ToolButton32");
    QVERIFY(Action("ToolButton30")->isChecked() && !Action("ToolButton32")->isChecked());
    QCOMPARE(pictureRect(), QRect(137, 69, 526, 330));
}

void AppTest::shadingKeys() {
    QTest::keyClick(form_, Qt::Key_BracketRight);  // no image: nothing happens
    QCOMPARE(State().ShadingLevel, 0);
    OpenTestImage();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
    const QImage loaded = Shown();
    QTest::keyClick(form_, Qt::Key_BracketRight);
    QCOMPARE(State().ShadingLevel, 1);
    QVERIFY(Shown() != loaded);
    QTest::keyClick(form_, Qt::Key_BracketLeft);
    QCOMPARE(State().ShadingLevel, 0);
    QCOMPARE(Shown(), loaded);
}

void AppTest::toolbarToggle() {
    auto* toolBar = form_->findChild<QWidget*>("MojToolBar");
    auto* counter = form_->findChild<QLineEdit*>("Memo1");
    auto* row1 = form_->findChild<QToolBar*>("MojToolBarRow1");
    QVERIFY(toolBar->isVisible() && counter->isVisible());
    Trigger("Toolbar1");
    QVERIFY(!toolBar->isVisible() && !counter->isVisible() && !row1->isVisible());
    QVERIFY(!Action("Toolbar1")->isChecked());
    QVERIFY(!form_->findChild<QWidget*>("MojCoolBar")->isHidden());
    Trigger("Toolbar1");
    QVERIFY(toolBar->isVisible() && counter->isVisible() && row1->isVisible());
    QVERIFY(Action("Toolbar1")->isChecked());
}

void AppTest::infoKeyWithToolbarHidden() {
    OpenTestImage();
    Trigger("Toolbar1");
    QVERIFY(!form_->findChild<QWidget*>("ToolButton29")->isVisible());
    QVERIFY(BringsUp(form_->findChild<QDialog*>("InfoBox"), [this] { Press(QKeySequence("Ctrl+I")); }));
}

// Each Image menu item, by its keys, makes the change its button makes, and
// the item's check and the button's pressed state follow each other.
void AppTest::imageMenuMatchesButtons_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("button");
    for (const auto& row : kImageItems) QTest::newRow(row.item) << row.item << row.keys << row.button;
}

void AppTest::imageMenuMatchesButtons() {
    QFETCH(QString, item);
    QFETCH(QString, keys);
    QFETCH(QString, button);
    const bool toggle = kOptionItems.contains(item);
    QAction* menuItem = Action(item);
    QAction* reference = Action(button.isEmpty() ? item : button);
    QVERIFY(menuItem != nullptr && reference != nullptr);
    QCOMPARE(menuItem->isCheckable(), toggle);

    OpenTestImage();
    const QImage loaded = Shown();
    Press(QKeySequence(keys));
    const QImage byItem = Shown();
    const auto levels = [] {
        return std::vector<int>{State().ContrastLevel, State().BrightnessOffset, State().ShadingLevel};
    };
    const auto itemLevels = levels();
    const auto itemOptions = State().ActiveOptions;
    QCOMPARE(reference->isChecked(), toggle);

    CloseImage();
    OpenTestImage();
    QVERIFY(!menuItem->isChecked());
    reference->trigger();
    QCOMPARE(Shown(), byItem);
    QVERIFY(levels() == itemLevels && State().ActiveOptions == itemOptions);
    QCOMPARE(menuItem->isChecked(), toggle);
    if (toggle) {
        menuItem->trigger();
        QVERIFY(!menuItem->isChecked() && !reference->isChecked());
        QCOMPARE(Shown(), loaded);
    }
}

void AppTest::closeImageKeys_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("Ctrl+W") << QKeySequence(Qt::CTRL | Qt::Key_W);
    QTest::newRow("Ctrl+F4") << QKeySequence(Qt::CTRL | Qt::Key_F4);
}

// Close Image does what the image window's close button does.
void AppTest::closeImageKeys() {
    QFETCH(QKeySequence, keys);
    OpenTestImage();
    Trigger("FileForAutoBtn");
    Press(keys);
    QTRY_VERIFY(form_->CurrentChild() == nullptr);
    ExpectShellState(false);
    QVERIFY(!Action("FileForAutoBtn")->isChecked());
    QCOMPARE(Counter(), QStringLiteral("0/0"));
    OpenTestImage();
    QVERIFY(form_->CurrentChild() != nullptr);
}

// With an image window open: no two actions of the main window share a key,
// and within the menu bar and each menu no two captions share an Alt letter.
void AppTest::keysAndAltLettersUnique() {
    OpenTestImage();
    QMap<QKeySequence, QString> owners;
    for (QAction* action : form_->findChildren<QAction*>()) {
        const QList<QObject*> users = action->associatedObjects();
        const bool inWindow = std::any_of(users.begin(), users.end(), [this](QObject* user) {
            auto* widget = qobject_cast<QWidget*>(user);
            return widget != nullptr && widget->window() == form_;
        });
        if (!inWindow) continue;
        for (const QKeySequence& key : action->shortcuts()) {
            QVERIFY2(!owners.contains(key), qPrintable(key.toString() + ": " + owners.value(key) + ", " +
                                                       action->text()));
            owners.insert(key, action->objectName());
        }
    }
    QVERIFY(owners.size() > 20);

    QList<QWidget*> bars{form_->menuBar()};
    for (QMenu* menu : form_->menuBar()->findChildren<QMenu*>()) bars << menu;
    // Both captions are given; a second press of Alt+O moves on to the other.
    const QSet<QString> sharedLetter{"Zoom &Out", "Collection &Overview", "&Fit to Window", "Tile &Footprints"};
    for (QWidget* bar : bars) {
        QSet<QKeySequence> letters;
        for (QAction* action : bar->actions()) {
            const QKeySequence letter = QKeySequence::mnemonic(action->text());
            if (letter.isEmpty() || sharedLetter.contains(action->text())) continue;
            QVERIFY2(!letters.contains(letter), qPrintable(action->text()));
            letters.insert(letter);
        }
    }
}

// What a screen reader says for the picture, the counter, the tool-bar rows
// and the two scan buttons, whose hints are misspelt.
void AppTest::accessibleNames() {
    OpenTestImage();
    const struct {
        const char* widget;
        const char* name;
    } rows[] = {
        {"Image", "Radar image"},
        {"Memo1", "Position in the folder"},
        {"MojToolBarRow1", "File, scan and option tools"},
        {"MojToolBarRow2", "Tone, size and information tools"},
        {"FileForAutoBtn", "Scan Forward"},
        {"FileTylAutBtn", "Scan Backward"},
    };
    for (const auto& row : rows) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(form_->findChild<QWidget*>(row.widget));
        QVERIFY2(spoken != nullptr, row.widget);
        QCOMPARE(spoken->text(QAccessible::Name), QString::fromLatin1(row.name));
    }
}

void AppTest::unreadableFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder") << "folder" << QString::fromLocal8Bit(std::strerror(EISDIR));
    QTest::newRow("fifo") << "fifo" << "not a regular file";
    QTest::newRow("gone") << "gone" << QString::fromLocal8Bit(std::strerror(ENOENT));
}

void AppTest::unreadableFile() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const std::filesystem::path path = dir_->path() / "V0507.img";
    if (kind == "folder") std::filesystem::create_directory(path);
    if (kind == "fifo") QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
    OpenPath(QFile::decodeName(QByteArray::fromStdString(path.string())));

    QVERIFY(form_->CurrentChild() != nullptr);
    QCOMPARE(form_->CurrentChild()->windowTitle(), QStringLiteral("V0507.img"));
    QCOMPARE(State().FileLength, -1);
    ExpectPicture([](int, int) { return 0; });
    const QString message = form_->statusBar()->currentMessage();
    QVERIFY2(message.contains(QString::fromStdString(path.string())), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    ExpectShellState(true);
}

void AppTest::handlerFailureShowsCriticalBox() {
    form_->SetImageChooser([]() -> QString { throw std::runtime_error("the dialog broke"); });
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, form_, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    Trigger("Open1");
    QCOMPARE(title, QStringLiteral("Duskmapper"));
    QCOMPARE(text, QStringLiteral("the dialog broke"));
    QCOMPARE(icon, QMessageBox::Critical);
    // The program goes on in the state reached.
    QVERIFY(form_->CurrentChild() == nullptr);
    ExpectShellState(false);
    OpenTestImage();
    QVERIFY(form_->CurrentChild() != nullptr);
}

void AppTest::commandLineKeepsFileSystemBytes() {
    // A name that is not UTF-8 (Latin-1 e-acute) reaches the file system as it is.
    const std::string name = "V05\xE9.img";
    const auto path = dir_->write(name, std::string(samples_.begin(), samples_.end()));
    form_->OpenFromCommandLine(QByteArray::fromStdString(path.string()));
    QVERIFY(form_->CurrentChild() != nullptr);
    QCOMPARE(State().FileLength, kLength);
    QCOMPARE(State().CurrentFileName, name);
    QVERIFY(form_->statusBar()->currentMessage().isEmpty());
    ExpectPicture([this](int x, int y) { return Raw(x, y); });
}

void AppTest::openDialogStartsAtLastImage() {
    const QString first = OpenTestImage();
    WriteImage("V0502.IMG", samples_);
    WriteImage("V0501.lbl", std::vector<std::uint8_t>(100, 'x'));
    CloseImage();

    form_->SetImageChooser(nullptr);  // the real dialog
    auto* dialog = form_->findChild<QFileDialog*>("WyborZbioru");
    QString startDirectory;
    QString startFile;
    bool listsUpperCase = false;
    bool listsLabel = true;
    QTimer::singleShot(0, dialog, [&] {
        startDirectory = dialog->directory().absolutePath();
        startFile = dialog->selectedFiles().value(0);
        // The names the dialog offers in its list of the folder.
        auto* view = dialog->findChild<QListView*>("listView");
        const auto offered = [view] {
            QStringList names;
            if (view == nullptr) return names;
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
                names << view->model()->index(row, 0, view->rootIndex()).data().toString();
            }
            return names;
        };
        listsUpperCase = QTest::qWaitFor([&] { return offered().contains("V0502.IMG"); }, 5000);
        listsLabel = offered().contains("V0501.lbl");
        static_cast<QDialog*>(dialog)->accept();
        if (dialog->isVisible()) dialog->reject();
    });
    Trigger("Open1");
    QCOMPARE(startDirectory, QFileInfo(first).absolutePath());
    QCOMPARE(startFile, first);
    QVERIFY(listsUpperCase);
    QVERIFY(!listsLabel);
    // The dialog's choice is what Open reads.
    QVERIFY(form_->CurrentChild() != nullptr);
    QCOMPARE(form_->CurrentChild()->windowTitle(), QStringLiteral("V0501.img"));
    QCOMPARE(QFile::decodeName(QByteArray::fromStdString(State().CurrentImagePath)), first);
}

QTEST_MAIN(AppTest)
#include "app_test.moc"
