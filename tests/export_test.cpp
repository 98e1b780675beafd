// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gdal.h>
#include <gtest/gtest.h>

#include "core/image_state.h"
#include "core/readout.h"
#include "temp_dir.h"
#include "tools/batch_overlap.h"
#include "tools/export.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr int kW = 1052;
constexpr int kH = 660;

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A raster of `length` bytes whose sample at (row, column) of a `width`-wide
// layout is f(row, column).
std::string Raster(std::size_t length, int width, const std::function<int(int, int)>& f) {
    std::string bytes(length, '\0');
    for (std::size_t k = 0; k < length; ++k) {
        bytes[k] = static_cast<char>(f(static_cast<int>(k / width), static_cast<int>(k % width)));
    }
    return bytes;
}

// Distinct rows and columns, never zero: every row is non-blank.
int Pattern(int r, int c) { return 1 + (r * 7 + c * 3) % 250; }

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Export(const std::vector<std::string>& args, bool progress = false) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = dusk::ExportCommand(args, out, err, progress);
    return {status, out.str(), err.str()};
}

// Pixel (x, y) of the picture as shown, y = 0 at the top, from a bottom-up
// 24-bit bitmap file of grey pixels.
int Shown(const Bytes& bmp, int width, int height, int x, int y) {
    const std::size_t storedRow = static_cast<std::size_t>(height - 1 - y);
    const std::size_t at = 54 + 3 * (storedRow * width + x);
    EXPECT_EQ(bmp[at], bmp[at + 1]);
    EXPECT_EQ(bmp[at], bmp[at + 2]);
    return bmp[at];
}

std::uint32_t Le(const Bytes& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

// The expected file for a W x H picture whose shown pixel (x, y) is pixel(x, y).
Bytes ReferenceBitmap(int width, int height, const std::function<int(int, int)>& pixel) {
    const std::uint32_t data = 3u * width * height;
    Bytes b(54 + data, 0);
    auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, 54 + data, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, data, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t at = 54 + 3 * (static_cast<std::size_t>(height - 1 - y) * width + x);
            b[at] = b[at + 1] = b[at + 2] = static_cast<std::uint8_t>(pixel(x, y));
        }
    }
    return b;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override { dusk::ResetState(); }
    std::string Path(const std::string& name) const { return (dir.path() / name).string(); }
    std::string Image(const std::string& name, std::size_t length = kW * kH) const {
        return dir.write(name, Raster(length, kW, Pattern)).string();
    }
    TempDir dir;
};

// ---------------------------------------------------------------- parsing

struct GoodLine {
    std::vector<std::string> args;
    std::vector<int> slotsOn;
    std::int32_t contrast, brightness, shading;
    bool original;
    std::vector<std::string> inputs;
    std::string output;
};

TEST(ExportParse, GoodCommandLines) {
    const GoodLine cases[] = {
        {{"a.img", "-o", "a.bmp"}, {}, 0, 0, 0, false, {"a.img"}, "a.bmp"},
        {{"-o", "out", "a.img", "b.IMG"}, {}, 0, 0, 0, false, {"a.img", "b.IMG"}, "out"},
        {{"--stretch", "x", "-o", "y"}, {0}, 0, 0, 0, false, {"x"}, "y"},
        {{"--despeckle", "x", "-o", "y"}, {1}, 0, 0, 0, false, {"x"}, "y"},
        {{"--flip-vertically", "x", "-o", "y"}, {2}, 0, 0, 0, false, {"x"}, "y"},
        {{"--rotate", "x", "-o", "y"}, {3}, 0, 0, 0, false, {"x"}, "y"},
        {{"--invert", "x", "-o", "y"}, {4}, 0, 0, 0, false, {"x"}, "y"},
        {{"--minimize-half", "x", "-o", "y"}, {5}, 0, 0, 0, false, {"x"}, "y"},
        {{"--minimize-quarter", "x", "-o", "y"}, {6}, 0, 0, 0, false, {"x"}, "y"},
        {{"--missing-lines", "x", "-o", "y"}, {8}, 0, 0, 0, false, {"x"}, "y"},
        {{"--rotate", "x", "--despeckle", "-o", "y", "--rotate"}, {1, 3}, 0, 0, 0, false, {"x"}, "y"},
        {{"--brightness", "-20", "x", "-o", "y"}, {}, 0, -20, 0, false, {"x"}, "y"},
        {{"--contrast", "+3", "--shading=-7", "x", "-o", "y"}, {}, 3, 0, -7, false, {"x"}, "y"},
        {{"--contrast=-5", "--brightness=2147483647", "x", "-oy"}, {}, -5, 2147483647, 0, false, {"x"}, "y"},
        {{"--original", "--quiet", "x", "-o", "y"}, {}, 0, 0, 0, true, {"x"}, "y"},
        {{"-o", "y", "--", "--rotate", "-", "-o"}, {}, 0, 0, 0, false, {"--rotate", "-", "-o"}, "y"},
    };
    for (const GoodLine& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const auto parsed = dusk::ParseExportCommandLine(c.args);
        ASSERT_EQ(parsed.outcome, dusk::ParseOutcome::Run) << parsed.message;
        for (int slot = 0; slot < dusk::kOptionCount; ++slot) {
            const bool on = std::find(c.slotsOn.begin(), c.slotsOn.end(), slot) != c.slotsOn.end();
            EXPECT_EQ(parsed.settings.options[slot], on ? 1 : 0) << "slot " << slot;
        }
        EXPECT_EQ(parsed.settings.contrast, c.contrast);
        EXPECT_EQ(parsed.settings.brightness, c.brightness);
        EXPECT_EQ(parsed.settings.shading, c.shading);
        EXPECT_EQ(parsed.settings.original, c.original);
        EXPECT_EQ(parsed.settings.inputs, c.inputs);
        EXPECT_EQ(parsed.settings.output, c.output);
    }
}

TEST(ExportParse, BadCommandLinesAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"a.img"},
        {"-o", "out"},
        {"a.img", "-o"},
        {"a.img", "-o", ""},
        {"a.img", "-o", "x", "-o", "y"},
        {"--bogus", "a.img", "-o", "x"},
        {"-x", "a.img", "-o", "x"},
        {"--despeckles", "a.img", "-o", "x"},
        {"--contrast", "abc", "a.img", "-o", "x"},
        {"--contrast", "1.5", "a.img", "-o", "x"},
        {"--contrast", "", "a.img", "-o", "x"},
        {"--contrast=", "a.img", "-o", "x"},
        {"--contrast", "+-3", "a.img", "-o", "x"},
        {"--brightness", "2147483648", "a.img", "-o", "x"},
        {"--shading", "7x", "a.img", "-o", "x"},
        {"a.img", "-o", "x", "--brightness"},
        {"--original", "--despeckle", "a.img", "-o", "x"},
        {"--original", "--brightness", "0", "a.img", "-o", "x"},
        {"--jobs", "0", "a.img", "-o", "x"},
        {"-j", "-2", "a.img", "-o", "x"},
        {"--jobs=two", "a.img", "-o", "x"},
        {"-j0", "a.img", "-o", "x"},
        {"--jobs=", "a.img", "-o", "x"},
        {"a.img", "-o", "x", "-j"},
        {"--format", "gif", "a.img", "-o", "x"},
        {"a.img", "-o", "x", "--format"},
        {"--stats", "--format=png", "a.img"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        EXPECT_EQ(dusk::ParseExportCommandLine(args).outcome, dusk::ParseOutcome::UsageError);
        const Outcome run = Export(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage: duskmapper-export"), std::string::npos);
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(ExportParse, JobsTakeAWholeNumberOfAtLeastOne) {
    const std::pair<std::vector<std::string>, std::int32_t> cases[] = {
        {{"a", "b", "-o", "x"}, 0},  // one per core
        {{"--jobs", "3", "a", "-o", "x"}, 3},
        {{"--jobs=+4", "a", "-o", "x"}, 4},
        {{"-j", "1", "a", "-o", "x"}, 1},
        {{"-j12", "--jobs", "2", "--original", "a", "-o", "x"}, 2},  // the last counts; no correction
    };
    for (const auto& [args, jobs] : cases) {
        const auto parsed = dusk::ParseExportCommandLine(args);
        ASSERT_EQ(parsed.outcome, dusk::ParseOutcome::Run) << parsed.message;
        EXPECT_EQ(parsed.settings.jobs, jobs) << ::testing::PrintToString(args);
    }
}

TEST(ExportParse, HelpAndVersion) {
    Outcome run = Export({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("usage: duskmapper-export [OPTIONS] IMAGE... -o OUTPUT\n", 0), 0u);
    run = Export({"a.img", "--version", "-o", "x"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "duskmapper-export " DUSK_TEST_VERSION "\n");
}

TEST(ExportNames, BitmapNameReplacesTheExtension) {
    const std::pair<std::string, std::string> cases[] = {
        {"V05.img", "V05.bmp"}, {"V0512.IMG", "V0512.bmp"}, {"V05", "V05.bmp"},
        {"a.b.img", "a.b.bmp"}, {".img", ".img.bmp"},       {"x.", "x.bmp"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(dusk::BitmapNameFor(in), out) << in;
    EXPECT_EQ(dusk::OutputNameFor("V05.img", dusk::PictureFormat::Png), "V05.png");
    EXPECT_EQ(dusk::OutputNameFor(".img", dusk::PictureFormat::Tiff), ".img.tif");
}

TEST(ExportParse, FormatFromTheOptionElseTheOutputsExtension) {
    using F = dusk::PictureFormat;
    const std::pair<std::vector<std::string>, F> cases[] = {
        {{"a.img", "-o", "a.png"}, F::Png},
        {{"a.img", "-o", "dir.d/A.TIFF"}, F::Tiff},
        {{"a.img", "-o", "a.tif", "--format", "bmp"}, F::Bmp},
        {{"--format=png", "a.img", "-o", "a.bmp"}, F::Png},
        {{"--format", "TIF", "a.img", "-o", "a"}, F::Tiff},
        {{"a.img", "-o", "a.jpg"}, F::Bmp},
        {{"a.img", "-o", ".png"}, F::Bmp},
        {{"a.img", "b.img", "-o", "out.png"}, F::Bmp},  // a folder
        {{"a.img", "b.img", "-o", "out", "--format", "tiff"}, F::Tiff},
    };
    for (const auto& [args, format] : cases) {
        const auto parsed = dusk::ParseExportCommandLine(args);
        ASSERT_EQ(parsed.outcome, dusk::ParseOutcome::Run) << parsed.message;
        EXPECT_EQ(dusk::OutputFormat(parsed.settings), format) << ::testing::PrintToString(args);
    }
}

// ---------------------------------------------------------------- rendering

TEST_F(ExportTest, DefaultRenderIsTheFileUprightAndExactlyTheBitmap) {
    const std::string image = Image("V0501.img");
    const Outcome run = Export({image, "-o", Path("out.bmp")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    const Bytes bmp = ReadAll(Path("out.bmp"));
    // The file's first row is the top line of the picture.
    EXPECT_EQ(bmp, ReferenceBitmap(kW, kH, [](int x, int y) { return Pattern(y, x); }));
    EXPECT_EQ(bmp.size(), 2083014u);
}

TEST_F(ExportTest, OrientationOptions) {
    const std::string image = Image("V0501.img");
    struct Case {
        std::vector<std::string> options;
        std::function<int(int, int)> shown;  // (x, y) -> file sample
    };
    const Case cases[] = {
        {{"--flip-vertically"}, [](int x, int y) { return Pattern(kH - 1 - y, x); }},
        {{"--original"}, [](int x, int y) { return Pattern(kH - 1 - y, x); }},
        {{"--rotate"}, [](int x, int y) { return Pattern(kH - 1 - y, kW - 1 - x); }},
        {{"--rotate", "--flip-vertically"}, [](int x, int y) { return Pattern(y, kW - 1 - x); }},
        {{"--invert"}, [](int x, int y) { return 255 - Pattern(y, x); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options));
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {image, "-o", Path("out.bmp")});
        ASSERT_EQ(Export(args).status, 0);
        EXPECT_EQ(ReadAll(Path("out.bmp")), ReferenceBitmap(kW, kH, c.shown));
    }
}

TEST_F(ExportTest, ToneLevelsAreAppliedAndFloored) {
    const std::string image = dir.write("V0501.img", std::string(kW * kH, '\x64')).string();  // 100
    struct Case {
        std::vector<std::string> options;
        int shown;
    };
    const Case cases[] = {
        {{"--brightness", "-20"}, 80},
        {{"--brightness", "+200"}, 255},
        {{"--contrast", "1"}, 200},
        {{"--contrast", "-1"}, 50},
        {{"--contrast", "-9"}, 50},  // below the floor counts as -1
        {{"--contrast", "-1", "--brightness", "-60"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options));
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {image, "-o", Path("out.bmp")});
        ASSERT_EQ(Export(args).status, 0);
        const Bytes bmp = ReadAll(Path("out.bmp"));
        EXPECT_EQ(Shown(bmp, kW, kH, 0, 0), c.shown);
        EXPECT_EQ(Shown(bmp, kW, kH, kW - 1, kH - 1), c.shown);
    }
}

TEST_F(ExportTest, GeometryFollowsTheFileLength) {
    struct Case {
        std::size_t length;
        int width, height;
    };
    const Case cases[] = {
        {1160320, 1036, 1120}, {883452, 996, 888}, {883456, 996, 932}, {700000, 1052, 660}, {0, 1052, 660},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string image = dir.write("V0502.img", std::string(c.length, '\x50')).string();
        ASSERT_EQ(Export({image, "-o", Path("out.bmp")}).status, 0);
        const Bytes bmp = ReadAll(Path("out.bmp"));
        ASSERT_EQ(bmp.size(), 54u + 3u * c.width * c.height);
        EXPECT_EQ(Le(bmp, 18, 4), static_cast<std::uint32_t>(c.width));
        EXPECT_EQ(Le(bmp, 22, 4), static_cast<std::uint32_t>(c.height));
        // Top-left shows the file's first sample (zero fill for an empty file).
        EXPECT_EQ(Shown(bmp, c.width, c.height, 0, 0), c.length == 0 ? 0 : 0x50);
    }
}

TEST_F(ExportTest, FileNameChoosesTheBlankLineTest) {
    // Row 5 is blank over its first 140 samples only. Names beginning with
    // "ED" (any case) test just that stretch, so only they repair the row.
    const std::string bytes = Raster(kW * kH, kW, [](int r, int c) { return r == 5 && c < 140 ? 0 : 100; });
    for (const auto& [name, repaired] : {std::pair{"eD0101.img", true}, std::pair{"V0101.img", false}}) {
        SCOPED_TRACE(name);
        const std::string image = dir.write(name, bytes).string();
        ASSERT_EQ(Export({"--missing-lines", image, "-o", Path("out.bmp")}).status, 0);
        EXPECT_EQ(Shown(ReadAll(Path("out.bmp")), kW, kH, 50, 5), repaired ? 100 : 0);
    }
}

// Isolated extremes: samples more than 40 above or below all eight
// neighbours, in the rows `firstRow` to `lastRow` of the bitmap as it
// stores them.
int CountImpulses(const Bytes& bmp, int width, int firstRow, int lastRow) {
    int count = 0;
    for (int y = std::max(1, firstRow); y <= lastRow; ++y) {
        for (int x = 1; x + 1 < width; ++x) {
            const int v = bmp[54 + 3 * (static_cast<std::size_t>(y) * width + x)];
            int lo = 255;
            int hi = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (dx == 0 && dy == 0) continue;
                    const int n = bmp[54 + 3 * (static_cast<std::size_t>(y + dy) * width + x + dx)];
                    lo = std::min(lo, n);
                    hi = std::max(hi, n);
                }
            }
            if (v > hi + 40 || v + 40 < lo) ++count;
        }
    }
    return count;
}

TEST_F(ExportTest, DespeckleRemovesImpulsesOfAGeneratedSample) {
    const std::string samples = Path("samples");
    ASSERT_EQ(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + samples + "\"").c_str()), 0);
    const std::string image = samples + "/V0501.img";  // 1052 x 708
    ASSERT_EQ(Export({image, "-o", Path("plain.bmp")}).status, 0);
    ASSERT_EQ(Export({"--despeckle", image, "-o", Path("clean.bmp")}).status, 0);
    // The despeckle passes reach sample position 676,630 of the raster they
    // see, which the bitmap stores row for row from its first row on.
    constexpr int kWidth = 1052;
    constexpr int kHeight = 708;
    constexpr int kLastTreatedRow = 676630 / kWidth - 1;
    const Bytes plain = ReadAll(Path("plain.bmp"));
    const Bytes clean = ReadAll(Path("clean.bmp"));
    ASSERT_EQ(plain.size(), 54u + 3u * kWidth * kHeight);
    ASSERT_EQ(clean.size(), plain.size());
    const int before = CountImpulses(plain, kWidth, 2, kLastTreatedRow);
    const int after = CountImpulses(clean, kWidth, 2, kLastTreatedRow);
    EXPECT_GT(before, 300);
    EXPECT_LT(after * 10, before);
}

// --stats against the bitmaps the same options write, measured here from
// their sorted pixels; an unreadable input is reported and has no line.
TEST_F(ExportTest, StatsDescribeTheRenderedPictures) {
    const std::string samples = Path("samples");
    ASSERT_EQ(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + samples + "\"").c_str()), 0);
    const std::string comma = Path("V05,02.img");
    std::filesystem::copy_file(samples + "/V0106.IMG", comma);
    // A tile, a tile of the other quad, one of the last tile row that lies
    // mostly outside the swath.
    const std::vector<std::string> inputs{samples + "/V0501.img", comma, samples + "/V0116.IMG"};
    const std::vector<std::vector<std::string>> optionSets{
        {}, {"--stretch", "--despeckle"}, {"--minimize-half", "--invert"}, {"--brightness", "260"}};
    for (const auto& options : optionSets) {
        std::vector<std::string> args{"--stats", "-j", "2"};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), inputs.begin(), inputs.end());
        args.push_back(samples);  // a folder: unreadable
        const Outcome run = Export(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "duskmapper-export: " + samples + ": Is a directory\n");

        std::string expected = "file,width,height,min,max,mean,median,stddev,black,white\n";
        for (const std::string& input : inputs) {
            std::vector<std::string> one = options;
            one.insert(one.end(), {input, "-o", Path("one.bmp")});
            ASSERT_EQ(Export(one).status, 0);
            const Bytes bmp = ReadAll(Path("one.bmp"));
            const int width = static_cast<int>(Le(bmp, 18, 4));
            const int height = static_cast<int>(Le(bmp, 22, 4));
            // Of a half-size picture, only the samples inside the grey field.
            const bool half = options.size() > 0 && options[0] == "--minimize-half";
            const dusk::PictureArea area = dusk::SampleArea({width, height, true, false, half ? 2 : 1});
            const int w = area.width;
            const int h = area.height;
            std::vector<int> pixels;
            for (int y = area.y; y < area.y + h; ++y) {
                for (int x = area.x; x < area.x + w; ++x) pixels.push_back(Shown(bmp, width, height, x, y));
            }
            std::sort(pixels.begin(), pixels.end());
            const double n = static_cast<double>(pixels.size());
            double mean = 0;
            for (const int v : pixels) mean += v / n;
            double variance = 0;
            for (const int v : pixels) variance += (v - mean) * (v - mean) / n;
            char line[512];
            const std::string file = input == comma ? "\"" + comma + "\"" : input;
            std::snprintf(line, sizeof line, "%s,%d,%d,%d,%d,%.2f,%d,%.2f,%ld,%ld\n", file.c_str(), w, h, pixels.front(),
                          pixels.back(), mean, pixels[(pixels.size() + 1) / 2 - 1], std::sqrt(variance),
                          static_cast<long>(std::count(pixels.begin(), pixels.end(), 0)),
                          static_cast<long>(std::count(pixels.begin(), pixels.end(), 255)));
            expected += line;
        }
        EXPECT_EQ(run.out, expected) << options.size();
    }
    EXPECT_EQ(Export({"--stats", inputs[0], "-o", Path("x.bmp")}).status, 2);
}

// ---------------------------------------------------------------- batches

TEST_F(ExportTest, BatchNamesEachOutputAfterItsInput) {
    const std::string a = Image("V0501.img");
    const std::string b = Image("V0502.IMG", 1160320);
    const std::string c = Image("notes", 1000);
    const std::string folder = Path("out/deeper");  // created, parents too
    const Outcome run = Export({a, b, c, "-o", folder});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(folder + "/V0501.bmp").size(), 2083014u);
    EXPECT_EQ(ReadAll(folder + "/V0502.bmp").size(), 3481014u);
    EXPECT_EQ(ReadAll(folder + "/notes.bmp").size(), 2083014u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

// PNG and TIFF outputs, read back by GDAL's readers, hold exactly the samples
// of the bitmap, top row first; a batch names them .png and .tif. Of a
// reduced picture they hold the reduced picture alone: at half size of
// 1052 x 660, columns 137 to 662 and lines 69 to 398 of the bitmap.
TEST_F(ExportTest, PngAndTiffHoldTheSamplesOfTheBitmap) {
    const std::string image = Image("V0501.img");
    const std::string other = Image("V0502.img");
    struct Case {
        std::vector<std::string> options;
        int x, y, width, height;  // the part of the bitmap they hold
    };
    const Case cases[] = {
        {{"--rotate"}, 0, 0, kW, kH},
        {{"--rotate", "--minimize-half"}, 137, 69, 526, 330},
        {{"--minimize-quarter", "--flip-vertically"}, 269, 152, 263, 165},
    };
    GDALAllRegister();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options));
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.begin(), c.options.begin(), c.options.end());
            ASSERT_EQ(Export(args).status, 0);
        };
        run({image, "-o", Path("out.bmp")});
        run({image, other, "--format", "png", "-o", Path("p")});
        run({image, "-o", Path("out.tiff")});
        const Bytes bmp = ReadAll(Path("out.bmp"));
        for (const std::string& name : {Path("p/V0501.png"), Path("out.tiff")}) {
            GDALDatasetH dataset = GDALOpen(name.c_str(), GA_ReadOnly);
            ASSERT_NE(dataset, nullptr) << name;
            ASSERT_EQ(GDALGetRasterXSize(dataset), c.width);
            ASSERT_EQ(GDALGetRasterYSize(dataset), c.height);
            ASSERT_EQ(GDALGetRasterCount(dataset), 1);
            Bytes grey(static_cast<std::size_t>(c.width) * c.height);
            ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Read, 0, 0, c.width, c.height, grey.data(),
                                   c.width, c.height, GDT_Byte, 0, 0),
                      CE_None);
            GDALClose(dataset);
            int wrong = 0;
            for (int y = 0; y < c.height; ++y) {
                for (int x = 0; x < c.width; ++x) {
                    wrong += grey[static_cast<std::size_t>(y) * c.width + x] != Shown(bmp, kW, kH, c.x + x, c.y + y);
                }
            }
            EXPECT_EQ(wrong, 0) << name;
        }
    }
}

// A polar stereographic map of the 1052 x 660 raster of V0501.img.
constexpr const char* kMapLabel =
    "PDS_VERSION_ID = PDS3\nOBJECT = IMAGE\n  LINES = 660\n  LINE_SAMPLES = 1052\nEND_OBJECT = IMAGE\n"
    "OBJECT = IMAGE_MAP_PROJECTION\n  MAP_PROJECTION_TYPE = \"POLAR STEREOGRAPHIC\"\n  A_AXIS_RADIUS = 6051.8 <KM>\n"
    "  CENTER_LATITUDE = 90 <DEG>\n  CENTER_LONGITUDE = 0 <DEG>\n  LINE_PROJECTION_OFFSET = -1200.5\n"
    "  SAMPLE_PROJECTION_OFFSET = 300\n  MAP_SCALE = 0.75 <KM/PIXEL>\nEND_OBJECT = IMAGE_MAP_PROJECTION\nEND\n";

// The georeference of a reduced GeoTIFF, as GDAL reads it: pixels 2 or 4
// file samples wide, its corners exactly where GDAL puts the corners of the
// file raster in the unreduced GeoTIFF, in every orientation.
TEST_F(ExportTest, ReducedGeoTiffLiesWhereTheFileRasterLies) {
    const std::string image = Image("V0501.img");
    dir.write("V0501.lbl", kMapLabel);
    GDALAllRegister();
    const auto transformOf = [this](std::vector<std::string> args, int factor, std::array<double, 6>& t) {
        args.insert(args.end(), {Path("V0501.img"), "-o", Path("out.tif")});
        const Outcome run = Export(args);
        ASSERT_EQ(run.status, 0) << run.err;
        GDALDatasetH dataset = GDALOpen(Path("out.tif").c_str(), GA_ReadOnly);
        ASSERT_NE(dataset, nullptr);
        EXPECT_EQ(GDALGetRasterXSize(dataset), kW / factor);
        EXPECT_EQ(GDALGetRasterYSize(dataset), kH / factor);
        const CPLErr read = GDALGetGeoTransform(dataset, t.data());
        GDALClose(dataset);
        ASSERT_EQ(read, CE_None);
    };
    for (const std::vector<std::string>& orientation :
         {std::vector<std::string>{}, {"--rotate"}, {"--flip-vertically"}, {"--rotate", "--flip-vertically"}}) {
        SCOPED_TRACE(::testing::PrintToString(orientation));
        std::array<double, 6> whole{};
        transformOf(orientation, 1, whole);
        for (const auto& [option, factor] : {std::pair{"--minimize-half", 2}, std::pair{"--minimize-quarter", 4}}) {
            SCOPED_TRACE(option);
            std::vector<std::string> args = orientation;
            args.push_back(option);
            std::array<double, 6> reduced{};
            transformOf(args, factor, reduced);
            for (const auto& [x, y] : {std::pair{0, 0}, std::pair{kW / factor, 0}, std::pair{0, kH / factor},
                                       std::pair{kW / factor, kH / factor}}) {
                for (int axis = 0; axis < 2; ++axis) {
                    const double* r = &reduced[3 * axis];
                    const double* w = &whole[3 * axis];
                    EXPECT_NEAR(r[0] + x * r[1] + y * r[2], w[0] + factor * x * w[1] + factor * y * w[2], 1e-6)
                        << x << "," << y << " axis " << axis;
                }
            }
        }
    }
}

TEST_F(ExportTest, SameOutputNameTwiceIsAnErrorForTheSecond) {
    const std::string lower = dir.write("V05.img", std::string(kW * kH, '\x10')).string();
    const std::string upper = dir.write("V05.IMG", std::string(kW * kH, '\x20')).string();
    const std::string other = Image("V06.img");
    const Outcome run = Export({lower, upper, other, "-o", Path("out")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(upper), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_EQ(Shown(ReadAll(Path("out/V05.bmp")), kW, kH, 0, 0), 0x10);
    EXPECT_TRUE(fs::exists(Path("out/V06.bmp")));
}

TEST_F(ExportTest, UnreadableInputsAreReportedAndTheOthersConverted) {
    const std::string good = Image("V0501.img");
    const std::string missing = Path("V0502.img");
    const std::string folder = Path("V0503.img");
    const std::string fifo = Path("V0504.img");
    fs::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // no writer: reading it must not wait
    const Outcome run = Export({missing, folder, fifo, good, "-o", Path("out")});
    EXPECT_EQ(run.status, 1);
    std::istringstream lines(run.err);
    std::vector<std::string> messages;
    for (std::string line; std::getline(lines, line);) messages.push_back(line);
    ASSERT_EQ(messages.size(), 3u) << run.err;
    EXPECT_EQ(messages[0], "duskmapper-export: " + missing + ": No such file or directory");
    EXPECT_EQ(messages[1], "duskmapper-export: " + folder + ": Is a directory");
    EXPECT_EQ(messages[2].rfind("duskmapper-export: " + fifo + ": ", 0), 0u);
    EXPECT_TRUE(fs::exists(Path("out/V0501.bmp")));
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("out")), fs::directory_iterator()), 1);

    // A single unreadable input writes nothing.
    const Outcome single = Export({missing, "-o", Path("single.bmp")});
    EXPECT_EQ(single.status, 1);
    EXPECT_FALSE(fs::exists(Path("single.bmp")));
}

// Whatever lies in a download folder: each bad input gets its own clear
// message, nothing blocks, and the good inputs (long and non-UTF-8 names
// included) are converted.
TEST_F(ExportTest, HostileInputsAreReportedOneByOne) {
    const std::string longName = "V05" + std::string(248, 'x') + ".img";  // 255 bytes
    const std::string oddName = "V05\xFF\xFE.img";                      // not valid UTF-8
    const std::vector<std::string> good = {Image(longName), Image(oddName)};
    fs::create_symlink(Path("gone.img"), Path("V05dangling.img"));
    fs::create_symlink(Path("V05loopB.img"), Path("V05loopA.img"));
    fs::create_symlink(Path("V05loopA.img"), Path("V05loopB.img"));
    fs::create_symlink("/dev/zero", Path("V05device.img"));
    const std::vector<std::string> bad = {Path("V05dangling.img"), Path("V05loopA.img"), Path("V05device.img")};

    std::vector<std::string> args = bad;
    args.insert(args.end(), good.begin(), good.end());
    args.insert(args.end(), {"-o", Path("out")});
    const Outcome run = Export(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(bad[0] + ": No such file or directory"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(bad[1] + ": Too many levels of symbolic links"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(bad[2] + ": not a regular file"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 3) << run.err;
    EXPECT_TRUE(fs::exists(Path("out/V05" + std::string(248, 'x') + ".bmp")));
    EXPECT_TRUE(fs::exists(Path("out/V05\xFF\xFE.bmp")));
    // No temporary file is left beside the outputs.
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("out")), fs::directory_iterator()), 2);
}

TEST_F(ExportTest, OutputFolderThatIsAFileFailsTheBatch) {
    dir.write("out", "not a folder");
    const Outcome run = Export({Image("V0501.img"), Image("V0502.img"), "-o", Path("out")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(Path("out")), std::string::npos);
    EXPECT_EQ(AsText(ReadAll(Path("out"))), "not a folder");
}

// ---------------------------------------------------------------- several at a time

// Every regular file under `folder` (links not followed) and what it holds.
std::map<std::string, Bytes> FilesUnder(const fs::path& folder) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_symlink() && entry.is_regular_file()) files[entry.path().string()] = ReadAll(entry.path());
    }
    return files;
}

// Each layout is laid out afresh and converted with one worker, then with
// four: the same files, messages, progress lines and status.
TEST_F(ExportTest, SeveralAtATimeGiveWhatOneAtATimeGives) {
    const std::string run = Path("run");
    auto image = [&](const std::string& name, std::size_t length, int shift) {
        return dir.write("run/" + name, Raster(length, kW, [shift](int r, int c) { return Pattern(r, c + shift); }))
            .string();
    };
    struct Layout {
        const char* what;
        std::function<std::vector<std::string>()> lay;  // the inputs
        int messages;  // errors, and warnings of lengths that match no raster size
        int status;
    };
    const Layout layouts[] = {
        {"good, unreadable, refused and unwritable inputs",
         [&] {
             fs::create_directory(run + "/in/dir.img");
             ::mkfifo((run + "/in/fifo.img").c_str(), 0600);
             fs::create_directory(run + "/out/V0505.bmp");  // cannot be replaced
             dir.write("run/out/self.bmp", "old");
             fs::create_directory(run + "/in2");
             return std::vector<std::string>{image("in/V0501.img", 694320, 0),   run + "/in/gone.img",
                                             image("in/V0502.IMG", 1160320, 1),  run + "/in/dir.img",
                                             image("in2/V0501.img", kW * kH, 5), run + "/in/fifo.img",
                                             image("in/V0503.img", 883452, 2),   run + "/out/self.bmp",
                                             image("in/V0505.img", kW * kH, 4),  image("in/V0504.img", 1000, 3)};
         },
         7, 1},
        {"an input is a link to an earlier input's output",
         [&] {
             fs::create_symlink(run + "/out/V0601.bmp", run + "/in/V0602.img");
             return std::vector<std::string>{image("in/V0601.img", kW * kH, 0), run + "/in/V0602.img",
                                             image("in/V0603.img", kW * kH, 1)};
         },
         1, 0},  // the bitmap read as an image
        {"an output is a link to a later input",
         [&] {
             const std::vector<std::string> inputs{image("in/V0701.img", kW * kH, 0),
                                                   image("in/V0702.img", kW * kH, 1)};
             fs::create_symlink(inputs[1], run + "/out/V0701.bmp");
             return inputs;
         },
         1, 0},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        std::vector<std::pair<Outcome, std::map<std::string, Bytes>>> results;
        for (const char* jobs : {"1", "4"}) {
            fs::remove_all(run);
            fs::create_directories(run + "/in");
            fs::create_directories(run + "/out");
            std::vector<std::string> args{"--despeckle", "--jobs", jobs};
            for (const std::string& input : layout.lay()) args.push_back(input);
            args.insert(args.end(), {"-o", run + "/out"});
            const Outcome outcome = Export(args, true);
            results.emplace_back(outcome, FilesUnder(run));
        }
        const auto& [one, oneFiles] = results[0];
        const auto& [four, fourFiles] = results[1];
        EXPECT_EQ(one.status, layout.status);
        EXPECT_EQ(std::count(one.err.begin(), one.err.end(), '\n'), layout.messages) << one.err;
        EXPECT_EQ(four.status, one.status);
        EXPECT_EQ(four.err, one.err);
        EXPECT_TRUE(four.out.empty());
        EXPECT_EQ(fourFiles.size(), oneFiles.size());
        EXPECT_TRUE(fourFiles == oneFiles);
    }
}

// Whether a batch may run out of order, told from the files alone.
TEST_F(ExportTest, OrderFreeOnlyWhenNoOutputLandsWhereAnInputIsRead) {
    const std::string in = Image("V0801.img");
    const std::string out = Path("out/");
    fs::create_directory(out);
    fs::create_symlink(out + "a.bmp", Path("to-output.img"));  // leads nowhere yet
    fs::create_symlink(in, out + "linked.bmp");
    dir.write("out/old.bmp", "old");
    fs::create_symlink(out + "old.bmp", Path("to-old.img"));
    struct Case {
        const char* what;
        std::vector<std::string> inputs, targets;
        bool free;
    };
    const Case cases[] = {
        {"plain", {in, Path("gone.img"), Path("no/such/x.img")}, {out + "a.bmp", out + "b.bmp", out + "x.bmp"}, true},
        {"an input is its own output", {out + "old.bmp"}, {out + "old.bmp"}, true},
        {"a link leads nowhere yet", {Path("to-output.img"), in}, {out + "c.bmp", out + "a.bmp"}, false},
        {"an input read through a link", {Path("to-old.img"), in}, {out + "t.bmp", out + "old.bmp"}, false},
        {"an output written through a link", {in, Path("x.img")}, {out + "v.bmp", out + "linked.bmp"}, false},
        {"two outputs on one file", {Path("x.img"), Path("y.img")}, {in, out + "linked.bmp"}, false},
        {"an input inside an output", {Path("V0801.img/z"), out + "a.bmp/z"}, {out + "a.bmp", out + "d.bmp"}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(dusk::OrderFree(c.inputs, c.targets), c.free) << c.what;
}

// ---------------------------------------------------------------- writing

// Entries of the test folder whose names mark them as temporary files.
int TemporaryFiles(const fs::path& folder) {
    int n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() == ".tmp") ++n;
    }
    return n;
}

TEST_F(ExportTest, FailedWritesLeaveNoTraceAndKeepTheOldOutput) {
    const std::string image = Image("V0501.img");

    // The output's parent is a regular file.
    dir.write("plain", "x");
    Outcome run = Export({image, "-o", Path("plain/out.bmp")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "duskmapper-export: cannot write " + Path("plain/out.bmp") + ": Not a directory\n");

    // A folder stands where the output should go.
    fs::create_directory(Path("taken.bmp"));
    dir.write("taken.bmp/keep", "kept");
    run = Export({image, "-o", Path("taken.bmp")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write " + Path("taken.bmp")), std::string::npos);
    EXPECT_EQ(AsText(ReadAll(Path("taken.bmp/keep"))), "kept");

    // A FIFO (or a device) stands where the output should go: it stays.
    ASSERT_EQ(::mkfifo(Path("pipe.bmp").c_str(), 0600), 0);
    run = Export({image, "-o", Path("pipe.bmp")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "duskmapper-export: cannot write " + Path("pipe.bmp") + ": not a regular file\n");
    EXPECT_TRUE(fs::is_fifo(Path("pipe.bmp")));

    // The input itself as the output.
    run = Export({image, "-o", image});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadAll(image).size(), static_cast<std::size_t>(kW * kH));

    EXPECT_EQ(TemporaryFiles(dir.path()), 0);
}

TEST_F(ExportTest, SymbolicLinkOutputReplacesTheFileItNames) {
    fs::create_directory(Path("real"));
    const std::string target = dir.write("real/picture.bmp", "old").string();
    fs::create_symlink(target, Path("link.bmp"));
    ASSERT_EQ(Export({Image("V0501.img"), "-o", Path("link.bmp")}).status, 0);
    EXPECT_TRUE(fs::is_symlink(Path("link.bmp")));
    EXPECT_EQ(ReadAll(target).size(), 2083014u);
    EXPECT_EQ(TemporaryFiles(dir.path()), 0);
}

TEST_F(ExportTest, WriteCutShortKeepsTheExistingFile) {
    const std::string target = dir.write("old.bmp", "old content").string();
    std::string error;
    // Let the file system refuse to grow any file beyond 4096 bytes.
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = dusk::WriteFileReplacing(target, Bytes(100000, 7), error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(AsText(ReadAll(target)), "old content");
    EXPECT_EQ(TemporaryFiles(dir.path()), 0);

    // Without the limit the same call replaces the file whole.
    ASSERT_TRUE(dusk::WriteFileReplacing(target, Bytes(100000, 7), error)) << error;
    EXPECT_EQ(ReadAll(target), Bytes(100000, 7));
    EXPECT_EQ(TemporaryFiles(dir.path()), 0);
}

// An empty file and a length that matches no raster size are written all
// the same, with the status bar's words on the error output, also with
// --quiet, for --stats too, and in input order for a batch on two threads.
TEST_F(ExportTest, OddLengthsAreWrittenWithAWarning) {
    const struct {
        const char* name;
        std::size_t length;
        const char* warning;  // after the path
    } cases[] = {
        {"V0501.img", 0, " is empty"},
        {"V0502.img", 512000, ": 512,000 bytes match no known raster size; shown as 1052 \u00D7 660"},
        {"V0503.img", kW * kH, ""},
        {"V0504.img", 2200000, ": 2,100,000 bytes or more match no known raster size; shown as 1052 \u00D7 660"},
    };
    std::vector<std::string> all{"--quiet", "-j", "2"};
    std::string expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string image = Image(c.name, c.length);
        const std::string line = *c.warning ? "duskmapper-export: " + image + c.warning + "\n" : "";
        const Outcome run = Export({"--quiet", image, "-o", Path("one.png")});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, line);
        EXPECT_TRUE(fs::exists(Path("one.png")));
        const Outcome stats = Export({"--stats", image});
        EXPECT_EQ(stats.status, 0);
        EXPECT_EQ(stats.err, line);
        all.push_back(image);
        expected += line;
    }
    all.insert(all.end(), {"-o", Path("out")});
    const Outcome batch = Export(all, true);
    EXPECT_EQ(batch.status, 0);
    EXPECT_EQ(batch.err, expected);
    EXPECT_EQ(ReadAll(Path("out/V0501.bmp")).size(), 2083014u);
}

TEST_F(ExportTest, ProgressOnlyWhenAskedAndNotQuiet) {
    const std::string a = Image("V0501.img");
    const std::string b = Image("V0502.img");
    Outcome run = Export({a, b, "-o", Path("out")}, true);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("1/2 " + a), std::string::npos);
    EXPECT_NE(run.err.find("2/2 " + b), std::string::npos);
    run = Export({"--quiet", a, b, "-o", Path("out")}, true);
    EXPECT_TRUE(run.err.empty());
    run = Export({a, b, "-o", Path("out")}, false);
    EXPECT_TRUE(run.err.empty());
}

}  // namespace
