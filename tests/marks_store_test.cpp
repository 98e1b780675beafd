// SPDX-License-Identifier: GPL-3.0-or-later
// The marks store: marks read back as stored, across reopening, for a
// renamed copy of the image; stores that cannot be opened or written; a
// writer killed part way and a write that meets a file-size limit keep
// every mark stored before.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "marks/mark_text.h"
#include "marks/marks_store.h"
#include "temp_dir.h"

namespace dusk {
namespace {

std::vector<Mark> SampleMarks() {
    std::vector<Mark> marks(5);
    marks[0].kind = MarkKind::Point;
    marks[0].points = {{10.5, 20.25}};
    marks[0].inKilometres = true;
    marks[0].latitude = 61.125;
    marks[0].longitude = -30.0625;
    marks[0].note = "it's a \"note\", with a comma";
    marks[1].kind = MarkKind::Distance;
    marks[1].points = {{0.0, 0.0}, {1052.0, 660.0}, {0.1, 1e-9}};
    marks[1].length = 123.456789012345;
    marks[2].kind = MarkKind::Area;
    marks[2].points = {{1.0, 1.0}, {100.0, 1.0}, {100.0, 80.0}, {1.0, 80.0}};
    marks[2].area = 7821.0;
    marks[2].length = 356.0;
    marks[3].kind = MarkKind::Crater;
    marks[3].points = {{500.0, 400.0}};
    marks[3].radius = 12.75;
    marks[3].diameter = 31.0;
    marks[3].created = "2026-12-09T07:00:00.000Z";
    marks[4].kind = MarkKind::Profile;
    marks[4].points = {{3.0, 4.0}, {300.0, 400.0}};
    return marks;
}

void ExpectSame(const Mark& stored, const Mark& made) {
    EXPECT_EQ(stored.kind, made.kind);
    ASSERT_EQ(stored.points.size(), made.points.size());
    for (std::size_t i = 0; i < made.points.size(); ++i) {
        EXPECT_EQ(stored.points[i].column, made.points[i].column);
        EXPECT_EQ(stored.points[i].row, made.points[i].row);
    }
    EXPECT_EQ(stored.radius, made.radius);
    EXPECT_EQ(stored.inKilometres, made.inKilometres);
    EXPECT_EQ(stored.latitude, made.latitude);
    EXPECT_EQ(stored.longitude, made.longitude);
    EXPECT_EQ(stored.length, made.length);
    EXPECT_EQ(stored.diameter, made.diameter);
    EXPECT_EQ(stored.area, made.area);
    EXPECT_EQ(stored.note, made.note);
    if (!made.created.empty()) {
        EXPECT_EQ(stored.created, made.created);
    }
    EXPECT_EQ(stored.created.size(), 24u) << stored.created;
}

TEST(MarksStore, KeyIsTheSha256OfTheContents) {
    const std::string abc = "abc";
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size());
    EXPECT_EQ(ContentKey(bytes), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    TempDir dir;
    const std::string file = dir.write("V0501.img", abc).string();
    std::string error;
    EXPECT_EQ(ContentKeyOfFile(file, error), ContentKey(bytes));
    EXPECT_TRUE(ContentKeyOfFile((dir.path() / "none").string(), error).empty());
    EXPECT_NE(error.find("none"), std::string::npos);
}

TEST(MarksStore, MarksReadBackAsStoredAcrossReopening) {
    TempDir dir;
    const std::string path = (dir.path() / "data/duskmapper/marks.gpkg").string();
    const std::vector<Mark> made = SampleMarks();
    std::vector<std::int64_t> ids;
    std::string error;
    {
        auto store = MarksStore::Open(path, error);
        ASSERT_TRUE(store) << error;
        for (const Mark& mark : made) {
            const auto id = store->Add("k1", "V0501.img", mark, error);
            ASSERT_TRUE(id) << error;
            ids.push_back(*id);
        }
        ASSERT_TRUE(store->Add("k2", "V0502.img", made[0], error));
        // A mark without the points its kind needs is refused.
        Mark bad;
        bad.kind = MarkKind::Area;
        bad.points = {{1, 1}, {2, 2}};
        EXPECT_FALSE(store->Add("k1", "V0501.img", bad, error));
        EXPECT_NE(error.find("cannot be written"), std::string::npos);
        // Several at once: all, or none.
        const std::vector<Mark> two{made[0], made[3]};
        const auto both = store->AddAll("k3", "V0503.img", two, error);
        ASSERT_TRUE(both && both->size() == 2u) << error;
        EXPECT_LT(ids.back(), both->front());
        EXPECT_FALSE(store->AddAll("k4", "V0504.img", std::vector<Mark>{made[0], bad}, error));
    }
    auto store = MarksStore::Open(path, error);
    ASSERT_TRUE(store) << error;
    error.clear();
    std::vector<Mark> stored = store->MarksOf("k1", error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(stored.size(), made.size());
    for (std::size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(stored[i].id, ids[i]);
        ExpectSame(stored[i], made[i]);
    }
    EXPECT_EQ(store->MarksOf("k2", error).size(), 1u);
    EXPECT_TRUE(store->MarksOf("it's none", error).empty());
    EXPECT_EQ(store->MarksOf("k3", error).size(), 2u);
    EXPECT_EQ(store->Keys(error), (std::vector<std::string>{"k1", "k2", "k3"}));

    // Removed, then put back under its own id: in its old place again.
    ASSERT_TRUE(store->Remove(ids[1], error)) << error;
    EXPECT_FALSE(store->Remove(ids[1], error));
    EXPECT_EQ(store->MarksOf("k1", error).size(), made.size() - 1);
    ASSERT_TRUE(store->Restore("k1", "V0501.img", stored[1], error)) << error;
    stored = store->MarksOf("k1", error);
    ASSERT_EQ(stored.size(), made.size());
    EXPECT_EQ(stored[1].id, ids[1]);
    ExpectSame(stored[1], made[1]);
}

TEST(MarksStore, RenamedCopyFindsItsMarks) {
    TempDir dir;
    std::string image(40000, '\x11');
    const std::string original = dir.write("V0501.img", image).string();
    std::filesystem::copy_file(original, dir.path() / "renamed.img");
    image[123] = '\x12';
    const std::string changed = dir.write("V0501b.img", image).string();
    std::string error;
    auto store = MarksStore::Open((dir.path() / "marks.gpkg").string(), error);
    ASSERT_TRUE(store) << error;
    ASSERT_TRUE(store->Add(ContentKeyOfFile(original, error), "V0501.img", SampleMarks()[3], error));
    EXPECT_EQ(store->MarksOf(ContentKeyOfFile((dir.path() / "renamed.img").string(), error), error).size(), 1u);
    EXPECT_TRUE(store->MarksOf(ContentKeyOfFile(changed, error), error).empty());
}

TEST(MarksStore, StoresThatCannotBeOpenedSaySo) {
    struct Case {
        const char* name;
        std::function<std::string(const TempDir&)> make;  // the store's path
        const char* says;
    };
    const Case cases[] = {
        {"folder", [](const TempDir& d) { std::filesystem::create_directory(d.path() / "m.gpkg");
                                           return (d.path() / "m.gpkg").string(); }, "not a regular file"},
        {"fifo", [](const TempDir& d) { ::mkfifo((d.path() / "m.gpkg").c_str(), 0600);
                                         return (d.path() / "m.gpkg").string(); }, "not a regular file"},
        {"text", [](const TempDir& d) { return d.write("m.gpkg", std::string(5000, 'x')).string(); }, "m.gpkg"},
        {"under a file", [](const TempDir& d) { return (d.write("f", "x") / "m.gpkg").string(); }, "m.gpkg"},
        {"truncated", [](const TempDir& d) {
             const std::string path = (d.path() / "m.gpkg").string();
             std::string error;
             { auto store = MarksStore::Open(path, error); }
             std::filesystem::resize_file(path, 1000);
             return path; }, "m.gpkg"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = c.make(dir);
        std::string error;
        EXPECT_FALSE(MarksStore::Open(path, error)) << c.name;
        EXPECT_EQ(error.rfind("The marks store " + path + " cannot be opened: ", 0), 0u) << c.name << ": " << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
    }
}

// Runs `child` in a child process that writes its report to a pipe.
std::string InChild(const std::function<std::string()>& child) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeEnds[0]);
        const std::string report = child();
        [[maybe_unused]] const auto written = ::write(pipeEnds[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string report;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) report.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return report;
}

TEST(MarksStore, FullDiskKeepsTheEarlierMarksAndSaysSo) {
    TempDir dir;
    const std::string path = (dir.path() / "marks.gpkg").string();
    // The child stores marks, then meets a file-size limit at its current
    // files' sizes; it reports the ids stored and the error.
    const std::string report = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        std::string error;
        auto store = MarksStore::Open(path, error);
        if (!store) return "open: " + error;
        std::string ids;
        for (int i = 0; i < 3; ++i) ids += std::to_string(*store->Add("k", "a.img", SampleMarks()[i], error)) + " ";
        std::uintmax_t largest = 0;
        for (const char* suffix : {"", "-wal"}) {
            std::error_code ignored;
            const std::uintmax_t size = std::filesystem::file_size(path + suffix, ignored);
            if (!ignored) largest = std::max(largest, size);
        }
        const rlimit limit{largest, largest};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Mark big = SampleMarks()[2];
        big.note = std::string(20000, 'n');
        for (int i = 0; i < 200; ++i) {
            const auto id = store->Add("k", "a.img", big, error);
            if (!id) return ids + "|" + error;
            ids += std::to_string(*id) + " ";
        }
        return ids + "|no error";
    });
    const std::size_t bar = report.find('|');
    ASSERT_NE(bar, std::string::npos) << report;
    EXPECT_NE(report.find("cannot be written", bar), std::string::npos) << report;
    EXPECT_NE(report.find("(File too large)", bar), std::string::npos) << report;
    std::string error;
    auto store = MarksStore::Open(path, error);
    ASSERT_TRUE(store) << error;
    std::set<std::int64_t> found;
    for (const Mark& mark : store->MarksOf("k", error)) found.insert(mark.id);
    EXPECT_EQ(error, "");
    std::istringstream ids(report.substr(0, bar));
    int count = 0;
    for (std::int64_t id = 0; ids >> id; ++count) EXPECT_TRUE(found.count(id)) << id;
    EXPECT_GE(count, 3);
    EXPECT_TRUE(store->Add("k", "a.img", SampleMarks()[0], error)) << error;
}

TEST(MarksStore, KilledWriterLosesNoStoredMark) {
    TempDir dir;
    const std::string path = (dir.path() / "marks.gpkg").string();
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::execl(DUSK_MARKS_WRITER, DUSK_MARKS_WRITER, path.c_str(), "k", "100000", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::FILE* lines = ::fdopen(pipeEnds[0], "r");
    std::vector<std::int64_t> printed;
    long long id = 0;
    while (printed.size() < 150 && std::fscanf(lines, "%lld", &id) == 1) printed.push_back(id);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::fclose(lines);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(printed.size(), 150u);

    std::string error;
    auto store = MarksStore::Open(path, error);
    ASSERT_TRUE(store) << error;
    std::set<std::int64_t> found;
    for (const Mark& mark : store->MarksOf("k", error)) found.insert(mark.id);
    EXPECT_EQ(error, "");
    for (const std::int64_t stored : printed) EXPECT_TRUE(found.count(stored)) << stored;
}

// Programs started at once on a store that does not exist yet (two windows
// opened together the first time), or on one another program left in SQLite's
// rollback-journal mode, all open it and all keep their marks.
TEST(MarksStore, WritersStartedTogetherShareOneNewStore) {
    for (int round = 0; round < 6; ++round) {
        TempDir dir;
        const std::string path = (dir.path() / "marks.gpkg").string();
        if (round % 2 == 1) {
            std::string error;
            ASSERT_TRUE(MarksStore::Open(path, error)) << error;
            // The header's file format versions: 1 for a rollback journal.
            std::fstream header(path, std::ios::in | std::ios::out | std::ios::binary);
            header.seekp(18);
            header.write("\1\1", 2);
        }
        std::vector<pid_t> writers;
        for (const char* key : {"a", "b", "c", "d"}) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                const int null = ::open("/dev/null", O_WRONLY);
                ::dup2(null, STDOUT_FILENO);
                ::execl(DUSK_MARKS_WRITER, DUSK_MARKS_WRITER, path.c_str(), key, "20", static_cast<char*>(nullptr));
                ::_exit(127);
            }
            writers.push_back(pid);
        }
        for (const pid_t pid : writers) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        }
        std::string error;
        auto store = MarksStore::Open(path, error);
        ASSERT_TRUE(store) << error;
        for (const char* key : {"a", "b", "c", "d"}) {
            EXPECT_EQ(store->MarksOf(key, error).size(), 20u) << key << " round " << round << ": " << error;
        }
    }
}

}  // namespace
}  // namespace dusk
