// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/area_average.h"

#include <algorithm>
#include <vector>

namespace dusk {

namespace {

// Along one axis of n source samples shrunk to t: on a scale where source
// sample i spans [i*t, (i+1)*t) and target pixel x spans [x*n, (x+1)*n),
// the pieces each source sample gives, as (target, weight) in order. Each
// target pixel's weights add up to n.
struct Piece {
    int target;
    int source;
    std::int64_t weight;
};

std::vector<Piece> Pieces(int n, int t) {
    std::vector<Piece> pieces;
    pieces.reserve(static_cast<std::size_t>(n) + static_cast<std::size_t>(t));
    for (int i = 0; i < n; ++i) {
        const std::int64_t start = static_cast<std::int64_t>(i) * t;
        const std::int64_t end = start + t;
        for (auto x = static_cast<int>(start / n); x < t && static_cast<std::int64_t>(x) * n < end; ++x) {
            const std::int64_t from = std::max<std::int64_t>(start, static_cast<std::int64_t>(x) * n);
            const std::int64_t to = std::min<std::int64_t>(end, static_cast<std::int64_t>(x + 1) * n);
            if (to > from) pieces.push_back({x, i, to - from});
        }
    }
    return pieces;
}

}  // namespace

void AreaAverage(const std::uint8_t* source, int w, int h, std::uint8_t* target, int tw, int th) {
    const std::vector<Piece> across = Pieces(w, tw);
    const std::vector<Piece> down = Pieces(h, th);
    // Weighted sums of one target row, then of the rows into it; the total
    // weight of a target pixel is w * h.
    std::vector<std::int64_t> rowSums(static_cast<std::size_t>(tw));
    std::vector<std::int64_t> sums(static_cast<std::size_t>(tw));
    const std::int64_t total = static_cast<std::int64_t>(w) * h;
    std::size_t piece = 0;
    int summed = -1;  // the source row rowSums holds; a row shared by two target rows is summed once
    for (int y = 0; y < th; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (; piece < down.size() && down[piece].target == y; ++piece) {
            if (down[piece].source != summed) {
                summed = down[piece].source;
                const std::uint8_t* row = source + static_cast<std::size_t>(summed) * static_cast<std::size_t>(w);
                std::fill(rowSums.begin(), rowSums.end(), 0);
                for (const Piece& p : across) rowSums[static_cast<std::size_t>(p.target)] += p.weight * row[p.source];
            }
            for (int x = 0; x < tw; ++x) sums[static_cast<std::size_t>(x)] += down[piece].weight * rowSums[static_cast<std::size_t>(x)];
        }
        std::uint8_t* out = target + static_cast<std::size_t>(y) * static_cast<std::size_t>(tw);
        for (int x = 0; x < tw; ++x) {
            out[x] = static_cast<std::uint8_t>((2 * sums[static_cast<std::size_t>(x)] + total) / (2 * total));
        }
    }
}

}  // namespace dusk
