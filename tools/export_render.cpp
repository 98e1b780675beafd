// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/export_render.h"

#include "core/geometry.h"
#include "core/geometry_notes.h"
#include "load/load_image.h"

namespace dusk {

WorkingBuffers RenderForExport(const std::string& path, const ExportSettings& settings) {
    return LoadPicture(path, {settings.options, settings.contrast, settings.brightness, settings.shading,
                              settings.original});
}

bool RenderImageFile(const std::string& path, const ExportSettings& settings, std::vector<std::uint8_t>& bitmap,
                     std::string& error) {
    const WorkingBuffers buffers = RenderForExport(path, settings);
    if (State().FileLength < 0) {
        error = State().ReadError;
        return false;
    }
    bitmap.assign(buffers.Bitmap().begin(), buffers.Bitmap().end());
    return true;
}

std::vector<std::string> LoadWarnings(const std::string& input) {
    const ImageState& s = State();
    std::vector<std::string> warnings;
    if (s.FileLength == 0) {
        warnings.push_back(input + " is empty");
    } else if (s.FileLength > 0 && !IsKnownLength(s.FileLength)) {
        warnings.push_back(input + ": " + UnknownLengthText(s.FileLength, s.ImageWidth, s.ImageHeight));
    }
    // The label's map figures, where they were checked (a GeoTIFF) and
    // contradict each other or make no projection; the message names the label.
    if (!s.Georeference.message.empty()) warnings.push_back(input + ": " + s.Georeference.message);
    return warnings;
}

}  // namespace dusk
