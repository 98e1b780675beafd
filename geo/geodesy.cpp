// SPDX-License-Identifier: GPL-3.0-or-later
// The body of a map, and lengths and areas of what is drawn on its raster.
#include "geo/geodesy.h"

#include <cmath>

namespace dusk {

namespace {

// An azimuth of PROJ's (-180 to 180) as a bearing from 0 to 360.
double Bearing(double azimuth) {
    const double bearing = azimuth < 0.0 ? azimuth + 360.0 : azimuth;
    return bearing >= 360.0 ? 0.0 : bearing + 0.0;  // + 0.0 turns -0 into 0
}

double SamplesBetween(const RasterPoint& a, const RasterPoint& b) {
    return std::hypot(b.column - a.column, b.row - a.row);
}

}  // namespace

Body::Body(const Ellipsoid& figure) : figure_(figure) {
    geod_init(&geodesic_, figure.equatorialRadiusKm * 1000.0, figure.flattening);
}

GeodesicLeg Body::Between(const LatLon& from, const LatLon& to) const {
    double metres = 0.0;
    double azimuth = 0.0;
    geod_inverse(&geodesic_, from.latitude, from.longitude, to.latitude, to.longitude, &metres, &azimuth, nullptr);
    return {metres / 1000.0, Bearing(azimuth)};
}

RasterGeodesy::RasterGeodesy(const std::optional<MapProjection>& projection) {
    if (!projection) return;
    coordinates_ = MapCoordinates::Make(*projection);
    if (coordinates_ != nullptr) body_.emplace(coordinates_->BodyEllipsoid());
}

std::optional<LatLon> RasterGeodesy::LatLonAt(const RasterPoint& point) const {
    if (coordinates_ == nullptr) return std::nullopt;
    return coordinates_->AtPoint(point.column, point.row);
}

std::optional<std::vector<LatLon>> RasterGeodesy::LatLonsAt(std::span<const RasterPoint> points) const {
    if (coordinates_ == nullptr) return std::nullopt;
    std::vector<LatLon> places;
    places.reserve(points.size());
    for (const RasterPoint& point : points) {
        const std::optional<LatLon> place = coordinates_->AtPoint(point.column, point.row);
        if (!place) return std::nullopt;
        places.push_back(*place);
    }
    return places;
}

double RasterGeodesy::MapKm(const RasterPoint& a, const RasterPoint& b) const {
    const GeoTransform& t = coordinates_->FileTransform();
    const double columns = b.column - a.column;
    const double rows = b.row - a.row;
    return std::hypot(columns * t[1] + rows * t[2], columns * t[4] + rows * t[5]) / 1000.0;
}

LineMeasure RasterGeodesy::Line(std::span<const RasterPoint> points) const {
    LineMeasure line;
    for (std::size_t i = 1; i < points.size(); ++i) {
        SegmentMeasure segment;
        segment.samples = SamplesBetween(points[i - 1], points[i]);
        line.samples += segment.samples;
        line.segments.push_back(segment);
    }
    const std::optional<std::vector<LatLon>> places = LatLonsAt(points);
    line.inKilometres = places.has_value();
    if (!places) return line;
    for (std::size_t i = 1; i < points.size(); ++i) {
        SegmentMeasure& segment = line.segments[i - 1];
        const GeodesicLeg leg = body_->Between((*places)[i - 1], (*places)[i]);
        segment.mapKm = MapKm(points[i - 1], points[i]);
        segment.bodyKm = leg.km;
        if (leg.km > 0.0) segment.bearing = leg.azimuth;
        line.mapKm += segment.mapKm;
        line.bodyKm += segment.bodyKm;
    }
    if (points.size() >= 2) {
        const GeodesicLeg whole = body_->Between(places->front(), places->back());
        if (whole.km > 0.0) line.bearing = whole.azimuth;
    }
    return line;
}

AreaMeasure RasterGeodesy::Polygon(std::span<const RasterPoint> corners) const {
    AreaMeasure area;
    double twiceSigned = 0.0;  // the shoelace sum
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const RasterPoint& a = corners[i];
        const RasterPoint& b = corners[(i + 1) % corners.size()];
        twiceSigned += a.column * b.row - b.column * a.row;
        area.perimeterSamples += SamplesBetween(a, b);
    }
    area.samples2 = std::fabs(twiceSigned) / 2.0;
    const std::optional<std::vector<LatLon>> places = LatLonsAt(corners);
    area.inKilometres = places.has_value();
    if (!places || places->empty()) return area;
    geod_polygon polygon;
    geod_polygon_init(&polygon, 0);
    for (const LatLon& place : *places) {
        geod_polygon_addpoint(&body_->Geodesic(), &polygon, place.latitude, place.longitude);
    }
    // Signed, so that a polygon drawn clockwise gives its own area, not
    // that of the rest of the body.
    double squareMetres = 0.0;
    double metres = 0.0;
    geod_polygon_compute(&body_->Geodesic(), &polygon, 0, 1, &squareMetres, &metres);
    area.bodyKm2 = std::fabs(squareMetres) / 1e6;
    area.perimeterKm = metres / 1000.0;
    return area;
}

}  // namespace dusk
