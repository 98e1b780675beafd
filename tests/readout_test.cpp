// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "core/readout.h"

namespace {

using dusk::DisplayMapping;
using dusk::FilePoint;
using dusk::MapToFile;
using dusk::PointKind;

struct ReadoutCase {
    const char* what;
    DisplayMapping mapping;
    int x, y;
    PointKind kind;
    int row, column;
};

// 1052 x 660 unless stated. Positions worked out by hand from the way each
// stage moves samples and from the bottom-up bitmap.
const ReadoutCase kCases[] = {
    {"default: first row on top", {1052, 660, true, false, 1}, 0, 0, PointKind::Sample, 0, 0},
    {"default: bottom right", {1052, 660, true, false, 1}, 1051, 659, PointKind::Sample, 659, 1051},
    {"default: inside", {1052, 660, true, false, 1}, 10, 20, PointKind::Sample, 20, 10},
    {"flip option: upside down", {1052, 660, false, false, 1}, 10, 20, PointKind::Sample, 639, 10},
    {"rotated: turned by 180", {1052, 660, true, true, 1}, 10, 20, PointKind::Sample, 639, 1041},
    {"rotated without flip: mirrored", {1052, 660, false, true, 1}, 10, 20, PointKind::Sample, 20, 1041},
    {"unprocessed: upside down", {1052, 660, false, false, 1}, 0, 0, PointKind::Sample, 659, 0},
    // Half size of 1052 x 660: raster rows 261..590 (lines 69..398 from the top), columns 137..662.
    {"half: top left of the picture", {1052, 660, true, false, 2}, 137, 69, PointKind::Sample, 0, 0},
    {"half: bottom right of the picture", {1052, 660, true, false, 2}, 662, 398, PointKind::Sample, 658, 1050},
    {"half: next block", {1052, 660, true, false, 2}, 138, 70, PointKind::Sample, 2, 2},
    {"half: grey above", {1052, 660, true, false, 2}, 137, 68, PointKind::GreyField, 0, 0},
    {"half: grey left", {1052, 660, true, false, 2}, 136, 69, PointKind::GreyField, 0, 0},
    {"half: grey right", {1052, 660, true, false, 2}, 663, 69, PointKind::GreyField, 0, 0},
    {"half: grey below", {1052, 660, true, false, 2}, 137, 399, PointKind::GreyField, 0, 0},
    {"half rotated: block of the far corner", {1052, 660, true, true, 2}, 137, 69, PointKind::Sample, 658, 1050},
    {"half upside down", {1052, 660, false, false, 2}, 137, 69, PointKind::Sample, 658, 0},
    // Quarter size of 1052 x 660: raster rows 343..507 (lines 152..316), columns 269..531.
    {"quarter: top left", {1052, 660, true, false, 4}, 269, 152, PointKind::Sample, 0, 0},
    {"quarter: bottom right", {1052, 660, true, false, 4}, 531, 316, PointKind::Sample, 656, 1048},
    {"quarter: grey", {1052, 660, true, false, 4}, 268, 152, PointKind::GreyField, 0, 0},
    // 1072 x 896, half: lines 69..516, columns 132..667.
    {"1072x896 half: top left", {1072, 896, true, false, 2}, 132, 69, PointKind::Sample, 0, 0},
    {"1072x896 half: grey below", {1072, 896, true, false, 2}, 132, 517, PointKind::GreyField, 0, 0},
    // 1072 x 896, quarter: lines 181..404, columns 266..533.
    {"1072x896 quarter: top left", {1072, 896, true, false, 4}, 266, 181, PointKind::Sample, 0, 0},
    {"1072x896 quarter: bottom right", {1072, 896, true, false, 4}, 533, 404, PointKind::Sample, 892, 1068},
    {"outside left", {1052, 660, true, false, 1}, -1, 0, PointKind::Outside, 0, 0},
    {"outside below", {1052, 660, true, false, 1}, 0, 660, PointKind::Outside, 0, 0},
};

TEST(Readout, MapsEveryOrientationAndReductionBackToTheFile) {
    for (const ReadoutCase& c : kCases) {
        const FilePoint p = MapToFile(c.mapping, c.x, c.y);
        EXPECT_EQ(p.kind, c.kind) << c.what;
        if (c.kind == PointKind::Sample) {
            EXPECT_EQ(p.row, c.row) << c.what;
            EXPECT_EQ(p.column, c.column) << c.what;
        }
    }
}

TEST(Readout, MappingFollowsTheActiveOptions) {
    dusk::ResetState();
    auto& s = dusk::State();
    s.ImageWidth = 996;
    s.ImageHeight = 932;
    s.ActiveOptions[dusk::OptRotate] = 1;
    s.ActiveOptions[dusk::OptMinimizeHalf] = 1;
    s.ActiveOptions[dusk::OptMinimizeQuarter] = 1;
    s.ActiveOptions[dusk::OptFlipVertically] = 5;  // any value but 0 skips the flip
    DisplayMapping m = dusk::CurrentDisplayMapping();
    EXPECT_EQ(m.width, 996);
    EXPECT_EQ(m.height, 932);
    EXPECT_FALSE(m.rowsFlipped);
    EXPECT_TRUE(m.rotated);
    EXPECT_EQ(m.reduction, 4);  // quarter wins
    s.ShownUnprocessed = true;  // after "Original Image"
    m = dusk::CurrentDisplayMapping();
    EXPECT_FALSE(m.rowsFlipped);
    EXPECT_FALSE(m.rotated);
    EXPECT_EQ(m.reduction, 1);
    dusk::ResetState();
}

// The sample area is exactly the set of pixels the readout traces to a
// sample; the figures for 1052 x 660 and 1072 x 896 are those worked out
// above. Small rasters put part or all of a reduced picture past the edge.
TEST(Readout, SampleAreaHoldsExactlyThePixelsThatShowSamples) {
    const struct {
        DisplayMapping mapping;
        dusk::PictureArea area;
    } cases[] = {
        {{1052, 660, true, false, 1}, {0, 0, 1052, 660}},   {{1052, 660, false, true, 2}, {137, 69, 526, 330}},
        {{1052, 660, true, false, 4}, {269, 152, 263, 165}}, {{1072, 896, true, true, 2}, {132, 69, 536, 448}},
        {{1072, 896, false, false, 4}, {266, 181, 268, 224}}, {{1036, 1121, true, false, 2}, {141, 70, 518, 560}},
        {{1700, 100, true, false, 2}, {0, 69, 825, 31}},     {{200, 100, true, false, 2}, {350, 69, 0, 31}},
    };
    for (const auto& c : cases) {
        const DisplayMapping& m = c.mapping;
        const dusk::PictureArea a = dusk::SampleArea(m);
        SCOPED_TRACE(std::to_string(m.width) + "x" + std::to_string(m.height) + " / " + std::to_string(m.reduction));
        EXPECT_EQ(a.x, c.area.x);
        EXPECT_EQ(a.y, c.area.y);
        EXPECT_EQ(a.width, c.area.width);
        EXPECT_EQ(a.height, c.area.height);
        int wrong = 0;
        for (int y = 0; y < m.height; ++y) {
            for (int x = 0; x < m.width; ++x) {
                const bool inside = x >= a.x && x < a.x + a.width && y >= a.y && y < a.y + a.height;
                wrong += inside != (MapToFile(m, x, y).kind == PointKind::Sample);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

}  // namespace

// The continuous mapping agrees with the readout's: the centre of every
// sample pixel of the cases above, mapped to the file, lies in the block
// MapToFile names, and back on the picture it is that centre again.
TEST(Readout, ContinuousPlacesAgreeWithTheReadout) {
    for (const ReadoutCase& c : kCases) {
        if (c.kind != PointKind::Sample) continue;
        const dusk::PicturePoint centre{c.x + 0.5, c.y + 0.5};
        const dusk::RasterPoint file = dusk::FileRasterPointAt(c.mapping, centre);
        const int f = c.mapping.reduction;
        EXPECT_GE(file.row, c.row) << c.what;
        EXPECT_LT(file.row, c.row + f) << c.what;
        EXPECT_GE(file.column, c.column) << c.what;
        EXPECT_LT(file.column, c.column + f) << c.what;
        const dusk::PicturePoint back = dusk::PicturePointOf(c.mapping, file);
        EXPECT_NEAR(back.x, centre.x, 1e-9) << c.what;
        EXPECT_NEAR(back.y, centre.y, 1e-9) << c.what;
    }
}
