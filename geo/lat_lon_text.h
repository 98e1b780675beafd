// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "geo/map_coordinates.h"

namespace dusk {

// "72.31° N, 318.04° E": latitude and longitude to two decimals, south as
// "S"; the longitude from 0 to 360, counted east, or west where the label
// counts its longitudes west, so that it reads like the label's own figures.
std::string LatLonText(const LatLon& position, bool longitudeWest);

}  // namespace dusk
