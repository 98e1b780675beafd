// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What several benchmarks share: the process's resident memory and the
// polar map the measuring benchmarks measure on.
#include <unistd.h>

#include <fstream>

#include "../tests/polar_map.h"

namespace dusk::bench {

// Resident memory of this process, in KiB.
inline long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

using test::PolarMap;

}  // namespace dusk::bench
