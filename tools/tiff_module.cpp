// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/tiff_module.h"

#include <dlfcn.h>

#include <mutex>

#include "core/image_state.h"
#include "core/label.h"
#include "output/tiff_file.h"
#include "tools/module_loader.h"

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

Module Load() {
    Module module;
    void* handle = LoadModule(DUSK_GEOTIFF_FROM_BIN, DUSK_GEOTIFF_BUILD_PATH,
                              "the TIFF writer (libduskmapper-geotiff.so)", module.failure);
    if (handle == nullptr) return module;
    module.encode = reinterpret_cast<EncodeGeoTiffFunction>(::dlsym(handle, kEncodeGeoTiffSymbol));
    module.understand = reinterpret_cast<UnderstandLabelMapFunction>(::dlsym(handle, kUnderstandLabelMapSymbol));
    if (module.encode == nullptr) module.failure = std::string("the TIFF writer has no ") + kEncodeGeoTiffSymbol;
    if (module.understand == nullptr) {
        module.failure = std::string("the TIFF writer has no ") + kUnderstandLabelMapSymbol;
    }
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
