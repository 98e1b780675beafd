// SPDX-License-Identifier: GPL-3.0-or-later
#include "load/load_image.h"

#include <array>
#include <cstring>

#include "collection/file_list.h"
#include "collection/navigation.h"
#include "core/fixed_frame.h"
#include "core/geometry.h"
#include "core/label.h"
#include "core/label_keywords.h"
#include "core/paths.h"
#include "core/read_image.h"
#include "render/pipeline.h"

namespace dusk {

namespace {

constexpr std::int32_t kScanPauseOnOpen = 2000;
constexpr std::uint8_t kDespeckleThreshold = 10;

void SetDespeckleParameters(const StepInput&) {
    ImageState& s = State();
    s.DespeckleFirst = kDespeckleFirst;
    s.DespeckleLast = kDespeckleLast;
    s.DespeckleBrightThreshold = kDespeckleThreshold;
    s.DespeckleDarkThreshold = kDespeckleThreshold;
}

void ReadFile(const StepInput& in) {
    State().CurrentImagePath = in.path;
    ReadImageFile();
}

void NameImage(const StepInput& in) {
    ImageState& s = State();
    s.DirectoryPath = DirectoryPart(in.path);
    s.CurrentFileName = NamePart(in.path);
}

void Geometry(const StepInput&) { DeriveGeometry(); }

void Label(const StepInput&) { LoadImageLabel(); }

void LabelKeywords(const StepInput&) { LoadLabelKeywords(); }

void ListCollection(const StepInput& in) {
    if (in.settings.keepList) return;
    ClearFileList();
    BuildFileList();
}

// A per-image toggle does not carry over to the next image; tones go back to 0.
void TakeDefaultOptions(const StepInput&) {
    ImageState& s = State();
    s.ActiveOptions = s.DefaultOptions;
    s.BrightnessOffset = 0;
    s.ContrastLevel = 0;
    s.ShadingLevel = 0;
}

void ResetScanPause(const StepInput& in) {
    if (!in.settings.keepList) State().ScanPause = kScanPauseOnOpen;
}

void Adjust(const StepInput& in) {
    if (in.settings.adjust) in.settings.adjust();
}

void Render(const StepInput& in) {
    const bool unprocessed = in.settings.mode == RenderMode::Unprocessed;
    State().ShownUnprocessed = unprocessed;
    if (unprocessed) {
        RenderUnprocessed();
    } else {
        RenderPipeline();
    }
}

void FreshBuffers(const StepInput&) { AllocateWorkingBuffers(); }

void RestoreFromOriginal(const StepInput&) {
    ImageState& s = State();
    std::memcpy(s.RawImage.get(), s.OriginalImage.data(), kRawImageSize);
}

void ApplyChange(const StepInput& in) {
    if (in.change) in.change();
}

constexpr std::array<LoadStep, 11> kLoadSteps{{
    {"SetDespeckleParameters", SetDespeckleParameters},
    {"ReadImageFile", ReadFile},
    {"NameImage", NameImage},
    {"DeriveGeometry", Geometry},
    {"LoadImageLabel", Label},
    {"LoadLabelKeywords", LabelKeywords},
    {"BuildFileList", ListCollection},
    {"TakeDefaultOptions", TakeDefaultOptions},
    {"ResetScanPause", ResetScanPause},
    {"Adjust", Adjust},
    {"Render", Render},
}};

constexpr std::array<LoadStep, 4> kRerenderSteps{{
    {"AllocateWorkingBuffers", FreshBuffers},
    {"RestoreFromOriginal", RestoreFromOriginal},
    {"ApplyChange", ApplyChange},
    {"Render", Render},
}};

WorkingBuffers RunSteps(std::span<const LoadStep> steps, const StepInput& in) {
    WorkingBuffers buffers;
    for (const LoadStep& step : steps) step.run(in);
    return buffers;
}

}  // namespace

std::span<const LoadStep> LoadSteps() { return kLoadSteps; }

std::span<const LoadStep> RerenderSteps() { return kRerenderSteps; }

WorkingBuffers LoadImage(const std::string& path, const LoadSettings& settings) {
    const Change none;
    return RunSteps(kLoadSteps, {path, settings, none});
}

WorkingBuffers LoadListEntry() {
    LoadSettings settings;
    settings.keepList = true;
    return LoadImage(ListEntryPath(), settings);
}

WorkingBuffers Rerender(const Change& change, RenderMode mode) {
    const std::string noPath;
    LoadSettings settings;
    settings.mode = mode;
    return RunSteps(kRerenderSteps, {noPath, settings, change});
}

void ClearActiveAdjustments() {
    ImageState& s = State();
    s.ActiveOptions.fill(0);
    s.BrightnessOffset = 0;
    s.ContrastLevel = 0;
    s.ShadingLevel = 0;
}

WorkingBuffers LoadPicture(const std::string& path, const PictureSettings& picture) {
    LoadSettings load;
    load.keepList = true;
    if (picture.original) {
        load.mode = RenderMode::Unprocessed;
        load.adjust = ClearActiveAdjustments;
    } else {
        load.adjust = [&picture] {
            ImageState& s = State();
            s.ActiveOptions = picture.options;
            s.ContrastLevel = picture.contrast;
            s.BrightnessOffset = picture.brightness;
            s.ShadingLevel = picture.shading;
        };
    }
    return LoadImage(path, load);
}

}  // namespace dusk
