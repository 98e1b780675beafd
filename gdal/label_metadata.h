// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The statements of a keyword label as GDAL metadata lines.

#include <string>
#include <vector>

#include "core/odl.h"

namespace dusk {

// One "NAME=VALUE" line per keyword, in reading order, the names of the
// blocks around it joined before it by '.' ("IMAGE_MAP_PROJECTION.MAP_SCALE=
// 2.0 <KM/PIXEL>"); a number keeps its unit, and the text is turned from code
// page 1250 into UTF-8. A keyword written twice gives two lines.
std::vector<std::string> LabelMetadataLines(const OdlLabel& label);

}  // namespace dusk
