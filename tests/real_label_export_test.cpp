// SPDX-License-Identifier: GPL-3.0-or-later
// Public labels of the era beside images of the volume's lengths: the
// exporter's GeoTIFF places the picture where the label's own bounds say,
// to within a pixel, read back through GDAL.
#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>

#include <gdal.h>
#include <ogr_spatialref.h>
#include <gtest/gtest.h>

#include "core/image_state.h"
#include "real_labels.h"
#include "temp_dir.h"
#include "tools/export.h"

namespace {

struct Corner {
    double latitude;
    double longitude;
};

// The outer top left corner of a GeoTIFF, in degrees on its own body.
std::optional<Corner> TopLeftOf(const std::string& tiff) {
    GDALAllRegister();
    const GDALDatasetH dataset = GDALOpen(tiff.c_str(), GA_ReadOnly);
    if (dataset == nullptr) return std::nullopt;
    double t[6];
    const bool placed = GDALGetGeoTransform(dataset, t) == CE_None;
    OGRSpatialReference projected(GDALGetProjectionRef(dataset));
    GDALClose(dataset);
    if (!placed) return std::nullopt;
    projected.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const std::unique_ptr<OGRSpatialReference> geographic(projected.CloneGeogCS());
    geographic->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const std::unique_ptr<OGRCoordinateTransformation> toDegrees(
        OGRCreateCoordinateTransformation(&projected, geographic.get()));
    double x = t[0];
    double y = t[3];
    if (!toDegrees || !toDegrees->Transform(1, &x, &y)) return std::nullopt;
    return Corner{y, x};
}

TEST(RealLabelExport, GeoTiffCornersLieAtTheLabelsBounds) {
    for (const real_labels::RealLabel& real : real_labels::kRealLabels) {
        if (real.cornerLatitude != 0.0) continue;  // a map about a pole has no corner at its bounds
        SCOPED_TRACE(real.name);
        dusk::ResetState();
        TempDir dir;
        // An image of the volume's default size, 1052 x 660, under the label.
        const std::string image = dir.write("V0101.IMG", std::string(694320, '\x55')).string();
        dir.write("V0101.lbl", real.text);
        std::ostringstream out;
        std::ostringstream err;
        const std::string tiff = dir.slashed() + "V0101.tif";
        ASSERT_EQ(dusk::ExportCommand({image, "-o", tiff}, out, err, false), 0) << err.str();
        EXPECT_EQ(err.str().find(" km from where"), std::string::npos) << err.str();
        const std::optional<Corner> corner = TopLeftOf(tiff);
        ASSERT_TRUE(corner.has_value());
        // The label's projection, as the program took it: within a pixel of
        // the bounds, each good to its last written digit.
        const auto& projection = dusk::State().Projection;
        ASSERT_TRUE(projection.has_value());
        const double kmPerDegree = std::numbers::pi * projection->aAxisRadius / 180.0;
        const double cosine = std::cos(real.maxLatitude * std::numbers::pi / 180.0);
        const double pixel = projection->mapScale * (projection->type == "MERCATOR" ? cosine : 1.0);
        const double slack = pixel + kmPerDegree * real.written;
        EXPECT_LE(std::fabs(corner->latitude - real.maxLatitude) * kmPerDegree, slack) << corner->latitude;
        EXPECT_LE(std::fabs(std::remainder(corner->longitude - real.minLongitude, 360.0)) * kmPerDegree * cosine, slack)
            << corner->longitude;
    }
}

// The exporter says which label contradicts its bounds, and still writes the
// file with the label's own figures; a label that agrees gets no such line.
TEST(RealLabelExport, WarnsOfALabelWhoseBoundsContradictItsProjection) {
    const std::string framelet = real_labels::kFmidrFramelet;
    for (const auto& [text, warning] :
         {std::pair{framelet, std::string()},
          std::pair{real_labels::Replaced(framelet, "MAXIMUM_LATITUDE = 2.5452", "MAXIMUM_LATITUDE = 2.9452"),
                    std::string("V0101.IMG: V0101.lbl: its corners lie 42 km from where its projection puts them\n")}}) {
        dusk::ResetState();
        TempDir dir;
        const std::string image = dir.write("V0101.IMG", std::string(694320, '\x55')).string();
        dir.write("V0101.lbl", text);
        std::ostringstream out;
        std::ostringstream err;
        ASSERT_EQ(dusk::ExportCommand({"--quiet", image, "-o", dir.slashed() + "V0101.tif"}, out, err, false), 0);
        EXPECT_EQ(err.str(), warning.empty() ? "" : "duskmapper-export: " + image.substr(0, image.size() - 9) + warning);
        EXPECT_TRUE(std::filesystem::exists(dir.path() / "V0101.tif"));
    }
}

}  // namespace
