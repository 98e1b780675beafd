#pragma once

// Every menu item, tool button and keyboard-only command of the main window,
// declared once. The menus, the two tool-bar rows, the enabled states of the
// two shell states and the reset at the closing of the image window are all
// built from this table.

#include <cstdint>
#include <span>

#include <QKeySequence>

namespace dusk::app {

class TMainForm;
using Handler = void (TMainForm::*)();

// One id per command object, so handlers reach their own item without
// looking it up by name.
enum class Cmd : std::uint8_t {
    None,
    // File menu.
    Open1, Next1, Previous1, SaveAs1, ScanForward1, ScanBackward1, ScanStop1, Print1, PrintSetup1, Exit1,
    // Options menu.
    Atostretch1, Despeckleon1, FlipVertically1, Invert1, Minimize1, Minimize141, Rotate1,
    // View, Scan-pause and About menus.
    Toolbar1, N2seconds1, N3seconds1, N4seconds1, N5seconds1, About1,
    // Tool-bar row 1.
    FileOpenBtn, FileSaveBtn, ToolButton17, FileTylAutBtn, FileTylBtn, FileStopBtn, FileForBtn, FileForAutoBtn,
    ToolButton9, ToolButton10, ToolButton33, ToolButton12, ToolButton13, ToolButton18,
    // Tool-bar row 2.
    ToolButton27, ToolButton28, ToolButton20, ToolButton21, ToolButton19, ToolButton30, ToolButton32,
    ToolButton29, HelpAboutBtn,
    // Keyboard only.
    ShadingDown1, ShadingUp1,
    Count
};
inline constexpr int kCmdCount = static_cast<int>(Cmd::Count);

enum class Place : std::uint8_t { FileMenu, OptionsMenu, ViewMenu, ScanMenu, HelpMenu, Row1, Row2, KeysOnly };

enum class Kind : std::uint8_t {
    Command,
    Separator,  // a line between menu groups, or the middle of a tool-bar gap
    Spacer,     // a narrow blank on the tool bar, at both sides of a gap
    Counter,    // the counter box Memo1
};

// When a command can be used.
enum class Needs : std::uint8_t {
    Nothing,  // always
    NoImage,  // only while no image window is open (Open)
    Image,    // only while an image window is open
};

// What a check mark or pressed state shows.
enum class Press : std::uint8_t {
    None,
    Mark,    // a menu check mark that the command sets itself
    Option,  // a display option: the menu item shows DefaultOptions, the button ActiveOptions
    Scan,    // pressed while the scan runs in its direction; released when the image window closes
};

struct CommandRow {
    Kind kind;
    Cmd id;
    const char* name;   // Qt object name
    const char* text;   // menu caption, or the button's hint shown as its tooltip
    const char* glyph;  // resource path of the tool-bar glyph, or nullptr
    Place place;
    Handler handler;
    QKeySequence::StandardKey standardKey;  // the platform's keys, or UnknownKey
    const char* keys;                       // a key offered on every platform, or nullptr
    Needs needs;
    Press press;
    int slot;  // the option slot of a Press::Option command, else -1
};

struct MenuRow {
    Place place;
    const char* name;
    const char* caption;
};

std::span<const CommandRow> CommandTable();
std::span<const MenuRow> MenuTable();
const CommandRow& RowOf(Cmd id);

}  // namespace dusk::app
