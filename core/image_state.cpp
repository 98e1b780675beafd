// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/image_state.h"

#include <new>

namespace dusk {

namespace {

// A record is a little over 2 MiB, nearly all of it OriginalImage, which
// every load writes in full. It gets a zero-filled buffer of its own, backed
// by huge pages like the working buffers.
// The record is built in `storage`, which must outlive it.
ImageState* CreateRecord(ByteBuffer& storage) {
    storage = AllocateZeroed(sizeof(ImageState));
    return new (storage.get()) ImageState();
}

// The program's record is never released.
ImageState& ProgramRecord() {
    static ImageState* const record = [] {
        ByteBuffer storage;
        ImageState* built = CreateRecord(storage);
        (void)storage.release();
        return built;
    }();
    return *record;
}

thread_local ImageState* gBound = nullptr;

}  // namespace

ImageState& State() { return gBound != nullptr ? *gBound : ProgramRecord(); }

void ResetState() {
    ImageState& s = State();
    s.~ImageState();
    new (&s) ImageState();
}

ScopedImageState::ScopedImageState() : record_(CreateRecord(storage_)), previous_(gBound) { gBound = record_; }

ScopedImageState::~ScopedImageState() {
    gBound = previous_;
    record_->~ImageState();
}

void AllocateWorkingBuffers() {
    ImageState& s = State();
    s.RawImage.reset();
    s.BitmapImage.reset();
    s.RawImage = AllocateZeroed(kRawImageSize);
    s.BitmapImage = AllocateZeroed(kBitmapImageSize);
    s.RawImageLength = kRawImageSize;
    s.BitmapImageLength = kBitmapImageSize;
}

void AllocateSmallWorkingBuffers(std::int32_t rawLength, std::int32_t bitmapLength) {
    ImageState& s = State();
    s.RawImage.reset();
    s.BitmapImage.reset();
    s.RawImage = AllocateZeroed(static_cast<std::size_t>(rawLength));
    s.BitmapImage = AllocateZeroed(static_cast<std::size_t>(bitmapLength));
    s.RawImageLength = rawLength;
    s.BitmapImageLength = bitmapLength;
}

void ReleaseWorkingBuffers() {
    ImageState& s = State();
    s.RawImage.reset();
    s.BitmapImage.reset();
}

std::int32_t BitmapFileSize() {
    const ImageState& s = State();
    return kBitmapHeaderSize + 3 * s.ImageWidth * s.ImageHeight;
}

WorkingBuffers::WorkingBuffers() : record_(&State()) {}

WorkingBuffers::WorkingBuffers(WorkingBuffers&& other) noexcept : record_(other.record_) { other.record_ = nullptr; }

WorkingBuffers::~WorkingBuffers() {
    if (record_ == nullptr) return;
    record_->RawImage.reset();
    record_->BitmapImage.reset();
}

std::span<const std::uint8_t> WorkingBuffers::Bitmap() const {
    if (record_ == nullptr || record_->BitmapImage == nullptr) return {};
    const std::int64_t size = kBitmapHeaderSize + 3LL * record_->ImageWidth * record_->ImageHeight;
    if (size < kBitmapHeaderSize || size > kBitmapImageSize) return {};
    return {record_->BitmapImage.get(), static_cast<std::size_t>(size)};
}

}  // namespace dusk
