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

// Where opening `path` lands, links followed: the real path of what is there
// or, for a name not there yet, the real path of its folder and the name;
// for a missing folder, where that folder would appear. An output only ever
// puts a regular file at such a place. `place` stays empty when no file
// appearing can change what opening the path gives (it leads through a
// file, a link loop, a folder that may not be searched). False when the
// place cannot be told: a link that leads nowhere yet.
bool PlaceOf(const std::string& path, std::string& place) {
    place.clear();
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        place = RealPath(path);
        return !place.empty();
    }
    if (errno != ENOENT) return true;
    std::string folder = DirectoryPart(path);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty()) folder = ".";
    if (::lstat(folder.c_str(), &info) != 0) return PlaceOf(folder, place);
    const std::string real = RealPath(folder);
    if (real.empty()) return false;
    place = real + (real.back() == '/' ? "" : "/") + NamePart(path);
    return true;
}

}  // namespace

bool OrderFree(const std::vector<std::string>& inputs, const std::vector<std::string>& targets) {
    std::map<std::string, std::size_t> written;
    std::string place;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (!PlaceOf(targets[i], place)) return false;
        if (!place.empty() && !written.emplace(place, i).second) return false;
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (!PlaceOf(inputs[i], place)) return false;
        const auto hit = written.find(place);
        if (hit != written.end() && hit->second != i) return false;
    }
    return true;
}

}  // namespace dusk
