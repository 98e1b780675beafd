// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/marks_backend.h"

#include <algorithm>

#include <QCryptographicHash>

namespace dusk::app {

std::string MemoryMarks::KeyOf(std::span<const std::uint8_t> file) const {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                                     static_cast<qsizetype>(file.size()));
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

std::vector<Mark> MemoryMarks::MarksOf(const std::string& key, std::string&) const {
    const auto found = marks_.find(key);
    return found == marks_.end() ? std::vector<Mark>{} : found->second;
}

std::optional<std::int64_t> MemoryMarks::Add(const std::string& key, const std::string&, const Mark& mark,
                                             std::string&) {
    Mark kept = mark;
    kept.id = ++lastId_;
    marks_[key].push_back(kept);
    return kept.id;
}

bool MemoryMarks::Restore(const std::string& key, const std::string&, const Mark& mark, std::string&) {
    std::vector<Mark>& list = marks_[key];
    // In the order made, as the store gives them.
    list.insert(std::upper_bound(list.begin(), list.end(), mark,
                                 [](const Mark& a, const Mark& b) { return a.id < b.id; }),
                mark);
    return true;
}

bool MemoryMarks::Remove(std::int64_t id, std::string&) {
    for (auto& [key, list] : marks_) {
        std::erase_if(list, [id](const Mark& m) { return m.id == id; });
    }
    return true;
}

}  // namespace dusk::app
