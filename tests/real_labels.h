// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Map figures of public labels of the era, keyword for keyword, laid out
// anew: a Magellan F-MIDR framelet (the IMAGE_MAP_PROJECTION_CATALOG form with
// X and Y axis offsets and a MAP_SCALE in metres with no unit written), the
// Arecibo and Goldstone radar images on the Magellan CDs (flat keywords,
// bounds only, MAP_SCALE in pixels per degree, no radius), and a polar
// stereographic elevation map of the Moon's south pole from LRO's laser
// altimeter, whose latitude bound is where the sides touch the circle about
// the pole, not where the corners reach. Each with the raster its IMAGE
// object gives.

#include <string>

namespace real_labels {

struct RealLabel {
    const char* name;  // the product it comes from
    const char* text;
    int samples;  // LINE_SAMPLES
    int lines;    // LINES
    // Its bounds: the top left corner lies at the maximum latitude and the
    // minimum longitude (east, -180..180) on each of these maps.
    double maxLatitude;
    double minLatitude;
    double minLongitude;
    double maxLongitude;
    // Half a unit of the last digit its bounds are written to, in degrees.
    double written;
    // Where the corners do not lie at the bounds (a map about a pole): the
    // latitude of all four corners.
    double cornerLatitude = 0.0;
};

// F-MIDR 00N149, framelet 1.
inline constexpr const char* kFmidrFramelet = R"(CCSD3ZF0000100000001NJPL3IF0PDS200000001 = SFDU_LABEL
/* F-MIDR framelet, as on the Magellan MIDR CD-ROMs */
RECORD_TYPE = FIXED_LENGTH
RECORD_BYTES = 1024
SPACECRAFT_NAME = MAGELLAN
TARGET_NAME = VENUS
IMAGE_ID = 'F-MIDR.00N149;1'
OBJECT = IMAGE
  LINES = 1024
  LINE_SAMPLES = 1024
  SAMPLE_TYPE = UNSIGNED_INTEGER
  SAMPLE_BITS = 8
END_OBJECT
OBJECT = IMAGE_MAP_PROJECTION_CATALOG
  ^DATA_SET_MAP_PROJECT_CATALOG = 'DSMAPF.LBL'
  MAP_PROJECTION_TYPE = SINUSOIDAL
  MAP_RESOLUTION = 1407.4
  MAP_SCALE = 75
  MAXIMUM_LATITUDE = 2.5452
  MAXIMUM_LONGITUDE = 146.9725
  MINIMUM_LATITUDE = 1.8187
  MINIMUM_LONGITUDE = 146.2443
  X_AXIS_PROJECTION_OFFSET = 3584
  Y_AXIS_PROJECTION_OFFSET = 4096
  X_AXIS_FRAMELET_OFFSET = 1
  Y_AXIS_FRAMELET_OFFSET = 1
  A_AXIS_RADIUS = 6051.92
  B_AXIS_RADIUS = 6051.92
  C_AXIS_RADIUS = 6051.92
  FIRST_STANDARD_PARALLEL = 0.0000
  SECOND_STANDARD_PARALLEL = 'N/A'
  POSITIVE_LONGITUDE_DIRECTION = EAST
  CENTER_LATITUDE = 0.0000
  CENTER_LONGITUDE = 149.1556
  REFERENCE_LATITUDE = 'N/A'
  REFERENCE_LONGITUDE = 'N/A'
  MAP_PROJECTION_ROTATION = 0.0000
END_OBJECT
END
)";

// Arecibo 12.6-cm image AVEN019P (1988).
inline constexpr const char* kAreciboSouth = R"(CCSD3ZF0000100000001NJPL3IF0PDS200000001 = SFDU_LABEL
/* Arecibo radar image: no projection object */
RECORD_TYPE = FIXED_LENGTH
RECORD_BYTES = 1376
^IMAGE = "AVEN019P.IMG"
TARGET_NAME = VENUS
MAP_PROJECTION_TYPE = MERCATOR
MAP_SCALE = 25.00
MAXIMUM_LATITUDE = -10.05
MINIMUM_LATITUDE = -45.00
MAXIMUM_LONGITUDE = 319.96
MINIMUM_LONGITUDE = 265.00
OBJECT = IMAGE
  LINES = 1011
  LINE_SAMPLES = 1376
  SAMPLE_BITS = 8
  SAMPLE_TYPE = UNSIGNED_INTEGER
END_OBJECT = IMAGE
END
)";

// Arecibo AVEN018P: its longitudes run across 0.
inline constexpr const char* kAreciboAcrossZero = R"(CCSD3ZF0000100000001NJPL3IF0PDS200000001 = SFDU_LABEL
RECORD_TYPE = FIXED_LENGTH
TARGET_NAME = VENUS
MAP_PROJECTION_TYPE = MERCATOR
MAP_SCALE = 100.00
MAXIMUM_LATITUDE = 67.00
MINIMUM_LATITUDE = 45.00
MAXIMUM_LONGITUDE = 30.00
MINIMUM_LONGITUDE = 330.00
OBJECT = IMAGE
  LINES = 4074
  LINE_SAMPLES = 6002
  SAMPLE_BITS = 8
END_OBJECT = IMAGE
END
)";

// Goldstone altimetry image GVEN008A (1974).
inline constexpr const char* kGoldstone = R"(CCSD3ZF0000100000001NJPL3IF0PDS200000001 = SFDU_LABEL
TARGET_NAME = VENUS
MAP_PROJECTION_TYPE = MERCATOR
MAP_SCALE = 20.0
MAXIMUM_LATITUDE = 1.38
MINIMUM_LATITUDE = -13.01
MAXIMUM_LONGITUDE = 21.66
MINIMUM_LONGITUDE = 7.16
OBJECT = IMAGE
  LINES = 290
  LINE_SAMPLES = 290
  SAMPLE_BITS = 8
  SAMPLE_BIT_MASK = 2#00111111#
END_OBJECT = IMAGE
END
)";

// LOLA LDEM_875S_5M: polar stereographic about the south pole, 5 m pixels,
// longitudes not given.
inline constexpr const char* kLolaSouthPole = R"(PDS_VERSION_ID = "PDS3"
OBJECT = IMAGE
  LINES = 30336
  LINE_SAMPLES = 30336
  SAMPLE_TYPE = LSB_INTEGER
  SAMPLE_BITS = 16
END_OBJECT = IMAGE
OBJECT = IMAGE_MAP_PROJECTION
  ^DATA_SET_MAP_PROJECTION = "DSMAP_POLAR.CAT"
  MAP_PROJECTION_TYPE = "POLAR STEREOGRAPHIC"
  MAP_RESOLUTION = 6064.67 <pix/deg>
  A_AXIS_RADIUS = 1737.4 <km>
  B_AXIS_RADIUS = 1737.4 <km>
  C_AXIS_RADIUS = 1737.4 <km>
  CENTER_LATITUDE = -90 <deg>
  CENTER_LONGITUDE = 0 <deg>
  MAP_SCALE = 5 <m/pix>
  MAXIMUM_LATITUDE = -87.5 <deg>
  MINIMUM_LATITUDE = -90 <deg>
  WESTERNMOST_LONGITUDE = 'N/A'
  EASTERNMOST_LONGITUDE = 'N/A'
  LINE_PROJECTION_OFFSET = 15167.5 <pix>
  SAMPLE_PROJECTION_OFFSET = 15167.5 <pix>
  MAP_PROJECTION_ROTATION = 0.0
END_OBJECT = IMAGE_MAP_PROJECTION
END
)";

inline const RealLabel kRealLabels[] = {
    {"F-MIDR 00N149 framelet 1", kFmidrFramelet, 1024, 1024, 2.5452, 1.8187, 146.2443, 146.9725, 0.00005},
    {"Arecibo AVEN019P", kAreciboSouth, 1376, 1011, -10.05, -45.00, -95.00, -40.04, 0.005},
    {"Arecibo AVEN018P", kAreciboAcrossZero, 6002, 4074, 67.00, 45.00, -30.00, 30.00, 0.005},
    {"Goldstone GVEN008A", kGoldstone, 290, 290, 1.38, -13.01, 7.16, 21.66, 0.005},
    {"LOLA LDEM_875S_5M", kLolaSouthPole, 30336, 30336, -87.5, -90.0, 0.0, 360.0, 0.05, -86.46411},
};

// `text` with the first `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

}  // namespace real_labels
