// SPDX-License-Identifier: GPL-3.0-or-later
// The georeference of arbitrary labels of every form: whatever the reader
// makes of them, every latitude and longitude the program would show is
// finite and in range, or none is shown; the same label read twice gives
// the same answer; and the understood projection, written out as a PDS3
// label and read again, gives the same reference system and geotransform.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/label_keywords.h"
#include "core/label_map.h"
#include "core/odl.h"
#include "geo/label_georeference.h"
#include "geo/lat_lon_text.h"
#include "geo/map_coordinates.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "georeference_fuzz: %s\n", what);
    std::abort();
}

void CheckShown(const std::optional<dusk::LatLon>& at) {
    if (!at) return;
    Check(std::isfinite(at->latitude) && std::isfinite(at->longitude), "a coordinate is not finite");
    Check(at->latitude >= -90.0 && at->latitude <= 90.0, "a latitude lies outside -90..90");
    Check(at->longitude >= -180.0 && at->longitude <= 360.0, "a longitude lies outside -180..360");
    (void)dusk::LatLonText(*at, false);
}

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool SameProjection(const dusk::MapProjection& p, const dusk::MapProjection& q) {
    return p.type == q.type && Same(p.aAxisRadius, q.aAxisRadius) && Same(p.bAxisRadius, q.bAxisRadius) &&
           Same(p.cAxisRadius, q.cAxisRadius) && Same(p.centerLatitude, q.centerLatitude) &&
           Same(p.centerLongitude, q.centerLongitude) && p.firstStandardParallel == q.firstStandardParallel &&
           p.secondStandardParallel == q.secondStandardParallel &&
           Same(p.lineProjectionOffset, q.lineProjectionOffset) &&
           Same(p.sampleProjectionOffset, q.sampleProjectionOffset) && Same(p.mapScale, q.mapScale) &&
           p.positiveLongitudeWest == q.positiveLongitudeWest && p.reading == q.reading;
}

std::string Number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// The projection as a PDS3 label of the program's own kind.
std::string AsPds3(const dusk::MapProjection& p) {
    std::string type;
    for (const char c : p.type) {
        if (c != '"' && c != '\'') type += c;
    }
    std::string text = "PDS_VERSION_ID = PDS3\nOBJECT = IMAGE_MAP_PROJECTION\n  MAP_PROJECTION_TYPE = \"" + type + "\"\n";
    const auto put = [&text](const char* key, double value, const char* unit) {
        text += std::string("  ") + key + " = " + Number(value) + unit + "\n";
    };
    put("A_AXIS_RADIUS", p.aAxisRadius, " <KM>");
    put("B_AXIS_RADIUS", p.bAxisRadius, " <KM>");
    put("C_AXIS_RADIUS", p.cAxisRadius, " <KM>");
    put("CENTER_LATITUDE", p.centerLatitude, " <DEG>");
    put("CENTER_LONGITUDE", p.centerLongitude, " <DEG>");
    if (p.firstStandardParallel) put("FIRST_STANDARD_PARALLEL", *p.firstStandardParallel, " <DEG>");
    if (p.secondStandardParallel) put("SECOND_STANDARD_PARALLEL", *p.secondStandardParallel, " <DEG>");
    put("LINE_PROJECTION_OFFSET", p.lineProjectionOffset, "");
    put("SAMPLE_PROJECTION_OFFSET", p.sampleProjectionOffset, "");
    put("MAP_SCALE", p.mapScale, " <KM/PIXEL>");
    text += std::string("  POSITIVE_LONGITUDE_DIRECTION = ") + (p.positiveLongitudeWest ? "WEST" : "EAST") + "\n";
    return text + "END_OBJECT = IMAGE_MAP_PROJECTION\nEND\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const dusk::OdlLabel label = dusk::ParseOdl(text);
    const auto raster = dusk::ImageGeometryOf(label);
    // The label's raster within the sizes of the era, else the default one.
    const bool usable = raster && raster->lineSamples <= 100'000 && raster->lines <= 100'000;
    const int width = usable ? raster->lineSamples : 1052;
    const int height = usable ? raster->lines : 660;

    const dusk::LabelGeoreference first =
        dusk::UnderstandLabelMap(dusk::ReadLabelMap(label), width, height, "X.lbl");
    const dusk::LabelGeoreference again =
        dusk::UnderstandLabelMap(dusk::ReadLabelMap(dusk::ParseOdl(text)), width, height, "X.lbl");
    Check(first.message == again.message && first.agreement == again.agreement &&
              Same(first.worstKilometres, again.worstKilometres) &&
              first.projection.has_value() == again.projection.has_value() &&
              (!first.projection || SameProjection(*first.projection, *again.projection)) &&
              first.corners.size() == again.corners.size(),
          "the same label read twice gives another answer");
    for (std::size_t i = 0; i < first.corners.size(); ++i) {
        CheckShown(first.corners[i]);
        Check(first.corners[i].has_value() == again.corners[i].has_value(), "a corner differs between readings");
    }
    if (!first.projection) {
        Check(first.corners.empty(), "corners without a projection");
        return 0;
    }

    const std::unique_ptr<dusk::MapCoordinates> map = dusk::MapCoordinates::Make(*first.projection);
    Check(map != nullptr, "the projection taken makes no coordinates");
    for (int i = 0; i <= 2; ++i) {
        for (int j = 0; j <= 2; ++j) CheckShown(map->At(i * (width - 1) / 2.0, j * (height - 1) / 2.0));
    }

    // Written out as PDS3 and read again: the same system and transform.
    const dusk::OdlLabel written = dusk::ParseOdl(AsPds3(*first.projection));
    const std::optional<dusk::MapProjection> reread = dusk::ProjectionOf(written);
    Check(reread.has_value(), "the projection written as PDS3 is not read back");
    const std::unique_ptr<dusk::MapCoordinates> back = dusk::MapCoordinates::Make(*reread);
    Check(back != nullptr, "the projection read back makes no coordinates");
    Check(back->Wkt() == map->Wkt(), "the projection read back has another reference system");
    for (int k = 0; k < 6; ++k) {
        const double a = map->FileTransform()[k];
        const double b = back->FileTransform()[k];
        Check(std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a)), "the projection read back lies elsewhere");
    }
    return 0;
}
