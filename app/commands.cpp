// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands.h"

#include <array>

#include "app/command_target.h"
#include "core/image_state.h"

namespace dusk::app {

namespace {

using T = CommandTarget;
using SK = QKeySequence::StandardKey;
constexpr SK kNoKey = QKeySequence::UnknownKey;

constexpr CommandRow MenuItem(Cmd id, const char* name, const char* caption, Place place, Handler handler,
                              Needs needs = Needs::Nothing, SK key = kNoKey, const char* keys = nullptr) {
    return {Kind::Command, id, name, caption, nullptr, place, handler, key, keys, needs, Press::None, -1};
}
constexpr CommandRow MarkItem(Cmd id, const char* name, const char* caption, Place place, Handler handler,
                              int value = -1, const char* keys = nullptr) {
    return {Kind::Command, id, name, caption, nullptr, place, handler, kNoKey, keys, Needs::Nothing, Press::Mark,
            value};
}
constexpr CommandRow DefaultOptionItem(Cmd id, const char* name, const char* caption, int slot) {
    return {Kind::Command, id, name, caption, nullptr, Place::OptionsMenu, &T::ToggleDefaultOption, kNoKey, nullptr,
            Needs::Nothing, Press::DefaultOption, slot};
}
constexpr CommandRow Button(Cmd id, const char* name, const char* hint, const char* glyph, Place row,
                            Handler handler, Needs needs = Needs::Image, Press press = Press::None,
                            int value = -1, const char* keys = nullptr) {
    return {Kind::Command, id, name, hint, glyph, row, handler, kNoKey, keys, needs, press, value};
}
constexpr CommandRow OptionButton(Cmd id, const char* name, const char* hint, const char* glyph, Place row,
                                  int slot) {
    return Button(id, name, hint, glyph, row, &T::ToggleActiveOption, Needs::Image, Press::ActiveOption, slot);
}
// Image menu items: a command on the image on display, or the toggle of
// option `slot`, in step with its button.
constexpr CommandRow ImageItem(Cmd id, const char* name, const char* caption, const char* keys, Handler handler) {
    return {Kind::Command, id, name, caption, nullptr, Place::ImageMenu, handler, kNoKey, keys, Needs::Image,
            Press::None, -1};
}
constexpr CommandRow ImageOptionItem(Cmd id, const char* name, const char* caption, const char* keys, int slot) {
    return {Kind::Command, id, name, caption, nullptr, Place::ImageMenu, &T::ToggleActiveOption, kNoKey, keys,
            Needs::Image, Press::ActiveOption, slot};
}
// View menu items that need the image window: its zoom, the collection overview.
constexpr CommandRow ViewItem(Cmd id, const char* name, const char* caption, const char* keys, Handler handler,
                              Press press = Press::None) {
    return {Kind::Command, id, name, caption, nullptr, Place::ViewMenu, handler, kNoKey, keys, Needs::Image, press,
            -1};
}
// `row` with the name a screen reader says in place of its text.
constexpr CommandRow Spoken(CommandRow row, const char* name) {
    row.spokenName = name;
    return row;
}
constexpr CommandRow Blank(Kind kind, const char* name, Place place) {
    return {kind, Cmd::None, name, nullptr, nullptr, place, {}, kNoKey, nullptr, Needs::Nothing, Press::None, -1};
}
constexpr CommandRow Separator(const char* name, Place place) { return Blank(Kind::Separator, name, place); }
constexpr CommandRow Spacer(const char* name, Place row) { return Blank(Kind::Spacer, name, row); }
constexpr CommandRow Counter(const char* name, Place row) { return Blank(Kind::Counter, name, row); }

#define GLYPH(file) ":/duskmapper/glyphs/" file ".svg"

constexpr Place F = Place::FileMenu;
constexpr Place I = Place::ImageMenu;
constexpr Place R1 = Place::Row1;
constexpr Place R2 = Place::Row2;

// clang-format off
constexpr std::array kCommands{
    // File menu.
    MenuItem(Cmd::OpenItem, "Open1", "&Open...", F, &T::Open, Needs::NoImage, QKeySequence::Open, "Ctrl+O"),
    MenuItem(Cmd::NextItem, "Next1", "&Next ", F, &T::Next, Needs::Image, kNoKey, "PgDown"),
    MenuItem(Cmd::PreviousItem, "Previous1", "Pr&evious", F, &T::Previous, Needs::Image, kNoKey, "PgUp"),
    MenuItem(Cmd::SaveAsItem, "SaveAs1", "Save &As...", F, &T::SaveAs, Needs::Image, QKeySequence::SaveAs, "Ctrl+S"),
    MenuItem(Cmd::ExportMarksItem, "ExportMarks1", "Export &Marks…", F, &T::ExportMarks, Needs::Image),
    Separator("N2", F),
    MenuItem(Cmd::ScanForwardItem, "ScanForward1", "Scan Forward", F, &T::ScanForward, Needs::Image, kNoKey, "F5"),
    MenuItem(Cmd::ScanBackwardItem, "ScanBackward1", "Scan Backward", F, &T::ScanBackward, Needs::Image, kNoKey, "Shift+F5"),
    MenuItem(Cmd::ScanStopItem, "ScanStop1", "Scan Stop", F, &T::ScanStop, Needs::Image, kNoKey, "Esc"),
    Separator("N3", F),
    MenuItem(Cmd::PrintItem, "Print1", "&Print...", F, &T::Print, Needs::Image, QKeySequence::Print, "Ctrl+P"),
    MenuItem(Cmd::PrintSetupItem, "PrintSetup1", "P&rint Setup...", F, &T::PrintSetup, Needs::Image),
    Separator("N1", F),
    MenuItem(Cmd::ExitItem, "Exit1", "E&xit", F, &T::Exit, Needs::Nothing, QKeySequence::Quit, "Ctrl+Q"),
    Separator("N4", F),
    MenuItem(Cmd::CloseImageItem, "CloseImage1", "&Close Image", F, &T::CloseImage, Needs::Image, kNoKey, "Ctrl+W; Ctrl+F4"),

    // Options menu.
    DefaultOptionItem(Cmd::DefaultStretchItem, "Atostretch1", "&Stretch", OptStretch),
    DefaultOptionItem(Cmd::DefaultDespeckleItem, "Despeckleon1", "&Despeckle ", OptDespeckle),
    DefaultOptionItem(Cmd::DefaultFlipVerticallyItem, "FlipVertically1", "&Flip Vertically", OptFlipVertically),
    DefaultOptionItem(Cmd::DefaultInvertItem, "Invert1", "&Invert", OptInvert),
    DefaultOptionItem(Cmd::DefaultMinimizeHalfItem, "Minimize1", "&Minimize 1/2", OptMinimizeHalf),
    DefaultOptionItem(Cmd::DefaultMinimizeQuarterItem, "Minimize141", "Minimize 1/4", OptMinimizeQuarter),
    DefaultOptionItem(Cmd::DefaultRotateItem, "Rotate1", "&Rotate", OptRotate),

    // Image menu: the option buttons' toggles, the tone steps and Original Image.
    ImageOptionItem(Cmd::FlipVerticallyItem, "FlipVertically2", "&Flip Vertically", "Ctrl+Shift+V", OptFlipVertically),
    ImageOptionItem(Cmd::RotateItem, "Rotate2", "&Rotate", "Ctrl+R", OptRotate),
    ImageOptionItem(Cmd::DespeckleItem, "Despeckle1", "&Despeckle", "Ctrl+D", OptDespeckle),
    ImageOptionItem(Cmd::StretchItem, "Stretch1", "&Stretch", "Ctrl+E", OptStretch),
    ImageOptionItem(Cmd::MissingLinesItem, "MissingLines1", "Missing &Lines", "Ctrl+L", OptMissingLines),
    ImageOptionItem(Cmd::InvertItem, "InvertDisplay1", "&Invert Display", "Ctrl+N", OptInvert),
    ImageOptionItem(Cmd::MinimizeHalfItem, "Minimize2", "Minimize &1/2", "Ctrl+2", OptMinimizeHalf),
    ImageOptionItem(Cmd::MinimizeQuarterItem, "Minimize142", "Minimize 1/&4", "Ctrl+4", OptMinimizeQuarter),
    Separator("N5", I),
    ImageItem(Cmd::ContrastDownItem, "ContrastDown1", "&Contrast Down", "Shift+Down", &T::ContrastDown),
    ImageItem(Cmd::ContrastUpItem, "ContrastUp1", "Co&ntrast Up", "Shift+Up", &T::ContrastUp),
    ImageItem(Cmd::BrightnessDownItem, "BrightnessDown1", "&Brightness Down", "Ctrl+Down", &T::BrightnessDown),
    ImageItem(Cmd::BrightnessUpItem, "BrightnessUp1", "Bri&ghtness Up", "Ctrl+Up", &T::BrightnessUp),
    ImageItem(Cmd::ShadingDownItem, "ShadingDown1", "S&hading Down", "[", &T::ShadingDown),
    ImageItem(Cmd::ShadingUpItem, "ShadingUp1", "Sh&ading Up", "]", &T::ShadingUp),
    Separator("N6", I),
    ImageItem(Cmd::OriginalImageItem, "OriginalImage1", "&Original Image", "Ctrl+Shift+O", &T::OriginalImage),

    // View, Scan-pause and About menus.
    MarkItem(Cmd::ToggleToolbarItem, "Toolbar1", "Toolbar", Place::ViewMenu, &T::ToggleToolbar),
    ViewItem(Cmd::ZoomInItem, "ZoomIn1", "Zoom &In", "Ctrl++; Ctrl+=", &T::ZoomIn),
    ViewItem(Cmd::ZoomOutItem, "ZoomOut1", "Zoom &Out", "Ctrl+-", &T::ZoomOut),
    ViewItem(Cmd::ActualSizeItem, "ActualSize1", "&Actual Size", "Ctrl+0", &T::ActualSize),
    ViewItem(Cmd::FitToWindowItem, "FitToWindow1", "&Fit to Window", "F", &T::FitToWindow, Press::Fit),
    MarkItem(Cmd::HistogramItem, "Histogram1", "&Histogram", Place::ViewMenu, &T::ToggleHistogram, -1, "Ctrl+H"),
    MarkItem(Cmd::LabelKeywordsItem, "LabelKeywords1", "Label &Keywords", Place::ViewMenu, &T::ToggleLabelKeywords, -1, "Ctrl+K"),
    ViewItem(Cmd::OverviewItem, "CollectionOverview1", "Collection &Overview", "Ctrl+T", &T::ToggleOverview, Press::Mark),
    ViewItem(Cmd::QuadMosaicItem, "QuadMosaic1", "Quad &Mosaic", nullptr, &T::ShowQuadMosaic),
    Separator("N7", Place::ViewMenu),
    ViewItem(Cmd::FootprintsItem, "TileFootprints1", "Tile &Footprints", nullptr, &T::ToggleFootprints, Press::Mark),
    ViewItem(Cmd::ShowInBrowseItem, "ShowInBrowseImage1", "Show in &Browse Image", nullptr, &T::ShowInBrowseImage),
    Separator("N8", Place::ViewMenu),
    ViewItem(Cmd::FirstEntryItem, "FirstEntry1", "Fi&rst Entry", "Home", &T::FirstEntry),
    ViewItem(Cmd::LastEntryItem, "LastEntry1", "&Last Entry", "End", &T::LastEntry),
    ViewItem(Cmd::GoToEntryItem, "GoToEntry1", "&Go to Entry…", "Ctrl+G", &T::GoToEntry),
    MarkItem(Cmd::ScanPause2Item, "N2seconds1", "2 seconds", Place::ScanMenu, &T::SetScanPause, 2000),
    MarkItem(Cmd::ScanPause3Item, "N3seconds1", "3 seconds", Place::ScanMenu, &T::SetScanPause, 3000),
    MarkItem(Cmd::ScanPause4Item, "N4seconds1", "4 seconds", Place::ScanMenu, &T::SetScanPause, 4000),
    MarkItem(Cmd::ScanPause5Item, "N5seconds1", "5 seconds", Place::ScanMenu, &T::SetScanPause, 5000),
    MenuItem(Cmd::AboutItem, "About1", "&About...", Place::HelpMenu, &T::About),

    // Tool-bar row 1.
    Button(Cmd::OpenButton, "FileOpenBtn", "Open", GLYPH("open"), R1, &T::Open, Needs::NoImage),
    Button(Cmd::SaveAsButton, "FileSaveBtn", "Save as BMP", GLYPH("save"), R1, &T::SaveAs),
    Button(Cmd::PrintButton, "ToolButton17", "Print", GLYPH("print"), R1, &T::Print),
    Spacer("ToolButton8", R1), Separator("ToolButton16", R1), Spacer("ToolButton3", R1),
    Spoken(Button(Cmd::ScanBackwardButton, "FileTylAutBtn", "Scan Backword", GLYPH("scan-backward"), R1, &T::ScanBackward, Needs::Image, Press::Scan), "Scan Backward"),
    Button(Cmd::PreviousButton, "FileTylBtn", "Previous", GLYPH("previous"), R1, &T::Previous),
    Button(Cmd::ScanStopButton, "FileStopBtn", "Scan Stop", GLYPH("stop"), R1, &T::ScanStop),
    Button(Cmd::NextButton, "FileForBtn", "Next", GLYPH("next"), R1, &T::Next),
    Spoken(Button(Cmd::ScanForwardButton, "FileForAutoBtn", "Scan Forword", GLYPH("scan-forward"), R1, &T::ScanForward, Needs::Image, Press::Scan), "Scan Forward"),
    Spacer("ToolButton4", R1), Separator("ToolButton15", R1), Spacer("ToolButton7", R1),
    Button(Cmd::OriginalImageButton, "ToolButton9", "Original Image", GLYPH("original"), R1, &T::OriginalImage),
    OptionButton(Cmd::FlipVerticallyButton, "ToolButton10", "Flip Vertically", GLYPH("flip"), R1, OptFlipVertically),
    OptionButton(Cmd::RotateButton, "ToolButton33", "Rotate", GLYPH("rotate"), R1, OptRotate),
    OptionButton(Cmd::DespeckleButton, "ToolButton12", "Despeckle", GLYPH("impulses"), R1, OptDespeckle),
    OptionButton(Cmd::StretchButton, "ToolButton13", "Stretch", GLYPH("stretch"), R1, OptStretch),
    OptionButton(Cmd::MissingLinesButton, "ToolButton18", "Missing lines", GLYPH("missing-lines"), R1, OptMissingLines),
    Spacer("ToolButton14", R1), Separator("ToolButton2", R1), Spacer("ToolButton1", R1),

    // Tool-bar row 2.
    Button(Cmd::ContrastDownButton, "ToolButton27", "Contrast Down", GLYPH("contrast-down"), R2, &T::ContrastDown),
    Button(Cmd::ContrastUpButton, "ToolButton28", "Contrast Up", GLYPH("contrast-up"), R2, &T::ContrastUp),
    Button(Cmd::BrightnessDownButton, "ToolButton20", "Brightness Down", GLYPH("brightness-down"), R2, &T::BrightnessDown),
    Button(Cmd::BrightnessUpButton, "ToolButton21", "Brightness Up", GLYPH("brightness-up"), R2, &T::BrightnessUp),
    Spacer("ToolButton25", R2), Separator("ToolButton22", R2), Spacer("ToolButton31", R2),
    OptionButton(Cmd::InvertButton, "ToolButton19", "Invert Display", GLYPH("invert"), R2, OptInvert),
    OptionButton(Cmd::MinimizeHalfButton, "ToolButton30", "Minimize", GLYPH("minimize-half"), R2, OptMinimizeHalf),
    OptionButton(Cmd::MinimizeQuarterButton, "ToolButton32", "Minimize - 25 % original size", GLYPH("minimize-quarter"), R2, OptMinimizeQuarter),
    Spacer("ToolButton24", R2), Separator("ToolButton26", R2), Spacer("ToolButton23", R2),
    Button(Cmd::ImageInfoButton, "ToolButton29", "Image Info", GLYPH("info"), R2, &T::ImageInfo, Needs::Image, Press::None, -1, "Ctrl+I"),
    Button(Cmd::AboutButton, "HelpAboutBtn", "About", GLYPH("about"), R2, &T::About, Needs::Nothing),
    Spacer("ToolButton5", R2), Separator("ToolButton6", R2), Spacer("ToolButton11", R2),
    Counter("Memo1", R2),
};

constexpr std::array kMenus{
    MenuRow{Place::FileMenu, "File1", "&File"},
    MenuRow{Place::OptionsMenu, "Options1", "&Options"},
    MenuRow{Place::ImageMenu, "Image1", "&Image"},
    MenuRow{Place::ViewMenu, "View1", "&View"},
    MenuRow{Place::ScanMenu, "Scan1", "&Scan-pause"},
    MenuRow{Place::HelpMenu, "Help1", "&About"},
};
// clang-format on

#undef GLYPH

}  // namespace

std::span<const CommandRow> CommandTable() { return kCommands; }

std::span<const MenuRow> MenuTable() { return kMenus; }

}  // namespace dusk::app
