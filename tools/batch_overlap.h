// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether the inputs of a batch may be converted in any order.

#include <string>
#include <vector>

namespace dusk {

// True when converting input i to targets[i] for every i, in any order and
// at the same time, gives the same files and messages as in input order: no
// output lands where another input is read (through links, or as a folder
// on the way to it), and no two outputs land on the same file. False too
// when that cannot be told beforehand, as for a link that leads nowhere yet.
bool OrderFree(const std::vector<std::string>& inputs, const std::vector<std::string>& targets);

}  // namespace dusk
