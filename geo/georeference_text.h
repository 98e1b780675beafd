// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The georeference as the program understood it, in words, for the Label
// Keywords window and the GDAL metadata: one row a fact.

#include <string>
#include <vector>

#include "core/label_map.h"

namespace dusk {

struct GeoreferenceRow {
    std::string name;   // "Projection", "Body", "Scale", "Corners", "Bounds", "Read as"
    std::string value;  // UTF-8
};

// No rows where the label describes no map.
std::vector<GeoreferenceRow> DescribeGeoreference(const LabelGeoreference& georeference);

}  // namespace dusk
