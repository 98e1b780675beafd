// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/navigation.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

#include "core/image_state.h"

namespace dusk {

bool StepForward() {
    ImageState& s = State();
    if (s.FilePosition + 1 > s.FileCount) return false;
    ++s.FilePosition;
    return true;
}

bool StepBackward() {
    ImageState& s = State();
    if (s.FilePosition - 1 < 1) return false;
    --s.FilePosition;
    return true;
}

bool StepTo(int position) {
    ImageState& s = State();
    if (position < 1 || position > s.FileCount) return false;
    s.FilePosition = position;
    return true;
}

namespace {

std::string Folded(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

int FindEntry(const std::string& text) {
    const ImageState& s = State();
    const std::string_view wanted = Trimmed(text);
    if (wanted.empty()) return 0;
    int position = 0;
    const auto [end, error] = std::from_chars(wanted.data(), wanted.data() + wanted.size(), position);
    if (error == std::errc() && end == wanted.data() + wanted.size()) {
        return position >= 1 && position <= s.FileCount ? position : 0;
    }
    const std::string folded = Folded(wanted);
    int begins = 0;
    int beginning = 0;
    for (int i = 0; i < s.FileCount; ++i) {
        const std::string name = Folded(s.FileList[static_cast<std::size_t>(i)]);
        const std::size_t dot = name.rfind('.');
        if (name == folded || (dot != std::string::npos && name.compare(0, dot, folded) == 0 && dot == folded.size())) {
            return i + 1;
        }
        if (name.compare(0, folded.size(), folded) == 0) {
            ++begins;
            beginning = i + 1;
        }
    }
    return begins == 1 ? beginning : 0;
}

std::string ListEntryPath() {
    const ImageState& s = State();
    if (s.FilePosition < 1 || s.FilePosition > s.FileCount) return s.DirectoryPath;
    return s.DirectoryPath + s.FileList[s.FilePosition - 1];
}

ScanTick AdvanceScan() {
    switch (State().ScanDirection) {
        case Direction::Forward:
            return StepForward() ? ScanTick::Step : ScanTick::Stop;
        case Direction::Backward:
            return StepBackward() ? ScanTick::Step : ScanTick::Stop;
        case Direction::None:
            break;
    }
    return ScanTick::Idle;
}

}  // namespace dusk
