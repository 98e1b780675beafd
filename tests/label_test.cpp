// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "core/label.h"
#include "temp_dir.h"

namespace {

using dusk::State;

TEST(LabelName, FollowsTheImageName) {
    struct Case {
        const char* image;
        const char* label;
    } cases[] = {
        {"V05.img", "V05.lbl"},       {"V05.IMG", "V05.lbl"},       {"V0512.IMG", "V0512.lbl"},
        {"V0512.img", "V0512.lbl"},   {"V05A1234.img", ""},         {"V05.Img", ""},
        {"V0512.iMG", ""},            {"V05.imgXYZ", "V05.lbl"},    {"V05", ""},
        {"V05.im", ""},               {"", ""},                     {"AB.img", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(dusk::LabelFileName(c.image), c.label) << c.image;
}

// Label text made of 78-character lines, each followed by CR LF.
std::string CrLfLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string line = "LINE " + std::to_string(i + 1);
        line.resize(78, '.');
        text += line + "\r\n";
    }
    return text;
}

TEST(LabelSplit, ShowsLinesOf78CharactersEndingInTwoBlanks) {
    const auto items = dusk::SplitLabel(CrLfLines(67));
    ASSERT_EQ(items.size(), 67u);
    for (int i = 0; i < 67; ++i) {
        std::string line = "LINE " + std::to_string(i + 1);
        line.resize(78, '.');
        EXPECT_EQ(items[i], line + "  ");
    }
}

TEST(LabelSplit, CutsEveryEightyBytesAndAtTheFirstZero) {
    struct Case {
        std::size_t size;
        int fullItems;
        std::size_t partialLength;  // of the item after the full ones (79th and 80th are blanks)
    } cases[] = {{3000, 37, 40}, {0, 0, 0}, {80, 1, 0}, {79, 0, 80}, {10000, 67, 0}, {5360, 67, 0}};
    for (const auto& c : cases) {
        const auto items = dusk::SplitLabel(std::string(c.size, 'A'));
        ASSERT_EQ(items.size(), 67u) << c.size;
        for (int i = 0; i < 67; ++i) {
            std::size_t expected = 0;
            if (i < c.fullItems) {
                expected = 80;
            } else if (i == c.fullItems) {
                expected = c.partialLength;
            }
            EXPECT_EQ(items[i].size(), expected) << "size " << c.size << " item " << i + 1;
        }
    }
    // A zero byte inside a record ends its item there.
    std::string bytes(160, 'B');
    bytes[10] = '\0';
    const auto items = dusk::SplitLabel(bytes);
    EXPECT_EQ(items[0], std::string(10, 'B'));
    EXPECT_EQ(items[1], std::string(78, 'B') + "  ");
}

TEST(LabelDecode, ReadsCodePage1250) {
    // 0x8A Š, 0x9A š, 0xE8 č, 0xF8 ř, 0xB3 ł, 0x80 €, plain ASCII unchanged.
    EXPECT_EQ(dusk::Cp1250ToUtf8("\x8A\x9A\xE8\xF8\xB3\x80 ok"), "\u0160\u0161\u010D\u0159\u0142\u20AC ok");
    // 0x98 is undefined in the code page.
    EXPECT_EQ(dusk::Cp1250ToUtf8("a\x98z"), "a\uFFFDz");
}

class ReadLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        dusk::ResetState();
        State().DirectoryPath = dir.slashed();
    }
    std::vector<std::string> Read(const std::string& image) {
        State().CurrentFileName = image;
        return dusk::ReadImageLabel();
    }
    TempDir dir;
};

TEST_F(ReadLabelTest, FindsTheLabelBesideTheImage) {
    dir.write("V05.lbl", CrLfLines(3));
    dir.write("V0512.lbl", "FIVE");
    const auto items = Read("V05.img");
    ASSERT_EQ(items.size(), 67u);
    EXPECT_EQ(items[2].substr(0, 6), "LINE 3");
    EXPECT_EQ(items[3], "");
    EXPECT_EQ(Read("V0512.IMG").front(), "FIVE");
    EXPECT_TRUE(Read("V05A1234.img").empty());
    EXPECT_TRUE(Read("V06.img").empty());
}

TEST_F(ReadLabelTest, EmptyLabelGivesSixtySevenEmptyItems) {
    dir.write("V05.lbl", "");
    const auto items = Read("V05.img");
    ASSERT_EQ(items.size(), 67u);
    for (const auto& item : items) EXPECT_EQ(item, "");
}

TEST_F(ReadLabelTest, FallsBackToAnUpperCaseExtension) {
    dir.write("V05.LBL", "UPPER");
    EXPECT_EQ(Read("V05.IMG").front(), "UPPER");
    dir.write("V05.lbl", "LOWER");
    EXPECT_EQ(Read("V05.IMG").front(), "LOWER");
}

// Each 80-byte record holds its own number, so an item shows where its
// bytes came from.
TEST_F(ReadLabelTest, LongLabelShowsItsFirst5360Bytes) {
    std::string bytes;
    for (int record = 0; bytes.size() < 10000; ++record) {
        std::string text = "R" + std::to_string(record);
        text.resize(80, static_cast<char>('a' + record % 26));
        bytes += text;
    }
    bytes.resize(10000);
    dir.write("V05.lbl", bytes);
    const auto items = Read("V05.img");
    ASSERT_EQ(items.size(), 67u);
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i], bytes.substr(80 * i, 78) + "  ") << i + 1;
}

TEST_F(ReadLabelTest, UnreadableLabelGivesEmptyItems) {
    std::filesystem::create_directory(dir.path() / "V05.lbl");
    const auto items = Read("V05.img");
    ASSERT_EQ(items.size(), 67u);
    for (const auto& item : items) EXPECT_EQ(item, "");
}

}  // namespace
