// SPDX-License-Identifier: GPL-3.0-or-later
// The quad as one map in the windows: the tiles' outlines over the browse
// image and a click that shows the tile at the same place on Venus, the way
// back to the browse image, the Overview's map layout, Home, End and Go to
// Entry, and the tone levels in the status bar; on the sample volume.
#include <cmath>
#include <cstdlib>
#include <optional>
#include <regex>

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QScrollArea>
#include <QStatusBar>
#include <QTemporaryDir>

#include "app/overview_map.h"
#include "app/overview_window.h"
#include "app/quad_browser.h"
#include "app_fixture.h"
#include "core/readout.h"
#include "geo/map_coordinates.h"
#include "geo/quad.h"

namespace dusk::test {

class QuadWindowTest : public AppFixture {
    Q_OBJECT

    QTemporaryDir volume_;
    std::string samples_;

    QString Sample(const char* name) const { return QString::fromStdString(samples_ + name); }
    app::TQuadBrowser* Browser() const { return form_->findChild<app::TQuadBrowser*>(); }
    QString Readout() const { return form_->findChild<QLabel*>("PixelReadout")->text(); }

    // The latitude and longitude the readout gives under the pointer at the
    // middle of the image window.
    std::optional<LatLon> ReadoutAtMiddle() {
        auto* scroll = form_->CurrentChild()->findChild<QScrollArea*>();
        const QPoint middle = View()->mapFrom(scroll->viewport(), scroll->viewport()->rect().center());
        // A move to where the pointer already is would send nothing.
        QTest::mouseMove(View(), middle + QPoint(5, 5));
        QTest::mouseMove(View(), middle);
        QCoreApplication::processEvents();
        static const std::regex kLatLon(R"(([0-9.]+)° ([NS]), ([0-9.]+)° ([EW]))");
        std::smatch m;
        const std::string text = Readout().toStdString();
        if (!std::regex_search(text, m, kLatLon)) return std::nullopt;
        const double lat = std::stod(m[1]) * (m[2] == "S" ? -1 : 1);
        const double lon = std::stod(m[3]) * (m[4] == "W" ? -1 : 1);
        return LatLon{lat, lon};
    }

private slots:
    void initTestCase() {
        samples_ = volume_.path().toStdString() + "/samples/";
        QVERIFY(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + samples_ + "\" > /dev/null").c_str()) == 0);
    }
    void init() { StartForm(); }
    void cleanup() { EndForm(); }

    // A click on a browse image's outline shows that tile centred on the
    // clicked spot: the readout there gives the place of the browse spot to
    // within a browse sample (4 km), whatever the orientation.
    void clickOnAFootprintShowsThatTileThere_data() {
        QTest::addColumn<QString>("browse");
        QTest::addColumn<double>("column");
        QTest::addColumn<double>("row");
        QTest::addColumn<QString>("tile");
        QTest::addColumn<bool>("rotated");
        // Spots far enough inside a tile of 703 rows for the window to centre them.
        QTest::newRow("Lambert, tile 6") << "V05.img" << 393.5 << 263.5 << "V0506.img" << false;
        QTest::newRow("Lambert, tile 11") << "V05.img" << 646.5 << 439.5 << "V0511.img" << false;
        QTest::newRow("Lambert, rotated") << "V05.img" << 130.5 << 88.5 << "V0501.img" << true;
        QTest::newRow("polar, by the pole") << "V01.IMG" << 656.5 << 88.5 << "V0103.IMG" << false;
    }
    void clickOnAFootprintShowsThatTileThere() {
        QFETCH(QString, browse);
        QFETCH(double, column);
        QFETCH(double, row);
        QFETCH(QString, tile);
        QFETCH(bool, rotated);
        if (rotated) Trigger("Rotate1");  // the default of every load
        OpenFile(Sample(browse.toLatin1().constData()));
        QVERIFY(Action("TileFootprints1")->isEnabled());
        QVERIFY(!Action("ShowInBrowseImage1")->isEnabled());
        Trigger("TileFootprints1");
        QCOMPARE(Browser()->Footprints().size(), std::size_t{16});

        const QuadImage browseImage = ReadQuadImage(samples_, browse.toStdString());
        QVERIFY(browseImage.coordinates != nullptr);
        const std::optional<LatLon> spot = browseImage.coordinates->AtPoint(column, row);
        QVERIFY(spot.has_value());
        const PicturePoint at = PicturePointOf(CurrentDisplayMapping(), {column, row});
        emit form_->CurrentChild()->PictureActivated(QPointF(at.x, at.y));
        QCOMPARE(Caption(), tile);
        QVERIFY(Action("ShowInBrowseImage1")->isEnabled());
        QVERIFY(!Action("TileFootprints1")->isEnabled());

        const std::optional<LatLon> there = ReadoutAtMiddle();
        QVERIFY2(there.has_value(), qPrintable(Readout()));
        // A browse sample is 4 km: at most 0.04 degrees of latitude, and of
        // longitude as much over the cosine.
        QVERIFY2(std::abs(there->latitude - spot->latitude) < 0.04, qPrintable(Readout()));
        const double lon = std::remainder(there->longitude - spot->longitude, 360.0);
        QVERIFY2(std::abs(lon) * std::cos(spot->latitude * M_PI / 180) < 0.04, qPrintable(Readout()));

        // And back: the browse image with this tile framed.
        Trigger("ShowInBrowseImage1");
        QCOMPARE(Caption(), browse);
        QCOMPARE(Browser()->FramedTile(), TileNumberOf(tile.toStdString()));
    }

    // Outlines need the browse image's and the tiles' georeference; without
    // a label the item says why.
    void footprintsWithoutLabelsSayWhy() {
        WriteImage("V07.img", 100);
        WriteImage("V0701.img", 120);
        Open("V07.img");
        QVERIFY(!Action("TileFootprints1")->isEnabled());
        QCOMPARE(Action("TileFootprints1")->toolTip(), QStringLiteral("V07.img has no label"));
        // A click where an outline would be does nothing.
        emit form_->CurrentChild()->PictureActivated(QPointF(10, 10));
        QCOMPARE(Caption(), QStringLiteral("V07.img"));
    }

    // Home, End and Go to Entry by position and by name; a name that fits
    // no entry leaves the image and says so.
    void homeEndAndGoToEntry() {
        OpenFile(Sample("V0506.img"));
        const QString count = Counter().section('/', 1);
        Trigger("FirstEntry1");
        QCOMPARE(Counter(), QStringLiteral("1/") + count);
        Trigger("LastEntry1");
        QCOMPARE(Counter(), count + QStringLiteral("/") + count);
        QString typed;
        form_->SetEntryChooser([&typed] { return typed; });
        for (const auto& [text, caption] : {std::pair{"v0507", "V0507.img"}, std::pair{"3", "V0102.IMG"},
                                            std::pair{"V0116.IMG", "V0116.IMG"}}) {
            typed = QString::fromLatin1(text);
            Trigger("GoToEntry1");
            QCOMPARE(Caption(), QString::fromLatin1(caption));
        }
        typed = QStringLiteral("V09");
        Trigger("GoToEntry1");
        QCOMPARE(Caption(), QStringLiteral("V0116.IMG"));
        QVERIFY(form_->statusBar()->currentMessage().contains(QStringLiteral("V09")));
    }

    // The tone levels show while one is not 0, and go with Original Image.
    void levelsInTheStatusBar() {
        OpenFile(Sample("V0506.img"));
        auto* levels = form_->findChild<QLabel*>("LevelsField");
        QVERIFY(levels->isHidden());
        Trigger("ContrastUp1", 2);
        Trigger("BrightnessDown1");
        QVERIFY(levels->isVisible());
        QCOMPARE(levels->text(), QStringLiteral("Contrast +2  Brightness -20"));
        Trigger("OriginalImage1");
        QVERIFY(levels->isHidden());
    }

    // The map layout places the quad of the entry on display, names what it
    // left out, and a click on a tile steps to it.
    void overviewMapLayout() {
        OpenFile(Sample("V0506.img"));
        Trigger("CollectionOverview1");
        auto* overview = form_->findChild<app::TOverviewWindow*>();
        QVERIFY(overview->isVisible());
        overview->SetMapLayout(true);
        const app::TOverviewMap& map = overview->Map();
        QTRY_VERIFY(map.isVisible());
        QCOMPARE(map.Placed(), 17);  // the browse image and its 16 tiles
        QVERIFY(map.LeftOut().contains(QStringLiteral("in another projection")));

        // The middle of V0511's outline, on the screen.
        const QuadImage tile = ReadQuadImage(samples_, "V0511.img");
        const GeoTransform& t = tile.coordinates->FileTransform();
        const double c = tile.width / 2.0;
        const double r = tile.height / 2.0;
        const QPointF scene((t[0] + c * t[1] + r * t[2]) / 1000.0, -(t[3] + c * t[4] + r * t[5]) / 1000.0);
        auto& view = const_cast<app::TOverviewMap&>(map);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.mapFromScene(scene));
        QCOMPARE(Caption(), QStringLiteral("V0511.img"));
    }
};

}  // namespace dusk::test

QTEST_MAIN(dusk::test::QuadWindowTest)
#include "quad_window_test.moc"
