// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/samples/quad_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include <ogr_spatialref.h>

namespace dusk::samples {

namespace {

// The quad's projection as a PROJ definition, in metres.
std::string ProjDefinition(const QuadMap& map) {
    char text[256];
    const double radius = map.radiusKm * 1000.0;
    if (map.kind == MapKind::PolarStereographic) {
        std::snprintf(text, sizeof text, "+proj=stere +lat_0=%.6f +lon_0=%.6f +k=1 +x_0=0 +y_0=0 +R=%.3f +units=m",
                      map.centerLatitude, map.centerLongitude, radius);
    } else {
        std::snprintf(text, sizeof text,
                      "+proj=lcc +lat_1=%.6f +lat_2=%.6f +lat_0=%.6f +lon_0=%.6f +x_0=0 +y_0=0 +R=%.3f +units=m",
                      map.firstParallel, map.secondParallel, map.centerLatitude, map.centerLongitude, radius);
    }
    return text;
}

double East360(double longitude) {
    double v = std::fmod(longitude, 360.0);
    if (v < 0.0) v += 360.0;
    return v;
}

}  // namespace

Placement TilePlacement(const QuadMap& map, int firstLine, int firstSample, int lines, int samples) {
    return {map.lineOffset - firstLine, map.sampleOffset - firstSample, map.scaleKm, lines, samples};
}

Placement ReducedPlacement(const QuadMap& map, int factor, int lines, int samples) {
    // The origin's place measured from the scene's outer edge, in reduced
    // samples, then counted at the reduced samples' centres again.
    const double f = factor;
    return {(map.lineOffset + 0.5) / f - 0.5, (map.sampleOffset + 0.5) / f - 0.5, map.scaleKm * f, lines, samples};
}

BoundsFinder::BoundsFinder(const QuadMap& map) {
    OGRSpatialReference projected;
    if (projected.importFromProj4(ProjDefinition(map).c_str()) != OGRERR_NONE) {
        throw std::runtime_error("GDAL does not take the projection " + ProjDefinition(map));
    }
    projected.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRSpatialReference> geographic(projected.CloneGeogCS());
    if (!geographic) throw std::runtime_error("no geographic system for " + ProjDefinition(map));
    geographic->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    toLatLon_.reset(OGRCreateCoordinateTransformation(&projected, geographic.get()));
    if (!toLatLon_) throw std::runtime_error("no transformation from " + ProjDefinition(map));
}

BoundsFinder::~BoundsFinder() = default;

Bounds BoundsFinder::Of(const Placement& raster) const {
    // The outer edges, all the way round, one point per pixel: x and y of
    // the map at each pixel corner (edge coordinates 0..samples, 0..lines).
    const double d = raster.scaleKm * 1000.0;
    std::vector<double> x;
    std::vector<double> y;
    auto add = [&](double column, double row) {
        x.push_back((column - (raster.sampleOffset + 0.5)) * d);
        y.push_back(((raster.lineOffset + 0.5) - row) * d);
    };
    for (int c = 0; c < raster.samples; ++c) add(c, 0);
    for (int r = 0; r < raster.lines; ++r) add(raster.samples, r);
    for (int c = raster.samples; c > 0; --c) add(c, raster.lines);
    for (int r = raster.lines; r > 0; --r) add(0, r);
    std::vector<int> ok(x.size());
    if (!toLatLon_->Transform(x.size(), x.data(), y.data(), nullptr, ok.data()) ||
        std::find(ok.begin(), ok.end(), 0) != ok.end()) {
        throw std::runtime_error("a raster edge lies outside its projection");
    }

    // Longitudes followed round the edge without jumps: a way round that
    // turns through 360 degrees encloses the pole.
    Bounds b{90.0, -90.0, 0.0, 0.0};
    double unwrapped = x[0];
    double low = unwrapped;
    double high = unwrapped;
    for (std::size_t i = 0; i < x.size(); ++i) {
        b.minimumLatitude = std::min(b.minimumLatitude, y[i]);
        b.maximumLatitude = std::max(b.maximumLatitude, y[i]);
        if (i > 0) {
            double step = x[i] - x[i - 1];
            step -= 360.0 * std::round(step / 360.0);
            unwrapped += step;
            low = std::min(low, unwrapped);
            high = std::max(high, unwrapped);
        }
    }
    double closing = x[0] - x.back();
    closing -= 360.0 * std::round(closing / 360.0);
    const double turned = unwrapped + closing - x[0];
    if (std::fabs(turned) > 180.0) {
        (b.maximumLatitude > 0.0 ? b.maximumLatitude : b.minimumLatitude) = b.maximumLatitude > 0.0 ? 90.0 : -90.0;
        b.minimumLongitude = 0.0;
        b.maximumLongitude = 360.0;
        return b;
    }
    b.minimumLongitude = East360(low);
    b.maximumLongitude = b.minimumLongitude + (high - low);
    if (b.maximumLongitude > 360.0) b.maximumLongitude -= 360.0;
    return b;
}

}  // namespace dusk::samples
