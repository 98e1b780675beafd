// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/samples/label_text.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace dusk::samples {

namespace {

std::string Field(const std::string& key, const std::string& value) {
    std::string line = key;
    if (line.size() < 32) line.append(32 - line.size(), ' ');
    return Pad78(line + "= " + value);
}

std::string Number(const char* format, double value) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string Time(int serial, int minute) {
    // Mapping orbits from November 1983 to July 1984, a few days apart.
    const int day = serial * 5;
    const int month = day / 28;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:00", month < 2 ? 1983 : 1984,
                  (10 + month) % 12 + 1, day % 28 + 1, 2 + serial % 20, minute);
    return buffer;
}

// Pixels per degree along a meridian.
double Resolution(const QuadMap& quad, double scaleKm) {
    return 2.0 * std::numbers::pi * quad.radiusKm / 360.0 / scaleKm;
}

int Orbit(const Product& p) { return 120 + 7 * p.serial; }

std::string Note(const Product& p, char quote) {
    const std::string q(1, quote);
    std::string text;
    if (p.browse) {
        text += Field("NOTE", q + "Browse image of quad " + p.volume + ": the whole");
        text += Pad78("   quad reduced by 4 in both directions, each sample the mean of 4 x 4.");
    } else {
        text += Field("NOTE", q + "Tile of quad " + p.volume + ", a mosaic of strips");
        text += Pad78("   of many orbits, checked at the station of " + std::string(p.site) + ".");
    }
    text += Pad78("   Speckle and isolated impulses are not removed." + q);
    return text;
}

std::string PadWithNotes(std::string text, const Product& p) {
    int lines = static_cast<int>(text.size() / 80);
    char buffer[80];
    for (int note = 1; lines + 1 < p.lineCount; ++note, ++lines) {
        std::snprintf(buffer, sizeof buffer, "/* Note %02d: frame %d of orbit %d, sweep corrected. */", note, lines + 1,
                      Orbit(p));
        text += Pad78(buffer);
    }
    return text + Pad78("END");
}

}  // namespace

std::string Pad78(std::string line) {
    if (line.size() > 78) throw std::logic_error("a label line is longer than 78 characters: " + line);
    line.append(78 - line.size(), ' ');
    return line + "\r\n";
}

std::string Pds3Label(const Product& p, const std::optional<RasterMap>& map) {
    std::string text;
    text += Field("PDS_VERSION_ID", "PDS3");
    text += Field("RECORD_TYPE", "FIXED_LENGTH");
    text += Field("RECORD_BYTES", std::to_string(p.samples));
    text += Field("FILE_RECORDS", std::to_string(p.lines));
    text += Field("^IMAGE", "\"" + p.image + "\"");
    text += Field("DATA_SET_ID", p.browse ? "\"V15/V16-V-SAR-5-BROWSE-V1.0\"" : "\"V15/V16-V-SAR-5-QUAD-V1.0\"");
    text += Field("PRODUCT_ID", "\"" + p.id + "\"");
    text += Field("VOLUME_ID", "\"" + p.volume + "\"");
    text += Field("SPACECRAFT_NAME", "\"VENERA 15/16\"");
    text += Field("INSTRUMENT_NAME", "\"SIDE-LOOKING RADAR\"");
    text += Field("TARGET_NAME", "VENUS");
    text += Field("ORBIT_NUMBER", std::to_string(Orbit(p)));
    text += Field("START_TIME", Time(p.serial, 10));
    text += Field("STOP_TIME", Time(p.serial + 9, 26));
    text += Field("INCIDENCE_ANGLE", "10.0 <DEG>");
    text += Field("LOOK_DIRECTION", "LEFT");
    text += Field("PROCESSING_SITE", std::string("\"") + p.site + "\"");
    text += Note(p, '"');
    text += Pad78("");
    text += Pad78("OBJECT                          = IMAGE");
    text += Field("  LINES", std::to_string(p.lines));
    text += Field("  LINE_SAMPLES", std::to_string(p.samples));
    text += Field("  SAMPLE_TYPE", "UNSIGNED_INTEGER");
    text += Field("  SAMPLE_BITS", "8");
    text += Field("  MISSING_LINES", std::to_string(p.missingLines));
    text += Pad78("END_OBJECT                      = IMAGE");
    text += Pad78("");
    if (map) {
        const QuadMap& quad = *map->quad;
        const Placement& at = map->placement;
        const bool polar = quad.kind == MapKind::PolarStereographic;
        text += Pad78("OBJECT                          = IMAGE_MAP_PROJECTION");
        text += Field("  MAP_PROJECTION_TYPE", polar ? "\"POLAR_STEREOGRAPHIC\"" : "\"LAMBERT_CONFORMAL_CONIC\"");
        for (const char* axis : {"  A_AXIS_RADIUS", "  B_AXIS_RADIUS", "  C_AXIS_RADIUS"}) {
            text += Field(axis, Number("%.1f <KM>", quad.radiusKm));
        }
        if (!polar) {
            text += Field("  FIRST_STANDARD_PARALLEL", Number("%.1f <DEG>", quad.firstParallel));
            text += Field("  SECOND_STANDARD_PARALLEL", Number("%.1f <DEG>", quad.secondParallel));
        }
        text += Field("  CENTER_LATITUDE", Number("%.1f <DEG>", quad.centerLatitude));
        text += Field("  CENTER_LONGITUDE", Number("%.1f <DEG>", quad.centerLongitude));
        text += Field("  LINE_PROJECTION_OFFSET", Number("%.1f", at.lineOffset));
        text += Field("  SAMPLE_PROJECTION_OFFSET", Number("%.1f", at.sampleOffset));
        text += Field("  MAP_SCALE", Number("%.1f <KM/PIXEL>", at.scaleKm));
        text += Field("  MAP_RESOLUTION", Number("%.4f <PIX/DEG>", Resolution(quad, at.scaleKm)));
        text += Field("  POSITIVE_LONGITUDE_DIRECTION", "EAST");
        text += Field("  MINIMUM_LATITUDE", Number("%.4f <DEG>", map->bounds.minimumLatitude));
        text += Field("  MAXIMUM_LATITUDE", Number("%.4f <DEG>", map->bounds.maximumLatitude));
        text += Field("  MINIMUM_LONGITUDE", Number("%.4f <DEG>", map->bounds.minimumLongitude));
        text += Field("  MAXIMUM_LONGITUDE", Number("%.4f <DEG>", map->bounds.maximumLongitude));
        text += Pad78("END_OBJECT                      = IMAGE_MAP_PROJECTION");
        text += Pad78("");
    }
    return PadWithNotes(std::move(text), p);
}

std::string CatalogLabel(const Product& p, const RasterMap& map) {
    const QuadMap& quad = *map.quad;
    const Placement& at = map.placement;
    std::string text;
    text += Pad78("CCSD3ZF0000100000001NJPL3IF0PDS200000001 = SFDU_LABEL");
    text += Pad78("/*          FILE FORMAT AND LENGTH */");
    text += Field("RECORD_TYPE", "FIXED_LENGTH");
    text += Field("RECORD_BYTES", std::to_string(p.samples));
    text += Field("FILE_RECORDS", std::to_string(p.lines));
    text += Pad78("/*          POINTER TO THE IMAGE FILE */");
    text += Field("^IMAGE", "'" + p.image + "'");
    text += Pad78("/*          IDENTIFICATION */");
    text += Field("DATA_SET_ID", p.browse ? "'V15/V16-V-SAR-5-BROWSE-V1.0'" : "'V15/V16-V-SAR-5-QUAD-V1.0'");
    text += Field("PRODUCT_ID", "'" + p.id + "'");
    text += Field("SPACECRAFT_NAME", "'VENERA 15/16'");
    text += Field("INSTRUMENT_NAME", "'SIDE-LOOKING RADAR'");
    text += Field("TARGET_NAME", "VENUS");
    text += Field("ORBIT_NUMBER", std::to_string(Orbit(p)));
    text += Field("START_TIME", Time(p.serial, 10));
    text += Field("STOP_TIME", Time(p.serial + 9, 26));
    text += Field("PROCESSING_SITE", std::string("'") + p.site + "'");
    // A text over several lines stands in double quotes; single quotes
    // hold a value of one line.
    text += Note(p, '"');
    text += Pad78("/*          DESCRIPTION OF THE IMAGE */");
    text += Pad78("OBJECT                          = IMAGE");
    text += Field("  LINES", std::to_string(p.lines));
    text += Field("  LINE_SAMPLES", std::to_string(p.samples));
    text += Field("  SAMPLE_TYPE", "UNSIGNED_INTEGER");
    text += Field("  SAMPLE_BITS", "8");
    text += Field("  MISSING_LINES", std::to_string(p.missingLines));
    text += Pad78("END_OBJECT                      = IMAGE");
    text += Pad78("/*          DESCRIPTION OF THE MAP PROJECTION */");
    text += Pad78("OBJECT                          = IMAGE_MAP_PROJECTION_CATALOG");
    text += Field("  MAP_PROJECTION_TYPE", quad.kind == MapKind::PolarStereographic ? "'STEREOGRAPHIC'"
                                                                                     : "LAMBERT_CONFORMAL");
    for (const char* axis : {"  A_AXIS_RADIUS", "  B_AXIS_RADIUS", "  C_AXIS_RADIUS"}) {
        text += Field(axis, Number("%.1f", quad.radiusKm));
    }
    if (quad.kind == MapKind::PolarStereographic) {
        text += Field("  FIRST_STANDARD_PARALLEL", "'N/A'");
        text += Field("  SECOND_STANDARD_PARALLEL", "'N/A'");
    } else {
        text += Field("  FIRST_STANDARD_PARALLEL", Number("%.1f", quad.firstParallel));
        text += Field("  SECOND_STANDARD_PARALLEL", Number("%.1f", quad.secondParallel));
    }
    text += Field("  POSITIVE_LONGITUDE_DIRECTION", "EAST");
    text += Field("  CENTER_LATITUDE", Number("%.1f", quad.centerLatitude));
    text += Field("  CENTER_LONGITUDE", Number("%.1f", quad.centerLongitude));
    text += Field("  REFERENCE_LATITUDE", "'N/A'");
    text += Field("  REFERENCE_LONGITUDE", "'N/A'");
    text += Pad78("  /* X runs down the image along its lines, Y across along its samples. */");
    text += Field("  X_AXIS_FIRST_PIXEL", "1");
    text += Field("  X_AXIS_LAST_PIXEL", std::to_string(p.lines));
    text += Field("  Y_AXIS_FIRST_PIXEL", "1");
    text += Field("  Y_AXIS_LAST_PIXEL", std::to_string(p.samples));
    text += Field("  X_AXIS_PROJECTION_OFFSET", Number("%.1f", at.lineOffset));
    text += Field("  Y_AXIS_PROJECTION_OFFSET", Number("%.1f", at.sampleOffset));
    text += Field("  MAP_PROJECTION_ROTATION", "0.0");
    text += Pad78("  /* Pixels per degree, and metres per pixel. */");
    text += Field("  MAP_RESOLUTION", Number("%.4f", Resolution(quad, at.scaleKm)));
    text += Field("  MAP_SCALE", Number("%.0f", at.scaleKm * 1000.0));
    text += Field("  MAXIMUM_LATITUDE", Number("%.4f", map.bounds.maximumLatitude));
    text += Field("  MINIMUM_LATITUDE", Number("%.4f", map.bounds.minimumLatitude));
    text += Field("  MINIMUM_LONGITUDE", Number("%.4f", map.bounds.minimumLongitude));
    text += Field("  MAXIMUM_LONGITUDE", Number("%.4f", map.bounds.maximumLongitude));
    text += Pad78("END_OBJECT");
    return PadWithNotes(std::move(text), p);
}

}  // namespace dusk::samples
