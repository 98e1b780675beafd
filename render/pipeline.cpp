#include "core/pipeline.h"

#include <array>
#include <cstring>
#include <limits>

#include "core/bitmap.h"
#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

namespace {

constexpr std::array<PipelineStage, 11> kRenderStages{{
    {"RepairMissingLines", RepairMissingLines},
    {"FlipRows", FlipRows},
    {"RotateRaster", RotateRaster},
    {"DespeckleFirstPass", DespeckleFirstPass},
    {"GatherHistogram", GatherHistogram},
    {"MapTones", MapTones},
    {"DespeckleSecondPass", DespeckleSecondPass},
    {"InvertRaster", InvertRaster},
    {"ReduceSize", ReduceSize},
    {"RenderBitmapHeader", RenderBitmapHeader},
    {"RenderPixelRows", RenderPixelRows},
}};

}  // namespace

std::span<const PipelineStage> RenderStages() { return kRenderStages; }

void RenderPipeline() {
    for (const PipelineStage& stage : kRenderStages) stage.run();
}

void RenderUnprocessed() {
    RenderBitmapHeader();
    RenderPixelRows();
}

void SetDespeckleParameters() {
    ImageState& s = State();
    s.DespeckleFirst = 2 * 968 + 2;
    s.DespeckleLast = (700 - 1) * 968 - 2;
    s.DespeckleBrightThreshold = 10;
    s.DespeckleDarkThreshold = 10;
}

void TakeDefaultOptions() {
    ImageState& s = State();
    s.ActiveOptions = s.DefaultOptions;
    s.BrightnessOffset = 0;
    s.ContrastLevel = 0;
    s.ShadingLevel = 0;
}

void RestoreFromOriginal() {
    ImageState& s = State();
    std::memcpy(s.RawImage.get(), s.OriginalImage.data(), kRawImageSize);
}

void ClearActiveAdjustments() {
    ImageState& s = State();
    s.ActiveOptions.fill(0);
    s.BrightnessOffset = 0;
    s.ContrastLevel = 0;
    s.ShadingLevel = 0;
}

void AdjustLevel(std::int32_t& level, std::int32_t delta) {
    const std::int64_t wide = static_cast<std::int64_t>(level) + delta;
    if (wide > std::numeric_limits<std::int32_t>::max()) {
        level = std::numeric_limits<std::int32_t>::max();
    } else if (wide < std::numeric_limits<std::int32_t>::min()) {
        level = std::numeric_limits<std::int32_t>::min();
    } else {
        level = static_cast<std::int32_t>(wide);
    }
}

std::int32_t BitmapFileSize() {
    const ImageState& s = State();
    return kBitmapHeaderSize + 3 * s.ImageWidth * s.ImageHeight;
}

}  // namespace dusk
