// SPDX-License-Identifier: GPL-3.0-or-later
// The entry of the module duskmapper-mosaic: the exporter's --mosaic, for a
// program that loads GDAL only when asked.
#include <algorithm>
#include <cctype>

#include "mosaic/mosaic.h"
#include "mosaic/mosaic_entry.h"

extern "C" __attribute__((visibility("default"))) bool DuskWriteMosaic(const std::vector<std::string>& paths,
                                                                       const dusk::PictureSettings& picture,
                                                                       int threads, const std::string& output,
                                                                       std::vector<std::string>& leftOut,
                                                                       std::string& error) {
    [[maybe_unused]] constexpr dusk::WriteMosaicFunction kChecked = &DuskWriteMosaic;
    dusk::MosaicPlan plan = dusk::PlanMosaicOf(paths, picture);
    const dusk::MosaicCanvas canvas = dusk::BuildMosaic(plan, threads);
    for (const dusk::LeftOut& entry : plan.leftOut) leftOut.push_back(entry.why);
    if (plan.grid.width == 0) {
        error = "no tile has a georeference: no mosaic was written";
        return false;
    }
    std::string extension = output.size() >= 4 ? output.substr(output.size() - 4) : std::string{};
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".png" ? dusk::WriteMosaicPng(canvas, output, error)
                               : dusk::WriteMosaicGeoTiff(canvas, plan.grid, output, error);
}
