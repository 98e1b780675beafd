// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>

#include "app/profile_panel.h"
#include "core/map_projection.h"
#include "core/readout.h"
#include "geo/geodesy.h"
#include "marks/mark.h"

class QAction;
class QImage;
class QActionGroup;
class QLabel;
class QMainWindow;
class QMenu;
class QToolBar;
class QUndoStack;

namespace dusk::app {

class MarksBackend;
class MarksModel;
class MarksOverlay;
class MeasureTool;
class PanelDocks;
class TChild;
class TMeasurementsPanel;
class TPictureView;
class TProfilePanel;

// The file's values and the values shown in `picture` (made through
// `mapping`) at the points of `profile`, on the image of the record.
std::vector<ProfileValue> ProfileValues(const Profile& profile, const QImage& picture, const DisplayMapping& mapping);

// The measuring tools of the main window: the Measure menu and its own tool
// bar, the tool in use drawing on the image window's picture (Esc leaves
// it, Enter or a double click ends a line or a polygon), the figures live in
// the status bar, every measurement a row of the Measurements panel and a
// mark of the image kept by the marks backend, the Profile panel, and
// Undo and Redo of every added or deleted measurement.
class MeasureTools : public QObject {
    Q_OBJECT

public:
    MeasureTools(QMainWindow& main, PanelDocks& panels);
    ~MeasureTools() override;

    // Replaces where the marks are kept (the tests' own, in memory); before
    // the first image the user's marks store is opened, or the marks are
    // kept for the run where it cannot be.
    void SetBackend(std::unique_ptr<MarksBackend> backend);
    // After every picture shown in `child`: its marks where the image is a
    // new one, all of them drawn where the picture now shows them.
    void ShowImage(TChild* child);

    MarksModel& Model() const { return *model_; }
    QUndoStack& UndoStack() const { return *undo_; }
    TMeasurementsPanel* MeasurementsPanel() const { return measurements_; }
    TProfilePanel* ProfilePanel() const { return profile_; }
    // The profile on the Profile panel, in the file's raster; none while
    // the panel shows none.
    std::optional<Profile> ShownProfile() const;
    // The tool in use, or null.
    const MeasureTool* Active() const { return active_.get(); }
    void Use(MarkKind kind);
    void Leave();
    // The measure of the image shown.
    const RasterGeodesy& Geodesy() const { return *geodesy_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenuAndToolBar();
    void Closed();
    bool PointerEvent(QEvent* event);
    // Where the control's position lies on the file raster, and back.
    RasterPoint FileAt(QPointF position) const;
    QPointF PositionOf(const RasterPoint& file) const;
    // One file sample in control pixels, at least.
    double Slack() const;
    void ShowDraft();
    void TakeMark();
    void DeleteMarks(const std::vector<std::int64_t>& ids);
    void ShowSelected();
    void ShowProfileOf(const Mark& mark);
    void ShowProfileHover(int index);
    void PointProfileAt(QPointF position);
    void Tell(const QString& text);
    // The marks store could not be opened or written.
    void NoteStore(const QString& problem);

    QMainWindow& main_;
    PanelDocks& panels_;
    MarksModel* model_ = nullptr;
    QUndoStack* undo_ = nullptr;
    TMeasurementsPanel* measurements_ = nullptr;
    TProfilePanel* profile_ = nullptr;
    QMenu* menu_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QActionGroup* tools_ = nullptr;
    QAction* measurementsItem_ = nullptr;
    QAction* profileItem_ = nullptr;
    QLabel* storeNote_ = nullptr;
    std::unique_ptr<MeasureTool> active_;
    std::optional<RasterGeodesy> geodesy_;
    QPointer<TChild> child_;
    QPointer<TPictureView> view_;
    QPointer<MarksOverlay> overlay_;
    std::string imagePath_;  // of the image whose marks are shown
    bool backendChosen_ = false;
    bool storeFailed_ = false;  // since the last measurement
    std::optional<Mark> profileMark_;  // the profile on the Profile panel
    std::vector<ProfilePoint> profilePoints_;  // its points
};

}  // namespace dusk::app
