// SPDX-License-Identifier: GPL-3.0-or-later
// The GDAL driver through GDAL's API, on an arbitrary image and label: the
// driver is registered, the two files are written beside each other, and the
// image is opened with open options taken from the input, described (the
// reference system, the geotransform, the keywords, the files) and read in
// full, reduced and by the blocks at its end. Layout of an input: 8 control
// bytes (name, length, options, contrast, brightness and shading, whether
// there is a label), the label's length (2 bytes, little-endian), the label,
// then the image.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include "core/geometry.h"
#include "gdal/venera_dataset.h"

namespace {

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/dusk-gdal-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern + "/";
    }();
    return folder;
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

CPLStringList OptionsFrom(const std::uint8_t* control) {
    static const char* const kFlags[] = {"STRETCH",       "DESPECKLE",        "FLIP_VERTICALLY", "ROTATE",
                                         "INVERT",        "MINIMIZE_HALF",    "MINIMIZE_QUARTER", "MISSING_LINES"};
    CPLStringList options;
    for (int i = 0; i < 8; ++i) {
        if ((control[2] >> i) & 1) options.SetNameValue(kFlags[i], (control[3] & 1) ? "NO" : "YES");
    }
    if (control[3] & 2) options.SetNameValue("CONTRAST", std::to_string(static_cast<std::int8_t>(control[4])).c_str());
    if (control[3] & 4) options.SetNameValue("BRIGHTNESS", std::to_string(static_cast<std::int8_t>(control[5]) * 4).c_str());
    if (control[3] & 8) options.SetNameValue("SHADING", std::to_string(static_cast<std::int8_t>(control[6]) % 9).c_str());
    if (control[3] & 16) options.SetNameValue("ORIGINAL", "YES");
    if (control[3] & 32) options.SetNameValue("CONTRAST", "x");  // refused
    return options;
}

// Reads the whole band, a reduced copy and the last two rows block by block;
// the error state is left to GDAL.
void ReadBand(GDALDatasetH dataset) {
    const int w = GDALGetRasterXSize(dataset);
    const int h = GDALGetRasterYSize(dataset);
    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    if (w <= 0 || h <= 0 || band == nullptr) std::abort();
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(w) * h);
    (void)GDALRasterIO(band, GF_Read, 0, 0, w, h, samples.data(), w, h, GDT_Byte, 0, 0);
    (void)GDALRasterIO(band, GF_Read, 0, 0, w, h, samples.data(), w / 3 + 1, h / 3 + 1, GDT_Byte, 0, 0);
    for (int row = h - 2; row < h; ++row) {
        if (row >= 0) (void)GDALReadBlock(band, 0, row, samples.data());
    }
    int hasNoData = 0;
    (void)GDALGetRasterNoDataValue(band, &hasNoData);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CPLSetErrorHandler(CPLQuietErrorHandler);
    dusk::RegisterVeneraDriver();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kControl = 8;
    if (size < kControl + 2) return 0;
    static const char* const kNames[] = {"V0501.img", "V2712.IMG", "V05.img", "V0099.img", "ed512.img"};
    const std::string name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
    const std::size_t labelLength = std::min<std::size_t>(data[kControl] | (data[kControl + 1] << 8),
                                                          size - kControl - 2);
    const std::string label(reinterpret_cast<const char*>(data + kControl + 2), labelLength);
    std::string image(reinterpret_cast<const char*>(data + kControl + 2 + labelLength),
                      size - kControl - 2 - labelLength);
    // Cut or pad the image to a listed length, or to one just past the
    // collection's smallest.
    const auto table = dusk::GeometryTable();
    if (data[1] < table.size()) image.resize(static_cast<std::size_t>(table[data[1]].fileLength), '\x80');
    if (data[1] == 255) image.resize(10001, '\x01');

    const std::string folder = ScratchFolder();
    const std::string imagePath = folder + name;
    const std::string labelPath = folder + name.substr(0, name.find('.')).substr(0, 5) + ".lbl";
    ::unlink(labelPath.c_str());
    Write(imagePath, image);
    if (data[7] & 1) Write(labelPath, label);

    const CPLStringList options = OptionsFrom(data);
    const char* const drivers[] = {dusk::kDriverName, nullptr};
    GDALDatasetH dataset = GDALOpenEx(imagePath.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers, options.List(),
                                      nullptr);
    if (dataset == nullptr) return 0;
    double transform[6];
    (void)GDALGetGeoTransform(dataset, transform);
    if (OGRSpatialReferenceH srs = GDALGetSpatialRef(dataset)) {
        char* wkt = nullptr;
        (void)OSRExportToWkt(srs, &wkt);
        CPLFree(wkt);
    }
    (void)CSLCount(GDALGetMetadata(dataset, nullptr));
    CSLDestroy(GDALGetFileList(dataset));
    ReadBand(dataset);
    GDALClose(dataset);
    return 0;
}
