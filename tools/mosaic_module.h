// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The exporter's --mosaic: the mosaic built and written by the module
// duskmapper-mosaic, loaded with GDAL only when a mosaic is asked for.

#include <iosfwd>
#include <string>
#include <vector>

#include "mosaic/mosaic_entry.h"
#include "tools/export_options.h"

namespace dusk {

// --mosaic of the command line: the exit status, 1 when no mosaic was written.
int RunMosaic(const ExportSettings& settings, std::ostream& err);

}  // namespace dusk
