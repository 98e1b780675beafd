// SPDX-License-Identifier: GPL-3.0-or-later
// The entry of the module duskmapper-marks: the marks exports, with GDAL,
// for an exporter that loads GDAL only when asked.
#include "marks/marks_export.h"

extern "C" __attribute__((visibility("default"))) bool DuskExportMarks(
    const std::string& storePath, const std::vector<dusk::MarksExportImage>& images, const std::string& output,
    std::vector<std::uint8_t>& file, std::vector<std::string>& warnings, std::string& error) {
    // Checked against the type the loader casts the symbol to.
    [[maybe_unused]] constexpr dusk::ExportMarksFunction kChecked = &DuskExportMarks;
    return dusk::ExportMarksOfImages(storePath, images, output, file, warnings, error);
}
