// Impulse removal, in place. Each examined sample p (1-based position between
// DespeckleFirst and DespeckleLast, from row 1 on) is compared with its eight
// neighbours in the flat buffer (no treatment of row ends). Bright step: when
// enough neighbours lie more than the margin below it, it becomes their
// truncated mean. Dark step, against the value left by the bright step: when
// enough lie more than the margin above it, it becomes their mean. Later
// positions read the values already replaced, so the sweep must stay
// sequential.
#include <algorithm>
#include <bit>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Examines one position: bright step, then dark step against its result.
inline void ExaminePosition(std::uint8_t* centre, const long (&offsets)[8], const PassParameters& pass) {
    int n[8];
    for (int i = 0; i < 8; ++i) n[i] = centre[offsets[i]];

    // Counting without branches: with speckle the comparisons are close to
    // random, and mispredicted jumps would dominate the sweep.
    int v = *centre;
    int sum = 0;
    int count = 0;
    for (int i = 0; i < 8; ++i) {
        const int qualifies = v - n[i] > pass.brightMargin;
        count += qualifies;
        sum += n[i] & -qualifies;
    }
    if (count >= pass.brightMinimum) {
        v = sum / count;
        *centre = static_cast<std::uint8_t>(v);
    }

    sum = 0;
    count = 0;
    for (int i = 0; i < 8; ++i) {
        const int qualifies = n[i] - v > pass.darkMargin;
        count += qualifies;
        sum += n[i] & -qualifies;
    }
    if (count >= pass.darkMinimum) *centre = static_cast<std::uint8_t>(sum / count);
}

#ifdef __SSE2__
// For the 16 positions from `centre` on, a bit set for each position that the
// bright or the dark step would change, judged on the values as they stand.
// Until the first such position nothing in the run changes, so the judgement
// is exact up to and including it.
inline unsigned CandidateMask(const std::uint8_t* centre, const long (&offsets)[8], const PassParameters& pass) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(centre));
    const __m128i brightMargin = _mm_set1_epi8(static_cast<char>(pass.brightMargin));
    const __m128i darkMargin = _mm_set1_epi8(static_cast<char>(pass.darkMargin));
    const __m128i vPlusDark = _mm_adds_epu8(v, darkMargin);
    __m128i brightCount = _mm_setzero_si128();
    __m128i darkCount = _mm_setzero_si128();
    for (long offset : offsets) {
        const __m128i n = _mm_loadu_si128(reinterpret_cast<const __m128i*>(centre + offset));
        // v - n > margin  <=>  v > n + margin (saturated: 255 means never).
        const __m128i nPlusBright = _mm_adds_epu8(n, brightMargin);
        const __m128i vNotAbove = _mm_cmpeq_epi8(_mm_max_epu8(v, nPlusBright), nPlusBright);
        brightCount = _mm_sub_epi8(brightCount, _mm_andnot_si128(vNotAbove, _mm_set1_epi8(-1)));
        // n - v > margin  <=>  n > v + margin.
        const __m128i nNotAbove = _mm_cmpeq_epi8(_mm_max_epu8(n, vPlusDark), vPlusDark);
        darkCount = _mm_sub_epi8(darkCount, _mm_andnot_si128(nNotAbove, _mm_set1_epi8(-1)));
    }
    const __m128i bright = _mm_cmpgt_epi8(brightCount, _mm_set1_epi8(static_cast<char>(pass.brightMinimum - 1)));
    const __m128i dark = _mm_cmpgt_epi8(darkCount, _mm_set1_epi8(static_cast<char>(pass.darkMinimum - 1)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(bright, dark)));
}
#endif

void DespeckleSweep(const PassParameters& pass) {
    ImageState& s = State();
    if (!IsOn(s.ActiveOptions[OptDespeckle])) return;
    const long w = s.DespeckleWidth;
    const long h = s.ImageHeight;
    if (w <= 0 || h <= 0) return;
    std::uint8_t* raw = s.RawImage.get();

    // Positions p = W .. W*(H+1)-1, narrowed to the window, and further to
    // positions whose neighbours all lie inside the buffer.
    const long first = std::max<long>({w, static_cast<long>(s.DespeckleFirst) - 1, w + 1});
    long last = std::min<long>(w * (h + 1) - 1, static_cast<long>(s.DespeckleLast) - 1);
    last = std::min<long>(last, kRawImageSize - w - 2);

    const long offsets[8] = {-1, 1, w - 1, w + 1, w, -w - 1, -w + 1, -w};
    long p = first;
#ifdef __SSE2__
    // Skip runs of 16 positions that nothing would change; examine the first
    // position that would change on its own, then look ahead again from the
    // next one, which sees the new value.
    while (p + 15 <= last) {
        const unsigned mask = CandidateMask(raw + p, offsets, pass);
        if (mask == 0) {
            p += 16;
            continue;
        }
        p += std::countr_zero(mask);
        ExaminePosition(raw + p, offsets, pass);
        ++p;
    }
#endif
    for (; p <= last; ++p) ExaminePosition(raw + p, offsets, pass);
}

}  // namespace

void DespeckleFirstPass() {
    const ImageState& s = State();
    DespeckleSweep({s.DespeckleBrightThreshold, 6, s.DespeckleDarkThreshold, 7});
}

void DespeckleSecondPass() { DespeckleSweep({5, 8, 5, 8}); }

}  // namespace dusk
