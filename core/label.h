// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace dusk {

inline constexpr int kLabelReadLimit = 7000;
inline constexpr int kLabelRecordLength = 80;
inline constexpr int kLabelLineCount = 67;

// The label file name of an image name: characters 1-3 (or 1-5) followed by
// ".lbl" when characters 4-7 (or 6-9) are exactly ".img" or ".IMG"; empty
// when no rule applies.
std::string LabelFileName(const std::string& imageName);

// Splits label bytes (at most 7,000 are looked at) into 67 items of 80 bytes,
// the 79th and 80th blanked, each cut at its first zero byte. Bytes past the
// end of the data count as zero.
std::vector<std::string> SplitLabel(const std::string& bytes);

// The path of the label file of CurrentFileName in DirectoryPath; empty when
// no name rule applies or no such file exists. Where the file system tells
// letter cases apart, a label named with ".LBL" is found when the ".lbl" one
// is absent.
std::string LabelFilePath();
// The same for the image `imageName` in `directory` (empty, or ending in its
// separator), without the record.
std::string LabelFilePath(const std::string& directory, const std::string& imageName);
// Up to `limit` bytes from the start of the regular file at `path`; nothing
// when it cannot be read (a folder, a FIFO or a device is never read).
std::string ReadLabelBytes(const std::string& path, std::size_t limit);

// Reads the label of CurrentFileName in DirectoryPath. No label name or no
// such file: no items. Where the file system tells letter cases apart, a
// label named with ".LBL" is found when the ".lbl" one is absent. A label
// that exists but cannot be read gives 67 empty items.
std::vector<std::string> ReadImageLabel();
// Reads the label as ReadImageLabel does into LabelLines.
void LoadImageLabel();

// Decodes label text, one byte per character of code page 1250, into UTF-8
// with the system's converter. A byte the code page leaves undefined shows as
// U+FFFD.
std::string Cp1250ToUtf8(const std::string& bytes);

}  // namespace dusk
