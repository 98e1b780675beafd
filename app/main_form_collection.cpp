// Stepping through the collection and the timed scan. The scan pause is kept
// here; stepping and scanning themselves are not offered yet, so their
// commands change nothing.
#include <array>
#include <utility>

#include <QAction>

#include "app/main_form.h"
#include "core/image_state.h"

namespace dusk::app {

namespace {

constexpr std::array<std::pair<Cmd, int>, 4> kScanPauses{{
    {Cmd::N2seconds1, 2000},
    {Cmd::N3seconds1, 3000},
    {Cmd::N4seconds1, 4000},
    {Cmd::N5seconds1, 5000},
}};

}  // namespace

void TMainForm::SetScanPause(int milliseconds) {
    State().ScanPause = milliseconds;
    ShowScanPause();
}

void TMainForm::ShowScanPause() {
    for (const auto& [item, milliseconds] : kScanPauses) {
        ActionOf(item)->setChecked(State().ScanPause == milliseconds);
    }
}

void TMainForm::N2seconds1Click() { SetScanPause(2000); }
void TMainForm::N3seconds1Click() { SetScanPause(3000); }
void TMainForm::N4seconds1Click() { SetScanPause(4000); }
void TMainForm::N5seconds1Click() { SetScanPause(5000); }

void TMainForm::FileForBtnClick() {}
void TMainForm::FileTylBtnClick() {}

// A scan button is pressed exactly while the scan runs in its direction.
void TMainForm::FileForAutoBtnClick() {
    ActionOf(Cmd::FileForAutoBtn)->setChecked(timer1_.isActive() && State().ScanDirection == 1);
}
void TMainForm::FileTylAutBtnClick() {
    ActionOf(Cmd::FileTylAutBtn)->setChecked(timer1_.isActive() && State().ScanDirection == 2);
}
void TMainForm::FileStopBtnClick() {}

void TMainForm::Timer1Timer() {}

}  // namespace dusk::app
