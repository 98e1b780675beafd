#pragma once

// The one process-wide image record. Every routine of the image core, the
// filters and the collection logic works on it directly and takes no
// arguments; the desktop program and the command-line tools fill it, call the
// routines and read the results back.

#include <array>
#include <cstdint>
#include <string>

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

// A flag counts as on only when it equals 1.
inline bool IsOn(std::int32_t flag) { return flag == 1; }
// Toggle as the commands do: any non-zero value becomes 0, 0 becomes 1.
inline void ToggleFlag(std::int32_t& flag) { flag = flag != 0 ? 0 : 1; }

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

    // Despeckle parameters.
    std::int32_t DespeckleWidth = 0;
    std::int32_t DespeckleFirst = 0;
    std::int32_t DespeckleLast = 0;
    std::uint8_t DespeckleBrightThreshold = 0;
    std::uint8_t DespeckleDarkThreshold = 0;

    // Timed scan.
    std::int32_t ScanDirection = 0;
    std::int32_t ScanPause = 0;
};

// The process-wide record, zero-filled at start and alive for the whole run.
ImageState& State();

// Puts the record back into its start-up state (used by tests and tools).
void ResetState();

}  // namespace dusk
