// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/export_marks.h"

#include <dlfcn.h>

#include <ostream>

#include "core/label_keywords.h"
#include "core/paths.h"
#include "marks/marks_module.h"
#include "tools/atomic_write.h"
#include "tools/export_render.h"
#include "tools/module_loader.h"
#include "tools/tiff_module.h"

#ifndef DUSK_MARKS_FROM_BIN
#define DUSK_MARKS_FROM_BIN ""
#endif
#ifndef DUSK_MARKS_BUILD_PATH
#define DUSK_MARKS_BUILD_PATH ""
#endif

namespace dusk {

int RunMarksExport(const ExportSettings& settings, const std::string& storePath, std::ostream& err) {
    const auto say = [&](const std::string& message) { err << kExportProgram << ": " << message << '\n' << std::flush; };
    // The projection of each image as the desktop program takes it: the
    // label's map figures checked against its bounds.
    SetGeoreferenceCheck(&CheckGeoreferenceThroughModule);
    std::vector<MarksExportImage> images;
    for (const std::string& input : settings.inputs) {
        const WorkingBuffers buffers = RenderForExport(input, settings);
        const ImageState& s = State();
        if (s.FileLength < 0) {
            say(input + ": " + s.ReadError);
            return 1;
        }
        for (const std::string& warning : LoadWarnings(input)) say(warning);
        images.push_back({input, s.CurrentFileName, s.Projection, s.ImageWidth, s.ImageHeight});
    }
    std::string error;
    void* module = LoadModule(DUSK_MARKS_FROM_BIN, DUSK_MARKS_BUILD_PATH,
                              "the marks exports (libduskmapper-marks.so)", error);
    const auto run = module != nullptr ? reinterpret_cast<ExportMarksFunction>(::dlsym(module, kExportMarksSymbol))
                                       : nullptr;
    if (run == nullptr) {
        say(module == nullptr ? error : std::string("the marks exports have no ") + kExportMarksSymbol);
        return 1;
    }
    std::vector<std::uint8_t> file;
    std::vector<std::string> warnings;
    const bool made = run(storePath, images, settings.output, file, warnings, error);
    for (const std::string& warning : warnings) say(warning);
    if (!made) {
        say(error);
        return 1;
    }
    if (!WriteFileReplacing(settings.output, file, error)) {
        say("cannot write " + settings.output + ": " + error);
        return 1;
    }
    return 0;
}

}  // namespace dusk
