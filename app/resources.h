// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The glyphs, icons and pictures compiled into the desktop program.

namespace dusk::app {

// Registers the glyphs and icons held in the library (once; later calls do
// nothing). The main window does it; call it first where icons are needed
// before one exists.
void LoadResources();

// The resource path of the application icon and of the About box picture.
inline constexpr const char* kAppIcon = ":/duskmapper/duskmapper.svg";
inline constexpr const char* kAboutPicture = ":/duskmapper/about.svg";

}  // namespace dusk::app
