// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/label_map.h"

#include "core/label_keywords.h"

namespace dusk {

const char* DialectName(LabelDialect dialect) {
    switch (dialect) {
        case LabelDialect::None:
            return "";
        case LabelDialect::Pds3:
            return "PDS3 IMAGE_MAP_PROJECTION";
        case LabelDialect::Catalog:
            return "IMAGE_MAP_PROJECTION_CATALOG";
        case LabelDialect::FlatBounds:
            return "flat keywords, bounds only";
    }
    return "";
}

LabelMap ReadLabelMap(const OdlLabel& label) {
    LabelMap map;
    if (std::optional<MapProjection> p = ProjectionOf(label)) {
        map.dialect = LabelDialect::Pds3;
        map.readings.push_back(std::move(*p));
    }
    return map;
}

}  // namespace dusk
