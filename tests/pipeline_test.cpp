// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed render chain and the one load and re-render path: loads of real
// files, re-renders from the untouched copy.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "load/load_image.h"
#include "render/pipeline.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

constexpr std::int32_t kW = 1052;
constexpr std::int32_t kH = 660;
constexpr std::int32_t kDefaultLength = kW * kH;

// Every test starts from the start-up record with a folder of its own; the
// buffers of the last load or re-render are kept so the test can look at the
// picture.
template <class Base = ::testing::Test>
class LoadFixture : public Base {
protected:
    void SetUp() override { ResetState(); }
    void TearDown() override {
        held_.reset();
        ResetState();
    }

    void Load(const std::string& path, const LoadSettings& settings = {}) {
        held_.reset();
        held_.emplace(LoadImage(path, settings));
    }
    void Rerender(const Change& change, RenderMode mode = RenderMode::Corrected) {
        held_.reset();
        held_.emplace(dusk::Rerender(change, mode));
    }
    // Writes the first `length` samples of `raster` as the named image file and loads it.
    void LoadRaster(const Raster& raster, std::int32_t length = kDefaultLength,
                    const std::string& name = "V07_0001.img") {
        const std::vector<std::uint8_t> bytes(raster.begin(), raster.begin() + length);
        Load(dir_.WriteFile(name, bytes));
    }

    TempDir dir_;
    std::optional<WorkingBuffers> held_;
};
using LoadTest = LoadFixture<>;
template <class Param>
using LoadParamTest = LoadFixture<::testing::TestWithParam<Param>>;

Raster Uniform(std::uint8_t v, std::size_t n = kDefaultLength) {
    Raster r(kRawImageSize, 0);
    std::fill(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(n), v);
    return r;
}

std::size_t CountPixels(std::uint8_t v) {
    const std::size_t n = static_cast<std::size_t>(State().ImageWidth) * static_cast<std::size_t>(State().ImageHeight);
    std::size_t count = 0;
    for (std::size_t k = 0; k < n; ++k) count += Bitmap()[54 + 3 * k] == v ? 1 : 0;
    return count;
}

TEST(RenderStagesTest, FixedOrder) {
    std::vector<std::string> names;
    for (const PipelineStage& stage : RenderStages()) names.emplace_back(stage.name);
    EXPECT_EQ(names, (std::vector<std::string>{"RepairMissingLines", "FlipRows", "RotateRaster",
                                               "DespeckleFirstPass", "GatherHistogram", "DeriveStretch", "MapTones",
                                               "DespeckleSecondPass", "InvertRaster", "ReduceSize",
                                               "RenderBitmapHeader", "RenderPixelRows"}));
}

// Every render leaves the distribution of the samples entering the tone
// mapping in the record: here the file's rows reversed by the default flip,
// counted over the fixed window.
TEST_F(LoadTest, EveryRenderCountsTheSamplesEnteringTheToneMapping) {
    const Raster raster = RandomRaster(48, kDefaultLength);
    LoadRaster(raster);
    Rerender([] { State().ContrastLevel = 2; });  // tones change nothing counted
    std::array<std::int32_t, 256> expected{};
    for (std::int32_t k = 968; k <= 676629; ++k) {
        const std::int32_t row = k / kW;
        const std::int32_t fileRow = row < kH ? kH - 1 - row : row;  // rows beyond the raster stay
        ++expected[raster[static_cast<std::size_t>(fileRow * kW + k % kW)]];
    }
    EXPECT_EQ(State().Histogram.Counts, expected);
}

TEST(LoadStepsTest, FixedOrder) {
    std::vector<std::string> load;
    for (const LoadStep& step : LoadSteps()) load.emplace_back(step.name);
    EXPECT_EQ(load, (std::vector<std::string>{"SetDespeckleParameters", "ReadImageFile", "NameImage",
                                              "DeriveGeometry", "LoadImageLabel", "LoadLabelKeywords",
                                              "BuildFileList", "TakeDefaultOptions", "ResetScanPause", "Adjust",
                                              "Render"}));
    std::vector<std::string> rerender;
    for (const LoadStep& step : RerenderSteps()) rerender.emplace_back(step.name);
    EXPECT_EQ(rerender,
              (std::vector<std::string>{"AllocateWorkingBuffers", "RestoreFromOriginal", "ApplyChange", "Render"}));
}

// What each step leaves in the record: an Open (the list built anew, the scan
// pause back to 2 s) and a step to the next entry (both kept).
TEST_F(LoadTest, EveryStepLeavesItsMark) {
    const Raster raster = RandomRaster(41, kDefaultLength);
    const std::vector<std::uint8_t> bytes(raster.begin(), raster.begin() + kDefaultLength);
    dir_.WriteFile("V0101.img", bytes);
    const std::string second = dir_.WriteFile("V0102.img", bytes);
    dir_.write("V0101.lbl", "FIRST LABEL");
    dir_.write("V0102.lbl", "LABEL LINE");
    ImageState& s = State();
    s.DefaultOptions[OptInvert] = 1;
    s.ActiveOptions[OptRotate] = 1;
    s.ContrastLevel = s.BrightnessOffset = s.ShadingLevel = 5;
    s.ScanPause = 4000;
    s.OriginalImage.fill(9);

    Load(second);
    EXPECT_EQ(s.DespeckleFirst, 1938);
    EXPECT_EQ(s.DespeckleLast, 676630);
    EXPECT_EQ(s.DespeckleBrightThreshold, 10);
    EXPECT_EQ(s.DespeckleDarkThreshold, 10);
    EXPECT_EQ(s.CurrentImagePath, second);
    EXPECT_EQ(s.DirectoryPath, dir_.slashed());
    EXPECT_EQ(s.CurrentFileName, "V0102.img");
    EXPECT_EQ(s.FileLength, kDefaultLength);
    EXPECT_EQ(s.ImageWidth, kW);
    EXPECT_TRUE(std::equal(raster.begin(), raster.end(), s.OriginalImage.begin()));
    ASSERT_EQ(s.LabelLines.size(), 67u);
    EXPECT_EQ(s.LabelLines[0], "LABEL LINE");
    EXPECT_EQ(s.FileCount, 2);
    EXPECT_EQ(s.FilePosition, 2);
    EXPECT_EQ(s.ActiveOptions, s.DefaultOptions);
    EXPECT_EQ(s.ContrastLevel + s.BrightnessOffset + s.ShadingLevel, 0);
    EXPECT_EQ(s.ScanPause, 2000);
    EXPECT_EQ(DisplayedPixel(0, 0), 255 - raster[0]);  // rendered with the defaults
    EXPECT_FALSE(s.ShownUnprocessed);

    s.ScanPause = 4000;
    s.FileList[0] = "V0101.img";  // a step reads the list as it stands
    s.FileCount = 1;
    s.FilePosition = 1;
    held_.reset();
    held_.emplace(LoadListEntry());
    EXPECT_EQ(s.CurrentFileName, "V0101.img");
    EXPECT_EQ(s.FileCount, 1);
    EXPECT_EQ(s.ScanPause, 4000);
    EXPECT_EQ(s.LabelLines[0], "FIRST LABEL");
}

// Displayed picture against the file's samples, for the four orientations.
struct OrientationCase {
    std::int32_t flipVertically;
    std::int32_t rotate;
    bool upsideDown;
    bool mirrored;
};

class DisplayOrientationTest : public LoadParamTest<OrientationCase> {};

TEST_P(DisplayOrientationTest, PictureAgainstFileRows) {
    const OrientationCase& c = GetParam();
    const Raster raster = RandomRaster(42, kDefaultLength);
    State().DefaultOptions[OptFlipVertically] = c.flipVertically;
    State().DefaultOptions[OptRotate] = c.rotate;
    LoadRaster(raster);
    std::size_t wrong = 0;
    for (std::int32_t line = 0; line < kH; ++line) {
        for (std::int32_t col = 0; col < kW; ++col) {
            const std::int32_t row = c.upsideDown ? kH - 1 - line : line;
            const std::int32_t fileCol = c.mirrored ? kW - 1 - col : col;
            if (DisplayedPixel(line, col) != raster[row * kW + fileCol]) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0u);
}

INSTANTIATE_TEST_SUITE_P(Options, DisplayOrientationTest,
                         ::testing::Values(OrientationCase{0, 0, false, false}, OrientationCase{1, 0, true, false},
                                           OrientationCase{0, 1, true, true}, OrientationCase{1, 1, false, true},
                                           OrientationCase{2, 0, true, false}));

TEST_F(LoadTest, OriginalImageShowsFirstRowAtBottomThenAnyOptionUprightAgain) {
    const Raster raster = RandomRaster(43, kDefaultLength);
    State().DefaultOptions = {1, 1, 0, 1, 1, 1, 0, 0, 1};
    LoadRaster(raster);
    State().BrightnessOffset = 40;
    State().ContrastLevel = 2;

    Rerender(ClearActiveAdjustments, RenderMode::Unprocessed);
    EXPECT_TRUE(State().ShownUnprocessed);
    EXPECT_EQ(State().ActiveOptions, OptionFlags{});
    EXPECT_EQ(State().BrightnessOffset, 0);
    EXPECT_EQ(State().ContrastLevel, 0);
    EXPECT_EQ(State().ShadingLevel, 0);
    for (std::int32_t col = 0; col < kW; col += 7) {
        ASSERT_EQ(DisplayedPixel(kH - 1, col), raster[col]) << col;
        ASSERT_EQ(DisplayedPixel(0, col), raster[(kH - 1) * kW + col]) << col;
    }

    Rerender([] { ToggleFlag(State().ActiveOptions[OptInvert]); });
    EXPECT_FALSE(State().ShownUnprocessed);
    for (std::int32_t col = 0; col < kW; col += 7) {
        ASSERT_EQ(DisplayedPixel(0, col), 255 - raster[col]) << col;
    }
}

struct ToneOrderCase {
    const char* name;
    std::int32_t brightness;
    std::int32_t invert;
    std::uint8_t pixel;
};

class ToneThenInvertTest : public LoadParamTest<ToneOrderCase> {};

TEST_P(ToneThenInvertTest, InversionOfTheToneMappedPicture) {
    State().DefaultOptions[OptInvert] = GetParam().invert;
    LoadRaster(RandomRaster(44, kDefaultLength));
    const std::int32_t brightness = GetParam().brightness;
    Rerender([brightness] { State().BrightnessOffset = brightness; });
    EXPECT_EQ(CountPixels(GetParam().pixel), static_cast<std::size_t>(kDefaultLength));
}

INSTANTIATE_TEST_SUITE_P(Cases, ToneThenInvertTest,
                         ::testing::Values(ToneOrderCase{"BrightWhite", 260, 0, 255},
                                           ToneOrderCase{"BrightInvertedBlack", 260, 1, 0},
                                           ToneOrderCase{"DarkInvertedWhite", -260, 1, 255}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadTest, ReducedBackgroundNeitherToneMappedNorInverted) {
    State().DefaultOptions[OptInvert] = 1;
    State().DefaultOptions[OptMinimizeHalf] = 1;
    LoadRaster(Uniform(100));
    Rerender([] { State().BrightnessOffset = 40; });
    // Picture: 100 + 40, inverted: 115. Field: 160.
    const std::size_t picture = 526u * 330u;
    EXPECT_EQ(CountPixels(115), picture);
    EXPECT_EQ(CountPixels(160), static_cast<std::size_t>(kDefaultLength) - picture);
}

struct DespeckleOrderCase {
    const char* name;
    std::int32_t flipVertically;
    std::int32_t rotate;
    bool removed;
};

class DespeckleAfterOrientationTest : public LoadParamTest<DespeckleOrderCase> {};

// An impulse in file row 650 lies beyond the despeckle window (it ends at
// index 676,629) unless the rows have been reversed first.
TEST_P(DespeckleAfterOrientationTest, WindowAppliesToReorientedRaster) {
    Raster raster = Uniform(50);
    raster[650 * kW + 500] = 200;
    State().DefaultOptions[OptDespeckle] = 1;
    State().DefaultOptions[OptFlipVertically] = GetParam().flipVertically;
    State().DefaultOptions[OptRotate] = GetParam().rotate;
    LoadRaster(raster);
    EXPECT_EQ(CountPixels(200), GetParam().removed ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, DespeckleAfterOrientationTest,
                         ::testing::Values(DespeckleOrderCase{"Flipped", 0, 0, true},
                                           DespeckleOrderCase{"NotFlipped", 1, 0, false},
                                           DespeckleOrderCase{"Rotated", 1, 1, true},
                                           DespeckleOrderCase{"FlippedAndRotated", 0, 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadTest, StrictPassSeesToneMappedSamples) {
    // 54 on 50 escapes both passes; doubled, 108 on 100 is caught by the strict one.
    Raster raster = Uniform(50);
    raster[300 * kW + 500] = 54;
    State().DefaultOptions[OptDespeckle] = 1;
    LoadRaster(raster);
    EXPECT_EQ(CountPixels(54), 1u);
    Rerender([] { State().ContrastLevel = 1; });
    EXPECT_EQ(CountPixels(100), static_cast<std::size_t>(kDefaultLength));
}

TEST_F(LoadTest, MissingLinesRepairedBeforeRotation) {
    // Row 300 is blank in columns 0..32 only; for a "69_131" file that is
    // enough. Turned first, the blank part would lie at the row's far end.
    Raster raster = Uniform(100);
    for (std::int32_t j = 0; j < kW; ++j) raster[300 * kW + j] = j <= 32 ? 0 : 200;
    State().DefaultOptions[OptRotate] = 1;
    State().DefaultOptions[OptMissingLines] = 1;
    LoadRaster(raster, kDefaultLength, "69_1310001.img");
    EXPECT_EQ(CountPixels(200), 0u);
    EXPECT_EQ(CountPixels(0), 2u);  // columns 0 and 1 are never repaired
}

TEST_F(LoadTest, RerenderFromOriginalEqualsFreshLoad) {
    Raster raster = SpeckledRaster(45, kDefaultLength, kW);
    std::fill_n(raster.begin() + 200 * kW, kW, 0);  // a missing line
    const std::vector<std::uint8_t> bytes(raster.begin(), raster.begin() + kDefaultLength);
    const std::string path = dir_.WriteFile("V07_0001.img", bytes);
    State().DefaultOptions = {1, 1, 0, 0, 0, 0, 0, 0, 0};

    Load(path);
    ASSERT_EQ(State().FileLength, kDefaultLength);
    const Raster loaded = BitmapCopy();

    for (int slot = 0; slot < kOptionCount; ++slot) {
        Rerender([slot] { ToggleFlag(State().ActiveOptions[slot]); });
        if (slot != OptStretch && slot != OptReserved) {
            EXPECT_FALSE(BitmapCopy() == loaded) << "slot " << slot << " changes the picture";
        }
        Rerender([slot] { ToggleFlag(State().ActiveOptions[slot]); });
        EXPECT_TRUE(BitmapCopy() == loaded) << "slot " << slot << " pressed twice";
    }
    Rerender([] { AdjustLevel(State().BrightnessOffset, 20); });
    Rerender([] { AdjustLevel(State().BrightnessOffset, -20); });
    EXPECT_TRUE(BitmapCopy() == loaded);

    // The untouched copy is the file's bytes followed by zeros, whatever ran.
    EXPECT_TRUE(std::equal(raster.begin(), raster.end(), State().OriginalImage.begin()));

    Load(path);
    EXPECT_TRUE(BitmapCopy() == loaded);
}

TEST_F(LoadTest, ContrastBelowFloorRendersAsFloor) {
    LoadRaster(RandomRaster(46, kDefaultLength));
    Rerender([] { State().ContrastLevel = -1; });
    const Raster atFloor = BitmapCopy();
    Rerender([] { State().ContrastLevel = -2; });
    EXPECT_EQ(State().ContrastLevel, -1);
    EXPECT_TRUE(BitmapCopy() == atFloor);
}

struct BlackCase {
    const char* name;
    bool createEmptyFile;
    std::int32_t fileLength;
};

class UnreadableLoadTest : public LoadParamTest<BlackCase> {};

TEST_P(UnreadableLoadTest, BlackPictureAtDefaultSize) {
    std::string path = (dir_.path() / "V01_0002.img").string();
    if (GetParam().createEmptyFile) path = dir_.WriteFile("V01_0002.img", {});
    State().OriginalImage.fill(9);  // an earlier image
    Load(path);
    EXPECT_EQ(State().FileLength, GetParam().fileLength);
    EXPECT_EQ(State().ImageWidth, kW);
    EXPECT_EQ(State().ImageHeight, kH);
    EXPECT_EQ(BitmapFileSize(), 54 + 3 * kW * kH);
    EXPECT_EQ(Bitmap()[18] | Bitmap()[19] << 8, kW);
    EXPECT_EQ(Bitmap()[22] | Bitmap()[23] << 8, kH);
    EXPECT_EQ(CountPixels(0), static_cast<std::size_t>(kDefaultLength));
    EXPECT_TRUE(std::all_of(State().OriginalImage.begin(), State().OriginalImage.end(),
                            [](std::uint8_t v) { return v == 0; }));
}

INSTANTIATE_TEST_SUITE_P(Files, UnreadableLoadTest,
                         ::testing::Values(BlackCase{"Empty", true, 0}, BlackCase{"Missing", false, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadTest, LargestGeometryShortFileShowsBlankLastRow) {
    const Raster raster = RandomRaster(47, 1159284, 1, 255);
    const std::string path =
        dir_.WriteFile("V02_0001.img", std::vector<std::uint8_t>(raster.begin(), raster.begin() + 1159284));
    Load(path);
    ASSERT_EQ(State().ImageWidth, 1036);
    ASSERT_EQ(State().ImageHeight, 1120);
    EXPECT_EQ(BitmapFileSize(), 3481014);
    // Rows reversed by default: file row 0 at the top, the blank row 1119 at the bottom.
    for (std::int32_t col = 0; col < 1036; ++col) {
        ASSERT_EQ(DisplayedPixel(1119, col), 0) << col;
        ASSERT_EQ(DisplayedPixel(1118, col), raster[1118 * 1036 + col]) << col;
        ASSERT_EQ(DisplayedPixel(0, col), raster[col]) << col;
    }
}

struct AdjustCase {
    std::int32_t level;
    std::int32_t delta;
    std::int32_t expected;
};

TEST(AdjustLevelTest, Saturates) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const AdjustCase cases[] = {{0, 20, 20},         {0, -20, -20},          {-1, -1, -2},
                                {kMax - 5, 20, kMax}, {kMax, 1, kMax},        {kMin + 5, -20, kMin},
                                {kMin, -1, kMin},     {kMax, -20, kMax - 20}, {kMin, 20, kMin + 20}};
    for (const AdjustCase& c : cases) {
        std::int32_t level = c.level;
        AdjustLevel(level, c.delta);
        EXPECT_EQ(level, c.expected) << c.level << " + " << c.delta;
    }
}

}  // namespace
}  // namespace dusk::test
