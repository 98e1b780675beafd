// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a keyword label beside the image says as data: its statements, the
// raster size of its IMAGE object and the map projection of its
// IMAGE_MAP_PROJECTION object. Read on its own, apart from the 67 lines of
// the Info box.

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/map_projection.h"
#include "core/odl.h"

namespace dusk {

// The first block named `name` (letter case ignored) of `kind`; npos when
// there is none.
std::size_t FindBlock(const OdlLabel& label, OdlNodeKind kind, std::string_view name);
// The keyword `name` among the direct members of the block at `block`, or
// among the top-level statements when `block` is npos; null when absent.
const OdlNode* FindKeyword(const OdlLabel& label, std::size_t block, std::string_view name);

// LINES and LINE_SAMPLES of the label's IMAGE object, when both are whole
// numbers above 0.
std::optional<LabelGeometry> ImageGeometryOf(const OdlLabel& label);

// The plain reading of the label's map figures (see ReadLabelMap): the
// projection as the label writes it, unchecked; none where it describes no
// map, its figures make no projection, or it gives no offsets.
std::optional<MapProjection> ProjectionOf(const OdlLabel& label);

// The check of a label's map figures against its bounds (geo's
// CheckLabelGeoreference, or the exporter's way to it), run at the end of
// every LoadLabelKeywords. Without one, the plain reading is taken
// unchecked. Set it before any thread loads.
using GeoreferenceCheck = void (*)();
void SetGeoreferenceCheck(GeoreferenceCheck check);

// Reads the whole label file of the image (up to 1 MiB, the same file that
// the Info box shows from) into LabelKeywords, LabelImageGeometry,
// LabelMapFigures, Georeference and Projection of the record; no label gives
// none of them.
void LoadLabelKeywords();

}  // namespace dusk
