// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/mosaic_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <ostream>

#include "core/paths.h"

#ifndef DUSK_MOSAIC_FROM_BIN
#define DUSK_MOSAIC_FROM_BIN ""
#endif
#ifndef DUSK_MOSAIC_BUILD_PATH
#define DUSK_MOSAIC_BUILD_PATH ""
#endif

namespace dusk {

namespace {

struct Module {
    WriteMosaicFunction write = nullptr;
    std::string failure;
};

// The installed module beside the program, else the one of the build tree.
Module Load() {
    Module module;
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string installed;
    if (length > 0) installed = DirectoryPart(std::string(self, static_cast<std::size_t>(length))) + DUSK_MOSAIC_FROM_BIN;
    for (const std::string& path : {installed, std::string(DUSK_MOSAIC_BUILD_PATH)}) {
        if (path.empty() || ::access(path.c_str(), R_OK) != 0) continue;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            module.failure = ::dlerror();
            return module;
        }
        // The module stays loaded for the rest of the run.
        module.write = reinterpret_cast<WriteMosaicFunction>(::dlsym(handle, kWriteMosaicSymbol));
        if (module.write == nullptr) module.failure = path + " has no " + kWriteMosaicSymbol;
        return module;
    }
    module.failure = "the mosaic writer (libduskmapper-mosaic.so) is not installed";
    return module;
}

}  // namespace

int RunMosaic(const ExportSettings& settings, std::ostream& err) {
    static std::once_flag loaded;
    static Module module;
    std::call_once(loaded, [] { module = Load(); });
    if (module.write == nullptr) {
        err << kExportProgram << ": " << module.failure << "\n";
        return 1;
    }
    const PictureSettings picture{settings.options, settings.contrast, settings.brightness, settings.shading,
                                  settings.original};
    std::vector<std::string> leftOut;
    std::string error;
    const bool written = module.write(settings.inputs, picture, settings.jobs, settings.output, leftOut, error);
    for (const std::string& why : leftOut) err << kExportProgram << ": left out of the mosaic: " << why << "\n";
    if (!written) {
        err << kExportProgram << ": " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace dusk
