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

// Along one axis of n source samples shrunk to t, target pixel x on the same
// scale: the first and last source samples it touches, the weights of
// those two, and between them whole samples of weight t each.
struct Span {
    int first;
    int last;
    std::int64_t firstWeight;
    std::int64_t lastWeight;
};

std::vector<Span> Spans(int n, int t) {
    std::vector<Span> spans(static_cast<std::size_t>(t));
    for (int x = 0; x < t; ++x) {
        const std::int64_t from = static_cast<std::int64_t>(x) * n;
        const std::int64_t to = from + n;
        Span& span = spans[static_cast<std::size_t>(x)];
        span.first = static_cast<int>(from / t);
        span.last = static_cast<int>((to - 1) / t);
        if (span.first == span.last) {
            span.firstWeight = n;
            span.lastWeight = 0;
        } else {
            span.firstWeight = static_cast<std::int64_t>(span.first + 1) * t - from;
            span.lastWeight = to - static_cast<std::int64_t>(span.last) * t;
        }
    }
    return spans;
}

// The weighted sums of one source row into each target pixel of its row.
void SumAcross(const std::uint8_t* row, const std::vector<Span>& spans, int t, std::vector<std::int64_t>& sums) {
    for (std::size_t x = 0; x < spans.size(); ++x) {
        const Span& span = spans[x];
        std::int64_t sum = span.firstWeight * row[span.first];
        if (span.last != span.first) {
            std::uint32_t whole = 0;  // at most 255 times the row's width
            for (int i = span.first + 1; i < span.last; ++i) whole += row[i];
            sum += static_cast<std::int64_t>(whole) * t + span.lastWeight * row[span.last];
        }
        sums[x] = sum;
    }
}

}  // namespace

void AreaAverage(const std::uint8_t* source, int w, int h, std::uint8_t* target, int tw, int th) {
    const std::vector<Span> across = Spans(w, tw);
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
                SumAcross(row, across, tw, rowSums);
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
