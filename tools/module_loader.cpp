// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/module_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "core/paths.h"

namespace dusk {

void* LoadModule(const std::string& fromBin, const std::string& buildPath, const std::string& what,
                 std::string& failure) {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string installed;
    if (length > 0 && !fromBin.empty()) {
        installed = DirectoryPart(std::string(self, static_cast<std::size_t>(length))) + fromBin;
    }
    for (const std::string& path : {installed, buildPath}) {
        if (path.empty() || ::access(path.c_str(), R_OK) != 0) continue;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) failure = ::dlerror();
        return handle;
    }
    failure = what + " is not installed";
    return nullptr;
}

}  // namespace dusk
