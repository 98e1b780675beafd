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

// The weighted sums of one source row (a sample every `step` bytes) into the
// target pixels [x0, x1) of its row.
template <int Step>
void SumAcross(const std::uint8_t* row, const std::vector<Span>& spans, int t, int x0, int x1,
               std::vector<std::int64_t>& sums) {
    for (int x = x0; x < x1; ++x) {
        const Span& span = spans[static_cast<std::size_t>(x)];
        std::int64_t sum = span.firstWeight * row[static_cast<std::size_t>(span.first) * Step];
        if (span.last != span.first) {
            std::uint32_t whole = 0;  // at most 255 times the row's width
            for (int i = span.first + 1; i < span.last; ++i) whole += row[static_cast<std::size_t>(i) * Step];
            sum += static_cast<std::int64_t>(whole) * t + span.lastWeight * row[static_cast<std::size_t>(span.last) * Step];
        }
        sums[static_cast<std::size_t>(x)] = sum;
    }
}

template <int Step>
void Average(const std::uint8_t* source, int w, int h, std::size_t stride, std::uint8_t* target, int tw, int th,
             int x0, int y0, int x1, int y1) {
    const std::vector<Span> across = Spans(w, tw);
    const std::vector<Piece> down = Pieces(h, th);
    // Weighted sums of one target row, then of the rows into it; the total
    // weight of a target pixel is w * h. The pieces run in target order.
    std::vector<std::int64_t> rowSums(static_cast<std::size_t>(tw));
    std::vector<std::int64_t> sums(static_cast<std::size_t>(tw));
    const std::int64_t total = static_cast<std::int64_t>(w) * h;
    std::size_t piece = 0;
    while (piece < down.size() && down[piece].target < y0) ++piece;
    int summed = -1;  // the source row rowSums holds; a row shared by two target rows is summed once
    for (int y = y0; y < y1; ++y) {
        std::fill(sums.begin() + x0, sums.begin() + x1, 0);
        for (; piece < down.size() && down[piece].target == y; ++piece) {
            if (down[piece].source != summed) {
                summed = down[piece].source;
                SumAcross<Step>(source + static_cast<std::size_t>(summed) * stride, across, tw, x0, x1, rowSums);
            }
            for (int x = x0; x < x1; ++x) {
                sums[static_cast<std::size_t>(x)] += down[piece].weight * rowSums[static_cast<std::size_t>(x)];
            }
        }
        std::uint8_t* out = target + static_cast<std::size_t>(y) * static_cast<std::size_t>(tw);
        for (int x = x0; x < x1; ++x) {
            out[x] = static_cast<std::uint8_t>((2 * sums[static_cast<std::size_t>(x)] + total) / (2 * total));
        }
    }
}

}  // namespace

void AreaAverage(const std::uint8_t* source, int w, int h, std::uint8_t* target, int tw, int th) {
    Average<1>(source, w, h, static_cast<std::size_t>(w), target, tw, th, 0, 0, tw, th);
}

void AreaAveragePart(const std::uint8_t* source, int w, int h, std::size_t stride, int step, std::uint8_t* target,
                     int tw, int th, int x0, int y0, int x1, int y1) {
    x0 = std::clamp(x0, 0, tw);
    x1 = std::clamp(x1, x0, tw);
    y0 = std::clamp(y0, 0, th);
    y1 = std::clamp(y1, y0, th);
    if (step == 4) {
        Average<4>(source, w, h, stride, target, tw, th, x0, y0, x1, y1);
    } else {
        Average<1>(source, w, h, stride, target, tw, th, x0, y0, x1, y1);
    }
}

}  // namespace dusk
