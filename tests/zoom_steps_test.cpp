// The zoom arithmetic: the steps and their ends, the fitting scale, and the
// enlargement that shows each sample as a crisp block.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "render/zoom.h"

namespace dusk::test {
namespace {

TEST(ZoomStepsTest, StepsWalkUpAndDownAndStopAtTheEnds) {
    const std::vector<double> steps{1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1, 1.5,
                                    2,       3,       4,       6,       8,       12,      16};
    ASSERT_EQ(ZoomSteps().size(), steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(ZoomSteps()[i].Value(), steps[i]);
        EXPECT_EQ(ZoomInFrom(steps[i]), steps[i + 1 < steps.size() ? i + 1 : i]) << i;
        EXPECT_EQ(ZoomOutFrom(steps[i]), steps[i > 0 ? i - 1 : 0]) << i;
    }
}

TEST(ZoomStepsTest, FromAFittedScaleToTheNeighbouringSteps) {
    const struct {
        double scale, in, out;
    } cases[] = {
        {0.58, 2.0 / 3, 0.5},
        {0.5 + 1e-12, 2.0 / 3, 1.0 / 3},  // a rounding error from a step counts as the step
        {0.5 - 1e-12, 2.0 / 3, 1.0 / 3},
        {0.05, 1.0 / 8, 0.05},            // below the smallest step: Zoom Out stays
        {0.99, 1, 2.0 / 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZoomInFrom(c.scale), c.in) << c.scale;
        EXPECT_EQ(ZoomOutFrom(c.scale), c.out) << c.scale;
    }
}

// The fitted picture lies inside the room and, below 1, fills one side.
TEST(ZoomStepsTest, FitScaleFillsTheRoomAndNeverExceedsOne) {
    const struct {
        int w, h;
        double roomW, roomH;
    } cases[] = {{1036, 1120, 810, 658},  {1036, 1120, 1596, 1077}, {1052, 660, 1640, 1316}, {1052, 660, 700, 2000},
                 {996, 932, 995, 931},    {1, 1, 1, 1},             {1036, 1120, 3, 3},       {1052, 660, 1052, 660},
                 {1036, 1120, 1000.5, 700}};
    for (const auto& c : cases) {
        const double scale = FitScale(c.w, c.h, c.roomW, c.roomH);
        const int w = ShownLength(c.w, scale);
        const int h = ShownLength(c.h, scale);
        EXPECT_LE(scale, 1.0);
        EXPECT_LE(w, c.roomW);
        EXPECT_LE(h, c.roomH);
        if (scale < 1.0) {
            EXPECT_TRUE(w == static_cast<int>(c.roomW) || h == static_cast<int>(c.roomH)) << c.w << "x" << c.h;
        } else {
            EXPECT_EQ(w, c.w);
            EXPECT_EQ(h, c.h);
        }
    }
}

TEST(ZoomStepsTest, SampleAtNamesNothingOffThePicture) {
    EXPECT_EQ(SampleAt(-0.5, 10, 20), -1);
    EXPECT_EQ(SampleAt(20, 10, 20), -1);
    EXPECT_EQ(SampleAt(19.9, 10, 20), 9);
    EXPECT_EQ(SampleAt(3, 10, 5), 6);  // below 1: the first sample of a 2-sample pixel
    EXPECT_EQ(SampleAt(3.5, 10, 5), 7);
}

// A part at an odd place: at a whole scale n every device pixel shows
// sample (x / n, y / n); at 3/2 every sample shows, in order, 1 or 2 wide.
TEST(ZoomStepsTest, EnlargePartShowsCrispBlocks) {
    const int w = 7;
    const int h = 5;
    std::vector<std::uint32_t> source(static_cast<std::size_t>(w * h));
    for (int k = 0; k < w * h; ++k) source[static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(1000 + k);
    const int x0 = 3;
    const int y0 = 2;
    for (const int n : {1, 2, 3, 16}) {
        const int tw = w * n - x0 - 1;
        const int th = h * n - y0;
        std::vector<std::uint32_t> target(static_cast<std::size_t>(tw * th));
        EnlargePart(source.data(), w, h, w, w * n, h * n, x0, y0, tw, th, target.data(), tw);
        for (int y = 0; y < th; ++y) {
            for (int x = 0; x < tw; ++x) {
                ASSERT_EQ(target[static_cast<std::size_t>(y * tw + x)],
                          source[static_cast<std::size_t>((y0 + y) / n * w + (x0 + x) / n)])
                    << n << ": " << x << ", " << y;
            }
        }
    }
    const int shown = ShownLength(w, 1.5);  // 10
    std::vector<std::uint32_t> row(static_cast<std::size_t>(shown));
    EnlargePart(source.data(), w, h, w, shown, ShownLength(h, 1.5), 0, 0, shown, 1, row.data(), shown);
    std::vector<int> widths(static_cast<std::size_t>(w));
    for (std::size_t x = 0; x < row.size(); ++x) {
        ++widths[row[x] - 1000];
        if (x > 0) {
            EXPECT_LE(row[x - 1], row[x]);
        }
    }
    for (const int width : widths) EXPECT_TRUE(width == 1 || width == 2);
}

}  // namespace
}  // namespace dusk::test
