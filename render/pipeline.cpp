// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/pipeline.h"

#include <array>

#include "filters/filters.h"
#include "render/bitmap.h"

namespace dusk {

namespace {

constexpr std::array<PipelineStage, 12> kRenderStages{{
    {"RepairMissingLines", RepairMissingLines},
    {"FlipRows", FlipRows},
    {"RotateRaster", RotateRaster},
    {"DespeckleFirstPass", DespeckleFirstPass},
    {"GatherHistogram", GatherHistogram},
    {"DeriveStretch", DeriveStretch},
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

}  // namespace dusk
