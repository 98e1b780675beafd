// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/zeroed_buffer.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define DUSK_HEAP_BUFFERS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define DUSK_HEAP_BUFFERS 1
#endif
#endif
#if !defined(__linux__)
#define DUSK_HEAP_BUFFERS 1
#endif

namespace dusk {

namespace {

ByteBuffer HeapZeroed(std::size_t size) {
    auto* p = static_cast<std::uint8_t*>(std::calloc(size == 0 ? 1 : size, 1));
    if (p == nullptr) throw std::bad_alloc();
    return ByteBuffer(p);
}

#if !defined(DUSK_HEAP_BUFFERS)
constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;
constexpr std::uintptr_t kPage = 4096;

// Released mappings kept for the next request of the same length: a running
// program then clears a kept buffer with memset, as calloc would, instead of
// having the system clear fresh pages at every render. Each thread keeps its
// own, so workers never share them; they are unmapped when the thread ends.
struct SpareMapping {
    std::uint8_t* start = nullptr;
    std::uintptr_t length = 0;
};
struct SparePool {
    std::array<SpareMapping, 3> spares{};
    bool closed = false;  // the thread is ending: keep nothing more
    ~SparePool() {
        for (SpareMapping& spare : spares) {
            if (spare.start != nullptr) ::munmap(spare.start, spare.length);
        }
        closed = true;
    }
};
thread_local SparePool gPool;

std::uint8_t* TakeSpare(std::uintptr_t length) {
    for (SpareMapping& spare : gPool.spares) {
        if (spare.start != nullptr && spare.length == length) {
            return std::exchange(spare.start, nullptr);
        }
    }
    return nullptr;
}

bool KeepSpare(std::uint8_t* start, std::uintptr_t length) {
    if (gPool.closed) return false;
    for (SpareMapping& spare : gPool.spares) {
        if (spare.start == nullptr) {
            spare = {start, length};
            return true;
        }
    }
    return false;
}

constexpr std::uintptr_t RoundUp(std::uintptr_t value, std::uintptr_t unit) { return (value + unit - 1) / unit * unit; }

// A kept mapping of the same length, cleared, or else a fresh anonymous
// mapping (zero by definition) that starts on a huge-page boundary, so that
// its whole 2 MiB stretches can be huge pages.
ByteBuffer MappedZeroed(std::size_t size) {
    const std::uintptr_t length = RoundUp(size == 0 ? 1 : size, kPage);
    if (std::uint8_t* kept = TakeSpare(length)) {
        std::memset(kept, 0, size);
        return ByteBuffer(kept, BufferDeleter{length});
    }
    void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto first = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t start = RoundUp(first, kHugePage);
    const std::uintptr_t end = first + length + kHugePage;
    if (start > first) ::munmap(mapped, start - first);
    if (end > start + length) ::munmap(reinterpret_cast<void*>(start + length), end - (start + length));
    // Only advice: without huge pages the buffer works the same, just slower.
    ::madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
    return ByteBuffer(reinterpret_cast<std::uint8_t*>(start), BufferDeleter{length});
}
#endif

}  // namespace

void BufferDeleter::operator()(std::uint8_t* p) const noexcept {
    if (p == nullptr) return;
#if !defined(DUSK_HEAP_BUFFERS)
    if (mappedLength != 0) {
        if (!KeepSpare(p, mappedLength)) ::munmap(p, mappedLength);
        return;
    }
#endif
    std::free(p);
}

ByteBuffer AllocateZeroed(std::size_t size) {
#if defined(DUSK_HEAP_BUFFERS)
    return HeapZeroed(size);
#else
    // A buffer smaller than a huge page gains nothing from a mapping of its
    // own, whose first touch would clear a whole huge page.
    return size < kHugePage ? HeapZeroed(size) : MappedZeroed(size);
#endif
}

}  // namespace dusk
