// SPDX-License-Identifier: GPL-3.0-or-later
#include "geo/map_coordinates.h"

#include <algorithm>
#include <vector>
#include <cctype>
#include <cmath>
#include <utility>

#include <ogr_spatialref.h>
#include <proj.h>

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

// The polar stereographic and the Lambert conformal maps lie on the ellipsoid
// of the A and C axes, the others on the sphere of the A axis radius.
bool OnEllipsoid(ProjectionKind kind) {
    return kind == ProjectionKind::PolarStereographic || kind == ProjectionKind::LambertConformal;
}

// The inverse flattening of the reference system's body: 0 for a sphere, and
// where the A and C axes differ by less than 1e-7 m.
double InverseFlattening(ProjectionKind kind, const MapProjection& p) {
    const double a = p.aAxisRadius * 1000.0;
    const double c = p.cAxisRadius > 0.0 ? p.cAxisRadius * 1000.0 : a;
    return OnEllipsoid(kind) && a - c >= 1e-7 ? a / (a - c) : 0.0;
}

// The reference system of the label, built as GDAL's PDS driver builds it
// for the same label, so that both give the same coordinates, on the body
// OnEllipsoid names. A west-counting centre longitude is turned to east: the
// reference system counts east.
bool BuildSystem(ProjectionKind kind, const MapProjection& p, OGRSpatialReference& srs) {
    const double a = p.aAxisRadius * 1000.0;
    const double lat0 = p.centerLatitude;
    const double lon0 = p.positiveLongitudeWest ? -p.centerLongitude : p.centerLongitude;
    const double first = p.firstStandardParallel.value_or(0.0);
    const double second = p.secondStandardParallel.value_or(0.0);
    OGRErr err = OGRERR_NONE;
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
            // A plain STEREOGRAPHIC map not centred on a pole is oblique.
            if (std::fabs(lat0) < 90.0 && p.type.find("POLAR") == std::string::npos) {
                err = srs.SetStereographic(lat0, lon0, 1.0, 0.0, 0.0);
            } else {
                err = srs.SetPS(lat0, lon0, 1.0, 0.0, 0.0);
            }
            break;
        case ProjectionKind::LambertConformal:
            err = srs.SetLCC(first, second, lat0, lon0, 0.0, 0.0);
            break;
    }
    if (err != OGRERR_NONE) return false;
    srs.SetProjCS(SystemName(kind));
    return srs.SetGeogCS("GCS_VENUS", "D_VENUS", sphereName, a, InverseFlattening(kind, p), "Reference_Meridian",
                         0.0) == OGRERR_NONE;
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

// The reference system of a projection and its two transformations. GDAL's
// own transformation between a system and its geographic one asks PROJ's
// database for the way and takes some 25 ms to build; the projection alone,
// as a PROJ pipeline of the same system, takes a tenth of a millisecond and
// gives the same coordinates. They depend on the projection's figures but
// not on its offsets or scale, so the tiles of a quad share one. A PROJ
// object belongs to the thread that built it, as the cache below does.
namespace {

// A PROJ context of one thread, which its pipelines hold on to so that it
// outlives them however the thread's caches end.
struct ProjContext {
    PJ_CONTEXT* context = proj_context_create();
    ProjContext() {
        // A point a projection cannot show is an answer here, not an error to print.
        proj_log_level(context, PJ_LOG_NONE);
    }
    ~ProjContext() { proj_context_destroy(context); }
    ProjContext(const ProjContext&) = delete;
    ProjContext& operator=(const ProjContext&) = delete;
};

std::shared_ptr<ProjContext> ThreadContext() {
    thread_local const std::shared_ptr<ProjContext> kept = std::make_shared<ProjContext>();
    return kept;
}

}  // namespace

struct MapCoordinates::Transformer {
    std::string wkt;
    Ellipsoid body;
    std::shared_ptr<ProjContext> context;
    PJ* toLatLon = nullptr;    // map metres to degrees (longitude, latitude)
    PJ* fromLatLon = nullptr;  // and back
    Transformer() = default;
    Transformer(const Transformer&) = delete;
    Transformer& operator=(const Transformer&) = delete;
    ~Transformer() {
        proj_destroy(toLatLon);
        proj_destroy(fromLatLon);
    }
};

namespace {

bool SameSystem(const MapProjection& p, const MapProjection& q) {
    return p.type == q.type && p.aAxisRadius == q.aAxisRadius && p.bAxisRadius == q.bAxisRadius &&
           p.cAxisRadius == q.cAxisRadius && p.centerLatitude == q.centerLatitude &&
           p.centerLongitude == q.centerLongitude && p.firstStandardParallel == q.firstStandardParallel &&
           p.secondStandardParallel == q.secondStandardParallel && p.positiveLongitudeWest == q.positiveLongitudeWest;
}

std::shared_ptr<const MapCoordinates::Transformer> BuildTransformer(ProjectionKind kind, const MapProjection& p) {
    OGRSpatialReference projected;
    if (!BuildSystem(kind, p, projected)) return nullptr;
    char* text = nullptr;
    if (projected.exportToWkt(&text) != OGRERR_NONE || text == nullptr) {
        CPLFree(text);
        return nullptr;
    }
    auto transformer = std::make_shared<MapCoordinates::Transformer>();
    transformer->wkt = text;
    CPLFree(text);
    text = nullptr;
    const double inverseFlattening = InverseFlattening(kind, p);
    transformer->body = Ellipsoid{p.aAxisRadius, inverseFlattening > 0.0 ? 1.0 / inverseFlattening : 0.0};
    if (projected.exportToProj4(&text) != OGRERR_NONE || text == nullptr) {
        CPLFree(text);
        return nullptr;
    }
    const std::string system = text;
    CPLFree(text);
    transformer->context = ThreadContext();
    PJ_CONTEXT* context = transformer->context->context;
    const std::string degrees = " +step +proj=unitconvert +xy_in=rad +xy_out=deg";
    transformer->toLatLon = proj_create(context, ("+proj=pipeline +step +inv " + system + degrees).c_str());
    transformer->fromLatLon =
        proj_create(context, ("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step " + system).c_str());
    if (transformer->toLatLon == nullptr || transformer->fromLatLon == nullptr) return nullptr;
    return transformer;
}

// One point through a pipeline; none where it has no answer.
std::optional<std::pair<double, double>> Through(PJ* pipeline, double x, double y) {
    PJ_COORD in = proj_coord(x, y, 0.0, 0.0);
    proj_errno_reset(pipeline);
    const PJ_COORD out = proj_trans(pipeline, PJ_FWD, in);
    if (proj_errno(pipeline) != 0 || !std::isfinite(out.xy.x) || !std::isfinite(out.xy.y)) return std::nullopt;
    return std::pair{out.xy.x, out.xy.y};
}

// The last few systems built on this thread.
std::shared_ptr<const MapCoordinates::Transformer> TransformerFor(ProjectionKind kind, const MapProjection& p) {
    struct Kept {
        MapProjection figures;
        std::shared_ptr<const MapCoordinates::Transformer> transformer;
    };
    constexpr std::size_t kKeep = 4;
    thread_local std::vector<Kept> kept;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (SameSystem(kept[i].figures, p)) {
            std::rotate(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(i),
                        kept.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return kept.front().transformer;
        }
    }
    std::shared_ptr<const MapCoordinates::Transformer> built = BuildTransformer(kind, p);
    if (built == nullptr) return nullptr;
    if (kept.size() == kKeep) kept.pop_back();
    kept.insert(kept.begin(), Kept{p, built});
    return built;
}

}  // namespace

MapCoordinates::MapCoordinates(MapProjection projection, GeoTransform transform,
                               std::shared_ptr<const Transformer> transformer)
    : projection_(std::move(projection)), transform_(transform), transformer_(std::move(transformer)) {}

MapCoordinates::~MapCoordinates() = default;

const std::string& MapCoordinates::Wkt() const { return transformer_->wkt; }

const Ellipsoid& MapCoordinates::BodyEllipsoid() const { return transformer_->body; }

std::unique_ptr<MapCoordinates> MapCoordinates::Make(const MapProjection& projection) {
    const std::optional<ProjectionKind> kind = KindOf(projection.type);
    if (!kind || !(projection.aAxisRadius > 0.0) || !(projection.mapScale > 0.0) ||
        !std::isfinite(projection.aAxisRadius) || !std::isfinite(projection.mapScale) ||
        !std::isfinite(projection.lineProjectionOffset) || !std::isfinite(projection.sampleProjectionOffset)) {
        return nullptr;
    }
    std::shared_ptr<const Transformer> transformer = TransformerFor(*kind, projection);
    if (transformer == nullptr) return nullptr;

    // The sample and line offsets place the projection's origin: the centre
    // of the first sample is SAMPLE_PROJECTION_OFFSET pixels east of it and
    // LINE_PROJECTION_OFFSET pixels south, each pixel MAP_SCALE on a side.
    const double d = projection.mapScale * 1000.0;
    // (Adding 0 turns a corner at -0 into 0, as every other path writes it.)
    const GeoTransform transform{-(projection.sampleProjectionOffset + 0.5) * d + 0.0, d, 0.0,
                                 (projection.lineProjectionOffset + 0.5) * d + 0.0, 0.0, -d};
    return std::unique_ptr<MapCoordinates>(new MapCoordinates(projection, transform, std::move(transformer)));
}

std::optional<LatLon> MapCoordinates::At(double column, double row) const {
    return AtPoint(column + 0.5, row + 0.5);
}

std::optional<LatLon> MapCoordinates::AtPoint(double x, double y) const {
    const double east = transform_[0] + x * transform_[1] + y * transform_[2];
    const double north = transform_[3] + x * transform_[4] + y * transform_[5];
    const auto degrees = Through(transformer_->toLatLon, east, north);
    // The inverse sinusoidal answers a point north of the pole with a
    // latitude beyond 90 degrees, and no error.
    if (!degrees || std::fabs(degrees->second) > 90.0 + 1e-9) return std::nullopt;
    return LatLon{std::clamp(degrees->second, -90.0, 90.0), degrees->first};
}

std::optional<MapPoint> MapCoordinates::ToMap(const LatLon& position) const {
    const auto metres = Through(transformer_->fromLatLon, position.longitude, position.latitude);
    if (!metres) return std::nullopt;
    return MapPoint{metres->first, metres->second};
}

const MapCoordinates* CoordinatesFor(const MapProjection& p) {
    thread_local std::optional<MapProjection> key;
    thread_local std::unique_ptr<MapCoordinates> kept;
    const auto same = [&p](const MapProjection& q) {
        return SameSystem(p, q) && p.lineProjectionOffset == q.lineProjectionOffset &&
               p.sampleProjectionOffset == q.sampleProjectionOffset && p.mapScale == q.mapScale;
    };
    if (!key || !same(*key)) {
        kept = MapCoordinates::Make(p);
        key = p;
    }
    return kept.get();
}

}  // namespace dusk
