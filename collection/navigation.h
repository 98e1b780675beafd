// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace dusk {

// Next: moves FilePosition on by one when an entry follows; false, with
// nothing changed, at the end of the list or with an empty list. From
// position 0 (the image is not in the list) it moves to entry 1.
bool StepForward();
// Previous: moves FilePosition back by one when it is 2 or more.
bool StepBackward();

// A step to entry `position`: moves FilePosition there when the list holds
// such an entry; false, with nothing changed, otherwise.
bool StepTo(int position);

// The position (counted from 1) of the entry that `text` names in the
// collection: a position, or a name in any letter case, with or without its
// extension, else the one entry whose name begins so. 0 where none matches,
// or where a beginning fits several entries.
int FindEntry(const std::string& text);

// The path of list entry FilePosition: DirectoryPath followed by the name.
std::string ListEntryPath();

enum class ScanTick {
    Idle,  // no direction set: nothing to do
    Step,  // FilePosition moved: show the entry
    Stop,  // no entry left in the scan's direction: the scan ends
};

// The position part of one scan tick, by ScanDirection.
ScanTick AdvanceScan();

}  // namespace dusk
