// SPDX-License-Identifier: GPL-3.0-or-later
// An 8-bit grey TIFF of the picture, a GeoTIFF where it has a georeference,
// through GDAL's GTiff driver into a memory file whose bytes are taken.
#include <atomic>
#include <mutex>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_frmts.h>
#include <unistd.h>

#include "output/tiff_file.h"

namespace dusk {

namespace {

std::string MemoryName() {
    static std::atomic<unsigned> serial{0};
    return "/vsimem/duskmapper-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".tif";
}

std::string LastError(const char* fallback) {
    const char* message = CPLGetLastErrorMsg();
    return std::string("TIFF: ") + (message != nullptr && *message != '\0' ? message : fallback);
}

// Writes the dataset; false with `error` set when GDAL refused a step.
bool Fill(GDALDatasetH dataset, const GreyPicture& picture, const std::optional<Georeference>& georeference,
          std::string& error) {
    if (georeference) {
        GeoTransform transform = georeference->transform;
        if (GDALSetProjection(dataset, georeference->wkt.c_str()) != CE_None ||
            GDALSetGeoTransform(dataset, transform.data()) != CE_None) {
            error = LastError("the georeference was refused");
            return false;
        }
    }
    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    auto* samples = const_cast<std::uint8_t*>(picture.samples.data());
    if (GDALRasterIO(band, GF_Write, 0, 0, picture.width, picture.height, samples, picture.width, picture.height,
                     GDT_Byte, 0, 0) != CE_None) {
        error = LastError("the samples were refused");
        return false;
    }
    return true;
}

}  // namespace

bool EncodeTiff(const GreyPicture& picture, const std::optional<Georeference>& georeference,
                std::vector<std::uint8_t>& file, std::string& error) {
    file.clear();
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.samples.size() != static_cast<std::size_t>(picture.width) * picture.height) {
        error = "no picture to write";
        return false;
    }
    static std::once_flag registered;
    std::call_once(registered, [] { GDALRegister_GTiff(); });
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (driver == nullptr) {
        error = "TIFF: GDAL has no GTiff driver";
        return false;
    }

    const std::string name = MemoryName();
    GDALDatasetH dataset = GDALCreate(driver, name.c_str(), picture.width, picture.height, 1, GDT_Byte, nullptr);
    if (dataset == nullptr) {
        error = LastError("the file could not be made");
        return false;
    }
    bool written = Fill(dataset, picture, georeference, error);
    GDALClose(dataset);

    vsi_l_offset length = 0;
    GByte* bytes = VSIGetMemFileBuffer(name.c_str(), &length, TRUE);
    if (written && bytes != nullptr) {
        file.assign(bytes, bytes + length);
    } else if (written) {
        error = LastError("the file was not written");
        written = false;
    }
    VSIFree(bytes);
    VSIUnlink(name.c_str());
    VSIUnlink((name + ".aux.xml").c_str());
    return written;
}

}  // namespace dusk
