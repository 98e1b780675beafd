// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The image record. Every routine of the image core, the filters and the
// collection logic works on the record that State() returns and takes no
// arguments; the desktop program and the command-line tools fill it, call the
// routines and read the results back. State() is the program's one record,
// unless the calling thread has bound a record of its own (ScopedImageState),
// so a worker can render a second image without touching the one on display.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/label_map.h"
#include "core/map_projection.h"
#include "core/odl.h"
#include "core/zeroed_buffer.h"

namespace dusk {

inline constexpr std::int32_t kRawImageSize = 2'100'000;
inline constexpr std::int32_t kBitmapImageSize = 4'700'000;
inline constexpr std::int32_t kFileListCapacity = 1000;
inline constexpr std::int32_t kBitmapHeaderSize = 54;

inline constexpr std::int32_t kDefaultWidth = 1052;
inline constexpr std::int32_t kDefaultHeight = 660;

// Slots of DefaultOptions and ActiveOptions.
enum OptionSlot : int {
    OptStretch = 0,
    OptDespeckle = 1,
    OptFlipVertically = 2,
    OptRotate = 3,
    OptInvert = 4,
    OptMinimizeHalf = 5,
    OptMinimizeQuarter = 6,
    OptReserved = 7,
    OptMissingLines = 8,
};
inline constexpr int kOptionCount = 9;
using OptionFlags = std::array<std::int32_t, kOptionCount>;

// The direction of the timed scan.
enum class Direction : std::int32_t { None = 0, Forward = 1, Backward = 2 };

// A flag counts as on only when it equals 1.
inline bool IsOn(std::int32_t flag) { return flag == 1; }
// Toggle as the commands do: any non-zero value becomes 0, 0 becomes 1.
inline void ToggleFlag(std::int32_t& flag) { flag = flag != 0 ? 0 : 1; }

// Changes a level by delta, saturating at the 32-bit limits.
inline void AdjustLevel(std::int32_t& level, std::int32_t delta) {
    const std::int64_t wide = static_cast<std::int64_t>(level) + delta;
    constexpr std::int64_t kHighest = INT32_MAX;
    constexpr std::int64_t kLowest = INT32_MIN;
    level = static_cast<std::int32_t>(wide > kHighest ? kHighest : wide < kLowest ? kLowest : wide);
}

// Statistics gathered between the first despeckle pass and the tone mapping.
struct HistogramRecord {
    std::array<std::int32_t, 256> Counts{};
    std::int32_t DarkCount = 0;
    std::int32_t MidCount = 0;
    std::int32_t BrightCount = 0;
    double ToneFactor = 0.0;
};

struct ImageState {
    // Working buffers: allocated zero-filled per load and per re-render,
    // released at the end of the operation (see WorkingBuffers).
    ByteBuffer RawImage;     // kRawImageSize samples
    ByteBuffer BitmapImage;  // kBitmapImageSize bytes: a complete bitmap file
    // Their lengths: the full sizes, but for the small buffers of
    // AllocateSmallWorkingBuffers. No stage reads or writes past them.
    std::int32_t RawImageLength = kRawImageSize;
    std::int32_t BitmapImageLength = kBitmapImageSize;
    // Untouched copy of RawImage as read; the source of every re-render.
    std::array<std::uint8_t, kRawImageSize> OriginalImage{};

    // Geometry.
    std::int32_t FileLength = 0;  // bytes read; -1 when the file could not be read
    std::int32_t ImageWidth = 0;
    std::int32_t ImageHeight = 0;
    std::array<std::uint8_t, 10> HeaderSizes{};
    std::string ReadError;  // the system's reason when FileLength is -1

    // Names and collection. Names are kept as the file system's bytes.
    std::string CurrentImagePath;  // full path of the image on display
    std::string CurrentFileName;   // its name without folder
    std::string DirectoryPath;     // folder of the opened file, with trailing '/'
    std::array<std::string, kFileListCapacity> FileList{};
    std::int32_t FileCount = 0;
    std::int32_t FilePosition = 0;
    bool FileListCut = false;  // more qualifying entries than the list holds

    // Options.
    OptionFlags DefaultOptions{};
    OptionFlags ActiveOptions{};

    // Tone adjustments of the image on display.
    std::int32_t BrightnessOffset = 0;
    std::int32_t ContrastLevel = 0;
    std::int32_t ShadingLevel = 0;
    std::int32_t StretchGain = 0;
    std::int32_t StretchOffset = 0;
    HistogramRecord Histogram;

    // Despeckle parameters; the row stride is ImageWidth.
    std::int32_t DespeckleFirst = 0;
    std::int32_t DespeckleLast = 0;
    std::uint8_t DespeckleBrightThreshold = 0;
    std::uint8_t DespeckleDarkThreshold = 0;

    // Timed scan.
    Direction ScanDirection = Direction::None;
    std::int32_t ScanPause = 0;

    // The label beside the image: 67 items of at most 80 bytes, as read
    // (code page 1250); none when the image has no label.
    std::vector<std::string> LabelLines;
    // What the label says as data, where it is a keyword label: its
    // statements (none for no label, or one that is no keyword label), the
    // raster size of its IMAGE object and its map projection.
    OdlLabel LabelKeywords;
    std::optional<LabelGeometry> LabelImageGeometry;
    // The map figures of the label in every reading, the georeference
    // understood from them (after the label checked itself against its
    // bounds) and the projection of that reading, which the coordinates use.
    LabelMap LabelMapFigures;
    LabelGeoreference Georeference;
    std::optional<MapProjection> Projection;
    // The picture was rendered with no correction at all ("Original Image").
    bool ShownUnprocessed = false;
};

// The record bound to the calling thread: by default the program's record,
// zero-filled at start and alive for the whole run.
ImageState& State();

// Puts the record bound to this thread back into its start-up state, by
// building it anew.
void ResetState();

// Binds a fresh record of its own to the calling thread while it lives;
// State() on this thread returns it. Bindings nest: at the end the earlier
// binding comes back. A record is a little over 2 MiB.
class ScopedImageState {
public:
    ScopedImageState();
    ~ScopedImageState();
    ScopedImageState(const ScopedImageState&) = delete;
    ScopedImageState& operator=(const ScopedImageState&) = delete;

    ImageState& Record() { return *record_; }

private:
    ByteBuffer storage_;
    ImageState* record_;
    ImageState* previous_;
};

// Allocates RawImage and BitmapImage of State() zero-filled (replacing any
// held ones). Throws std::bad_alloc when memory cannot be had.
void AllocateWorkingBuffers();
// Allocates RawImage and BitmapImage of State() zero-filled at the lengths
// given, for running single stages on a raster small enough for them (the
// differential fuzz targets). Throws std::bad_alloc.
void AllocateSmallWorkingBuffers(std::int32_t rawLength, std::int32_t bitmapLength);
// Releases RawImage and BitmapImage of State().
void ReleaseWorkingBuffers();

// Bytes of the bitmap file a render of the current geometry makes: 54 + 3*W*H.
std::int32_t BitmapFileSize();

// The working buffers of one load or re-render: releases those of the record
// that was bound when it was made as it ends, also by an exception. It can be
// handed back to the caller, who reads the picture and then lets it go.
class WorkingBuffers {
public:
    WorkingBuffers();
    WorkingBuffers(WorkingBuffers&& other) noexcept;
    WorkingBuffers& operator=(WorkingBuffers&&) = delete;
    WorkingBuffers(const WorkingBuffers&) = delete;
    ~WorkingBuffers();

    // The bitmap file of the last render: the first BitmapFileSize() bytes of
    // BitmapImage; empty when no buffer is held.
    std::span<const std::uint8_t> Bitmap() const;

private:
    ImageState* record_;
};

}  // namespace dusk
