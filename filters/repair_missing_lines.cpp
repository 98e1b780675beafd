// SPDX-License-Identifier: GPL-3.0-or-later
// While OptMissingLines is on: a row r (1..H-2) whose test columns sum to 0,
// between rows whose test columns do not, gets columns 2..W-1 set to the
// truncated mean of the rows above and below. Rows are handled top to bottom
// in place. Columns 0 and 1 are never tested nor written.
#include <cctype>

#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

namespace {

bool StartsWith(const std::string& name, const char* prefix) { return name.rfind(prefix, 0) == 0; }

bool StartsWithIgnoringCase(const std::string& name, const std::string& upperPrefix) {
    if (name.size() < upperPrefix.size()) return false;
    for (std::size_t i = 0; i < upperPrefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != upperPrefix[i]) return false;
    }
    return true;
}

}  // namespace

std::int32_t LineTestWidth(const std::string& fileName, std::int32_t width) {
    if (StartsWith(fileName, "69_131") || StartsWith(fileName, "69_141")) return 31;
    if (StartsWith(fileName, "69_011") || StartsWith(fileName, "69_021") || StartsWith(fileName, "69_031")) {
        return 134;
    }
    if (StartsWithIgnoringCase(fileName, "ED") || StartsWithIgnoringCase(fileName, "JAC")) return 134;
    return width - 2;
}

void RepairMissingLines() {
    ImageState& s = State();
    if (!IsOn(s.ActiveOptions[OptMissingLines])) return;
    const std::int32_t w = s.ImageWidth;
    const std::int32_t h = s.ImageHeight;
    const std::int32_t testWidth = LineTestWidth(s.CurrentFileName, w);
    std::uint8_t* raw = s.RawImage.get();

    // Sum of the test columns 2..testWidth+1 of a row, read from the flat
    // buffer (a test wider than the row reads on into the next one).
    auto testSum = [&](std::int32_t row) {
        std::int32_t sum = 0;
        const long base = static_cast<long>(row) * w;
        for (std::int32_t j = 2; j <= testWidth + 1; ++j) {
            const long k = base + j;
            if (k >= s.RawImageLength) break;
            sum += raw[k];
        }
        return sum;
    };

    for (std::int32_t r = 1; r <= h - 2; ++r) {
        if (testSum(r) != 0 || testSum(r - 1) == 0 || testSum(r + 1) == 0) continue;
        std::uint8_t* row = raw + static_cast<long>(r) * w;
        const std::uint8_t* above = row - w;
        const std::uint8_t* below = row + w;
        for (std::int32_t j = 2; j <= w - 1; ++j) {
            row[j] = static_cast<std::uint8_t>((above[j] + below[j]) / 2);
        }
    }
}

}  // namespace dusk
