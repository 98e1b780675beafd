// SPDX-License-Identifier: GPL-3.0-or-later
// A long scan on Qt's offscreen platform: 10,000 steps (DUSK_SOAK_STEPS
// steps when set) back and forth through the sample collection on the test's
// own timer. Before every tick one item of the Options menu changes, walking
// all 128 combinations of its seven options in Gray-code order; on every
// image one option button or tone command is used; every 500 steps the image
// window is closed and the image opened again. Resident memory after the
// first 100 steps and after the last must differ by less than 1 MiB. It is
// taken once the allocator has handed its free pages back (malloc_trim):
// between steps the freed working buffers may or may not still sit at the top
// of the heap, which moves the raw figure by megabytes either way. Both
// figures are printed.
#include <malloc.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include "app/child.h"
#include "app/main_form.h"
#include "app_fixture.h"
#include "core/image_state.h"

using dusk::State;
using dusk::app::TChild;
using dusk::app::TMainForm;

namespace {

constexpr int kDefaultSteps = 10'000;
constexpr int kFirstMeasure = 100;
constexpr long long kMaxGrowth = 1 << 20;

// AddressSanitizer keeps freed memory in quarantine and has an allocator of
// its own: under it the resident figures are printed, not compared, and its
// leak check at exit is what counts.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

constexpr const char* kMenuOptions[] = {
    "Atostretch1", "Despeckleon1", "FlipVertically1", "Invert1", "Minimize1", "Minimize141", "Rotate1",
};
constexpr int kMenuOptionCount = sizeof kMenuOptions / sizeof kMenuOptions[0];

// Used on the image on display, one per step in turn: every option button,
// the tone commands and Original Image.
constexpr const char* kImageCommands[] = {
    "ToolButton10", "ToolButton33", "ToolButton12", "ToolButton13", "ToolButton18",
    "ToolButton19", "ToolButton30", "ToolButton32", "ToolButton27", "ToolButton28",
    "ToolButton20", "ToolButton21", "ShadingDown1", "ShadingUp1",   "ToolButton9",
};

// Resident memory of this process in bytes.
long long Resident() {
    std::ifstream statm("/proc/self/statm");
    long long size = 0;
    long long resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Qt Test ends a test function after five minutes; the soak takes longer.
const bool kLongTimeout = qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT") ||
                          qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(3 * 3600 * 1000));

int StepsWanted() {
    const char* text = std::getenv("DUSK_SOAK_STEPS");
    const int steps = text != nullptr ? std::atoi(text) : kDefaultSteps;
    return steps > kFirstMeasure ? steps : kDefaultSteps;
}

}  // namespace

class SoakTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void cleanup() { EndForm(); }
    void longScanKeepsItsMemory();
};

void SoakTest::longScanKeepsItsMemory() {
    StartFolder();
    const QString samples = QString::fromStdString((dir_->path() / "samples").string());
    QCOMPARE(QProcess::execute(QStringLiteral(DUSK_SAMPLES_TOOL), {samples}), 0);
    const QString first = samples + "/V0501.img";

    form_ = new TMainForm;
    DrivenTimer* timer = DriveScanTimer();
    ShowForm();
    QStringList boxes;
    QTimer boxWatch;
    connect(&boxWatch, &QTimer::timeout, this, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes << box->text();
            box->reject();
        }
    });
    boxWatch.start(50);

    auto settle = [] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    };

    OpenFile(first);
    const int count = State().FileCount;
    QVERIFY2(count >= 3, qPrintable(Counter()));

    const int wanted = StepsWanted();
    long long early = 0;
    long long late = 0;
    int steps = 0;
    unsigned changes = 0;
    while (steps < wanted) {
        if (!timer->IsActive()) Trigger(State().FilePosition >= count ? "ScanBackward1" : "ScanForward1");
        ++changes;
        const unsigned code = changes % (1u << kMenuOptionCount);
        Trigger(kMenuOptions[code == 0 ? kMenuOptionCount - 1 : std::countr_zero(code)]);

        const int before = State().FilePosition;
        QVERIFY(timer->Tick());
        if (State().FilePosition == before) continue;  // the scan stopped at an end
        ++steps;
        QCOMPARE(Counter(), QStringLiteral("%1/%2").arg(State().FilePosition).arg(count));
        Trigger(kImageCommands[steps % (sizeof kImageCommands / sizeof kImageCommands[0])]);
        QVERIFY(State().RawImage == nullptr && State().BitmapImage == nullptr);
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join(" | ")));

        if (steps % 500 == 0) {
            // Close the window and open the image on display again.
            const QString shown = QFile::decodeName(QByteArray::fromStdString(State().CurrentImagePath));
            QPointer<TChild> child = form_->CurrentChild();
            child->close();
            QTRY_VERIFY(child.isNull());
            OpenFile(shown);
        }
        if (steps == kFirstMeasure || steps % 1000 == 0 || steps == wanted) {
            settle();
            const long long raw = Resident();
            ::malloc_trim(0);
            const long long resident = Resident();
            if (steps == kFirstMeasure) early = resident;
            late = resident;
            std::printf("step %5d: resident %lld KiB (%lld KiB before the free pages went back)\n", steps,
                        resident / 1024, raw / 1024);
            std::fflush(stdout);
        }
    }
    std::printf("resident after %d steps: %lld KiB; after %d: %lld KiB; difference %+lld KiB\n", kFirstMeasure,
                early / 1024, steps, late / 1024, (late - early) / 1024);
    if (kAddressSanitizer) QSKIP("resident memory is not compared under AddressSanitizer");
    QVERIFY2(late - early < kMaxGrowth && early - late < kMaxGrowth,
             qPrintable(QStringLiteral("%1 bytes after %2 steps, %3 after %4").arg(early).arg(kFirstMeasure).arg(late).arg(steps)));
}

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
