// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The impulse-removal sweep, 16 positions at a time, with exactly the result
// of the in-order sweep: each position still sees the values its left
// neighbour and the row above were given.

#include <cstdint>

namespace dusk::impulse {

// Resolves the positions from `first` on in blocks of 16 while a whole block
// fits up to `last`, for rows of w samples, and returns the position after
// the last block: `first` where the rows are too short or the processor
// lacks SSE2. Every neighbour of the positions up to `last` must lie inside
// the buffer, and the positions before `first` must be final.
long ResolveTolerantBlocks(std::uint8_t* raw, long first, long last, long w, int brightMargin, int darkMargin);
long ResolveStrictBlocks(std::uint8_t* raw, long first, long last, long w, int margin);

}  // namespace dusk::impulse
