// SPDX-License-Identifier: GPL-3.0-or-later
// The mosaic of a quad on the sample volume: its pixels against the
// exporter's renderings of the tiles, its corners and bands through GDAL,
// and damaged quads (a missing tile, a tile without a label, a tile of
// another projection, a folder and a FIFO named like tiles, a truncated file).
#include <gdal.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/image_state.h"
#include "mosaic/mosaic.h"
#include "output/picture_file.h"
#include "temp_dir.h"
#include "tools/export.h"

namespace {

namespace fs = std::filesystem;

// The sample quads: tiles of 1052 samples and 703, 703, 703, 531 lines on
// one 1 km grid, four across.
constexpr int kTileWidth = 1052;
constexpr int kTileRows[4] = {703, 703, 703, 531};

class SampleMosaic : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        ASSERT_EQ(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + Samples() + "\" > /dev/null").c_str()), 0);
        GDALAllRegister();
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string Samples() { return (dir_->path() / "samples").string(); }
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        return names;
    }
    // The quad of `image` in `folder` (a copy of the samples where a test damages one).
    static dusk::MosaicPlan Plan(const std::string& folder, const std::string& image) {
        return dusk::PlanMosaic(folder, Names(folder), image, {});
    }
    static std::string Copy(const std::string& quad) {
        const fs::path to = dir_->path() / ("damaged-" + quad);
        fs::create_directories(to);
        for (const auto& entry : fs::directory_iterator(Samples())) {
            if (entry.path().filename().string().rfind(quad, 0) == 0) fs::copy_file(entry.path(), to / entry.path().filename());
        }
        return to.string();
    }
    static TempDir* dir_;
};
TempDir* SampleMosaic::dir_ = nullptr;

// Each tile's data lies in the mosaic at its place on the grid, sample for
// sample as the exporter renders it; every other pixel is no data.
TEST_F(SampleMosaic, PixelsAreTheExportersTileByTile) {
    for (const char* image : {"V0506.img", "V01.IMG"}) {
        dusk::MosaicPlan plan = Plan(Samples(), image);
        ASSERT_EQ(plan.tiles.size(), 16u) << image;
        EXPECT_TRUE(plan.leftOut.empty()) << dusk::LeftOutText(plan.leftOut);
        ASSERT_EQ(plan.grid.width, 4 * kTileWidth) << image;
        ASSERT_EQ(plan.grid.height, 3 * 703 + 531) << image;
        const dusk::MosaicCanvas canvas = dusk::BuildMosaic(plan, 2);
        EXPECT_TRUE(plan.leftOut.empty()) << dusk::LeftOutText(plan.leftOut);
        std::vector<bool> seen(canvas.owner.size(), false);
        for (std::size_t t = 0; t < plan.tiles.size(); ++t) {
            const std::string& path = plan.tiles[t].path;
            std::vector<std::uint8_t> bitmap;
            std::string error;
            dusk::ScopedImageState record;
            ASSERT_TRUE(dusk::RenderImageFile(path, {}, bitmap, error)) << error;
            const std::optional<dusk::GreyPicture> picture = dusk::GreyFromBitmap(bitmap);
            ASSERT_TRUE(picture);
            std::ifstream in(path, std::ios::binary);
            const std::vector<char> stored((std::istreambuf_iterator<char>(in)), {});
            const int n = static_cast<int>(t);
            const int left = n % 4 * kTileWidth;
            int top = 0;
            for (int r = 0; r < n / 4; ++r) top += kTileRows[r];
            const int rows = kTileRows[n / 4];
            int mismatches = 0;
            for (int y = 0; y < rows; ++y) {
                for (int x = 0; x < kTileWidth; ++x) {
                    // The picture shows file row y at its row y.
                    if (stored[static_cast<std::size_t>(y) * kTileWidth + x] == 0) continue;
                    const std::size_t at = static_cast<std::size_t>(top + y) * canvas.width + left + x;
                    seen[at] = true;
                    if (canvas.owner[at] != t + 1 ||
                        canvas.grey[at] != picture->samples[static_cast<std::size_t>(y) * picture->width + x]) {
                        ++mismatches;
                    }
                }
            }
            EXPECT_EQ(mismatches, 0) << path;
        }
        std::size_t strays = 0;
        for (std::size_t i = 0; i < seen.size(); ++i) strays += !seen[i] && canvas.owner[i] != 0;
        EXPECT_EQ(strays, 0u) << image;
    }
}

// gdalinfo's corners are the outer corners of the corner tiles; the file is a
// COG with overviews and an alpha band that is 0 outside every tile; the PNG
// has grey and alpha.
TEST_F(SampleMosaic, FilesPlaceTheCornersAndKeepNoDataApart) {
    dusk::MosaicPlan plan = Plan(Samples(), "V05.img");
    const dusk::MosaicCanvas canvas = dusk::BuildMosaic(plan, 2);
    const std::string tif = (dir_->path() / "V05.tif").string();
    const std::string png = (dir_->path() / "V05.png").string();
    std::string error;
    ASSERT_TRUE(dusk::WriteMosaicGeoTiff(canvas, plan.grid, tif, error)) << error;
    ASSERT_TRUE(dusk::WriteMosaicPng(canvas, png, error)) << error;

    GDALDatasetH dataset = GDALOpen(tif.c_str(), GA_ReadOnly);
    ASSERT_NE(dataset, nullptr);
    double t[6];
    ASSERT_EQ(GDALGetGeoTransform(dataset, t), CE_None);
    const dusk::GeoTransform& first = plan.quad.tiles.front().coordinates->FileTransform();
    const dusk::GeoTransform& last = plan.quad.tiles.back().coordinates->FileTransform();
    const double w = GDALGetRasterXSize(dataset);
    const double h = GDALGetRasterYSize(dataset);
    EXPECT_NEAR(t[0], first[0], 1e-6);
    EXPECT_NEAR(t[3], first[3], 1e-6);
    EXPECT_NEAR(t[0] + w * t[1], last[0] + kTileWidth * last[1], 1e-6);
    EXPECT_NEAR(t[3] + h * t[5], last[3] + kTileRows[3] * last[5], 1e-6);
    const char* layout = GDALGetMetadataItem(dataset, "LAYOUT", "IMAGE_STRUCTURE");
    EXPECT_STREQ(layout, "COG");
    ASSERT_EQ(GDALGetRasterCount(dataset), 2);
    EXPECT_EQ(GDALGetRasterColorInterpretation(GDALGetRasterBand(dataset, 2)), GCI_AlphaBand);
    EXPECT_GT(GDALGetOverviewCount(GDALGetRasterBand(dataset, 1)), 0);
    std::vector<std::uint8_t> alpha(canvas.owner.size());
    ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(dataset, 2), GF_Read, 0, 0, canvas.width, canvas.height, alpha.data(),
                           canvas.width, canvas.height, GDT_Byte, 0, 0),
              CE_None);
    GDALClose(dataset);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < alpha.size(); ++i) wrong += alpha[i] != (canvas.owner[i] != 0 ? 255 : 0);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(alpha[static_cast<std::size_t>(canvas.width) - 1], 0);  // the top right lies outside every tile

    GDALDatasetH picture = GDALOpen(png.c_str(), GA_ReadOnly);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(GDALGetRasterCount(picture), 2);
    EXPECT_EQ(GDALGetRasterColorInterpretation(GDALGetRasterBand(picture, 2)), GCI_AlphaBand);
    GDALClose(picture);
}

// duskmapper-export --mosaic writes the same picture as the library builds
// for the window, through its module.
TEST_F(SampleMosaic, ExporterWritesTheWindowsPicture) {
    dusk::MosaicPlan plan = Plan(Samples(), "V01.IMG");
    const dusk::MosaicCanvas canvas = dusk::BuildMosaic(plan, 2);
    const std::string png = (dir_->path() / "V01-export.png").string();
    std::vector<std::string> args{"--mosaic", "--quiet"};
    for (const dusk::MosaicTile& tile : plan.tiles) args.push_back(tile.path);
    args.insert(args.end(), {"-o", png});
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(dusk::ExportCommand(args, out, err, false), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    GDALDatasetH dataset = GDALOpen(png.c_str(), GA_ReadOnly);
    ASSERT_NE(dataset, nullptr);
    ASSERT_EQ(GDALGetRasterXSize(dataset), canvas.width);
    ASSERT_EQ(GDALGetRasterYSize(dataset), canvas.height);
    std::vector<std::uint8_t> grey(canvas.grey.size());
    std::vector<std::uint8_t> alpha(canvas.grey.size());
    for (int band = 1; band <= 2; ++band) {
        ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(dataset, band), GF_Read, 0, 0, canvas.width, canvas.height,
                               (band == 1 ? grey : alpha).data(), canvas.width, canvas.height, GDT_Byte, 0, 0),
                  CE_None);
    }
    GDALClose(dataset);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < grey.size(); ++i) {
        const bool data = canvas.owner[i] != 0;
        wrong += alpha[i] != (data ? 255 : 0) || (data && grey[i] != canvas.grey[i]);
    }
    EXPECT_EQ(wrong, 0u);
}

// A damaged quad still forms: what cannot be placed is no data, and the plan
// says what it left out.
TEST_F(SampleMosaic, DamagedQuadStillForms) {
    const std::string folder = Copy("V05");
    const fs::path f(folder);
    fs::remove(f / "V0502.img");                      // missing
    fs::remove(f / "V0503.lbl");                      // no label
    fs::remove(f / "V0505.img");                      // a folder named like a tile
    fs::create_directory(f / "V0505.img");
    fs::remove(f / "V0506.img");                      // a FIFO named like a tile
    ASSERT_EQ(::mkfifo((f / "V0506.img").c_str(), 0600), 0);
    fs::resize_file(f / "V0507.img", 300 * kTileWidth);  // truncated: 300 of 703 lines
    // Another projection: tile 8 keeps its place but its label a polar map.
    {
        std::ifstream in(f / "V0508.lbl", std::ios::binary);
        std::string label((std::istreambuf_iterator<char>(in)), {});
        const std::string from = "\"LAMBERT_CONFORMAL_CONIC\"";
        ASSERT_NE(label.find(from), std::string::npos);
        // The same tile in a Lambert map of other parallels: another reference system.
        const std::string parallel = "SECOND_STANDARD_PARALLEL      = 60.0";
        ASSERT_NE(label.find(parallel), std::string::npos);
        label.replace(label.find(parallel), parallel.size(), "SECOND_STANDARD_PARALLEL      = 61.0");
        std::ofstream(f / "V0508.lbl", std::ios::binary) << label;
    }
    dusk::MosaicPlan plan = Plan(folder, "V0501.img");
    const dusk::MosaicCanvas canvas = dusk::BuildMosaic(plan, 2);
    const std::string said = dusk::LeftOutText(plan.leftOut);
    for (const char* part : {"V0502.img is not in the folder", "V0503.img has no label", "V0505.img is not a readable",
                             "V0506.img is not a readable"}) {
        EXPECT_NE(said.find(part), std::string::npos) << part << " in " << said;
    }
    EXPECT_EQ(said.find("V0507"), std::string::npos) << said;
    EXPECT_EQ(said.find("V0508"), std::string::npos) << said;
    EXPECT_GE(plan.grid.width, 4 * kTileWidth);  // tile 8 reaches a little further east
    // Owners by place: tile 2's place is no data, tile 7 holds data only in
    // its first 300 lines, tile 8 (resampled) covers most of its place.
    const auto count = [&](int column, int row0, int row1, auto want) {
        std::size_t n = 0;
        for (int y = row0; y < row1; ++y) {
            for (int x = column * kTileWidth; x < (column + 1) * kTileWidth; ++x) {
                n += want(canvas.owner[static_cast<std::size_t>(y) * canvas.width + x]);
            }
        }
        return n;
    };
    const auto none = [](std::uint8_t o) { return o == 0; };
    EXPECT_EQ(count(1, 0, 703, none), 703u * kTileWidth);
    EXPECT_EQ(count(2, 703 + 300, 703 + 703, none), 403u * kTileWidth);
    EXPECT_GT(count(2, 703, 703 + 300, [](std::uint8_t o) { return o != 0; }), 290u * kTileWidth);
    EXPECT_GT(count(3, 703 + 10, 703 + 693, [](std::uint8_t o) { return o != 0; }), 600u * kTileWidth);
}

}  // namespace
