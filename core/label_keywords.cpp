// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/label_keywords.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <string>

#include "core/image_state.h"
#include "core/label.h"
#include "core/label_map.h"
#include "core/paths.h"

namespace dusk {

namespace {

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// A decimal number, as a whole; none for anything else.
std::optional<double> Decimal(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Units a number may carry, and the factor that brings it to ours.
struct UnitFactor {
    const char* unit;
    double factor;
};
constexpr UnitFactor kPixels[] = {{"", 1.0}, {"PIXEL", 1.0}, {"PIXELS", 1.0}, {"PIX", 1.0}};

template <std::size_t N>
std::optional<double> Measure(const OdlLabel& label, std::size_t block, const char* name,
                              const UnitFactor (&units)[N]) {
    const OdlNode* node = FindKeyword(label, block, name);
    if (node == nullptr || node->valueKind != OdlValueKind::Number) return std::nullopt;
    const std::optional<double> value = Decimal(node->value);
    if (!value) return std::nullopt;
    const std::string unit = Upper(node->unit);
    for (const UnitFactor& known : units) {
        if (unit == known.unit) return *value * known.factor;
    }
    return std::nullopt;
}

bool SameName(std::string_view a, std::string_view b) { return Upper(std::string(a)) == Upper(std::string(b)); }

}  // namespace

std::size_t FindBlock(const OdlLabel& label, OdlNodeKind kind, std::string_view name) {
    for (std::size_t i = 0; i < label.nodes.size(); ++i) {
        const OdlNode& node = label.nodes[i];
        if (node.kind == kind && SameName(node.name, name)) return i;
    }
    return std::string::npos;
}

const OdlNode* FindKeyword(const OdlLabel& label, std::size_t block, std::string_view name) {
    const bool top = block == std::string::npos;
    if (!top && block >= label.nodes.size()) return nullptr;
    const int depth = top ? 0 : label.nodes[block].depth + 1;
    for (std::size_t i = top ? 0 : block + 1; i < label.nodes.size(); ++i) {
        const OdlNode& node = label.nodes[i];
        if (node.depth < depth) break;
        if (node.depth == depth && node.kind == OdlNodeKind::Keyword && SameName(node.name, name)) return &node;
    }
    return nullptr;
}

std::optional<LabelGeometry> ImageGeometryOf(const OdlLabel& label) {
    const std::size_t image = FindBlock(label, OdlNodeKind::Object, "IMAGE");
    if (image == std::string::npos) return std::nullopt;
    const std::optional<double> lines = Measure(label, image, "LINES", kPixels);
    const std::optional<double> samples = Measure(label, image, "LINE_SAMPLES", kPixels);
    const auto whole = [](const std::optional<double>& v) {
        return v && *v >= 1.0 && *v <= 1e9 && std::floor(*v) == *v;
    };
    if (!whole(lines) || !whole(samples)) return std::nullopt;
    return LabelGeometry{static_cast<int>(*lines), static_cast<int>(*samples)};
}

std::optional<MapProjection> ProjectionOf(const OdlLabel& label) {
    LabelMap map = ReadLabelMap(label);
    if (map.readings.empty() || map.readings.front().offsetsFromBounds) return std::nullopt;
    return std::move(map.readings.front());
}

namespace {
// Set by the program before its workers load, read by every load.
std::atomic<GeoreferenceCheck> georeferenceCheck{nullptr};
}  // namespace

void SetGeoreferenceCheck(GeoreferenceCheck check) { georeferenceCheck.store(check, std::memory_order_release); }

void LoadLabelKeywords() {
    ImageState& s = State();
    const std::string path = LabelFilePath();
    // One byte past the limit tells whether the label goes on beyond it.
    s.LabelKeywords = path.empty() ? OdlLabel{} : ParseOdl(ReadLabelBytes(path, kOdlReadLimit + 1));
    s.LabelImageGeometry = ImageGeometryOf(s.LabelKeywords);
    s.LabelMapFigures = ReadLabelMap(s.LabelKeywords);
    s.Georeference = LabelGeoreference{};
    s.Georeference.dialect = s.LabelMapFigures.dialect;
    s.Georeference.bounds = s.LabelMapFigures.bounds;
    if (!s.LabelMapFigures.problem.empty()) {
        s.Georeference.message = NoCoordinatesMessage(NamePart(path), s.LabelMapFigures.problem);
    }
    s.Projection.reset();
    if (!s.LabelMapFigures.readings.empty() && !s.LabelMapFigures.readings.front().offsetsFromBounds) {
        // Unchecked until the check below, if one is set, has its say.
        s.Projection = s.LabelMapFigures.readings.front();
        s.Georeference.projection = s.Projection;
    }
    if (const GeoreferenceCheck check = georeferenceCheck.load(std::memory_order_acquire)) check();
}

}  // namespace dusk
