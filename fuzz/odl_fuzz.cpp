// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword reader and what the load takes from its result, on arbitrary
// bytes: the tree it gives stays well formed and within its bounds.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/label_keywords.h"
#include "core/odl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const dusk::OdlLabel label = dusk::ParseOdl(text);
    if (label.nodes.size() > dusk::kOdlMaxNodes) std::abort();
    if (label.problem.empty() != (label.problemLine == 0)) std::abort();
    // Each node lies at most one level below the node before it, and only
    // below a block.
    int allowed = 0;
    for (const dusk::OdlNode& node : label.nodes) {
        if (node.depth < 0 || node.depth > allowed || node.depth > dusk::kOdlMaxDepth) std::abort();
        if (node.name.empty()) std::abort();
        if ((node.kind == dusk::OdlNodeKind::Keyword) == (node.valueKind == dusk::OdlValueKind::None)) std::abort();
        allowed = node.depth + (node.kind == dusk::OdlNodeKind::Keyword ? 0 : 1);
    }
    if (const auto geometry = dusk::ImageGeometryOf(label); geometry) {
        if (geometry->lines < 1 || geometry->lineSamples < 1) std::abort();
    }
    if (const auto projection = dusk::ProjectionOf(label); projection) {
        if (!(projection->mapScale > 0.0) || !(projection->aAxisRadius > 0.0) || projection->type.empty()) {
            std::abort();
        }
        if (!std::isfinite(projection->mapScale) || !std::isfinite(projection->bAxisRadius)) std::abort();
    }
    return 0;
}
