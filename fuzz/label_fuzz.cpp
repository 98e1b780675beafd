// SPDX-License-Identifier: GPL-3.0-or-later
// Label naming, splitting and decoding on arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/label.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string label = dusk::LabelFileName(bytes);
    if (!label.empty() && label.size() != 7 && label.size() != 9) std::abort();

    const auto items = dusk::SplitLabel(bytes);
    if (items.size() != static_cast<std::size_t>(dusk::kLabelLineCount)) std::abort();
    for (const auto& item : items) {
        if (item.size() > static_cast<std::size_t>(dusk::kLabelRecordLength)) std::abort();
        if (item.find('\0') != std::string::npos) std::abort();
        (void)dusk::Cp1250ToUtf8(item);
    }
    return 0;
}
