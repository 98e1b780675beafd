// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace dusk {

inline constexpr long long kMinListedFileSize = 10'000;

// Whether a folder entry belongs to the collection: its name begins with a
// volume name "V01" to "V27" (case-sensitive) and it is a file of more than
// 10,000 bytes.
bool IsVolumeName(const std::string& name);

// Empties the list: FileCount and FilePosition 0, every entry empty.
void ClearFileList();

// Lists the collection entries of DirectoryPath (subfolders not searched),
// sorted by byte value, whole names kept, and finds CurrentFileName among
// them: the entry of exactly that name, or else the last one that matches
// with a-z upper-cased on both sides; 0 when absent. When more than 1,000 entries qualify, the first 1,000 in
// sort order are kept and FileListCut is set.
void BuildFileList();

// The counter text: FilePosition and FileCount joined by "/" ("3/41").
std::string PositionText();

}  // namespace dusk
