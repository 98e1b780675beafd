// SPDX-License-Identifier: GPL-3.0-or-later
// The measuring tools on Qt's offscreen platform: each tool drawn on the
// picture makes a row whose figures are those of the geodesy of the file
// raster, in samples without georeference; Esc leaves a tool; Undo and Redo
// of added and deleted rows; the marks drawn at their file place through a
// turn and a zoom, and kept per image; the window's keys from a panel.
#include <cmath>
#include <fstream>
#include <sstream>
#include <memory>
#include <vector>

#include <QDockWidget>
#include <QFile>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QUndoStack>

#include "app/marks_backend.h"
#include "app/marks_export_command.h"
#include "app/marks_model.h"
#include "app/marks_overlay.h"
#include "app/measure_tool.h"
#include "app/measure_tools.h"
#include "app/measurements_panel.h"
#include "app/profile_panel.h"
#include "app_fixture.h"
#include "polar_map.h"
#include "geo/geodesy.h"
#include "marks/marks_export.h"

#include <gdal.h>

namespace {

using dusk::Mark;
using dusk::MarkKind;
using dusk::RasterPoint;

using dusk::test::PolarMap;

// Marks in memory that can be told to fail, as a store that cannot be written.
class FailingMarks : public dusk::app::MemoryMarks {
public:
    std::optional<std::int64_t> Add(const std::string&, const std::string&, const Mark&, std::string& error) override {
        error = "The marks store /nowhere/marks.gpkg cannot be written: read-only";
        return std::nullopt;
    }
};

}  // namespace

class MeasureTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init() { StartForm(); }
    void cleanup() { EndForm(); }
    void toolsMakeRowsWithTheFiguresOfTheGeodesy_data();
    void toolsMakeRowsWithTheFiguresOfTheGeodesy();
    void escLeavesTheTool();
    void undoAndRedoAddedAndDeletedRows();
    void marksStayAtTheirFilePlace();
    void aStoreThatCannotBeWrittenIsSaidSo();
    void exportMarksWritesEachKind();
    void profilePointerMarksThePictureAndBack();
    void everyPanelOpenKeepsApart();
    void windowKeysWorkFromAPanel_data();
    void windowKeysWorkFromAPanel();

private:
    dusk::app::MeasureTools* Tools() const { return form_->findChild<dusk::app::MeasureTools*>("MeasureTools"); }
    const std::vector<Mark>& Marks() const { return Tools()->Model().Marks(); }
    // Opens a flat grey image (its samples a ramp along the rows), with the
    // polar map where `georeferenced`.
    void OpenTile(bool georeferenced, const std::string& name = "V0501.img") {
        std::vector<std::uint8_t> samples(dusk::test::kImageLength);
        for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i % 1052 / 5);
        OpenFile(WriteImage(name, samples));
        if (georeferenced) {
            dusk::State().Projection = PolarMap();
            Trigger("Stretch1", 2);  // shown again: the tools measure on the map now
        }
    }
    void Click(QPointF at) { QTest::mouseClick(View(), Qt::LeftButton, {}, at.toPoint()); }
    void Drag(QPointF from, QPointF to) {
        QTest::mousePress(View(), Qt::LeftButton, {}, from.toPoint());
        QTest::mouseMove(View(), to.toPoint());
        QTest::mouseRelease(View(), Qt::LeftButton, {}, to.toPoint());
    }
    // Is the pixel at `at` of the image window's control painted by a mark
    // (the picture itself is grey)?
    bool Marked(QPoint at) const {
        const QImage shot = View()->grab().toImage();
        const QRgb c = shot.pixel(at * shot.devicePixelRatio());
        return qRed(c) != qBlue(c);
    }
};

Q_DECLARE_METATYPE(MarkKind)

// Points are picture pixels; at scale 1 with the default display, pixel
// (x, y) is file column x, row y.
void MeasureTest::toolsMakeRowsWithTheFiguresOfTheGeodesy_data() {
    QTest::addColumn<QString>("tool");
    QTest::addColumn<bool>("georeferenced");
    QTest::addColumn<QString>("gesture");  // "clicks", "drag", "three"
    QTest::addColumn<QList<QPointF>>("points");
    const QList<QPointF> ridge{{100, 100}, {300, 180}, {420, 400}};
    QTest::newRow("distance") << "MeasureDistance1" << true << "clicks" << ridge;
    QTest::newRow("distance in samples") << "MeasureDistance1" << false << "clicks" << ridge;
    QTest::newRow("area") << "MeasureArea1" << true << "clicks" << QList<QPointF>{{100, 100}, {400, 120}, {300, 400}};
    QTest::newRow("crater dragged") << "MeasureCrater1" << true << "drag" << QList<QPointF>{{600, 300}, {660, 340}};
    QTest::newRow("crater in samples") << "MeasureCrater1" << false << "drag" << QList<QPointF>{{600, 300}, {660, 300}};
    QTest::newRow("crater by three") << "MeasureCrater1" << true << "three"
                                     << QList<QPointF>{{500, 200}, {600, 300}, {500, 400}};
    QTest::newRow("profile") << "MeasureProfile1" << true << "drag" << QList<QPointF>{{50, 500}, {950, 520}};
}

void MeasureTest::toolsMakeRowsWithTheFiguresOfTheGeodesy() {
    QFETCH(QString, tool);
    QFETCH(bool, georeferenced);
    QFETCH(QString, gesture);
    QFETCH(QList<QPointF>, points);
    Tools()->SetBackend(std::make_unique<dusk::app::MemoryMarks>());
    OpenTile(georeferenced);
    QCOMPARE(View()->Scale(), 1.0);
    Trigger(tool);
    QVERIFY(Tools()->Active() != nullptr);
    std::vector<RasterPoint> file;
    for (const QPointF& p : points) file.push_back({p.x(), p.y()});
    if (gesture == "drag") {
        Drag(points[0], points[1]);
    } else {
        for (const QPointF& p : points) Click(p);
        if (gesture == "clicks") QTest::mouseDClick(View(), Qt::LeftButton, {}, points.back().toPoint());
    }
    QCOMPARE(int(Marks().size()), 1);
    const Mark& m = Marks().front();
    QCOMPARE(m.inKilometres, georeferenced);

    const dusk::RasterGeodesy geodesy = georeferenced ? dusk::RasterGeodesy(PolarMap()) : dusk::RasterGeodesy();
    const auto near = [](double a, double b) { return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(b)); };
    switch (m.kind) {
        case MarkKind::Distance:
        case MarkKind::Profile: {
            const dusk::LineMeasure line = geodesy.Line(file);
            QVERIFY(near(m.length, georeferenced ? line.bodyKm : line.samples));
            break;
        }
        case MarkKind::Area: {
            const dusk::AreaMeasure area = geodesy.Polygon(file);
            QVERIFY(near(m.area, area.bodyKm2));
            QVERIFY(near(m.length, area.perimeterKm));
            break;
        }
        case MarkKind::Crater: {
            const dusk::RasterCircle circle = gesture == "drag" ? dusk::CircleFromCentre(file[0], file[1])
                                                                : *dusk::CircleThrough(file[0], file[1], file[2]);
            QVERIFY(near(m.points[0].column, circle.centre.column) && near(m.points[0].row, circle.centre.row));
            const dusk::CraterMeasure crater = geodesy.Crater(circle);
            QVERIFY(near(m.diameter, georeferenced ? crater.diameterKm : crater.diameterSamples));
            break;
        }
        case MarkKind::Point: QFAIL("no point tool");
    }
    if (georeferenced) {
        const dusk::LatLon at = *geodesy.LatLonAt(m.points.front());
        QVERIFY(near(m.latitude, at.latitude) && near(m.longitude, at.longitude));
    } else {
        QVERIFY2(form_->statusBar()->currentMessage().contains("no georeference"),
                 qPrintable(form_->statusBar()->currentMessage()));
    }
    // The row's file row and column are those of its first point.
    const QAbstractItemModel& model = Tools()->Model();
    QCOMPARE(model.data(model.index(0, dusk::app::MarksModel::TileColumn)).toString(), QStringLiteral("V0501.img"));
    QCOMPARE(model.data(model.index(0, dusk::app::MarksModel::RowColumn)).toDouble(), m.points[0].row);
    if (m.kind == MarkKind::Profile) {
        // The file's values along the line, 900 samples and more.
        const std::vector<dusk::app::ProfileValue>& values = Tools()->ProfilePanel()->Values();
        const dusk::Profile profile = geodesy.ProfileAlong(file[0], file[1], 1052, 660);
        QCOMPARE(values.size(), profile.points.size());
        for (std::size_t i = 0; i < values.size(); i += 97) {
            QCOMPARE(*values[i].fileValue, profile.points[i].column / 5);
        }
        QVERIFY(near(values.back().distance, profile.points.back().distanceKm));
    }
}

void MeasureTest::escLeavesTheTool() {
    OpenTile(true);
    Trigger("MeasureDistance1");
    Click({100, 100});
    QTest::mouseMove(View(), QPoint(200, 150));
    QVERIFY(form_->statusBar()->currentMessage().startsWith("Distance: "));
    QTest::keyClick(View(), Qt::Key_Escape);
    QVERIFY(Tools()->Active() == nullptr);
    QVERIFY(!Action("MeasureDistance1")->isChecked());
    QVERIFY(Marks().empty());
    // Clicks without a tool make no row.
    Click({300, 300});
    QVERIFY(Marks().empty());
}

void MeasureTest::undoAndRedoAddedAndDeletedRows() {
    Tools()->SetBackend(std::make_unique<dusk::app::MemoryMarks>());
    WriteImage("V0502.img", 90);  // the next image of the folder, other bytes
    OpenTile(true);
    Trigger("MeasureProfile1");
    Drag({100, 100}, {200, 100});
    Drag({100, 300}, {300, 300});
    QCOMPARE(int(Marks().size()), 2);
    const std::int64_t first = Marks()[0].id;
    const std::int64_t second = Marks()[1].id;

    // Deleting the first row from the panel, then undoing and redoing.
    Trigger("Measurements1");
    dusk::app::TMeasurementsPanel* panel = Tools()->MeasurementsPanel();
    panel->Select(first);
    panel->Table()->setFocus();
    QTest::keyClick(panel->Table(), Qt::Key_Delete);
    QCOMPARE(int(Marks().size()), 1);
    QTest::keyClick(form_, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(int(Marks().size()), 2);
    QCOMPARE(Marks()[0].id, first);  // back in its place
    QTest::keyClick(form_, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(int(Marks().size()), 1);
    QCOMPARE(Marks()[0].id, second);
    QTest::keyClick(form_, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(form_, Qt::Key_Z, Qt::ControlModifier);  // the second line undone
    QCOMPARE(int(Marks().size()), 1);
    QCOMPARE(Marks()[0].id, first);

    // The backend holds what the panel shows: stepping away and back shows it.
    Trigger("Next1");
    QVERIFY(Marks().empty());
    Trigger("Previous1");
    QCOMPARE(QString::fromStdString(dusk::State().CurrentFileName), QStringLiteral("V0501.img"));
    QCOMPARE(int(Marks().size()), 1);
    QCOMPARE(Marks()[0].id, first);
    QTest::keyClick(form_, Qt::Key_Z, Qt::ControlModifier);  // nothing left to undo for this image
    QCOMPARE(int(Marks().size()), 1);
}

// A crater's cross is drawn at its file place through the turn and the zoom.
void MeasureTest::marksStayAtTheirFilePlace() {
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) QSKIP("positions here are device pixels at a ratio of 1");
    OpenTile(true);
    Trigger("MeasureCrater1");
    Drag({200, 150}, {230, 150});
    QCOMPARE(int(Marks().size()), 1);
    QTest::keyClick(View(), Qt::Key_Escape);
    QVERIFY(Marked({202, 150}));
    Trigger("Rotate2");  // file column c, row r now at picture (1052 - c, 660 - r)
    QTRY_VERIFY(Marked({1052 - 202, 660 - 150}));
    QVERIFY(!Marked({202, 150}));
    Trigger("ZoomIn1");
    const double scale = View()->Scale();
    QVERIFY(scale > 1.0);
    QTRY_VERIFY(Marked(QPointF((1052 - 202) * scale, (660 - 150) * scale).toPoint()));
}

// File > Export Marks: each kind of file from the marks on display, and a
// profile CSV only while a profile is shown.
void MeasureTest::exportMarksWritesEachKind() {
    Tools()->SetBackend(std::make_unique<dusk::app::MemoryMarks>());
    OpenTile(true);
    Trigger("MeasureArea1");
    for (const QPointF p : {QPointF(100, 100), QPointF(500, 120), QPointF(400, 450)}) Click(p);
    QTest::mouseDClick(View(), Qt::LeftButton, {}, QPoint(400, 450));
    Trigger("MeasureCrater1");
    Drag({350, 220}, {370, 220});
    QCOMPARE(Marks().size(), std::size_t{2});
    using Export = dusk::app::MarksExportCommand::Export;
    const auto exportAs = [this](Export what, const char* name) {
        const QString path = Decoded(dir_->path() / name);
        form_->MarksExport().SetChooser([path, what] { return dusk::app::MarksExportCommand::Choice{path, what}; });
        Trigger("ExportMarks1");
        std::ifstream in(path.toStdString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };

    // The count: the area drawn as its boundary, the crater inside it.
    const std::string count = exportAs(Export::ImageCraterCount, "count.scc");
    QVERIFY2(count.find("Total_area = ") != std::string::npos, count.c_str());
    const double total = std::stod(count.substr(count.find("Total_area = ") + 13));
    QVERIFY(std::abs(total - Marks()[0].area) < 0.005 * Marks()[0].area);
    const std::size_t rows = count.find("crater = {");
    QVERIFY(rows != std::string::npos);
    std::istringstream craters(count.substr(rows));
    std::string line;
    int lines = 0;
    std::getline(craters, line);  // the header
    while (std::getline(craters, line) && line.find('}') == std::string::npos) ++lines;
    QCOMPARE(lines, 1);

    const std::string csv = exportAs(Export::MeasurementsCsv, "marks.csv");
    QCOMPARE(std::count(csv.begin(), csv.end(), '\n'), 3);
    QVERIFY(csv.rfind(dusk::kMeasurementsHeader, 0) == 0);

    exportAs(Export::ImageGeoPackage, "marks.gpkg");
    GDALAllRegister();
    GDALDatasetH gpkg = GDALOpenEx(Decoded(dir_->path() / "marks.gpkg").toUtf8().constData(), GDAL_OF_VECTOR,
                                   nullptr, nullptr, nullptr);
    QVERIFY(gpkg != nullptr);
    QCOMPARE(OGR_L_GetFeatureCount(GDALDatasetGetLayerByName(gpkg, "polygons"), 1), GIntBig{1});
    QCOMPARE(OGR_L_GetFeatureCount(GDALDatasetGetLayerByName(gpkg, "craters"), 1), GIntBig{1});
    GDALClose(gpkg);

    QVERIFY(exportAs(Export::ProfileCsv, "none.csv").empty());
    QVERIFY(form_->statusBar()->currentMessage().contains("no profile"));
    Trigger("MeasureProfile1");
    Drag({50, 500}, {950, 520});
    const std::string profile = exportAs(Export::ProfileCsv, "profile.csv");
    QVERIFY(profile.rfind(dusk::kProfileHeader, 0) == 0);
    QVERIFY(std::count(profile.begin(), profile.end(), '\n') > 900);
}

void MeasureTest::aStoreThatCannotBeWrittenIsSaidSo() {
    Tools()->SetBackend(std::make_unique<FailingMarks>());
    OpenTile(true);
    Trigger("MeasureDistance1");
    Click({100, 100});
    Click({200, 100});
    QTest::mouseDClick(View(), Qt::LeftButton, {}, QPoint(200, 100));
    // The row is there for the run; the bar says the store failed.
    QCOMPARE(int(Marks().size()), 1);
    QVERIFY(form_->statusBar()->currentMessage().contains("cannot be written"));
    QCOMPARE(form_->findChild<QLabel*>("MarksStoreNote")->text(), QStringLiteral("Marks not kept"));
}

// The pointer over the plot rings its point on the line; the pointer near
// the line on the picture marks its point on the plot.
void MeasureTest::profilePointerMarksThePictureAndBack() {
    OpenTile(false);  // distances in samples
    Trigger("MeasureProfile1");
    Drag({100, 300}, {700, 300});
    QTest::keyClick(View(), Qt::Key_Escape);
    auto* plot = form_->findChild<dusk::app::ProfilePlot*>("ProfilePlot");
    auto* overlay = form_->findChild<dusk::app::MarksOverlay*>("MarksOverlay");
    const std::vector<dusk::app::ProfileValue>& values = Tools()->ProfilePanel()->Values();
    QCOMPARE(int(values.size()), 601);
    QTRY_VERIFY(plot->isVisible());
    for (const double part : {0.25, 0.5, 0.9}) {
        const int x = plot->width() / 10 + static_cast<int>(part * plot->width() * 0.8);
        QTest::mouseMove(plot, QPoint(x, plot->height() / 2));
        const int index = plot->Marked();
        QVERIFY(index >= 0);
        QVERIFY(overlay->ProfilePoint().has_value());
        QVERIFY(std::abs(overlay->ProfilePoint()->column - (100 + values[std::size_t(index)].distance)) <= 1.0);
        QCOMPARE(overlay->ProfilePoint()->row, 300.5);
    }
    QTest::mouseMove(View(), QPoint(400, 302));
    const int index = Tools()->ProfilePanel()->MarkedPoint();
    QVERIFY(index >= 0);
    QVERIFY(std::abs(values[std::size_t(index)].distance - 300) <= 1.0);
    QTest::mouseMove(View(), QPoint(400, 360));  // away from the line
    QCOMPARE(Tools()->ProfilePanel()->MarkedPoint(), -1);
}

// Every panel open at once: no two shown panels overlap, none covers the
// status bar or the image window, those of one side share it (as tabs on
// a small screen), and Label Keywords opens as wide as it was made where
// there is room.
void MeasureTest::everyPanelOpenKeepsApart() {
    OpenTile(true);
    for (const char* item : {"Histogram1", "LabelKeywords1", "CollectionOverview1", "Measurements1", "ProfilePanel1"}) {
        Trigger(item);
        QVERIFY2(Action(item)->isChecked(), item);
    }
    QApplication::processEvents();
    const QRect screen = form_->screen()->availableGeometry();
    const bool small = screen.width() < 1600 || screen.height() < 900;
    const QRect bar = form_->statusBar()->geometry();
    const QRect image(form_->CurrentChild()->mapTo(form_, QPoint(0, 0)), form_->CurrentChild()->size());
    QList<QDockWidget*> shown;
    for (QDockWidget* dock : form_->findChildren<QDockWidget*>()) {
        const bool left = dock->objectName() == "LabelKeywordsWindowDock" || dock->objectName() == "MeasurementsPanelDock";
        QCOMPARE(form_->dockWidgetArea(dock), left ? Qt::LeftDockWidgetArea : Qt::RightDockWidgetArea);
        QCOMPARE(!form_->tabifiedDockWidgets(dock).isEmpty(), small);
        if (dock->visibleRegion().isEmpty()) continue;
        QVERIFY2(!dock->geometry().intersects(bar), qPrintable(dock->objectName()));
        QVERIFY2(!dock->geometry().intersects(image), qPrintable(dock->objectName()));
        for (QDockWidget* other : shown) {
            QVERIFY2(!dock->geometry().intersects(other->geometry()),
                     qPrintable(dock->objectName() + " " + other->objectName()));
        }
        shown << dock;
    }
    QCOMPARE(int(shown.size()), small ? 2 : 5);
    if (!small) QVERIFY(form_->findChild<QDockWidget*>("LabelKeywordsWindowDock")->width() >= 600);
}

void MeasureTest::windowKeysWorkFromAPanel_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("panel");
    QTest::newRow("Measurements") << "Measurements1" << "MeasurementsTable";
    QTest::newRow("Profile") << "ProfilePanel1" << "ProfilePlot";
}

void MeasureTest::windowKeysWorkFromAPanel() {
    QFETCH(QString, item);
    QFETCH(QString, panel);
    OpenTile(false);
    Trigger(item);
    QVERIFY(Action(item)->isChecked());
    auto* widget = form_->findChild<QWidget*>(panel);
    QVERIFY(widget->isVisible());
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->setFocus();
    QTRY_VERIFY(widget->hasFocus());
    const bool stretched = Action("Stretch1")->isChecked();
    QTest::keyClick(widget, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(Action("Stretch1")->isChecked(), !stretched);
    // And a tool's Esc.
    Trigger("MeasureArea1");
    QTest::keyClick(widget, Qt::Key_Escape);
    QVERIFY(Tools()->Active() == nullptr);
}

QTEST_MAIN(MeasureTest)
#include "measure_test.moc"
