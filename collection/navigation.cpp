// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/navigation.h"

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
