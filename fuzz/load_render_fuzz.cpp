// SPDX-License-Identifier: GPL-3.0-or-later
// The whole load-and-render path on arbitrary file bytes with arbitrary
// options and levels. The first 16 bytes choose the options, the levels, the
// file name and whether the file is cut or padded to a listed length; the
// rest is the file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "core/geometry.h"
#include "core/image_state.h"
#include "load/load_image.h"

namespace {

std::int32_t TakeInt(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return static_cast<std::int32_t>(v);
}

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/dusk-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern + "/";
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kControl = 16;
    if (size < kControl) return 0;
    static const char* const kNames[] = {"V0501.img", "69_131A.IMG", "69_011.img", "ed7.img", "JAC.IMG", "V"};
    using dusk::State;
    dusk::ResetState();

    const std::uint16_t flags = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
    for (int slot = 0; slot < dusk::kOptionCount; ++slot) State().DefaultOptions[slot] = (flags >> slot) & 1;
    if (flags & 0x8000) State().DefaultOptions[dusk::OptFlipVertically] = 7;  // non-zero, not 1
    const std::int32_t contrast = TakeInt(data + 2);
    const std::int32_t brightness = TakeInt(data + 6);
    const std::int32_t shading = static_cast<std::int8_t>(data[10]);
    const std::string name = kNames[data[11] % (sizeof kNames / sizeof kNames[0])];
    const bool original = data[12] & 1;

    // Optionally cut or pad the file to one of the listed lengths.
    std::string file(reinterpret_cast<const char*>(data + kControl), size - kControl);
    const auto table = dusk::GeometryTable();
    if (data[13] < table.size()) file.resize(static_cast<std::size_t>(table[data[13]].fileLength), '\x80');

    const std::string path = ScratchFolder() + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(file.data(), static_cast<std::streamsize>(file.size()));

    dusk::LoadSettings settings;
    settings.keepList = (data[12] & 2) != 0;
    if (original) {
        settings.mode = dusk::RenderMode::Unprocessed;
        settings.adjust = dusk::ClearActiveAdjustments;
    } else {
        settings.adjust = [&] {
            State().ContrastLevel = contrast;
            dusk::AdjustLevel(State().BrightnessOffset, brightness);
            State().ShadingLevel = shading;
        };
    }
    const dusk::WorkingBuffers buffers = dusk::LoadImage(path, settings);
    if (buffers.Bitmap().size() != static_cast<std::size_t>(dusk::BitmapFileSize())) std::abort();
    // The bitmap must end where the geometry says; the rest stays zero.
    const std::uint8_t* bitmap = State().BitmapImage.get();
    for (std::int32_t k = dusk::BitmapFileSize(); k < dusk::kBitmapImageSize; k += 4099) {
        if (bitmap[k] != 0) std::abort();
    }
    return 0;
}
