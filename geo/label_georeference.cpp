// SPDX-License-Identifier: GPL-3.0-or-later
#include "geo/label_georeference.h"

#include "core/image_state.h"

namespace dusk {

LabelGeoreference UnderstandLabelMap(const LabelMap& map, int width, int height, const std::string&) {
    LabelGeoreference answer;
    answer.dialect = map.dialect;
    answer.bounds = map.bounds;
    answer.width = width;
    answer.height = height;
    if (!map.readings.empty()) answer.projection = map.readings.front();
    answer.message = map.problem;
    return answer;
}

void CheckLabelGeoreference() {
    ImageState& s = State();
    const int width = s.LabelImageGeometry ? s.LabelImageGeometry->lineSamples : s.ImageWidth;
    const int height = s.LabelImageGeometry ? s.LabelImageGeometry->lines : s.ImageHeight;
    s.Georeference = UnderstandLabelMap(s.LabelMapFigures, width, height, "");
    s.Projection = s.Georeference.projection;
}

}  // namespace dusk
