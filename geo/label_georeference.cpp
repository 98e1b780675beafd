// SPDX-License-Identifier: GPL-3.0-or-later
#include "geo/label_georeference.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <vector>

#include "core/image_state.h"
#include "core/label.h"
#include "core/paths.h"
#include "geo/map_coordinates.h"

namespace dusk {

namespace {

// Points taken along each edge of the raster, and of the bounds, to find
// their extremes: enough that no extreme between two of them is missed by
// more than a small part of a pixel on a tile of the era.
constexpr int kEdgePoints = 48;
// The bounds agree where every edge lies within this many pixels of them.
constexpr double kAgreeingPixels = 2.0;

double Wrap180(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

// The bounds with longitudes counted east, the span from the minimum
// eastward (360 for a range all round).
struct EastBounds {
    double minLat = 0.0;
    double maxLat = 0.0;
    double minLon = 0.0;
    double span = 0.0;
    double rounding = 0.0;  // degrees
};

EastBounds ToEast(const LabelBounds& b, bool west) {
    double minLon = west ? -b.maximumLongitude : b.minimumLongitude;
    double maxLon = west ? -b.minimumLongitude : b.maximumLongitude;
    double span = std::fmod(maxLon - minLon + 720.0, 360.0);
    if (std::fabs(b.maximumLongitude - b.minimumLongitude) >= 359.99) span = 360.0;
    return {b.minimumLatitude, b.maximumLatitude, std::fmod(minLon + 720.0, 360.0), span, b.rounding};
}

// The outer edge of a width x height raster, as continuous raster positions.
std::vector<std::pair<double, double>> RasterEdge(int width, int height) {
    std::vector<std::pair<double, double>> points;
    points.reserve(4 * kEdgePoints);
    for (int i = 0; i < kEdgePoints; ++i) {
        const double t = static_cast<double>(i) / kEdgePoints;
        points.emplace_back(t * width, 0.0);
        points.emplace_back(width, t * height);
        points.emplace_back((1.0 - t) * width, height);
        points.emplace_back(0.0, (1.0 - t) * height);
    }
    return points;
}

// Whether the pole at `latitude` (90 or -90) lies on the raster.
bool HoldsPole(const MapCoordinates& map, double latitude, int width, int height) {
    const std::optional<MapPoint> pole = map.ToMap(LatLon{latitude, 0.0});
    if (!pole) return false;
    const GeoTransform& t = map.FileTransform();
    const double x = (pole->x - t[0]) / t[1];
    const double y = (pole->y - t[3]) / t[5];
    return x >= 0.0 && x <= width && y >= 0.0 && y <= height;
}

// How far, in km on the body, the raster's extent in latitude and longitude
// lies from the bounds at the worst of its four sides; none where the
// projection has no point for part of the raster.
std::optional<double> DistanceFromBounds(const MapCoordinates& map, const EastBounds& bounds, int width, int height) {
    const double kmPerDegree = std::numbers::pi * map.Projection().aAxisRadius / 180.0;
    const double reference = bounds.minLon + bounds.span / 2.0;
    double minLat = 90.0;
    double maxLat = -90.0;
    double minDelta = 180.0;
    double maxDelta = -180.0;
    // Of each side, the latitude nearest either pole.
    std::array<double, 4> northmost{-90.0, -90.0, -90.0, -90.0};
    std::array<double, 4> southmost{90.0, 90.0, 90.0, 90.0};
    const std::vector<std::pair<double, double>> edge = RasterEdge(width, height);
    for (std::size_t i = 0; i < edge.size(); ++i) {
        const std::optional<LatLon> at = map.AtPoint(edge[i].first, edge[i].second);
        if (!at) return std::nullopt;
        minLat = std::min(minLat, at->latitude);
        maxLat = std::max(maxLat, at->latitude);
        northmost[i % 4] = std::max(northmost[i % 4], at->latitude);
        southmost[i % 4] = std::min(southmost[i % 4], at->latitude);
        const double delta = Wrap180(at->longitude - reference);
        minDelta = std::min(minDelta, delta);
        maxDelta = std::max(maxDelta, delta);
    }
    bool allRound = false;
    double minLatOff = std::fabs(minLat - bounds.minLat);
    double maxLatOff = std::fabs(maxLat - bounds.maxLat);
    for (const double pole : {90.0, -90.0}) {
        if (!HoldsPole(map, pole, width, height)) continue;
        allRound = true;
        // About a pole the far bound may be where the corners reach, or, as
        // some polar products give it, the circle the sides touch: the side
        // points nearest the pole, at their furthest from it.
        if (pole > 0) {
            maxLat = pole;
            maxLatOff = std::fabs(maxLat - bounds.maxLat);
            const double touched = *std::min_element(northmost.begin(), northmost.end());
            minLatOff = std::min(minLatOff, std::fabs(touched - bounds.minLat));
        } else {
            minLat = pole;
            minLatOff = std::fabs(minLat - bounds.minLat);
            const double touched = *std::max_element(southmost.begin(), southmost.end());
            maxLatOff = std::min(maxLatOff, std::fabs(touched - bounds.maxLat));
        }
    }
    const double latitudeOff = std::max(0.0, std::max(minLatOff, maxLatOff) - bounds.rounding);
    // A degree of longitude is shortest at the latitude furthest from the
    // equator; take it where it is longest, so as never to understate.
    const double nearestEquator =
        minLat <= 0.0 && maxLat >= 0.0 ? 0.0 : std::min(std::fabs(minLat), std::fabs(maxLat));
    const double longitudeKm = kmPerDegree * std::cos(nearestEquator * std::numbers::pi / 180.0);
    double longitudeOff = 0.0;
    const bool boundsAllRound = bounds.span >= 359.99;
    if (allRound != boundsAllRound) {
        const double span = allRound ? bounds.span : maxDelta - minDelta;
        longitudeOff = (360.0 - span) / 2.0;
    } else if (!allRound) {
        longitudeOff = std::max(std::fabs(minDelta + bounds.span / 2.0), std::fabs(maxDelta - bounds.span / 2.0));
    }
    longitudeOff = std::max(0.0, longitudeOff - bounds.rounding);
    return std::max(latitudeOff * kmPerDegree, longitudeOff * longitudeKm);
}

// Offsets that centre the raster on the map extent of the bounds, for a
// label that gives none: where its figures are a pixel or two apart, the
// difference is shared by opposite edges.
bool PlaceAtBounds(MapProjection& p, const EastBounds& bounds, int width, int height) {
    p.offsetsFromBounds = false;
    p.lineProjectionOffset = 0.0;
    p.sampleProjectionOffset = 0.0;
    const std::unique_ptr<MapCoordinates> origin = MapCoordinates::Make(p);
    if (origin == nullptr) return false;
    double west = INFINITY;
    double east = -INFINITY;
    double north = -INFINITY;
    double south = INFINITY;
    const auto take = [&](double latitude, double longitude) {
        if (const std::optional<MapPoint> point = origin->ToMap(LatLon{latitude, Wrap180(longitude)})) {
            west = std::min(west, point->x);
            east = std::max(east, point->x);
            north = std::max(north, point->y);
            south = std::min(south, point->y);
        }
    };
    for (int i = 0; i <= kEdgePoints; ++i) {
        const double t = static_cast<double>(i) / kEdgePoints;
        const double longitude = bounds.minLon + t * bounds.span;
        const double latitude = bounds.minLat + t * (bounds.maxLat - bounds.minLat);
        take(bounds.maxLat, longitude);
        take(bounds.minLat, longitude);
        take(latitude, bounds.minLon);
        take(latitude, bounds.minLon + bounds.span);
    }
    if (!std::isfinite(west) || !std::isfinite(north) || width <= 0 || height <= 0) return false;
    const double d = p.mapScale * 1000.0;
    const double left = (west + east) / 2.0 - width * d / 2.0;
    const double top = (north + south) / 2.0 + height * d / 2.0;
    p.sampleProjectionOffset = -left / d - 0.5;
    p.lineProjectionOffset = top / d - 0.5;
    return true;
}

std::string Kilometres(double km) {
    char text[32];
    std::snprintf(text, sizeof text, km < 10.0 ? "%.1f" : "%.0f", km);
    return text;
}

}  // namespace

LabelGeoreference UnderstandLabelMap(const LabelMap& map, int width, int height, const std::string& labelName) {
    LabelGeoreference answer;
    answer.dialect = map.dialect;
    answer.bounds = map.bounds;
    answer.width = width;
    answer.height = height;
    const std::string name = labelName.empty() ? std::string("The label") : labelName;
    if (map.dialect == LabelDialect::None) return answer;
    if (map.readings.empty()) {
        answer.message = NoCoordinatesMessage(labelName, map.problem);
        return answer;
    }
    if (!KindOf(map.readings.front().type)) {
        answer.message = NoCoordinatesMessage(labelName, "the projection " + map.readings.front().type + " is not known");
        return answer;
    }

    // Every reading that makes a projection, with its distance from the
    // bounds; the first that agrees is taken, else the plain one.
    struct Candidate {
        MapProjection projection;
        std::optional<double> off;
    };
    std::vector<Candidate> candidates;
    const bool west = map.readings.front().positiveLongitudeWest;
    const bool bounded = map.bounds.has_value();
    const EastBounds bounds = bounded ? ToEast(*map.bounds, west) : EastBounds{};
    for (MapProjection p : map.readings) {
        if (p.offsetsFromBounds && (!bounded || !PlaceAtBounds(p, bounds, width, height))) continue;
        const std::unique_ptr<MapCoordinates> coordinates = MapCoordinates::Make(p);
        if (coordinates == nullptr) continue;
        std::optional<double> off;
        if (bounded && width > 0 && height > 0) off = DistanceFromBounds(*coordinates, bounds, width, height);
        candidates.push_back({std::move(p), off});
    }
    if (candidates.empty()) {
        answer.message = NoCoordinatesMessage(labelName, "its figures make no projection");
        return answer;
    }
    const Candidate* taken = &candidates.front();
    if (bounded) {
        for (const Candidate& c : candidates) {
            if (c.off && *c.off <= kAgreeingPixels * c.projection.mapScale + 1e-6) {
                taken = &c;
                break;
            }
        }
    }
    answer.projection = taken->projection;
    if (bounded) {
        if (!taken->off) {
            answer.agreement = BoundsAgreement::Disagrees;
            answer.worstKilometres = INFINITY;
            answer.message = name + ": part of it lies where its projection has no point";
        } else {
            answer.worstKilometres = *taken->off;
            const bool agrees = *taken->off <= kAgreeingPixels * taken->projection.mapScale + 1e-6;
            answer.agreement = agrees ? BoundsAgreement::Agrees : BoundsAgreement::Disagrees;
            if (!agrees) {
                answer.message = name + ": its corners lie " + Kilometres(*taken->off) +
                                 " km from where its projection puts them";
            }
        }
    }
    if (const MapCoordinates* coordinates = CoordinatesFor(*answer.projection)) {
        for (const auto& [x, y] : {std::pair{0.0, 0.0}, std::pair{1.0, 0.0}, std::pair{1.0, 1.0}, std::pair{0.0, 1.0}}) {
            answer.corners.push_back(coordinates->AtPoint(x * width, y * height));
        }
    }
    return answer;
}

void CheckLabelGeoreference() {
    ImageState& s = State();
    const int width = s.LabelImageGeometry ? s.LabelImageGeometry->lineSamples : s.ImageWidth;
    const int height = s.LabelImageGeometry ? s.LabelImageGeometry->lines : s.ImageHeight;
    const std::string path = LabelFilePath();
    s.Georeference = UnderstandLabelMap(s.LabelMapFigures, width, height, NamePart(path));
    s.Projection = s.Georeference.projection;
}

}  // namespace dusk
