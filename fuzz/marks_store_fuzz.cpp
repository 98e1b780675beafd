// SPDX-License-Identifier: GPL-3.0-or-later
// The marks store's reader on damaged stores: each input becomes the store
// file, which is opened, searched for its images and read, written to and
// written back. An input whose first byte is even is the file itself; one
// whose first byte is odd damages a good store of a few marks instead: its
// next four bytes (little-endian) give the length it is cut to, and each
// five bytes after them an offset (four bytes) and the byte put there.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "marks/mark_text.h"
#include "marks/marks_store.h"

namespace {

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/dusk-marks-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern + "/";
    }();
    return folder;
}

void Clear(const std::string& path) {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal", ".new"}) std::filesystem::remove(path + suffix, ignored);
}

dusk::Mark Sample(dusk::MarkKind kind) {
    dusk::Mark mark;
    mark.kind = kind;
    mark.points = {{1.5, 2.5}, {30, 40}, {50, 7}};
    if (kind == dusk::MarkKind::Point || kind == dusk::MarkKind::Crater) mark.points.resize(1);
    if (kind == dusk::MarkKind::Profile) mark.points.resize(2);
    mark.radius = 4.0;
    mark.note = "note";
    return mark;
}

// A good store of a mark of every kind for two images, as bytes.
const std::vector<char>& GoodStore() {
    static const std::vector<char> bytes = [] {
        const std::string path = ScratchFolder() + "good.gpkg";
        std::string error;
        {
            auto store = dusk::MarksStore::Open(path, error);
            if (!store) std::abort();
            for (const auto kind : {dusk::MarkKind::Point, dusk::MarkKind::Distance, dusk::MarkKind::Area,
                                    dusk::MarkKind::Crater, dusk::MarkKind::Profile}) {
                store->Add("aa", "V0501.img", Sample(kind), error);
                store->Add("bb", "V0502.img", Sample(kind), error);
            }
        }
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

std::uint32_t Word(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<char> file;
    if ((data[0] & 1) == 0) {
        file.assign(data + 1, data + size);
    } else {
        if (size < 5) return 0;
        file = GoodStore();
        file.resize(std::min<std::size_t>(file.size(), Word(data + 1) % (file.size() + 1)));
        for (std::size_t at = 5; at + 5 <= size && !file.empty(); at += 5) {
            file[Word(data + at) % file.size()] = static_cast<char>(data[at + 4]);
        }
    }
    const std::string path = ScratchFolder() + "marks.gpkg";
    Clear(path);
    std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));

    std::string error;
    auto store = dusk::MarksStore::Open(path, error);
    if (!store) {
        if (error.empty()) std::abort();
        return 0;
    }
    std::vector<std::string> keys = store->Keys(error);
    if (keys.size() > 4) keys.resize(4);
    keys.push_back("aa");
    for (const std::string& key : keys) {
        for (const dusk::Mark& mark : store->MarksOf(key, error)) {
            if (!dusk::WellFormed(mark) || mark.id <= 0) std::abort();
        }
    }
    if (const auto id = store->Add("aa", "V0501.img", Sample(dusk::MarkKind::Crater), error)) {
        store->Remove(*id, error);
    }
    return 0;
}
