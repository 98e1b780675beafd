#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include <QByteArray>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QString>

#include "app/commands.h"
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
class TInfoBox;
class ScanTimer;

// The main window: a multiple-document frame with the menu bar, the two-row
// tool bar and its counter box, and every command of the program.
class TMainForm : public QMainWindow {
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
    void SetPrintDialog(PrinterDialog dialog);
    void SetPrintSetupDialog(PrinterDialog dialog);

    QAction* ActionOf(Cmd id) const { return actions_[static_cast<int>(id)]; }
    TChild* CurrentChild() const;

    // File menu and row 1.
    void Open1Click();
    void FileForBtnClick();
    void FileTylBtnClick();
    void SaveAs1Click();
    void FileForAutoBtnClick();
    void FileTylAutBtnClick();
    void FileStopBtnClick();
    void Print1Click();
    void PrintSetup1Click();
    void Exit1Click();

    // Options menu: the defaults of the next load.
    void Atostretch1Click();
    void Despeckleon1Click();
    void FlipVertically1Click();
    void Invert1Click();
    void Minimize1Click();
    void Minimize141Click();
    void Rotate1Click();

    // View, Scan-pause and About menus.
    void Toolbar1Click();
    void N2seconds1Click();
    void N3seconds1Click();
    void N4seconds1Click();
    void N5seconds1Click();
    void About1Click();
    void HelpAboutBtnClick();

    // Option, tone and Original Image buttons: change the image on display.
    void ToolButton9Click();
    void ToolButton10Click();
    void ToolButton33Click();
    void ToolButton12Click();
    void ToolButton13Click();
    void ToolButton18Click();
    void ToolButton19Click();
    void ToolButton30Click();
    void ToolButton32Click();
    void ToolButton27Click();
    void ToolButton28Click();
    void ToolButton20Click();
    void ToolButton21Click();
    void ToolButton22Click();  // shading ramp one step down (key "[")
    void ToolButton23Click();  // shading ramp one step up (key "]")
    void ToolButton29Click();

    // The scan timer's tick.
    void Timer1Timer();

protected:
    // An image file dropped on the window opens as Open would open it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

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

    void ToggleDefaultOption(Cmd item);
    void ToggleActiveOption(Cmd button);
    void SetScanPause(int milliseconds);
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
    std::unique_ptr<ScanTimer> timer1_;  // Timer1
    QPointer<TChild> currentChild_;
    ImageChooser chooser_;
    QString readProblem_;
    QLabel* readout_ = nullptr;  // PixelReadout, at the right of the status bar
    bool showingError_ = false;  // a failure box is open
    std::shared_ptr<OutputDialogs> output_;
};

}  // namespace dusk::app
