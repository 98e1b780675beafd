// SPDX-License-Identifier: GPL-3.0-or-later
// The readout's mapping of a picture pixel back to the file against the
// reference, which runs the stages on sample numbers: any geometry, any
// orientation and reduction options, after "Original Image" or not.
#include "core/readout.h"
#include "fuzz/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    fuzz::InputReader in(data, size);
    ImageState& s = State();
    s.ImageWidth = 1 + in.Word() % 1200;
    s.ImageHeight = 1 + in.Word() % 1200;
    s.ActiveOptions[OptFlipVertically] = in.Flag();
    s.ActiveOptions[OptRotate] = in.Flag();
    s.ActiveOptions[OptMinimizeHalf] = in.Flag();
    s.ActiveOptions[OptMinimizeQuarter] = in.Flag();
    s.ShownUnprocessed = (in.Byte() & 7) == 0;
    const std::int32_t x = static_cast<std::int16_t>(in.Word()) % (s.ImageWidth + 2);
    const std::int32_t y = static_cast<std::int16_t>(in.Word()) % (s.ImageHeight + 2);

    const DisplayMapping m = CurrentDisplayMapping();
    const FilePoint got = MapToFile(m, x, y);
    const bool processed = !s.ShownUnprocessed;
    const int reduction = !processed                                 ? 1
                          : IsOn(s.ActiveOptions[OptMinimizeQuarter]) ? 4
                          : IsOn(s.ActiveOptions[OptMinimizeHalf])    ? 2
                                                                      : 1;
    const reference::Origin want =
        reference::PictureOrigin(s.ImageWidth, s.ImageHeight, processed && s.ActiveOptions[OptFlipVertically] == 0,
                                 processed && IsOn(s.ActiveOptions[OptRotate]), reduction, x, y);
    fuzz::ExpectSame("readout kind", static_cast<int>(got.kind), want.kind);
    if (want.kind == 2) {
        fuzz::ExpectSame("readout row", got.row, want.row);
        fuzz::ExpectSame("readout column", got.column, want.column);
    }
    return 0;
}
