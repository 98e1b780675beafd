// SPDX-License-Identifier: GPL-3.0-or-later
// The sample volume and its labels: detached keyword labels of 78-character
// lines that our reader reads to END and that describe the lines each file
// holds; GDAL's planetary label driver opens the PDS3 ones (quad V05) with
// the same size and projection, the GeoTIFF exports land where it puts
// them, and the tiles of a quad and its browse image meet edge to edge. The
// labels of the early CD-ROM dialect (quad V01) are not GDAL's: their
// figures, rewritten as PDS3, must agree in the same way. Every label's
// bounds are where GDAL puts the raster's corners.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include "core/label.h"
#include "core/label_keywords.h"
#include "core/label_map.h"
#include "core/odl.h"
#include "geo/label_georeference.h"
#include "temp_dir.h"
#include "tools/export_batch.h"

namespace {

constexpr int kTileWidth = 1052;
constexpr int kTileLines = 703;

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What `command` writes to its standard output.
std::string Output(const std::string& command) {
    std::string out;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) out.append(buffer, n);
    return out;
}

// The lines of gdalinfo's corner coordinates, from "Upper Left" to "Center".
std::string Corners(const std::string& info) {
    const auto from = info.find("Upper Left");
    const auto to = info.find('\n', info.find("Center", from));
    return from == std::string::npos ? std::string() : info.substr(from, to - from);
}

// V01, V0101 ... V0116 with `extension`: the browse image, then the tiles.
std::vector<std::string> QuadImages(const std::string& volume, const std::string& extension) {
    std::vector<std::string> names{volume + extension};
    for (int n = 1; n <= 16; ++n) names.push_back(volume + (n < 10 ? "0" : "") + std::to_string(n) + extension);
    return names;
}

std::string Value(const dusk::OdlLabel& label, std::size_t block, const char* name) {
    const dusk::OdlNode* node = dusk::FindKeyword(label, block, name);
    return node == nullptr ? std::string() : node->value;
}

double Number(const dusk::OdlLabel& label, std::size_t block, const char* name) {
    const std::string v = Value(label, block, name);
    return v.empty() ? std::nan("") : std::stod(v);
}

// Where GDAL puts a raster: its geotransform and the latitude and longitude
// of its four outer corners.
struct Placed {
    double transform[6] = {};
    std::string wkt;
    int width = 0;
    int height = 0;
    double cornerLatitude[4] = {};
    double cornerLongitude[4] = {};
    // The pixel position of the projection's origin.
    double originColumn = 0.0;
    double originRow = 0.0;
};

std::optional<Placed> PlacedByGdal(const std::string& path) {
    const std::unique_ptr<void, void (*)(GDALDatasetH)> data(GDALOpen(path.c_str(), GA_ReadOnly), GDALClose);
    if (!data) return std::nullopt;
    Placed p;
    if (GDALGetGeoTransform(data.get(), p.transform) != CE_None) return std::nullopt;
    p.wkt = GDALGetProjectionRef(data.get());
    p.width = GDALGetRasterXSize(data.get());
    p.height = GDALGetRasterYSize(data.get());
    OGRSpatialReference map;
    if (map.importFromWkt(p.wkt.c_str()) != OGRERR_NONE) return std::nullopt;
    map.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRSpatialReference> geographic(map.CloneGeogCS());
    geographic->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const std::unique_ptr<OGRCoordinateTransformation> toLatLon(
        OGRCreateCoordinateTransformation(&map, geographic.get()));
    const double* t = p.transform;
    const double columns[4] = {0.0, 1.0 * p.width, 1.0 * p.width, 0.0};
    const double rows[4] = {0.0, 0.0, 1.0 * p.height, 1.0 * p.height};
    for (int i = 0; i < 4; ++i) {
        double x = t[0] + columns[i] * t[1] + rows[i] * t[2];
        double y = t[3] + columns[i] * t[4] + rows[i] * t[5];
        if (!toLatLon->Transform(1, &x, &y)) return std::nullopt;
        p.cornerLongitude[i] = x;
        p.cornerLatitude[i] = y;
    }
    p.originColumn = -t[0] / t[1];
    p.originRow = -t[3] / t[5];
    return p;
}

// The figures of a label of the early CD-ROM dialect as a PDS3 label that
// GDAL reads: X_AXIS_PROJECTION_OFFSET as the line offset, Y as the sample
// offset, MAP_SCALE in metres per pixel.
std::string AsPds3(const dusk::OdlLabel& label, const std::string& image) {
    const std::size_t map = dusk::FindBlock(label, dusk::OdlNodeKind::Object, "IMAGE_MAP_PROJECTION_CATALOG");
    const std::size_t raster = dusk::FindBlock(label, dusk::OdlNodeKind::Object, "IMAGE");
    std::ostringstream out;
    out.precision(12);
    out << "PDS_VERSION_ID = PDS3\r\n^IMAGE = \"" << image << "\"\r\nTARGET_NAME = "
        << Value(label, std::string::npos, "TARGET_NAME") << "\r\nOBJECT = IMAGE\r\n  LINES = "
        << Value(label, raster, "LINES") << "\r\n  LINE_SAMPLES = " << Value(label, raster, "LINE_SAMPLES")
        << "\r\n  SAMPLE_BITS = 8\r\n  SAMPLE_TYPE = UNSIGNED_INTEGER\r\nEND_OBJECT = IMAGE\r\n"
        << "OBJECT = IMAGE_MAP_PROJECTION\r\n  MAP_PROJECTION_TYPE = \"POLAR_STEREOGRAPHIC\"\r\n";
    for (const char* axis : {"A_AXIS_RADIUS", "B_AXIS_RADIUS", "C_AXIS_RADIUS"}) {
        out << "  " << axis << " = " << Value(label, map, axis) << " <KM>\r\n";
    }
    out << "  CENTER_LATITUDE = " << Value(label, map, "CENTER_LATITUDE") << "\r\n  CENTER_LONGITUDE = "
        << Value(label, map, "CENTER_LONGITUDE") << "\r\n  LINE_PROJECTION_OFFSET = "
        << Value(label, map, "X_AXIS_PROJECTION_OFFSET") << "\r\n  SAMPLE_PROJECTION_OFFSET = "
        << Value(label, map, "Y_AXIS_PROJECTION_OFFSET") << "\r\n  MAP_SCALE = "
        << Number(label, map, "MAP_SCALE") / 1000.0 << " <KM/PIXEL>\r\n"
        << "END_OBJECT = IMAGE_MAP_PROJECTION\r\nEND\r\n";
    return out.str();
}

// `longitude` minus `from`, turned into -180..180.
double EastOf(double longitude, double from) {
    double d = std::fmod(longitude - from, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

// The label's bounds against the corners GDAL gives: the lowest corner is
// the minimum latitude, no corner lies above the maximum, and the corners'
// longitudes reach from the minimum to the maximum (over the pole: the
// raster holds the pole and the longitudes go round).
void ExpectBoundsOfCorners(const dusk::OdlLabel& label, std::size_t map, const Placed& p) {
    constexpr double kWritten = 1e-4;  // four decimals
    const double minLat = Number(label, map, "MINIMUM_LATITUDE");
    const double maxLat = Number(label, map, "MAXIMUM_LATITUDE");
    const double minLon = Number(label, map, "MINIMUM_LONGITUDE");
    const double maxLon = Number(label, map, "MAXIMUM_LONGITUDE");
    double lowest = 90.0;
    double highest = -90.0;
    for (double lat : p.cornerLatitude) {
        lowest = std::min(lowest, lat);
        highest = std::max(highest, lat);
    }
    EXPECT_NEAR(minLat, lowest, kWritten);
    EXPECT_GE(maxLat + kWritten, highest);
    if (maxLat == 90.0) {
        EXPECT_EQ(minLon, 0.0);
        EXPECT_EQ(maxLon, 360.0);
        EXPECT_TRUE(p.originColumn > 0 && p.originColumn < p.width && p.originRow > 0 && p.originRow < p.height)
            << p.originColumn << ", " << p.originRow;
        return;
    }
    EXPECT_TRUE(minLon >= 0.0 && minLon < 360.0 && maxLon >= 0.0 && maxLon <= 360.0) << minLon << " " << maxLon;
    const double span = std::fmod(maxLon - minLon + 360.0, 360.0);
    double west = 180.0;
    double east = -180.0;
    for (double lon : p.cornerLongitude) {
        west = std::min(west, EastOf(lon, minLon));
        east = std::max(east, EastOf(lon, minLon));
    }
    EXPECT_NEAR(west, 0.0, kWritten);
    EXPECT_NEAR(east, span, kWritten);
}

class SampleVolume : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        samples_ = dir_->slashed() + "samples/";
        ASSERT_EQ(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + samples_ + "\"").c_str()), 0);
        GDALAllRegister();
        gdal_ = std::system("gdalinfo --version >/dev/null 2>&1") == 0;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static dusk::OdlLabel Label(const std::string& image) {
        return dusk::ParseOdl(ReadText(samples_ + dusk::LabelFileName(image)));
    }

    static TempDir* dir_;
    static std::string samples_;
    static bool gdal_;
};

TempDir* SampleVolume::dir_ = nullptr;
std::string SampleVolume::samples_;
bool SampleVolume::gdal_ = false;

TEST_F(SampleVolume, HoldsTheQuadsAndTheOddEntries) {
    std::vector<std::string> images = QuadImages("V01", ".IMG");
    for (const std::string& name : QuadImages("V05", ".img")) images.push_back(name);
    for (std::size_t i = 0; i < images.size(); ++i) {
        SCOPED_TRACE(images[i]);
        const int tile = static_cast<int>(i % 17);  // 0: the browse image
        const std::uintmax_t rows = tile == 0 ? 660 : tile <= 12 ? kTileLines : 531;
        EXPECT_EQ(std::filesystem::file_size(samples_ + images[i]), rows * kTileWidth);
    }
    for (const auto& [name, length, labelled] :
         {std::tuple{"V2798.img", 700000, false}, std::tuple{"V2799.IMG", 512000, false},
          std::tuple{"ed512.img", 883456, true}, std::tuple{"V05INFO.TXT", -1, false}}) {
        SCOPED_TRACE(name);
        if (length > 0) {
            EXPECT_EQ(std::filesystem::file_size(samples_ + name), static_cast<std::uintmax_t>(length));
        }
        const std::string label = dusk::LabelFileName(name);
        EXPECT_EQ(!label.empty() && std::filesystem::exists(samples_ + label), labelled);
    }
    // Outside the swath the samples are 0, inside 1 to 254: most of the last
    // tile of V01 lies outside, its first tile wholly inside bar its blank lines.
    const std::string corner = ReadText(samples_ + "V0116.IMG");
    EXPECT_GT(std::count(corner.begin(), corner.end(), '\0'), static_cast<std::ptrdiff_t>(corner.size() / 2));
    const std::string first = ReadText(samples_ + "V0101.IMG");
    EXPECT_EQ(std::count(first.begin(), first.end(), '\0'), 3 * kTileWidth);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\xFF'), 0);
}

TEST_F(SampleVolume, LabelsAreDetachedKeywordLabelsOfTheirImages) {
    std::vector<std::string> images = QuadImages("V01", ".IMG");
    for (const std::string& name : QuadImages("V05", ".img")) images.push_back(name);
    images.push_back("ed512.img");
    for (const std::string& image : images) {
        SCOPED_TRACE(image);
        const std::string text = ReadText(samples_ + dusk::LabelFileName(image));
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(text.size() % 80, 0u);
        for (std::size_t at = 78; at < text.size(); at += 80) ASSERT_EQ(text.substr(at, 2), "\r\n") << at;
        EXPECT_NE(text.find_first_of("\x8A\x8C\x9A\xE8\xEA\xED\xF8"), std::string::npos);  // code page 1250
        const bool catalog = image[2] == '1';
        EXPECT_EQ(dusk::SplitLabel(text)[0].substr(0, 14),
                  catalog ? "CCSD3ZF0000100" : "PDS_VERSION_ID");

        const dusk::OdlLabel parsed = dusk::ParseOdl(text);
        EXPECT_EQ(parsed.problem, "");
        EXPECT_EQ(Value(parsed, std::string::npos, "^IMAGE"), image);
        const auto geometry = dusk::ImageGeometryOf(parsed);
        ASSERT_TRUE(geometry.has_value());
        const auto length = std::filesystem::file_size(samples_ + image);
        EXPECT_EQ(static_cast<std::uintmax_t>(geometry->lines), length / geometry->lineSamples);  // whole lines
        // The program's own reading: every map agrees with its bounds, and
        // the early CD form is read with X along the lines and MAP_SCALE in
        // metres, as written there.
        const dusk::LabelGeoreference georeference = dusk::UnderstandLabelMap(
            dusk::ReadLabelMap(parsed), geometry->lineSamples, geometry->lines, dusk::LabelFileName(image));
        EXPECT_EQ(georeference.projection.has_value(), image != "ed512.img");
        EXPECT_EQ(georeference.message, "");
        if (georeference.projection) {
            EXPECT_EQ(georeference.agreement, dusk::BoundsAgreement::Agrees);
            EXPECT_EQ(georeference.projection->aAxisRadius, 6051.8);
            EXPECT_EQ(georeference.projection->type, catalog ? "STEREOGRAPHIC" : "LAMBERT_CONFORMAL_CONIC");
            EXPECT_EQ(georeference.projection->reading, catalog ? "X along the lines, MAP_SCALE in metres per pixel" : "");
        }
        if (catalog) {
            const std::size_t map = dusk::FindBlock(parsed, dusk::OdlNodeKind::Object, "IMAGE_MAP_PROJECTION_CATALOG");
            ASSERT_NE(map, std::string::npos);
            EXPECT_EQ(Value(parsed, map, "MAP_PROJECTION_TYPE"), "STEREOGRAPHIC");
            EXPECT_EQ(Value(parsed, map, "X_AXIS_LAST_PIXEL"), std::to_string(geometry->lines));
            EXPECT_EQ(Value(parsed, map, "Y_AXIS_LAST_PIXEL"), std::to_string(geometry->lineSamples));
            EXPECT_NE(text.find("\nEND_OBJECT    "), std::string::npos);  // without a name
        }
    }
}

// GDAL's reading of every label with a map (V01's rewritten as PDS3): the
// size, the projection, the bounds at the corners, and the tiles placed
// edge to edge in one grid that the browse image covers exactly.
TEST_F(SampleVolume, TilesOfAQuadMeetEdgeToEdge) {
    if (!gdal_) GTEST_SKIP() << "gdalinfo is not installed; GDAL's reading of the labels is not checked";
    for (const auto& [volume, extension] : {std::pair{"V01", ".IMG"}, std::pair{"V05", ".img"}}) {
        const std::vector<std::string> images = QuadImages(volume, extension);
        std::vector<Placed> placed;
        for (const std::string& image : images) {
            SCOPED_TRACE(image);
            const dusk::OdlLabel label = Label(image);
            std::string path = samples_ + dusk::LabelFileName(image);
            const bool catalog = std::string(volume) == "V01";
            // Beside the image, which GDAL finds from the label's folder.
            if (catalog) path = dir_->write("samples/pds3-" + dusk::LabelFileName(image), AsPds3(label, image)).string();
            const std::string info = Output("gdalinfo \"" + path + "\" 2>&1");
            EXPECT_NE(info.find("Driver: PDS/"), std::string::npos) << info;
            EXPECT_NE(info.find(catalog ? "Polar Stereographic" : "Lambert Conic Conformal"), std::string::npos);
            EXPECT_NE(info.find("ELLIPSOID[\"VENUS\",6051800,0"), std::string::npos) << info;
            const std::optional<Placed> p = PlacedByGdal(path);
            ASSERT_TRUE(p.has_value());
            const std::size_t map = dusk::FindBlock(
                label, dusk::OdlNodeKind::Object, catalog ? "IMAGE_MAP_PROJECTION_CATALOG" : "IMAGE_MAP_PROJECTION");
            ExpectBoundsOfCorners(label, map, *p);
            placed.push_back(*p);
        }
        const Placed& first = placed[1];
        EXPECT_EQ(first.transform[1], 1000.0);
        EXPECT_EQ(first.transform[5], -1000.0);
        for (int tile = 1; tile <= 16; ++tile) {
            SCOPED_TRACE(images[static_cast<std::size_t>(tile)]);
            const Placed& p = placed[static_cast<std::size_t>(tile)];
            const int row = (tile - 1) / 4;
            const int column = (tile - 1) % 4;
            EXPECT_EQ(p.wkt, first.wkt);
            EXPECT_EQ(p.width, kTileWidth);
            EXPECT_EQ(p.height, row < 3 ? kTileLines : 531);
            for (int i : {1, 2, 4, 5}) EXPECT_EQ(p.transform[i], first.transform[i]);
            EXPECT_DOUBLE_EQ(p.transform[0], first.transform[0] + column * kTileWidth * 1000.0);
            EXPECT_DOUBLE_EQ(p.transform[3], first.transform[3] - row * kTileLines * 1000.0);
        }
        const Placed& browse = placed[0];
        EXPECT_EQ(browse.wkt, first.wkt);
        EXPECT_DOUBLE_EQ(browse.transform[0], first.transform[0]);
        EXPECT_DOUBLE_EQ(browse.transform[3], first.transform[3]);
        EXPECT_DOUBLE_EQ(browse.transform[1], 4000.0);
        EXPECT_DOUBLE_EQ(browse.transform[3] + browse.height * browse.transform[5],
                         placed[16].transform[3] + placed[16].height * placed[16].transform[5]);
    }
}

// The exporter's GeoTIFF of each sample of both quads lands where GDAL puts
// the label (V01's rewritten in PDS3): the same corners to the metre (the picture may have more lines
// than the label: the upper left corner and the pixel size are shared).
TEST_F(SampleVolume, GeoTiffsLandWhereTheLabelsSay) {
    if (!gdal_) GTEST_SKIP() << "gdalinfo is not installed; GDAL's reading of the labels is not checked";
    for (const auto& [volume, extension] : {std::pair{"V01", ".IMG"}, std::pair{"V05", ".img"}}) {
        const bool catalog = std::string(volume) == "V01";
        dusk::ExportSettings settings;
        for (const std::string& image : QuadImages(volume, extension)) settings.inputs.push_back(samples_ + image);
        settings.format = dusk::PictureFormat::Tiff;
        settings.output = dir_->slashed() + "tiff-" + volume;
        std::ostringstream err;
        ASSERT_EQ(dusk::RunExport(settings, err, false), 0) << err.str();
        EXPECT_EQ(err.str().find(" km from where"), std::string::npos) << err.str();
        for (const std::string& image : QuadImages(volume, extension)) {
            SCOPED_TRACE(image);
            const std::string stem = image.substr(0, image.find('.'));
            const std::string tiff = settings.output + "/" + stem + ".tif";
            // GDAL reads the early CD form only as rewritten in PDS3.
            const std::string label =
                catalog ? dir_->write("samples/pds3-" + dusk::LabelFileName(image), AsPds3(Label(image), image)).string()
                        : samples_ + stem + ".lbl";
            const std::optional<Placed> byLabel = PlacedByGdal(label);
            const std::optional<Placed> exported = PlacedByGdal(tiff);
            ASSERT_TRUE(byLabel && exported);
            for (int i = 0; i < 6; ++i) EXPECT_NEAR(exported->transform[i], byLabel->transform[i], 1e-6) << i;
            // gdalinfo's own words, for the browse image and the diagonal tiles.
            if (stem.size() == 5 && (std::stoi(stem.substr(3)) - 1) % 5 != 0) continue;
            const std::string info = Output("gdalinfo \"" + tiff + "\" 2>&1");
            EXPECT_NE(info.find(catalog ? "Polar Stereographic" : "Lambert Conic Conformal"), std::string::npos) << info;
            const std::string labelCorners = Corners(Output("gdalinfo \"" + label + "\" 2>&1"));
            ASSERT_NE(labelCorners, "");
            EXPECT_EQ(Corners(info).substr(0, labelCorners.find("\nLower")),
                      labelCorners.substr(0, labelCorners.find("\nLower")));
        }
    }
}

}  // namespace
