// SPDX-License-Identifier: GPL-3.0-or-later
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

// floor(sum / count) == (sum * kReciprocal[count]) >> 20 for every sum of up
// to eight samples (at most 2040) and count 1 to 8; count 0 gives 0.
constexpr std::uint32_t kReciprocal[9] = {0,
                                          (1u << 20),
                                          ((1u << 20) + 1) / 2,
                                          ((1u << 20) + 2) / 3,
                                          ((1u << 20) + 3) / 4,
                                          ((1u << 20) + 4) / 5,
                                          ((1u << 20) + 5) / 6,
                                          ((1u << 20) + 6) / 7,
                                          ((1u << 20) + 7) / 8};

inline int Mean(int sum, int count) {
    return static_cast<int>((static_cast<std::uint32_t>(sum) * kReciprocal[count]) >> 20);
}

// Examines one position: bright step, then dark step against its result.
// Returns whether the sample changed. The counts are free of branches, as
// with speckle the comparisons are close to random; the means multiply
// instead of dividing, as a run of changing samples is one long chain of
// dependent steps.
inline bool ExaminePosition(std::uint8_t* centre, const long (&offsets)[8], const PassParameters& pass) {
    int n[8];
    for (int i = 0; i < 8; ++i) n[i] = centre[offsets[i]];

    const int before = *centre;
    int sum = 0;
    int count = 0;
    for (int i = 0; i < 8; ++i) {
        const int qualifies = before - n[i] > pass.brightMargin;
        count += qualifies;
        sum += n[i] & -qualifies;
    }
    const int bright = count >= pass.brightMinimum ? Mean(sum, count) : before;

    sum = 0;
    count = 0;
    for (int i = 0; i < 8; ++i) {
        const int qualifies = n[i] - bright > pass.darkMargin;
        count += qualifies;
        sum += n[i] & -qualifies;
    }
    const int after = count >= pass.darkMinimum ? Mean(sum, count) : bright;
    *centre = static_cast<std::uint8_t>(after);
    return after != before;
}

#ifdef __SSE2__
// For the 16 positions from `centre` on, a bit set for each position that the
// bright or the dark step would change, judged on the values as they stand.
// Until the first such position nothing in the run changes, so the judgement
// is exact up to and including it.
inline unsigned CandidateMask(const std::uint8_t* centre, const long (&offsets)[8], const PassParameters& pass) {
    // SSE2 compares bytes as signed only; flipping the top bit makes that
    // order the unsigned one.
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(centre));
    // v - n > margin  <=>  n < v - margin; below 0 (saturated to 0) nothing qualifies.
    const __m128i brightBound = _mm_xor_si128(_mm_subs_epu8(v, _mm_set1_epi8(static_cast<char>(pass.brightMargin))), flip);
    // n - v > margin  <=>  n > v + margin; above 255 (saturated to 255) nothing qualifies.
    const __m128i darkBound = _mm_xor_si128(_mm_adds_epu8(v, _mm_set1_epi8(static_cast<char>(pass.darkMargin))), flip);
    __m128i brightCount = _mm_setzero_si128();
    __m128i darkCount = _mm_setzero_si128();
    for (long offset : offsets) {
        const __m128i n = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(centre + offset)), flip);
        brightCount = _mm_sub_epi8(brightCount, _mm_cmplt_epi8(n, brightBound));
        darkCount = _mm_sub_epi8(darkCount, _mm_cmpgt_epi8(n, darkBound));
    }
    const __m128i bright = _mm_cmpgt_epi8(brightCount, _mm_set1_epi8(static_cast<char>(pass.brightMinimum - 1)));
    const __m128i dark = _mm_cmpgt_epi8(darkCount, _mm_set1_epi8(static_cast<char>(pass.darkMinimum - 1)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(bright, dark)));
}
#endif

void DespeckleSweep(const PassParameters& pass) {
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

    const long offsets[8] = {-1, 1, w - 1, w + 1, w, -w - 1, -w + 1, -w};
    long p = first;
#ifdef __SSE2__
    // Judge 16 positions at once and examine only those that would change.
    // Of the positions after a changed one only the next reads it (as its
    // left neighbour; the others lie a row away, beyond the 16), so only that
    // judgement goes stale: that position is examined whatever its judgement,
    // and so on while samples keep changing.
    if (w > 17) {
        while (p + 15 <= last) {
            unsigned mask = CandidateMask(raw + p, offsets, pass);
            while (mask != 0) {
                int bit = std::countr_zero(mask);
                while (ExaminePosition(raw + p + bit, offsets, pass) && bit < 15) ++bit;
                mask &= ~0u << bit << 1;
            }
            p += 16;
        }
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
