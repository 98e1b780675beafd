// SPDX-License-Identifier: GPL-3.0-or-later
// Impulse removal in the fixed window of positions 1938..676630 (from 1), in
// place on the flat buffer, neighbours crossing row ends.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "filters/filters.h"
#include "tests/reference/reference.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

constexpr std::int32_t kFirst = 1938;
constexpr std::int32_t kLast = 676630;

enum class Pass { First, Second };

using reference::PassRule;

PassRule RuleOf(Pass pass) {
    const ImageState& s = State();
    if (pass == Pass::First) return {s.DespeckleBrightThreshold, 6, s.DespeckleDarkThreshold, 7};
    return {5, 8, 5, 8};
}

void ReferenceSweep(Raster& raw, std::int32_t w, std::int32_t h, const PassRule& rule) {
    reference::DespeckleSweep(raw, w, h, rule, kFirst, kLast);
}

void RunPass(Pass pass) {
    if (pass == Pass::First) {
        DespeckleFirstPass();
    } else {
        DespeckleSecondPass();
    }
}

void PrepareDespeckle(std::int32_t w, std::int32_t h, std::uint8_t bright = 10, std::uint8_t dark = 10) {
    SetGeometry(w, h);
    ImageState& s = State();
    s.DespeckleFirst = kFirst;
    s.DespeckleLast = kLast;
    s.DespeckleBrightThreshold = bright;
    s.DespeckleDarkThreshold = dark;
    s.ActiveOptions[OptDespeckle] = 1;
}

struct SweepCase {
    Size size;
    Pass pass;
    std::uint8_t brightThreshold;
    std::uint8_t darkThreshold;
    bool speckled;  // else uniformly random samples from lo to hi
    int lo = 0;
    int hi = 255;
};

class DespeckleReferenceTest : public FreshStateParamTest<SweepCase> {};

TEST_P(DespeckleReferenceTest, MatchesReference) {
    const SweepCase& c = GetParam();
    PrepareDespeckle(c.size.width, c.size.height, c.brightThreshold, c.darkThreshold);
    const std::size_t n = static_cast<std::size_t>(c.size.width) * static_cast<std::size_t>(c.size.height);
    const auto seed = static_cast<std::uint32_t>(n + c.brightThreshold * 7 + c.darkThreshold);
    const Raster raster = c.speckled ? SpeckledRaster(seed, n, c.size.width) : RandomRaster(seed, n, c.lo, c.hi);
    PutRaw(raster);
    Raster expected = raster;
    ReferenceSweep(expected, c.size.width, c.size.height, RuleOf(c.pass));
    ASSERT_NE(expected, raster) << "the raster should give the pass something to do";
    RunPass(c.pass);
    const Raster got = RawCopy();
    std::size_t firstDiff = 0;
    while (firstDiff < got.size() && got[firstDiff] == expected[firstDiff]) ++firstDiff;
    EXPECT_EQ(firstDiff, got.size()) << "first difference at index " << firstDiff;
}

std::vector<SweepCase> SweepCases() {
    std::vector<SweepCase> cases;
    const Size sizes[] = {{1052, 660}, {1052, 468}, {996, 888}, {996, 712}, {1036, 1120}, {1072, 896}};
    for (const Size& s : sizes) {
        cases.push_back({s, Pass::First, 10, 10, true});
        cases.push_back({s, Pass::Second, 10, 10, true});
    }
    cases.push_back({{1052, 660}, Pass::First, 10, 10, false});
    cases.push_back({{1052, 660}, Pass::Second, 10, 10, false});
    // The first pass reads its two margins; the second pass ignores them.
    cases.push_back({{1052, 660}, Pass::First, 3, 20, true});
    cases.push_back({{1072, 896}, Pass::First, 30, 0, true});
    cases.push_back({{1052, 660}, Pass::Second, 200, 200, true});
    // Dense speckle: about half the samples replaced, many in runs where
    // each depends on the one replaced before it.
    for (const Pass pass : {Pass::First, Pass::Second}) {
        cases.push_back({{1052, 660}, pass, 10, 10, false, 60, 179});
        cases.push_back({{996, 888}, pass, 10, 10, false, 100, 139});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Rasters, DespeckleReferenceTest, ::testing::ValuesIn(SweepCases()), [](const auto& info) {
    const SweepCase& c = info.param;
    return SizeName(c.size) + (c.pass == Pass::First ? "_first_" : "_second_") +
           std::to_string(c.brightThreshold) + "_" + std::to_string(c.darkThreshold) +
           (c.speckled ? "_speckled" : "_random_" + std::to_string(c.lo) + "_" + std::to_string(c.hi));
});

// Worked shapes on a uniform background, around row 100, column 500 of a
// 1052 x 660 raster unless a case says otherwise.
struct Put {
    std::int32_t row;  // relative to the case's centre
    std::int32_t col;
    std::uint8_t value;
};

struct ShapeCase {
    const char* name;
    Pass pass;
    std::uint8_t background;
    std::int32_t row;
    std::int32_t col;
    std::vector<Put> put;
    std::vector<Put> expect;
    Size size = {1052, 660};
};

class DespeckleShapeTest : public FreshStateParamTest<ShapeCase> {};

TEST_P(DespeckleShapeTest, WorkedExample) {
    const ShapeCase& c = GetParam();
    const std::int32_t w = c.size.width;
    PrepareDespeckle(w, c.size.height);
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(c.size.height);
    std::memset(Raw(), c.background, n);
    auto at = [&](const Put& p) {
        const long k = static_cast<long>(c.row + p.row) * w + c.col + p.col;
        return static_cast<std::size_t>(k);
    };
    for (const Put& p : c.put) Raw()[at(p)] = p.value;
    Raster expected = RawCopy();
    ReferenceSweep(expected, w, c.size.height, RuleOf(c.pass));
    RunPass(c.pass);
    for (const Put& p : c.expect) {
        EXPECT_EQ(Raw()[at(p)], p.value) << "at (" << p.row << ", " << p.col << ")";
    }
    EXPECT_TRUE(RawCopy() == expected) << "whole raster against the reference";
}

std::vector<ShapeCase> ShapeCases() {
    constexpr std::int32_t W = 1052;
    std::vector<ShapeCase> c;
    // Isolated impulses.
    c.push_back({"IsolatedBright", Pass::First, 50, 100, 500, {{0, 0, 200}}, {{0, 0, 50}, {0, 1, 50}}});
    c.push_back({"IsolatedDark", Pass::First, 60, 100, 500, {{0, 0, 20}}, {{0, 0, 60}}});
    c.push_back({"ConstantUnchanged", Pass::First, 77, 100, 500, {}, {{0, 0, 77}}});
    // A difference equal to the margin does not count.
    c.push_back({"BrightByExactlyTen", Pass::First, 50, 100, 500, {{0, 0, 60}}, {{0, 0, 60}}});
    c.push_back({"BrightByEleven", Pass::First, 50, 100, 500, {{0, 0, 61}}, {{0, 0, 50}}});
    c.push_back({"DarkByExactlyTen", Pass::First, 50, 100, 500, {{0, 0, 40}}, {{0, 0, 40}}});
    c.push_back({"DarkByEleven", Pass::First, 50, 100, 500, {{0, 0, 39}}, {{0, 0, 50}}});
    c.push_back({"SecondBrightByExactlyFive", Pass::Second, 50, 100, 500, {{0, 0, 55}}, {{0, 0, 55}}});
    c.push_back({"SecondBrightBySix", Pass::Second, 50, 100, 500, {{0, 0, 56}}, {{0, 0, 50}}});
    c.push_back({"SecondDarkByExactlyFive", Pass::Second, 50, 100, 500, {{0, 0, 45}}, {{0, 0, 45}}});
    c.push_back({"SecondDarkBySix", Pass::Second, 50, 100, 500, {{0, 0, 44}}, {{0, 0, 50}}});
    // How many neighbours must differ.
    c.push_back({"BrightFiveOfEightKept", Pass::First, 50, 100, 500,
                 {{0, 0, 200}, {1, -1, 200}, {1, 0, 200}, {1, 1, 200}}, {{0, 0, 200}}});
    c.push_back({"BrightSixOfEightMeanOfThoseSix", Pass::First, 50, 100, 500,
                 {{0, 0, 200}, {-1, -1, 45}, {-1, 0, 48}, {-1, 1, 52}, {0, -1, 55}, {0, 1, 58}, {1, -1, 40},
                  {1, 0, 200}, {1, 1, 200}},
                 {{0, 0, 49}, {-1, -1, 45}, {-1, 0, 48}, {-1, 1, 52}, {0, -1, 55}}});
    c.push_back({"DarkSixOfEightKept", Pass::First, 60, 100, 500, {{0, 0, 20}, {1, 0, 20}, {1, 1, 20}},
                 {{0, 0, 20}}});
    c.push_back({"DarkSevenOfEightReplaced", Pass::First, 60, 100, 500, {{0, 0, 20}, {1, 1, 20}}, {{0, 0, 60}}});
    c.push_back({"SecondSevenBrightKept", Pass::Second, 50, 100, 500, {{0, 0, 200}, {1, 1, 200}}, {{0, 0, 200}}});
    c.push_back({"SecondSevenDarkKept", Pass::Second, 60, 100, 500, {{0, 0, 20}, {1, 1, 20}}, {{0, 0, 20}}});
    c.push_back({"SecondAllEightBright", Pass::Second, 50, 100, 500, {{0, 0, 200}}, {{0, 0, 50}}});
    // Replaced in the bright step (83), then again in the dark step (900 / 7).
    c.push_back({"ReplacedTwice", Pass::First, 100, 100, 500, {{0, 0, 200}, {1, -1, 0}, {1, 0, 200}, {1, 1, 200}},
                 {{0, 0, 128}}});
    // Shapes.
    c.push_back({"BrightPairSideBySide", Pass::First, 50, 100, 500, {{0, 0, 200}, {0, 1, 200}},
                 {{0, 0, 50}, {0, 1, 50}}});
    c.push_back({"BrightPairAboveEachOther", Pass::First, 50, 100, 500, {{0, 0, 200}, {1, 0, 200}},
                 {{0, 0, 50}, {1, 0, 50}}});
    c.push_back({"BrightBlockSurvives", Pass::First, 50, 100, 500,
                 {{0, 0, 200}, {0, 1, 200}, {1, 0, 200}, {1, 1, 200}},
                 {{0, 0, 200}, {0, 1, 200}, {1, 0, 200}, {1, 1, 200}}});
    c.push_back({"BrightLRemoved", Pass::First, 50, 100, 500, {{0, 0, 200}, {0, 1, 200}, {1, 0, 200}},
                 {{0, 0, 50}, {0, 1, 50}, {1, 0, 50}}});
    c.push_back({"DarkLSurvives", Pass::First, 200, 100, 500, {{0, 0, 50}, {0, 1, 50}, {1, 0, 50}},
                 {{0, 0, 50}, {0, 1, 50}, {1, 0, 50}}});
    // A dark line of 61 samples has only six brighter neighbours at each
    // sample but the first, until its left neighbour has been replaced: it
    // is removed in one chain, each replacement waiting for the one before.
    ShapeCase line{"DarkLineRemovedInAChain", Pass::First, 200, 100, 500, {}, {}};
    for (std::int32_t k = 0; k <= 60; ++k) {
        line.put.push_back({0, k, 20});
        line.expect.push_back({0, k, 200});
    }
    c.push_back(line);
    // Neighbours across row ends: column 0 sees the last samples of rows r-2,
    // r-1 and r; column W-1 sees the first samples of rows r, r+1 and r+2.
    c.push_back({"ColumnZeroWrapsToRowEnds", Pass::First, 50, 100, 0,
                 {{0, 0, 200}, {0, 1, 200}, {1, 0, 200}, {-2, W - 1, 41}, {-1, W - 1, 41}, {0, W - 1, 41}},
                 {{0, 0, 45}}});
    c.push_back({"LastColumnWrapsToRowStarts", Pass::First, 50, 100, W - 1,
                 {{0, 0, 200}, {1, -1, 200}, {1, 0, 200}, {0, 1 - W, 41}, {1, 1 - W, 41}, {2, 1 - W, 41}},
                 {{0, 0, 45}}});
    // The fixed window: 0-based indices 1937 to 676629.
    c.push_back({"BeforeWindow", Pass::First, 50, 1, 1936 - W, {{0, 0, 200}}, {{0, 0, 200}}});
    c.push_back({"WindowStart", Pass::First, 50, 1, 1937 - W, {{0, 0, 200}}, {{0, 0, 50}}});
    c.push_back({"WindowEnd", Pass::First, 50, 643, 676629 - 643 * W, {{0, 0, 200}}, {{0, 0, 50}}});
    c.push_back({"AfterWindow", Pass::First, 50, 643, 676630 - 643 * W, {{0, 0, 200}}, {{0, 0, 200}}});
    c.push_back({"FarAfterWindow", Pass::First, 50, 650, 500, {{0, 0, 200}}, {{0, 0, 200}}});
    // A short raster: the last row's lower neighbours are the zeros after it.
    ShapeCase last{"LastRowReadsZerosBelow", Pass::First, 50, 467, 500, {{0, 0, 200}}, {{0, 0, 31}, {1, 0, 0}}};
    last.size = {1052, 468};
    c.push_back(last);
    return c;
}

INSTANTIATE_TEST_SUITE_P(Shapes, DespeckleShapeTest, ::testing::ValuesIn(ShapeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Other windows of treated positions (counted from 1): the first and last
// positions, a window's end at a block's edge, one past it and just short of
// the next, and rows just long enough for blocks of 16 or too short for
// them. Over a dense random raster, and over one whose odd rows fall from
// 250 in steps of 6 between rows of 0, where either pass replaces the
// samples of an odd row from its start one after the other, each only once
// its left neighbour has been replaced.
struct WindowCase {
    Pass pass;
    Size size;
    std::int32_t first;
    std::int32_t last;
    bool ramps;
};

Raster WindowRaster(const WindowCase& c) {
    const std::size_t n = static_cast<std::size_t>(c.size.width) * static_cast<std::size_t>(c.size.height);
    if (!c.ramps) return RandomRaster(static_cast<std::uint32_t>(c.first * 31 + c.last), n, 60, 179);
    Raster raster(kRawImageSize, 0);
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t column = k % static_cast<std::size_t>(c.size.width);
        if (k / static_cast<std::size_t>(c.size.width) % 2 == 1) {
            raster[k] = static_cast<std::uint8_t>(250 - 6 * column);
        }
    }
    return raster;
}

class DespeckleWindowTest : public FreshStateParamTest<WindowCase> {};

TEST_P(DespeckleWindowTest, MatchesReference) {
    const WindowCase& c = GetParam();
    PrepareDespeckle(c.size.width, c.size.height);
    State().DespeckleFirst = c.first;
    State().DespeckleLast = c.last;
    const Raster raster = WindowRaster(c);
    PutRaw(raster);
    Raster expected = raster;
    reference::DespeckleSweep(expected, c.size.width, c.size.height, RuleOf(c.pass), c.first, c.last);
    RunPass(c.pass);
    EXPECT_TRUE(RawCopy() == expected);
}

std::vector<WindowCase> WindowCases() {
    std::vector<WindowCase> cases;
    for (const Pass pass : {Pass::First, Pass::Second}) {
        for (const bool ramps : {false, true}) {
            const Size size{40, 30};
            // Row 3 from its first sample, whose left neighbour is the 0 at
            // the end of row 2; the first sample with all neighbours in the
            // buffer; and a start within a row.
            const std::int32_t row3 = 3 * size.width + 1;
            for (const std::int32_t span : {1, 15, 16, 17, 31, 32, 500}) {
                cases.push_back({pass, size, row3, row3 + span - 1, ramps});
            }
            cases.push_back({pass, size, size.width + 2, size.width * (size.height + 1), ramps});
            cases.push_back({pass, size, row3 + 6, row3 + 36, ramps});
            for (const std::int32_t w : {16, 17, 33}) cases.push_back({pass, {w, 40}, w + 2, w * 41, ramps});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Windows, DespeckleWindowTest, ::testing::ValuesIn(WindowCases()), [](const auto& info) {
    const WindowCase& c = info.param;
    return std::string(c.pass == Pass::First ? "first_" : "second_") + SizeName(c.size) + "_" +
           std::to_string(c.first) + "_" + std::to_string(c.last) + (c.ramps ? "_ramps" : "_random");
});

struct OffCase {
    Pass pass;
    std::int32_t value;
};

class DespeckleOffTest : public FreshStateParamTest<OffCase> {};

TEST_P(DespeckleOffTest, OptionNotOneLeavesSamplesAlone) {
    PrepareDespeckle(1052, 660);
    State().ActiveOptions[OptDespeckle] = GetParam().value;
    const Raster raster = SpeckledRaster(9, 1052 * 660, 1052);
    PutRaw(raster);
    RunPass(GetParam().pass);
    EXPECT_TRUE(RawCopy() == raster);
}

INSTANTIATE_TEST_SUITE_P(Values, DespeckleOffTest,
                         ::testing::Values(OffCase{Pass::First, 0}, OffCase{Pass::First, 2},
                                           OffCase{Pass::First, -1}, OffCase{Pass::Second, 0},
                                           OffCase{Pass::Second, 2}, OffCase{Pass::Second, -1}));

}  // namespace
}  // namespace dusk::test
