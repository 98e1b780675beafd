// Impulse removal, in place. Each examined sample p (1-based position between
// DespeckleFirst and DespeckleLast, from row 1 on) is compared with its eight
// neighbours in the flat buffer (no treatment of row ends). Bright step: when
// enough neighbours lie more than the margin below it, it becomes their
// truncated mean. Dark step, against the value left by the bright step: when
// enough lie more than the margin above it, it becomes their mean. Later
// positions read the values already replaced, so the sweep must stay
// sequential.
#include <algorithm>

#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

namespace {

struct PassParameters {
    int brightMargin;
    int brightMinimum;
    int darkMargin;
    int darkMinimum;
};

void DespeckleSweep(const PassParameters& pass) {
    ImageState& s = State();
    if (!IsOn(s.ActiveOptions[OptDespeckle])) return;
    const long w = s.DespeckleWidth;
    const long h = s.ImageHeight;
    if (w <= 0 || h <= 0) return;
    std::uint8_t* raw = s.RawImage.get();

    // Positions p = W .. W*(H+1)-1, narrowed to the window, and further to
    // positions whose neighbours all lie inside the buffer.
    long first = std::max<long>({w, static_cast<long>(s.DespeckleFirst) - 1, w + 1});
    long last = std::min<long>(w * (h + 1) - 1, static_cast<long>(s.DespeckleLast) - 1);
    last = std::min<long>(last, kRawImageSize - w - 2);

    const long offsets[8] = {-1, 1, w - 1, w + 1, w, -w - 1, -w + 1, -w};
    for (long p = first; p <= last; ++p) {
        std::uint8_t* centre = raw + p;
        int n[8];
        for (int i = 0; i < 8; ++i) n[i] = centre[offsets[i]];

        int v = *centre;
        int sum = 0;
        int count = 0;
        for (int i = 0; i < 8; ++i) {
            if (v - n[i] > pass.brightMargin) {
                ++count;
                sum += n[i];
            }
        }
        if (count >= pass.brightMinimum) {
            v = sum / count;
            *centre = static_cast<std::uint8_t>(v);
        }

        sum = 0;
        count = 0;
        for (int i = 0; i < 8; ++i) {
            if (n[i] - v > pass.darkMargin) {
                ++count;
                sum += n[i];
            }
        }
        if (count >= pass.darkMinimum) {
            *centre = static_cast<std::uint8_t>(sum / count);
        }
    }
}

}  // namespace

void DespeckleFirstPass() {
    const ImageState& s = State();
    DespeckleSweep({s.DespeckleBrightThreshold, 6, s.DespeckleDarkThreshold, 7});
}

void DespeckleSecondPass() { DespeckleSweep({5, 8, 5, 8}); }

}  // namespace dusk
