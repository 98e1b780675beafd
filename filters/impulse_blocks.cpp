// SPDX-License-Identifier: GPL-3.0-or-later
// Impulse removal in blocks of 16 positions p .. p+15, with the in-order
// result.
//
// Why a block can be resolved at once: of the eight neighbours of a position
// only the left one can lie in the same block; the others lie a row away,
// and the rows are longer than 16. The three above were given their values
// before the block, the right one and the three below keep theirs until
// after it. So the new value of lane k is a function of the new value L of
// its left neighbour alone, x[k] = F_k(x[k-1]), with x[-1] the sample before
// the block, already final.
//
// Everything in F_k that does not involve L is worked out once for all 16
// lanes. Then rounds of x <- F(x shifted by one lane) run from a first guess.
// Lane 0 is exact after the first round, and lane k one round after lane
// k - 1, so at most 16 rounds make every lane exact. Fewer suffice: when a
// round changes no lane whose right neighbour's F depends on L, every lane
// satisfies x[k] = F_k(x[k-1]), and that has one solution, the in-order one.
#include "filters/impulse_blocks.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "filters/impulse_step.h"

namespace dusk::impulse {

#ifdef __SSE2__
namespace {

// 16 lanes widened to 16 bits, in two halves.
struct Wide {
    __m128i lo;
    __m128i hi;
};

inline Wide Widen(__m128i bytes) {
    const __m128i zero = _mm_setzero_si128();
    return {_mm_unpacklo_epi8(bytes, zero), _mm_unpackhi_epi8(bytes, zero)};
}

inline Wide operator+(Wide a, Wide b) { return {_mm_add_epi16(a.lo, b.lo), _mm_add_epi16(a.hi, b.hi)}; }

inline Wide Plus(Wide a, int k) {
    const __m128i add = _mm_set1_epi16(static_cast<short>(k));
    return {_mm_add_epi16(a.lo, add), _mm_add_epi16(a.hi, add)};
}

inline __m128i Load(const std::uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// a where mask is set, else b.
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// SSE2 compares bytes as signed only; flipping the top bit makes that order
// the unsigned one.
inline __m128i Flip(__m128i bytes) { return _mm_xor_si128(bytes, _mm_set1_epi8(static_cast<char>(0x80))); }

// Byte counts (0 to 8) against a constant.
inline __m128i AtLeast(__m128i counts, int least) {
    return _mm_cmpgt_epi8(counts, _mm_set1_epi8(static_cast<char>(least - 1)));
}

// Lanes whose value differs from the last round's, as bits.
inline unsigned Changed(__m128i next, __m128i x) {
    return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(next, x))) & 0xFFFFu;
}

// floor(s * kWideReciprocal[c] / 2^16) == floor(s / c) for every sum s of up
// to eight samples and c = 2 to 8: with kWideReciprocal[c] = (2^16 + e) / c,
// e < c, the product exceeds s / c by s * e / (c * 2^16) < 1 / c.
constexpr std::uint16_t kWideReciprocal[9] = {0, 0, 32768, 21846, 16384, 13108, 10923, 9363, 8192};

constexpr bool WideReciprocalsExact() {
    for (unsigned c = 2; c <= 8; ++c) {
        for (unsigned s = 0; s <= 8 * 255; ++s) {
            if ((s * kWideReciprocal[c]) >> 16 != s / c) return false;
        }
    }
    return true;
}
static_assert(WideReciprocalsExact());

// The reciprocal of each count that lies from Lowest to Highest; anything
// for the others, whose quotient is not used. Counts over the seven
// neighbours other than the left one go up to 7, with it up to 8.
template <int Lowest, int Highest>
inline Wide Reciprocals(Wide counts) {
    static_assert(2 <= Lowest && Lowest <= Highest && Highest <= 8, "a count of 1 has no 16-bit reciprocal");
    const __m128i top = _mm_set1_epi16(static_cast<short>(kWideReciprocal[Highest]));
    Wide r{top, top};
    for (int k = Lowest; k < Highest; ++k) {
        const __m128i change = _mm_set1_epi16(static_cast<short>(kWideReciprocal[k] ^ kWideReciprocal[Highest]));
        const __m128i key = _mm_set1_epi16(static_cast<short>(k));
        r.lo = _mm_xor_si128(r.lo, _mm_and_si128(_mm_cmpeq_epi16(counts.lo, key), change));
        r.hi = _mm_xor_si128(r.hi, _mm_and_si128(_mm_cmpeq_epi16(counts.hi, key), change));
    }
    return r;
}

inline __m128i Quotient(Wide sum, Wide reciprocal) {
    return _mm_packus_epi16(_mm_mulhi_epu16(sum.lo, reciprocal.lo), _mm_mulhi_epu16(sum.hi, reciprocal.hi));
}

// The tolerant pass (6 of 8 for the bright step, 7 of 8 for the dark).
// Over the seven neighbours other than L: cb and sb, the count and sum of
// those more than the bright margin below v; b0, the bright step's result
// without L (their mean if cb reaches the minimum, else v); cd and sd, the
// count and sum of those more than the dark margin above b0. Then:
// - L joins the bright step when it lies more than the margin below v and
//   cb + 1 reaches the minimum: the bright result is b1 = (sb + L) / (cb + 1).
//   The dark step against b1 replaces it only in rare shapes; a block with
//   one hands all its positions to the in-order step.
// - Otherwise the bright result is b0 (below v but cb + 1 short of the
//   minimum, L leaves v, which is b0), and L counts in the dark step when it
//   lies more than the margin above b0.
class TolerantBlock {
    static constexpr int kBright = kTolerantBrightMinimum;
    static constexpr int kDark = kTolerantDarkMinimum;
    static_assert(kBright <= 7 && kDark == 7, "the test for a second replacement counts on 7 of 8");

public:
    TolerantBlock(const Neighbours& around, int brightMargin, int darkMargin)
        : around_(around),
          brightMargin_(_mm_set1_epi8(static_cast<char>(brightMargin))),
          darkMargin_(_mm_set1_epi8(static_cast<char>(darkMargin))) {}

    // Whether no lane can change, whatever L: fewer than the minimum less
    // one of the seven lie more than the bright margin below v, so the
    // bright step leaves v, and fewer than the minimum less one lie more than
    // the dark margin above v. Cheaper than Prepare, and true of most blocks
    // of a lightly speckled image; such a block is left as it is.
    bool Unchanged(const std::uint8_t* centre) const {
        const __m128i v = Load(centre);
        const __m128i brightBound = Flip(_mm_subs_epu8(v, brightMargin_));
        const __m128i darkBound = Flip(_mm_adds_epu8(v, darkMargin_));
        __m128i cb = _mm_setzero_si128();
        __m128i cd = cb;
        for (int i = 1; i < 8; ++i) {
            const __m128i n = Flip(Load(centre + around_.offsets[i]));
            cb = _mm_sub_epi8(cb, _mm_cmplt_epi8(n, brightBound));
            cd = _mm_sub_epi8(cd, _mm_cmpgt_epi8(n, darkBound));
        }
        return _mm_movemask_epi8(_mm_or_si128(AtLeast(cb, kBright - 1), AtLeast(cd, kDark - 1))) == 0;
    }

    // What F does not take from L.
    struct Terms {
        __m128i brightBound;  // flipped: L joins the bright step below it
        __m128i joinable;     // cb + 1 reaches the bright minimum
        Wide sb;
        Wide joinReciprocal;  // of cb + 1
        __m128i darkBound;    // flipped: L counts in the dark step above it
        __m128i darkWithLeft;  // cd + 1 reaches the dark minimum
        Wide sd;
        Wide darkWithLeftReciprocal;  // of cd + 1
        __m128i r0;                   // F where L takes part in neither step
        __m128i darkestFlipped;       // the darkest of the seven
        __m128i secondDarkestFlipped;  // and the next
        unsigned dependsOnLeft;        // lanes whose F depends on L at all
    };

    Terms Prepare(const std::uint8_t* centre) const {
        const __m128i zero = _mm_setzero_si128();
        Terms t;
        const __m128i v = Load(centre);
        // v - n > margin <=> n < v - margin; saturated at 0, nothing qualifies.
        const __m128i brightLimit = _mm_subs_epu8(v, brightMargin_);
        t.brightBound = Flip(brightLimit);
        __m128i n[7];
        __m128i cb = zero;
        t.sb = {zero, zero};
        __m128i darkest = _mm_set1_epi8(-1);
        __m128i secondDarkest = darkest;
        for (int i = 0; i < 7; ++i) {
            n[i] = Load(centre + around_.offsets[i + 1]);
            const __m128i q = _mm_cmplt_epi8(Flip(n[i]), t.brightBound);
            cb = _mm_sub_epi8(cb, q);
            t.sb = t.sb + Widen(_mm_and_si128(n[i], q));
            secondDarkest = _mm_min_epu8(secondDarkest, _mm_max_epu8(darkest, n[i]));
            darkest = _mm_min_epu8(darkest, n[i]);
        }
        t.darkestFlipped = Flip(darkest);
        t.secondDarkestFlipped = Flip(secondDarkest);
        const Wide cbWide = Widen(cb);
        const __m128i b0 = Select(AtLeast(cb, kBright), Quotient(t.sb, Reciprocals<kBright, 7>(cbWide)), v);

        // n - b0 > margin <=> n > b0 + margin; saturated at 255, nothing qualifies.
        const __m128i darkLimit = _mm_adds_epu8(b0, darkMargin_);
        t.darkBound = Flip(darkLimit);
        __m128i cd = zero;
        t.sd = {zero, zero};
        for (int i = 0; i < 7; ++i) {
            const __m128i q = _mm_cmpgt_epi8(Flip(n[i]), t.darkBound);
            cd = _mm_sub_epi8(cd, q);
            t.sd = t.sd + Widen(_mm_and_si128(n[i], q));
        }
        const Wide cdWide = Widen(cd);
        t.r0 = Select(AtLeast(cd, kDark), Quotient(t.sd, Reciprocals<kDark, 7>(cdWide)), b0);
        t.darkWithLeft = AtLeast(cd, kDark - 1);
        t.darkWithLeftReciprocal = Reciprocals<kDark, 8>(Plus(cdWide, 1));
        t.joinable = AtLeast(cb, kBright - 1);
        t.joinReciprocal = Reciprocals<kBright, 8>(Plus(cbWide, 1));

        // F depends on L where L can join the bright step (some L lies below
        // v - margin) or count in the dark step (some L lies above b0 +
        // margin); elsewhere F is r0.
        const __m128i canJoin = _mm_andnot_si128(_mm_cmpeq_epi8(brightLimit, zero), t.joinable);
        const __m128i canDark = _mm_andnot_si128(_mm_cmpeq_epi8(darkLimit, _mm_set1_epi8(-1)), t.darkWithLeft);
        t.dependsOnLeft = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(canJoin, canDark)));
        return t;
    }

    // Stores the 16 values. Returns false, leaving them untouched, where L
    // joins a bright step whose result the dark step replaces again.
    bool Resolve(const Terms& t, std::uint8_t* centre) const {
        const __m128i before = _mm_cvtsi32_si128(centre[-1]);
        // r0 is the first guess: where F does not depend on L it is final.
        __m128i x = t.r0;
        __m128i leftFlipped;
        __m128i join;
        __m128i b1;
        for (;;) {
            const __m128i left = _mm_or_si128(_mm_slli_si128(x, 1), before);
            leftFlipped = Flip(left);
            join = _mm_and_si128(t.joinable, _mm_cmplt_epi8(leftFlipped, t.brightBound));
            const __m128i dark = _mm_and_si128(t.darkWithLeft, _mm_cmpgt_epi8(leftFlipped, t.darkBound));
            const Wide leftWide = Widen(left);
            b1 = Quotient(t.sb + leftWide, t.joinReciprocal);
            const __m128i darkMean = Quotient(t.sd + leftWide, t.darkWithLeftReciprocal);
            const __m128i next = Select(join, b1, Select(dark, darkMean, t.r0));
            const unsigned changed = Changed(next, x);
            x = next;
            if (((changed << 1) & t.dependsOnLeft) == 0) break;
        }
        // Where L joined, the dark step replaces b1 when at least 7 of the
        // eight lie above b1 + margin: all seven others, or the six brightest
        // of them and L. The last round's L is final wherever F depends on
        // it, and only there can L join.
        const __m128i bound = Flip(_mm_adds_epu8(b1, darkMargin_));
        const __m128i sixAndLeft =
            _mm_and_si128(_mm_cmpgt_epi8(t.secondDarkestFlipped, bound), _mm_cmpgt_epi8(leftFlipped, bound));
        const __m128i again = _mm_or_si128(_mm_cmpgt_epi8(t.darkestFlipped, bound), sixAndLeft);
        if (_mm_movemask_epi8(_mm_and_si128(join, again)) != 0) return false;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(centre), x);
        return true;
    }

private:
    const Neighbours& around_;
    __m128i brightMargin_;
    __m128i darkMargin_;
};

// The strict pass, where all eight neighbours must differ: the bright step
// replaces v by the mean of all eight when the brightest of them lies more
// than the margin below v, and the dark step cannot replace that again (not
// all eight lie above their own mean); otherwise the dark step replaces v by
// the mean of all eight when the darkest lies more than the margin above v.
// So the seven neighbours other than L come down to their darkest, their
// brightest and their sum, and the rounds are short.
class StrictBlock {
public:
    StrictBlock(const Neighbours& around, int margin)
        : around_(around), margin_(_mm_set1_epi8(static_cast<char>(margin))) {}

    struct Terms {
        __m128i v;
        __m128i brightBound;      // flipped: all eight must lie below it
        __m128i darkBound;        // flipped: all eight must lie above it
        __m128i brightCandidate;  // the seven lie below brightBound
        __m128i darkCandidate;    // the seven lie above darkBound
        Wide sum;                 // of the seven
        unsigned dependsOnLeft;   // a candidate either way
    };

    Terms Prepare(const std::uint8_t* centre) const {
        const __m128i zero = _mm_setzero_si128();
        Terms t;
        t.v = Load(centre);
        __m128i darkest = _mm_set1_epi8(-1);
        __m128i brightest = zero;
        t.sum = {zero, zero};
        for (int i = 1; i < 8; ++i) {
            const __m128i n = Load(centre + around_.offsets[i]);
            darkest = _mm_min_epu8(darkest, n);
            brightest = _mm_max_epu8(brightest, n);
            t.sum = t.sum + Widen(n);
        }
        // Saturated at 0 and 255, the bounds let nothing qualify.
        t.brightBound = Flip(_mm_subs_epu8(t.v, margin_));
        t.darkBound = Flip(_mm_adds_epu8(t.v, margin_));
        t.brightCandidate = _mm_cmplt_epi8(Flip(brightest), t.brightBound);
        t.darkCandidate = _mm_cmpgt_epi8(Flip(darkest), t.darkBound);
        t.dependsOnLeft = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(t.brightCandidate, t.darkCandidate)));
        return t;
    }

    // Prepare is as cheap as a test whether any lane can change.
    bool Unchanged(const std::uint8_t*) const { return false; }

    // One round even where no lane depends on L (then v stays): cheaper
    // than a branch that half the blocks take.
    bool Resolve(const Terms& t, std::uint8_t* centre) const {
        const __m128i before = _mm_cvtsi32_si128(centre[-1]);
        __m128i x = t.v;
        for (;;) {
            const __m128i left = _mm_or_si128(_mm_slli_si128(x, 1), before);
            const __m128i leftFlipped = Flip(left);
            const __m128i replaced =
                _mm_or_si128(_mm_and_si128(t.brightCandidate, _mm_cmplt_epi8(leftFlipped, t.brightBound)),
                             _mm_and_si128(t.darkCandidate, _mm_cmpgt_epi8(leftFlipped, t.darkBound)));
            const Wide total = t.sum + Widen(left);
            const __m128i mean = _mm_packus_epi16(_mm_srli_epi16(total.lo, 3), _mm_srli_epi16(total.hi, 3));
            const __m128i next = Select(replaced, mean, t.v);
            const unsigned changed = Changed(next, x);
            x = next;
            if (((changed << 1) & t.dependsOnLeft) == 0) break;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(centre), x);
        return true;
    }

private:
    const Neighbours& around_;
    __m128i margin_;
};

template <class Block>
long ResolveBlocks(const Block& block, std::uint8_t* raw, long p, long last, const Neighbours& around,
                   const PassParameters& pass) {
    // The test for an unchanged block pays where speckle is sparse: it is
    // made after a block that was unchanged or had no lane depending on L.
    bool test = true;
    for (; p + 15 <= last; p += 16) {
        if (test && block.Unchanged(raw + p)) continue;
        const auto terms = block.Prepare(raw + p);
        test = terms.dependsOnLeft == 0;
        if (block.Resolve(terms, raw + p)) continue;
        for (int k = 0; k < 16; ++k) ExaminePosition(raw + p + k, around, pass);
    }
    return p;
}

}  // namespace

long ResolveTolerantBlocks(std::uint8_t* raw, long first, long last, long w, int brightMargin, int darkMargin) {
    if (w <= 16) return first;
    const Neighbours around(w);
    const PassParameters pass{brightMargin, kTolerantBrightMinimum, darkMargin, kTolerantDarkMinimum};
    return ResolveBlocks(TolerantBlock(around, brightMargin, darkMargin), raw, first, last, around, pass);
}

long ResolveStrictBlocks(std::uint8_t* raw, long first, long last, long w, int margin) {
    if (w <= 16) return first;
    const Neighbours around(w);
    const PassParameters pass{margin, kStrictMinimum, margin, kStrictMinimum};
    return ResolveBlocks(StrictBlock(around, margin), raw, first, last, around, pass);
}

#else

long ResolveTolerantBlocks(std::uint8_t*, long first, long, long, int, int) { return first; }
long ResolveStrictBlocks(std::uint8_t*, long first, long, long, int) { return first; }

#endif

}  // namespace dusk::impulse
