// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Large zero-filled byte buffers. The working buffers are several megabytes
// and are allocated afresh for every load and re-render, so where the system
// offers transparent huge pages they are backed by them: the first touch of
// each 2 MiB then costs one fault instead of 512.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace dusk {

// Releases a buffer the way it was allocated: a mapping of `mappedLength`
// bytes, or (when 0) a block from the C heap.
struct BufferDeleter {
    std::size_t mappedLength = 0;
    void operator()(std::uint8_t* p) const noexcept;
};
using ByteBuffer = std::unique_ptr<std::uint8_t[], BufferDeleter>;

// `size` zero bytes. Throws std::bad_alloc when memory cannot be had.
// Buffers of less than 2 MiB come from the C heap.
// Builds with an address sanitizer take them from the C heap, so that an
// access beyond the end is still caught.
ByteBuffer AllocateZeroed(std::size_t size);

}  // namespace dusk
