// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One image rendered for export, through the desktop program's load steps.

#include <cstdint>
#include <string>
#include <vector>

#include "core/image_state.h"
#include "tools/export_options.h"

namespace dusk {

// Loads one image exactly as the desktop program loads it (the collection's
// list aside) into the record bound to the calling thread and renders it
// with the given options and levels. The buffers handed back hold the bitmap
// file. When the file cannot be read, FileLength is -1 and ReadError says
// why.
[[nodiscard]] WorkingBuffers RenderForExport(const std::string& path, const ExportSettings& settings);

// The same, with the 54 + 3*W*H bytes of the bitmap file copied to `bitmap`.
bool RenderImageFile(const std::string& path, const ExportSettings& settings, std::vector<std::uint8_t>& bitmap,
                     std::string& error);

// What is odd about the image just loaded into the record bound to the
// calling thread, in the status bar's words, each naming `input`: an empty
// file, a length that matches no raster size, a label whose map figures make
// no projection or (where they were checked, for a GeoTIFF) contradict its
// bounds. None for an unread file.
std::vector<std::string> LoadWarnings(const std::string& input);

}  // namespace dusk
