// SPDX-License-Identifier: GPL-3.0-or-later
#include "geo/map_coordinates.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

#include <ogr_spatialref.h>

namespace dusk {

namespace {

struct KindName {
    const char* spelling;  // upper case, words joined by '_'
    ProjectionKind kind;
};

constexpr KindName kKinds[] = {
    {"POLAR_STEREOGRAPHIC", ProjectionKind::PolarStereographic},
    {"LAMBERT_CONFORMAL", ProjectionKind::LambertConformal},
    {"LAMBERT_CONFORMAL_CONIC", ProjectionKind::LambertConformal},
    {"EQUIRECTANGULAR", ProjectionKind::Equirectangular},
    {"SIMPLE_CYLINDRICAL", ProjectionKind::SimpleCylindrical},
    {"SINUSOIDAL", ProjectionKind::Sinusoidal},
    {"MERCATOR", ProjectionKind::Mercator},
    // A stereographic map of the era centred on a pole (Magellan's P-MIDR).
    {"STEREOGRAPHIC", ProjectionKind::PolarStereographic},
};

// The name the reference system is given: the projection as GDAL's PDS
// driver names it, then the body.
const char* SystemName(ProjectionKind kind) {
    switch (kind) {
        case ProjectionKind::PolarStereographic:
            return "POLAR_STEREOGRAPHIC VENUS";
        case ProjectionKind::LambertConformal:
            return "LAMBERT_CONFORMAL_CONIC VENUS";
        case ProjectionKind::Equirectangular:
            return "EQUIRECTANGULAR VENUS";
        case ProjectionKind::SimpleCylindrical:
            return "SIMPLE_CYLINDRICAL VENUS";
        case ProjectionKind::Sinusoidal:
            return "SINUSOIDAL VENUS";
        case ProjectionKind::Mercator:
            return "MERCATOR VENUS";
    }
    return "VENUS";
}

// The reference system of the label, built as GDAL's PDS driver builds it
// for the same label, so that both give the same coordinates: the
// cylindrical projections and the sinusoidal on a sphere of the A axis
// radius, the polar stereographic and the Lambert conformal on the ellipsoid
// of the A and C axes (a sphere where they agree). A west-counting centre
// longitude is turned to east: the reference system counts east.
bool BuildSystem(ProjectionKind kind, const MapProjection& p, OGRSpatialReference& srs) {
    const double a = p.aAxisRadius * 1000.0;
    const double c = p.cAxisRadius > 0.0 ? p.cAxisRadius * 1000.0 : a;
    const double lat0 = p.centerLatitude;
    const double lon0 = p.positiveLongitudeWest ? -p.centerLongitude : p.centerLongitude;
    const double first = p.firstStandardParallel.value_or(0.0);
    const double second = p.secondStandardParallel.value_or(0.0);
    OGRErr err = OGRERR_NONE;
    bool ellipsoid = false;
    const char* sphereName = "VENUS";
    switch (kind) {
        case ProjectionKind::Equirectangular:
            sphereName = "VENUS_localRadius";  // the local radius, given as the A axis
            [[fallthrough]];
        case ProjectionKind::SimpleCylindrical:
            err = srs.SetEquirectangular2(0.0, lon0, lat0, 0.0, 0.0);
            break;
        case ProjectionKind::Sinusoidal:
            err = srs.SetSinusoidal(lon0, 0.0, 0.0);
            break;
        case ProjectionKind::Mercator:
            // True to scale at the equator, as the era's radar maps are.
            err = srs.SetMercator(0.0, lon0, 1.0, 0.0, 0.0);
            break;
        case ProjectionKind::PolarStereographic:
            err = srs.SetPS(lat0, lon0, 1.0, 0.0, 0.0);
            ellipsoid = true;
            break;
        case ProjectionKind::LambertConformal:
            err = srs.SetLCC(first, second, lat0, lon0, 0.0, 0.0);
            ellipsoid = true;
            break;
    }
    if (err != OGRERR_NONE) return false;
    srs.SetProjCS(SystemName(kind));
    const double inverseFlattening = ellipsoid && a - c >= 1e-7 ? a / (a - c) : 0.0;
    return srs.SetGeogCS("GCS_VENUS", "D_VENUS", sphereName, a, inverseFlattening, "Reference_Meridian", 0.0) ==
           OGRERR_NONE;
}

// GDAL keeps a PROJ context per thread, made at the thread's first use of a
// reference system and destroyed with the thread's other objects, in the
// reverse order of their making. The transformations kept for the thread
// need that context when they are destroyed: it is made before them, so that
// it is destroyed after them (were it destroyed first, each would make a new
// one at the thread's end, never freed).
void MakeThreadsProjContextFirst() {
    thread_local const bool made = [] {
        OGRSpatialReference sphere;
        return sphere.SetGeogCS("VENUS", "VENUS", "VENUS", 6051800.0, 0.0) == OGRERR_NONE;
    }();
    (void)made;
}

// The transformation from the projected system to latitude and longitude.
// PROJ takes tens of milliseconds to build one, while the tiles of a map
// share their reference system and differ only in their offsets: the last
// one built on this thread is kept, and each caller gets a copy of its own,
// which takes a fraction of a millisecond (a transformation serves one
// thread at a time).
std::unique_ptr<OGRCoordinateTransformation> TransformationToLatLon(const OGRSpatialReference& projected,
                                                                    const std::string& wkt) {
    MakeThreadsProjContextFirst();
    thread_local std::string keptWkt;
    thread_local std::unique_ptr<OGRCoordinateTransformation> kept;
    if (!kept || keptWkt != wkt) {
        kept.reset();
        std::unique_ptr<OGRSpatialReference> geographic(projected.CloneGeogCS());
        if (!geographic) return nullptr;
        geographic->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        kept.reset(OGRCreateCoordinateTransformation(&projected, geographic.get()));
        if (!kept) return nullptr;
        keptWkt = wkt;
    }
    return std::unique_ptr<OGRCoordinateTransformation>(kept->Clone());
}

}  // namespace

std::optional<ProjectionKind> KindOf(const std::string& projectionType) {
    std::string name;
    for (const char ch : projectionType) {
        if (ch == '"' || ch == '\'') continue;
        name += ch == ' ' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    for (const KindName& entry : kKinds) {
        if (name == entry.spelling) return entry.kind;
    }
    return std::nullopt;
}

struct MapCoordinates::Transformer {
    std::unique_ptr<OGRCoordinateTransformation> toLatLon;
};

MapCoordinates::MapCoordinates(MapProjection projection, std::string wkt, GeoTransform transform,
                               std::unique_ptr<Transformer> transformer)
    : projection_(std::move(projection)),
      wkt_(std::move(wkt)),
      transform_(transform),
      transformer_(std::move(transformer)) {}

MapCoordinates::~MapCoordinates() = default;

std::unique_ptr<MapCoordinates> MapCoordinates::Make(const MapProjection& projection) {
    const std::optional<ProjectionKind> kind = KindOf(projection.type);
    if (!kind || !(projection.aAxisRadius > 0.0) || !(projection.mapScale > 0.0) ||
        !std::isfinite(projection.aAxisRadius) || !std::isfinite(projection.mapScale)) {
        return nullptr;
    }
    OGRSpatialReference projected;
    if (!BuildSystem(*kind, projection, projected)) return nullptr;
    projected.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);

    char* text = nullptr;
    if (projected.exportToWkt(&text) != OGRERR_NONE || text == nullptr) {
        CPLFree(text);
        return nullptr;
    }
    std::string wkt(text);
    CPLFree(text);

    auto transformer = std::make_unique<Transformer>();
    transformer->toLatLon = TransformationToLatLon(projected, wkt);
    if (!transformer->toLatLon) return nullptr;

    // The sample and line offsets place the projection's origin: the centre
    // of the first sample is SAMPLE_PROJECTION_OFFSET pixels east of it and
    // LINE_PROJECTION_OFFSET pixels south, each pixel MAP_SCALE on a side.
    const double d = projection.mapScale * 1000.0;
    const GeoTransform transform{-(projection.sampleProjectionOffset + 0.5) * d, d, 0.0,
                                 (projection.lineProjectionOffset + 0.5) * d, 0.0, -d};
    return std::unique_ptr<MapCoordinates>(
        new MapCoordinates(projection, std::move(wkt), transform, std::move(transformer)));
}

std::optional<LatLon> MapCoordinates::At(double column, double row) const {
    const double x = column + 0.5;
    const double y = row + 0.5;
    double east = transform_[0] + x * transform_[1] + y * transform_[2];
    double north = transform_[3] + x * transform_[4] + y * transform_[5];
    if (!transformer_->toLatLon->Transform(1, &east, &north)) return std::nullopt;
    if (!std::isfinite(east) || !std::isfinite(north)) return std::nullopt;
    return LatLon{north, east};
}

const MapCoordinates* CoordinatesFor(const MapProjection& p) {
    MakeThreadsProjContextFirst();
    thread_local std::optional<MapProjection> key;
    thread_local std::unique_ptr<MapCoordinates> kept;
    const auto same = [&p](const MapProjection& q) {
        return p.type == q.type && p.aAxisRadius == q.aAxisRadius && p.bAxisRadius == q.bAxisRadius &&
               p.cAxisRadius == q.cAxisRadius && p.centerLatitude == q.centerLatitude &&
               p.centerLongitude == q.centerLongitude && p.firstStandardParallel == q.firstStandardParallel &&
               p.secondStandardParallel == q.secondStandardParallel &&
               p.lineProjectionOffset == q.lineProjectionOffset &&
               p.sampleProjectionOffset == q.sampleProjectionOffset && p.mapScale == q.mapScale &&
               p.positiveLongitudeWest == q.positiveLongitudeWest;
    };
    if (!key || !same(*key)) {
        kept = MapCoordinates::Make(p);
        key = p;
    }
    return kept.get();
}

}  // namespace dusk
