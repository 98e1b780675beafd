// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How an image becomes a picture: the one definition of the load and the
// re-render, used by the desktop program, the exporter, the tests, the
// benchmarks and the fuzz targets. Both work on the record bound to the
// calling thread (State()) and hand back its working buffers, which hold the
// rendered bitmap until the caller lets them go.

#include <functional>
#include <span>
#include <string>

#include "core/image_state.h"

namespace dusk {

// How the last step renders.
enum class RenderMode {
    Corrected,    // the whole chain of corrections
    Unprocessed,  // the samples as they stand: only the bitmap ("Original Image")
};

// One change to the record between the defaults and the render: a command's
// toggle or tone step, or an export's options and levels.
using Change = std::function<void()>;

struct LoadSettings {
    // Open lists the image's collection anew and starts the scan pause at
    // 2 s; a step through the collection, or an export, keeps both.
    bool keepList = false;
    // Runs after the defaults have been taken, right before the render.
    Change adjust;
    RenderMode mode = RenderMode::Corrected;
};

// What one step of a load or re-render is given.
struct StepInput {
    const std::string& path;
    const LoadSettings& settings;
    const Change& change;
};

struct LoadStep {
    const char* name;
    void (*run)(const StepInput&);
};

// The steps of a load, in order: despeckle parameters, reading, the names,
// the geometry, the label, its keywords, the collection, the default options and levels,
// the scan pause, the adjustment, the render.
std::span<const LoadStep> LoadSteps();
// The steps of a re-render: fresh buffers, the untouched samples, the change,
// the render.
std::span<const LoadStep> RerenderSteps();

// Loads the image file at `path` into the record and renders it. A file that
// cannot be read gives FileLength -1 (ReadError says why) and a black picture
// at the default geometry.
[[nodiscard]] WorkingBuffers LoadImage(const std::string& path, const LoadSettings& settings = {});

// Loads list entry FilePosition as a step through the collection does.
[[nodiscard]] WorkingBuffers LoadListEntry();

// Rebuilds the picture from OriginalImage with one change; the file is not
// read again, the geometry, names and list stay.
[[nodiscard]] WorkingBuffers Rerender(const Change& change, RenderMode mode = RenderMode::Corrected);

// The change of "Original Image": every active option and tone level to 0.
void ClearActiveAdjustments();

// The corrections and levels a picture is asked for from outside the
// program's menus (the exporter's command line, the GDAL driver's open
// options).
struct PictureSettings {
    OptionFlags options{};  // become ActiveOptions
    std::int32_t contrast = 0;
    std::int32_t brightness = 0;
    std::int32_t shading = 0;
    bool original = false;  // no correction at all, as "Original Image"
};

// Loads the image as a step through the collection does (the list kept) and
// renders it with `picture` in place of the defaults: the exporter's picture.
[[nodiscard]] WorkingBuffers LoadPicture(const std::string& path, const PictureSettings& picture);

}  // namespace dusk
