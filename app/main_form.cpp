// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_form.h"

#include <exception>
#include <new>
#include <stdexcept>

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/about_box.h"
#include "app/child.h"
#include "app/file_names.h"
#include "app/histogram_window.h"
#include "app/info_box.h"
#include "app/label_keywords_window.h"
#include "app/measure_tools.h"
#include "app/overview_window.h"
#include "app/marks_export_command.h"
#include "app/panel_docks.h"
#include "app/quad_browser.h"
#include "app/resources.h"
#include "app/scan_timer.h"
#include "collection/file_list.h"
#include "core/geometry.h"
#include "core/geometry_notes.h"
#include "core/image_state.h"
#include "core/label.h"
#include "core/label_keywords.h"
#include "core/picture_stats.h"
#include "geo/label_georeference.h"
#include "load/load_image.h"

namespace dusk::app {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    LoadResources();
    // Every load checks the label's map figures against its bounds.
    SetGeoreferenceCheck(&CheckLabelGeoreference);
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Dazove 15 & 16 ZI-RO Zozid Erovadu "));
    setGeometry(218, 212, 575, 450);  // the restored bounds; the window starts maximised

    BuildMenus();

    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    BuildToolBar();
    column->addWidget(coolBar_);
    clientArea_ = new QMdiArea;
    clientArea_->setObjectName(QStringLiteral("ClientArea"));
    // An image window pushed partly out of a small area can still be scrolled to.
    clientArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    clientArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    column->addWidget(clientArea_, 1);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    for (const CommandRow& command : CommandTable()) {
        if (command.kind == Kind::Command) ActionOf(command.id)->setEnabled(command.needs != Needs::Image);
    }
    ActionOf(Cmd::ToggleToolbarItem)->setChecked(true);

    SetScanTimer(MakeWindowTimer(this));

    openDialog_ = new QFileDialog(this);
    openDialog_->setObjectName(QStringLiteral("WyborZbioru"));
    openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
    openDialog_->setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog matches the pattern in any letter case (a CD often
    // shows V05.IMG); a native one may not.
    openDialog_->setOption(QFileDialog::DontUseNativeDialog);
    openDialog_->setNameFilter(QStringLiteral("Venera 15 and 16 Radar Images (*.img)"));
    openDialog_->resize(800, 520);
    SetImageChooser(nullptr);

    aboutBox_ = new TAboutBox(this);
    infoBox_ = new TInfoBox(this);
    panels_ = new PanelDocks(*this);
    histogram_ = new THistogramWindow;
    panels_->Add(histogram_, PanelDocks::Side::Right, ActionOf(Cmd::HistogramItem));
    SetUpOverview();
    CreateOutputDialogs();
    SetUpPointerAndDrops();
    SetUpZoomField();
    SetUpLabelKeywords();
    SetUpQuadBrowser();
    measure_ = new MeasureTools(*this, *panels_);
}

TMainForm::~TMainForm() = default;

TChild* TMainForm::CurrentChild() const { return currentChild_; }

void TMainForm::SetImageChooser(ImageChooser chooser) {
    if (chooser) {
        chooser_ = std::move(chooser);
    } else {
        chooser_ = [this] { return ChooseWithDialog(); };
    }
}

void TMainForm::OpenFromCommandLine(const QByteArray& path) {
    RunHandler([this, path] { OpenImage(path); });
}

// ---------------------------------------------------------------------------
// The handler boundary.

void TMainForm::RunHandler(const std::function<void()>& body) {
    QString message;
    try {
        body();
        return;
    } catch (const std::bad_alloc&) {
        message = tr("There is not enough memory to finish this command.");
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = tr("The command failed for an unknown reason.");
    }
    ReleaseWorkingBuffers();
    // Scan ticks go on behind an open error box; a failure while one is
    // already up goes to the status bar instead of stacking boxes.
    if (showingError_) {
        statusBar()->showMessage(message);
        return;
    }
    showingError_ = true;
    QMessageBox::critical(this, QStringLiteral("Duskmapper"), message);
    showingError_ = false;
}

// ---------------------------------------------------------------------------
// Open and the load steps.

QString TMainForm::ChooseWithDialog() {
    // The dialog's file name is the path of the last image shown.
    const QString current = FromFileSystem(State().CurrentImagePath);
    if (!current.isEmpty()) {
        openDialog_->setDirectory(QFileInfo(current).absolutePath());
        openDialog_->selectFile(current);
    }
    const int result = openDialog_->exec();
    // A completion list still coming up as the dialog closes would stay on
    // screen on its own.
    for (QCompleter* completer : openDialog_->findChildren<QCompleter*>()) {
        if (completer->popup() != nullptr) completer->popup()->hide();
    }
    if (result != QDialog::Accepted) return {};
    const QStringList chosen = openDialog_->selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.front();
}

void TMainForm::Open() {
    const QString chosen = chooser_();
    if (chosen.isEmpty()) return;
    OpenImage(FileSystemPath(chosen));
}

void TMainForm::OpenImage(const QByteArray& path) {
    if (currentChild_ != nullptr) return;  // there is never more than one image window
    const ImageState& s = State();
    const WorkingBuffers buffers = LoadImage(path.toStdString());
    NoteLoad();
    ShowScanPause();

    auto* child = new TChild;
    clientArea_->addSubWindow(child);
    connect(child, &TChild::Closing, this, [this] { RunHandler([this] { ChildFormClose(); }); });
    ConnectReadout(child);
    ConnectZoom(child);
    connect(child, &TChild::PictureActivated, this,
            [this](QPointF point) { RunHandler([this, point] { OpenTileAt(point); }); });
    currentChild_ = child;
    child->show();
    PresentBitmap(buffers);
    child->setWindowTitle(FromFileSystem(s.CurrentFileName));
    EnableImageCommands();
    ShowOptionStates();
    ShowFilePosition();
}

void TMainForm::NoteLoad() {
    const ImageState& s = State();
    // The picture is shown as it comes; the status bar says what is odd about it.
    if (s.FileLength < 0) {
        readProblem_ = tr("Could not read %1: %2")
                           .arg(FromFileSystem(s.CurrentImagePath), QString::fromLocal8Bit(s.ReadError.c_str()));
    } else if (s.FileLength == 0) {
        readProblem_ = tr("%1 is empty").arg(FromFileSystem(s.CurrentFileName));
    } else if (!IsKnownLength(s.FileLength)) {
        readProblem_ = QString::fromStdString(UnknownLengthText(s.FileLength, s.ImageWidth, s.ImageHeight));
    } else {
        readProblem_.clear();
    }
    NoteLabel();
    ShowLoadProblems();
    ShowImageLabel();
}

void TMainForm::ShowLoadProblems() {
    QStringList notes;
    if (!readProblem_.isEmpty()) notes << readProblem_;
    if (!labelNote_.isEmpty()) notes << labelNote_;
    if (State().FileListCut) {
        notes << tr("The folder holds more than %1 images; only the first %1 are listed.").arg(kFileListCapacity);
    }
    if (notes.isEmpty()) {
        statusBar()->clearMessage();
    } else {
        statusBar()->showMessage(notes.join(QStringLiteral("   ")));
    }
}

void TMainForm::ShowImageLabel() {
    QStringList lines;
    for (const std::string& item : State().LabelLines) lines << QString::fromStdString(Cp1250ToUtf8(item));
    infoBox_->SetLines(lines);
}

void TMainForm::PresentBitmap(const WorkingBuffers& buffers) {
    const ImageState& s = State();
    const std::span<const std::uint8_t> bitmap = buffers.Bitmap();
    QImage picture;
    if (bitmap.empty() || !picture.loadFromData(bitmap.data(), static_cast<int>(bitmap.size()), "BMP") ||
        picture.width() != s.ImageWidth || picture.height() != s.ImageHeight) {
        throw std::runtime_error(tr("The picture of %1 could not be decoded.")
                                     .arg(FromFileSystem(s.CurrentFileName))
                                     .toStdString());
    }
    currentChild_->ShowPicture(picture);
    quadBrowser_->PictureShown(currentChild_);
    ShowLevels();
    measure_->ShowImage(currentChild_);
    // Measured only while someone looks.
    if (panels_->IsOpen(histogram_)) histogram_->ShowRender(MeasureRenderedPicture());
}

void TMainForm::RerenderFromOriginal(const Change& change, RenderMode mode) {
    if (currentChild_ == nullptr) return;
    PresentBitmap(Rerender(change, mode));
}

// ---------------------------------------------------------------------------
// Enabled, checked and pressed states.

void TMainForm::EnableImageCommands() {
    for (const CommandRow& command : CommandTable()) {
        if (command.kind != Kind::Command || command.needs == Needs::Nothing) continue;
        ActionOf(command.id)->setEnabled(command.needs == Needs::Image);
    }
    // The quad's items only where the image on display has a quad.
    quadBrowser_->PictureShown(currentChild_);
}

void TMainForm::ShowOption(Press press, int slot, bool on) {
    for (const CommandRow& command : CommandTable()) {
        if (command.press == press && command.value == slot) ActionOf(command.id)->setChecked(on);
    }
}

// After a load: the options the load took from the defaults.
void TMainForm::ShowOptionStates() {
    const ImageState& s = State();
    for (int slot = 0; slot < kOptionCount; ++slot) ShowOption(Press::ActiveOption, slot, IsOn(s.DefaultOptions[slot]));
}

void TMainForm::ShowFilePosition() {
    counter_->setText(QString::fromStdString(PositionText()));
    if (panels_->IsOpen(overview_)) overview_->ShowPosition(State().FilePosition);
}

void TMainForm::ChildFormClose() {
    for (const CommandRow& command : CommandTable()) {
        if (command.kind != Kind::Command || command.needs == Needs::Nothing) continue;
        ActionOf(command.id)->setEnabled(command.needs == Needs::NoImage);
    }
    timer1_->Stop();
    for (const CommandRow& command : CommandTable()) {
        if (ReleasedOnClose(command.press)) ActionOf(command.id)->setChecked(false);
    }
    counter_->setText(QStringLiteral("0/0"));
    currentChild_ = nullptr;
    ShowZoom();  // with no image: an empty zoom field
    histogram_->Clear();
    labelKeywords_->Clear();
    labelNote_.clear();
    // The overview belongs to the collection of the image window.
    panels_->Close(overview_);
    overview_->Clear();
    readProblem_.clear();
    quadBrowser_->Closed();
    ShowLevels();
    statusBar()->clearMessage();
}

// ---------------------------------------------------------------------------
// Shell commands.

void TMainForm::Exit() { QCoreApplication::quit(); }

void TMainForm::CloseImage() {
    if (currentChild_ != nullptr) currentChild_->close();
}

void TMainForm::ToggleToolbar() {
    const bool show = toolBar_->isHidden();
    toolBar_->setVisible(show);
    ActionOf(Cmd::ToggleToolbarItem)->setChecked(show);
}

void TMainForm::ToggleHistogram() {
    if (panels_->IsOpen(histogram_)) {
        panels_->Close(histogram_);
    } else {
        if (currentChild_ != nullptr) {
            histogram_->ShowPicture(currentChild_->Picture());
        } else {
            histogram_->Clear();
        }
        panels_->Open(histogram_);
    }
}

void TMainForm::About() { aboutBox_->exec(); }

void TMainForm::ImageInfo() { infoBox_->exec(); }

}  // namespace dusk::app
