// SPDX-License-Identifier: GPL-3.0-or-later
// The georeference of labels of every dialect of the era, checked against
// the bounds they give; distances on the sphere by a haversine of our own.
#include <cmath>
#include <numbers>
#include <string>

#include <gtest/gtest.h>

#include "core/label_keywords.h"
#include "core/label_map.h"
#include "core/odl.h"
#include "geo/georeference_text.h"
#include "geo/label_georeference.h"
#include "real_labels.h"

namespace {

using dusk::BoundsAgreement;
using dusk::LabelGeoreference;
using real_labels::Replaced;

double Haversine(double lat1, double lon1, double lat2, double lon2, double radius) {
    const double r = std::numbers::pi / 180.0;
    const double a = std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
                     std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 2 * radius * std::asin(std::sqrt(a));
}

LabelGeoreference Understand(const std::string& text) {
    const dusk::OdlLabel label = dusk::ParseOdl(text);
    const auto raster = dusk::ImageGeometryOf(label);
    return dusk::UnderstandLabelMap(dusk::ReadLabelMap(label), raster ? raster->lineSamples : 1052,
                                    raster ? raster->lines : 660, "X.lbl");
}

// The corners lie within a pixel of the bounds: on these maps the top left
// corner at the maximum latitude and minimum longitude, the bottom right at
// the minimum latitude and maximum longitude.
TEST(RealLabels, AgreeWithTheirOwnBoundsWithinAPixel) {
    for (const real_labels::RealLabel& real : real_labels::kRealLabels) {
        SCOPED_TRACE(real.name);
        const LabelGeoreference g = Understand(real.text);
        ASSERT_TRUE(g.projection.has_value()) << g.message;
        EXPECT_EQ(g.agreement, BoundsAgreement::Agrees) << g.worstKilometres;
        EXPECT_EQ(g.message, "");
        EXPECT_EQ(g.width, real.samples);
        ASSERT_EQ(g.corners.size(), 4u);
        ASSERT_TRUE(g.corners[0] && g.corners[2]);
        const double radius = g.projection->aAxisRadius;
        const double kmPerDegree = std::numbers::pi * radius / 180.0;
        // Within a pixel in latitude and in longitude, each bound good to its
        // last written digit; a Mercator pixel covers less ground away from
        // the equator.
        const double rounding = kmPerDegree * real.written;
        const auto near = [&](const dusk::LatLon& corner, double latitude, double longitude) {
            const double cosine = std::cos(latitude * std::numbers::pi / 180.0);
            const bool mercator = g.projection->type == "MERCATOR";
            const double pixel = g.projection->mapScale * (mercator ? cosine : 1.0);
            const double dLon = std::remainder(corner.longitude - longitude, 360.0);
            EXPECT_LE(std::fabs(corner.latitude - latitude) * kmPerDegree, pixel + rounding) << corner.latitude;
            EXPECT_LE(std::fabs(dLon) * kmPerDegree * cosine, pixel + rounding) << corner.longitude;
        };
        if (real.cornerLatitude != 0.0) {
            for (const auto& corner : g.corners) {
                ASSERT_TRUE(corner);
                EXPECT_LE(Haversine(corner->latitude, 0.0, real.cornerLatitude, 0.0, radius), g.projection->mapScale);
            }
            continue;
        }
        near(*g.corners[0], real.maxLatitude, real.minLongitude);
        near(*g.corners[2], real.minLatitude, real.maxLongitude);
    }
}

// Where the label leaves the axis of its offsets or the unit of its scale
// open, the bounds decide; where nothing agrees, the plain reading stays and
// the message says how far off it is.
TEST(RealLabels, TheBoundsDecideWhatTheFiguresLeaveOpen) {
    const std::string framelet = real_labels::kFmidrFramelet;
    const struct {
        const char* change;
        std::string text;
        BoundsAgreement agreement;
        const char* reading;
        const char* message;
    } cases[] = {
        {"as written", framelet, BoundsAgreement::Agrees, "X along the lines, MAP_SCALE in metres per pixel", ""},
        {"offsets the other way round",
         Replaced(Replaced(framelet, "X_AXIS_PROJECTION_OFFSET = 3584", "X_AXIS_PROJECTION_OFFSET = 4096"),
                  "Y_AXIS_PROJECTION_OFFSET = 4096", "Y_AXIS_PROJECTION_OFFSET = 3584"),
         BoundsAgreement::Agrees, "X along the samples, MAP_SCALE in metres per pixel", ""},
        {"scale in km", Replaced(framelet, "MAP_SCALE = 75", "MAP_SCALE = 0.075"), BoundsAgreement::Agrees,
         "X along the lines, MAP_SCALE in km per pixel", ""},
        {"scale with its unit", Replaced(framelet, "MAP_SCALE = 75", "MAP_SCALE = 75 <M/PIXEL>"),
         BoundsAgreement::Agrees, "X along the lines", ""},
        {"no resolution: a scale of 75 is read as metres",
         Replaced(framelet, "MAP_RESOLUTION = 1407.4", "MAP_RESOLUTION = 'N/A'"), BoundsAgreement::Agrees,
         "X along the lines, MAP_SCALE in metres per pixel", ""},
        {"a bound 0.4 degrees off", Replaced(framelet, "MAXIMUM_LATITUDE = 2.5452", "MAXIMUM_LATITUDE = 2.9452"),
         BoundsAgreement::Disagrees, "X along the lines, MAP_SCALE in metres per pixel",
         "X.lbl: its corners lie 42 km from where its projection puts them"},
        {"no bounds", Replaced(framelet, "MINIMUM_LATITUDE = 1.8187", ""), BoundsAgreement::NoBounds,
         "X along the lines, MAP_SCALE in metres per pixel", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        const LabelGeoreference g = Understand(c.text);
        ASSERT_TRUE(g.projection.has_value()) << g.message;
        EXPECT_EQ(g.agreement, c.agreement) << g.worstKilometres;
        EXPECT_EQ(g.projection->reading, c.reading);
        EXPECT_EQ(g.message, c.message);
    }
}

TEST(RealLabels, FiguresThatMakeNoProjectionSayWhy) {
    const std::string framelet = real_labels::kFmidrFramelet;
    const std::string arecibo = real_labels::kAreciboSouth;
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {Replaced(framelet, "MAP_SCALE = 75", "MAP_SCALE = 0"), "MAP_SCALE is not above 0"},
        {Replaced(Replaced(framelet, "MAP_SCALE = 75", "MAP_SCALE = 'N/A'"), "MAP_RESOLUTION = 1407.4", ""),
         "no MAP_SCALE"},
        {Replaced(framelet, "MAP_SCALE = 75", "MAP_SCALE = 75 <FURLONG>"), "MAP_SCALE is in FURLONG, a unit not known"},
        {Replaced(Replaced(framelet, "A_AXIS_RADIUS = 6051.92", "A_AXIS_RADIUS = 'N/A'"), "TARGET_NAME = VENUS", ""),
         "no A_AXIS_RADIUS"},
        {Replaced(arecibo, "TARGET_NAME = VENUS", "TARGET_NAME = CERES"), "no A_AXIS_RADIUS"},
        {Replaced(framelet, "MAP_PROJECTION_TYPE = SINUSOIDAL", "MAP_PROJECTION_TYPE = 'N/A'"),
         "no MAP_PROJECTION_TYPE"},
        {Replaced(framelet, "SINUSOIDAL", "MOLLWEIDE"), "the projection MOLLWEIDE is not known"},
        {Replaced(arecibo, "MINIMUM_LATITUDE = -45.00", ""), "no projection offsets and no bounds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const LabelGeoreference g = Understand(c.text);
        EXPECT_FALSE(g.projection.has_value());
        EXPECT_EQ(g.message, std::string("X.lbl gives no map coordinates: ") + c.why);
        // The Label Keywords window says the same.
        const auto rows = dusk::DescribeGeoreference(g);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1].value, "none: " + g.message);
    }
    // A label with no map says nothing at all.
    const LabelGeoreference none = Understand("OBJECT = IMAGE\n LINES = 5\n LINE_SAMPLES = 5\nEND_OBJECT\nEND\n");
    EXPECT_EQ(none.message, "");
    EXPECT_TRUE(dusk::DescribeGeoreference(none).empty());
}

}  // namespace
