// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/progress.h"

#include <ostream>

#include "tools/export_options.h"

namespace dusk {

namespace {
constexpr const char* kClearLine = "\r\033[K";
}  // namespace

Reporter::Reporter(std::ostream& err, bool progress) : err_(err), progress_(progress) {}

Reporter::~Reporter() {
    if (shown_) err_ << kClearLine << std::flush;
}

void Reporter::Progress(std::size_t n, std::size_t count, const std::string& name) {
    if (!progress_) return;
    err_ << kClearLine << n << '/' << count << ' ' << name << std::flush;
    shown_ = true;
}

void Reporter::Error(const std::string& message) {
    if (shown_) err_ << kClearLine;
    err_ << kExportProgram << ": " << message << '\n' << std::flush;
    shown_ = false;
}

}  // namespace dusk
