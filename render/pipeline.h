#pragma once

#include <cstdint>
#include <span>

namespace dusk {

struct PipelineStage {
    const char* name;
    void (*run)();
};

// The fixed order of every render, read top to bottom. Each stage decides
// from its own option slot or adjustment whether it changes the samples.
std::span<const PipelineStage> RenderStages();

// Runs every stage of RenderStages() on the working buffers.
void RenderPipeline();
// Renders the samples as they stand, with no correction ("Original Image").
void RenderUnprocessed();

// The despeckle window and thresholds that Open sets before every load.
void SetDespeckleParameters();

// The load steps that follow reading and naming: copies DefaultOptions into
// ActiveOptions and resets the brightness, contrast and shading levels.
void TakeDefaultOptions();

// Copies all of OriginalImage into the (freshly allocated) RawImage.
void RestoreFromOriginal();
// Clears every active option and tone adjustment ("Original Image").
void ClearActiveAdjustments();

// Changes a level by delta, saturating at the 32-bit limits.
void AdjustLevel(std::int32_t& level, std::int32_t delta);

// Bytes of the bitmap file the last render produced: 54 + 3 * W * H.
std::int32_t BitmapFileSize();

}  // namespace dusk
