// SPDX-License-Identifier: GPL-3.0-or-later
#include "geo/georeference_text.h"

#include <cmath>
#include <cstdio>

#include "geo/lat_lon_text.h"

namespace dusk {

namespace {

std::string Fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Body(const MapProjection& p) {
    if (p.aAxisRadius == p.cAxisRadius && p.aAxisRadius == p.bAxisRadius) {
        return "sphere of radius " + Fixed(p.aAxisRadius, 2) + " km";
    }
    return "ellipsoid of axes " + Fixed(p.aAxisRadius, 2) + ", " + Fixed(p.bAxisRadius, 2) + " and " +
           Fixed(p.cAxisRadius, 2) + " km";
}

std::string Projection(const MapProjection& p) {
    std::string text = p.type + ", centre " + LatLonText(LatLon{p.centerLatitude, p.positiveLongitudeWest
                                                                                      ? -p.centerLongitude
                                                                                      : p.centerLongitude},
                                                         p.positiveLongitudeWest);
    if (p.firstStandardParallel) {
        text += ", standard parallels " + Fixed(*p.firstStandardParallel, 2) + "\xC2\xB0";
        if (p.secondStandardParallel) text += " and " + Fixed(*p.secondStandardParallel, 2) + "\xC2\xB0";
    }
    return text;
}

std::string Bounds(const LabelGeoreference& g) {
    const LabelBounds& b = *g.bounds;
    const std::string given = "latitude " + Fixed(b.minimumLatitude, 4) + " to " + Fixed(b.maximumLatitude, 4) +
                              ", longitude " + Fixed(b.minimumLongitude, 4) + " to " + Fixed(b.maximumLongitude, 4);
    switch (g.agreement) {
        case BoundsAgreement::Agrees:
            return given + ": they agree, to " + Fixed(g.worstKilometres, 2) + " km";
        case BoundsAgreement::Disagrees:
            if (!std::isfinite(g.worstKilometres)) return given + ": part of the raster lies off the projection";
            return given + ": they lie " + Fixed(g.worstKilometres, 1) + " km from where the projection puts them";
        case BoundsAgreement::NoBounds:
            break;
    }
    return given;
}

}  // namespace

std::vector<GeoreferenceRow> DescribeGeoreference(const LabelGeoreference& g) {
    std::vector<GeoreferenceRow> rows;
    if (g.dialect == LabelDialect::None) return rows;
    rows.push_back({"Label form", DialectName(g.dialect)});
    if (!g.projection) {
        rows.push_back({"Projection", "none: " + g.message});
        return rows;
    }
    const MapProjection& p = *g.projection;
    rows.push_back({"Projection", Projection(p)});
    rows.push_back({"Body", Body(p)});
    rows.push_back({"Scale", Fixed(p.mapScale, p.mapScale < 0.1 ? 5 : 4) + " km per pixel"});
    if (!p.reading.empty()) rows.push_back({"Read as", p.reading});
    if (g.corners.size() == 4) {
        static const char* const kNames[] = {"top left", "top right", "bottom right", "bottom left"};
        std::string corners = std::to_string(g.width) + " \xC3\x97 " + std::to_string(g.height) + ": ";
        for (std::size_t i = 0; i < 4; ++i) {
            if (i > 0) corners += "; ";
            corners += std::string(kNames[i]) + " " +
                       (g.corners[i] ? LatLonText(*g.corners[i], p.positiveLongitudeWest) : std::string("none"));
        }
        rows.push_back({"Corners", corners});
    }
    rows.push_back({"Bounds", g.bounds ? Bounds(g) : std::string("the label gives none")});
    return rows;
}

}  // namespace dusk
