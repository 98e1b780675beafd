// SPDX-License-Identifier: GPL-3.0-or-later
// Map coordinates and GeoTIFF files, against GDAL's own command-line tools
// reading the same .img + .lbl pair through its PDS driver.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/readout.h"
#include "geo/lat_lon_text.h"
#include "geo/map_coordinates.h"
#include "geo/picture_georeference.h"
#include "output/tiff_file.h"
#include "temp_dir.h"

namespace {

using dusk::MapProjection;

constexpr int kW = 120;
constexpr int kH = 90;

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

bool HaveGdalTools() { return std::system("gdaltransform --version > /dev/null 2>&1") == 0; }

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// A detached PDS3 label for a kW x kH raster of bytes in NAME.img.
std::string Label(const std::string& name, const std::string& type, const MapProjection& p) {
    std::string text = "PDS_VERSION_ID = PDS3\nRECORD_TYPE = FIXED_LENGTH\nRECORD_BYTES = " + std::to_string(kW) +
                       "\nFILE_RECORDS = " + std::to_string(kH) + "\n^IMAGE = \"" + name +
                       ".img\"\nTARGET_NAME = VENUS\nOBJECT = IMAGE\n  LINES = " + std::to_string(kH) +
                       "\n  LINE_SAMPLES = " + std::to_string(kW) +
                       "\n  SAMPLE_TYPE = UNSIGNED_INTEGER\n  SAMPLE_BITS = 8\nEND_OBJECT = IMAGE\n"
                       "OBJECT = IMAGE_MAP_PROJECTION\n  MAP_PROJECTION_TYPE = \"" + type + "\"\n";
    const auto put = [&text](const char* key, double value, const char* unit) {
        text += std::string("  ") + key + " = " + Number(value) + unit + "\n";
    };
    put("A_AXIS_RADIUS", p.aAxisRadius, " <KM>");
    put("B_AXIS_RADIUS", p.bAxisRadius, " <KM>");
    put("C_AXIS_RADIUS", p.cAxisRadius, " <KM>");
    text += std::string("  POSITIVE_LONGITUDE_DIRECTION = ") + (p.positiveLongitudeWest ? "WEST" : "EAST") + "\n";
    put("CENTER_LATITUDE", p.centerLatitude, " <DEG>");
    put("CENTER_LONGITUDE", p.centerLongitude, " <DEG>");
    if (p.firstStandardParallel) put("FIRST_STANDARD_PARALLEL", *p.firstStandardParallel, " <DEG>");
    if (p.secondStandardParallel) put("SECOND_STANDARD_PARALLEL", *p.secondStandardParallel, " <DEG>");
    put("LINE_PROJECTION_OFFSET", p.lineProjectionOffset, "");
    put("SAMPLE_PROJECTION_OFFSET", p.sampleProjectionOffset, "");
    put("MAP_SCALE", p.mapScale, " <KM/PIXEL>");
    return text + "END_OBJECT = IMAGE_MAP_PROJECTION\nEND\n";
}

struct Case {
    const char* name;
    MapProjection projection;
    // How GDAL is told the same projection: the type as it spells it; a
    // west-counting label as the same map counted east (GDAL's PDS driver
    // takes the centre longitude as east whatever the label says).
    const char* gdalType;
    double originLatitude;  // of the projection's origin: the pole, the cone's centre or the equator
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

MapProjection P(const char* type, double a, double c, double lat0, double lon0, double line0, double sample0,
                double scale, bool west = false, std::optional<double> first = {}, std::optional<double> second = {}) {
    MapProjection p;
    p.type = type;
    p.aAxisRadius = p.bAxisRadius = a;
    p.cAxisRadius = c;
    p.centerLatitude = lat0;
    p.centerLongitude = lon0;
    p.lineProjectionOffset = line0;
    p.sampleProjectionOffset = sample0;
    p.mapScale = scale;
    p.positiveLongitudeWest = west;
    p.firstStandardParallel = first;
    p.secondStandardParallel = second;
    return p;
}

const Case kCases[] = {
    {"north_polar", P("POLAR STEREOGRAPHIC", 6051.8, 6051.8, 90, 0, 45.5, 60, 2.5), "POLAR STEREOGRAPHIC", 90},
    {"south_polar_ellipsoid", P("POLAR_STEREOGRAPHIC", 6051.8, 6000, -90, 120, 200, -30, 0.75),
     "POLAR_STEREOGRAPHIC", -90},
    {"lambert", P("LAMBERT CONFORMAL", 6051.8, 6051.8, 30, 300, -500, 10, 1.5, false, 20.0, 40.0),
     "LAMBERT CONFORMAL CONIC", 30},
    {"lambert_ellipsoid", P("LAMBERT_CONFORMAL_CONIC", 6051.8, 6040, -45, 10, 80, 70, 5, false, -30.0, -60.0),
     "LAMBERT_CONFORMAL_CONIC", -45},
    {"equirectangular_west", P("EQUIRECTANGULAR", 6051.8, 6051.8, 10, 45, 300, 1200, 4, true), "EQUIRECTANGULAR", 0},
    {"simple_cylindrical", P("SIMPLE CYLINDRICAL", 6051.8, 6051.8, 0, 0, 1000, 5000, 1), "SIMPLE CYLINDRICAL", 0},
    {"sinusoidal", P("SINUSOIDAL", 6051.8, 6051.8, 0, 200, -2000, 30, 3), "SINUSOIDAL", 0},
    {"mercator", P("MERCATOR", 6051.8, 6051.8, 0, 300, 700, -40, 4.2), "MERCATOR", 0},
};

// The GEOGCS of a WKT1 text: the latitude and longitude GDAL gives.
std::string GeographicPart(const std::string& wkt) {
    const std::size_t start = wkt.find("GEOGCS[");
    int depth = 0;
    for (std::size_t i = start; start != std::string::npos && i < wkt.size(); ++i) {
        if (wkt[i] == '[') ++depth;
        if (wkt[i] == ']' && --depth == 0) return wkt.substr(start, i - start + 1);
    }
    return {};
}

std::vector<double> Numbers(const std::string& text, const std::string& after) {
    std::vector<double> values;
    const std::size_t at = text.find(after);
    if (at == std::string::npos) return values;
    const std::regex number(R"([-+]?[0-9.]+(?:[eE][-+]?[0-9]+)?)");
    const std::string tail = text.substr(at + after.size(), 200);
    for (std::sregex_iterator it(tail.begin(), tail.end(), number), end; it != end && values.size() < 2; ++it) {
        values.push_back(std::stod(it->str()));
    }
    return values;
}

class GeoAgainstGdal : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        if (!HaveGdalTools()) GTEST_SKIP() << "gdal-bin is not installed";
        const Case& c = GetParam();
        MapProjection told = c.projection;
        if (told.positiveLongitudeWest) {
            told.positiveLongitudeWest = false;
            told.centerLongitude = -told.centerLongitude;
        }
        dir_.write("m.img", std::string(kW * kH, '\x40'));
        label_ = dir_.write("m.lbl", Label("m", c.gdalType, told)).string();
        coordinates_ = dusk::MapCoordinates::Make(c.projection);
        ASSERT_NE(coordinates_, nullptr);
    }

    TempDir dir_;
    std::string label_;
    std::unique_ptr<dusk::MapCoordinates> coordinates_;
};

TEST_P(GeoAgainstGdal, LatitudeAndLongitudeOfSamplesAgreeWithGdaltransform) {
    const std::string geographic = GeographicPart(Output("gdalsrsinfo -o wkt1 " + label_ + " 2>/dev/null"));
    ASSERT_FALSE(geographic.empty()) << "GDAL found no projection in\n" << Label("m", GetParam().gdalType, {});
    const int samples[][2] = {{0, 0}, {kW - 1, 0}, {0, kH - 1}, {kW - 1, kH - 1}, {kW / 2, kH / 3}, {7, 61}};
    std::string input;
    for (const auto& s : samples) input += Number(s[0] + 0.5) + " " + Number(s[1] + 0.5) + "\n";
    const std::string in = dir_.write("points.txt", input).string();
    std::string out = Output("gdaltransform -t_srs '" + geographic + "' " + label_ + " < " + in);
    std::istringstream lines(out);
    for (const auto& s : samples) {
        double lon = 0, lat = 0, z = 0;
        ASSERT_TRUE(lines >> lon >> lat >> z) << out;
        const std::optional<dusk::LatLon> at = coordinates_->At(s[0], s[1]);
        ASSERT_TRUE(at.has_value());
        EXPECT_NEAR(at->latitude, lat, 1e-6) << s[0] << "," << s[1];
        EXPECT_NEAR(std::remainder(at->longitude - lon, 360.0), 0.0, 1e-6) << s[0] << "," << s[1];
    }
}

// The sample at the projection's origin lies on its centre: its text gives the
// label's own centre latitude and longitude, counted as the label counts.
TEST_P(GeoAgainstGdal, ProjectionOriginReadsAsTheLabelsCentre) {
    const MapProjection& p = GetParam().projection;
    const std::optional<dusk::LatLon> at = coordinates_->At(p.sampleProjectionOffset, p.lineProjectionOffset);
    ASSERT_TRUE(at.has_value());
    EXPECT_NEAR(at->latitude, GetParam().originLatitude, 1e-9);
    if (std::abs(p.centerLatitude) == 90.0) return;  // every longitude meets at the pole
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f\xC2\xB0 %s", p.centerLongitude, p.positiveLongitudeWest ? "W" : "E");
    EXPECT_NE(dusk::LatLonText(*at, p.positiveLongitudeWest).find(expected), std::string::npos)
        << dusk::LatLonText(*at, p.positiveLongitudeWest);
}

// A GeoTIFF of the picture as shown by default (file row 0 on top) shows the
// reference system and the corners GDAL gives for the label itself.
TEST_P(GeoAgainstGdal, GeoTiffHasTheLabelsProjectionAndCorners) {
    dusk::GreyPicture picture{kW, kH, std::vector<std::uint8_t>(kW * kH, 0x40)};
    const std::optional<dusk::Georeference> geo =
        dusk::PictureGeoreference(GetParam().projection, dusk::DisplayMapping{kW, kH, true, false, 1});
    ASSERT_TRUE(geo.has_value());
    std::vector<std::uint8_t> file;
    std::string error;
    ASSERT_TRUE(dusk::EncodeTiff(picture, geo, file, error)) << error;
    const std::string tiff = dir_.WriteFile("m.tif", file);

    const std::string fromLabel = Output("gdalinfo -json " + label_);
    const std::string fromTiff = Output("gdalinfo -json " + tiff);
    for (const char* corner : {"\"upperLeft\":", "\"lowerLeft\":", "\"upperRight\":", "\"lowerRight\":"}) {
        const std::vector<double> expected = Numbers(fromLabel, corner);
        const std::vector<double> actual = Numbers(fromTiff, corner);
        ASSERT_EQ(expected.size(), 2u) << fromLabel;
        ASSERT_EQ(actual.size(), 2u) << fromTiff;
        EXPECT_NEAR(actual[0], expected[0], 1.0) << corner;
        EXPECT_NEAR(actual[1], expected[1], 1.0) << corner;
    }
    EXPECT_EQ(Output("gdalsrsinfo -o proj4 " + tiff), Output("gdalsrsinfo -o proj4 " + label_));
}

INSTANTIATE_TEST_SUITE_P(Projections, GeoAgainstGdal, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The georeference of a flipped, turned or reduced picture puts each pixel's
// centre inside the file sample (the block of a reduced picture) that the
// readout traces it back to.
TEST(PictureTransform, FollowsTheReadoutThroughEveryDisplayMapping) {
    const dusk::GeoTransform file{0, 1, 0, 0, 0, 1};  // map coordinates = file column and row
    const dusk::DisplayMapping mappings[] = {
        {1052, 660, true, false, 1}, {1052, 660, false, false, 1}, {1052, 660, true, true, 1},
        {1052, 660, false, true, 1}, {1052, 660, true, false, 2},  {1052, 660, true, true, 2},
        {1036, 1120, false, true, 4}, {1000, 661, true, false, 4},
    };
    for (const dusk::DisplayMapping& m : mappings) {
        const dusk::GeoTransform t = dusk::PictureTransform(file, m);
        for (int y = 0; y < m.height; y += 13) {
            for (int x = 0; x < m.width; x += 17) {
                const dusk::FilePoint point = dusk::MapToFile(m, x, y);
                if (point.kind != dusk::PointKind::Sample) continue;
                const double column = t[0] + (x + 0.5) * t[1] + (y + 0.5) * t[2];
                const double row = t[3] + (x + 0.5) * t[4] + (y + 0.5) * t[5];
                ASSERT_GE(column, point.column) << x << "," << y << " reduction " << m.reduction;
                ASSERT_LT(column, point.column + m.reduction) << x << "," << y;
                ASSERT_GE(row, point.row) << x << "," << y << " flipped " << m.rowsFlipped << " rotated " << m.rotated;
                ASSERT_LT(row, point.row + m.reduction) << x << "," << y;
            }
        }
    }
}

TEST(LatLonText, RoundsToHundredthsAndCountsAsTheLabel) {
    const struct {
        double lat, lon;
        bool west;
        const char* text;
    } cases[] = {
        {72.3149, -41.9551, false, "72.31\xC2\xB0 N, 318.04\xC2\xB0 E"},
        {-12.005, 12.5, false, "12.01\xC2\xB0 S, 12.50\xC2\xB0 E"},
        {-0.004, 359.996, false, "0.00\xC2\xB0 N, 0.00\xC2\xB0 E"},
        {45, -41.9551, true, "45.00\xC2\xB0 N, 41.96\xC2\xB0 W"},
        {-90, 170, true, "90.00\xC2\xB0 S, 190.00\xC2\xB0 W"},
    };
    for (const auto& c : cases) EXPECT_EQ(dusk::LatLonText({c.lat, c.lon}, c.west), c.text);
}

TEST(MapCoordinates, SpellingsAndFiguresThatMakeNoProjection) {
    EXPECT_EQ(dusk::KindOf("lambert_conformal"), dusk::KindOf("LAMBERT CONFORMAL CONIC"));
    EXPECT_EQ(dusk::KindOf("\"Simple Cylindrical\""), dusk::ProjectionKind::SimpleCylindrical);
    EXPECT_EQ(dusk::KindOf("MOLLWEIDE"), std::nullopt);
    EXPECT_EQ(dusk::KindOf("'STEREOGRAPHIC'"), dusk::ProjectionKind::PolarStereographic);
    MapProjection p;
    p.type = "SINUSOIDAL";
    p.aAxisRadius = 6051.8;
    EXPECT_EQ(dusk::MapCoordinates::Make(p), nullptr);  // no scale
    p.mapScale = 1;
    EXPECT_NE(dusk::MapCoordinates::Make(p), nullptr);
    p.aAxisRadius = std::nan("");
    EXPECT_EQ(dusk::MapCoordinates::Make(p), nullptr);
}

}  // namespace
