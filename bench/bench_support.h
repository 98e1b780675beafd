// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What several benchmarks share: the process's resident memory and the
// polar map the measuring benchmarks measure on.
#include <unistd.h>

#include <fstream>

#include "core/map_projection.h"

namespace dusk::bench {

// Resident memory of this process, in KiB.
inline long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

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

}  // namespace dusk::bench
