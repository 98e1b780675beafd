// SPDX-License-Identifier: GPL-3.0-or-later
// Stepping through the collection (Next, Previous), the timed scan and the
// scan pause. Every step loads its list entry on the existing image window
// the way Open loads a file, without a dialog and without touching the list,
// the scan pause or the enabled states.
#include <utility>

#include <QAction>

#include "app/child.h"
#include "app/file_names.h"
#include "app/main_form.h"
#include "app/scan_timer.h"
#include "collection/navigation.h"
#include "core/image_state.h"
#include "load/load_image.h"

namespace dusk::app {

namespace {

// Timer1's period until the first tick of the run.
constexpr int kTimerPeriod = 2000;

// The pressed states of the two scan buttons.
void ShowScanButtons(const TMainForm& form, bool forward, bool backward) {
    form.ActionOf(Cmd::ScanForwardButton)->setChecked(forward);
    form.ActionOf(Cmd::ScanBackwardButton)->setChecked(backward);
}

}  // namespace

void TMainForm::SetScanTimer(std::unique_ptr<ScanTimer> timer) {
    if (timer1_ != nullptr) timer1_->Stop();
    timer1_ = std::move(timer);
    timer1_->Stop();
    timer1_->SetInterval(kTimerPeriod);
    timer1_->SetTickHandler([this] { RunHandler([this] { ScanTimerTick(); }); });
    ShowScanButtons(*this, false, false);
}

// ---------------------------------------------------------------------------
// Scan pause.

void TMainForm::SetScanPause(int milliseconds) {
    State().ScanPause = milliseconds;
    ShowScanPause();
}

void TMainForm::ShowScanPause() {
    for (const CommandRow& command : CommandTable()) {
        if (command.place == Place::ScanMenu) ActionOf(command.id)->setChecked(State().ScanPause == command.value);
    }
}

// ---------------------------------------------------------------------------
// Stepping.

// Makes list entry FilePosition the image on display, in the existing window.
// An entry that can no longer be read shows black, with the reason in the
// status bar.
void TMainForm::ShowListEntry() {
    if (currentChild_ == nullptr) return;
    const ImageState& s = State();
    const WorkingBuffers buffers = LoadListEntry();  // the path becomes the Open dialog's file name
    NoteLoad();
    PresentBitmap(buffers);
    currentChild_->setWindowTitle(FromFileSystem(s.CurrentFileName));
    ShowOptionStates();
    ShowFilePosition();
}

void TMainForm::Next() {
    if (currentChild_ == nullptr) return;
    if (StepForward()) ShowListEntry();
}

void TMainForm::Previous() {
    if (currentChild_ == nullptr) return;
    if (StepBackward()) ShowListEntry();
}

// ---------------------------------------------------------------------------
// The timed scan. Starting a scan never steps at once, and starting it while
// it runs (also in the other direction) keeps the countdown running.

void TMainForm::ScanForward() {
    if (!timer1_->IsActive()) timer1_->Start();
    State().ScanDirection = Direction::Forward;
    ShowScanButtons(*this, true, false);
}

void TMainForm::ScanBackward() {
    if (!timer1_->IsActive()) timer1_->Start();
    State().ScanDirection = Direction::Backward;
    ShowScanButtons(*this, false, true);
}

void TMainForm::ScanStop() {
    timer1_->Stop();
    State().ScanDirection = Direction::None;
    ShowScanButtons(*this, false, false);
}

// One scan step. The period follows the scan pause from this tick on; setting
// an unchanged period would restart the countdown, so it is left alone. At
// the end of the list the scan stops, one pause after the last image came up;
// the direction is kept for no one to read until the next scan sets it.
void TMainForm::ScanTimerTick() {
    const int pause = State().ScanPause;
    if (pause != timer1_->Interval()) timer1_->SetInterval(pause);
    switch (AdvanceScan()) {
        case ScanTick::Idle:
            break;
        case ScanTick::Stop:
            timer1_->Stop();
            ShowScanButtons(*this, false, false);
            break;
        case ScanTick::Step:
            ShowListEntry();
            break;
    }
}

}  // namespace dusk::app
