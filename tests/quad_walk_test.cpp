// SPDX-License-Identifier: GPL-3.0-or-later
// A random walk through the real main window over the sample volume, for
// what works across a quad and on the marks: stepping, Tile Footprints and
// clicks on them, Show in Browse Image, the Quad Mosaic window opened,
// zoomed and closed (mid-render as often as not), every measuring tool with
// random points, rows of the Measurements panel deleted, Undo and Redo, and
// the two panels shown, hidden, floated and docked. After every step the marks the window holds for the image
// equal those of the marks store on disk, read through a connection of its
// own, the caption is the entry the model expects and the picture equals
// the exporter's rendering of it. A failing walk prints its seed and steps.
//
// DUSK_WALK_SEED adds a walk from that seed to the fixed one; DUSK_WALK_STEPS
// sets the length (default 2,000).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <QDockWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QUndoStack>
#include <QtTest>

#include "app/commands.h"
#include "app/marks_model.h"
#include "app/measure_tools.h"
#include "app/quad_mosaic_window.h"
#include "core/image_state.h"
#include "core/readout.h"
#include "geo/quad.h"
#include "marks/marks_store.h"
#include "tests/app_fixture.h"
#include "tests/walk_support.h"
#include "tools/export_render.h"

namespace dusk::test {
namespace {

// Qt Test ends a test function after five minutes; a soak walk takes longer.
const bool kLongTimeout = qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT") ||
                          qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(3 * 3600 * 1000));

constexpr std::uint64_t kFixedSeed = 23;
constexpr int kDefaultSteps = 2000;

enum class Move {
    Next, Previous, First, Last, Footprints, FootprintClick, ShowInBrowse, Measure, Delete, Undo, Redo, Panel,
    MosaicOpen, MosaicZoom, MosaicClose
};
// How often each move is drawn, in the order above: deletions keep up with
// the measures, so that an image keeps a few dozen marks at most.
constexpr int kWeights[] = {10, 8, 3, 3, 6, 10, 6, 22, 12, 8, 6, 8, 4, 4, 3};
constexpr const char* kMoveNames[] = {"Next", "Previous", "First Entry", "Last Entry", "Tile Footprints",
                                      "footprint click", "Show in Browse Image", "measure", "delete", "Undo", "Redo",
                                      "panel", "Quad Mosaic", "mosaic zoom", "mosaic close"};
constexpr const char* kTools[] = {"MeasureDistance1", "MeasureArea1", "MeasureCrater1", "MeasureProfile1"};

struct Step {
    Move move;
    std::uint32_t choice;  // which tool, tile, panel or zoom, and the points' seed
};

class QuadWalker : public AppFixture {
public:
    int Run(const std::vector<Step>& steps, QString& why) {
        Start();
        int failed = -1;
        if (position_ < 1) {
            why = QStringLiteral("V05.img of the sample volume did not open");
            failed = 0;
        }
        for (std::size_t i = 0; i < steps.size() && failed < 0; ++i) {
            why = Apply(steps[i]);
            QCoreApplication::processEvents();
            if (why.isEmpty() && !errorBox_.isEmpty()) why = QStringLiteral("an error box came up: ") + errorBox_;
            if (why.isEmpty()) why = Check();
            if (!why.isEmpty()) failed = static_cast<int>(i);
        }
        qInfo("%d marks made, %d deleted, %d undone, %d footprint clicks, %d mosaic closes mid-render of %d, "
              "%d panel moves",
              made_, deleted_, undone_, clicks_, closedMidRender_, closed_, panelMoves_);
        EndForm();
        return failed;
    }

    static std::vector<Step> Draw(std::uint64_t seed, int count) {
        std::mt19937_64 rng(seed);
        std::discrete_distribution<int> moves(std::begin(kWeights), std::end(kWeights));
        std::vector<Step> steps;
        for (int i = 0; i < count; ++i) {
            const int move = moves(rng);
            steps.push_back({static_cast<Move>(move), static_cast<std::uint32_t>(rng())});
        }
        return steps;
    }

    static QString StepText(const Step& step) {
        return QStringLiteral("%1(%2)").arg(kMoveNames[static_cast<int>(step.move)]).arg(step.choice);
    }

private:
    void Start() {
        StartForm();
        folder_ = dir_->path() / "volume";
        QVERIFY(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + folder_.string() + "\" > /dev/null").c_str()) == 0);
        closer_ = new QTimer(form_);
        QObject::connect(closer_, &QTimer::timeout, form_, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) return;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) errorBox_ = box->text();
            modal->close();
        });
        closer_->start(5);
        errorBox_.clear();
        OpenFile(Decoded(folder_ / "V05.img"));
        const ImageState& s = State();
        list_.assign(s.FileList.begin(), s.FileList.begin() + s.FileCount);
        position_ = s.FilePosition;
        footprints_ = false;
        mosaic_ = false;
        made_ = deleted_ = undone_ = clicks_ = closedMidRender_ = closed_ = panelMoves_ = 0;
        std::string error;
        store_ = MarksStore::Open(DefaultMarksPath(), error);
        QVERIFY2(store_ != nullptr, error.c_str());
    }

    app::MeasureTools* Tools() const { return form_->findChild<app::MeasureTools*>("MeasureTools"); }
    app::TQuadMosaicWindow* Mosaic() const {
        auto* window = form_->findChild<app::TQuadMosaicWindow*>("QuadMosaicWindow");
        return window != nullptr && window->isVisible() ? window : nullptr;
    }
    const std::string& Name() const { return list_[static_cast<std::size_t>(position_ - 1)]; }
    bool Enabled(const char* name) const { return Action(QString::fromLatin1(name))->isEnabled(); }
    Quad TheQuad() const { return QuadOf(folder_.string(), list_, Name()); }
    void Go(int position) { position_ = std::clamp(position, 1, static_cast<int>(list_.size())); }
    void GoTo(const std::string& name) {
        const auto at = std::find(list_.begin(), list_.end(), name);
        if (at != list_.end()) position_ = static_cast<int>(at - list_.begin()) + 1;
    }

    // A view position for a random place of the picture in sight.
    QPoint Anywhere(std::mt19937& rng) const {
        const QRect seen = View()->visibleRegion().boundingRect();
        std::uniform_int_distribution<int> x(seen.left() + 2, std::max(seen.left() + 2, seen.right() - 2));
        std::uniform_int_distribution<int> y(seen.top() + 2, std::max(seen.top() + 2, seen.bottom() - 2));
        return {x(rng), y(rng)};
    }

    QString Measure(std::uint32_t choice) {
        std::mt19937 rng(choice);
        const char* tool = kTools[choice % 4];
        if (!Enabled(tool)) return {};
        Trigger(QString::fromLatin1(tool));
        const std::size_t before = Tools()->Model().Marks().size();
        QWidget* view = View();
        const QPoint a = Anywhere(rng);
        const QPoint b = Anywhere(rng);
        switch (choice % 4) {
            case 0:
            case 1: {  // a line or a polygon of 2 to 6 points, ended by a double click
                const int points = 2 + static_cast<int>(rng() % 5);
                QPoint last = a;
                for (int k = 0; k < points; ++k) {
                    last = k == 0 ? a : Anywhere(rng);
                    QTest::mouseClick(view, Qt::LeftButton, {}, last);
                }
                QTest::mouseDClick(view, Qt::LeftButton, {}, last);
                break;
            }
            default:  // a crater or a profile, dragged
                QTest::mousePress(view, Qt::LeftButton, {}, a);
                QTest::mouseMove(view, b);
                QTest::mouseRelease(view, Qt::LeftButton, {}, b);
                break;
        }
        QTest::keyClick(view, Qt::Key_Escape);  // leaves the tool
        made_ += static_cast<int>(Tools()->Model().Marks().size() - before);
        if (Tools()->Active() != nullptr) return QStringLiteral("Esc did not leave %1").arg(tool);
        return {};
    }

    // Deletes one row of the Measurements panel, or every row, there.
    QString Delete(std::uint32_t choice) {
        auto* table = form_->findChild<QTableView*>("MeasurementsTable");
        auto* button = form_->findChild<QPushButton*>("DeleteMeasurement");
        if (table == nullptr || button == nullptr) return QStringLiteral("the Measurements panel has no table");
        const int rows = table->model()->rowCount();
        if (rows == 0) return {};
        if (!table->isVisible()) Trigger("Measurements1");
        if (choice % 5 == 0) {
            table->selectAll();
        } else {
            table->clearSelection();
            table->selectRow(static_cast<int>(choice % static_cast<std::uint32_t>(rows)));
        }
        if (!button->isEnabled()) return QStringLiteral("Delete is disabled with rows selected");
        const std::size_t before = Tools()->Model().Marks().size();
        button->click();
        deleted_ += static_cast<int>(before - Tools()->Model().Marks().size());
        return {};
    }

    QString Panel(std::uint32_t choice) {
        const bool measurements = choice % 2 == 0;
        const QString item = measurements ? QStringLiteral("Measurements1") : QStringLiteral("ProfilePanel1");
        auto* dock = form_->findChild<QDockWidget*>(measurements ? "MeasurementsPanelDock" : "ProfilePanelDock");
        if (choice / 2 % 2 == 0 || dock == nullptr || !dock->isVisible()) {
            Trigger(item);  // shown or hidden
        } else {
            dock->setFloating(!dock->isFloating());  // floated or docked
            ++panelMoves_;
        }
        return {};
    }

    QString Apply(const Step& step) {
        switch (step.move) {
            case Move::Next:
                if (Enabled("Next1")) Trigger("Next1"), Go(position_ + 1);
                break;
            case Move::Previous:
                if (Enabled("Previous1")) Trigger("Previous1"), Go(position_ - 1);
                break;
            case Move::First: Trigger("FirstEntry1"), Go(1); break;
            case Move::Last: Trigger("LastEntry1"), Go(static_cast<int>(list_.size())); break;
            case Move::Footprints:
                if (Enabled("TileFootprints1")) Trigger("TileFootprints1"), footprints_ = !footprints_;
                break;
            case Move::FootprintClick: {
                if (!footprints_ || !IsBrowseName(Name())) break;
                const Quad quad = TheQuad();
                const std::vector<Footprint> outlines = Footprints(quad);
                if (outlines.empty()) return QStringLiteral("no footprints of %1").arg(QString::fromStdString(Name()));
                const Footprint& footprint = outlines[step.choice % outlines.size()];
                RasterPoint middle;
                for (const RasterPoint& p : footprint.outline) middle.column += p.column, middle.row += p.row;
                middle.column /= static_cast<double>(footprint.outline.size());
                middle.row /= static_cast<double>(footprint.outline.size());
                const std::optional<TileSpot> spot = TileAt(quad, middle.column, middle.row);
                if (!spot) return QStringLiteral("the middle of footprint %1 lies in no tile").arg(footprint.tile);
                const PicturePoint at = PicturePointOf(CurrentDisplayMapping(), middle);
                QTest::mouseClick(View(), Qt::LeftButton, {}, View()->PositionOf(QPointF(at.x, at.y)).toPoint());
                GoTo(quad.tiles[spot->index].name);
                ++clicks_;
                break;
            }
            case Move::ShowInBrowse:
                if (Enabled("ShowInBrowseImage1")) {
                    Trigger("ShowInBrowseImage1");
                    if (const std::optional<QuadImage>& browse = TheQuad().browse) GoTo(browse->name);
                }
                break;
            case Move::Measure: return Measure(step.choice);
            case Move::Delete: return Delete(step.choice);
            case Move::Undo:
                if (Tools()->UndoStack().canUndo()) Trigger("MeasureUndo1"), ++undone_;
                break;
            case Move::Redo:
                if (Tools()->UndoStack().canRedo()) Trigger("MeasureRedo1");
                break;
            case Move::Panel: return Panel(step.choice);
            case Move::MosaicOpen:
                if (!Enabled("QuadMosaic1")) break;
                Trigger("QuadMosaic1");
                mosaic_ = true;
                // At once, while its tiles render: a zoom, or a close.
                if (step.choice % 3 == 0) return Apply({Move::MosaicZoom, step.choice / 3});
                if (step.choice % 3 == 1) return Apply({Move::MosaicClose, 0});
                break;
            case Move::MosaicZoom:
                if (app::TQuadMosaicWindow* window = Mosaic()) {
                    switch (step.choice % 4) {
                        case 0: window->ZoomIn(); break;
                        case 1: window->ZoomOut(); break;
                        case 2: window->ActualSize(); break;
                        default: window->SetFitted(true); break;
                    }
                }
                break;
            case Move::MosaicClose:
                if (app::TQuadMosaicWindow* window = Mosaic()) {
                    closedMidRender_ += window->Finished() ? 0 : 1;
                    ++closed_;
                    window->close();
                }
                mosaic_ = false;
                break;
        }
        return {};
    }

    // The exporter's rendering of an entry with the default options.
    const QImage& Expected(const std::string& name) {
        auto [at, fresh] = rendered_.try_emplace(name);
        if (fresh) {
            ScopedImageState scoped;
            const WorkingBuffers buffers = RenderForExport((folder_ / name).string(), ExportSettings{});
            const auto bitmap = buffers.Bitmap();
            at->second.loadFromData(bitmap.data(), static_cast<int>(bitmap.size()), "BMP");
            at->second = at->second.convertToFormat(QImage::Format_RGB32);
        }
        return at->second;
    }

    QString Check() {
        if (QApplication::activeModalWidget() != nullptr) return QStringLiteral("a modal window stayed open");
        if (Caption() != QString::fromStdString(Name())) {
            return QStringLiteral("caption %1, expected %2").arg(Caption(), QString::fromStdString(Name()));
        }
        if (form_->CurrentChild()->Picture().convertToFormat(QImage::Format_RGB32) != Expected(Name())) {
            return QStringLiteral("the picture differs from the exporter's rendering");
        }
        if ((Mosaic() != nullptr) != mosaic_) return QStringLiteral("the Quad Mosaic window is %1").arg(mosaic_ ? "closed" : "open");
        if (Action("TileFootprints1")->isChecked() != footprints_) return QStringLiteral("Tile Footprints is not as set");
        // The window's marks of the image, against the store's own.
        std::string error;
        const std::string key = ContentKeyOfFile((folder_ / Name()).string(), error);
        const std::vector<Mark> stored = store_->MarksOf(key, error);
        if (!error.empty()) return QStringLiteral("the store cannot be read: %1").arg(QString::fromStdString(error));
        std::vector<Mark> shown = Tools()->Model().Marks();
        const auto byId = [](const Mark& l, const Mark& r) { return l.id < r.id; };
        std::vector<Mark> kept = stored;
        std::sort(shown.begin(), shown.end(), byId);
        std::sort(kept.begin(), kept.end(), byId);
        if (shown.size() != kept.size()) {
            return QStringLiteral("%1 marks shown, %2 stored").arg(shown.size()).arg(kept.size());
        }
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const Mark& s = shown[i];
            const Mark& k = kept[i];
            bool same = s.id == k.id && s.kind == k.kind && s.points.size() == k.points.size() &&
                        s.inKilometres == k.inKilometres && s.length == k.length && s.area == k.area &&
                        s.diameter == k.diameter && s.radius == k.radius;
            for (std::size_t p = 0; same && p < s.points.size(); ++p) {
                same = s.points[p].column == k.points[p].column && s.points[p].row == k.points[p].row;
            }
            if (!same) return QStringLiteral("mark %1 differs from the store's").arg(s.id);
        }
        return {};
    }

    std::filesystem::path folder_;
    std::vector<std::string> list_;
    int position_ = 0;
    bool footprints_ = false;
    bool mosaic_ = false;
    std::unique_ptr<MarksStore> store_;
    int made_ = 0, deleted_ = 0, undone_ = 0, clicks_ = 0, closedMidRender_ = 0, closed_ = 0, panelMoves_ = 0;
    std::map<std::string, QImage> rendered_;
    QTimer* closer_ = nullptr;
    QString errorBox_;
};

}  // namespace

class QuadWalkTest : public QuadWalker {
    Q_OBJECT

private slots:
    void walk_data() { AddWalkSeeds(kFixedSeed); }

    void walk() {
        QFETCH(quint64, seed);
        QString why;
        int failed = -1;
        const std::vector<Step> steps = RunWalk(*this, "quad walk", seed, kDefaultSteps, why, failed);
        const auto count = steps.size();
        if (failed < 0) return;
        // The last 30 steps before the failure, each checked after it ran.
        QString list;
        for (int i = std::max(0, failed - 29); i <= failed; ++i) {
            list += QStringLiteral("\n  %1 ").arg(i + 1) + StepText(steps[static_cast<std::size_t>(i)]);
        }
        QFAIL(qPrintable(QStringLiteral("quad walk from seed %1 failed after step %2 of %3: %4\nthe steps before:%5")
                             .arg(seed)
                             .arg(failed + 1)
                             .arg(count)
                             .arg(why, list)));
    }
};

}  // namespace dusk::test

QTEST_MAIN(dusk::test::QuadWalkTest)
#include "quad_walk_test.moc"
