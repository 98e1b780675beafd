// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include <QByteArray>
#include <QPointF>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QString>

#include "app/command_target.h"
#include "app/commands.h"
#include "core/map_projection.h"
#include "load/load_image.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMdiArea;
class QPrinter;

namespace dusk::app {

class TAboutBox;
class TChild;
class THistogramWindow;
class TLabelKeywordsWindow;
class TOverviewWindow;
class TQuadBrowser;
class MarksExportCommand;
class TQuadMosaicWindow;
class TInfoBox;
class MeasureTools;
class PanelDocks;
class ScanTimer;

// The main window: a multiple-document frame with the menu bar, the two-row
// tool bar and its counter box, and every command of the program.
class TMainForm : public QMainWindow, public CommandTarget {
    Q_OBJECT

public:
    // Returns the chosen path, or an empty text when the user cancelled.
    using ImageChooser = std::function<QString()>;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Replaces the Open dialog, so that tests never drive a real one; an
    // empty chooser brings the dialog back.
    void SetImageChooser(ImageChooser chooser);
    // Opens the image at `path` (the file system's bytes) as if it had been
    // chosen in the Open dialog.
    void OpenFromCommandLine(const QByteArray& path);
    // Replaces the scan timer Timer1, so that tests can drive the scan
    // without waiting; the new timer starts stopped, with a 2,000 ms period.
    void SetScanTimer(std::unique_ptr<ScanTimer> timer);
    // Stand-ins for the Save, Print and Print Setup dialogs, so that tests
    // never drive real ones; an empty one brings the dialog back. A printer
    // dialog sets up the printer it is given and returns false when the user
    // cancelled.
    using PrinterDialog = std::function<bool(QPrinter&)>;
    void SetSaveChooser(ImageChooser chooser);
    // Replaces the Go to Entry dialog: returns the position or name typed,
    // or an empty text when the user cancelled.
    void SetEntryChooser(ImageChooser chooser);
    void SetPrintDialog(PrinterDialog dialog);
    void SetPrintSetupDialog(PrinterDialog dialog);

    QAction* ActionOf(Cmd id) const { return actions_[static_cast<int>(id)]; }
    TChild* CurrentChild() const;

    // The commands (CommandTarget): menu items and tool buttons of one
    // command share its handler.
    void Open() override;
    void Next() override;
    void Previous() override;
    void SaveAs() override;
    void ExportMarks() override;
    // Export Marks, whose save dialog tests replace.
    MarksExportCommand& MarksExport();
    void ScanForward() override;
    void ScanBackward() override;
    void ScanStop() override;
    void Print() override;
    void PrintSetup() override;
    void Exit() override;
    void CloseImage() override;
    void ToggleDefaultOption(int slot) override;
    void ToggleActiveOption(int slot) override;
    void ContrastDown() override;
    void ContrastUp() override;
    void BrightnessDown() override;
    void BrightnessUp() override;
    void ShadingDown() override;
    void ShadingUp() override;
    void OriginalImage() override;
    void ToggleToolbar() override;
    void ZoomIn() override;
    void ZoomOut() override;
    void ActualSize() override;
    void FitToWindow() override;
    void ToggleHistogram() override;
    void ToggleLabelKeywords() override;
    void ToggleOverview() override;
    void ToggleFootprints() override;
    void ShowInBrowseImage() override;
    void FirstEntry() override;
    void LastEntry() override;
    void GoToEntry() override;
    void ShowQuadMosaic() override;
    void SetScanPause(int milliseconds) override;
    void About() override;
    void ImageInfo() override;

    // One step of the timed scan, at each tick of the scan timer.
    void ScanTimerTick();

protected:
    // An image file dropped on the window opens as Open would open it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Esc stops a running scan on its first press, whatever has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    QAction* CreateAction(const CommandRow& command);
    // Runs a command; a failure ends it, releases the working buffers and is
    // shown in the standard error box.
    void RunHandler(const std::function<void()>& body);

    // Open and the window's part of every load and re-render.
    void OpenImage(const QByteArray& path);
    // After a load: the read problem and the label of the image now loaded.
    void NoteLoad();
    void ShowLoadProblems();
    void ShowImageLabel();
    // Shows the bitmap that a load or re-render left in the buffers.
    void PresentBitmap(const WorkingBuffers& buffers);
    void RerenderFromOriginal(const Change& change, RenderMode mode = RenderMode::Corrected);
    void ShowListEntry();

    // Enabled, checked and pressed states.
    void EnableImageCommands();
    void ShowOptionStates();
    void ShowFilePosition();
    void ShowScanPause();
    void ChildFormClose();

    // The checks and pressed states of the commands that show option `slot`.
    void ShowOption(Press press, int slot, bool on);
    QString ChooseWithDialog();
    // The Save, Print and Print Setup dialogs and the printer of the run.
    struct OutputDialogs;
    void CreateOutputDialogs();
    QString ChooseSaveName();

    // The pixel readout and the drops (main_form_input.cpp).
    void SetUpPointerAndDrops();
    void ConnectReadout(TChild* child);
    void ShowReadout(QPoint pixel);
    void ClearReadout();
    // The zoom field ZoomField and the Fit to Window check (main_form_zoom.cpp).
    void SetUpZoomField();
    void ConnectZoom(TChild* child);
    void ShowZoom();
    // The Label Keywords window and the label's raster size against the
    // file's (main_form_label.cpp).
    void SetUpLabelKeywords();
    void NoteLabel();
    // The Collection Overview (main_form_overview.cpp): made with the main
    // window; shown the collection with the Options menu's defaults; a tile
    // chosen there is shown as a step to it would show it.
    void SetUpOverview();
    void ShowOverviewCollection();
    void ShowChosenEntry(int position);
    // Steps to list entry `position` and centres `spot` of its file raster
    // (main_form_quad.cpp).
    void StepAndCentre(int position, const RasterPoint& spot);
    void SetUpQuadBrowser();
    // A click or Enter on the browse image over a tile's outline.
    void OpenTileAt(QPointF picturePoint);
    void ShowLevels();
    // A hint in the status bar for a few seconds; the load problems come back after it.
    void ShowHint(const QString& text);
    // Accepts a drop (or its entering) of an image file while Open is
    // available and returns the file; otherwise refuses it, with a hint when
    // an image window is in the way, and returns an empty text.
    QByteArray TakeDrop(QDropEvent* event);

    std::array<QAction*, kCmdCount> actions_{};
    QMdiArea* clientArea_ = nullptr;
    QFrame* coolBar_ = nullptr;          // MojCoolBar: the band that holds MojToolBar
    QWidget* toolBar_ = nullptr;         // MojToolBar: both rows and the counter box
    QLineEdit* counter_ = nullptr;       // Memo1
    QFileDialog* openDialog_ = nullptr;  // WyborZbioru
    TAboutBox* aboutBox_ = nullptr;
    TInfoBox* infoBox_ = nullptr;
    THistogramWindow* histogram_ = nullptr;  // HistogramWindow
    TLabelKeywordsWindow* labelKeywords_ = nullptr;  // LabelKeywordsWindow
    TOverviewWindow* overview_ = nullptr;    // OverviewWindow
    PanelDocks* panels_ = nullptr;  // the docks that hold the three windows above
    MeasureTools* measure_ = nullptr;  // the Measure menu, its tools and panels
    TQuadMosaicWindow* quadMosaic_ = nullptr;
    std::unique_ptr<ScanTimer> timer1_;  // Timer1
    QPointer<TChild> currentChild_;
    ImageChooser chooser_;
    QString readProblem_;
    QString labelNote_;  // the label's raster size where it differs from the file's
    QLabel* readout_ = nullptr;  // PixelReadout, at the right of the status bar
    QLabel* zoomField_ = nullptr;  // ZoomField, right of the readout
    QLabel* levels_ = nullptr;     // LevelsField: the tone levels where one is not 0
    TQuadBrowser* quadBrowser_ = nullptr;
    std::unique_ptr<MarksExportCommand> marksExport_;
    ImageChooser entryChooser_;
    bool showingError_ = false;  // a failure box is open
    std::shared_ptr<OutputDialogs> output_;
};

}  // namespace dusk::app
