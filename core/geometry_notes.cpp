// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/geometry_notes.h"

#include "core/image_state.h"

namespace dusk {

namespace {

constexpr const char* kTimes = " \u00D7 ";

// 512000 as "512,000".
std::string Grouped(std::int64_t n) {
    std::string digits = std::to_string(n < 0 ? -n : n);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return n < 0 ? "-" + digits : digits;
}

}  // namespace

HeldRows RowsHeld(std::int32_t length, std::int32_t width) {
    if (length <= 0 || width <= 0) return {};
    return {length / width, length % width, length >= kRawImageSize};
}

std::string UnknownLengthText(std::int32_t length, std::int32_t width, std::int32_t height) {
    const std::string bytes = Grouped(length) + (length >= kRawImageSize ? " bytes or more" : " bytes");
    return bytes + " match no known raster size; shown as " + std::to_string(width) + kTimes +
           std::to_string(height);
}

bool LabelFitsFile(const LabelGeometry& label, std::int32_t length, std::int32_t width) {
    const HeldRows held = RowsHeld(length, width);
    if (label.lineSamples != width) return false;
    if (held.orMore) return label.lines >= held.full;
    return label.lines == held.full || (held.partial > 0 && label.lines == held.full + 1);
}

std::string LabelGeometryText(const LabelGeometry& label, std::int32_t length, std::int32_t width) {
    if (length <= 0 || LabelFitsFile(label, length, width)) return {};
    const HeldRows held = RowsHeld(length, width);
    std::string holds = std::to_string(width) + kTimes + std::to_string(held.full);
    if (held.orMore) {
        holds += " or more";
    } else if (held.partial > 0) {
        holds += " and " + Grouped(held.partial) + (held.partial == 1 ? " sample" : " samples");
    }
    return "The label gives " + std::to_string(label.lineSamples) + kTimes + std::to_string(label.lines) +
           "; the file holds " + holds + ".";
}

}  // namespace dusk
