// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/measure_tools.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QUndoCommand>
#include <QUndoStack>

#include "app/child.h"
#include "app/marks_backend.h"
#include "app/marks_model.h"
#include "app/marks_overlay.h"
#include "app/measure_tool.h"
#include "app/measurements_panel.h"
#include "app/panel_docks.h"
#include "app/picture_view.h"
#include "app/profile_panel.h"
#include "app/vector_state.h"
#include "core/image_state.h"
#include "core/readout.h"

namespace dusk::app {

namespace {

// The tools, as the menu and the tool bar offer them.
struct ToolRow {
    MarkKind kind;
    const char* name;
    const char* text;
    const char* hint;
};
constexpr ToolRow kTools[] = {
    {MarkKind::Distance, "MeasureDistance1", "&Distance",
     "Distance: click the points of a line, double-click or Enter to end it; Esc leaves the tool"},
    {MarkKind::Area, "MeasureArea1", "&Area",
     "Area: click the corners of a polygon, double-click or Enter to end it; Esc leaves the tool"},
    {MarkKind::Crater, "MeasureCrater1", "&Crater",
     "Crater: drag from the centre to the rim, or click three points of the rim; Esc leaves the tool"},
    {MarkKind::Profile, "MeasureProfile1", "&Profile",
     "Profile: drag a line, or click its two ends; Esc leaves the tool"},
};

std::unique_ptr<MeasureTool> MakeTool(MarkKind kind) {
    switch (kind) {
        case MarkKind::Distance: return std::make_unique<DistanceTool>();
        case MarkKind::Area: return std::make_unique<AreaTool>();
        case MarkKind::Crater: return std::make_unique<CraterTool>();
        case MarkKind::Profile: return std::make_unique<ProfileTool>();
        case MarkKind::Point: break;
    }
    return nullptr;
}

// A measurement made: redo adds it (the first time as a new mark), undo
// removes it.
class AddMark : public QUndoCommand {
public:
    AddMark(MarksModel& model, Mark mark)
        : QUndoCommand(MarksModel::tr("Add %1").arg(KindText(mark.kind))), model_(model), mark_(std::move(mark)) {}
    void redo() override {
        if (mark_.id == 0) {
            mark_ = model_.Add(mark_);
        } else {
            model_.Restore(mark_);
        }
    }
    void undo() override { model_.Remove(mark_.id); }

private:
    MarksModel& model_;
    Mark mark_;
};

// Measurements deleted: redo removes them, undo puts them back.
class RemoveMarks : public QUndoCommand {
public:
    RemoveMarks(MarksModel& model, std::vector<Mark> marks)
        : QUndoCommand(MarksModel::tr("Delete %n measurement(s)", nullptr, static_cast<int>(marks.size()))),
          model_(model),
          marks_(std::move(marks)) {}
    void redo() override {
        for (const Mark& m : marks_) model_.Remove(m.id);
    }
    void undo() override {
        for (const Mark& m : marks_) model_.Restore(m);
    }

private:
    MarksModel& model_;
    std::vector<Mark> marks_;
};

}  // namespace

std::vector<ProfileValue> ProfileValues(const Profile& profile, const QImage& picture, const DisplayMapping& mapping) {
    const ImageState& s = State();
    std::vector<ProfileValue> values;
    values.reserve(profile.points.size());
    for (const ProfilePoint& p : profile.points) {
        ProfileValue v;
        v.distance = profile.inKilometres ? p.distanceKm : p.distanceSamples;
        const std::int64_t index = static_cast<std::int64_t>(p.row) * s.ImageWidth + p.column;
        if (s.FileLength > 0 && index < s.FileLength) v.fileValue = s.OriginalImage[static_cast<std::size_t>(index)];
        const PicturePoint shown = PicturePointOf(mapping, {p.column + 0.5, p.row + 0.5});
        const QPoint pixel(static_cast<int>(std::floor(shown.x)), static_cast<int>(std::floor(shown.y)));
        v.shownValue = picture.valid(pixel) ? qRed(picture.pixel(pixel)) : 0;
        values.push_back(v);
    }
    return values;
}

MeasureTools::MeasureTools(QMainWindow& main, PanelDocks& panels)
    : QObject(&main), main_(main), panels_(panels), geodesy_(std::in_place) {
    setObjectName(QStringLiteral("MeasureTools"));
    model_ = new MarksModel(this);
    undo_ = new QUndoStack(this);
    measurements_ = new TMeasurementsPanel(*model_);
    profile_ = new TProfilePanel;
    BuildMenuAndToolBar();
    panels_.Add(measurements_, PanelDocks::Side::Left, measurementsItem_);
    panels_.Add(profile_, PanelDocks::Side::Right, profileItem_);

    connect(model_, &MarksModel::Problem, this, &MeasureTools::NoteStore);
    connect(measurements_, &TMeasurementsPanel::DeleteAsked, this, &MeasureTools::DeleteMarks);
    connect(measurements_, &TMeasurementsPanel::SelectionChanged, this, &MeasureTools::ShowSelected);
    connect(profile_, &TProfilePanel::Hovered, this, &MeasureTools::ShowProfileHover);
    // A profile undone or deleted leaves the panel.
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (profileMark_ && model_->RowOf(profileMark_->id) < 0) {
            profileMark_.reset();
            profilePoints_.clear();
            profile_->Clear();
            if (overlay_) overlay_->SetProfilePoint(std::nullopt);
        }
    });
    QApplication::instance()->installEventFilter(this);
}

MeasureTools::~MeasureTools() = default;

void MeasureTools::BuildMenuAndToolBar() {
    menu_ = new QMenu(tr("&Measure"), &main_);
    menu_->setObjectName(QStringLiteral("Measure1"));
    // Before the About menu, the last.
    QAction* last = main_.menuBar()->actions().isEmpty() ? nullptr : main_.menuBar()->actions().back();
    main_.menuBar()->insertMenu(last, menu_);

    toolBar_ = new QToolBar(tr("Measure"), &main_);
    toolBar_->setObjectName(QStringLiteral("MeasureToolBar"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    main_.addToolBar(Qt::TopToolBarArea, toolBar_);

    tools_ = new QActionGroup(this);
    tools_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const ToolRow& row : kTools) {
        auto* action = new QAction(tr(row.text), this);
        action->setObjectName(QString::fromLatin1(row.name));
        action->setToolTip(tr(row.hint));
        action->setStatusTip(tr(row.hint));
        action->setCheckable(true);
        action->setEnabled(false);
        tools_->addAction(action);
        menu_->addAction(action);
        toolBar_->addAction(action);
        const MarkKind kind = row.kind;
        connect(action, &QAction::triggered, this, [this, kind](bool on) {
            if (on) {
                Use(kind);
            } else {
                Leave();
            }
        });
    }
    menu_->addSeparator();
    toolBar_->addSeparator();
    QAction* undo = undo_->createUndoAction(this, tr("&Undo"));
    undo->setObjectName(QStringLiteral("MeasureUndo1"));
    undo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    QAction* redo = undo_->createRedoAction(this, tr("&Redo"));
    redo->setObjectName(QStringLiteral("MeasureRedo1"));
    redo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    for (QAction* action : {undo, redo}) {
        menu_->addAction(action);
        toolBar_->addAction(action);
        main_.addAction(action);  // its keys wherever the focus is in the window
    }
    menu_->addSeparator();
    measurementsItem_ = new QAction(tr("&Measurements"), this);
    measurementsItem_->setObjectName(QStringLiteral("Measurements1"));
    measurementsItem_->setShortcut(QKeySequence(QStringLiteral("Ctrl+M")));
    profileItem_ = new QAction(tr("Pro&file Panel"), this);
    profileItem_->setObjectName(QStringLiteral("ProfilePanel1"));
    profileItem_->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    for (auto [item, panel] : {std::pair<QAction*, QWidget*>{measurementsItem_, measurements_},
                               std::pair<QAction*, QWidget*>{profileItem_, profile_}}) {
        item->setCheckable(true);
        menu_->addAction(item);
        main_.addAction(item);
        QWidget* content = panel;
        connect(item, &QAction::triggered, this, [this, content] {
            if (panels_.IsOpen(content)) {
                panels_.Close(content);
            } else {
                panels_.Open(content);
            }
        });
    }
}

void MeasureTools::SetBackend(std::unique_ptr<MarksBackend> backend) {
    undo_->clear();
    model_->SetBackend(std::move(backend));
    backendChosen_ = true;
    imagePath_.clear();
}

void MeasureTools::Tell(const QString& text) { main_.statusBar()->showMessage(text); }

void MeasureTools::NoteStore(const QString& problem) {
    // Kept at the bar's right, beside the readout, so that it stays while
    // the load problems and the live figures come and go.
    if (storeNote_ == nullptr) {
        storeNote_ = new QLabel;
        storeNote_->setObjectName(QStringLiteral("MarksStoreNote"));
        main_.statusBar()->insertPermanentWidget(0, storeNote_);
    }
    storeFailed_ = true;
    storeNote_->setText(tr("Marks not kept"));
    storeNote_->setToolTip(problem);
    main_.statusBar()->showMessage(problem);
}

void MeasureTools::ShowImage(TChild* child) {
    if (!backendChosen_) {
        backendChosen_ = true;
        std::string error;
        if (std::unique_ptr<MarksBackend> store = OpenMarksStore(error)) {
            model_->SetBackend(std::move(store));
        } else if (!error.empty()) {
            NoteStore(QString::fromStdString(error));  // the marks last for the run
        }
    }
    const ImageState& s = State();
    if (child != child_) {
        child_ = child;
        view_ = child->findChild<TPictureView*>();
        overlay_ = new MarksOverlay(view_, [this](const RasterPoint& p) { return PositionOf(p); });
        overlay_->SetMarks(&model_->Marks());
        view_->installEventFilter(this);
        connect(child, &TChild::Closing, this, &MeasureTools::Closed);
        connect(child, &TChild::PointerMoved, this, [this] {
            if (active_ != nullptr) ShowDraft();
        });
        for (QAction* action : tools_->actions()) action->setEnabled(true);
        imagePath_.clear();
    }
    geodesy_.emplace(s.Projection);
    model_->SetLongitudeWest(s.Projection && s.Projection->positiveLongitudeWest);
    if (s.CurrentImagePath != imagePath_) {
        // Another image: its own marks; the drawing and the undo steps of the
        // last one go.
        imagePath_ = s.CurrentImagePath;
        undo_->clear();
        if (active_ != nullptr) active_->Reset();
        profileMark_.reset();
        profilePoints_.clear();
        profile_->Clear();
        // The key is of the whole file, as the exporter takes it: the samples
        // read hold all of it unless it is longer than the buffer.
        const std::size_t length = s.FileLength > 0 ? static_cast<std::size_t>(s.FileLength) : 0;
        if (length <= s.OriginalImage.size()) {
            model_->ShowImage({s.OriginalImage.data(), length}, s.CurrentFileName);
        } else {
            std::ifstream in(s.CurrentImagePath, std::ios::binary);
            const std::vector<std::uint8_t> whole((std::istreambuf_iterator<char>(in)), {});
            model_->ShowImage(whole, s.CurrentFileName);
        }
        overlay_->SetSelected({});
        overlay_->SetProfilePoint(std::nullopt);
    } else if (profileMark_) {
        ShowProfileOf(*profileMark_);  // the values shown have changed
    }
    ShowDraft();
    overlay_->update();
}

void MeasureTools::Closed() {
    Leave();
    for (QAction* action : tools_->actions()) action->setEnabled(false);
    undo_->clear();
    model_->Clear();
    profileMark_.reset();
    profilePoints_.clear();
    profile_->Clear();
    child_ = nullptr;
    view_ = nullptr;
    overlay_ = nullptr;
    imagePath_.clear();
}

void MeasureTools::Use(MarkKind kind) {
    if (view_ == nullptr) return;
    active_ = MakeTool(kind);
    for (QAction* action : tools_->actions()) {
        const int index = static_cast<int>(tools_->actions().indexOf(action));
        action->setChecked(kTools[index].kind == kind);
    }
    view_->setCursor(Qt::CrossCursor);
    ShowDraft();
    Tell(tools_->checkedAction()->statusTip());
}

void MeasureTools::Leave() {
    if (active_ == nullptr) return;
    active_.reset();
    for (QAction* action : tools_->actions()) action->setChecked(false);
    if (view_ != nullptr) view_->setCursor(Qt::OpenHandCursor);
    ShowDraft();
    main_.statusBar()->clearMessage();
}

RasterPoint MeasureTools::FileAt(QPointF position) const {
    const QPointF picture = view_->PicturePointAt(position);
    return FileRasterPointAt(CurrentDisplayMapping(), {picture.x(), picture.y()});
}

QPointF MeasureTools::PositionOf(const RasterPoint& file) const {
    const PicturePoint picture = PicturePointOf(CurrentDisplayMapping(), file);
    return view_->PositionOf(QPointF(picture.x, picture.y));
}

double MeasureTools::Slack() const {
    // Three logical pixels of the control, in file samples.
    const double scale = view_ != nullptr ? view_->Scale() : 1.0;
    return 3.0 * CurrentDisplayMapping().reduction / std::max(scale, 1e-6) * view_->devicePixelRatioF();
}

void MeasureTools::ShowDraft() {
    if (overlay_ == nullptr) return;
    if (active_ == nullptr) {
        overlay_->SetDraft({}, std::nullopt, false);
        return;
    }
    overlay_->SetDraft(active_->Draft(), active_->DraftCircle(), active_->Kind() == MarkKind::Area);
    ClearUpperVectorState();
    const QString live = active_->LiveText(*geodesy_);
    if (!live.isEmpty()) main_.statusBar()->showMessage(live);
}

void MeasureTools::TakeMark() {
    ClearUpperVectorState();
    const std::optional<Mark> mark = active_->TakeMark(*geodesy_);
    if (!mark) return;
    storeFailed_ = false;
    undo_->push(new AddMark(*model_, *mark));
    const Mark& made = model_->Marks().back();
    measurements_->Select(made.id);
    if (made.kind == MarkKind::Profile) {
        ShowProfileOf(made);
        panels_.Open(profile_);
    }
    ShowDraft();
    // The figures stay in the status bar once drawn.
    const QString unit = made.inKilometres ? tr("km") : tr("samples");
    QString text;
    switch (made.kind) {
        case MarkKind::Area:
            text = tr("Area: %1 %2, perimeter %3 %4")
                       .arg(made.area, 0, 'f', 2)
                       .arg(unit + QStringLiteral("²"))
                       .arg(made.length, 0, 'f', 2)
                       .arg(unit);
            break;
        case MarkKind::Crater:
            text = tr("Crater: diameter %1 %2").arg(made.diameter, 0, 'f', 2).arg(unit);
            break;
        default:
            text = tr("%1: %2 %3").arg(KindText(made.kind)).arg(made.length, 0, 'f', 2).arg(unit);
            break;
    }
    if (!storeFailed_) Tell(text + UnitNote(made.inKilometres));  // else the store's problem stays
}

bool MeasureTools::PointerEvent(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPointF position = mouse->position();
    if (active_ == nullptr || !active_->Drawing()) {
        if (event->type() == QEvent::MouseMove) PointProfileAt(position);
        if (active_ == nullptr) return false;
    }
    const RasterPoint at = FileAt(position);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton) {
                active_->Press(at);
            } else if (mouse->button() == Qt::RightButton) {
                active_->Finish();
            }
            break;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton) active_->Release(at, Slack());
            break;
        case QEvent::MouseButtonDblClick:
            active_->Finish();
            break;
        case QEvent::MouseMove:
            active_->Move(at);
            ShowDraft();
            return false;  // the readout follows the pointer too
        default:
            return false;
    }
    TakeMark();
    ShowDraft();
    return true;
}

bool MeasureTools::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            if (view_ != nullptr && watched == view_) return PointerEvent(event);
            break;
        case QEvent::ShortcutOverride: {
            // Esc leaves the tool (and still stops a scan, as its key);
            // Enter ends a line or a polygon.
            const auto* key = static_cast<QKeyEvent*>(event);
            auto* widget = qobject_cast<QWidget*>(watched);
            if (active_ == nullptr || widget == nullptr || widget->window() != &main_ ||
                key->modifiers() != Qt::NoModifier || QApplication::activePopupWidget() != nullptr) {
                break;
            }
            if (key->key() == Qt::Key_Escape) {
                Leave();
            } else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                active_->Finish();
                TakeMark();
                ShowDraft();
            }
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void MeasureTools::DeleteMarks(const std::vector<std::int64_t>& ids) {
    std::vector<Mark> marks;
    for (const Mark& m : model_->Marks()) {
        if (std::find(ids.begin(), ids.end(), m.id) != ids.end()) marks.push_back(m);
    }
    if (!marks.empty()) undo_->push(new RemoveMarks(*model_, std::move(marks)));
}

void MeasureTools::ShowSelected() {
    const std::vector<std::int64_t> ids = measurements_->SelectedIds();
    if (overlay_) overlay_->SetSelected(ids);
    if (ids.size() != 1) return;
    const int row = model_->RowOf(ids.front());
    const Mark& m = model_->Marks()[static_cast<std::size_t>(row)];
    if (m.kind == MarkKind::Profile && (!profileMark_ || profileMark_->id != m.id)) ShowProfileOf(m);
}

void MeasureTools::ShowProfileOf(const Mark& mark) {
    if (mark.points.size() < 2 || child_ == nullptr) return;
    profileMark_ = mark;
    const ImageState& s = State();
    ClearUpperVectorState();
    const Profile profile = geodesy_->ProfileAlong(mark.points.front(), mark.points.back(), s.ImageWidth, s.ImageHeight);
    std::vector<ProfileValue> values = ProfileValues(profile, child_->Picture(), CurrentDisplayMapping());
    profile_->ShowProfile(std::move(values), profile.inKilometres);
    profilePoints_ = profile.points;
}

std::optional<Profile> MeasureTools::ShownProfile() const {
    if (!profileMark_) return std::nullopt;
    return Profile{profileMark_->inKilometres, profilePoints_};
}

void MeasureTools::ShowProfileHover(int index) {
    if (overlay_ == nullptr || !profileMark_) return;
    if (index < 0) {
        overlay_->SetProfilePoint(std::nullopt);
        return;
    }
    if (index >= static_cast<int>(profilePoints_.size())) return;
    const ProfilePoint& p = profilePoints_[static_cast<std::size_t>(index)];
    overlay_->SetProfilePoint(RasterPoint{p.column + 0.5, p.row + 0.5});
}

void MeasureTools::PointProfileAt(QPointF position) {
    if (!profileMark_ || overlay_ == nullptr) return;
    // The profile point nearest the pointer, where the pointer is near the line.
    const RasterPoint at = FileAt(position);
    const RasterPoint& a = profileMark_->points.front();
    const RasterPoint& b = profileMark_->points.back();
    const double dc = b.column - a.column;
    const double dr = b.row - a.row;
    const double length2 = dc * dc + dr * dr;
    if (length2 <= 0.0) return;
    const double t = std::clamp(((at.column - a.column) * dc + (at.row - a.row) * dr) / length2, 0.0, 1.0);
    const double off = std::hypot(a.column + t * dc - at.column, a.row + t * dr - at.row);
    if (off > 2 * Slack() || profilePoints_.empty()) {
        profile_->MarkPoint(-1);
        overlay_->SetProfilePoint(std::nullopt);
        return;
    }
    const RasterPoint foot{a.column + t * dc, a.row + t * dr};
    const auto nearest = std::min_element(profilePoints_.begin(), profilePoints_.end(),
                                          [&foot](const ProfilePoint& p, const ProfilePoint& q) {
                                              return std::hypot(p.column + 0.5 - foot.column, p.row + 0.5 - foot.row) <
                                                     std::hypot(q.column + 0.5 - foot.column, q.row + 0.5 - foot.row);
                                          });
    profile_->MarkPoint(static_cast<int>(nearest - profilePoints_.begin()));
    overlay_->SetProfilePoint(RasterPoint{nearest->column + 0.5, nearest->row + 0.5});
}

}  // namespace dusk::app
