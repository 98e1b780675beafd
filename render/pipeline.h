// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
// Renders the samples as they stand, with no correction ("Original Image"):
// only the two bitmap stages.
void RenderUnprocessed();

}  // namespace dusk
