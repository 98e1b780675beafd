// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The module duskmapper-marks: the marks exports for the command-line
// exporter, which loads GDAL only when it is asked for them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/map_projection.h"

namespace dusk {

// One image to export the marks of: its file (whose contents key its
// marks), its name for the attributes, the label's projection and the file
// raster's size.
struct MarksExportImage {
    std::string path;
    std::string fileName;
    std::optional<MapProjection> projection;
    int width = 0;
    int height = 0;
};

// The module's one entry: ExportMarksOfImages (marks/marks_export.h).
using ExportMarksFunction = bool (*)(const std::string& storePath, const std::vector<MarksExportImage>& images,
                                     const std::string& output, std::vector<std::uint8_t>& file,
                                     std::vector<std::string>& warnings, std::string& error);
inline constexpr const char* kExportMarksSymbol = "DuskExportMarks";

}  // namespace dusk
