// SPDX-License-Identifier: GPL-3.0-or-later
// Thumbnails against an area average written out here, over the exporter's
// own rendering; and the PNG files of duskmapper-export --thumbnails.
#include <png.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "load/thumbnail.h"
#include "temp_dir.h"
#include "tools/export.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Samples that differ along both axes, so that a row or column taken from the
// wrong place shows.
std::string Raster(std::size_t length, int seed) {
    std::string bytes(length, '\0');
    for (std::size_t k = 0; k < length; ++k) bytes[k] = static_cast<char>((k * 7919 + seed * 131 + k / 997) % 251);
    return bytes;
}

// Slow reference: target pixel (x, y) of a tw x th shrink of a w x h picture
// is the sum over every source pixel of its value times the area it shares
// with the target pixel, both laid on a w*tw by h*th grid, divided by the
// target pixel's area w*h and rounded half up.
Bytes ReferenceShrink(const Bytes& shown, int w, int h, int tw, int th) {
    Bytes out(static_cast<std::size_t>(tw) * th);
    auto overlap = [](long a0, long a1, long b0, long b1) { return std::max(0L, std::min(a1, b1) - std::max(a0, b0)); };
    for (int y = 0; y < th; ++y) {
        for (int x = 0; x < tw; ++x) {
            long long sum = 0;
            const int sy0 = static_cast<int>(static_cast<long>(y) * h / th);
            const int sx0 = static_cast<int>(static_cast<long>(x) * w / tw);
            for (int sy = sy0; sy < h && static_cast<long>(sy) * th < static_cast<long>(y + 1) * h; ++sy) {
                const long wy = overlap(static_cast<long>(sy) * th, static_cast<long>(sy + 1) * th,
                                        static_cast<long>(y) * h, static_cast<long>(y + 1) * h);
                for (int sx = sx0; sx < w && static_cast<long>(sx) * tw < static_cast<long>(x + 1) * w; ++sx) {
                    const long wx = overlap(static_cast<long>(sx) * tw, static_cast<long>(sx + 1) * tw,
                                            static_cast<long>(x) * w, static_cast<long>(x + 1) * w);
                    sum += static_cast<long long>(wy) * wx * shown[static_cast<std::size_t>(sy) * w + sx];
                }
            }
            const long long area = static_cast<long long>(w) * h;
            out[static_cast<std::size_t>(y) * tw + x] = static_cast<std::uint8_t>((2 * sum + area) / (2 * area));
        }
    }
    return out;
}

// The picture as shown, from the exporter's bitmap: pixel rows top first.
Bytes ShownPicture(const Bytes& bmp, int w, int h) {
    Bytes shown(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) shown[static_cast<std::size_t>(y) * w + x] = bmp[54 + 3 * ((h - 1 - y) * static_cast<std::size_t>(w) + x)];
    }
    return shown;
}

// Decodes an 8-bit grey PNG file.
bool ReadGreyPng(const std::string& path, int& w, int& h, Bytes& grey) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return false;
    image.format = PNG_FORMAT_GRAY;
    w = static_cast<int>(image.width);
    h = static_cast<int>(image.height);
    grey.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, grey.data(), 0, nullptr) != 0;
}

struct Case {
    std::size_t length;  // chooses the geometry
    int w, h;
    std::vector<dusk::OptionSlot> options;
    int size;
    int tw, th;  // the thumbnail's size
};

class ThumbnailTest : public ::testing::Test {
protected:
    void SetUp() override { dusk::ResetState(); }
    std::string Write(const std::string& name, const std::string& bytes) { return dir_.write(name, bytes).string(); }
    TempDir dir_;
};

TEST_F(ThumbnailTest, IsTheAreaAverageOfTheExportersPicture) {
    const Case cases[] = {
        {694320, 1052, 660, {}, 160, 160, 100},
        {694320, 1052, 660, {dusk::OptMinimizeHalf, dusk::OptInvert}, 160, 160, 100},
        {1160320, 1036, 1120, {dusk::OptRotate, dusk::OptDespeckle}, 160, 148, 160},
        {707160, 996, 712, {dusk::OptStretch, dusk::OptFlipVertically}, 7, 7, 5},
        {694320, 1052, 660, {}, 1, 1, 1},
        {694320, 1052, 660, {}, 5000, 1052, 660},  // never enlarged
    };
    int seed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " size " << c.size);
        ++seed;
        const std::string path = Write("V05" + std::to_string(seed) + ".img", Raster(c.length, seed));
        dusk::ExportSettings settings;
        for (const dusk::OptionSlot slot : c.options) settings.options[slot] = 1;
        Bytes bmp;
        std::string error;
        ASSERT_TRUE(dusk::RenderImageFile(path, settings, bmp, error)) << error;

        const dusk::Thumbnail thumb = dusk::RenderThumbnail(path, settings.options, c.size);
        ASSERT_TRUE(thumb.Ok()) << thumb.failure;
        EXPECT_EQ(thumb.width, c.tw);
        EXPECT_EQ(thumb.height, c.th);
        EXPECT_EQ(thumb.grey, ReferenceShrink(ShownPicture(bmp, c.w, c.h), c.w, c.h, c.tw, c.th));
        // As a step with those defaults shows it: the options taken, levels at 0.
        EXPECT_EQ(dusk::State().ActiveOptions, settings.options);
    }
}

TEST_F(ThumbnailTest, UnreadableEntriesGiveTheReason) {
    const std::string fifo = (dir_.path() / "V0501.img").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // no writer: must not wait for one
    std::filesystem::create_symlink("/dev/zero", dir_.path() / "V0502.img");
    const std::string empty = Write("V0503.img", "");
    const std::string folder = (dir_.path() / "V0504.img").string();
    std::filesystem::create_directory(folder);
    for (const std::string& path : {fifo, (dir_.path() / "V0502.img").string(), empty, folder,
                                    (dir_.path() / "V0509.img").string()}) {
        const dusk::Thumbnail thumb = dusk::RenderThumbnail(path, {}, 160);
        EXPECT_FALSE(thumb.Ok()) << path;
        EXPECT_TRUE(thumb.grey.empty());
    }
    EXPECT_EQ(dusk::RenderThumbnail(empty, {}, 160).failure, "the file is empty");
}

TEST_F(ThumbnailTest, ExporterWritesTheSamePixelsAsPngFiles) {
    const std::string a = Write("V0601.img", Raster(694320, 1));
    const std::string b = Write("V0602.IMG", Raster(1160320, 2));
    const std::string empty = Write("V0603.img", "");
    const std::string out = (dir_.path() / "thumbs").string();
    std::ostringstream so, se;
    const int status = dusk::ExportCommand({"--thumbnails", "160", "--invert", a, empty, b, "-o", out}, so, se, false);
    EXPECT_EQ(status, 1);  // the empty one fails; the others are written
    EXPECT_NE(se.str().find("V0603.img: the file is empty"), std::string::npos) << se.str();
    EXPECT_FALSE(std::filesystem::exists(out + "/V0603.png"));
    dusk::OptionFlags options{};
    options[dusk::OptInvert] = 1;
    for (const auto& [input, name] : {std::pair{a, "V0601.png"}, std::pair{b, "V0602.png"}}) {
        int w = 0, h = 0;
        Bytes grey;
        ASSERT_TRUE(ReadGreyPng(out + "/" + name, w, h, grey)) << name;
        const dusk::Thumbnail thumb = dusk::RenderThumbnail(input, options, 160);
        EXPECT_EQ(w, thumb.width);
        EXPECT_EQ(h, thumb.height);
        EXPECT_EQ(grey, thumb.grey) << name;
    }
    // One input goes into the folder too; --stats draws no thumbnails.
    EXPECT_EQ(dusk::ExportCommand({"--thumbnails=40", a, "-o", out + "/one"}, so, se, false), 0);
    EXPECT_TRUE(std::filesystem::exists(out + "/one/V0601.png"));
    EXPECT_EQ(dusk::ExportCommand({"--thumbnails", "0", a, "-o", out}, so, se, false), 2);
    EXPECT_EQ(dusk::ExportCommand({"--thumbnails", "9", "--stats", a}, so, se, false), 2);
}

}  // namespace
