// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/export_render.h"

#include "core/geometry.h"
#include "core/geometry_notes.h"
#include "load/load_image.h"

namespace dusk {

WorkingBuffers RenderForExport(const std::string& path, const ExportSettings& settings) {
    LoadSettings load;
    load.keepList = true;
    if (settings.original) {
        load.mode = RenderMode::Unprocessed;
        load.adjust = ClearActiveAdjustments;
    } else {
        load.adjust = [&settings] {
            ImageState& s = State();
            s.ActiveOptions = settings.options;
            s.ContrastLevel = settings.contrast;
            s.BrightnessOffset = settings.brightness;
            s.ShadingLevel = settings.shading;
        };
    }
    return LoadImage(path, load);
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
    if (s.FileLength == 0) return {input + " is empty"};
    if (s.FileLength > 0 && !IsKnownLength(s.FileLength)) {
        return {input + ": " + UnknownLengthText(s.FileLength, s.ImageWidth, s.ImageHeight)};
    }
    return {};
}

}  // namespace dusk
