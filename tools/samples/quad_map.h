// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The map of a sample quad: one projection on a sphere of Venus' mean
// radius, the place of its projection origin in the quad's scene, and where
// each tile and the browse image lie in it. The latitude and longitude
// bounds of a raster come from GDAL's reference systems, sampled along the
// raster's outer pixel edges.

#include <memory>

class OGRCoordinateTransformation;

namespace dusk::samples {

enum class MapKind { PolarStereographic, LambertConformal };

struct QuadMap {
    MapKind kind = MapKind::PolarStereographic;
    double radiusKm = 6051.8;
    double centerLatitude = 0.0;
    double centerLongitude = 0.0;  // east
    double firstParallel = 0.0;    // Lambert conformal only
    double secondParallel = 0.0;
    // The 0-based line and sample of the scene, counted at sample centres,
    // at which the projection origin lies; the scene's scale in km per sample.
    double lineOffset = 0.0;
    double sampleOffset = 0.0;
    double scaleKm = 1.0;
};

// Where a raster lies in the quad's map, in the same terms.
struct Placement {
    double lineOffset = 0.0;
    double sampleOffset = 0.0;
    double scaleKm = 1.0;
    int lines = 0;
    int samples = 0;
};

// The tile whose first sample is the scene's (firstLine, firstSample).
Placement TilePlacement(const QuadMap& map, int firstLine, int firstSample, int lines, int samples);
// The scene reduced by `factor` in both directions (each output sample the
// mean of factor x factor scene samples).
Placement ReducedPlacement(const QuadMap& map, int factor, int lines, int samples);

// In degrees, longitudes east in 0..360; the minimum longitude lies above
// the maximum where the range crosses 0. A raster holding a pole reaches
// latitude 90 (or -90) and longitudes 0 to 360.
struct Bounds {
    double minimumLatitude = 0.0;
    double maximumLatitude = 0.0;
    double minimumLongitude = 0.0;
    double maximumLongitude = 0.0;
};

class BoundsFinder {
public:
    explicit BoundsFinder(const QuadMap& map);
    ~BoundsFinder();
    BoundsFinder(const BoundsFinder&) = delete;
    BoundsFinder& operator=(const BoundsFinder&) = delete;

    // The extent of the raster's outer pixel edges, sampled at every pixel.
    Bounds Of(const Placement& raster) const;

private:
    std::unique_ptr<OGRCoordinateTransformation> toLatLon_;
};

}  // namespace dusk::samples
