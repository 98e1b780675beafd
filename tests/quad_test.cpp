// SPDX-License-Identifier: GPL-3.0-or-later
// The quad of an image on the sample volume: which entries are its browse
// image and tiles, where each tile lies on the browse image and back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "geo/quad.h"

namespace {

namespace fs = std::filesystem;

TEST(QuadNames, BrowseTilesAndOthers) {
    struct Case {
        const char* name;
        const char* id;
        bool browse;
        int tile;
    };
    for (const Case& c : std::vector<Case>{{"V05.img", "V05", true, 0},
                                           {"V01.IMG", "V01", true, 0},
                                           {"V0516.img", "V05", false, 16},
                                           {"V0101.IMG", "V01", false, 1},
                                           {"V05.Img", "", false, 0},
                                           {"V05x1.img", "", false, 0},
                                           {"V0501.lbl", "", false, 0},
                                           {"V0501.img.bak", "", false, 0}}) {
        EXPECT_EQ(dusk::QuadIdOf(c.name), c.id) << c.name;
        EXPECT_EQ(dusk::IsBrowseName(c.name), c.browse) << c.name;
        EXPECT_EQ(dusk::TileNumberOf(c.name), c.tile) << c.name;
    }
}

class SampleQuad : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/dusk-quad-XXXXXX";
        dir_ = mkdtemp(pattern);
        ASSERT_EQ(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + dir_ + "/samples\"").c_str()), 0);
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        return names;
    }
    static std::string dir_;
};
std::string SampleQuad::dir_;

// Tiles of 1052 samples and 703, 703, 703, 531 lines at 1 km, the browse
// image at 4 km: tile n's top left corner lies at column (n-1)%4 * 263, row
// (n-1)/4 * 175.75 of the browse image.
TEST_F(SampleQuad, FootprintsTileTheBrowseImageAndLeadBack) {
    const std::string folder = dir_ + "/samples";
    for (const char* image : {"V0503.img", "V01.IMG"}) {
        const dusk::Quad quad = dusk::QuadOf(folder, Names(folder), image);
        ASSERT_TRUE(quad.browse) << image;
        ASSERT_TRUE(quad.browse->coordinates) << quad.browse->why;
        ASSERT_EQ(quad.tiles.size(), 16u) << image;
        const std::vector<dusk::Footprint> footprints = dusk::Footprints(quad);
        ASSERT_EQ(footprints.size(), 16u) << image;
        for (const dusk::Footprint& f : footprints) {
            ASSERT_EQ(f.outline.size(), 4u);
            const int column = (f.tile - 1) % 4;
            const int row = (f.tile - 1) / 4;
            EXPECT_NEAR(f.outline[0].column, column * 263.0, 0.01) << image << " tile " << f.tile;
            EXPECT_NEAR(f.outline[0].row, row * 175.75, 0.01) << image << " tile " << f.tile;
            EXPECT_NEAR(f.outline[2].row, row == 3 ? 660.0 : (row + 1) * 175.75, 0.01) << image << " tile " << f.tile;
        }
        // The browse point (600.5, 400.25) is 2402 km east, 1601 km south of
        // the corner: tile 4 * 2 + 3 = 11, column 298, row 195.
        const std::optional<dusk::TileSpot> spot = dusk::TileAt(quad, 600.5, 400.25);
        ASSERT_TRUE(spot) << image;
        EXPECT_EQ(quad.tiles[spot->index].tile, 11);
        EXPECT_NEAR(spot->column, 298.0, 0.01);
        EXPECT_NEAR(spot->row, 195.0, 0.01);
        EXPECT_FALSE(dusk::TileAt(quad, -1.0, 10.0));
    }
}

TEST_F(SampleQuad, EntriesWithoutGeoreferenceSayWhy) {
    const std::string folder = dir_ + "/broken";
    fs::create_directory(folder);
    for (const auto& entry : fs::directory_iterator(dir_ + "/samples")) {
        if (entry.path().filename().string().rfind("V05", 0) == 0) fs::copy(entry.path(), folder);
    }
    fs::remove(folder + "/V0502.lbl");
    fs::remove(folder + "/V0516.img");
    ASSERT_EQ(mkfifo((folder + "/V0517.img").c_str(), 0600), 0);
    fs::create_directory(folder + "/V0518.img");
    const dusk::Quad quad = dusk::QuadOf(folder, Names(folder), "V05.img");
    ASSERT_EQ(quad.tiles.size(), 17u);
    EXPECT_EQ(dusk::Footprints(quad).size(), 14u);
    for (const dusk::QuadImage& tile : quad.tiles) {
        const bool without = tile.tile == 2 || tile.tile >= 17;
        EXPECT_EQ(tile.coordinates == nullptr, without) << tile.name;
        EXPECT_EQ(tile.why.empty(), !without) << tile.name << ": " << tile.why;
    }
    EXPECT_EQ(quad.tiles[1].why, "V0502.img has no label");
    EXPECT_EQ(quad.tiles[15].why, "V0517.img is not a readable image file");
}

}  // namespace
