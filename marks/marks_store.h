// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The marks of every image a user has measured, kept in one GeoPackage in
// the user's data folder, keyed by the image file's contents so that a
// renamed or copied image finds its marks. Each change is committed the
// moment it is made.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "marks/mark.h"

namespace dusk {

// The key of an image file's contents (the same bytes give the same key,
// whatever the file's name).
std::string ContentKey(std::span<const std::uint8_t> file);
// The same key of the whole file at `path` (64 hexadecimal digits of its
// SHA-256); empty with `error` set where it cannot be read.
std::string ContentKeyOfFile(const std::string& path, std::string& error);

// "$XDG_DATA_HOME/duskmapper/marks.gpkg", else
// "$HOME/.local/share/duskmapper/marks.gpkg".
std::string DefaultMarksPath();

class MarksStore {
public:
    // Opens or creates the store at `path` (its folder made as needed); null
    // with `error` set ("The marks store /x/marks.gpkg cannot be opened: ...")
    // where it cannot be opened or is not a marks store.
    static std::unique_ptr<MarksStore> Open(const std::string& path, std::string& error);
    ~MarksStore();
    MarksStore(const MarksStore&) = delete;
    MarksStore& operator=(const MarksStore&) = delete;

    // The marks of the image whose contents have `key`, in the order made;
    // `error` says so where the store cannot be read or some of its rows are
    // not marks (those are left out).
    std::vector<Mark> MarksOf(const std::string& key, std::string& error) const;
    // Stores `mark` for `key` (its `fileName` is kept for the export's
    // attributes) and returns its new id; none with `error` set.
    std::optional<std::int64_t> Add(const std::string& key, const std::string& fileName, const Mark& mark,
                                    std::string& error);
    // Stores `marks` for `key` in one transaction: all of them, their new ids
    // in order, or none with `error` set.
    std::optional<std::vector<std::int64_t>> AddAll(const std::string& key, const std::string& fileName,
                                                    std::span<const Mark> marks, std::string& error);
    // Puts back a mark removed earlier, under its own id (for redo and undo).
    bool Restore(const std::string& key, const std::string& fileName, const Mark& mark, std::string& error);
    bool Remove(std::int64_t id, std::string& error);

    // The keys of every image that has marks.
    std::vector<std::string> Keys(std::string& error) const;
    const std::string& Path() const;

private:
    struct Data;
    explicit MarksStore(std::unique_ptr<Data> data);
    std::unique_ptr<Data> data_;
};

}  // namespace dusk
