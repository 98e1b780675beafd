// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Items worked on by several threads, their outcomes taken up in order.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace dusk {

// What became of one item: nothing when it went well, else the message.
using ItemOutcome = std::optional<std::string>;

// Runs work(i) for every i below `count` on up to `workers` threads, each
// with an image record of its own (ScopedImageState) bound while it runs,
// and calls deliver(i, outcome) on the calling thread for i = 0, 1, 2, ...,
// each as soon as item i is done. A thread that cannot be started, or gets no
// record, leaves its share to the others; when none is left, the calling
// thread does the rest itself on the record bound to it. All threads have
// ended when this returns, also by an exception from deliver.
void RunInOrder(std::size_t count, unsigned workers, const std::function<ItemOutcome(std::size_t)>& work,
                const std::function<void(std::size_t, const ItemOutcome&)>& deliver);

}  // namespace dusk
