// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every menu item and tool button of the main window, declared once. The
// menus, the two tool-bar rows, the enabled states of the two shell states
// and the reset at the closing of the image window are all built from this
// table.

#include <cstdint>
#include <span>

#include <QKeySequence>

#include "app/command_target.h"

namespace dusk::app {

// A command's handler: a member function of CommandTarget, given the row's
// value when it takes one.
class Handler {
public:
    using Plain = void (CommandTarget::*)();
    using WithValue = void (CommandTarget::*)(int);

    constexpr Handler() = default;
    constexpr Handler(Plain plain) : plain_(plain) {}
    constexpr Handler(WithValue withValue) : withValue_(withValue) {}

    void operator()(CommandTarget& target, int value) const {
        if (plain_ != nullptr) {
            (target.*plain_)();
        } else if (withValue_ != nullptr) {
            (target.*withValue_)(value);
        }
    }

private:
    Plain plain_ = nullptr;
    WithValue withValue_ = nullptr;
};

// One id per command object, so handlers reach their own item without
// looking it up by name: NameItem for a menu item, NameButton for a tool
// button; a menu item and a button of one command share its handler.
enum class Cmd : std::uint8_t {
    None,
    // File menu.
    OpenItem, NextItem, PreviousItem, SaveAsItem, ExportMarksItem, ScanForwardItem, ScanBackwardItem, ScanStopItem, PrintItem,
    PrintSetupItem, ExitItem, CloseImageItem,
    // Options menu: the defaults of the next load.
    DefaultStretchItem, DefaultDespeckleItem, DefaultFlipVerticallyItem, DefaultInvertItem, DefaultMinimizeHalfItem,
    DefaultMinimizeQuarterItem, DefaultRotateItem,
    // Image menu: the image on display.
    FlipVerticallyItem, RotateItem, DespeckleItem, StretchItem, MissingLinesItem, InvertItem, MinimizeHalfItem,
    MinimizeQuarterItem, ContrastDownItem, ContrastUpItem, BrightnessDownItem, BrightnessUpItem, ShadingDownItem,
    ShadingUpItem, OriginalImageItem,
    // View, Scan-pause and About menus.
    ToggleToolbarItem, ZoomInItem, ZoomOutItem, ActualSizeItem, FitToWindowItem, HistogramItem, LabelKeywordsItem, OverviewItem, QuadMosaicItem,
    FootprintsItem, ShowInBrowseItem, FirstEntryItem, LastEntryItem, GoToEntryItem, ScanPause2Item, ScanPause3Item, ScanPause4Item, ScanPause5Item, AboutItem,
    // Tool-bar row 1.
    OpenButton, SaveAsButton, PrintButton, ScanBackwardButton, PreviousButton, ScanStopButton, NextButton,
    ScanForwardButton, OriginalImageButton, FlipVerticallyButton, RotateButton, DespeckleButton, StretchButton,
    MissingLinesButton,
    // Tool-bar row 2.
    ContrastDownButton, ContrastUpButton, BrightnessDownButton, BrightnessUpButton, InvertButton,
    MinimizeHalfButton, MinimizeQuarterButton, ImageInfoButton, AboutButton,
    Count
};
inline constexpr int kCmdCount = static_cast<int>(Cmd::Count);

enum class Place : std::uint8_t { FileMenu, OptionsMenu, ImageMenu, ViewMenu, ScanMenu, HelpMenu, Row1, Row2 };

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
    Mark,           // a menu check mark that the command sets itself
    DefaultOption,  // shows DefaultOptions[value]
    ActiveOption,   // shows ActiveOptions[value]
    Scan,           // pressed while the scan runs in its direction; released when the image window closes
    Fit,            // checked while the image window fits its picture; released when it closes
};

// The pressed states the closing of the image window releases.
constexpr bool ReleasedOnClose(Press press) { return press == Press::Scan || press == Press::Fit; }

struct CommandRow {
    Kind kind;
    Cmd id;
    const char* name;   // Qt object name
    const char* text;   // menu caption, or the button's hint shown as its tooltip
    const char* glyph;  // resource path of the tool-bar glyph, or nullptr
    Place place;
    Handler handler;
    QKeySequence::StandardKey standardKey;  // the platform's keys, or UnknownKey
    const char* keys;                       // keys offered on every platform ("; " between two), or nullptr
    Needs needs;
    Press press;
    int value;  // the handler's argument: an option slot, a pause in milliseconds; else -1
    // What a screen reader says for a tool button whose hint it would
    // mis-speak, or nullptr for the hint itself.
    const char* spokenName = nullptr;
};

struct MenuRow {
    Place place;
    const char* name;
    const char* caption;
};

std::span<const CommandRow> CommandTable();
std::span<const MenuRow> MenuTable();

}  // namespace dusk::app
