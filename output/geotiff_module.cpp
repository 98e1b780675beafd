// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of the module duskmapper-geotiff: the TIFF writer with the
// georeference of the picture, and the check of a label's georeference, for
// a program that loads GDAL only when asked.
#include "geo/label_georeference.h"
#include "output/tiff_file.h"

extern "C" __attribute__((visibility("default"))) bool DuskEncodeGeoTiff(const dusk::GreyPicture& picture,
                                                                         const dusk::MapProjection* projection,
                                                                         const dusk::DisplayMapping& mapping,
                                                                         std::vector<std::uint8_t>& file,
                                                                         std::string& error) {
    // Checked against the type the loader casts the symbol to.
    [[maybe_unused]] constexpr dusk::EncodeGeoTiffFunction kChecked = &DuskEncodeGeoTiff;
    std::optional<dusk::Georeference> georeference;
    if (projection != nullptr) georeference = dusk::PictureGeoreference(*projection, mapping);
    return dusk::EncodeTiff(picture, georeference, file, error);
}

extern "C" __attribute__((visibility("default"))) void DuskUnderstandLabelMap(const dusk::LabelMap& map, int width,
                                                                             int height,
                                                                             const std::string& labelName,
                                                                             dusk::LabelGeoreference& answer) {
    [[maybe_unused]] constexpr dusk::UnderstandLabelMapFunction kChecked = &DuskUnderstandLabelMap;
    answer = dusk::UnderstandLabelMap(map, width, height, labelName);
}
