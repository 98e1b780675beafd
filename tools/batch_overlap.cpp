// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/batch_overlap.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <map>

#include "core/paths.h"

namespace dusk {

namespace {

std::string RealPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return {};
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// Where opening a path lands, links followed: the real path of what is
// there or, for a name not there yet, the real path of its folder and the
// name; for a missing folder, where that folder would appear. An output only
// ever puts a regular file at such a place. The place stays empty when no
// file appearing can change what opening the path gives (it leads through a
// file, a link loop, a folder that may not be searched), and cannot be told
// for a link that leads nowhere yet. Real folders are looked up once.
class Places {
public:
    // False when the place cannot be told.
    bool Of(const std::string& path, std::string& place) {
        place.clear();
        std::string folder = DirectoryPart(path);
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        if (folder.empty()) folder.push_back('.');
        const std::string name = NamePart(path);
        const bool plainName = !name.empty() && name != "." && name != "..";
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) {
            place = plainName && !S_ISLNK(info.st_mode) ? InFolder(folder, name) : RealPath(path);
            return !place.empty();
        }
        if (errno != ENOENT) return true;
        if (::lstat(folder.c_str(), &info) != 0) return Of(folder, place);
        place = InFolder(folder, name);
        return !place.empty();
    }

private:
    // The real path of `folder` followed by `name`; empty when the folder
    // has none.
    std::string InFolder(const std::string& folder, const std::string& name) {
        auto known = real_.find(folder);
        if (known == real_.end()) known = real_.emplace(folder, RealPath(folder)).first;
        const std::string& real = known->second;
        if (real.empty()) return {};
        return real + (real.back() == '/' ? "" : "/") + name;
    }

    std::map<std::string, std::string> real_;
};

}  // namespace

bool OrderFree(const std::vector<std::string>& inputs, const std::vector<std::string>& targets) {
    Places places;
    std::map<std::string, std::size_t> written;
    std::string place;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (!places.Of(targets[i], place)) return false;
        if (!place.empty() && !written.emplace(place, i).second) return false;
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (!places.Of(inputs[i], place)) return false;
        const auto hit = written.find(place);
        if (hit != written.end() && hit->second != i) return false;
    }
    return true;
}

}  // namespace dusk
