// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Measuring what is drawn on a file's raster: lengths, bearings, areas,
// crater diameters and profiles, along geodesics of the sphere or ellipsoid
// the label's map lies on (PROJ's geodesic functions), and in samples where
// the raster has no georeference.

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <geodesic.h>

#include "core/map_projection.h"
#include "geo/map_coordinates.h"

namespace dusk {

// The shortest way from one point of the body to another.
struct GeodesicLeg {
    double km = 0.0;
    double azimuth = 0.0;  // at the start: degrees clockwise from north, [0, 360)
};

// The sphere or ellipsoid that lengths and areas are measured on.
class Body {
public:
    explicit Body(const Ellipsoid& figure);

    const Ellipsoid& Figure() const { return figure_; }
    const geod_geodesic& Geodesic() const { return geodesic_; }
    // The geodesic from `from` to `to`.
    GeodesicLeg Between(const LatLon& from, const LatLon& to) const;

private:
    Ellipsoid figure_;
    geod_geodesic geodesic_{};
};

// Every measure says what it is in: in kilometres when the raster has a
// georeference and every point it needs lies where the projection has one;
// else in samples only, and its kilometre figures are 0.

// One straight segment of a drawn line.
struct SegmentMeasure {
    double samples = 0.0;  // Euclidean, in the raster
    double mapKm = 0.0;    // on the map plane: metres of the projection / 1000
    double bodyKm = 0.0;   // along the geodesic between its ends
    // Initial azimuth of that geodesic, degrees clockwise from north, [0, 360);
    // none for a segment of no length and in samples.
    std::optional<double> bearing;
};

// A line of one or more segments, point to point.
struct LineMeasure {
    bool inKilometres = false;
    std::vector<SegmentMeasure> segments;
    // Sums over the segments.
    double samples = 0.0;
    double mapKm = 0.0;
    double bodyKm = 0.0;
    // Of the geodesic from the first point to the last.
    std::optional<double> bearing;
};

// A polygon, closed from its last corner back to its first.
struct AreaMeasure {
    bool inKilometres = false;
    double bodyKm2 = 0.0;      // on the body, its edges geodesics
    double perimeterKm = 0.0;  // along those geodesics
    double samples2 = 0.0;     // in the raster, its edges straight
    double perimeterSamples = 0.0;
};

// A circle drawn on the raster; the radius in samples.
struct RasterCircle {
    RasterPoint centre;
    double radius = 0.0;
};

// The circle about `centre` through `rim`.
RasterCircle CircleFromCentre(const RasterPoint& centre, const RasterPoint& rim);
// The circle through three points of the rim; none when they lie on one line
// (or two coincide).
std::optional<RasterCircle> CircleThrough(const RasterPoint& a, const RasterPoint& b, const RasterPoint& c);

struct CraterMeasure {
    bool inKilometres = false;
    LatLon centre;              // of the drawn circle's centre
    double diameterKm = 0.0;    // on the body, as RasterGeodesy::Crater says
    double diameterSamples = 0.0;
};

// One point of a profile: its distance from the line's start and the sample
// nearest to it, whose values the caller reads.
struct ProfilePoint {
    double distanceKm = 0.0;       // along the geodesic from the start
    double distanceSamples = 0.0;  // in the raster
    int column = 0;
    int row = 0;
};

struct Profile {
    bool inKilometres = false;
    std::vector<ProfilePoint> points;
};

// The measures of one image's file raster. Built once per image (a
// projection seen for the first time costs about a millisecond), then each
// measure takes microseconds per point; used on the thread that built it,
// as MapCoordinates is.
class RasterGeodesy {
public:
    // Diameters a crater's size is averaged over, evenly around half a turn.
    static constexpr int kCraterDiameters = 36;

    // Without georeference: everything in samples.
    RasterGeodesy() = default;
    // With the label's projection where it makes coordinates.
    explicit RasterGeodesy(const std::optional<MapProjection>& projection);

    bool Georeferenced() const { return coordinates_ != nullptr; }
    // Null without georeference.
    const Body* OnBody() const { return body_ ? &*body_ : nullptr; }
    const MapCoordinates* Coordinates() const { return coordinates_.get(); }
    // Where a raster position lies on the body; none without georeference or
    // where the projection has no point.
    std::optional<LatLon> LatLonAt(const RasterPoint& point) const;

    // The line through `points` in order, segment by segment.
    LineMeasure Line(std::span<const RasterPoint> points) const;
    // The polygon of `corners` in either order; a polygon that crosses
    // itself counts its loops with their signs.
    AreaMeasure Polygon(std::span<const RasterPoint> corners) const;
    // The crater whose rim is drawn as `rim`: its centre where the drawn
    // circle's centre lies, and its diameter measured on the body, not on
    // the map. A map circle is not a circle on the body wherever the map's
    // scale changes across it, so for each of kCraterDiameters directions
    // evenly around half a turn the two rim points of the drawn circle in
    // that direction and the opposite one are mapped to the body and their
    // geodesic distances from the centre summed: the diameter is the mean of
    // these sums.
    CraterMeasure Crater(const RasterCircle& rim) const;
    // The samples along the straight raster line from `from` to `to`: N =
    // ceil(length in samples) + 1 evenly spaced points from one end to the
    // other, each with its nearest sample, those beyond a raster of `width`
    // x `height` left out. Each point's distance in km is the geodesic
    // distance from `from`, so that of the point at `to` is the line's length
    // on the body.
    Profile ProfileAlong(const RasterPoint& from, const RasterPoint& to, int width, int height) const;

private:
    // The places of `points` on the body; none if any has none.
    std::optional<std::vector<LatLon>> LatLonsAt(std::span<const RasterPoint> points) const;
    // The length on the map plane of the raster step from `a` to `b`.
    double MapKm(const RasterPoint& a, const RasterPoint& b) const;

    std::unique_ptr<MapCoordinates> coordinates_;
    std::optional<Body> body_;
};

}  // namespace dusk
