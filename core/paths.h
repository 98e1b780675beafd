// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace dusk {

// Splits a path into its folder (with its trailing separator; empty when the
// path names no folder) and its name.
std::string DirectoryPart(const std::string& path);
std::string NamePart(const std::string& path);

}  // namespace dusk
