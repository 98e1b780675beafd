// SPDX-License-Identifier: GPL-3.0-or-later
// Lengths, bearings, areas, craters and profiles on a polar stereographic and
// a Lambert conformal map of a 6051.8 km sphere, against spherical
// trigonometry of our own (haversine, initial bearing, spherical excess).
#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "geo/geodesy.h"
#include "geo/map_coordinates.h"

namespace {

using dusk::LatLon;
using dusk::MapProjection;
using dusk::RasterGeodesy;
using dusk::RasterPoint;

constexpr double kRadius = 6051.8;
constexpr double kRad = std::numbers::pi / 180.0;
constexpr int kTile = 1024;

// Tiles of 1 km per sample: the north polar one with the pole at (512.5,
// 512.5); the Lambert one (parallels 40 and 60, centred on 50 N, 30 E) from
// 1,100 km south of the centre, its bottom at about 30 N.
MapProjection Polar(double line0 = 512, double sample0 = 512, double cAxis = kRadius) {
    MapProjection p;
    p.type = "POLAR STEREOGRAPHIC";
    p.aAxisRadius = p.bAxisRadius = kRadius;
    p.cAxisRadius = cAxis;
    p.centerLatitude = 90;
    p.lineProjectionOffset = line0;
    p.sampleProjectionOffset = sample0;
    p.mapScale = 1;
    return p;
}

MapProjection Lambert(double line0 = -1100, double sample0 = 512) {
    MapProjection p = Polar(line0, sample0);
    p.type = "LAMBERT CONFORMAL";
    p.centerLatitude = 50;
    p.centerLongitude = 30;
    p.firstStandardParallel = 40;
    p.secondStandardParallel = 60;
    return p;
}

double Haversine(const LatLon& a, const LatLon& b) {
    const double h = std::pow(std::sin((b.latitude - a.latitude) * kRad / 2), 2) +
                     std::cos(a.latitude * kRad) * std::cos(b.latitude * kRad) *
                         std::pow(std::sin((b.longitude - a.longitude) * kRad / 2), 2);
    return 2 * kRadius * std::asin(std::sqrt(h));
}

double SphereBearing(const LatLon& a, const LatLon& b) {
    const double dl = (b.longitude - a.longitude) * kRad;
    const double p1 = a.latitude * kRad;
    const double p2 = b.latitude * kRad;
    const double theta = std::atan2(std::sin(dl) * std::cos(p2),
                                    std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl));
    return std::fmod(theta / kRad + 360.0, 360.0);
}

// The area of a polygon of great circles: the signed excesses of the
// triangles (first corner, i, i + 1), each by Van Oosterom and Strackee's
// formula tan(E / 2) = det(a, b, c) / (1 + a.b + b.c + c.a).
double SphereArea(const std::vector<LatLon>& corners) {
    struct V {
        double x, y, z;
    };
    const auto unit = [](const LatLon& p) {
        return V{std::cos(p.latitude * kRad) * std::cos(p.longitude * kRad),
                 std::cos(p.latitude * kRad) * std::sin(p.longitude * kRad), std::sin(p.latitude * kRad)};
    };
    const auto dot = [](V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
    double excess = 0;
    for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
        const V a = unit(corners[0]), b = unit(corners[i]), c = unit(corners[i + 1]);
        const double det = a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) + a.z * (b.x * c.y - b.y * c.x);
        excess += 2 * std::atan2(det, 1 + dot(a, b) + dot(b, c) + dot(c, a));
    }
    return std::fabs(excess) * kRadius * kRadius;
}

// The places of raster positions through MapCoordinates of our own.
std::vector<LatLon> Places(const MapProjection& map, const std::vector<RasterPoint>& points) {
    const auto coordinates = dusk::MapCoordinates::Make(map);
    std::vector<LatLon> places;
    for (const RasterPoint& p : points) places.push_back(coordinates->AtPoint(p.column, p.row).value());
    return places;
}

void ExpectWithin(double actual, double expected, double share) {
    EXPECT_NEAR(actual, expected, share * std::fabs(expected));
}

TEST(Geodesy, LinesAndPolygonsAgreeWithTheSphere) {
    const std::vector<RasterPoint> aroundPole{{400, 400}, {620.5, 410}, {600, 640}, {410, 600.25}};
    const struct {
        const char* name;
        MapProjection map;
        std::vector<RasterPoint> points;
    } cases[] = {
        {"polar_across_the_pole", Polar(), {{300.5, 480}, {700, 530.25}, {690, 900}, {350, 880}}},
        {"polar_around_the_pole", Polar(), aroundPole},
        {"polar_around_the_pole_reversed", Polar(), {aroundPole.rbegin(), aroundPole.rend()}},
        {"lambert_whole_tile", Lambert(), {{10, 10}, {1000, 40}, {900, 1010}, {30, 700}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RasterGeodesy geodesy(c.map);
        const std::vector<LatLon> at = Places(c.map, c.points);
        const dusk::LineMeasure line = geodesy.Line(c.points);
        ASSERT_TRUE(line.inKilometres);
        ASSERT_EQ(line.segments.size(), c.points.size() - 1);
        double perimeter = Haversine(at.back(), at.front());
        for (std::size_t i = 0; i < line.segments.size(); ++i) {
            const dusk::SegmentMeasure& s = line.segments[i];
            ExpectWithin(s.bodyKm, Haversine(at[i], at[i + 1]), 1e-3);
            EXPECT_NEAR(std::remainder(s.bearing.value() - SphereBearing(at[i], at[i + 1]), 360.0), 0, 0.01);
            EXPECT_NEAR(s.mapKm, s.samples * c.map.mapScale, 1e-9);
            perimeter += Haversine(at[i], at[i + 1]);
        }
        EXPECT_NEAR(std::remainder(line.bearing.value() - SphereBearing(at.front(), at.back()), 360.0), 0, 0.01);
        const dusk::AreaMeasure area = geodesy.Polygon(c.points);
        ASSERT_TRUE(area.inKilometres);
        ExpectWithin(area.bodyKm2, SphereArea(at), 1e-3);
        ExpectWithin(area.perimeterKm, perimeter, 1e-3);
    }
}

// Adjacent tiles of one quad differ only in their offsets: a line from tile
// A into tile B, measured in A's raster or between one end in A and the
// other in B, has one length.
TEST(Geodesy, ALineAcrossATileEdgeMeasuresTheSameFromEitherTile) {
    const struct {
        MapProjection a, b;
        RasterPoint start, endInA, endInB;
    } cases[] = {
        {Lambert(), Lambert(-1100, 512 - kTile), {900, 300}, {kTile + 100, 420.5}, {100, 420.5}},  // B right of A
        {Polar(), Polar(512 - kTile), {500, 900}, {650, kTile + 276.0}, {650, 276}},              // B below A
    };
    for (const auto& c : cases) {
        const RasterGeodesy a(c.a);
        const RasterGeodesy b(c.b);
        const double inA = a.Line(std::vector{c.start, c.endInA}).bodyKm;
        const double acrossTiles = a.OnBody()->Between(a.LatLonAt(c.start).value(), b.LatLonAt(c.endInB).value()).km;
        ExpectWithin(inA, Haversine(Places(c.a, {c.start})[0], Places(c.b, {c.endInB})[0]), 1e-3);
        ExpectWithin(acrossTiles, inA, 1e-9);
    }
}

// A user draws a 20 km crater as a circle whose radius is 10 km at the
// picture's scale where it lies, or through three points of that rim. In the
// Lambert tile's corner that scale is 4 % off the map's own; over the pole
// every direction crosses meridians.
TEST(Geodesy, ACraterDrawnAt20KmMeasures20Km) {
    const struct {
        const char* name;
        MapProjection map;
        RasterPoint centre;
    } cases[] = {
        {"lambert_bottom_left_corner", Lambert(), {40.5, 985.5}},
        {"polar_over_the_pole", Polar(), {514.5, 510}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RasterGeodesy geodesy(c.map);
        const RasterPoint& o = c.centre;
        const std::vector<LatLon> at = Places(c.map, {{o.column - 0.5, o.row}, {o.column + 0.5, o.row}, o});
        const double radius = 10.0 / Haversine(at[0], at[1]);
        const auto rim = [&](double angle) {
            return RasterPoint{o.column + radius * std::cos(angle), o.row + radius * std::sin(angle)};
        };
        const std::optional<dusk::RasterCircle> throughThree = dusk::CircleThrough(rim(0.3), rim(2.0), rim(4.4));
        ASSERT_TRUE(throughThree.has_value());
        for (const dusk::RasterCircle& drawn : {dusk::CircleFromCentre(o, rim(1.0)), *throughThree}) {
            const dusk::CraterMeasure crater = geodesy.Crater(drawn);
            ASSERT_TRUE(crater.inKilometres);
            EXPECT_NEAR(crater.diameterKm, 20.0, 0.2);
            EXPECT_NEAR(crater.diameterSamples, 2 * radius, 1e-9);
            EXPECT_NEAR(crater.centre.latitude, at[2].latitude, 1e-9);
            EXPECT_NEAR(crater.centre.longitude, at[2].longitude, 1e-9);
        }
    }
    EXPECT_FALSE(dusk::CircleThrough({0, 0}, {1, 1}, {3, 3}));
    EXPECT_FALSE(dusk::CircleThrough({5, 5}, {5, 5}, {9, 1}));
}

// N = ceil(length) + 1 points from one end to the other, each at its
// geodesic distance from the start; those beyond the raster left out.
TEST(Geodesy, ProfileStepsOneSampleFromStartToEnd) {
    const RasterGeodesy geodesy(Lambert());
    const RasterPoint from{10.5, 20.5};
    const RasterPoint to{1010.2, 800.7};
    const dusk::Profile profile = geodesy.ProfileAlong(from, to, kTile, kTile);
    const double length = std::hypot(to.column - from.column, to.row - from.row);
    ASSERT_TRUE(profile.inKilometres);
    ASSERT_EQ(profile.points.size(), static_cast<std::size_t>(std::ceil(length)) + 1);
    EXPECT_NEAR(profile.points.back().distanceKm, geodesy.Line(std::vector{from, to}).bodyKm, 1e-9);
    const LatLon start = Places(Lambert(), {from})[0];
    for (std::size_t i = 0; i < profile.points.size(); i += 97) {
        const dusk::ProfilePoint& p = profile.points[i];
        const double t = static_cast<double>(i) / (profile.points.size() - 1);
        const RasterPoint on{from.column + t * (to.column - from.column), from.row + t * (to.row - from.row)};
        EXPECT_NEAR(p.distanceSamples, t * length, 1e-9);
        EXPECT_EQ(p.column, static_cast<int>(on.column));
        EXPECT_EQ(p.row, static_cast<int>(on.row));
        ExpectWithin(p.distanceKm, Haversine(start, Places(Lambert(), {on})[0]), 1e-3);
    }

    const struct {
        RasterPoint from, to;
        std::size_t count;
        int firstColumn, lastColumn, lastRow;
        double firstDistance;
    } clipped[] = {
        {{-50.5, 10.5}, {49.5, 10.5}, 50, 0, 49, 10, 51},            // enters from the left
        {{0, 0}, {kTile, kTile}, 1450, 0, kTile - 1, kTile - 1, 0},  // to the outer corner
        {{5.5, 5.5}, {5.5, 5.5}, 1, 5, 5, 5, 0},                     // a point
        {{-10, -10}, {-5, -20}, 0, 0, 0, 0, 0},                      // beside the raster
        {{std::nan(""), 0}, {1, 1}, 0, 0, 0, 0, 0},
    };
    for (const auto& c : clipped) {
        const dusk::Profile part = geodesy.ProfileAlong(c.from, c.to, kTile, kTile);
        ASSERT_EQ(part.points.size(), c.count) << c.from.column << "," << c.from.row;
        if (c.count == 0) continue;
        EXPECT_EQ(part.points.front().column, c.firstColumn);
        EXPECT_DOUBLE_EQ(part.points.front().distanceSamples, c.firstDistance);
        EXPECT_EQ(part.points.back().column, c.lastColumn);
        EXPECT_EQ(part.points.back().row, c.lastRow);
    }
}

// No georeference, a projection that is not understood, and a sinusoidal
// map whose points lie beyond its edge (north of the pole).
TEST(Geodesy, WithoutGeoreferenceEverythingIsInSamples) {
    MapProjection unknown = Polar();
    unknown.type = "MOLLWEIDE";
    MapProjection beyondEdge = Polar(10000, 0);
    beyondEdge.type = "SINUSOIDAL";
    beyondEdge.centerLatitude = 0;
    const RasterGeodesy cases[] = {RasterGeodesy(), RasterGeodesy(unknown), RasterGeodesy(beyondEdge)};
    ASSERT_TRUE(cases[2].Georeferenced());
    for (const RasterGeodesy& geodesy : cases) {
        const dusk::LineMeasure line = geodesy.Line(std::vector<RasterPoint>{{0, 0}, {3, 4}, {3, 24}});
        EXPECT_FALSE(line.inKilometres || line.bearing || line.segments.at(0).bearing);
        EXPECT_DOUBLE_EQ(line.samples, 25.0);
        EXPECT_DOUBLE_EQ(line.segments[0].samples, 5.0);
        const dusk::AreaMeasure area = geodesy.Polygon(std::vector<RasterPoint>{{0, 0}, {10, 0}, {10, 20}, {0, 20}});
        EXPECT_FALSE(area.inKilometres);
        EXPECT_DOUBLE_EQ(area.samples2, 200.0);
        EXPECT_DOUBLE_EQ(area.perimeterSamples, 60.0);
        const dusk::CraterMeasure crater = geodesy.Crater(dusk::CircleFromCentre({5, 5}, {8, 9}));
        EXPECT_FALSE(crater.inKilometres);
        EXPECT_DOUBLE_EQ(crater.diameterSamples, 10.0);
        const dusk::Profile profile = geodesy.ProfileAlong({0.5, 0.5}, {4.5, 3.5}, 10, 10);
        EXPECT_FALSE(profile.inKilometres);
        ASSERT_EQ(profile.points.size(), 6u);
        EXPECT_DOUBLE_EQ(profile.points.back().distanceSamples, 5.0);
    }
}

// Lengths are measured on the body the map's latitudes lie on: the polar
// map's ellipsoid of the A and C axes, the sinusoidal map's sphere.
TEST(Geodesy, TheBodyIsTheOneTheMapLiesOn) {
    MapProjection sinusoidal = Polar(0, 0, 6000);
    sinusoidal.type = "SINUSOIDAL";
    EXPECT_NEAR(RasterGeodesy(Polar(0, 0, 6000)).OnBody()->Figure().flattening, 51.8 / kRadius, 1e-12);
    EXPECT_EQ(RasterGeodesy(sinusoidal).OnBody()->Figure().flattening, 0.0);
    EXPECT_EQ(RasterGeodesy(sinusoidal).OnBody()->Figure().equatorialRadiusKm, kRadius);
}

}  // namespace
