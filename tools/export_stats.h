// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// duskmapper-export --stats: the grey-level statistics of each rendered
// picture as CSV, for checking a whole volume from a script.

#include <iosfwd>
#include <string>

#include "core/picture_stats.h"
#include "tools/export_options.h"

namespace dusk {

inline constexpr const char* kStatsHeader = "file,width,height,min,max,mean,median,stddev,black,white";

// One CSV line (without its end): the file as given, quoted where it holds a
// comma, a quote or a line break; mean and standard deviation with two decimals.
std::string StatsLine(const std::string& file, int width, int height, const PictureStats& stats);

// Renders every input with the settings and prints the header and a line per
// readable input to `out`, in input order; unreadable inputs are reported to
// `err`. Returns 0 when every input was read, 1 otherwise.
int RunStats(const ExportSettings& settings, std::ostream& out, std::ostream& err);

}  // namespace dusk
