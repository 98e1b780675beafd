// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A grey picture as a PNG file in memory.

#include <cstdint>
#include <string>
#include <vector>

namespace dusk {

// Encodes the w x h grey levels `grey` (top row first) as an 8-bit greyscale
// PNG file into `png`. False, with `error` saying why, when libpng fails.
bool EncodeGreyPng(const std::uint8_t* grey, int w, int h, std::vector<std::uint8_t>& png, std::string& error);

}  // namespace dusk
