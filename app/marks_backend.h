// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "marks/mark.h"

namespace dusk::app {

// Where the marks of the images are kept, behind one seam: the marks store
// of the user's data folder, or marks held in memory for the run (the
// tests, and the program where the store could not be opened). Errors come
// back as the text the status bar shows.
class MarksBackend {
public:
    virtual ~MarksBackend() = default;
    // The key of a file's contents: the same bytes, the same key.
    virtual std::string KeyOf(std::span<const std::uint8_t> file) const = 0;
    virtual std::vector<Mark> MarksOf(const std::string& key, std::string& error) const = 0;
    virtual std::optional<std::int64_t> Add(const std::string& key, const std::string& fileName, const Mark& mark,
                                            std::string& error) = 0;
    virtual bool Restore(const std::string& key, const std::string& fileName, const Mark& mark,
                         std::string& error) = 0;
    virtual bool Remove(std::int64_t id, std::string& error) = 0;
};

// Marks kept in memory for as long as the program runs.
class MemoryMarks : public MarksBackend {
public:
    std::string KeyOf(std::span<const std::uint8_t> file) const override;
    std::vector<Mark> MarksOf(const std::string& key, std::string& error) const override;
    std::optional<std::int64_t> Add(const std::string& key, const std::string& fileName, const Mark& mark,
                                    std::string& error) override;
    bool Restore(const std::string& key, const std::string& fileName, const Mark& mark, std::string& error) override;
    bool Remove(std::int64_t id, std::string& error) override;

private:
    std::map<std::string, std::vector<Mark>> marks_;
    std::int64_t lastId_ = 0;
};

// The user's marks store, or null with `error` set where it cannot be
// opened; null with no error where this build has none.
std::unique_ptr<MarksBackend> OpenMarksStore(std::string& error);

}  // namespace dusk::app
