// SPDX-License-Identifier: GPL-3.0-or-later
#include "gdal/label_metadata.h"

#include "core/label.h"

namespace dusk {

std::vector<std::string> LabelMetadataLines(const OdlLabel& label) {
    std::vector<std::string> lines;
    std::vector<std::string> blocks;  // the names of the open blocks, outermost first
    for (const OdlNode& node : label.nodes) {
        blocks.resize(std::min(blocks.size(), static_cast<std::size_t>(node.depth)));
        if (node.kind != OdlNodeKind::Keyword) {
            blocks.push_back(node.name);
            continue;
        }
        std::string line;
        for (const std::string& block : blocks) line += block + '.';
        line += node.name + '=' + node.value;
        if (!node.unit.empty()) line += " <" + node.unit + '>';
        lines.push_back(Cp1250ToUtf8(line));
    }
    return lines;
}

}  // namespace dusk
