// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A synthetic side-looking radar scene of Venus at about 1 km per sample:
// plains of varied brightness with wrinkle ridges and shield fields, ridge
// belts, a tessera, a corona, lobate lava flows, impact craters (bright rims,
// dark floors, central peaks, bright ejecta, a few dark haloes), lit from the
// left, with multiplicative speckle, isolated impulses, blank scan lines and
// zeros outside the swath. Data samples lie in 1..254, so 0 means no data.

#include <cstdint>
#include <optional>
#include <vector>

namespace dusk::samples {

enum class Corner { TopLeft, TopRight, BottomLeft, BottomRight };

// A place in the scene as fractions of its width and height.
struct ScenePoint {
    float x = 0.0f;
    float y = 0.0f;
};

struct SceneRecipe {
    int width = 0;
    int height = 0;
    std::uint64_t seed = 0;
    int craters = 0;
    std::optional<ScenePoint> corona;
    std::optional<ScenePoint> tessera;
    int ridgeBelts = 0;
    // The corner that a curved swath edge cuts off; none: data everywhere.
    std::optional<Corner> outsideSwath;
    // Rows left blank (all zeros); two neighbouring rows make a doubled gap.
    std::vector<int> blankRows;
};

// The scene's samples, row after row, recipe.width per row.
std::vector<std::uint8_t> MakeRadarScene(const SceneRecipe& recipe);

}  // namespace dusk::samples
