// SPDX-License-Identifier: GPL-3.0-or-later
// The image record: its rebuild, the record bound to each thread, and the
// working buffers that a load hands back.
#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "load/load_image.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

TEST(ImageStateTest, ResetBuildsTheStartUpRecordAnew) {
    ImageState& s = State();
    AllocateWorkingBuffers();
    s.OriginalImage.fill(7);
    s.FileList[999] = "V27";
    s.LabelLines = {"x"};
    s.ShownUnprocessed = true;
    s.ScanDirection = Direction::Backward;
    s.Histogram.Counts[3] = 4;
    s.DefaultOptions[OptMissingLines] = 1;
    ResetState();
    EXPECT_EQ(s.RawImage, nullptr);
    EXPECT_TRUE(std::all_of(s.OriginalImage.begin(), s.OriginalImage.end(), [](std::uint8_t v) { return v == 0; }));
    EXPECT_TRUE(s.FileList[999].empty());
    EXPECT_TRUE(s.LabelLines.empty());
    EXPECT_FALSE(s.ShownUnprocessed);
    EXPECT_EQ(s.ScanDirection, Direction::None);
    EXPECT_EQ(s.Histogram.Counts[3], 0);
    EXPECT_EQ(s.DefaultOptions, OptionFlags{});
}

TEST(ImageStateTest, ScopedRecordsNestAndLeaveTheProgramRecordAlone) {
    ResetState();
    ImageState& program = State();
    program.FileLength = 5;
    {
        ScopedImageState outer;
        EXPECT_EQ(&State(), &outer.Record());
        EXPECT_EQ(State().FileLength, 0);  // a start-up record of its own
        State().FileLength = 6;
        {
            ScopedImageState inner;
            EXPECT_EQ(&State(), &inner.Record());
            State().FileLength = 7;
        }
        EXPECT_EQ(&State(), &outer.Record());
        EXPECT_EQ(State().FileLength, 6);
        std::thread([&program] { EXPECT_EQ(&State(), &program); }).join();  // other threads: the program's
    }
    EXPECT_EQ(&State(), &program);
    EXPECT_EQ(program.FileLength, 5);
    ResetState();
}

// Workers load and render different images at the same time, each into a
// record of its own; their pictures equal those rendered one after the other
// on this thread, and the record of this thread is not touched.
TEST(ImageStateTest, WorkersRenderIntoRecordsOfTheirOwn) {
    ResetState();
    TempDir dir;
    const std::int32_t length = 1052 * 660;
    std::vector<std::string> paths;
    for (std::uint32_t i = 0; i < 4; ++i) {
        const Raster raster = SpeckledRaster(60 + i, length, 1052);
        paths.push_back(dir.WriteFile("V0" + std::to_string(i + 1) + ".img",
                                      std::vector<std::uint8_t>(raster.begin(), raster.begin() + length)));
    }
    const auto render = [](const std::string& path, int option) {
        LoadSettings settings;
        settings.keepList = true;
        settings.adjust = [option] {
            State().ActiveOptions[OptDespeckle] = 1;
            State().ActiveOptions[option] = 1;
        };
        const WorkingBuffers buffers = LoadImage(path, settings);
        return std::vector<std::uint8_t>(buffers.Bitmap().begin(), buffers.Bitmap().end());
    };
    std::vector<std::vector<std::uint8_t>> expected;
    for (std::size_t i = 0; i < paths.size(); ++i) expected.push_back(render(paths[i], static_cast<int>(i) + 2));
    State().OriginalImage.fill(3);
    State().CurrentFileName = "on display";

    std::vector<std::vector<std::uint8_t>> got(paths.size());
    std::vector<std::thread> workers;
    for (int w = 0; w < 2; ++w) {
        workers.emplace_back([&, w] {
            ScopedImageState own;
            for (std::size_t i = static_cast<std::size_t>(w); i < paths.size(); i += 2) {
                got[i] = render(paths[i], static_cast<int>(i) + 2);
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(got[i].size(), 54u + 3u * 1052u * 660u);
        EXPECT_TRUE(got[i] == expected[i]) << paths[i];
    }
    EXPECT_EQ(State().CurrentFileName, "on display");
    EXPECT_EQ(State().OriginalImage[12345], 3);
    EXPECT_EQ(State().RawImage, nullptr);  // the buffers went with the loads
    ResetState();
}

}  // namespace
}  // namespace dusk::test
