// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/export_render.h"

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

}  // namespace dusk
