// SPDX-License-Identifier: GPL-3.0-or-later
// Blank scan lines between two non-blank lines are filled with their mean;
// how many leading columns decide blankness depends on the file name.
#include <cctype>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "filters/filters.h"
#include "tests/reference/reference.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

// Rows of every kind that matters: blank, blank but for columns 0 and 1,
// blank over the first 31 or 134 test columns only, and full rows.
Raster RowMix(std::uint32_t seed, std::int32_t w, std::int32_t h) {
    Raster r(kRawImageSize, 0);
    std::mt19937 rng(seed);
    for (std::int32_t row = 0; row < h; ++row) {
        const int kind = static_cast<int>(rng() % 9);
        for (std::int32_t j = 0; j < w; ++j) {
            bool zero = false;
            if (kind == 0) zero = true;
            if (kind == 1) zero = j >= 2;
            if (kind == 2) zero = j >= 2 && j <= 32;
            if (kind == 3) zero = j >= 2 && j <= 135;
            if (kind == 4) zero = j >= 2 && j <= 33;
            if (!zero) r[row * w + j] = static_cast<std::uint8_t>(rng() % 256);
        }
    }
    return r;
}

struct RepairCase {
    const char* fileName;
    Size size;
};

class RepairReferenceTest : public FreshStateParamTest<RepairCase> {};

TEST_P(RepairReferenceTest, MatchesReference) {
    const auto& [name, size] = GetParam();
    SetGeometry(size.width, size.height);
    State().CurrentFileName = name;
    State().ActiveOptions[OptMissingLines] = 1;
    const Raster raster = RowMix(static_cast<std::uint32_t>(size.height + std::string(name).size()), size.width,
                                 size.height);
    PutRaw(raster);
    RepairMissingLines();
    const Raster expected = reference::RepairMissingLines(raster, size.width, size.height, name);
    if (size.height > 100) {
        ASSERT_NE(expected, raster) << "the raster should give the repair something to do";
    }
    EXPECT_TRUE(RawCopy() == expected);
}

INSTANTIATE_TEST_SUITE_P(
    NamesAndSizes, RepairReferenceTest,
    ::testing::Values(RepairCase{"V01_0001.img", {1052, 660}}, RepairCase{"69_131A.img", {1052, 660}},
                      RepairCase{"69_141.img", {996, 888}}, RepairCase{"69_011.img", {1072, 896}},
                      RepairCase{"69_021B.IMG", {1036, 1120}}, RepairCase{"69_031x.img", {1052, 468}},
                      RepairCase{"ed0001.img", {996, 932}}, RepairCase{"jAc9.img", {1052, 700}},
                      RepairCase{"69_13", {1052, 660}}, RepairCase{"E", {1052, 660}},
                      RepairCase{"", {1052, 660}}, RepairCase{"V01", {7, 5}}, RepairCase{"V01", {3, 3}}));

struct NameCase {
    const char* fileName;
    std::int32_t expected;  // -1: the default, W - 2
};

constexpr NameCase kNameCases[] = {
    NameCase{"69_131", 31}, NameCase{"69_1310001.img", 31}, NameCase{"69_141x.img", 31},
    NameCase{"69_011.img", 134}, NameCase{"69_021.img", 134}, NameCase{"69_031.img", 134},
    NameCase{"ED", 134}, NameCase{"ed01.img", 134}, NameCase{"Ed01.img", 134},
    NameCase{"eD01.img", 134}, NameCase{"JAC.img", 134}, NameCase{"jac.img", 134},
    NameCase{"JaC1.img", 134}, NameCase{"69_13", -1}, NameCase{"69_1", -1},
    NameCase{"69_151.img", -1}, NameCase{"x69_131.img", -1}, NameCase{"69-131.img", -1},
    NameCase{"E", -1}, NameCase{"J", -1}, NameCase{"JA", -1}, NameCase{"EXD.img", -1},
    NameCase{"", -1}, NameCase{"V01_0001.img", -1}};

TEST(LineTestWidthTest, ChosenFromNamePrefix) {
    for (const NameCase& c : kNameCases) {
        for (std::int32_t w : {1052, 996}) {
            const std::int32_t expected = c.expected < 0 ? w - 2 : c.expected;
            EXPECT_EQ(LineTestWidth(c.fileName, w), expected) << "name \"" << c.fileName << "\" width " << w;
        }
    }
}

// Worked examples on a small raster, one row at a time.
class RepairExamplesTest : public FreshStateTest {
protected:
    static constexpr std::int32_t kW = 200;
    static constexpr std::int32_t kH = 6;

    void SetUp() override {
        FreshStateTest::SetUp();
        SetGeometry(kW, kH);
        State().ActiveOptions[OptMissingLines] = 1;
        State().CurrentFileName = "V01_0001.img";
    }
    static void FillRow(std::int32_t row, std::uint8_t v) {
        for (std::int32_t j = 0; j < kW; ++j) Raw()[row * kW + j] = v;
    }
    static std::uint8_t At(std::int32_t row, std::int32_t col) { return Raw()[row * kW + col]; }
};

TEST_F(RepairExamplesTest, SingleBlankRowBecomesTruncatedMean) {
    FillRow(0, 255);
    FillRow(2, 254);
    FillRow(3, 1);
    FillRow(5, 9);
    RepairMissingLines();
    // Row 1: mean of 255 and 254 in columns 2..W-1, columns 0 and 1 stay 0.
    EXPECT_EQ(At(1, 0), 0);
    EXPECT_EQ(At(1, 1), 0);
    EXPECT_EQ(At(1, 2), 254);
    EXPECT_EQ(At(1, kW - 1), 254);
    // Row 4 between 1 and 9: 5.
    EXPECT_EQ(At(4, 2), 5);
    EXPECT_EQ(At(4, 1), 0);
}

TEST_F(RepairExamplesTest, OneAndZeroGiveZero) {
    FillRow(0, 1);
    FillRow(2, 0);
    Raw()[2 * kW + 5] = 1;  // row 2 not blank, but 0 in most columns
    RepairMissingLines();
    EXPECT_EQ(At(1, 4), 0);   // (1 + 0) / 2
    EXPECT_EQ(At(1, 5), 1);   // (1 + 1) / 2
}

TEST_F(RepairExamplesTest, TwoAdjacentBlankRowsStayBlank) {
    FillRow(0, 100);
    FillRow(3, 100);
    FillRow(4, 100);
    FillRow(5, 100);
    RepairMissingLines();
    for (std::int32_t j = 0; j < kW; ++j) {
        ASSERT_EQ(At(1, j), 0);
        ASSERT_EQ(At(2, j), 0);
    }
}

TEST_F(RepairExamplesTest, FirstAndLastRowsNeverRepaired) {
    FillRow(1, 100);
    FillRow(2, 100);
    FillRow(3, 100);
    FillRow(4, 100);
    RepairMissingLines();
    EXPECT_EQ(At(0, 50), 0);
    EXPECT_EQ(At(5, 50), 0);
}

TEST_F(RepairExamplesTest, DataOnlyInColumnsZeroAndOneCountsAsBlank) {
    FillRow(0, 40);
    FillRow(2, 60);
    Raw()[kW + 0] = 7;
    Raw()[kW + 1] = 8;
    RepairMissingLines();
    EXPECT_EQ(At(1, 0), 7);
    EXPECT_EQ(At(1, 1), 8);
    EXPECT_EQ(At(1, 2), 50);
    EXPECT_EQ(At(1, kW - 1), 50);
}

TEST_F(RepairExamplesTest, NeighbourBlankOverTestColumnsPreventsRepair) {
    FillRow(0, 40);
    Raw()[2 * kW + 0] = 9;  // row 2 has data only in columns 0 and 1
    Raw()[2 * kW + 1] = 9;
    FillRow(3, 40);
    RepairMissingLines();
    EXPECT_EQ(At(1, 2), 0);
    // Row 2 itself lies between row 1 (blank) and row 3: not repaired either.
    EXPECT_EQ(At(2, 2), 0);
}

struct PrefixCase {
    const char* fileName;
    std::int32_t lastBlankColumn;  // row 1 is zero in columns 2..this, data after
    bool repaired;
};

constexpr PrefixCase kPrefixCases[] = {
    PrefixCase{"69_131.img", 32, true}, PrefixCase{"69_141.img", 32, true},
    PrefixCase{"69_131.img", 31, false}, PrefixCase{"69_011.img", 135, true},
    PrefixCase{"69_021.img", 135, true}, PrefixCase{"69_031.img", 135, true},
    PrefixCase{"69_031.img", 134, false}, PrefixCase{"Ed.img", 135, true},
    PrefixCase{"jaC.img", 135, true}, PrefixCase{"69_011.img", 32, false},
    PrefixCase{"V01.img", 135, false}, PrefixCase{"V01.img", 1051, true}};

TEST_F(FreshStateTest, RepairLeadingColumnsDecide) {
    constexpr std::int32_t kW = 1052;
    SetGeometry(kW, 3);
    State().ActiveOptions[OptMissingLines] = 1;
    for (const PrefixCase& c : kPrefixCases) {
        SCOPED_TRACE(std::string(c.fileName) + " blank to column " + std::to_string(c.lastBlankColumn));
        State().CurrentFileName = c.fileName;
        for (std::int32_t j = 0; j < kW; ++j) {
            Raw()[j] = 30;
            Raw()[kW + j] = j > c.lastBlankColumn ? 200 : 0;
            Raw()[2 * kW + j] = 50;
        }
        RepairMissingLines();
        const std::uint8_t far = Raw()[kW + kW - 1];
        if (c.repaired) {
            EXPECT_EQ(Raw()[kW + 2], 40);
            EXPECT_EQ(far, 40) << "the repair covers the whole row, data further right included";
        } else {
            EXPECT_EQ(Raw()[kW + 2], 0);
            EXPECT_EQ(far, 200);
        }
    }
}

TEST_F(FreshStateTest, RepairOptionNotOneLeavesSamplesAlone) {
    SetGeometry(1052, 660);
    const Raster raster = RowMix(3, 1052, 660);
    PutRaw(raster);
    for (std::int32_t value : {0, 2, -1}) {
        State().ActiveOptions[OptMissingLines] = value;
        RepairMissingLines();
        EXPECT_TRUE(RawCopy() == raster) << "option value " << value;
    }
}

}  // namespace
}  // namespace dusk::test
