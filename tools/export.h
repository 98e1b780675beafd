// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// duskmapper-export: renders image files to bitmap files without the desktop
// program, through the same load steps and the same corrections. This header
// gathers the exporter's parts; each has a header of its own.

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/atomic_write.h"
#include "tools/export_batch.h"
#include "tools/export_options.h"
#include "tools/export_render.h"
#include "tools/export_stats.h"

namespace dusk {

// The whole command: parsing, help, version, conversion. Returns the exit
// status (2 for a usage error).
int ExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progress);

}  // namespace dusk
