// SPDX-License-Identifier: GPL-3.0-or-later
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "core/print_layout.h"

namespace {

using dusk::PrintRect;
using dusk::PrintRectangle;

struct LayoutCase {
    const char* name;
    int pictureWidth, pictureHeight, pageWidth, pageHeight;
    PrintRect expected;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class PrintLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PrintLayoutTest, PlacesThePictureAtTheTopLeft) {
    const LayoutCase& c = GetParam();
    EXPECT_EQ(PrintRectangle(c.pictureWidth, c.pictureHeight, c.pageWidth, c.pageHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PrintLayoutTest,
    ::testing::Values(
        // 660 x (4800 / 1052) = 3011.41.
        LayoutCase{"WidePage", 1052, 660, 4800, 6600, {0, 0, 4800, 3011}},
        // 1120 x (4800 / 1036) = 5189.2, more than the page: cut to its height.
        LayoutCase{"ShortPage", 1036, 1120, 4800, 4000, {0, 0, 4800, 4000}},
        // Narrower than the picture: its own size, cut off at the page edge.
        LayoutCase{"NarrowPage", 1052, 660, 800, 6600, {0, 0, 1052, 660}},
        // As wide as the picture: no stretching either.
        LayoutCase{"EqualWidth", 1052, 660, 1052, 100, {0, 0, 1052, 660}},
        // 5 x (3 / 2) = 7.5 and 7 x (3 / 2) = 10.5 in single precision: halves
        // go to the even neighbour.
        LayoutCase{"HalfUp", 2, 5, 3, 100, {0, 0, 3, 8}},
        LayoutCase{"HalfDown", 2, 7, 3, 100, {0, 0, 3, 10}},
        // 500 x 1001 / 1000 is 500.5 exactly, but 500.500031 in single
        // precision; 495 x 1003 / 990 is 501.5, but 501.499969.
        LayoutCase{"SingleAboveHalf", 1000, 500, 1001, 10000, {0, 0, 1001, 501}},
        LayoutCase{"SingleBelowHalf", 990, 495, 1003, 10000, {0, 0, 1003, 501}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

}  // namespace
