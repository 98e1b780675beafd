// SPDX-License-Identifier: GPL-3.0-or-later
// Next, Previous and the timed scan of the desktop program on Qt's offscreen
// platform. The scan runs on a timer driven by the test's own clock; like the
// window system's timer it restarts on every start and every change of its
// interval, so a missing guard shows up as a shifted step. One test runs the
// real timer, with short pauses, behind a modal dialog.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractItemView>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include "app/child.h"
#include "app/main_form.h"
#include "app/scan_timer.h"
#include "app_fixture.h"
#include "core/image_state.h"

using dusk::State;
using dusk::test::kImageLength;
using dusk::app::TChild;
using dusk::app::TMainForm;

namespace {

// Each image is one grey level, so the picture tells which file is shown.
int FillOf(const std::string& name) {
    if (name == "V0501.img") return 10;
    if (name == "V0502.img") return 20;
    if (name == "V0503.img") return 30;
    return 5;
}

// What the counter and the scan show at one moment of a scan.
struct Moment {
    qint64 at;
    const char* counter;
    const char* scan;  // "forward", "backward" or "idle"
};

}  // namespace

class ScanTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stepAtTheEnds_data();
    void stepAtTheEnds();
    void stepToNonUtf8Name();
    void keys();
    void scanToTheEnd_data();
    void scanToTheEnd();
    void pauseChosenBeforeTheFirstScan();
    void reverseDuringScan();
    void nextDuringScan();
    void closeDuringScan();
    void togglesNotCarriedOptionMenuTaken();
    void openDialogStartsAtLastImageShown();
    void vanishedEntryDuringScan();
    void cutListNoteStaysWhileStepping();
    void realTimerBehindModalDialog();

private:
    QString Scan() const {
        const bool forward = Action("FileForAutoBtn")->isChecked();
        const bool backward = Action("FileTylAutBtn")->isChecked();
        const bool running =
            timer_ != nullptr ? timer_->IsActive() : form_->findChild<QTimer*>("Timer1")->isActive();
        if (running && forward && !backward) return "forward";
        if (running && backward && !forward) return "backward";
        if (!running && !forward && !backward) return "idle";
        return QStringLiteral("inconsistent (running %1, forward %2, backward %3)").arg(running).arg(forward).arg(backward);
    }
    static QString Path(const std::filesystem::path& path) { return Decoded(path); }
    // Runs the clock through the moments; each change must come exactly at
    // its time, not a millisecond earlier.
    void ExpectTimeline(std::initializer_list<Moment> moments) {
        QString counter = Counter();
        QString scan = Scan();
        for (const Moment& m : moments) {
            const QByteArray when = QByteArray::number(m.at) + " ms";
            timer_->RunTo(m.at - 1);
            QVERIFY2(Counter() == counter && Scan() == scan, "changed before " + when);
            timer_->RunTo(m.at);
            QVERIFY2(Counter() == QLatin1String(m.counter), "counter at " + when + ": " + Counter().toUtf8());
            QVERIFY2(Scan() == QLatin1String(m.scan), "scan at " + when + ": " + Scan().toUtf8());
            counter = Counter();
            scan = Scan();
        }
    }

    DrivenTimer* timer_ = nullptr;
};

void ScanTest::init() {
    StartFolder();
    // The collection V0501..V0503, an image outside it, and a folder whose
    // only image is outside the collection.
    for (const char* name : {"V0501.img", "V0502.img", "V0503.img", "X0500.img", "empty/X0500.img"}) {
        WriteImage(name, FillOf(std::filesystem::path(name).filename().string()));
    }
    form_ = new TMainForm;
    timer_ = DriveScanTimer();
    ShowForm();
}

void ScanTest::cleanup() {
    EndForm();
    timer_ = nullptr;
}

// ---------------------------------------------------------------------------
// Next and Previous.

void ScanTest::stepAtTheEnds_data() {
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("counter");
    // Menu items and tool buttons run the same commands.
    QTest::newRow("last: Next does nothing") << "V0503.img" << "Next1" << "V0503.img" << "3/3";
    QTest::newRow("last: Previous") << "V0503.img" << "FileTylBtn" << "V0502.img" << "2/3";
    QTest::newRow("first: Previous does nothing") << "V0501.img" << "Previous1" << "V0501.img" << "1/3";
    QTest::newRow("first: Next") << "V0501.img" << "FileForBtn" << "V0502.img" << "2/3";
    QTest::newRow("middle: Next") << "V0502.img" << "Next1" << "V0503.img" << "3/3";
    QTest::newRow("outside the list: Next shows entry 1") << "X0500.img" << "Next1" << "V0501.img" << "1/3";
    QTest::newRow("outside the list: Previous does nothing") << "X0500.img" << "Previous1" << "X0500.img" << "0/3";
    QTest::newRow("empty list: Next does nothing") << "empty/X0500.img" << "FileForBtn" << "X0500.img" << "0/0";
    QTest::newRow("empty list: Previous does nothing") << "empty/X0500.img" << "FileTylBtn" << "X0500.img" << "0/0";
}

void ScanTest::stepAtTheEnds() {
    QFETCH(QString, opened);
    QFETCH(QString, command);
    QFETCH(QString, shown);
    QFETCH(QString, counter);
    Open(opened.toStdString());
    const bool steps = shown != QFileInfo(opened).fileName();
    // A per-image toggle and a scan pause, to tell a step from no step.
    Trigger("ToolButton19");
    Trigger("N4seconds1");
    const int before = Shown();
    QCOMPARE(before, 255 - FillOf(QFileInfo(opened).fileName().toStdString()));
    const std::string folder = State().DirectoryPath;
    TChild* child = form_->CurrentChild();

    Trigger(command.toLatin1().constData());

    QCOMPARE(Caption(), shown);
    QCOMPARE(Counter(), counter);
    QCOMPARE(form_->CurrentChild(), child);  // the same window, never a new one
    QCOMPARE(form_->findChildren<TChild*>().size(), 1);
    QCOMPARE(Action("ToolButton19")->isChecked(), !steps);
    QCOMPARE(Shown(), steps ? FillOf(shown.toStdString()) : before);
    if (steps) {
        QCOMPARE(State().CurrentFileName, shown.toStdString());
        QCOMPARE(State().CurrentImagePath, folder + shown.toStdString());
    }
    // A step changes no enabled state, nor the folder, the scan pause or the list.
    QVERIFY(!Action("Open1")->isEnabled() && !Action("FileOpenBtn")->isEnabled());
    QVERIFY(Action("Next1")->isEnabled() && Action("FileTylAutBtn")->isEnabled());
    QCOMPARE(State().DirectoryPath, folder);
    QCOMPARE(State().ScanPause, 4000);
    QVERIFY(Action("N4seconds1")->isChecked() && !Action("N2seconds1")->isChecked());
    QCOMPARE(Scan(), QStringLiteral("idle"));
    QVERIFY(State().RawImage == nullptr && State().BitmapImage == nullptr);
    QVERIFY(form_->statusBar()->currentMessage().isEmpty());
}

void ScanTest::stepToNonUtf8Name() {
    // Latin-1 e-acute: not UTF-8, still listed, stepped to and read.
    const std::string name = "V05\xE9.img";
    WriteImage("latin/V0501.img", 10);
    WriteImage("latin/" + name, 77);
    Open("latin/V0501.img");
    Trigger("Next1");
    QCOMPARE(Counter(), QStringLiteral("2/2"));
    QCOMPARE(State().CurrentFileName, name);
    QCOMPARE(State().FileLength, kImageLength);
    QCOMPARE(Shown(), 77);
    QVERIFY(Caption().startsWith("V05") && Caption().endsWith(".img"));
    QVERIFY(form_->statusBar()->currentMessage().isEmpty());
}

void ScanTest::keys() {
    const struct {
        const char* action;
        QKeySequence key;
    } bindings[] = {
        {"Next1", QKeySequence(Qt::Key_PageDown)},      {"Previous1", QKeySequence(Qt::Key_PageUp)},
        {"ScanForward1", QKeySequence(Qt::Key_F5)},     {"ScanBackward1", QKeySequence(Qt::SHIFT | Qt::Key_F5)},
        {"ScanStop1", QKeySequence(Qt::Key_Escape)},
    };
    for (const auto& binding : bindings) QVERIFY2(Action(binding.action)->shortcuts().contains(binding.key), binding.action);

    QTest::keyClick(form_, Qt::Key_PageDown);  // no image: nothing happens
    QTest::keyClick(form_, Qt::Key_F5);
    QCOMPARE(Counter(), QStringLiteral("0/0"));
    QCOMPARE(Scan(), QStringLiteral("idle"));

    Open("V0501.img");
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
    QTest::keyClick(form_, Qt::Key_PageDown);
    QCOMPARE(Counter(), QStringLiteral("2/3"));
    QCOMPARE(Caption(), QStringLiteral("V0502.img"));
    QTest::keyClick(form_, Qt::Key_PageUp);
    QCOMPARE(Counter(), QStringLiteral("1/3"));
    QTest::keyClick(form_, Qt::Key_F5);
    QCOMPARE(Scan(), QStringLiteral("forward"));
    QTest::keyClick(form_, Qt::Key_F5, Qt::ShiftModifier);
    QCOMPARE(Scan(), QStringLiteral("backward"));
    QTest::keyClick(form_, Qt::Key_Escape);
    QCOMPARE(Scan(), QStringLiteral("idle"));
    QVERIFY(State().ScanDirection == dusk::Direction::None);
    QCOMPARE(Counter(), QStringLiteral("1/3"));

    // A menu opened and closed with Esc leaves the menu bar in keyboard
    // mode; the first Esc after it still stops the scan.
    QTest::keyClick(form_, Qt::Key_F5);
    QTest::keyClick(form_, Qt::Key_F, Qt::AltModifier);
    auto* file = form_->findChild<QMenu*>("File1");
    QTRY_VERIFY(file->isVisible());
    QTest::keyClick(file, Qt::Key_Escape);
    QTRY_VERIFY(!file->isVisible());
    QTest::keyClick(form_->menuBar(), Qt::Key_Escape);
    QCOMPARE(Scan(), QStringLiteral("idle"));
}

// ---------------------------------------------------------------------------
// The scan.

void ScanTest::scanToTheEnd_data() {
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("scan");
    QTest::addColumn<QStringList>("counters");  // at each 2 s tick; the last tick stops the scan
    QTest::newRow("forward from 1/3") << "V0501.img" << "ScanForward1" << "forward" << QStringList{"2/3", "3/3", "3/3"};
    QTest::newRow("backward from 3/3") << "V0503.img" << "FileTylAutBtn" << "backward" << QStringList{"2/3", "1/3", "1/3"};
    QTest::newRow("forward at the last entry") << "V0503.img" << "FileForAutoBtn" << "forward" << QStringList{"3/3"};
    QTest::newRow("backward outside the list") << "X0500.img" << "ScanBackward1" << "backward" << QStringList{"0/3"};
    QTest::newRow("forward outside the list") << "X0500.img" << "ScanForward1" << "forward" << QStringList{"1/3", "2/3", "3/3", "3/3"};
    QTest::newRow("empty list") << "empty/X0500.img" << "ScanForward1" << "forward" << QStringList{"0/0"};
}

void ScanTest::scanToTheEnd() {
    QFETCH(QString, opened);
    QFETCH(QString, command);
    QFETCH(QString, scan);
    QFETCH(QStringList, counters);
    Open(opened.toStdString());
    const QString start = Counter();
    Trigger(command.toLatin1().constData());
    QCOMPARE(Scan(), scan);  // pressed at once, but no step before the first tick
    QCOMPARE(Counter(), start);

    for (int k = 0; k < counters.size(); ++k) {
        const bool last = k + 1 == counters.size();
        const QByteArray counter = counters[k].toLatin1();
        const QByteArray expected = last ? QByteArray("idle") : scan.toLatin1();
        ExpectTimeline({{2000LL * (k + 1), counter.constData(), expected.constData()}});
    }
    // Nothing more happens, and the direction stays for no one to read.
    timer_->RunTo(timer_->Now() + 20000);
    QCOMPARE(Counter(), counters.last());
    QVERIFY(State().ScanDirection == (scan == "forward" ? dusk::Direction::Forward : dusk::Direction::Backward));
    if (counters.size() > 1) QCOMPARE(Caption(), QStringLiteral("V050%1.img").arg(counters.last().front()));
}

void ScanTest::pauseChosenBeforeTheFirstScan() {
    Open("V0501.img");
    Trigger("N5seconds1");
    Trigger("ScanForward1");
    // The first interval is the timer's own 2 s; every later one the pause.
    ExpectTimeline({{2000, "2/3", "forward"}, {7000, "3/3", "forward"}, {12000, "3/3", "idle"}});

    // The next scan of the run starts with the pause of the last tick; a
    // pause chosen during a scan governs from the tick after the change.
    Trigger("Previous1");
    Trigger("Previous1");
    QCOMPARE(Counter(), QStringLiteral("1/3"));
    timer_->RunTo(20000);
    Trigger("ScanForward1");
    ExpectTimeline({{25000, "2/3", "forward"}});
    timer_->RunTo(26000);
    Trigger("N3seconds1");
    ExpectTimeline({{30000, "3/3", "forward"}, {33000, "3/3", "idle"}});
    QCOMPARE(State().ScanPause, 3000);
}

void ScanTest::reverseDuringScan() {
    Open("V0502.img");
    Trigger("ScanForward1");
    ExpectTimeline({{2000, "3/3", "forward"}});
    timer_->RunTo(3000);
    Trigger("FileTylAutBtn");  // reverses without restarting the interval
    QCOMPARE(Scan(), QStringLiteral("backward"));
    QCOMPARE(Counter(), QStringLiteral("3/3"));
    timer_->RunTo(3500);
    Trigger("ScanBackward1");  // a running scan is not restarted either
    ExpectTimeline({{4000, "2/3", "backward"}});
    timer_->RunTo(5000);
    Trigger("FileForAutoBtn");
    QCOMPARE(Scan(), QStringLiteral("forward"));
    ExpectTimeline({{6000, "3/3", "forward"}, {8000, "3/3", "idle"}});
}

void ScanTest::nextDuringScan() {
    Open("V0501.img");
    Trigger("ScanForward1");
    timer_->RunTo(1000);
    Trigger("Next1");  // moves on at once; the scan goes on from there
    QCOMPARE(Counter(), QStringLiteral("2/3"));
    QCOMPARE(Scan(), QStringLiteral("forward"));
    ExpectTimeline({{2000, "3/3", "forward"}});
    timer_->RunTo(3000);
    Trigger("FileTylBtn");
    QCOMPARE(Counter(), QStringLiteral("2/3"));
    ExpectTimeline({{4000, "3/3", "forward"}, {6000, "3/3", "idle"}});
}

void ScanTest::closeDuringScan() {
    Open("V0501.img");
    Trigger("N3seconds1");
    Trigger("ScanForward1");
    ExpectTimeline({{2000, "2/3", "forward"}});
    QPointer<TChild> child = form_->CurrentChild();
    child->close();
    QTRY_VERIFY(child.isNull());
    QCOMPARE(Scan(), QStringLiteral("idle"));
    QCOMPARE(Counter(), QStringLiteral("0/0"));
    timer_->RunTo(60000);
    QCOMPARE(State().FilePosition, 2);
    QCOMPARE(Counter(), QStringLiteral("0/0"));

    // A new image does not resume the scan.
    Open("V0502.img");
    QCOMPARE(Scan(), QStringLiteral("idle"));
    timer_->RunTo(120000);
    QCOMPARE(Counter(), QStringLiteral("2/3"));
    QCOMPARE(Caption(), QStringLiteral("V0502.img"));
}

void ScanTest::togglesNotCarriedOptionMenuTaken() {
    Open("V0501.img");
    Trigger("ToolButton19");  // Invert Display, this image only
    Trigger("ToolButton21");  // Brightness Up
    QCOMPARE(Shown(), 255 - (10 + 20));
    Trigger("ToolButton13");  // Stretch, this image only
    QVERIFY(Action("ToolButton13")->isChecked());
    Trigger("Next1");
    QVERIFY(!Action("ToolButton19")->isChecked() && !Action("ToolButton13")->isChecked());
    QVERIFY(State().ActiveOptions == State().DefaultOptions);
    QCOMPARE(State().BrightnessOffset, 0);
    QCOMPARE(Shown(), 20);

    // The Options menu changes the next image, not this one.
    Trigger("Invert1");
    QCOMPARE(Shown(), 20);
    QVERIFY(!Action("ToolButton19")->isChecked());
    Trigger("ScanForward1");
    ExpectTimeline({{2000, "3/3", "forward"}});
    QCOMPARE(Shown(), 255 - 30);
    QVERIFY(Action("ToolButton19")->isChecked());
    QCOMPARE(State().ActiveOptions[dusk::OptInvert], 1);
}

void ScanTest::openDialogStartsAtLastImageShown() {
    Open("V0501.img");
    Trigger("Next1");
    Trigger("Next1");
    QPointer<TChild> child = form_->CurrentChild();
    child->close();
    QTRY_VERIFY(child.isNull());

    form_->SetImageChooser(nullptr);  // the real dialog
    auto* dialog = form_->findChild<QFileDialog*>("WyborZbioru");
    QString startDirectory;
    QString startFile;
    QTimer::singleShot(0, dialog, [&] {
        startDirectory = dialog->directory().absolutePath();
        startFile = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    Trigger("Open1");
    QCOMPARE(startDirectory, Path(dir_->path()));
    QCOMPARE(startFile, Path(dir_->path() / "V0503.img"));
    QVERIFY(form_->CurrentChild() == nullptr);
}

void ScanTest::vanishedEntryDuringScan() {
    Open("V0501.img");
    std::filesystem::remove(dir_->path() / "V0502.img");
    Trigger("ScanForward1");
    ExpectTimeline({{2000, "2/3", "forward"}});
    // Shown as an unreadable file: black, the reason in the status bar.
    QCOMPARE(Caption(), QStringLiteral("V0502.img"));
    QCOMPARE(State().FileLength, -1);
    QCOMPARE(Shown(), 0);
    const QString message = form_->statusBar()->currentMessage();
    QVERIFY2(message.contains(Path(dir_->path() / "V0502.img")), qPrintable(message));
    QVERIFY2(message.contains(QString::fromLocal8Bit(std::strerror(ENOENT))), qPrintable(message));
    QVERIFY(State().RawImage == nullptr && State().BitmapImage == nullptr);
    // The scan goes on.
    ExpectTimeline({{4000, "3/3", "forward"}, {6000, "3/3", "idle"}});
    QCOMPARE(Shown(), 30);
    QVERIFY(form_->statusBar()->currentMessage().isEmpty());
}

void ScanTest::cutListNoteStaysWhileStepping() {
    std::filesystem::create_directory(dir_->path() / "cut");
    for (int i = 0; i <= 1000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "cut/V05_%04d.IMG", i);
        dir_->file(name, 10001);
    }
    Open("cut/V05_0000.IMG");
    QCOMPARE(Counter(), QStringLiteral("1/1000"));
    const QString note = form_->statusBar()->currentMessage();
    QVERIFY2(note.contains("1000"), qPrintable(note));
    Trigger("Next1");
    QCOMPARE(Counter(), QStringLiteral("2/1000"));
    QCOMPARE(form_->statusBar()->currentMessage(), note);
}

// The window system's timer: the first step after Timer1's own 2 s, the later
// ones after the (short) pause, all while the modal Info box is open, whose
// lines follow the image on display.
void ScanTest::realTimerBehindModalDialog() {
    delete form_;
    form_ = new TMainForm;  // with its own timer
    timer_ = nullptr;
    form_->showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
    auto* timer = form_->findChild<QTimer*>("Timer1");
    QVERIFY(timer != nullptr);
    std::string label = "V0503 LABEL";
    label.resize(80, ' ');
    dir_->write("V0503.lbl", label);

    Open("V0501.img");
    State().ScanPause = 50;
    QElapsedTimer clock;
    std::vector<std::pair<qint64, QString>> changes;
    connect(form_->findChild<QLineEdit*>("Memo1"), &QLineEdit::textChanged, this,
            [&](const QString& text) { changes.emplace_back(clock.elapsed(), text); });
    auto* info = form_->findChild<QDialog*>("InfoBox");
    auto* lines = info->findChild<QAbstractItemView*>("ListBox1");
    bool wasModal = false;
    bool ended = false;
    QString firstLine;
    QTimer::singleShot(0, info, [&] {
        wasModal = info->isVisible() && info->isModal();
        ended = QTest::qWaitFor([&] { return !timer->isActive(); }, 20000);
        firstLine = lines->model()->index(0, 0).data().toString();
        info->reject();
    });
    clock.start();
    Trigger("ScanForward1");
    Trigger("ToolButton29");

    QVERIFY(wasModal);
    QVERIFY(ended);
    QCOMPARE(Scan(), QStringLiteral("idle"));
    QCOMPARE(changes.size(), std::size_t{2});
    QCOMPARE(changes[0].second, QStringLiteral("2/3"));
    QCOMPARE(changes[1].second, QStringLiteral("3/3"));
    QVERIFY2(changes[0].first >= 1800, qPrintable(QString::number(changes[0].first)));
    // The second step followed the first after the short pause, not after 2 s.
    QVERIFY2(changes[1].first - changes[0].first < 1500,
             qPrintable(QString::number(changes[1].first - changes[0].first)));
    QCOMPARE(timer->interval(), 50);
    QCOMPARE(Caption(), QStringLiteral("V0503.img"));
    QVERIFY2(firstLine.startsWith("V0503 LABEL"), qPrintable(firstLine));
}

QTEST_MAIN(ScanTest)
#include "scan_test.moc"
