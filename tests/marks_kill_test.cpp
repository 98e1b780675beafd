// SPDX-License-Identifier: GPL-3.0-or-later
// Marks survive a killed program: the program runs again as a child, opens a
// sample tile and the Quad Mosaic window (which renders in the background)
// and draws marks with the measuring tools as a user would, saying each mark
// it completed; it is killed (SIGKILL) after a random number of marks or at a
// random moment, also mid-drawing or while starting, and the program started
// again finds every completed mark and a store that opens. DUSK_KILLS kills
// (5 unless set), each from its own seed; DUSK_KILL_SEED repeats a run.
#include <csignal>
#include <cstdio>
#include <random>
#include <set>

#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <QTableView>
#include <QThread>

#include "app/marks_model.h"
#include "app/quad_mosaic_window.h"
#include "app/measure_tools.h"
#include "app_fixture.h"
#include "marks/marks_store.h"

namespace {

using dusk::app::MarksModel;

// The child: draws marks on `tile` until it is killed, one line "mark ID" on
// stdout for each mark the tools completed, "unstored" for one the store did
// not take, "rendered" each time the mosaic is complete (it is rendered
// again at once, so that it renders all the while).
int MakeMarks(std::uint32_t seed, const QString& tile) {
    std::mt19937 random(seed);
    const auto uniform = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto* form = new dusk::app::TMainForm;
    form->SetImageChooser([tile] { return tile; });
    form->showMaximized();
    if (!QTest::qWaitForWindowExposed(form)) return 2;
    const auto trigger = [form](const char* name) { form->findChild<QAction*>(QString::fromLatin1(name))->trigger(); };
    const MarksModel& model = form->findChild<dusk::app::MeasureTools*>("MeasureTools")->Model();
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&model](const QModelIndex&, int first, int last) {
        for (int row = first; row <= last; ++row) {
            const std::int64_t id = model.Marks()[static_cast<std::size_t>(row)].id;
            if (id > 0) {
                std::printf("mark %lld\n", static_cast<long long>(id));
            } else {
                std::printf("unstored\n");
            }
            std::fflush(stdout);
        }
    });
    trigger("Open1");
    if (form->CurrentChild() == nullptr) return 3;
    QPointer<dusk::app::TPictureView> view = form->CurrentChild()->findChild<dusk::app::TPictureView*>("Image");
    trigger("QuadMosaic1");
    QPointer<dusk::app::TQuadMosaicWindow> mosaic = form->findChild<dusk::app::TQuadMosaicWindow*>("QuadMosaicWindow");
    if (mosaic == nullptr) return 4;
    const QSize size = view->ShownSize();
    const auto point = [&] { return QPoint(uniform(20, size.width() - 20), uniform(20, size.height() - 20)); };
    const auto pause = [&] {
        QTest::qWait(uniform(0, 8));  // the mosaic renders meanwhile
        if (mosaic->Finished()) {
            std::printf("rendered\n");
            std::fflush(stdout);
            trigger("QuadMosaic1");
        }
    };
    static const char* const kTools[] = {"MeasureDistance1", "MeasureArea1", "MeasureCrater1", "MeasureProfile1"};
    for (;;) {
        const int tool = uniform(0, 3);
        trigger(kTools[tool]);
        if (tool <= 1) {  // a line or a polygon: clicks, the last one double
            const int clicks = uniform(tool == 0 ? 2 : 3, 5);
            QPoint at;
            for (int i = 0; i < clicks; ++i) {
                at = point();
                QTest::mouseClick(view, Qt::LeftButton, {}, at);
                pause();
            }
            QTest::mouseDClick(view, Qt::LeftButton, {}, at);
        } else {  // a crater from its centre, a profile: dragged
            const QPoint from = point();
            QPoint to = point();
            if ((to - from).manhattanLength() < 10) to = from + QPoint(10, 10);
            QTest::mousePress(view, Qt::LeftButton, {}, from);
            pause();
            QTest::mouseMove(view, (from + to) / 2);
            pause();
            QTest::mouseRelease(view, Qt::LeftButton, {}, to);
        }
        pause();
    }
}

class MarksKillTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void initTestCase() {
        StartFolder();
        const std::string folder = (dir_->path() / "s").string();
        QCOMPARE(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + folder + "\" > /dev/null").c_str()), 0);
        tile_ = Decoded(dir_->path() / "s" / "V0506.img");
    }
    void cleanupTestCase() { dir_.reset(); }

    void everyCompletedMarkSurvivesAKill() {
        const int kills = qEnvironmentVariableIsSet("DUSK_KILLS") ? qEnvironmentVariableIntValue("DUSK_KILLS") : 5;
        const std::uint32_t base = qEnvironmentVariableIsSet("DUSK_KILL_SEED") ? qgetenv("DUSK_KILL_SEED").toUInt()
                                                                               : std::random_device()();
        qInfo("%d kills from seed %u", kills, base);
        std::set<std::int64_t> made;  // every completed mark so far, all kills sharing the store
        int rendered = 0;
        for (int kill = 0; kill < kills; ++kill) {
            const std::uint32_t seed = base + static_cast<std::uint32_t>(kill);
            const QString where =
                QStringLiteral("kill %1, seed %2 (DUSK_KILL_SEED=%2 DUSK_KILLS=1 makes its choices again)")
                    .arg(kill)
                    .arg(seed);
            std::mt19937 random(seed);
            // No mark waited for: a moment within the start and the mosaic's
            // rendering; else that many marks and a moment more.
            const int marks = std::uniform_int_distribution<int>(0, 5)(random);
            const int delay = std::uniform_int_distribution<int>(0, marks == 0 ? 1000 : 150)(random);

            QProcess child;
            child.setProgram(QCoreApplication::applicationFilePath());
            child.setArguments({QStringLiteral("--make-marks"), QString::number(seed), tile_});
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start();
            QVERIFY2(child.waitForStarted(), qPrintable(where));
            QByteArray out;
            const auto completed = [&out] { return static_cast<int>(out.count("mark ")); };
            QElapsedTimer waited;
            waited.start();
            while (completed() < marks && child.state() == QProcess::Running && waited.elapsed() < 60000) {
                child.waitForReadyRead(100);
                out += child.readAllStandardOutput();
            }
            QThread::msleep(static_cast<unsigned long>(delay));
            QVERIFY2(child.state() == QProcess::Running, qPrintable(where + ": the child ended by itself"));
            child.kill();
            QVERIFY2(child.waitForFinished(10000), qPrintable(where));
            QVERIFY2(child.exitStatus() == QProcess::CrashExit, qPrintable(where));
            out += child.readAllStandardOutput();

            // Only whole lines: each "mark" one is a mark the program had completed.
            const QList<QByteArray> lines = out.left(out.lastIndexOf('\n') + 1).split('\n');
            for (const QByteArray& line : lines) {
                if (line.isEmpty()) continue;
                if (line == "rendered") {
                    ++rendered;
                    continue;
                }
                QVERIFY2(line.startsWith("mark "), qPrintable(where + ": " + QString::fromUtf8(line)));
                made.insert(line.mid(5).toLongLong());
            }

            CheckRestart(made, where);
            if (QTest::currentTestFailed()) return;
        }
        qInfo("%zu marks made, %d mosaics rendered", made.size(), rendered);
        QVERIFY(!made.empty());
    }

private:
    // A fresh main window on the same store opens the tile and shows every
    // mark in `made` in the Measurements panel; the store opens.
    void CheckRestart(const std::set<std::int64_t>& made, const QString& where) {
        dusk::ResetState();
        form_ = new dusk::app::TMainForm;
        ShowForm();
        OpenFile(tile_);
        auto* table = form_->findChild<QTableView*>("MeasurementsTable");
        QVERIFY2(table != nullptr, qPrintable(where));
        const auto* model = qobject_cast<const MarksModel*>(table->model());
        QVERIFY2(model != nullptr, qPrintable(where));
        std::set<std::int64_t> shown;
        for (const dusk::Mark& m : model->Marks()) shown.insert(m.id);
        for (const std::int64_t id : made) {
            QVERIFY2(shown.count(id) == 1, qPrintable(where + QStringLiteral(": mark %1 lost").arg(id)));
        }
        QVERIFY2(form_->findChild<QLabel*>("MarksStoreNote") == nullptr, qPrintable(where + ": marks not kept"));
        delete form_;
        form_ = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        std::string error;
        const std::unique_ptr<dusk::MarksStore> store = dusk::MarksStore::Open(dusk::DefaultMarksPath(), error);
        QVERIFY2(store != nullptr && error.empty(), qPrintable(where + ": " + QString::fromStdString(error)));
    }

    QString tile_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == QLatin1String("--make-marks")) {
        return MakeMarks(arguments[2].toUInt(), arguments[3]);
    }
    MarksKillTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "marks_kill_test.moc"
