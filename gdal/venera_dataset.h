// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A Venera radar image as a GDAL dataset: one 8-bit band of the raster the
// file's length describes, read straight from the file (level 0 as no data),
// or, with display corrections asked for, the picture the exporter renders;
// the georeference and the keywords of the label beside it. Read-only.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <rawdataset.h>

#include "gdal/image_file.h"
#include "load/load_image.h"

namespace dusk {

struct LabelReading;

inline constexpr const char* kDriverName = "VENERA";

class VeneraDataset final : public RawDataset {
public:
    static int Identify(GDALOpenInfo* openInfo);
    static GDALDataset* Open(GDALOpenInfo* openInfo);

    VeneraDataset(int width, int height, std::string imagePath, std::string labelPath);
    ~VeneraDataset() override;

    CPLErr GetGeoTransform(double* transform) override;
    const OGRSpatialReference* GetSpatialRef() const override;
    char** GetFileList() override;
    bool GetRawBinaryLayout(RawBinaryLayout&) override { return false; }

    // The georeference comes from the label, and nothing is written beside
    // the image: these are refused.
    CPLErr SetGeoTransform(double* transform) override;
    CPLErr SetSpatialRef(const OGRSpatialReference* srs) override;

protected:
    CPLErr IBuildOverviews(const char* resampling, int overviewCount, const int* overviewList, int bandCount,
                           const int* bandList, GDALProgressFunc progress, void* progressData,
                           CSLConstList options) override;

private:
    static GDALDataset* OpenChecked(GDALOpenInfo* openInfo);
    // The band of the stored samples, or of the picture rendered with
    // `settings`; `label` receives what the label beside the image says.
    static std::unique_ptr<VeneraDataset> OpenStored(GDALOpenInfo* openInfo, const ImageFileLayout& layout,
                                                     LabelReading& label);
    static std::unique_ptr<VeneraDataset> OpenRendered(const std::string& path, const ImageFileLayout& layout,
                                                       const PictureSettings& settings, LabelReading& label);
    void SetGeoreference(const std::string& wkt, const std::array<double, 6>& transform);
    void SetKeywords(const std::vector<std::string>& lines);
    CPLErr Refuse(const char* what) const;

    std::string imagePath_;
    std::string labelPath_;
    bool georeferenced_ = false;
    std::array<double, 6> transform_{0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    OGRSpatialReference srs_;
};

// Registers the driver with GDAL's driver manager, once; also makes every
// load check the label's map figures against its bounds.
void RegisterVeneraDriver();

}  // namespace dusk
