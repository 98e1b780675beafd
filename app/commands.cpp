#include "app/commands.h"

#include <array>
#include <cstdlib>

#include "app/main_form.h"
#include "core/image_state.h"

namespace dusk::app {

namespace {

using M = TMainForm;
using SK = QKeySequence::StandardKey;
constexpr SK kNoKey = QKeySequence::UnknownKey;

constexpr CommandRow MenuItem(Cmd id, const char* name, const char* caption, Place place, Handler handler,
                               Needs needs = Needs::Nothing, SK key = kNoKey, const char* keys = nullptr) {
    return {Kind::Command, id, name, caption, nullptr, place, handler, key, keys, needs, Press::None, -1};
}
constexpr CommandRow MarkItem(Cmd id, const char* name, const char* caption, Place place, Handler handler) {
    return {Kind::Command, id, name, caption, nullptr, place, handler, kNoKey, nullptr, Needs::Nothing, Press::Mark, -1};
}
constexpr CommandRow OptionItem(Cmd id, const char* name, const char* caption, Handler handler, int slot) {
    return {Kind::Command, id,      name,           caption,      nullptr, Place::OptionsMenu,
            handler,       kNoKey,  nullptr,        Needs::Nothing, Press::Option, slot};
}
constexpr CommandRow Button(Cmd id, const char* name, const char* hint, const char* glyph, Place row,
                             Handler handler, Needs needs = Needs::Image, Press press = Press::None,
                             int slot = -1, const char* keys = nullptr) {
    return {Kind::Command, id, name, hint, glyph, row, handler, kNoKey, keys, needs, press, slot};
}
constexpr CommandRow KeyOnly(Cmd id, const char* name, const char* text, const char* keys, Handler handler) {
    return {Kind::Command, id,   name,        text,        nullptr,     Place::KeysOnly,
            handler,       kNoKey, keys,      Needs::Image, Press::None, -1};
}
constexpr CommandRow Separator(const char* name, Place place) {
    return {Kind::Separator, Cmd::None, name, nullptr, nullptr, place, nullptr, kNoKey, nullptr, Needs::Nothing,
            Press::None,     -1};
}
constexpr CommandRow Spacer(const char* name, Place row) {
    return {Kind::Spacer, Cmd::None, name, nullptr, nullptr, row, nullptr, kNoKey, nullptr, Needs::Nothing,
            Press::None,  -1};
}
constexpr CommandRow Counter(const char* name, Place row) {
    return {Kind::Counter, Cmd::None, name, nullptr, nullptr, row, nullptr, kNoKey, nullptr, Needs::Nothing,
            Press::None,   -1};
}

#define GLYPH(file) ":/duskmapper/glyphs/" file ".svg"

constexpr Place F = Place::FileMenu;
constexpr Place R1 = Place::Row1;
constexpr Place R2 = Place::Row2;

// clang-format off
constexpr std::array kCommands{
    // File menu.
    MenuItem(Cmd::Open1, "Open1", "&Open...", F, &M::Open1Click, Needs::NoImage, QKeySequence::Open, "Ctrl+O"),
    MenuItem(Cmd::Next1, "Next1", "&Next ", F, &M::FileForBtnClick, Needs::Image, kNoKey, "PgDown"),
    MenuItem(Cmd::Previous1, "Previous1", "Pr&evious", F, &M::FileTylBtnClick, Needs::Image, kNoKey, "PgUp"),
    MenuItem(Cmd::SaveAs1, "SaveAs1", "Save &As...", F, &M::SaveAs1Click, Needs::Image, QKeySequence::SaveAs, "Ctrl+S"),
    Separator("N2", F),
    MenuItem(Cmd::ScanForward1, "ScanForward1", "Scan Forward", F, &M::FileForAutoBtnClick, Needs::Image, kNoKey, "F5"),
    MenuItem(Cmd::ScanBackward1, "ScanBackward1", "Scan Backward", F, &M::FileTylAutBtnClick, Needs::Image, kNoKey, "Shift+F5"),
    MenuItem(Cmd::ScanStop1, "ScanStop1", "Scan Stop", F, &M::FileStopBtnClick, Needs::Image, kNoKey, "Esc"),
    Separator("N3", F),
    MenuItem(Cmd::Print1, "Print1", "&Print...", F, &M::Print1Click, Needs::Image, QKeySequence::Print, "Ctrl+P"),
    MenuItem(Cmd::PrintSetup1, "PrintSetup1", "P&rint Setup...", F, &M::PrintSetup1Click, Needs::Image),
    Separator("N1", F),
    MenuItem(Cmd::Exit1, "Exit1", "E&xit", F, &M::Exit1Click, Needs::Nothing, QKeySequence::Quit, "Ctrl+Q"),

    // Options menu.
    OptionItem(Cmd::Atostretch1, "Atostretch1", "&Stretch", &M::Atostretch1Click, OptStretch),
    OptionItem(Cmd::Despeckleon1, "Despeckleon1", "&Despeckle ", &M::Despeckleon1Click, OptDespeckle),
    OptionItem(Cmd::FlipVertically1, "FlipVertically1", "&Flip Vertically", &M::FlipVertically1Click, OptFlipVertically),
    OptionItem(Cmd::Invert1, "Invert1", "&Invert", &M::Invert1Click, OptInvert),
    OptionItem(Cmd::Minimize1, "Minimize1", "&Minimize 1/2", &M::Minimize1Click, OptMinimizeHalf),
    OptionItem(Cmd::Minimize141, "Minimize141", "Minimize 1/4", &M::Minimize141Click, OptMinimizeQuarter),
    OptionItem(Cmd::Rotate1, "Rotate1", "&Rotate", &M::Rotate1Click, OptRotate),

    // View, Scan-pause and About menus.
    MarkItem(Cmd::Toolbar1, "Toolbar1", "Toolbar", Place::ViewMenu, &M::Toolbar1Click),
    MarkItem(Cmd::N2seconds1, "N2seconds1", "2 seconds", Place::ScanMenu, &M::N2seconds1Click),
    MarkItem(Cmd::N3seconds1, "N3seconds1", "3 seconds", Place::ScanMenu, &M::N3seconds1Click),
    MarkItem(Cmd::N4seconds1, "N4seconds1", "4 seconds", Place::ScanMenu, &M::N4seconds1Click),
    MarkItem(Cmd::N5seconds1, "N5seconds1", "5 seconds", Place::ScanMenu, &M::N5seconds1Click),
    MenuItem(Cmd::About1, "About1", "&About...", Place::HelpMenu, &M::About1Click),

    // Tool-bar row 1.
    Button(Cmd::FileOpenBtn, "FileOpenBtn", "Open", GLYPH("open"), R1, &M::Open1Click, Needs::NoImage),
    Button(Cmd::FileSaveBtn, "FileSaveBtn", "Save as BMP", GLYPH("save"), R1, &M::SaveAs1Click),
    Button(Cmd::ToolButton17, "ToolButton17", "Print", GLYPH("print"), R1, &M::Print1Click),
    Spacer("ToolButton8", R1), Separator("ToolButton16", R1), Spacer("ToolButton3", R1),
    Button(Cmd::FileTylAutBtn, "FileTylAutBtn", "Scan Backword", GLYPH("scan-backward"), R1, &M::FileTylAutBtnClick, Needs::Image, Press::Scan),
    Button(Cmd::FileTylBtn, "FileTylBtn", "Previous", GLYPH("previous"), R1, &M::FileTylBtnClick),
    Button(Cmd::FileStopBtn, "FileStopBtn", "Scan Stop", GLYPH("stop"), R1, &M::FileStopBtnClick),
    Button(Cmd::FileForBtn, "FileForBtn", "Next", GLYPH("next"), R1, &M::FileForBtnClick),
    Button(Cmd::FileForAutoBtn, "FileForAutoBtn", "Scan Forword", GLYPH("scan-forward"), R1, &M::FileForAutoBtnClick, Needs::Image, Press::Scan),
    Spacer("ToolButton4", R1), Separator("ToolButton15", R1), Spacer("ToolButton7", R1),
    Button(Cmd::ToolButton9, "ToolButton9", "Original Image", GLYPH("original"), R1, &M::ToolButton9Click),
    Button(Cmd::ToolButton10, "ToolButton10", "Flip Vertically", GLYPH("flip"), R1, &M::ToolButton10Click, Needs::Image, Press::Option, OptFlipVertically),
    Button(Cmd::ToolButton33, "ToolButton33", "Rotate", GLYPH("rotate"), R1, &M::ToolButton33Click, Needs::Image, Press::Option, OptRotate),
    Button(Cmd::ToolButton12, "ToolButton12", "Despeckle", GLYPH("impulses"), R1, &M::ToolButton12Click, Needs::Image, Press::Option, OptDespeckle),
    Button(Cmd::ToolButton13, "ToolButton13", "Stretch", GLYPH("stretch"), R1, &M::ToolButton13Click, Needs::Image, Press::Option, OptStretch),
    Button(Cmd::ToolButton18, "ToolButton18", "Missing lines", GLYPH("missing-lines"), R1, &M::ToolButton18Click, Needs::Image, Press::Option, OptMissingLines),
    Spacer("ToolButton14", R1), Separator("ToolButton2", R1), Spacer("ToolButton1", R1),

    // Tool-bar row 2.
    Button(Cmd::ToolButton27, "ToolButton27", "Contrast Down", GLYPH("contrast-down"), R2, &M::ToolButton27Click),
    Button(Cmd::ToolButton28, "ToolButton28", "Contrast Up", GLYPH("contrast-up"), R2, &M::ToolButton28Click),
    Button(Cmd::ToolButton20, "ToolButton20", "Brightness Down", GLYPH("brightness-down"), R2, &M::ToolButton20Click),
    Button(Cmd::ToolButton21, "ToolButton21", "Brightness Up", GLYPH("brightness-up"), R2, &M::ToolButton21Click),
    Spacer("ToolButton25", R2), Separator("ToolButton22", R2), Spacer("ToolButton31", R2),
    Button(Cmd::ToolButton19, "ToolButton19", "Invert Display", GLYPH("invert"), R2, &M::ToolButton19Click, Needs::Image, Press::Option, OptInvert),
    Button(Cmd::ToolButton30, "ToolButton30", "Minimize", GLYPH("minimize-half"), R2, &M::ToolButton30Click, Needs::Image, Press::Option, OptMinimizeHalf),
    Button(Cmd::ToolButton32, "ToolButton32", "Minimize - 25 % original size", GLYPH("minimize-quarter"), R2, &M::ToolButton32Click, Needs::Image, Press::Option, OptMinimizeQuarter),
    Spacer("ToolButton24", R2), Separator("ToolButton26", R2), Spacer("ToolButton23", R2),
    Button(Cmd::ToolButton29, "ToolButton29", "Image Info", GLYPH("info"), R2, &M::ToolButton29Click, Needs::Image, Press::None, -1, "Ctrl+I"),
    Button(Cmd::HelpAboutBtn, "HelpAboutBtn", "About", GLYPH("about"), R2, &M::HelpAboutBtnClick, Needs::Nothing),
    Spacer("ToolButton5", R2), Separator("ToolButton6", R2), Spacer("ToolButton11", R2),
    Counter("Memo1", R2),

    // Keyboard only: the shading ramp.
    KeyOnly(Cmd::ShadingDown1, "ShadingDown1", "Shading Down", "[", &M::ToolButton22Click),
    KeyOnly(Cmd::ShadingUp1, "ShadingUp1", "Shading Up", "]", &M::ToolButton23Click),
};

constexpr std::array kMenus{
    MenuRow{Place::FileMenu, "File1", "&File"},
    MenuRow{Place::OptionsMenu, "Options1", "&Options"},
    MenuRow{Place::ViewMenu, "View1", "View"},
    MenuRow{Place::ScanMenu, "Scan1", "Scan-pause"},
    MenuRow{Place::HelpMenu, "Help1", "&About"},
};
// clang-format on

#undef GLYPH

}  // namespace

std::span<const CommandRow> CommandTable() { return kCommands; }

std::span<const MenuRow> MenuTable() { return kMenus; }

const CommandRow& RowOf(Cmd id) {
    for (const CommandRow& command : kCommands) {
        if (command.id == id) return command;
    }
    std::abort();  // every id has its entry
}

}  // namespace dusk::app
