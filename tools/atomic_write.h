// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Replacing a file so that it is never seen half-written.

#include <cstdint>
#include <span>
#include <string>

namespace dusk {

// Writes `bytes` to a new file beside `path` that is unnamed (or under a
// temporary name where the file system offers no unnamed files), flushes it
// to disk when it replaces a file, and only then gives it the name `path`,
// so that `path` holds either its old content or the whole new one. A symbolic link is followed and stays; anything else that
// is not a regular file (a folder, a FIFO, a device) is never replaced. On
// failure the temporary file is removed, `error` says why and false is
// returned. Safe to call from several threads at once.
bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error);

}  // namespace dusk
