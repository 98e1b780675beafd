// SPDX-License-Identifier: GPL-3.0-or-later
#include "gdal/venera_dataset.h"

#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include <cpl_error.h>

#include "core/image_state.h"
#include "core/label_keywords.h"
#include "core/paths.h"
#include "core/readout.h"
#include "gdal/image_file.h"
#include "gdal/label_metadata.h"
#include "gdal/open_options.h"
#include "geo/label_georeference.h"
#include "geo/map_coordinates.h"
#include "geo/picture_georeference.h"
#include "load/load_image.h"
#include "output/picture_file.h"

namespace dusk {

namespace {

// Reads the rows `top` to `top + rows` of columns `left` to `left + columns`
// of a raster `width` samples wide into a byte buffer, one call of `fetch`
// (offset, bytes, out) per run of contiguous samples. False when a fetch
// failed.
template <typename Fetch>
bool CopyWindow(int width, int left, int top, int columns, int rows, GByte* out, GSpacing lineSpace,
                Fetch&& fetch) {
    const auto offset = [width, left](int row) { return static_cast<std::int64_t>(row) * width + left; };
    if (columns == width && lineSpace == width) return fetch(offset(top), std::int64_t{columns} * rows, out);
    for (int row = 0; row < rows; ++row) {
        if (!fetch(offset(top + row), columns, out + row * lineSpace)) return false;
    }
    return true;
}

// Whether a request is a plain read of bytes at full resolution, which the
// bands copy straight into the caller's buffer.
bool IsStraightRead(GDALRWFlag flag, int columns, int rows, int bufferColumns, int bufferRows, GDALDataType type,
                    GSpacing pixelSpace, GSpacing lineSpace) {
    return flag == GF_Read && columns == bufferColumns && rows == bufferRows && type == GDT_Byte &&
           pixelSpace == 1 && lineSpace >= columns;
}

// The stored samples, read from the file as GDAL's raw bands read: rows past
// the end of the file's data are zeros, level 0 is no data.
class FileBand final : public RawRasterBand {
public:
    FileBand(GDALDataset* dataset, VSILFILE* file, std::int64_t sampleBytes)
        : RawRasterBand(dataset, 1, file, 0, 1, dataset->GetRasterXSize(), GDT_Byte,
                        RawRasterBand::ByteOrder::ORDER_LITTLE_ENDIAN, RawRasterBand::OwnFP::YES),
          sampleBytes_(sampleBytes) {}

    double GetNoDataValue(int* success) override {
        if (success != nullptr) *success = TRUE;
        return 0.0;
    }

    // A mapping of the file would fault past its end, or when the file
    // shrinks: the block cache's virtual memory serves instead.
    CPLVirtualMem* GetVirtualMemAuto(GDALRWFlag flag, int* pixelSpace, GIntBig* lineSpace,
                                     char** options) override {
        return GDALRasterBand::GetVirtualMemAuto(flag, pixelSpace, lineSpace, options);
    }

protected:
    CPLErr IReadBlock(int blockColumn, int row, void* image) override {
        const std::int64_t start = static_cast<std::int64_t>(row) * nBlockXSize;
        if (start + nBlockXSize <= sampleBytes_) return RawRasterBand::IReadBlock(blockColumn, row, image);
        return Fetch(start, nBlockXSize, static_cast<GByte*>(image)) ? CE_None : CE_Failure;
    }

    CPLErr IRasterIO(GDALRWFlag flag, int left, int top, int columns, int rows, void* data, int bufferColumns,
                     int bufferRows, GDALDataType type, GSpacing pixelSpace, GSpacing lineSpace,
                     GDALRasterIOExtraArg* extra) override {
        if (!IsStraightRead(flag, columns, rows, bufferColumns, bufferRows, type, pixelSpace, lineSpace)) {
            return RawRasterBand::IRasterIO(flag, left, top, columns, rows, data, bufferColumns, bufferRows, type,
                                            pixelSpace, lineSpace, extra);
        }
        const bool read = CopyWindow(nRasterXSize, left, top, columns, rows, static_cast<GByte*>(data), lineSpace,
                                     [this](std::int64_t offset, std::int64_t bytes, GByte* out) {
                                         return Fetch(offset, bytes, out);
                                     });
        return read ? CE_None : CE_Failure;
    }

private:
    // `bytes` samples from `offset` of the raster: the file's where it has
    // them, zeros past its data.
    bool Fetch(std::int64_t offset, std::int64_t bytes, GByte* out) {
        const std::int64_t stored = std::max<std::int64_t>(0, std::min(bytes, sampleBytes_ - offset));
        if (stored > 0) {
            if (VSIFSeekL(fpRawL, static_cast<vsi_l_offset>(offset), SEEK_SET) != 0 ||
                VSIFReadL(out, 1, static_cast<std::size_t>(stored), fpRawL) != static_cast<std::size_t>(stored)) {
                CPLError(CE_Failure, CPLE_FileIO, "%s: the file ended before its %lld samples", kDriverName,
                         static_cast<long long>(sampleBytes_));
                return false;
            }
        }
        std::memset(out + stored, 0, static_cast<std::size_t>(bytes - stored));
        return true;
    }

    std::int64_t sampleBytes_;
};

// The picture rendered at open, served from memory.
class PictureBand final : public GDALPamRasterBand {
public:
    PictureBand(GDALDataset* dataset, std::vector<std::uint8_t> samples) : samples_(std::move(samples)) {
        poDS = dataset;
        nBand = 1;
        eDataType = GDT_Byte;
        nRasterXSize = dataset->GetRasterXSize();
        nRasterYSize = dataset->GetRasterYSize();
        nBlockXSize = nRasterXSize;
        nBlockYSize = 1;
    }

protected:
    CPLErr IReadBlock(int, int row, void* image) override {
        std::memcpy(image, samples_.data() + static_cast<std::size_t>(row) * nBlockXSize, nBlockXSize);
        return CE_None;
    }

    CPLErr IRasterIO(GDALRWFlag flag, int left, int top, int columns, int rows, void* data, int bufferColumns,
                     int bufferRows, GDALDataType type, GSpacing pixelSpace, GSpacing lineSpace,
                     GDALRasterIOExtraArg* extra) override {
        if (!IsStraightRead(flag, columns, rows, bufferColumns, bufferRows, type, pixelSpace, lineSpace)) {
            return GDALPamRasterBand::IRasterIO(flag, left, top, columns, rows, data, bufferColumns, bufferRows,
                                                type, pixelSpace, lineSpace, extra);
        }
        CopyWindow(nRasterXSize, left, top, columns, rows, static_cast<GByte*>(data), lineSpace,
                   [this](std::int64_t offset, std::int64_t bytes, GByte* out) {
                       std::memcpy(out, samples_.data() + offset, static_cast<std::size_t>(bytes));
                       return true;
                   });
        return CE_None;
    }

private:
    std::vector<std::uint8_t> samples_;
};

}  // namespace

// What the label beside the image says: its keywords as metadata lines, the
// georeference of the band and what is odd about its map figures.
struct LabelReading {
    std::vector<std::string> keywords;
    std::optional<Georeference> georeference;
    std::string message;
};

namespace {

// The label read as the program's load reads it (the check of its map
// figures included), on a record of this thread's own.
LabelReading ReadLabel(const std::string& path, const ImageFileLayout& layout) {
    ScopedImageState record;
    ImageState& s = record.Record();
    s.DirectoryPath = DirectoryPart(path);
    s.CurrentFileName = NamePart(path);
    s.FileLength = layout.fileLength;
    s.ImageWidth = layout.width;
    s.ImageHeight = layout.height;
    LoadLabelKeywords();
    LabelReading reading;
    reading.keywords = LabelMetadataLines(s.LabelKeywords);
    reading.message = s.Georeference.message;
    if (s.Projection) {
        if (const MapCoordinates* coordinates = CoordinatesFor(*s.Projection)) {
            reading.georeference = Georeference{coordinates->Wkt(), coordinates->FileTransform()};
        }
    }
    return reading;
}

// The exporter's picture of the image, with the label's reading and the
// picture's georeference.
struct RenderedPicture {
    GreyPicture picture;
    LabelReading label;
    std::string error;
};

RenderedPicture Render(const std::string& path, const PictureSettings& settings) {
    ScopedImageState record;
    const ImageState& s = record.Record();
    RenderedPicture rendered;
    {
        const WorkingBuffers buffers = LoadPicture(path, settings);
        if (s.FileLength < 0) {
            rendered.error = s.ReadError;
            return rendered;
        }
        std::optional<GreyPicture> grey = GreyFromBitmap(buffers.Bitmap());
        if (!grey) {
            rendered.error = "the rendered picture is not a 24-bit bitmap";
            return rendered;
        }
        // Of a reduced picture, only its samples, as the exporter's files hold.
        rendered.picture = CropPicture(*grey, SampleArea(CurrentDisplayMapping()));
    }
    rendered.label.keywords = LabelMetadataLines(s.LabelKeywords);
    rendered.label.message = s.Georeference.message;
    if (s.Projection) {
        if (const auto picture = PictureGeoreference(*s.Projection, CurrentDisplayMapping())) {
            rendered.label.georeference = *picture;
        }
    }
    return rendered;
}

}  // namespace

VeneraDataset::VeneraDataset(int width, int height, std::string imagePath, std::string labelPath)
    : imagePath_(std::move(imagePath)), labelPath_(std::move(labelPath)) {
    nRasterXSize = width;
    nRasterYSize = height;
    eAccess = GA_ReadOnly;
    // Nothing is written beside the image (no .aux.xml), which may lie on a CD.
    SetPamFlags(GetPamFlags() | GPF_DISABLED);
    srs_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
}

VeneraDataset::~VeneraDataset() { VeneraDataset::FlushCache(true); }

int VeneraDataset::Identify(GDALOpenInfo* openInfo) {
    try {
        return RecogniseImageFile(openInfo->pszFilename) ? TRUE : FALSE;
    } catch (const std::exception& e) {
        CPLError(CE_Failure, CPLE_AppDefined, "%s: %s: %s", kDriverName, openInfo->pszFilename, e.what());
    } catch (...) {
        CPLError(CE_Failure, CPLE_AppDefined, "%s: %s could not be examined", kDriverName, openInfo->pszFilename);
    }
    return FALSE;
}

GDALDataset* VeneraDataset::Open(GDALOpenInfo* openInfo) {
    try {
        return OpenChecked(openInfo);
    } catch (const std::exception& e) {
        CPLError(CE_Failure, CPLE_AppDefined, "%s: %s: %s", kDriverName, openInfo->pszFilename, e.what());
    } catch (...) {
        CPLError(CE_Failure, CPLE_AppDefined, "%s: %s could not be opened", kDriverName, openInfo->pszFilename);
    }
    return nullptr;
}

GDALDataset* VeneraDataset::OpenChecked(GDALOpenInfo* openInfo) {
    const std::string path = openInfo->pszFilename;
    const std::optional<ImageFileLayout> layout = RecogniseImageFile(path);
    if (!layout) return nullptr;
    if (openInfo->eAccess == GA_Update) {
        CPLError(CE_Failure, CPLE_NotSupported,
                 "%s: %s is a Venera radar image, which this driver opens only for reading", kDriverName,
                 path.c_str());
        return nullptr;
    }
    const OpenOptionsReading options = ReadOpenOptions(openInfo->papszOpenOptions);
    if (!options.error.empty()) {
        CPLError(CE_Failure, CPLE_IllegalArg, "%s: open option %s", kDriverName, options.error.c_str());
        return nullptr;
    }

    LabelReading label;
    std::unique_ptr<VeneraDataset> dataset =
        options.picture ? OpenRendered(path, *layout, *options.picture, label) : OpenStored(openInfo, *layout, label);
    if (!dataset) return nullptr;
    dataset->SetKeywords(label.keywords);
    if (label.georeference) dataset->SetGeoreference(label.georeference->wkt, label.georeference->transform);
    if (!label.message.empty()) CPLError(CE_Warning, CPLE_AppDefined, "%s: %s", kDriverName, label.message.c_str());
    dataset->SetDescription(path.c_str());
    return dataset.release();
}

std::unique_ptr<VeneraDataset> VeneraDataset::OpenStored(GDALOpenInfo* openInfo, const ImageFileLayout& layout,
                                                         LabelReading& label) {
    // The file GDAL opened is the one read: a path replaced meanwhile does
    // not matter.
    VSILFILE* file = openInfo->fpL;
    if (file == nullptr) {
        CPLError(CE_Failure, CPLE_OpenFailed, "%s: %s could not be opened", kDriverName, openInfo->pszFilename);
        return nullptr;
    }
    openInfo->fpL = nullptr;
    auto dataset = std::make_unique<VeneraDataset>(layout.width, layout.height, openInfo->pszFilename,
                                                   layout.labelPath);
    dataset->SetBand(1, new FileBand(dataset.get(), file, layout.sampleBytes));
    label = ReadLabel(openInfo->pszFilename, layout);
    return dataset;
}

std::unique_ptr<VeneraDataset> VeneraDataset::OpenRendered(const std::string& path, const ImageFileLayout& layout,
                                                           const PictureSettings& settings, LabelReading& label) {
    RenderedPicture rendered = Render(path, settings);
    if (!rendered.error.empty()) {
        CPLError(CE_Failure, CPLE_OpenFailed, "%s: %s: %s", kDriverName, path.c_str(), rendered.error.c_str());
        return nullptr;
    }
    auto dataset =
        std::make_unique<VeneraDataset>(rendered.picture.width, rendered.picture.height, path, layout.labelPath);
    dataset->SetBand(1, new PictureBand(dataset.get(), std::move(rendered.picture.samples)));
    label = std::move(rendered.label);
    return dataset;
}

void VeneraDataset::SetGeoreference(const std::string& wkt, const std::array<double, 6>& transform) {
    if (srs_.importFromWkt(wkt.c_str()) != OGRERR_NONE) {
        CPLError(CE_Warning, CPLE_AppDefined, "%s: %s: the label's reference system was not understood",
                 kDriverName, imagePath_.c_str());
        return;
    }
    transform_ = transform;
    georeferenced_ = true;
}

void VeneraDataset::SetKeywords(const std::vector<std::string>& lines) {
    CPLStringList list;
    for (const std::string& line : lines) list.AddString(line.c_str());
    GDALDataset::SetMetadata(list.List());
}

CPLErr VeneraDataset::GetGeoTransform(double* transform) {
    std::copy(transform_.begin(), transform_.end(), transform);
    return georeferenced_ ? CE_None : CE_Failure;
}

const OGRSpatialReference* VeneraDataset::GetSpatialRef() const { return georeferenced_ ? &srs_ : nullptr; }

char** VeneraDataset::GetFileList() {
    CPLStringList files;
    files.AddString(imagePath_.c_str());
    if (!labelPath_.empty()) files.AddString(labelPath_.c_str());
    return files.StealList();
}

CPLErr VeneraDataset::Refuse(const char* what) const {
    CPLError(CE_Failure, CPLE_NoWriteAccess, "%s: %s is read-only: %s", kDriverName, imagePath_.c_str(), what);
    return CE_Failure;
}

CPLErr VeneraDataset::SetGeoTransform(double*) { return Refuse("its georeference comes from its label"); }

CPLErr VeneraDataset::SetSpatialRef(const OGRSpatialReference*) {
    return Refuse("its georeference comes from its label");
}

CPLErr VeneraDataset::IBuildOverviews(const char*, int, const int*, int, const int*, GDALProgressFunc, void*,
                                      CSLConstList) {
    return Refuse("no overviews are written beside it");
}

namespace {

// The images are only read: GDAL's deleting and renaming of a dataset's
// files are refused too.
CPLErr RefuseDelete(const char* name) {
    CPLError(CE_Failure, CPLE_NoWriteAccess, "%s: %s is read-only: the driver deletes no image", kDriverName, name);
    return CE_Failure;
}

CPLErr RefuseRename(const char*, const char* oldName) {
    CPLError(CE_Failure, CPLE_NoWriteAccess, "%s: %s is read-only: the driver renames no image", kDriverName,
             oldName);
    return CE_Failure;
}

}  // namespace

void RegisterVeneraDriver() {
    if (!GDAL_CHECK_VERSION(kDriverName)) return;
    if (GDALGetDriverByName(kDriverName) != nullptr) return;
    SetGeoreferenceCheck(&CheckLabelGeoreference);
    auto driver = std::make_unique<GDALDriver>();
    driver->SetDescription(kDriverName);
    driver->SetMetadataItem(GDAL_DCAP_RASTER, "YES");
    driver->SetMetadataItem(GDAL_DMD_LONGNAME, "Venera 15 and 16 radar images (Duskmapper)");
    driver->SetMetadataItem(GDAL_DMD_EXTENSIONS, "img");
    driver->SetMetadataItem(GDAL_DMD_OPENOPTIONLIST, OpenOptionList().c_str());
    driver->pfnIdentify = VeneraDataset::Identify;
    driver->pfnOpen = VeneraDataset::Open;
    driver->pfnDelete = RefuseDelete;
    driver->pfnRename = RefuseRename;
    GetGDALDriverManager()->RegisterDriver(driver.release());
}

}  // namespace dusk
