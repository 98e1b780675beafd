// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/tiff_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>

#include "core/image_state.h"
#include "core/label.h"
#include "core/paths.h"
#include "output/tiff_file.h"

#ifndef DUSK_GEOTIFF_FROM_BIN
#define DUSK_GEOTIFF_FROM_BIN ""
#endif
#ifndef DUSK_GEOTIFF_BUILD_PATH
#define DUSK_GEOTIFF_BUILD_PATH ""
#endif

namespace dusk {

namespace {

struct Module {
    EncodeGeoTiffFunction encode = nullptr;
    UnderstandLabelMapFunction understand = nullptr;
    std::string failure;
};

// The installed module beside the program (its folder's ../lib/.../duskmapper),
// else the one of the build tree.
Module Load() {
    Module module;
    std::string tried;
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string installed;
    if (length > 0) installed = DirectoryPart(std::string(self, static_cast<std::size_t>(length))) + DUSK_GEOTIFF_FROM_BIN;
    for (const std::string& path : {installed, std::string(DUSK_GEOTIFF_BUILD_PATH)}) {
        if (path.empty() || ::access(path.c_str(), R_OK) != 0) continue;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            module.failure = ::dlerror();
            return module;
        }
        // The module stays loaded for the rest of the run.
        module.encode = reinterpret_cast<EncodeGeoTiffFunction>(::dlsym(handle, kEncodeGeoTiffSymbol));
        module.understand =
            reinterpret_cast<UnderstandLabelMapFunction>(::dlsym(handle, kUnderstandLabelMapSymbol));
        if (module.encode == nullptr) module.failure = path + " has no " + kEncodeGeoTiffSymbol;
        if (module.understand == nullptr) module.failure = path + " has no " + kUnderstandLabelMapSymbol;
        return module;
    }
    module.failure = "the TIFF writer (libduskmapper-geotiff.so) is not installed";
    return module;
}

const Module& TheModule() {
    static std::once_flag loaded;
    static Module module;
    std::call_once(loaded, [] { module = Load(); });
    return module;
}

}  // namespace

bool EncodeTiffThroughModule(const GreyPicture& picture, const MapProjection* projection,
                             const DisplayMapping& mapping, std::vector<std::uint8_t>& file, std::string& error) {
    const Module& module = TheModule();
    if (module.encode == nullptr) {
        error = module.failure;
        return false;
    }
    return module.encode(picture, projection, mapping, file, error);
}

void CheckGeoreferenceThroughModule() {
    ImageState& s = State();
    if (s.LabelMapFigures.dialect == LabelDialect::None) return;
    const Module& module = TheModule();
    if (module.understand == nullptr) {
        s.Georeference.message = "the georeference is not checked: " + module.failure;
        return;
    }
    const int width = s.LabelImageGeometry ? s.LabelImageGeometry->lineSamples : s.ImageWidth;
    const int height = s.LabelImageGeometry ? s.LabelImageGeometry->lines : s.ImageHeight;
    module.understand(s.LabelMapFigures, width, height, LabelFileName(s.CurrentFileName), s.Georeference);
    s.Projection = s.Georeference.projection;
}

}  // namespace dusk
