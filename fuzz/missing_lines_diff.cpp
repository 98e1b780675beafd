// SPDX-License-Identifier: GPL-3.0-or-later
// Missing-line repair against its reference on a small raster: the file
// name (one of those with a rule of its own, or bytes of the input) decides
// the test columns; the buffer runs on past W x H, as the test may read on.
#include "filters/filters.h"
#include "fuzz/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    static const char* const kNames[] = {"V0501.img", "69_131A.IMG", "69_141", "69_011.img", "69_021", "69_031x",
                                         "ed7.img",   "Ed",          "JAC.IMG", "jAc",       "69_13",  "E"};
    fuzz::InputReader in(data, size);
    const std::int32_t flag = in.Flag();
    const std::uint8_t nameChoice = in.Byte();
    std::string name;
    if (nameChoice < 2 * std::size(kNames)) {
        name = kNames[nameChoice % std::size(kNames)];
    } else {
        for (int i = nameChoice % 8; i > 0; --i) name.push_back(static_cast<char>(in.Byte()));
    }
    const std::int32_t extra = in.Byte();
    const fuzz::SmallRaster raster = fuzz::ReadRaster(in, 1200, 1 << 11, extra);

    fuzz::PutRaster(raster);
    State().ActiveOptions[OptMissingLines] = flag;
    State().CurrentFileName = name;
    RepairMissingLines();
    const fuzz::Raster expected = flag == 1 ? reference::RepairMissingLines(raster.buffer, raster.w, raster.h, name)
                                            : raster.buffer;
    fuzz::ExpectSame("missing lines", fuzz::RawSpan(), expected);
    fuzz::ExpectSame("line test width", LineTestWidth(name, raster.w), reference::LineTestWidth(name, raster.w));
    return 0;
}
