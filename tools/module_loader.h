// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The exporter's modules, which bring GDAL in only when they are needed.

#include <string>

namespace dusk {

// Loads the module installed at `fromBin` (relative to the program's own
// folder), else the one of the build tree at `buildPath`; it stays loaded
// for the rest of the run. Null with `failure` set where neither loads;
// `what` names it ("the TIFF writer (libduskmapper-geotiff.so)").
void* LoadModule(const std::string& fromBin, const std::string& buildPath, const std::string& what,
                 std::string& failure);

}  // namespace dusk
