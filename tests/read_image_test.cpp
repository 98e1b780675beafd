// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an image file into fresh, zero-filled buffers: at most 2,100,000
// bytes; anything that cannot be read (or is not a regular file) gives -1.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "core/paths.h"
#include "core/read_image.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

bool AllZero(const std::uint8_t* from, const std::uint8_t* to) {
    return std::all_of(from, to, [](std::uint8_t v) { return v == 0; });
}

// Leaves junk in the buffers the record holds, as an earlier image would.
void DirtyBuffers() {
    std::memset(Raw(), 0xAB, kRawImageSize);
    std::memset(State().BitmapImage.get(), 0xCD, kBitmapImageSize);
}

struct RegularCase {
    const char* name;
    std::size_t fileSize;
    std::int32_t expectedLength;
};

class ReadRegularFileTest : public FreshStateParamTest<RegularCase> {
protected:
    TempDir dir_;
};

TEST_P(ReadRegularFileTest, BytesAtStartZerosAfter) {
    const RegularCase& c = GetParam();
    std::vector<std::uint8_t> bytes(c.fileSize);
    std::mt19937 rng(static_cast<std::uint32_t>(c.fileSize));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng() % 255 + 1);
    ImageState& s = State();
    s.CurrentImagePath = dir_.WriteFile("V01_test.img", bytes);
    s.ReadError = "left over from an earlier failure";
    DirtyBuffers();

    ReadImageFile();

    EXPECT_EQ(s.FileLength, c.expectedLength);
    EXPECT_TRUE(s.ReadError.empty()) << s.ReadError;
    ASSERT_NE(Raw(), nullptr);
    ASSERT_NE(Bitmap(), nullptr);
    const auto n = static_cast<std::size_t>(c.expectedLength);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n), Raw()));
    EXPECT_TRUE(AllZero(Raw() + n, Raw() + kRawImageSize));
    EXPECT_TRUE(AllZero(Bitmap(), Bitmap() + kBitmapImageSize));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadRegularFileTest,
                         ::testing::Values(RegularCase{"Empty", 0, 0}, RegularCase{"OneByte", 1, 1},
                                           RegularCase{"Short", 1000, 1000},
                                           RegularCase{"DefaultImage", 694320, 694320},
                                           RegularCase{"LargestImage", 1160320, 1160320},
                                           RegularCase{"ExactLimit", 2100000, 2100000},
                                           RegularCase{"LongerThanLimit", 2104321, 2100000}),
                         [](const auto& info) { return std::string(info.param.name); });

// Runs body in a child process and fails when it does not end within a
// deadline (a read that blocks or never ends). body returns "" when all its
// expectations hold, otherwise what went wrong.
void ExpectReturnsInTime(const std::function<std::string()>& body) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        const std::string problem = body();
        if (!problem.empty()) {
            ssize_t ignored = ::write(pipeFds[1], problem.data(), problem.size());
            static_cast<void>(ignored);
        }
        ::_exit(problem.empty() ? 0 : 1);
    }
    ::close(pipeFds[1]);
    int status = 0;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(child, &status, WNOHANG) == child) {
            ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    std::string problem;
    char buffer[256];
    ssize_t got = 0;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) problem.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    ASSERT_TRUE(ended) << "the read did not return within 10 seconds";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << problem;
}

// What must hold after reading something unreadable.
std::string CheckUnreadable() {
    const ImageState& s = State();
    std::string problem;
    if (s.FileLength != -1) problem += "FileLength " + std::to_string(s.FileLength) + " instead of -1; ";
    if (s.ReadError.empty()) problem += "no reason given; ";
    if (Raw() == nullptr || Bitmap() == nullptr) return problem + "buffers not allocated";
    if (!AllZero(Raw(), Raw() + kRawImageSize)) problem += "RawImage not all zero; ";
    if (!AllZero(Bitmap(), Bitmap() + kBitmapImageSize)) problem += "BitmapImage not all zero; ";
    return problem;
}

enum class Unreadable { Missing, Folder, Fifo, DevZero, DevNull, SymlinkToDevZero };

struct UnreadableCase {
    const char* name;
    Unreadable kind;
};

class ReadUnreadableTest : public FreshStateParamTest<UnreadableCase> {
protected:
    TempDir dir_;
};

TEST_P(ReadUnreadableTest, MinusOneWithReasonAndZeroBuffers) {
    const std::filesystem::path base = dir_.path();
    std::string path;
    switch (GetParam().kind) {
    case Unreadable::Missing:
        path = (base / "V01_missing.img").string();
        break;
    case Unreadable::Folder:
        path = (base / "V02_folder.img").string();
        ASSERT_TRUE(std::filesystem::create_directory(path));
        break;
    case Unreadable::Fifo:
        path = (base / "V03_fifo.img").string();
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        break;
    case Unreadable::DevZero:
        path = "/dev/zero";
        break;
    case Unreadable::DevNull:
        path = "/dev/null";
        break;
    case Unreadable::SymlinkToDevZero:
        path = (base / "V04_link.img").string();
        std::filesystem::create_symlink("/dev/zero", path);
        break;
    }
    ExpectReturnsInTime([path] {
        State().CurrentImagePath = path;
        State().FileLength = 694320;
        DirtyBuffers();
        ReadImageFile();
        return CheckUnreadable();
    });
}

INSTANTIATE_TEST_SUITE_P(Kinds, ReadUnreadableTest,
                         ::testing::Values(UnreadableCase{"MissingPath", Unreadable::Missing},
                                           UnreadableCase{"Folder", Unreadable::Folder},
                                           UnreadableCase{"FifoWithoutWriter", Unreadable::Fifo},
                                           UnreadableCase{"DevZero", Unreadable::DevZero},
                                           UnreadableCase{"DevNull", Unreadable::DevNull},
                                           UnreadableCase{"SymlinkToDevZero", Unreadable::SymlinkToDevZero}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FreshStateTest, SymlinkToRegularFileIsRead) {
    TempDir dir;
    const std::string target = dir.WriteFile("data.img", std::vector<std::uint8_t>(300, 7));
    const std::string link = (dir.path() / "V05_link.img").string();
    std::filesystem::create_symlink(target, link);
    State().CurrentImagePath = link;
    ReadImageFile();
    EXPECT_EQ(State().FileLength, 300);
    EXPECT_EQ(Raw()[299], 7);
    EXPECT_EQ(Raw()[300], 0);
}

// Buffers handed out again after use (a running program keeps released ones)
// come zero-filled and whole, whatever sizes were asked for before and
// whichever are still held.
TEST(ZeroedBufferTest, EveryRequestGetsItsWholeSizeZeroed) {
    constexpr std::size_t kSizes[] = {kBitmapImageSize, kRawImageSize, 1, 4097, kRawImageSize, kBitmapImageSize, 1};
    ByteBuffer held;
    for (int round = 0; round < 3; ++round) {
        for (std::size_t size : kSizes) {
            ByteBuffer buffer = AllocateZeroed(size);
            EXPECT_TRUE(AllZero(buffer.get(), buffer.get() + size)) << "size " << size << ", round " << round;
            std::memset(buffer.get(), 0xEE, size);
            // Keep every other buffer a while, so that releases and requests interleave.
            if (size % 2 == 0) std::swap(held, buffer);
        }
    }
}

struct PathCase {
    const char* path;
    const char* directory;
    const char* name;
};

class PathPartsTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathPartsTest, FolderWithSeparatorAndName) {
    EXPECT_EQ(DirectoryPart(GetParam().path), GetParam().directory);
    EXPECT_EQ(NamePart(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Paths, PathPartsTest,
                         ::testing::Values(PathCase{"/cd/V01/V01_0001.img", "/cd/V01/", "V01_0001.img"},
                                           PathCase{"/V01_0001.img", "/", "V01_0001.img"},
                                           PathCase{"V01_0001.img", "", "V01_0001.img"},
                                           PathCase{"/cd/V01/", "/cd/V01/", ""}));

}  // namespace
}  // namespace dusk::test
