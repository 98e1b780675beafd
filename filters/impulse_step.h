// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The in-order impulse-removal step at one position, shared by the sweep and
// the block resolver's fallback.

#include <cstdint>

namespace dusk::impulse {

// The rules of the two passes: how many of the eight neighbours must lie
// more than a margin below (bright step) or above (dark step) a sample.
inline constexpr int kTolerantBrightMinimum = 6;
inline constexpr int kTolerantDarkMinimum = 7;
inline constexpr int kStrictMinimum = 8;
inline constexpr int kStrictMargin = 5;

struct PassParameters {
    int brightMargin;
    int brightMinimum;
    int darkMargin;
    int darkMinimum;
};

// floor(sum / count) == (sum * kReciprocal[count]) >> 20 for every sum of up
// to eight samples (at most 2040) and count 1 to 8; count 0 gives 0.
inline constexpr std::uint32_t kReciprocal[9] = {0,
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

// The eight neighbour offsets for rows of w samples, the left one first.
struct Neighbours {
    explicit Neighbours(long w) : offsets{-1, 1, w - 1, w + 1, w, -w - 1, -w + 1, -w} {}
    long offsets[8];
};

// Examines one position: bright step, then dark step against its result.
// The counts are free of branches, as with speckle the comparisons are close
// to random.
inline void ExaminePosition(std::uint8_t* centre, const Neighbours& around, const PassParameters& pass) {
    int n[8];
    for (int i = 0; i < 8; ++i) n[i] = centre[around.offsets[i]];

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
    *centre = static_cast<std::uint8_t>(count >= pass.darkMinimum ? Mean(sum, count) : bright);
}

}  // namespace dusk::impulse
