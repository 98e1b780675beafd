// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where a sample of the file's raster lies on Venus, from the map projection
// of its label: the projected coordinate reference system, the geotransform
// from raster to map metres, and latitude and longitude.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "core/map_projection.h"

namespace dusk {

// Raster position to map metres, as GDAL writes it: X = t[0] + column * t[1]
// + row * t[2], Y = t[3] + column * t[4] + row * t[5], where column and row
// are continuous and (0, 0) is the outer top left corner of the first sample.
using GeoTransform = std::array<double, 6>;

// A point of the map, in metres east and north of the projection's origin.
struct MapPoint {
    double x = 0.0;
    double y = 0.0;
};

// The sphere or ellipsoid that a reference system's latitudes and longitudes
// lie on.
struct Ellipsoid {
    double equatorialRadiusKm = 0.0;
    double flattening = 0.0;  // 0 for a sphere
};

// The projections of the label that are understood, by their canonical name;
// other names give no coordinates.
enum class ProjectionKind {
    PolarStereographic,
    LambertConformal,
    Equirectangular,
    SimpleCylindrical,
    Sinusoidal,
    Mercator,
};

// The kind a MAP_PROJECTION_TYPE names, in any case, with blanks or
// underscores ("LAMBERT CONFORMAL", "LAMBERT_CONFORMAL_CONIC", "SIMPLE
// CYLINDRICAL"...); none for projections that are not understood.
std::optional<ProjectionKind> KindOf(const std::string& projectionType);

// The coordinates of one projection, built once and asked for every sample:
// the coordinate transformation is kept, so a position costs microseconds.
class MapCoordinates {
public:
    // Empty when the projection is not understood or its figures do not make
    // a projection (no radius, no scale).
    static std::unique_ptr<MapCoordinates> Make(const MapProjection& projection);
    ~MapCoordinates();
    MapCoordinates(const MapCoordinates&) = delete;
    MapCoordinates& operator=(const MapCoordinates&) = delete;

    // The projected reference system as WKT, on a sphere or ellipsoid named
    // after Venus; longitudes in it count east.
    const std::string& Wkt() const;
    // The body of that reference system: the polar stereographic and the
    // Lambert conformal maps lie on the ellipsoid of the A and C axes, the
    // others on the sphere of the A axis.
    const Ellipsoid& BodyEllipsoid() const;
    // The file raster's geotransform.
    const GeoTransform& FileTransform() const { return transform_; }
    // The latitude and longitude of the centre of the sample at `column`, `row`
    // of the file's raster (both from 0), on the reference system's own
    // sphere or ellipsoid; none where the projection has no point there.
    std::optional<LatLon> At(double column, double row) const;
    // The same at a continuous raster position: (0, 0) is the outer top
    // left corner of the first sample, (width, height) the outer bottom right
    // corner of the last.
    std::optional<LatLon> AtPoint(double x, double y) const;
    // Map metres of a point on the body; none where the projection has no
    // point for it.
    std::optional<MapPoint> ToMap(const LatLon& position) const;

    const MapProjection& Projection() const { return projection_; }

    struct Transformer;

private:
    MapCoordinates(MapProjection projection, GeoTransform transform, std::shared_ptr<const Transformer> transformer);

    MapProjection projection_;
    GeoTransform transform_{};
    std::shared_ptr<const Transformer> transformer_;
};

// The coordinates of `projection`, built on the first call and kept on this
// thread while the same projection is asked for; null where Make gives none.
const MapCoordinates* CoordinatesFor(const MapProjection& projection);

}  // namespace dusk
