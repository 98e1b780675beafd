// SPDX-License-Identifier: GPL-3.0-or-later
// The marks exports of a sample tile, through the exporter's --marks: the
// crater count read by a parser of the Craterstats format written here, the
// GeoPackage read by ogrinfo, its points carried by gdaltransform onto the
// pixels of the exporter's GeoTIFF that show their samples; the CSV.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/label_keywords.h"
#include "core/readout.h"
#include "geo/label_georeference.h"
#include "load/load_image.h"
#include "marks/marks_export.h"
#include "marks/marks_store.h"
#include "temp_dir.h"
#include "tools/export.h"

namespace dusk {
namespace {

const std::string kTile = DUSK_SAMPLES_DIR "/V0501.img";
const std::string kNextTile = DUSK_SAMPLES_DIR "/V0502.img";

std::string Shell(const std::string& command) {
    std::string output;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

int Export(const std::vector<std::string>& args, std::string& messages) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = ExportCommand(args, out, err, false);
    messages = err.str();
    return status;
}

// A crater count as the Craterstats format lays it out: "name = value
// <unit>" lines, and tables "name = {column,column" of tab-separated rows
// up to "}"; "#" starts a comment line.
struct CraterCountFile {
    std::map<std::string, double> values;
    std::map<std::string, std::vector<std::vector<std::string>>> tables;
};

CraterCountFile ParseScc(const std::string& text) {
    CraterCountFile file;
    std::istringstream lines(text);
    std::string line;
    std::string table;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (!table.empty()) {
            if (line == "}") {
                table.clear();
                continue;
            }
            std::vector<std::string> row;
            std::istringstream fields(line);
            for (std::string field; std::getline(fields, field, '\t');) row.push_back(field);
            file.tables[table].push_back(row);
            continue;
        }
        const std::size_t equals = line.find(" = ");
        if (equals == std::string::npos) continue;
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 3);
        if (value[0] == '{') {
            table = name;
            file.tables[table].push_back({value.substr(1)});  // the column names
        } else {
            file.values[name] = std::strtod(value.c_str(), nullptr);
        }
    }
    return file;
}

// The area of a small polygon of lon/lat degrees on a sphere of `radius`:
// the line integral of the sine of the latitude.
double SphericalArea(const std::vector<std::pair<double, double>>& lonLat, double radius) {
    const double rad = std::numbers::pi / 180.0;
    double sum = 0.0;
    for (std::size_t i = 0; i + 1 < lonLat.size(); ++i) {
        const auto [l1, p1] = lonLat[i];
        const auto [l2, p2] = lonLat[i + 1];
        sum += (l2 - l1) * rad * (std::sin(p1 * rad) + std::sin(p2 * rad));
    }
    return std::fabs(sum) * radius * radius / 2.0;
}

class MarksExport : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", dir_.path().c_str(), 1);
        std::string error;
        auto store = MarksStore::Open(DefaultMarksPath(), error);
        ASSERT_TRUE(store) << error;
        const std::string key = ContentKeyOfFile(kTile, error);
        ASSERT_FALSE(key.empty()) << error;
        const auto add = [&](MarkKind kind, std::vector<RasterPoint> points, double radius, const char* note) {
            Mark mark;
            mark.kind = kind;
            mark.points = std::move(points);
            mark.radius = radius;
            mark.note = note;
            const auto id = store->Add(key, "V0501.img", mark, error);
            ASSERT_TRUE(id) << error;
            ids_[note] = *id;
        };
        add(MarkKind::Point, {{100.5, 200.5}}, 0, "point, west");
        add(MarkKind::Point, {{900.5, 650.5}}, 0, "point east");
        add(MarkKind::Distance, {{10, 10}, {400, 300}, {700, 20}}, 0, "line");
        add(MarkKind::Area, {{200, 200}, {600, 200}, {600, 500}, {200, 500}}, 0, "area");
        add(MarkKind::Crater, {{300, 300}}, 10, "crater small");
        add(MarkKind::Crater, {{500, 400}}, 25, "crater large");
        add(MarkKind::Crater, {{800, 100}}, 8, "crater outside");
        Mark next;
        next.points = {{50.5, 60.5}};
        const auto id = store->Add(ContentKeyOfFile(kNextTile, error), "V0502.img", next, error);
        ASSERT_TRUE(id) << error;
        ids_["next tile"] = *id;
    }
    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }

    TempDir dir_;
    std::map<std::string, std::int64_t> ids_;
};

TEST_F(MarksExport, CraterCountHoldsTheCratersAndTheAreaDrawn) {
    const std::string out = (dir_.path() / "count.scc").string();
    std::string messages;
    ASSERT_EQ(Export({"--marks", kTile, "-o", out}, messages), 0) << messages;
    EXPECT_NE(messages.find("1 craters lie outside the counting area"), std::string::npos) << messages;
    std::ifstream in(out);
    const CraterCountFile scc = ParseScc(std::string(std::istreambuf_iterator<char>(in), {}));

    const double radius = scc.values.at("a_axis_radius");
    EXPECT_NEAR(radius, 6051.8, 1.0);
    // The area: one ring, closed, whose spherical area is Total_area; the
    // tile is about 1 km a sample, so 400 x 300 samples are about 120,000 km^2.
    const auto& boundary = scc.tables.at("unit_boundary");
    ASSERT_EQ(boundary.size(), 1u + 5u);
    EXPECT_EQ(boundary[0][0], "vertex,sub_area,tag,lon,lat");
    std::vector<std::pair<double, double>> ring;
    for (std::size_t i = 1; i < boundary.size(); ++i) {
        ASSERT_EQ(boundary[i].size(), 5u);
        EXPECT_EQ(boundary[i][0], std::to_string(i));
        EXPECT_EQ(boundary[i][1], "1");
        EXPECT_EQ(boundary[i][2], "ext");
        ring.emplace_back(std::stod(boundary[i][3]), std::stod(boundary[i][4]));
    }
    EXPECT_EQ(ring.front(), ring.back());
    const double total = scc.values.at("Total_area");
    EXPECT_NEAR(total, SphericalArea(ring, radius), 0.005 * total);
    EXPECT_NEAR(total, 120000.0, 0.05 * 120000.0);

    // The two craters inside, about 20 and 50 km across, inside the ring's
    // span of longitudes and latitudes.
    const auto& craters = scc.tables.at("crater");
    ASSERT_EQ(craters.size(), 1u + 2u);
    EXPECT_EQ(craters[0][0], "diam,lon,lat");
    double lonMin = 1e9, lonMax = -1e9, latMin = 1e9, latMax = -1e9;
    for (const auto& [lon, lat] : ring) {
        lonMin = std::min(lonMin, lon), lonMax = std::max(lonMax, lon);
        latMin = std::min(latMin, lat), latMax = std::max(latMax, lat);
    }
    const double diameters[] = {20.0, 50.0};
    for (std::size_t i = 1; i < craters.size(); ++i) {
        ASSERT_EQ(craters[i].size(), 3u);
        EXPECT_NEAR(std::stod(craters[i][0]), diameters[i - 1], 0.05 * diameters[i - 1]);
        EXPECT_GT(std::stod(craters[i][1]), lonMin);
        EXPECT_LT(std::stod(craters[i][1]), lonMax);
        EXPECT_GT(std::stod(craters[i][2]), latMin);
        EXPECT_LT(std::stod(craters[i][2]), latMax);
    }
}

TEST_F(MarksExport, GeoPackagePointsLandOnTheGeoTiffsPixels) {
    if (std::system("ogrinfo --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "gdal-bin is not installed";
    const std::string gpkg = (dir_.path() / "marks.gpkg").string();
    std::string messages;
    ASSERT_EQ(Export({"--marks", kTile, kNextTile, "-o", gpkg}, messages), 0) << messages;
    // The GeoTIFF of each tile, and the mapping of its picture to its file.
    struct Shown {
        std::string tif;
        DisplayMapping mapping;
    };
    std::map<std::string, Shown> shown;
    SetGeoreferenceCheck(&CheckLabelGeoreference);
    PictureSettings picture;
    picture.options[OptStretch] = 1;
    for (const std::string& tile : {kTile, kNextTile}) {
        const std::string tif = (dir_.path() / (tile.substr(tile.size() - 8, 4) + ".tif")).string();
        ASSERT_EQ(Export({"--stretch", tile, "-o", tif}, messages), 0) << messages;
        const WorkingBuffers buffers = LoadPicture(tile, picture);
        shown[tile] = {tif, CurrentDisplayMapping()};
    }
    const std::string tif = shown[kTile].tif;

    const std::string summary = Shell("ogrinfo -ro -so -al " + gpkg);
    for (const auto& [layer, count] : {std::pair{"points", 3}, {"lines", 1}, {"polygons", 1}, {"craters", 3}}) {
        const std::size_t at = summary.find(std::string("Layer name: ") + layer);
        ASSERT_NE(at, std::string::npos) << summary;
        EXPECT_NE(summary.find("Feature Count: " + std::to_string(count), at), std::string::npos) << layer;
    }
    EXPECT_NE(summary.find("mark_id: Integer64"), std::string::npos) << summary;
    EXPECT_EQ(Shell("gdalsrsinfo -o proj4 " + gpkg), Shell("gdalsrsinfo -o proj4 " + tif));
    EXPECT_NE(Shell("gdalsrsinfo -o proj4 " + gpkg).find("+proj=lcc"), std::string::npos);
    const std::string rims = Shell("ogrinfo -ro -q " + gpkg + " craters");
    const std::size_t polygon = rims.find("POLYGON ((");
    ASSERT_NE(polygon, std::string::npos);
    const std::string ring = rims.substr(polygon, rims.find("))", polygon) - polygon);
    EXPECT_EQ(std::count(ring.begin(), ring.end(), ','), kRimVertices);

    // Each point, carried into its tile's GeoTIFF raster, lies in the middle
    // of the picture's pixel that shows its sample.
    struct Sample {
        std::string tile;
        int column;
        int row;
    };
    std::map<std::int64_t, Sample> samples{{ids_["point, west"], {kTile, 100, 200}},
                                           {ids_["point east"], {kTile, 900, 650}},
                                           {ids_["next tile"], {kNextTile, 50, 60}}};
    std::istringstream features(Shell("ogrinfo -ro -q " + gpkg + " points"));
    std::size_t found = 0;
    std::int64_t id = 0;
    for (std::string line; std::getline(features, line);) {
        if (line.find("mark_id (Integer64) = ") != std::string::npos) id = std::stoll(line.substr(line.find('=') + 1));
        const std::size_t at = line.find("POINT (");
        if (at == std::string::npos) continue;
        ASSERT_TRUE(samples.count(id)) << id;
        const Sample& sample = samples[id];
        const std::string xy = line.substr(at + 7, line.find(')') - at - 7);
        std::istringstream pixel(Shell("echo " + xy + " | gdaltransform -i " + shown[sample.tile].tif));
        double x = 0, y = 0;
        ASSERT_TRUE(pixel >> x >> y) << xy;
        EXPECT_NEAR(x - std::floor(x), 0.5, 1e-6);
        EXPECT_NEAR(y - std::floor(y), 0.5, 1e-6);
        const FilePoint file = MapToFile(shown[sample.tile].mapping, static_cast<int>(x), static_cast<int>(y));
        EXPECT_EQ(file.column, sample.column) << id;
        EXPECT_EQ(file.row, sample.row) << id;
        ++found;
    }
    EXPECT_EQ(found, samples.size());
}

TEST_F(MarksExport, MeasurementsAsCsvAndWhatIsRefused) {
    const std::string csv = (dir_.path() / "marks.csv").string();
    std::string messages;
    ASSERT_EQ(Export({"--marks", kTile, "-o", csv}, messages), 0) << messages;
    std::ifstream in(csv);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], kMeasurementsHeader);
    EXPECT_EQ(lines[1].rfind("V0501.img," + std::to_string(ids_["point, west"]) + ",point,samples,", 0), 0u)
        << lines[1];
    EXPECT_NE(lines[1].find(",100.5 200.5,\"point, west\","), std::string::npos) << lines[1];

    struct Refusal {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const Refusal refusals[] = {
        {{"--marks", kTile, "-o", (dir_.path() / "m.png").string()}, 1, "written as .gpkg, .scc or .csv"},
        {{"--marks", "--stats", kTile}, 2, "--marks cannot be combined"},
        {{"--marks", (dir_.path() / "none.img").string(), "-o", csv}, 1, "none.img"},
    };
    for (const Refusal& r : refusals) {
        EXPECT_EQ(Export(r.args, messages), r.status) << r.says;
        EXPECT_NE(messages.find(r.says), std::string::npos) << messages;
    }
    ::setenv("XDG_DATA_HOME", (dir_.path() / "elsewhere").c_str(), 1);
    EXPECT_EQ(Export({"--marks", kTile, "-o", csv}, messages), 1);
    EXPECT_NE(messages.find("there is no marks store"), std::string::npos) << messages;
}

TEST(MarksCsv, ProfileGivesEachPointsSample) {
    constexpr int kWidth = 10;
    constexpr int kHeight = 4;
    std::vector<std::uint8_t> raster(kWidth * kHeight);
    for (int row = 0; row < kHeight; ++row) {
        for (int column = 0; column < kWidth; ++column) raster[row * kWidth + column] = column * 10 + row;
    }
    const Profile profile = RasterGeodesy().ProfileAlong({0.5, 0.5}, {8.5, 3.5}, kWidth, kHeight);
    std::istringstream lines(ProfileCsv(profile, raster, kWidth));
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, kProfileHeader);
    std::size_t count = 0;
    for (; std::getline(lines, line); ++count) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, ',');) fields.push_back(field);
        ASSERT_EQ(fields.size(), 5u) << line;
        EXPECT_EQ(fields[0], "") << "no kilometres without georeference";
        const int column = std::stoi(fields[2]);
        const int row = std::stoi(fields[3]);
        EXPECT_EQ(std::stoi(fields[4]), column * 10 + row) << line;
    }
    EXPECT_EQ(count, profile.points.size());
    EXPECT_GE(count, 9u);
}

}  // namespace
}  // namespace dusk
