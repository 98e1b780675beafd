// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A run of the exporter over its inputs: where each bitmap goes, and the
// conversion of every input with its messages.

#include <cstddef>
#include <iosfwd>
#include <string>

#include "tools/export_options.h"

namespace dusk {

// The output name of an input name: its extension replaced by ".bmp", or
// ".bmp" appended when it has none.
std::string BitmapNameFor(const std::string& inputName);
// The same with another extension (".png" for thumbnails).
std::string OutputNameFor(const std::string& inputName, const std::string& extension);

// Threads for `count` inputs: as many as --jobs asks for or, by default, as
// there are cores; never more than inputs.
unsigned WorkerCount(const ExportSettings& settings, std::size_t count);

// Converts every input of `settings`, a batch on `settings.jobs` threads
// (one per core when 0; a single input on the calling thread). Messages go
// to `err`; progress lines too when `progress` is set (and --quiet was not
// given); both in input order, whatever the threads. Returns the exit
// status: 0 when every input was converted, 1 otherwise.
int RunExport(const ExportSettings& settings, std::ostream& err, bool progress);

}  // namespace dusk
