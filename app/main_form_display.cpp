// SPDX-License-Identifier: GPL-3.0-or-later
// The display option commands: the Options menu chooses the defaults of the
// next load; the option and tone buttons change the image on display at once,
// re-rendering it from the untouched copy of the file's samples.
#include <QAction>

#include "app/child.h"
#include "app/main_form.h"
#include "core/image_state.h"
#include "load/load_image.h"

namespace dusk::app {

void TMainForm::ToggleDefaultOption(int slot) {
    std::int32_t& flag = State().DefaultOptions[slot];
    ToggleFlag(flag);
    ShowOption(Press::DefaultOption, slot, IsOn(flag));
    // The thumbnails show what a step would give.
    ShowOverviewCollection();
    // The picture on display stays as it is, which would look like nothing happened.
    if (currentChild_ != nullptr) ShowHint(tr("Applies to the next image; the tool button changes this one."));
}

void TMainForm::ToggleActiveOption(int slot) {
    std::int32_t& flag = State().ActiveOptions[slot];
    // The click has already flipped its own item; every item of the option
    // follows the flag alone.
    ShowOption(Press::ActiveOption, slot, IsOn(flag));
    RerenderFromOriginal([this, slot, &flag] {
        ToggleFlag(flag);
        ShowOption(Press::ActiveOption, slot, IsOn(flag));
    });
}

void TMainForm::ContrastDown() {
    RerenderFromOriginal([] { AdjustLevel(State().ContrastLevel, -1); });
}
void TMainForm::ContrastUp() {
    RerenderFromOriginal([] { AdjustLevel(State().ContrastLevel, +1); });
}
void TMainForm::BrightnessDown() {
    RerenderFromOriginal([] { AdjustLevel(State().BrightnessOffset, -20); });
}
void TMainForm::BrightnessUp() {
    RerenderFromOriginal([] { AdjustLevel(State().BrightnessOffset, +20); });
}
void TMainForm::ShadingDown() {
    RerenderFromOriginal([] { AdjustLevel(State().ShadingLevel, -1); });
}
void TMainForm::ShadingUp() {
    RerenderFromOriginal([] { AdjustLevel(State().ShadingLevel, +1); });
}

// Original Image: the file's samples exactly as read, with no correction at
// all, so the first row of the file is shown at the bottom.
void TMainForm::OriginalImage() {
    RerenderFromOriginal(
        [this] {
            ClearActiveAdjustments();
            for (int slot = 0; slot < kOptionCount; ++slot) ShowOption(Press::ActiveOption, slot, false);
        },
        RenderMode::Unprocessed);
}

}  // namespace dusk::app
