// SPDX-License-Identifier: GPL-3.0-or-later
#include "gdal/image_file.h"

#include <sys/stat.h>

#include <algorithm>

#include "collection/file_list.h"
#include "core/geometry.h"
#include "core/image_state.h"
#include "core/label.h"
#include "core/label_keywords.h"
#include "core/paths.h"

namespace dusk {

bool DescribesEightBitImage(const OdlLabel& label) {
    const std::size_t image = FindBlock(label, OdlNodeKind::Object, "IMAGE");
    if (image == std::string::npos) return false;
    const OdlNode* bits = FindKeyword(label, image, "SAMPLE_BITS");
    return bits != nullptr && bits->valueKind == OdlValueKind::Number && bits->value == "8";
}

std::optional<ImageFileLayout> RecogniseImageFile(const std::string& path) {
    const std::string name = NamePart(path);
    if (!IsVolumeName(name)) return std::nullopt;
    // Only the file's entry is looked at: a FIFO or a device is never opened.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= kMinListedFileSize) {
        return std::nullopt;
    }

    ImageFileLayout layout;
    layout.fileLength = static_cast<std::int32_t>(std::min<off_t>(info.st_size, kRawImageSize));
    const std::string directory = DirectoryPart(path);
    layout.labelPath = LabelFilePath(directory, name);
    if (!IsKnownLength(layout.fileLength) &&
        (layout.labelPath.empty() ||
         !DescribesEightBitImage(ParseOdl(ReadLabelBytes(layout.labelPath, kOdlReadLimit))))) {
        return std::nullopt;
    }
    const GeometryEntry geometry = GeometryForLength(layout.fileLength);
    layout.width = geometry.width;
    layout.height = geometry.height;
    layout.sampleBytes = std::min<std::int64_t>(layout.fileLength, std::int64_t{geometry.width} * geometry.height);
    return layout;
}

}  // namespace dusk
