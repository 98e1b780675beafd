// SPDX-License-Identifier: GPL-3.0-or-later
#include "gdal/open_options.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace dusk {

namespace {

struct FlagOption {
    const char* name;
    OptionSlot slot;
    const char* description;
};

constexpr FlagOption kFlagOptions[] = {
    {"STRETCH", OptStretch, "Spread the middle 98 % of the data over the grey range"},
    {"DESPECKLE", OptDespeckle, "Remove isolated bright and dark impulses"},
    {"FLIP_VERTICALLY", OptFlipVertically, "Show the image upside down"},
    {"ROTATE", OptRotate, "Turn the image by 180 degrees"},
    {"INVERT", OptInvert, "Invert the grey levels"},
    {"MINIMIZE_HALF", OptMinimizeHalf, "Draw the image at half size"},
    {"MINIMIZE_QUARTER", OptMinimizeQuarter, "Draw the image at a quarter of its size"},
    {"MISSING_LINES", OptMissingLines, "Fill blank scan lines with the mean of their neighbours"},
};

struct LevelOption {
    const char* name;
    std::int32_t PictureSettings::*level;
    const char* description;
};

constexpr LevelOption kLevelOptions[] = {
    {"CONTRAST", &PictureSettings::contrast, "Contrast steps: gain 1 + N (-1 halves)"},
    {"BRIGHTNESS", &PictureSettings::brightness, "Grey levels added to every sample (20 is one step)"},
    {"SHADING", &PictureSettings::shading, "Horizontal shading ramp, -7 to 7"},
};

constexpr const char* kOriginal = "ORIGINAL";

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

std::optional<bool> YesOrNo(std::string_view value) {
    for (const char* yes : {"YES", "TRUE", "ON", "1"}) {
        if (SameName(value, yes)) return true;
    }
    for (const char* no : {"NO", "FALSE", "OFF", "0"}) {
        if (SameName(value, no)) return false;
    }
    return std::nullopt;
}

// A whole signed 32-bit decimal number, an optional sign included.
std::optional<std::int32_t> Level(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// Applies one option; false when `name` is not one of ours.
bool Apply(std::string_view name, std::string_view value, PictureSettings& picture, bool& original,
           bool& correction, std::string& error) {
    const std::string shown = std::string(name) + "=" + std::string(value);
    if (SameName(name, kOriginal)) {
        const std::optional<bool> on = YesOrNo(value);
        if (!on) error = shown + ": YES or NO";
        original = on.value_or(false);
        return true;
    }
    for (const FlagOption& flag : kFlagOptions) {
        if (!SameName(name, flag.name)) continue;
        const std::optional<bool> on = YesOrNo(value);
        if (!on) error = shown + ": YES or NO";
        picture.options[flag.slot] = on.value_or(false) ? 1 : 0;
        correction = true;
        return true;
    }
    for (const LevelOption& level : kLevelOptions) {
        if (!SameName(name, level.name)) continue;
        const std::optional<std::int32_t> number = Level(value);
        if (!number) error = shown + ": not a whole number";
        picture.*level.level = number.value_or(0);
        correction = true;
        return true;
    }
    return false;
}

}  // namespace

OpenOptionsReading ReadOpenOptions(const char* const* options) {
    OpenOptionsReading reading;
    PictureSettings picture;
    bool given = false;
    bool original = false;
    bool correction = false;
    for (const char* const* option = options; option != nullptr && *option != nullptr; ++option) {
        const std::string_view text(*option);
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        std::string error;
        given |= Apply(text.substr(0, equals), text.substr(equals + 1), picture, original, correction, error);
        if (!error.empty() && reading.error.empty()) reading.error = error;
    }
    if (!reading.error.empty()) return reading;
    if (original && correction) {
        reading.error = "ORIGINAL=YES cannot be combined with corrections or levels";
        return reading;
    }
    picture.original = original;
    if (given) reading.picture = picture;
    return reading;
}

std::string OpenOptionList() {
    std::string xml = "<OpenOptionList>";
    for (const FlagOption& flag : kFlagOptions) {
        xml += std::string("<Option name='") + flag.name + "' type='boolean' default='NO' description='" +
               flag.description + "'/>";
    }
    for (const LevelOption& level : kLevelOptions) {
        xml += std::string("<Option name='") + level.name + "' type='int' default='0' description='" +
               level.description + "'/>";
    }
    xml += std::string("<Option name='") + kOriginal +
           "' type='boolean' default='NO' description='The stored samples with no correction at all, shown "
           "upside down; not combined with the others'/>";
    return xml + "</OpenOptionList>";
}

}  // namespace dusk
