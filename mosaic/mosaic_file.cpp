// SPDX-License-Identifier: GPL-3.0-or-later
// The mosaic's files: a COG GeoTIFF with an alpha band through GDAL's COG
// driver, a grey and alpha PNG through libpng. Each is written under a
// temporary name beside the target and renamed over it when whole.
#include <gdal.h>
#include <gdal_frmts.h>
#include <png.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "mosaic/mosaic.h"

namespace dusk {

void RegisterMosaicDrivers();

namespace {

// A fresh name beside `path` for the file being written.
std::string TemporaryBeside(const std::string& path) {
    return path + ".part-" + std::to_string(::getpid()) + "-" +
           std::to_string(reinterpret_cast<std::uintptr_t>(&path) & 0xffffff);
}

bool Replace(const std::string& temporary, const std::string& path, std::string& error) {
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::vector<std::uint8_t> AlphaOf(const MosaicCanvas& canvas) {
    std::vector<std::uint8_t> alpha(canvas.owner.size());
    for (std::size_t i = 0; i < alpha.size(); ++i) alpha[i] = canvas.owner[i] != 0 ? 255 : 0;
    return alpha;
}

struct PngFile {
    std::FILE* file = nullptr;
    const char* failure = nullptr;
};

void Fail(png_structp png, png_const_charp message) {
    static_cast<PngFile*>(png_get_error_ptr(png))->failure = message;
    png_longjmp(png, 1);
}

void Warn(png_structp, png_const_charp) {}

// Only plain locals here: libpng leaves through longjmp on an error.
bool WritePng(const MosaicCanvas& canvas, PngFile& sink) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, Fail, Warn);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> row(2 * static_cast<std::size_t>(canvas.width));
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, sink.file);
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.width), static_cast<png_uint_32>(canvas.height), 8,
                 PNG_COLOR_TYPE_GRAY_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < canvas.height; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * canvas.width;
        for (int x = 0; x < canvas.width; ++x) {
            const bool data = canvas.owner[at + x] != 0;
            row[2 * x] = data ? canvas.grey[at + x] : 0;
            row[2 * x + 1] = data ? 255 : 0;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void RegisterMosaicDrivers() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        GDALRegister_MEM();
        GDALRegister_GTiff();
        GDALRegister_COG();
    });
}

bool WriteMosaicGeoTiff(const MosaicCanvas& canvas, const MosaicGrid& grid, const std::string& path,
                        std::string& error) {
    if (canvas.width <= 0 || canvas.height <= 0) {
        error = "the mosaic holds no tile";
        return false;
    }
    RegisterMosaicDrivers();
    GDALDriverH mem = GDALGetDriverByName("MEM");
    GDALDriverH cog = GDALGetDriverByName("COG");
    if (mem == nullptr || cog == nullptr) {
        error = "GDAL has no COG driver";
        return false;
    }
    std::vector<std::uint8_t> alpha = AlphaOf(canvas);
    GDALDatasetH dataset = GDALCreate(mem, "", canvas.width, canvas.height, 0, GDT_Byte, nullptr);
    bool ok = dataset != nullptr;
    for (const std::uint8_t* band : {static_cast<const std::uint8_t*>(canvas.grey.data()), static_cast<const std::uint8_t*>(alpha.data())}) {
        if (!ok) break;
        char pointer[64];
        std::snprintf(pointer, sizeof pointer, "DATAPOINTER=%p", static_cast<const void*>(band));
        char* options[] = {pointer, nullptr};
        ok = GDALAddBand(dataset, GDT_Byte, options) == CE_None;
    }
    const std::string temporary = TemporaryBeside(path);
    if (ok) {
        GeoTransform t = grid.transform;
        GDALSetGeoTransform(dataset, t.data());
        GDALSetProjection(dataset, grid.wkt.c_str());
        GDALSetRasterColorInterpretation(GDALGetRasterBand(dataset, 1), GCI_GrayIndex);
        GDALSetRasterColorInterpretation(GDALGetRasterBand(dataset, 2), GCI_AlphaBand);
        // Deflate at its fastest level: read by every TIFF reader, and both
        // quicker and smaller than LZW on radar samples.
        const char* options[] = {"COMPRESS=DEFLATE", "LEVEL=1", "NUM_THREADS=ALL_CPUS", "OVERVIEW_RESAMPLING=AVERAGE",
                                 nullptr};
        GDALDatasetH written = GDALCreateCopy(cog, temporary.c_str(), dataset, FALSE,
                                              const_cast<char**>(options), nullptr, nullptr);
        ok = written != nullptr;
        if (ok) GDALClose(written);
    }
    if (dataset != nullptr) GDALClose(dataset);
    if (!ok) {
        error = path + ": " + (CPLGetLastErrorMsg()[0] != 0 ? CPLGetLastErrorMsg() : "the GeoTIFF was not written");
        std::remove(temporary.c_str());
        return false;
    }
    return Replace(temporary, path, error);
}

bool WriteMosaicPng(const MosaicCanvas& canvas, const std::string& path, std::string& error) {
    if (canvas.width <= 0 || canvas.height <= 0) {
        error = "the mosaic holds no tile";
        return false;
    }
    const std::string temporary = TemporaryBeside(path);
    PngFile sink;
    sink.file = std::fopen(temporary.c_str(), "wbx");
    if (sink.file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = WritePng(canvas, sink);
    const bool closed = std::fclose(sink.file) == 0;
    if (!written || !closed) {
        error = path + ": " + (sink.failure != nullptr ? sink.failure : "the PNG was not written");
        std::remove(temporary.c_str());
        return false;
    }
    return Replace(temporary, path, error);
}

}  // namespace dusk
