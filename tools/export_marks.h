// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// duskmapper-export --marks: the marks of the images, from the marks store,
// as a GeoPackage (.gpkg), a Craterstats crater count (.scc) or the
// measurements as CSV (.csv), through the module duskmapper-marks.

#include <iosfwd>

#include "tools/export_options.h"

namespace dusk {

// Reads every input's label and file raster, then writes the export named
// by the output's extension from the store at `storePath` (empty: the
// user's, DefaultMarksPath). Returns 0 when
// it was written, 1 otherwise; warnings and errors go to `err`.
int RunMarksExport(const ExportSettings& settings, const std::string& storePath, std::ostream& err);

}  // namespace dusk
