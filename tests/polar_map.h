// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The polar map the measuring tests and benchmarks draw on.

#include "core/map_projection.h"

namespace dusk::test {

// 1 km per sample on a 6051.8 km sphere, the north pole at file column 526,
// row 330.
inline MapProjection PolarMap() {
    MapProjection p;
    p.type = "POLAR STEREOGRAPHIC";
    p.aAxisRadius = p.bAxisRadius = p.cAxisRadius = 6051.8;
    p.centerLatitude = 90;
    p.lineProjectionOffset = 330;
    p.sampleProjectionOffset = 526;
    p.mapScale = 1;
    return p;
}

}  // namespace dusk::test
