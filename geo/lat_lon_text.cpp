// SPDX-License-Identifier: GPL-3.0-or-later
#include "geo/lat_lon_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace dusk {

namespace {

constexpr const char* kDegree = "\xC2\xB0";

// Hundredths of a degree, rounded, as "d.dd".
std::string Hundredths(long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", value / 100, value % 100);
    return text;
}

}  // namespace

std::string LatLonText(const LatLon& position, bool longitudeWest) {
    // Rounded first, so that 359.999 reads 0.00 and -0.001 reads 0.00 N.
    const long long latitude = std::llround(position.latitude * 100.0);
    const double counted = longitudeWest ? -position.longitude : position.longitude;
    long long longitude = std::llround(counted * 100.0) % 36000;
    if (longitude < 0) longitude += 36000;
    return Hundredths(std::llabs(latitude)) + kDegree + (latitude < 0 ? " S, " : " N, ") + Hundredths(longitude) +
           kDegree + (longitudeWest ? " W" : " E");
}

}  // namespace dusk
