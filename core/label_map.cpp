// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/label_map.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "core/label_keywords.h"

namespace dusk {

namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A value with its unit as written: "6051.92", "75 <M/PIXEL>", or a number
// in quotes ("'6051.8'", "\"1.0 <KM>\"").
struct Quantity {
    double value = 0.0;
    std::string unit;  // upper case, blanks dropped; empty when none is written
};

// The number a keyword gives; none when it is absent, 'N/A' or another
// word, or not a finite number.
std::optional<Quantity> QuantityOf(const OdlNode* node) {
    if (node == nullptr) return std::nullopt;
    std::string_view text = Trim(node->value);
    std::string unit = node->unit;
    if (node->valueKind == OdlValueKind::Text || node->valueKind == OdlValueKind::Symbol) {
        // A number written in quotes may carry its unit inside them.
        const std::size_t open = text.find('<');
        if (open != std::string_view::npos && text.back() == '>') {
            unit = std::string(text.substr(open + 1, text.size() - open - 2));
            text = Trim(text.substr(0, open));
        }
    } else if (node->valueKind != OdlValueKind::Number) {
        return std::nullopt;
    }
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    Quantity q;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), q.value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(q.value)) return std::nullopt;
    for (const char c : Upper(unit)) {
        if (c != ' ' && c != '\t') q.unit += c;
    }
    return q;
}

bool OneOf(const std::string& unit, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (unit == name) return true;
    }
    return false;
}

// Kilometres from a length in km or m; none for another unit. A length
// with no unit is in km.
std::optional<double> Kilometres(const std::optional<Quantity>& q) {
    if (!q) return std::nullopt;
    if (OneOf(q->unit, {"", "KM", "KILOMETERS", "KILOMETRES"})) return q->value;
    if (OneOf(q->unit, {"M", "METERS", "METRES"})) return q->value / 1000.0;
    return std::nullopt;
}

std::optional<double> Degrees(const std::optional<Quantity>& q) {
    if (!q || !OneOf(q->unit, {"", "DEG", "DEGREE", "DEGREES"})) return std::nullopt;
    return q->value;
}

std::optional<double> Pixels(const std::optional<Quantity>& q) {
    if (!q || !OneOf(q->unit, {"", "PIXEL", "PIXELS", "PIX"})) return std::nullopt;
    return q->value;
}

// The unit MAP_SCALE is written in.
enum class ScaleUnit { Unwritten, KilometresPerPixel, MetresPerPixel, PixelsPerDegree, Unknown };

ScaleUnit ScaleUnitOf(const std::string& unit) {
    if (unit.empty()) return ScaleUnit::Unwritten;
    if (OneOf(unit, {"KM/PIXEL", "KM/PIX", "KILOMETERS/PIXEL", "KILOMETRES/PIXEL", "KM/PIXELS"})) {
        return ScaleUnit::KilometresPerPixel;
    }
    if (OneOf(unit, {"M/PIXEL", "M/PIX", "METERS/PIXEL", "METRES/PIXEL", "M/PIXELS"})) return ScaleUnit::MetresPerPixel;
    if (OneOf(unit, {"PIXEL/DEG", "PIXELS/DEGREE", "PIX/DEG", "PIXEL/DEGREE", "PIXELS/DEG"})) {
        return ScaleUnit::PixelsPerDegree;
    }
    return ScaleUnit::Unknown;
}

// One way to read MAP_SCALE: km per pixel, and what the reading assumed.
struct ScaleReading {
    double kmPerPixel;
    const char* assumption;  // empty where the label wrote the unit
};

// The readings of an unwritten MAP_SCALE unit, the likeliest first: the one
// that MAP_RESOLUTION (pixels per degree) and the radius confirm, else km
// per pixel, as PDS3 defines it, for a figure that could be one.
std::vector<ScaleReading> ReadScale(const std::optional<Quantity>& scale, std::optional<double> resolution,
                                    double radius, bool flat) {
    const double kmPerDegree = 2.0 * std::numbers::pi * radius / 360.0;
    std::vector<ScaleReading> readings;
    if (!scale) {
        if (resolution && *resolution > 0.0) readings.push_back({kmPerDegree / *resolution, ""});
        return readings;
    }
    const double v = scale->value;
    switch (ScaleUnitOf(scale->unit)) {
        case ScaleUnit::KilometresPerPixel:
            readings.push_back({v, ""});
            return readings;
        case ScaleUnit::MetresPerPixel:
            readings.push_back({v / 1000.0, ""});
            return readings;
        case ScaleUnit::PixelsPerDegree:
            if (v > 0.0) readings.push_back({kmPerDegree / v, ""});
            return readings;
        case ScaleUnit::Unknown:
            return readings;
        case ScaleUnit::Unwritten:
            break;
    }
    std::vector<ScaleReading> all{{v, "MAP_SCALE in km per pixel"}, {v / 1000.0, "MAP_SCALE in metres per pixel"}};
    // The Arecibo and Goldstone images give their pixels per degree of
    // longitude under this name.
    if (flat && v > 0.0) all.push_back({kmPerDegree / v, "MAP_SCALE in pixels per degree"});
    std::size_t first = 0;
    if (resolution && *resolution > 0.0) {
        // The reading nearest to what the resolution gives, by ratio.
        const double expected = kmPerDegree / *resolution;
        double best = INFINITY;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const double off = std::fabs(std::log(all[i].kmPerPixel / expected));
            if (off < best) {
                best = off;
                first = i;
            }
        }
    } else if (v > 100.0) {
        // No map of a planet has pixels of over 100 km: metres.
        first = 1;
    }
    readings.push_back(all[first]);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i != first) readings.push_back(all[i]);
    }
    return readings;
}

std::string Joined(const std::string& a, const char* b) {
    if (a.empty()) return b;
    if (*b == '\0') return a;
    return a + ", " + b;
}

// The bounds of `block` (npos: the top level), in the label's own longitudes.
std::optional<LabelBounds> BoundsOf(const OdlLabel& label, std::size_t block, bool west) {
    double rounding = 0.0;
    const auto degrees = [&](const char* name) {
        const OdlNode* node = FindKeyword(label, block, name);
        const std::optional<double> value = Degrees(QuantityOf(node));
        // A bound at a pole is exact; the others are as good as their last
        // written digit, and no worse than a twentieth of a degree.
        if (value && std::fabs(*value) != 90.0) {
            const std::string_view text = Trim(node->value);
            const std::size_t point = text.find('.');
            const std::size_t decimals = point == std::string_view::npos ? 0 : text.size() - point - 1;
            rounding = std::max(rounding, std::min(0.05, 0.5 * std::pow(10.0, -static_cast<double>(decimals))));
        }
        return value;
    };
    const auto minLat = degrees("MINIMUM_LATITUDE");
    const auto maxLat = degrees("MAXIMUM_LATITUDE");
    auto minLon = degrees("MINIMUM_LONGITUDE");
    auto maxLon = degrees("MAXIMUM_LONGITUDE");
    if (!minLon || !maxLon) {
        // Later PDS3 labels: the westernmost is the least longitude counted
        // east, the greatest counted west.
        const auto westernmost = degrees("WESTERNMOST_LONGITUDE");
        const auto easternmost = degrees("EASTERNMOST_LONGITUDE");
        minLon = west ? easternmost : westernmost;
        maxLon = west ? westernmost : easternmost;
    }
    if (!minLat || !maxLat) return std::nullopt;
    if (std::fabs(*minLat) > 90.0 || std::fabs(*maxLat) > 90.0 || *minLat > *maxLat) return std::nullopt;
    if ((!minLon || !maxLon) && (*minLat == -90.0 || *maxLat == 90.0)) {
        // A map about a pole may leave its longitudes 'N/A': all round.
        minLon = 0.0;
        maxLon = 360.0;
    }
    if (!minLon || !maxLon || std::fabs(*minLon) > 720.0 || std::fabs(*maxLon) > 720.0) return std::nullopt;
    return LabelBounds{*minLat, *maxLat, *minLon, *maxLon, rounding};
}

// The mean radius of the body a label names as its TARGET_NAME, in km
// (IAU 2015), for the bodies whose radar and map images of the era come
// with labels that give none.
std::optional<double> TargetRadius(const OdlLabel& label) {
    const OdlNode* target = FindKeyword(label, std::string::npos, "TARGET_NAME");
    if (target == nullptr) return std::nullopt;
    const std::string name = Upper(Trim(target->value));
    for (const auto& [body, radius] : {std::pair{"VENUS", 6051.8}, std::pair{"MERCURY", 2439.4},
                                       std::pair{"MARS", 3389.5}, std::pair{"MOON", 1737.4}}) {
        if (name == body) return radius;
    }
    return std::nullopt;
}

// Where the figures are: the projection object of either name, else the
// top level of a label that names a projection type there.
struct Place {
    LabelDialect dialect = LabelDialect::None;
    std::size_t block = std::string::npos;
};

Place FindPlace(const OdlLabel& label) {
    for (const auto& [name, dialect] : {std::pair{"IMAGE_MAP_PROJECTION", LabelDialect::Pds3},
                                        std::pair{"IMAGE_MAP_PROJECTION_CATALOG", LabelDialect::Catalog}}) {
        for (const OdlNodeKind kind : {OdlNodeKind::Object, OdlNodeKind::Group}) {
            const std::size_t block = FindBlock(label, kind, name);
            if (block != std::string::npos) return {dialect, block};
        }
    }
    if (FindKeyword(label, std::string::npos, "MAP_PROJECTION_TYPE") != nullptr) {
        return {LabelDialect::FlatBounds, std::string::npos};
    }
    return {};
}

}  // namespace

const char* DialectName(LabelDialect dialect) {
    switch (dialect) {
        case LabelDialect::None:
            return "";
        case LabelDialect::Pds3:
            return "PDS3 IMAGE_MAP_PROJECTION";
        case LabelDialect::Catalog:
            return "IMAGE_MAP_PROJECTION_CATALOG";
        case LabelDialect::FlatBounds:
            return "flat keywords, bounds only";
    }
    return "";
}

std::string NoCoordinatesMessage(const std::string& labelName, const std::string& why) {
    return (labelName.empty() ? std::string("The label") : labelName) + " gives no map coordinates: " + why;
}

LabelMap ReadLabelMap(const OdlLabel& label) {
    LabelMap map;
    const Place place = FindPlace(label);
    map.dialect = place.dialect;
    if (place.dialect == LabelDialect::None) return map;
    const std::size_t block = place.block;
    const auto keyword = [&](const char* name) { return FindKeyword(label, block, name); };
    const auto quantity = [&](const char* name) { return QuantityOf(keyword(name)); };

    const OdlNode* direction = keyword("POSITIVE_LONGITUDE_DIRECTION");
    const bool west = direction != nullptr && Upper(Trim(direction->value)) == "WEST";
    map.bounds = BoundsOf(label, block, west);

    MapProjection p;
    const OdlNode* type = keyword("MAP_PROJECTION_TYPE");
    p.type = type != nullptr ? Upper(Trim(type->value)) : std::string();
    std::optional<double> a = Kilometres(quantity("A_AXIS_RADIUS"));
    // The Arecibo and Goldstone labels give no radius: the body's own.
    const char* radiusAssumption = "";
    if (!a && (a = TargetRadius(label))) radiusAssumption = "the radius of TARGET_NAME";
    const std::optional<Quantity> scale = quantity("MAP_SCALE");
    const std::optional<Quantity> resolutionQuantity = quantity("MAP_RESOLUTION");
    const std::optional<double> resolution =
        resolutionQuantity ? std::optional<double>(resolutionQuantity->value) : std::nullopt;
    if (p.type.empty() || p.type == "N/A") {
        map.problem = "no MAP_PROJECTION_TYPE";
    } else if (!a) {
        map.problem = "no A_AXIS_RADIUS";
    } else if (!(*a > 0.0)) {
        map.problem = "A_AXIS_RADIUS is not above 0";
    } else if (!scale && !(resolution && *resolution > 0.0)) {
        map.problem = "no MAP_SCALE";
    } else if (scale && !(scale->value > 0.0)) {
        map.problem = "MAP_SCALE is not above 0";
    } else if (scale && ScaleUnitOf(scale->unit) == ScaleUnit::Unknown) {
        map.problem = "MAP_SCALE is in " + scale->unit + ", a unit not known";
    }
    if (!map.problem.empty()) return map;

    p.aAxisRadius = *a;
    p.bAxisRadius = Kilometres(quantity("B_AXIS_RADIUS")).value_or(*a);
    p.cAxisRadius = Kilometres(quantity("C_AXIS_RADIUS")).value_or(*a);
    if (!(p.bAxisRadius > 0.0)) p.bAxisRadius = *a;
    if (!(p.cAxisRadius > 0.0)) p.cAxisRadius = *a;
    p.positiveLongitudeWest = west;
    p.firstStandardParallel = Degrees(quantity("FIRST_STANDARD_PARALLEL"));
    p.secondStandardParallel = Degrees(quantity("SECOND_STANDARD_PARALLEL"));
    const std::optional<double> centerLatitude = Degrees(quantity("CENTER_LATITUDE"));
    const std::optional<double> centerLongitude = Degrees(quantity("CENTER_LONGITUDE"));
    p.centerLatitude = centerLatitude.value_or(0.0);
    p.centerLongitude = centerLongitude.value_or(0.0);

    const bool flat = place.dialect == LabelDialect::FlatBounds;
    const std::vector<ScaleReading> scales = ReadScale(scale, resolution, *a, flat);

    // The offsets: the line and sample of the projection's origin. The era's
    // X and Y axis offsets run along the lines (X, down the image) and the
    // samples (Y) on the Magellan products; the other way round is read too,
    // for the bounds to decide.
    struct Offsets {
        double line;
        double sample;
        const char* assumption;
        bool fromBounds;
    };
    std::vector<Offsets> offsets;
    const std::optional<double> line = Pixels(quantity("LINE_PROJECTION_OFFSET"));
    const std::optional<double> sample = Pixels(quantity("SAMPLE_PROJECTION_OFFSET"));
    const std::optional<double> x = Pixels(quantity("X_AXIS_PROJECTION_OFFSET"));
    const std::optional<double> y = Pixels(quantity("Y_AXIS_PROJECTION_OFFSET"));
    if (line || sample) {
        offsets.push_back({line.value_or(0.0), sample.value_or(0.0), "", false});
    } else if (x || y) {
        offsets.push_back({x.value_or(0.0), y.value_or(0.0), "X along the lines", false});
        offsets.push_back({y.value_or(0.0), x.value_or(0.0), "X along the samples", false});
    } else if (map.bounds) {
        offsets.push_back({0.0, 0.0, "", true});
        // The label gives no centre: a map of bounds only is centred on them.
        if (!centerLongitude) {
            const LabelBounds& b = *map.bounds;
            double span = std::fmod(b.maximumLongitude - b.minimumLongitude + 720.0, 360.0);
            if (span == 0.0) span = 360.0;
            p.centerLongitude = std::fmod(b.minimumLongitude + span / 2.0, 360.0);
        }
        if (!centerLatitude && p.type.find("STEREOGRAPHIC") != std::string::npos) {
            // A polar map of bounds only is about the pole they lie nearer.
            const LabelBounds& b = *map.bounds;
            p.centerLatitude = b.minimumLatitude + b.maximumLatitude >= 0.0 ? 90.0 : -90.0;
        }
    } else {
        map.problem = "no projection offsets and no bounds";
        return map;
    }

    for (const Offsets& o : offsets) {
        for (const ScaleReading& s : scales) {
            MapProjection reading = p;
            reading.lineProjectionOffset = o.line;
            reading.sampleProjectionOffset = o.sample;
            reading.offsetsFromBounds = o.fromBounds;
            reading.mapScale = s.kmPerPixel;
            reading.reading = Joined(Joined(o.assumption, s.assumption), radiusAssumption);
            map.readings.push_back(std::move(reading));
        }
    }
    return map;
}

}  // namespace dusk
