// SPDX-License-Identifier: GPL-3.0-or-later
// The entry of the module duskmapper-geotiff: the TIFF writer with the
// georeference of the picture, for a program that loads GDAL only when asked.
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
