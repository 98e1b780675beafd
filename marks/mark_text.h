// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A mark's fields as text, as the store and the exports write them.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "marks/mark.h"

namespace dusk {

// "point", "distance", "area", "crater", "profile".
const char* KindName(MarkKind kind);
std::optional<MarkKind> KindNamed(std::string_view name);

// Raster points as "column row;column row", each number in its shortest
// form that reads back exactly.
std::string PointsText(std::span<const RasterPoint> points);
// None unless every point is two finite numbers.
std::optional<std::vector<RasterPoint>> PointsFromText(std::string_view text);

// Whether the mark's points suit its kind: one for a point, two or more for
// a distance, three or more for an area, one and a radius above 0 for a
// crater, two for a profile; every figure finite.
bool WellFormed(const Mark& mark);

// The present time in UTC, ISO 8601 to the millisecond ("2026-12-09T07:41:02.125Z").
std::string NowUtc();

// A number in its shortest exact form.
std::string NumberText(double value);

}  // namespace dusk
