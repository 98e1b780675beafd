// SPDX-License-Identifier: GPL-3.0-or-later
// The Collection Overview on Qt's offscreen platform: every tile against the
// thumbnail rendered here on a record of the test's own, a click and Enter
// as steps to their entry, the defaults rendered again, placeholders for
// entries that became unreadable, and closing mid-render again and again.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <QLabel>
#include <QListView>
#include <QtTest>

#include "app/overview_model.h"
#include "app/overview_window.h"
#include "app_fixture.h"
#include "load/thumbnail.h"

namespace {

using dusk::app::OverviewModel;
using dusk::test::kImageLength;
using dusk::test::kImageWidth;

std::vector<std::uint8_t> Samples(int image) {
    std::vector<std::uint8_t> raw(kImageLength);
    for (std::size_t k = 0; k < raw.size(); ++k) {
        const int x = static_cast<int>(k % kImageWidth);
        const int y = static_cast<int>(k / kImageWidth);
        raw[k] = static_cast<std::uint8_t>(10 + (x * image + y * (7 - image) + image * 40) % 230);
    }
    return raw;
}

QString Name(int position) { return QStringLiteral("V05%1.img").arg(position, 2, 10, QLatin1Char('0')); }

}  // namespace

class OverviewTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init() { StartForm(); }
    void cleanup() { EndForm(); }

    void tilesAreTheThumbnailsAndAClickIsAStep();
    void newDefaultsRenderAgainAndLeaveThePicture();
    void unreadableEntriesGetPlaceholders();
    void closingMidRenderAgainAndAgain();

private:
    // Writes `count` images, opens the first and opens the overview with Ctrl+T.
    void OpenCollection(int count) {
        for (int i = 1; i <= count; ++i) WriteImage(Name(i).toStdString(), Samples(i % 5 + 1));
        Open(Name(1).toStdString());
    }
    void OpenOverview() {
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_));
        QTest::keyClick(form_, Qt::Key_T, Qt::ControlModifier);
        QVERIFY(Overview()->isVisible());
        QVERIFY(Action("CollectionOverview1")->isChecked());
    }
    dusk::app::TOverviewWindow* Overview() const {
        return form_->findChild<dusk::app::TOverviewWindow*>("OverviewWindow");
    }
    QListView* Grid() const { return form_->findChild<QListView*>("OverviewGrid"); }
    QModelIndex Tile(int row) const { return Grid()->model()->index(row, 0); }
    void WaitAllRendered() {
        QTRY_VERIFY_WITH_TIMEOUT(Overview()->Count() > 0 && Overview()->Rendered() == Overview()->Count(), 20000);
        QCOMPARE(form_->findChild<QLabel*>("OverviewProgress")->text(),
                 QStringLiteral("All %1 rendered").arg(Overview()->Count()));
    }
    // Every tile equals the thumbnail made here, on a record of the test's own.
    void CompareTiles(const dusk::OptionFlags& defaults) {
        dusk::ScopedImageState own;
        for (int row = 0; row < Overview()->Count(); ++row) {
            const std::string path = (dir_->path() / Name(row + 1).toStdString()).string();
            const dusk::Thumbnail expected = dusk::RenderThumbnail(path, defaults, 160);
            const QImage tile = Tile(row).data(Qt::DecorationRole).value<QImage>();
            QCOMPARE(tile.size(), QSize(expected.width, expected.height));
            for (int y = 0; y < tile.height(); ++y) {
                QVERIFY(std::equal(tile.constScanLine(y), tile.constScanLine(y) + tile.width(),
                                   expected.grey.begin() + static_cast<std::ptrdiff_t>(y) * expected.width));
            }
        }
    }
    void ClickTile(int row) {
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->visualRect(Tile(row)).center());
    }
    bool ShownTile(int row) const { return Tile(row).data(OverviewModel::ShownRole).toBool(); }
};

void OverviewTest::tilesAreTheThumbnailsAndAClickIsAStep() {
    DrivenTimer* scan = DriveScanTimer();
    dusk::State().DefaultOptions[dusk::OptMinimizeHalf] = 1;
    OpenCollection(5);
    OpenOverview();
    WaitAllRendered();
    CompareTiles(dusk::State().DefaultOptions);
    QCOMPARE(Tile(2).data(OverviewModel::PositionRole).toString(), QStringLiteral("3/5"));
    QCOMPARE(Counter(), QStringLiteral("1/5"));  // rendering left the image on display alone
    QVERIFY(ShownTile(0));

    // A per-image toggle goes, as with any step.
    Trigger("ToolButton19");
    ClickTile(2);
    QCOMPARE(Counter(), QStringLiteral("3/5"));
    QCOMPARE(Caption(), Name(3));
    QCOMPARE(dusk::State().ActiveOptions, dusk::State().DefaultOptions);
    QVERIFY(!Action("ToolButton19")->isChecked());
    QVERIFY(Action("ToolButton30")->isChecked());
    QVERIFY(ShownTile(2) && !ShownTile(0));

    // The overview follows Next; the arrow keys move the selection, Enter shows it.
    Trigger("Next1");
    QVERIFY(ShownTile(3));
    QCOMPARE(Grid()->currentIndex().row(), 3);
    QTest::keyClick(Grid(), Qt::Key_Right);
    QCOMPARE(Counter(), QStringLiteral("4/5"));
    QTest::keyClick(Grid(), Qt::Key_Return);
    QCOMPARE(Counter(), QStringLiteral("5/5"));
    QVERIFY(ShownTile(4));
    // ... and Previous and a scan.
    Trigger("Previous1");
    QVERIFY(ShownTile(3) && !ShownTile(4));
    Trigger("ScanBackward1");
    QVERIFY(scan->Tick());
    QCOMPARE(Counter(), QStringLiteral("3/5"));
    QVERIFY(ShownTile(2));
    QCOMPARE(Grid()->currentIndex().row(), 2);

    // Ctrl+T again closes it, also from the overview; closing the image
    // window closes it too.
    Overview()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Overview()));
    QTest::keyClick(Grid(), Qt::Key_T, Qt::ControlModifier);
    QVERIFY(!Overview()->isVisible());
    OpenOverview();
    QCOMPARE(Overview()->Rendered(), 5);  // kept
    CloseImage();
    QVERIFY(!Overview()->isVisible());
    QVERIFY(!Action("CollectionOverview1")->isEnabled());
    QCOMPARE(Overview()->Count(), 0);
}

void OverviewTest::newDefaultsRenderAgainAndLeaveThePicture() {
    OpenCollection(4);
    OpenOverview();
    WaitAllRendered();
    const QImage before = Picture();
    Trigger("Invert1");
    Trigger("Rotate1");
    QVERIFY(Overview()->Rendered() < 4);
    WaitAllRendered();
    CompareTiles(dusk::State().DefaultOptions);
    QCOMPARE(Picture(), before);
}

void OverviewTest::unreadableEntriesGetPlaceholders() {
    namespace fs = std::filesystem;
    OpenCollection(6);
    // After listing: a FIFO, a link to a device, an empty file, a folder and a
    // vanished file take the places of five entries.
    const auto at = [this](int position) { return dir_->path() / Name(position).toStdString(); };
    for (int i = 2; i <= 6; ++i) fs::remove(at(i));
    QCOMPARE(::mkfifo(at(2).c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", at(3));
    dir_->write(Name(4).toStdString(), "");
    fs::create_directory(at(5));
    OpenOverview();
    WaitAllRendered();
    QVERIFY(Tile(0).data(OverviewModel::FailureRole).toString().isEmpty());
    for (int row = 1; row < 6; ++row) {
        const QString reason = Tile(row).data(OverviewModel::FailureRole).toString();
        QVERIFY2(!reason.isEmpty(), qPrintable(Name(row + 1)));
        QVERIFY(Tile(row).data(Qt::DecorationRole).value<QImage>().isNull());
        QCOMPARE(Tile(row).data(Qt::ToolTipRole).toString(), Name(row + 1) + ": " + reason);
    }
    QCOMPARE(Tile(3).data(OverviewModel::FailureRole).toString(), QStringLiteral("the file is empty"));
    ClickTile(1);  // loads as a step would: black, with the reason in the status bar
    QCOMPARE(Counter(), QStringLiteral("2/6"));
}

void OverviewTest::closingMidRenderAgainAndAgain() {
    OpenCollection(40);
    const QString first = Decoded(dir_->path() / Name(1).toStdString());
    int midRender = 0;
    for (int round = 0; round < 30; ++round) {
        if (form_->CurrentChild() == nullptr) OpenFile(first);
        OpenOverview();
        QTest::qWait(round % 4);
        if (Overview()->Rendered() < Overview()->Count()) ++midRender;
        if (round % 6 == 5) {
            // Quitting mid-render: the main window goes with its workers.
            delete form_;
            form_ = new dusk::app::TMainForm;
            ShowForm();
            continue;
        }
        if (round % 3 == 1) Trigger("Despeckleon1");  // new defaults mid-render
        CloseImage();
        QCOMPARE(Overview()->Count(), 0);
    }
    QVERIFY(midRender > 20);
}

QTEST_MAIN(OverviewTest)
#include "overview_test.moc"
