// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/geometry.h"

#include <array>
#include <cstring>

#include "core/image_state.h"

namespace dusk {

namespace {

constexpr std::array<GeometryEntry, 31> kGeometryTable{{
    {489180, 1052, 468},  {558612, 1052, 532},  {559644, 1052, 532},  {585964, 1052, 560},
    {588068, 1052, 560},  {636460, 1052, 608},  {662760, 1052, 632},  {668020, 1052, 636},
    {694320, 1052, 660},  {733244, 1052, 700},  {735348, 1052, 700},  {739556, 1052, 708},
    {742712, 1052, 708},  {707160, 996, 712},   {711144, 996, 716},   {713136, 996, 720},
    {741024, 996, 744},   {883452, 996, 888},   {883456, 996, 932},   {885444, 996, 892},
    {888432, 996, 892},   {891420, 996, 896},   {926280, 996, 932},   {1159284, 1036, 1120},
    {1160320, 1036, 1120}, {934784, 1072, 896}, {935856, 1072, 896},  {950864, 1072, 896},
    {953008, 1072, 896},  {954080, 1072, 896},  {959440, 1072, 896},
}};

void PutLittleEndian(std::uint8_t* out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::span<const GeometryEntry> GeometryTable() { return kGeometryTable; }

bool IsKnownLength(std::int32_t length) {
    for (const GeometryEntry& entry : kGeometryTable) {
        if (entry.fileLength == length) return true;
    }
    return false;
}

GeometryEntry GeometryForLength(std::int32_t length) {
    for (const GeometryEntry& entry : kGeometryTable) {
        if (entry.fileLength == length) return entry;
    }
    return {length, kDefaultWidth, kDefaultHeight};
}

void DeriveGeometry() {
    ImageState& s = State();
    s.StretchGain = 0;
    s.StretchOffset = 0;
    const GeometryEntry geometry = GeometryForLength(s.FileLength);
    s.ImageWidth = geometry.width;
    s.ImageHeight = geometry.height;

    const auto w = static_cast<std::uint32_t>(s.ImageWidth);
    const auto h = static_cast<std::uint32_t>(s.ImageHeight);
    const std::uint32_t pixelBytes = 3 * w * h;
    PutLittleEndian(&s.HeaderSizes[0], kBitmapHeaderSize + pixelBytes, 3);
    PutLittleEndian(&s.HeaderSizes[3], w, 2);
    PutLittleEndian(&s.HeaderSizes[5], h, 2);
    PutLittleEndian(&s.HeaderSizes[7], pixelBytes, 3);

    std::memcpy(s.OriginalImage.data(), s.RawImage.get(), kRawImageSize);
}

}  // namespace dusk
