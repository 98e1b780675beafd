// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile folders for the desktop program on Qt's offscreen platform: FIFOs,
// devices, folders and links named like images, entries that change between
// listing and loading, labels that are no files, names of 255 bytes and names
// that are not UTF-8, and a folder of 5,000 images. Every case runs under a
// watchdog that ends the program, naming the case, when it does not finish;
// a failure must show in the status bar, never in an error box; afterwards
// the program must still open and step through a good collection.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include "app/child.h"
#include "app/main_form.h"
#include "app_fixture.h"
#include "core/image_state.h"

using dusk::State;
using dusk::test::kImageLength;
using dusk::app::TChild;
using dusk::app::TMainForm;
namespace fs = std::filesystem;

namespace {

constexpr auto kHangLimit = std::chrono::seconds(30);

// Ends the whole test program, naming the case, when the case has not
// finished in time: a hang would otherwise only show as the test's timeout.
class Watchdog {
public:
    explicit Watchdog(QByteArray what) : what_(std::move(what)), thread_([this] { Watch(); }) {}
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

private:
    void Watch() {
        std::unique_lock lock(mutex_);
        if (!wake_.wait_for(lock, kHangLimit, [this] { return done_; })) {
            std::fprintf(stderr, "HANG: %s did not finish within %lld s\n", what_.constData(),
                         static_cast<long long>(kHangLimit.count()));
            std::abort();
        }
    }

    QByteArray what_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;  // last, so it starts once the rest is set up
};

// What a folder entry named like an image can be instead of an image.
enum class Kind {
    Fifo,          // a named pipe with no writer
    ZeroDevice,    // a link to /dev/zero, which never ends
    NullDevice,    // a link to /dev/null
    Folder,        // a folder, with an image inside
    DanglingLink,  // a link to nothing
    LinkLoop,      // two links pointing at each other
    SelfLink,      // a link to itself
    Removed,       // nothing at all
    Empty,         // a file of 0 bytes
    Shrunk,        // a file of 5,000 bytes
    Grown,         // a file of 3,000,000 bytes, more than is ever read
};

// The reason the status bar gives for a kind that cannot be read; empty for
// the kinds that are read.
std::string ReasonOf(Kind kind) {
    switch (kind) {
        case Kind::Fifo:
        case Kind::ZeroDevice:
        case Kind::NullDevice:
            return "not a regular file";
        case Kind::Folder:
            return std::strerror(EISDIR);
        case Kind::DanglingLink:
        case Kind::Removed:
            return std::strerror(ENOENT);
        case Kind::LinkLoop:
        case Kind::SelfLink:
            return std::strerror(ELOOP);
        case Kind::Empty:
        case Kind::Shrunk:
        case Kind::Grown:
            return {};
    }
    return {};
}

// What the status bar says of a kind that is read, named `name`.
QString NoteOf(Kind kind, const QString& name) {
    switch (kind) {
        case Kind::Empty:
            return name + " is empty";
        case Kind::Shrunk:
            return QString::fromUtf8("5,000 bytes match no known raster size; shown as 1052 \u00D7 660");
        case Kind::Grown:
            return QString::fromUtf8("2,100,000 bytes or more match no known raster size; shown as 1052 \u00D7 660");
        default:
            return {};
    }
}

// The bytes read from a kind that is read.
int LengthOf(Kind kind) {
    switch (kind) {
        case Kind::Empty:
            return 0;
        case Kind::Shrunk:
            return 5000;
        case Kind::Grown:
            return 2'100'000;
        default:
            return -1;
    }
}

// Puts a `kind` at `path`, replacing whatever is there; files are of `fill`.
void Make(Kind kind, const fs::path& path, char fill) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
    auto write = [&](std::size_t size) {
        std::ofstream out(path, std::ios::binary);
        const std::string bytes(size, fill);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    fs::path other = path;
    other += ".loop";
    switch (kind) {
        case Kind::Fifo:
            if (::mkfifo(path.c_str(), 0644) != 0) QFAIL("mkfifo failed");
            break;
        case Kind::ZeroDevice:
            fs::create_symlink("/dev/zero", path);
            break;
        case Kind::NullDevice:
            fs::create_symlink("/dev/null", path);
            break;
        case Kind::Folder: {
            fs::create_directory(path);
            std::ofstream(path / "V0501.img", std::ios::binary) << std::string(kImageLength, fill);
            break;
        }
        case Kind::DanglingLink:
            fs::create_symlink(path.parent_path() / "nowhere", path);
            break;
        case Kind::LinkLoop:
            fs::remove(other, ignored);
            fs::create_symlink(other.filename(), path);
            fs::create_symlink(path.filename(), other);
            break;
        case Kind::SelfLink:
            fs::create_symlink(path.filename(), path);
            break;
        case Kind::Removed:
            break;
        case Kind::Empty:
            write(0);
            break;
        case Kind::Shrunk:
            write(5000);
            break;
        case Kind::Grown:
            write(3'000'000);
            break;
    }
}

void AddKindRows() {
    QTest::addColumn<Kind>("kind");
    QTest::newRow("FIFO") << Kind::Fifo;
    QTest::newRow("link to /dev/zero") << Kind::ZeroDevice;
    QTest::newRow("link to /dev/null") << Kind::NullDevice;
    QTest::newRow("folder") << Kind::Folder;
    QTest::newRow("dangling link") << Kind::DanglingLink;
    QTest::newRow("link loop") << Kind::LinkLoop;
    QTest::newRow("link to itself") << Kind::SelfLink;
    QTest::newRow("empty file") << Kind::Empty;
    QTest::newRow("5,000 bytes") << Kind::Shrunk;
    QTest::newRow("3,000,000 bytes") << Kind::Grown;
}

}  // namespace

Q_DECLARE_METATYPE(Kind)

class HostileTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openHostileEntry_data() { AddKindRows(); }
    void openHostileEntry();
    void entryChangedBeforeItsStep_data();
    void entryChangedBeforeItsStep();
    void hostileLabel_data();
    void hostileLabel();
    void longAndNonUtf8Names();
    void nonUtf8NamesFromTheOpenDialog();
    void fiveThousandImages();
    void openDialogInAHostileFolder();

private:
    QString Message() const { return form_->statusBar()->currentMessage(); }
    QStringList LabelLines() const {
        QStringList lines;
        auto* list = form_->findChild<QAbstractItemView*>("ListBox1");
        for (int row = 0; row < list->model()->rowCount(); ++row) lines << list->model()->index(row, 0).data().toString();
        return lines;
    }
    // Closes the image window, if any, and waits until it is gone; the shell
    // must be back at its start-up state.
    void CloseImage() {
        QPointer<TChild> child = form_->CurrentChild();
        if (child.isNull()) return;
        child->close();
        QTRY_VERIFY(child.isNull());
        QCOMPARE(Counter(), QStringLiteral("0/0"));
        QVERIFY(Action("Open1")->isEnabled());
    }
    // The unreadable entry shows black at the default size, with the path and
    // the reason in the status bar.
    void ExpectUnreadable(const std::string& path, const std::string& reason) {
        QCOMPARE(State().FileLength, -1);
        QCOMPARE(Picture().size(), QSize(1052, 660));
        QCOMPARE(Shown(), 0);
        const QString message = Message();
        QVERIFY2(message.startsWith(QStringLiteral("Could not read ")), qPrintable(message));
        QVERIFY2(message.contains(Decoded(path)), qPrintable(message));
        QVERIFY2(message.contains(QString::fromLocal8Bit(reason.c_str())), qPrintable(message));
    }
    // After whatever came before: no error box has come up, the buffers are
    // released, and a good collection opens and steps as on a fresh start.
    void ExpectStillUsable() {
        QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join(" | ")));
        QVERIFY(State().RawImage == nullptr && State().BitmapImage == nullptr);
        CloseImage();
        if (QTest::currentTestFailed()) return;
        Open("good/V0501.img");
        if (QTest::currentTestFailed()) return;
        QCOMPARE(Counter(), QStringLiteral("1/3"));
        QCOMPARE(Shown(), 10);
        QVERIFY2(Message().isEmpty(), qPrintable(Message()));
        Trigger("Next1");
        QCOMPARE(Counter(), QStringLiteral("2/3"));
        QCOMPARE(Shown(), 20);
        CloseImage();
        QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join(" | ")));
    }

    DrivenTimer* timer_ = nullptr;
    QTimer* boxWatch_ = nullptr;
    QStringList boxes_;  // the texts of error boxes that came up
};

void HostileTest::init() {
    StartFolder();
    WriteImage("good/V0501.img", 10);
    WriteImage("good/V0502.img", 20);
    WriteImage("good/V0503.img", 30);
    form_ = new TMainForm;
    timer_ = DriveScanTimer();
    ShowForm();
    // An error box would wait for a click: note its text and close it.
    boxes_.clear();
    boxWatch_ = new QTimer(form_);
    connect(boxWatch_, &QTimer::timeout, this, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes_ << box->text();
            box->reject();
        }
    });
    boxWatch_->start(20);
}

void HostileTest::cleanup() {
    EndForm();
    timer_ = nullptr;
}

// Open on each kind, as if it had been chosen: black with the reason where it
// cannot be read, shown where it can; Next then goes into the collection.
void HostileTest::openHostileEntry() {
    QFETCH(Kind, kind);
    Watchdog watchdog(QTest::currentDataTag());
    WriteImage("V0501.img", 10);
    WriteImage("V0502.img", 20);
    const fs::path entry = dir_->path() / "V0509.IMG";
    Make(kind, entry, 40);

    Open("V0509.IMG");
    if (QTest::currentTestFailed()) return;
    QCOMPARE(Caption(), QStringLiteral("V0509.IMG"));
    const std::string reason = ReasonOf(kind);
    if (reason.empty()) {
        QCOMPARE(State().FileLength, LengthOf(kind));
        QCOMPARE(Picture().size(), QSize(1052, 660));
        QCOMPARE(Message(), NoteOf(kind, "V0509.IMG"));
    } else {
        ExpectUnreadable(entry.string(), reason);
    }
    // Only a file of more than 10,000 bytes joins the collection.
    const bool listed = kind == Kind::Grown;
    QCOMPARE(Counter(), listed ? QStringLiteral("3/3") : QStringLiteral("0/2"));
    if (kind == Kind::Grown) QCOMPARE(Shown(), 40);

    Trigger("FileForBtn");
    if (!listed) {
        QCOMPARE(Counter(), QStringLiteral("1/2"));
        QCOMPARE(Shown(), 10);
        QVERIFY2(Message().isEmpty(), qPrintable(Message()));
    }
    ExpectStillUsable();
}

void HostileTest::entryChangedBeforeItsStep_data() {
    AddKindRows();
    QTest::newRow("removed") << Kind::Removed;
}

// The middle image of three turns into something else after Open listed it:
// a scan shows it black with the reason and goes on; stepping back onto it
// does the same.
void HostileTest::entryChangedBeforeItsStep() {
    QFETCH(Kind, kind);
    Watchdog watchdog(QTest::currentDataTag());
    WriteImage("V0501.img", 10);
    WriteImage("V0502.img", 20);
    WriteImage("V0503.img", 30);
    Open("V0501.img");
    if (QTest::currentTestFailed()) return;
    const fs::path entry = dir_->path() / "V0502.img";
    Make(kind, entry, 50);

    auto expectEntry2 = [&] {
        QCOMPARE(Counter(), QStringLiteral("2/3"));
        QCOMPARE(Caption(), QStringLiteral("V0502.img"));
        const std::string reason = ReasonOf(kind);
        if (reason.empty()) {
            QCOMPARE(State().FileLength, LengthOf(kind));
            QCOMPARE(Picture().size(), QSize(1052, 660));
            if (kind != Kind::Empty) QCOMPARE(Shown(), 50);
            QCOMPARE(Message(), NoteOf(kind, "V0502.img"));
        } else {
            ExpectUnreadable(entry.string(), reason);
        }
    };
    Trigger("ScanForward1");
    QVERIFY(timer_->Tick());
    expectEntry2();
    if (QTest::currentTestFailed()) return;
    QVERIFY(timer_->Tick());
    QCOMPARE(Counter(), QStringLiteral("3/3"));
    QCOMPARE(Shown(), 30);
    QVERIFY2(Message().isEmpty(), qPrintable(Message()));
    QVERIFY(timer_->Tick());  // the end: the scan stops
    QVERIFY(!timer_->IsActive());

    Trigger("Previous1");
    expectEntry2();
    if (QTest::currentTestFailed()) return;
    Trigger("Previous1");
    QCOMPARE(Counter(), QStringLiteral("1/3"));
    QCOMPARE(Shown(), 10);
    ExpectStillUsable();
}

void HostileTest::hostileLabel_data() {
    QTest::addColumn<Kind>("kind");
    QTest::newRow("FIFO") << Kind::Fifo;
    QTest::newRow("link to /dev/zero") << Kind::ZeroDevice;
    QTest::newRow("folder") << Kind::Folder;
    QTest::newRow("dangling link") << Kind::DanglingLink;
    QTest::newRow("link loop") << Kind::LinkLoop;
    QTest::newRow("3,000,000 bytes") << Kind::Grown;
}

// A label that is no file gives no lines or empty ones; the image shows.
void HostileTest::hostileLabel() {
    QFETCH(Kind, kind);
    Watchdog watchdog(QTest::currentDataTag());
    WriteImage("V0501.img", 10);
    WriteImage("V0502.img", 20);
    Make(kind, dir_->path() / "V0502.lbl", 'A');
    Open("V0501.img");
    if (QTest::currentTestFailed()) return;
    Trigger("Next1");
    // A label of more than 10,000 bytes joins the list: it goes by name and size.
    QCOMPARE(Counter(), kind == Kind::Grown ? QStringLiteral("2/3") : QStringLiteral("2/2"));
    QCOMPARE(Shown(), 20);
    QVERIFY2(Message().isEmpty(), qPrintable(Message()));
    const QStringList lines = LabelLines();
    if (kind == Kind::Grown) {
        // A real file: 67 lines of 80 characters, the last two blanked.
        QCOMPARE(lines.size(), 67);
        QCOMPARE(lines.front(), QString(78, 'A') + "  ");
    } else {
        QVERIFY2(lines.isEmpty() || lines.size() == 67, qPrintable(QString::number(lines.size())));
        for (const QString& line : lines) QVERIFY(line.isEmpty());
    }
    ExpectStillUsable();
}

// Names of 255 bytes, names with bytes that are not UTF-8 and names with
// control characters are listed, scanned through both ways and shown.
void HostileTest::longAndNonUtf8Names() {
    Watchdog watchdog("longAndNonUtf8Names");
    std::string accents = "V05";
    while (accents.size() + 2 <= 255) accents += "\xC3\xA9";  // e-acute, 126 times
    const std::map<std::string, int> images = {
        {"V05" + std::string(248, 'L') + ".IMG", 11},
        {accents, 12},
        {"V05\xFF\xFE.img", 13},
        {"V05\xC3.img", 14},          // a sequence cut short
        {"V05\xED\xA0\x80.img", 15},  // an encoded surrogate
        {"V05\x80.img", 16},
        {"V05\t\r\n\x1B.img", 17},
        {"V05 \xE2\x80\xAE.img", 18},  // right-to-left override
    };
    // The folder itself has a name that is not UTF-8.
    const std::string folder = "odd\xFF/";
    for (const auto& [name, fill] : images) {
        QCOMPARE(name.size() <= 255, true);
        WriteImage(folder + name, fill);
    }
    const std::string first = images.begin()->first;  // std::map sorts by byte value, as the list does
    const QByteArray path = QByteArray::fromStdString((dir_->path() / (folder + first)).string());
    form_->OpenFromCommandLine(path);
    QVERIFY(form_->CurrentChild() != nullptr);
    const int count = static_cast<int>(images.size());
    QCOMPARE(Counter(), QStringLiteral("1/%1").arg(count));

    auto expectShown = [&](int position) {
        const std::string& name = State().FileList[position - 1];
        QCOMPARE(State().CurrentFileName, name);
        QCOMPARE(Counter(), QStringLiteral("%1/%2").arg(position).arg(count));
        QCOMPARE(State().FileLength, kImageLength);
        QCOMPARE(Shown(), images.at(name));
        QCOMPARE(Caption(), Decoded(name));
        QVERIFY2(Message().isEmpty(), qPrintable(Message()));
    };
    expectShown(1);
    Trigger("ScanForward1");
    for (int position = 2; position <= count; ++position) {
        QVERIFY(timer_->Tick());
        expectShown(position);
        if (QTest::currentTestFailed()) return;
    }
    QVERIFY(timer_->Tick());
    QVERIFY(!timer_->IsActive());
    Trigger("ScanBackward1");
    for (int position = count - 1; position >= 1; --position) {
        QVERIFY(timer_->Tick());
        expectShown(position);
        if (QTest::currentTestFailed()) return;
    }
    ExpectStillUsable();
}

// The Open dialog gives names as text, with a replacement character for every
// byte that is not UTF-8; the file meant is still the one opened, unless two
// names of the folder read the same, which is then reported.
void HostileTest::nonUtf8NamesFromTheOpenDialog() {
    Watchdog watchdog("nonUtf8NamesFromTheOpenDialog");
    const std::string folder = "odd\xFF/";
    WriteImage(folder + "V05\xFF\xFE.img", 13);
    WriteImage(folder + "V05\x80.img", 16);
    WriteImage(folder + "V05\xE9.img", 17);  // reads the same as the one before
    WriteImage(folder + "V0501.img", 10);

    Open(folder + "V05\xFF\xFE.img");
    if (QTest::currentTestFailed()) return;
    QCOMPARE(State().CurrentFileName, std::string("V05\xFF\xFE.img"));
    QCOMPARE(State().DirectoryPath, (dir_->path() / folder).string());
    QCOMPARE(Shown(), 13);
    QCOMPARE(Counter(), QStringLiteral("4/4"));
    QVERIFY2(Message().isEmpty(), qPrintable(Message()));
    Trigger("Previous1");
    QCOMPARE(Shown(), 17);
    CloseImage();

    const std::string ambiguous = (dir_->path() / (folder + "V05\x80.img")).string();
    Open(folder + "V05\x80.img");
    if (QTest::currentTestFailed()) return;
    QCOMPARE(State().FileLength, -1);
    QCOMPARE(Shown(), 0);
    QVERIFY2(Message().startsWith("Could not read ") && Message().contains(Decoded(ambiguous)), qPrintable(Message()));
    QCOMPARE(State().DirectoryPath, (dir_->path() / folder).string());
    QCOMPARE(Counter(), QStringLiteral("0/4"));
    ExpectStillUsable();
}

// 5,000 images: the list holds the first 1,000 and says so; a scan runs to
// the end of the list; an image past the list opens outside it.
void HostileTest::fiveThousandImages() {
    Watchdog watchdog("fiveThousandImages");
    fs::create_directory(dir_->path() / "many");
    for (int i = 0; i < 5000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "many/V05_%04d.IMG", i);
        std::ofstream(dir_->path() / name);
        fs::resize_file(dir_->path() / name, kImageLength);  // sparse: black pictures
    }
    Open("many/V05_0997.IMG");
    if (QTest::currentTestFailed()) return;
    QCOMPARE(Counter(), QStringLiteral("998/1000"));
    const QString note = Message();
    QVERIFY2(note.contains("1000"), qPrintable(note));
    Trigger("ScanForward1");
    QVERIFY(timer_->Tick());
    QCOMPARE(Counter(), QStringLiteral("999/1000"));
    QVERIFY(timer_->Tick());
    QCOMPARE(Counter(), QStringLiteral("1000/1000"));
    QCOMPARE(Caption(), QStringLiteral("V05_0999.IMG"));
    QVERIFY(timer_->Tick());
    QVERIFY(!timer_->IsActive());
    QCOMPARE(Message(), note);
    CloseImage();

    Open("many/V05_4321.IMG");
    if (QTest::currentTestFailed()) return;
    QCOMPARE(Counter(), QStringLiteral("0/1000"));
    QCOMPARE(State().FileLength, kImageLength);
    Trigger("Next1");
    QCOMPARE(Counter(), QStringLiteral("1/1000"));
    QCOMPARE(Caption(), QStringLiteral("V05_0000.IMG"));
    ExpectStillUsable();
}

// The real Open dialog in a folder of FIFOs, devices, loops and thousands of
// names comes up and lists it; a FIFO's name typed there opens as an
// unreadable file; a folder named like an image is entered, not opened.
void HostileTest::openDialogInAHostileFolder() {
    Watchdog watchdog("openDialogInAHostileFolder");
    WriteImage("V0501.img", 10);
    Make(Kind::Fifo, dir_->path() / "V0502.img", 0);
    Make(Kind::ZeroDevice, dir_->path() / "V0503.img", 0);
    Make(Kind::Folder, dir_->path() / "V0504.img", 0);
    Make(Kind::LinkLoop, dir_->path() / "V0505.img", 0);
    Make(Kind::DanglingLink, dir_->path() / "V0506.img", 0);
    for (int i = 0; i < 2000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "X%04d.img", i);
        std::ofstream(dir_->path() / name);
    }
    Open("V0501.img");
    if (QTest::currentTestFailed()) return;
    CloseImage();

    form_->SetImageChooser(nullptr);  // the real dialog, starting in this folder
    auto* dialog = form_->findChild<QFileDialog*>("WyborZbioru");
    QStringList listed;
    QString entered;
    // Types a name into the dialog and accepts it; a folder is entered rather
    // than opened, and the dialog is then closed.
    auto choose = [&](const QString& typed) {
        QTimer::singleShot(0, dialog, [&, typed] {
            auto* view = dialog->findChild<QListView*>("listView");
            const auto offered = [view] {
                QStringList names;
                for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
                    names << view->model()->index(row, 0, view->rootIndex()).data().toString();
                }
                return names;
            };
            QVERIFY(QTest::qWaitFor([&] { return offered().contains("X1999.img"); }, 10000));
            listed = offered();
            auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, typed);
            static_cast<QDialog*>(dialog)->accept();
            entered = dialog->directory().dirName();
            if (dialog->isVisible()) dialog->reject();
        });
        Trigger("Open1");
    };

    choose(QStringLiteral("V0504.img"));
    QCOMPARE(entered, QStringLiteral("V0504.img"));
    QVERIFY(form_->CurrentChild() == nullptr);
    // The folder is listed (the FIFO and the device are not offered, but a
    // name typed in is taken).
    for (const char* name : {"V0501.img", "V0504.img", "X0000.img"}) {
        QVERIFY2(listed.contains(name), name);
    }

    choose(Decoded((dir_->path() / "V0502.img").string()));
    QVERIFY(form_->CurrentChild() != nullptr);
    ExpectUnreadable((dir_->path() / "V0502.img").string(), ReasonOf(Kind::Fifo));
    ExpectStillUsable();
}

QTEST_MAIN(HostileTest)
#include "hostile_test.moc"
