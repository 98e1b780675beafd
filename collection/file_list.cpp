// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/file_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/image_state.h"

namespace dusk {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The size an entry is listed by: that of a regular file (a link is followed);
// folders, devices, FIFOs and dangling links count as 0.
long long ListedSize(int dirFd, const char* name) {
    struct stat info {};
    if (::fstatat(dirFd, name, &info, 0) != 0) return 0;
    return S_ISREG(info.st_mode) ? static_cast<long long>(info.st_size) : 0;
}

}  // namespace

bool IsVolumeName(const std::string& name) {
    if (name.size() < 3 || name[0] != 'V') return false;
    if (name[1] < '0' || name[1] > '9' || name[2] < '0' || name[2] > '9') return false;
    const int volume = (name[1] - '0') * 10 + (name[2] - '0');
    return volume >= 1 && volume <= 27;
}

void ClearFileList() {
    ImageState& s = State();
    s.FilePosition = 0;
    s.FileCount = 0;
    s.FileListCut = false;
    for (auto& entry : s.FileList) entry.clear();
}

void BuildFileList() {
    ClearFileList();
    ImageState& s = State();

    std::vector<std::string> names;
    const std::string folder = s.DirectoryPath.empty() ? std::string(".") : s.DirectoryPath;
    if (std::unique_ptr<DIR, DirCloser> dir{::opendir(folder.c_str())}) {
        const int dirFd = ::dirfd(dir.get());
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (IsVolumeName(name) && ListedSize(dirFd, entry->d_name) > kMinListedFileSize) {
                names.push_back(name);
            }
        }
    }

    std::sort(names.begin(), names.end());  // std::string compares bytes as unsigned
    if (names.size() > static_cast<std::size_t>(kFileListCapacity)) {
        names.resize(kFileListCapacity);
        s.FileListCut = true;
    }
    s.FileCount = static_cast<std::int32_t>(names.size());
    std::move(names.begin(), names.end(), s.FileList.begin());

    // The entry of exactly this name; only where none exists, the last entry
    // that matches in any letter case (a folder may hold V05A.img and V05a.img).
    const std::string wantedUpper = UpperAscii(s.CurrentFileName);
    for (std::int32_t k = 1; k <= s.FileCount; ++k) {
        const std::string& entry = s.FileList[k - 1];
        if (entry == s.CurrentFileName) {
            s.FilePosition = k;
            return;
        }
        if (UpperAscii(entry) == wantedUpper) s.FilePosition = k;
    }
}

std::string PositionText() {
    const ImageState& s = State();
    return std::to_string(s.FilePosition) + "/" + std::to_string(s.FileCount);
}

}  // namespace dusk
