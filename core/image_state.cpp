#include "core/image_state.h"

#include <new>

namespace dusk {

namespace {

// The record is a little over 2 MiB, nearly all of it OriginalImage, which
// every load writes in full. It gets a zero-filled buffer of its own, backed
// by huge pages like the working buffers, and is never released.
ImageState* CreateRecord() {
    ByteBuffer storage = AllocateZeroed(sizeof(ImageState));
    return new (storage.release()) ImageState();
}

}  // namespace

ImageState& State() {
    static ImageState* const record = CreateRecord();
    return *record;
}

void ResetState() {
    ImageState& s = State();
    s.RawImage.reset();
    s.BitmapImage.reset();
    s.OriginalImage.fill(0);
    s.FileLength = 0;
    s.ImageWidth = 0;
    s.ImageHeight = 0;
    s.HeaderSizes.fill(0);
    s.ReadError.clear();
    s.CurrentImagePath.clear();
    s.CurrentFileName.clear();
    s.DirectoryPath.clear();
    for (auto& name : s.FileList) name.clear();
    s.FileCount = 0;
    s.FilePosition = 0;
    s.FileListCut = false;
    s.DefaultOptions.fill(0);
    s.ActiveOptions.fill(0);
    s.BrightnessOffset = 0;
    s.ContrastLevel = 0;
    s.ShadingLevel = 0;
    s.StretchGain = 0;
    s.StretchOffset = 0;
    s.Histogram = HistogramRecord{};
    s.DespeckleWidth = 0;
    s.DespeckleFirst = 0;
    s.DespeckleLast = 0;
    s.DespeckleBrightThreshold = 0;
    s.DespeckleDarkThreshold = 0;
    s.ScanDirection = 0;
    s.ScanPause = 0;
}

}  // namespace dusk
