// SPDX-License-Identifier: GPL-3.0-or-later
// The list builder's name rules on arbitrary names: the input, split at
// newlines, names files of a scratch folder (sizes chosen by the first
// byte of each name); the list must hold exactly the qualifying names, sorted.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "collection/file_list.h"
#include "core/image_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = [] {
        std::string pattern = "/tmp/dusk-fuzz-list-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern;
    }();
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) std::filesystem::remove_all(entry, ignored);

    std::set<std::string> expected;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    int made = 0;
    while (start < input.size() && made < 8) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        std::string name = input.substr(start, std::min<std::size_t>(end - start, 255));
        start = end + 1;
        name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == '/' || c == '\0'; }),
                   name.end());
        if (name.empty() || name == "." || name == "..") continue;
        const bool large = (static_cast<unsigned char>(name.back()) & 1) != 0;
        std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
        if (!out) continue;
        out << std::string(large ? 10001 : 10000, 'x');
        out.close();
        ++made;
        if (large && dusk::IsVolumeName(name)) expected.insert(name);
        if (!large) expected.erase(name);
    }

    dusk::ResetState();
    dusk::State().DirectoryPath = folder + "/";
    dusk::State().CurrentFileName = expected.empty() ? std::string("none") : *expected.rbegin();
    dusk::BuildFileList();
    const auto& s = dusk::State();
    if (s.FileCount != static_cast<std::int32_t>(expected.size())) std::abort();
    if (!std::equal(expected.begin(), expected.end(), s.FileList.begin())) std::abort();
    if (!expected.empty() && s.FilePosition == 0) std::abort();
    return 0;
}
