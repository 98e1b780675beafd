// The display option commands: the Options menu chooses the defaults of the
// next load; the option and tone buttons change the image on display at once,
// re-rendering it from the untouched copy of the file's samples.
#include <QAction>

#include "app/main_form.h"
#include "core/image_state.h"
#include "load/load_image.h"

namespace dusk::app {

void TMainForm::ToggleDefaultOption(Cmd item) {
    std::int32_t& flag = State().DefaultOptions[RowOf(item).slot];
    ToggleFlag(flag);
    ActionOf(item)->setChecked(IsOn(flag));
}

void TMainForm::ToggleActiveOption(Cmd button) {
    std::int32_t& flag = State().ActiveOptions[RowOf(button).slot];
    QAction* action = ActionOf(button);
    // The click has already flipped the button; it follows the flag alone.
    action->setChecked(IsOn(flag));
    RerenderFromOriginal([&flag, action] {
        ToggleFlag(flag);
        action->setChecked(IsOn(flag));
    });
}

void TMainForm::Atostretch1Click() { ToggleDefaultOption(Cmd::Atostretch1); }
void TMainForm::Despeckleon1Click() { ToggleDefaultOption(Cmd::Despeckleon1); }
void TMainForm::FlipVertically1Click() { ToggleDefaultOption(Cmd::FlipVertically1); }
void TMainForm::Invert1Click() { ToggleDefaultOption(Cmd::Invert1); }
void TMainForm::Minimize1Click() { ToggleDefaultOption(Cmd::Minimize1); }
void TMainForm::Minimize141Click() { ToggleDefaultOption(Cmd::Minimize141); }
void TMainForm::Rotate1Click() { ToggleDefaultOption(Cmd::Rotate1); }

void TMainForm::ToolButton10Click() { ToggleActiveOption(Cmd::ToolButton10); }
void TMainForm::ToolButton33Click() { ToggleActiveOption(Cmd::ToolButton33); }
void TMainForm::ToolButton12Click() { ToggleActiveOption(Cmd::ToolButton12); }
void TMainForm::ToolButton13Click() { ToggleActiveOption(Cmd::ToolButton13); }
void TMainForm::ToolButton18Click() { ToggleActiveOption(Cmd::ToolButton18); }
void TMainForm::ToolButton19Click() { ToggleActiveOption(Cmd::ToolButton19); }
void TMainForm::ToolButton30Click() { ToggleActiveOption(Cmd::ToolButton30); }
void TMainForm::ToolButton32Click() { ToggleActiveOption(Cmd::ToolButton32); }

void TMainForm::ToolButton27Click() {
    RerenderFromOriginal([] { AdjustLevel(State().ContrastLevel, -1); });
}
void TMainForm::ToolButton28Click() {
    RerenderFromOriginal([] { AdjustLevel(State().ContrastLevel, +1); });
}
void TMainForm::ToolButton20Click() {
    RerenderFromOriginal([] { AdjustLevel(State().BrightnessOffset, -20); });
}
void TMainForm::ToolButton21Click() {
    RerenderFromOriginal([] { AdjustLevel(State().BrightnessOffset, +20); });
}
void TMainForm::ToolButton22Click() {
    RerenderFromOriginal([] { AdjustLevel(State().ShadingLevel, -1); });
}
void TMainForm::ToolButton23Click() {
    RerenderFromOriginal([] { AdjustLevel(State().ShadingLevel, +1); });
}

// Original Image: the file's samples exactly as read, with no correction at
// all, so the first row of the file is shown at the bottom.
void TMainForm::ToolButton9Click() {
    RerenderFromOriginal(
        [this] {
            ClearActiveAdjustments();
            for (const CommandRow& command : CommandTable()) {
                if (command.press == Press::Option && (command.place == Place::Row1 || command.place == Place::Row2)) {
                    ActionOf(command.id)->setChecked(false);
                }
            }
        },
        RenderMode::Unprocessed);
}

}  // namespace dusk::app
