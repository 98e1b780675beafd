// SPDX-License-Identifier: GPL-3.0-or-later
// Impulse removal, in place. Each examined sample p (1-based position between
// DespeckleFirst and DespeckleLast, from row 1 on) is compared with its eight
// neighbours in the flat buffer (no treatment of row ends). Bright step: when
// enough neighbours lie more than the margin below it, it becomes their
// truncated mean. Dark step, against the value left by the bright step: when
// enough lie more than the margin above it, it becomes their mean. Later
// positions read the values already replaced; the blocks of 16 give exactly
// that result, and the in-order step does the rest.
#include <algorithm>

#include "core/image_state.h"
#include "filters/filters.h"
#include "filters/impulse_blocks.h"
#include "filters/impulse_step.h"

namespace dusk {

namespace {

using namespace impulse;

enum class Rule { Tolerant, Strict };

void DespeckleSweep(Rule rule, const PassParameters& pass) {
    ImageState& s = State();
    if (!IsOn(s.ActiveOptions[OptDespeckle])) return;
    const long w = s.ImageWidth;
    const long h = s.ImageHeight;
    if (w <= 0 || h <= 0) return;
    std::uint8_t* raw = s.RawImage.get();

    // Positions p = W .. W*(H+1)-1, narrowed to the window, and further to
    // positions whose neighbours all lie inside the buffer.
    const long first = std::max<long>({w, static_cast<long>(s.DespeckleFirst) - 1, w + 1});
    long last = std::min<long>(w * (h + 1) - 1, static_cast<long>(s.DespeckleLast) - 1);
    last = std::min<long>(last, static_cast<long>(s.RawImageLength) - w - 2);
    if (first > last) return;

    long p = rule == Rule::Tolerant
                 ? ResolveTolerantBlocks(raw, first, last, w, pass.brightMargin, pass.darkMargin)
                 : ResolveStrictBlocks(raw, first, last, w, pass.brightMargin);
    const Neighbours around(w);
    for (; p <= last; ++p) ExaminePosition(raw + p, around, pass);
}

}  // namespace

void DespeckleFirstPass() {
    const ImageState& s = State();
    DespeckleSweep(Rule::Tolerant, {s.DespeckleBrightThreshold, kTolerantBrightMinimum, s.DespeckleDarkThreshold,
                                    kTolerantDarkMinimum});
}

void DespeckleSecondPass() {
    DespeckleSweep(Rule::Strict, {kStrictMargin, kStrictMinimum, kStrictMargin, kStrictMinimum});
}

}  // namespace dusk
