// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/file_list.h"
#include "collection/navigation.h"
#include "core/image_state.h"
#include "temp_dir.h"

namespace {

using dusk::State;

std::vector<std::string> Listed() {
    const auto& s = State();
    return {s.FileList.begin(), s.FileList.begin() + s.FileCount};
}

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override { dusk::ResetState(); }
    void Build(const std::string& current = "") {
        State().DirectoryPath = dir.slashed();
        State().CurrentFileName = current;
        dusk::BuildFileList();
    }
    TempDir dir;
};

TEST(VolumeName, PrefixRule) {
    struct Case {
        const char* name;
        bool listed;
    } cases[] = {
        {"V01.IMG", true},   {"V27X", true},       {"V05", true},       {"V00.IMG", false},
        {"V28.IMG", false},  {"v05.img", false},   {"W05.IMG", false},  {"V5.IMG", false},
        {"V0", false},       {"", false},          {"V1A.IMG", false},  {"V10", true},
    };
    for (const auto& c : cases) EXPECT_EQ(dusk::IsVolumeName(c.name), c.listed) << c.name;
}

TEST_F(FileListTest, ListsOnlyVolumeFilesAboveTheSizeLimit) {
    dir.file("V05A.IMG", 12000);
    dir.file("V05A.LBL", 5360);
    std::filesystem::create_directory(dir.path() / "V06");
    dir.file("V06/V06B.IMG", 20000);  // subfolders are not searched
    dir.file("V12AT.IMG", 10000);     // exactly the limit: left out
    dir.file("V12AU.IMG", 10001);
    dir.file("V00.IMG", 20000);
    dir.file("V28.IMG", 20000);
    dir.file("v05.img", 20000);
    dir.file("V07NODOT", 20000);  // names without a dot count too
    dir.file("README", 20000);
    Build("V05A.IMG");
    EXPECT_EQ(Listed(), (std::vector<std::string>{"V05A.IMG", "V07NODOT", "V12AU.IMG"}));
    EXPECT_EQ(State().FilePosition, 1);
    EXPECT_EQ(dusk::PositionText(), "1/3");
}

TEST_F(FileListTest, LeavesOutFoldersDevicesAndDanglingLinksNamedLikeImages) {
    std::filesystem::create_directory(dir.path() / "V05DIR.IMG");
    ASSERT_EQ(::mkfifo((dir.path() / "V05FIFO.IMG").c_str(), 0600), 0);
    std::filesystem::create_symlink("/nonexistent/V05.IMG", dir.path() / "V05LINK.IMG");
    std::filesystem::create_symlink("/dev/zero", dir.path() / "V05DEV.IMG");
    dir.file("V05REAL.IMG", 20000);
    std::filesystem::create_symlink(dir.path() / "V05REAL.IMG", dir.path() / "V05GOOD.IMG");
    Build();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"V05GOOD.IMG", "V05REAL.IMG"}));
}

TEST_F(FileListTest, SortsByByteValue) {
    for (const char* name : {"V10A.IMG", "V05a.IMG", "V10.IMG", "V05B.IMG", "V05\xE9.IMG"}) dir.file(name, 10001);
    Build();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"V05B.IMG", "V05a.IMG", "V05\xE9.IMG", "V10.IMG", "V10A.IMG"}));
}

TEST_F(FileListTest, KeepsWholeNamesIncludingLongAndNonUtf8Ones) {
    dir.file("V05A1234.IMG", 20000);
    dir.file("V05A1234567890.IMG", 20000);
    dir.file("V05\xFF\xFE.IMG", 20000);  // not valid UTF-8
    Build("V05A1234567890.IMG");
    EXPECT_EQ(Listed(), (std::vector<std::string>{"V05A1234.IMG", "V05A1234567890.IMG", "V05\xFF\xFE.IMG"}));
    EXPECT_EQ(State().FilePosition, 2);
    // Every listed entry names a file that exists.
    for (State().FilePosition = 1; State().FilePosition <= State().FileCount; ++State().FilePosition) {
        EXPECT_TRUE(std::filesystem::exists(dusk::ListEntryPath())) << dusk::ListEntryPath();
    }
}

TEST_F(FileListTest, FindsThePositionIgnoringAsciiCase) {
    dir.file("V05A.IMG", 20000);
    dir.file("V05B.IMG", 20000);
    Build("v05b.img");
    EXPECT_EQ(State().FilePosition, 2);
    Build("V05B.img");
    EXPECT_EQ(State().FilePosition, 2);
    Build("V05\xC3\xA9.IMG");  // non-ASCII letters are not case-folded
    EXPECT_EQ(State().FilePosition, 0);
}

// Names that differ only in letter case: the exact name wins; without one,
// the last entry that matches in any case.
TEST_F(FileListTest, ExactNameWinsOverOneThatDiffersInCase) {
    dir.file("V05A.IMG", 20000);
    dir.file("V05a.IMG", 20000);
    const std::pair<const char*, std::int32_t> cases[] = {{"V05A.IMG", 1}, {"V05a.IMG", 2}, {"v05a.img", 2}};
    for (const auto& [name, position] : cases) {
        Build(name);
        EXPECT_EQ(Listed(), (std::vector<std::string>{"V05A.IMG", "V05a.IMG"}));
        EXPECT_EQ(State().FilePosition, position) << name;
    }
}

TEST_F(FileListTest, OpenedFileOutsideTheListHasPositionZero) {
    dir.file("V05A.IMG", 20000);
    dir.file("V05B.IMG", 20000);
    dir.file("other.img", 694320);
    Build("other.img");
    EXPECT_EQ(State().FilePosition, 0);
    EXPECT_EQ(dusk::PositionText(), "0/2");
}

TEST_F(FileListTest, MissingFolderGivesAnEmptyList) {
    State().FileCount = 7;
    State().FileList[0] = "stale";
    State().DirectoryPath = dir.slashed() + "gone/";
    State().CurrentFileName = "V05.IMG";
    dusk::BuildFileList();
    EXPECT_EQ(State().FileCount, 0);
    EXPECT_EQ(State().FileList[0], "");
    EXPECT_EQ(dusk::PositionText(), "0/0");
}

TEST_F(FileListTest, ExactlyAThousandEntriesAreAllListedWithNothingCut) {
    for (int i = 0; i < 1000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "V05_%04d.IMG", i);
        dir.file(name, 10001);
    }
    Build("V05_0999.IMG");
    EXPECT_EQ(State().FileCount, 1000);
    EXPECT_FALSE(State().FileListCut);
    EXPECT_EQ(State().FilePosition, 1000);
}

TEST_F(FileListTest, MoreThanAThousandEntriesKeepsTheFirstThousandInSortOrder) {
    // Create in descending order so that enumeration order differs from sort order.
    for (int i = 1099; i >= 0; --i) {
        char name[32];
        std::snprintf(name, sizeof name, "V05_%04d.IMG", i);
        dir.file(name, 10001);
    }
    Build("V05_1050.IMG");
    EXPECT_EQ(State().FileCount, 1000);
    EXPECT_TRUE(State().FileListCut);
    EXPECT_EQ(State().FileList[0], "V05_0000.IMG");
    EXPECT_EQ(State().FileList[999], "V05_0999.IMG");
    EXPECT_EQ(State().FilePosition, 0);  // beyond the cut
    Build("V05_0001.IMG");
    EXPECT_EQ(State().FilePosition, 2);
}

class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        dusk::ResetState();
        State().DirectoryPath = "/cd/";
        for (int k = 0; k < 5; ++k) State().FileList[k] = "V0" + std::to_string(k + 1) + ".IMG";
    }
    void List(int count, int position) {
        State().FileCount = count;
        State().FilePosition = position;
    }
};

TEST_F(NavigationTest, NextAndPreviousStopAtTheEndsWithoutWrapping) {
    struct Case {
        int count, position;
        bool next;
        int afterNext;
        bool previous;
        int afterPrevious;
    } cases[] = {
        {5, 5, false, 5, true, 4}, {5, 1, true, 2, false, 1}, {3, 0, true, 1, false, 0},
        {0, 0, false, 0, false, 0}, {1, 1, false, 1, false, 1},
    };
    for (const auto& c : cases) {
        List(c.count, c.position);
        EXPECT_EQ(dusk::StepForward(), c.next) << c.count << "/" << c.position;
        EXPECT_EQ(State().FilePosition, c.afterNext);
        List(c.count, c.position);
        EXPECT_EQ(dusk::StepBackward(), c.previous) << c.count << "/" << c.position;
        EXPECT_EQ(State().FilePosition, c.afterPrevious);
    }
}

// A step to a chosen entry (an overview tile): only to an entry of the list.
TEST_F(NavigationTest, StepToTakesOnlyAnEntryOfTheList) {
    const struct {
        int count, position, target;
        bool taken;
    } cases[] = {{5, 1, 3, true}, {5, 3, 5, true}, {5, 3, 3, true}, {5, 3, 6, false}, {5, 3, 0, false}, {0, 0, 1, false}};
    for (const auto& c : cases) {
        List(c.count, c.position);
        EXPECT_EQ(dusk::StepTo(c.target), c.taken) << c.count << "/" << c.position << " to " << c.target;
        EXPECT_EQ(State().FilePosition, c.taken ? c.target : c.position);
    }
}

TEST_F(NavigationTest, ListEntryPathJoinsFolderAndName) {
    List(5, 3);
    EXPECT_EQ(dusk::ListEntryPath(), "/cd/V03.IMG");
}

TEST_F(NavigationTest, ScanTickStepsInItsDirectionAndStopsAtTheEnd) {
    List(3, 1);
    State().ScanDirection = dusk::Direction::Forward;
    EXPECT_EQ(dusk::AdvanceScan(), dusk::ScanTick::Step);
    EXPECT_EQ(dusk::AdvanceScan(), dusk::ScanTick::Step);
    EXPECT_EQ(State().FilePosition, 3);
    EXPECT_EQ(dusk::AdvanceScan(), dusk::ScanTick::Stop);
    EXPECT_EQ(State().FilePosition, 3);
    State().ScanDirection = dusk::Direction::Backward;
    EXPECT_EQ(dusk::AdvanceScan(), dusk::ScanTick::Step);
    EXPECT_EQ(State().FilePosition, 2);
    State().ScanDirection = dusk::Direction::None;
    EXPECT_EQ(dusk::AdvanceScan(), dusk::ScanTick::Idle);
    EXPECT_EQ(State().FilePosition, 2);
    List(0, 0);
    State().ScanDirection = dusk::Direction::Forward;
    EXPECT_EQ(dusk::AdvanceScan(), dusk::ScanTick::Stop);
}

}  // namespace

// Go to Entry: a position, a whole name in any case with or without its
// extension, or the one name a beginning fits.
TEST_F(NavigationTest, FindEntryTakesAPositionOrAName) {
    State().FileList[3] = "V0501.img";
    State().FileList[4] = "V0502.img";
    List(5, 1);
    const struct {
        const char* text;
        int position;
    } cases[] = {
        {"3", 3}, {" 5 ", 5}, {"6", 0}, {"0", 0}, {"-1", 0}, {"2x", 0}, {"", 0},
        {"V02.IMG", 2}, {"v02.img", 2}, {"V02", 2}, {"v0502", 5}, {"V050", 0},  // two begin so
        {"V0501.i", 4}, {"V03.I", 3}, {"V09", 0}, {"V0502.img.bak", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(dusk::FindEntry(c.text), c.position) << '"' << c.text << '"';
}
