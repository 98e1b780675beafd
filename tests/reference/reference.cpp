// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/reference/reference.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace dusk::reference {

std::int32_t LineTestWidth(const std::string& name, std::int32_t w) {
    const std::string six = name.size() >= 6 ? name.substr(0, 6) : std::string();
    for (const char* p : {"69_131", "69_141"}) {
        if (six == p) return 31;
    }
    for (const char* p : {"69_011", "69_021", "69_031"}) {
        if (six == p) return 134;
    }
    std::string upper = name;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (upper.size() >= 2 && upper.substr(0, 2) == "ED") return 134;
    if (upper.size() >= 3 && upper.substr(0, 3) == "JAC") return 134;
    return w - 2;
}

Raster RepairMissingLines(Raster r, std::int32_t w, std::int32_t h, const std::string& name) {
    const std::int32_t test = LineTestWidth(name, w);
    auto sum = [&](std::int32_t row) {
        std::int32_t s = 0;
        for (std::int32_t j = 2; j <= test + 1; ++j) {
            const auto k = static_cast<std::size_t>(row * w + j);
            s += k < r.size() ? r[k] : 0;
        }
        return s;
    };
    for (std::int32_t row = 1; row <= h - 2; ++row) {
        if (sum(row) == 0 && sum(row - 1) != 0 && sum(row + 1) != 0) {
            for (std::int32_t j = 2; j <= w - 1; ++j) {
                r[row * w + j] = static_cast<std::uint8_t>((r[(row - 1) * w + j] + r[(row + 1) * w + j]) / 2);
            }
        }
    }
    return r;
}

Raster Invert(Raster r, std::int32_t w, std::int32_t h) {
    for (std::int32_t k = 0; k < w * h; ++k) r[k] = static_cast<std::uint8_t>(255 - r[k]);
    return r;
}

void DespeckleSweep(Raster& raw, std::int32_t w, std::int32_t h, const PassRule& rule, std::int32_t first,
                    std::int32_t last) {
    const long offsets[8] = {-1, 1, w - 1, w + 1, w, -w - 1, -w + 1, -w};
    for (long p = w; p <= static_cast<long>(w) * (h + 1) - 1; ++p) {
        if (p + 1 < first || p + 1 > last) continue;
        int v = raw.at(static_cast<std::size_t>(p));
        int sum = 0;
        int count = 0;
        for (long off : offsets) {
            const int n = raw.at(static_cast<std::size_t>(p + off));
            if (v - n > rule.brightMargin) {
                ++count;
                sum += n;
            }
        }
        if (count >= rule.brightMinimum) {
            v = sum / count;
            raw[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(v);
        }
        sum = 0;
        count = 0;
        for (long off : offsets) {
            const int n = raw.at(static_cast<std::size_t>(p + off));
            if (n - v > rule.darkMargin) {
                ++count;
                sum += n;
            }
        }
        if (count >= rule.darkMinimum) raw[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(sum / count);
    }
}

Raster MapTones(Raster r, std::size_t n, Tone& t) {
    const std::int64_t base = t.optStretch == 1 ? 1 + static_cast<std::int64_t>(t.stretchGain) : 1;
    if (t.contrast < -base) t.contrast = static_cast<std::int32_t>(-base);
    const std::int64_t m = base + t.contrast;
    t.shading = std::clamp(t.shading, -7, 7);
    const std::int64_t s = t.shading;
    for (std::size_t k = 0; k < n; ++k) {
        const std::int64_t p = r[k];
        std::int64_t v = m == 0 ? static_cast<std::int64_t>(std::nearbyint(static_cast<double>(p) * 0.5)) : p * m;
        if (t.optStretch == 1) v -= 20 * static_cast<std::int64_t>(t.stretchOffset);
        v += t.brightness;
        if (s != 0) {
            const std::int64_t q = static_cast<std::int64_t>((k + 1) % 968);
            const std::int64_t d = 832 / (52 * std::llabs(s));
            if (s < 0) {
                std::int64_t ramp = q / d - 52 * std::llabs(s);
                if (ramp > 0) ramp = 0;
                v += ramp;
            } else {
                v -= q / d;
            }
        }
        r[k] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
    }
    return r;
}

Raster Reduce(const Raster& src, std::int32_t w, std::int32_t h, std::int32_t half, std::int32_t quarter) {
    int f = 0;
    if (quarter == 1) {
        f = 4;
    } else if (half == 1) {
        f = 2;
    } else {
        return src;
    }
    Raster out(src.size(), 160);
    for (std::int32_t y = 0; y < h / f; ++y) {
        for (std::int32_t x = 0; x < w / f; ++x) {
            int sum = 0;
            for (std::int32_t r = f * y; r < f * y + f; ++r) {
                for (std::int32_t c = f * x; c < f * x + f; ++c) sum += src.at(static_cast<std::size_t>(r * w + c));
            }
            const std::int32_t row = f == 2 ? y + h / 2 - 69 : y + 2 * (h / 4) + h / 8 - 69;
            const std::int32_t col = x + 400 - (w / f) / 2;
            if (row < 0 || row >= h || col < 0 || col >= w) continue;
            out[static_cast<std::size_t>(row * w + col)] = static_cast<std::uint8_t>(sum / (f * f));
        }
    }
    return out;
}

Raster BitmapFile(const Raster& raw, std::int32_t w, std::int32_t h) {
    const std::int64_t pixels = 3LL * w * h;
    const auto le = [](Raster& out, std::int64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    };
    // The sizes keep three bytes and the sides two, as every raster of the
    // collection fits them; the byte above stays 0.
    Raster out = {'B', 'M'};
    le(out, (54 + pixels) & 0xFFFFFF, 4);
    le(out, 0, 4);
    le(out, 54, 4);
    le(out, 40, 4);
    le(out, w & 0xFFFF, 4);
    le(out, h & 0xFFFF, 4);
    le(out, 1, 2);
    le(out, 24, 2);
    le(out, 0, 4);
    le(out, pixels & 0xFFFFFF, 4);
    out.resize(54, 0);
    for (std::int64_t k = 0; k < static_cast<std::int64_t>(w) * h; ++k) out.insert(out.end(), 3, raw.at(k));
    return out;
}

Raster AreaAverage(const Raster& src, int w, int h, int tw, int th) {
    // On a grid of w*tw by h*th units a source sample is tw x th units and a
    // target pixel w x h units.
    Raster out(static_cast<std::size_t>(tw * th));
    for (int y = 0; y < th; ++y) {
        for (int x = 0; x < tw; ++x) {
            std::int64_t sum = 0;
            for (int j = 0; j < h; ++j) {
                const std::int64_t dy = std::min<std::int64_t>((j + 1) * th, (y + 1) * h) - std::max(j * th, y * h);
                if (dy <= 0) continue;
                for (int i = 0; i < w; ++i) {
                    const std::int64_t dx = std::min<std::int64_t>((i + 1) * tw, (x + 1) * w) - std::max(i * tw, x * w);
                    if (dx > 0) sum += dx * dy * src[static_cast<std::size_t>(j * w + i)];
                }
            }
            const std::int64_t area = static_cast<std::int64_t>(w) * h;
            out[static_cast<std::size_t>(y * tw + x)] = static_cast<std::uint8_t>((2 * sum + area) / (2 * area));
        }
    }
    return out;
}

int SampleUnder(int position, int samples, int shown) {
    const std::int64_t at = static_cast<std::int64_t>(position) * samples;
    for (int i = 0; i < samples; ++i) {
        if (static_cast<std::int64_t>(i) * shown <= at && at < static_cast<std::int64_t>(i + 1) * shown) return i;
    }
    return -1;
}

Origin PictureOrigin(std::int32_t w, std::int32_t h, bool flipped, bool rotated, int reduction, std::int32_t x,
                     std::int32_t y) {
    Origin origin;
    if (x < 0 || y < 0 || x >= w || y >= h) return origin;
    // The sample number that lands at raster index k: each stage puts at k
    // what its input held where the reference stage takes it from.
    const std::int64_t n = static_cast<std::int64_t>(w) * h;
    const auto numberAt = [&](std::int64_t k) {
        if (rotated) k = n - 1 - k;  // Rotate: out[k] = r[n - 1 - k]
        if (flipped) k = (h - 1 - k / w) * w + k % w;  // Flip: out[row, col] = r[h - 1 - row, col]
        return k;
    };
    // The bitmap shows raster row 0 at the bottom.
    const std::int32_t row = h - 1 - y;
    std::vector<std::int64_t> block;
    if (reduction == 1) {
        block.push_back(numberAt(static_cast<std::int64_t>(row) * w + x));
    } else {
        // Which output sample of the reduction lands here, if any.
        const int f = reduction;
        std::int32_t outRow = -1;
        std::int32_t outColumn = -1;
        for (std::int32_t oy = 0; oy < h / f; ++oy) {
            if ((f == 2 ? oy + h / 2 - 69 : oy + 2 * (h / 4) + h / 8 - 69) == row) outRow = oy;
        }
        for (std::int32_t ox = 0; ox < w / f; ++ox) {
            if (ox + 400 - (w / f) / 2 == x) outColumn = ox;
        }
        if (outRow < 0 || outColumn < 0) {
            origin.kind = 1;
            return origin;
        }
        for (std::int32_t r = f * outRow; r < f * outRow + f; ++r) {
            for (std::int32_t c = f * outColumn; c < f * outColumn + f; ++c) {
                block.push_back(numberAt(static_cast<std::int64_t>(r) * w + c));
            }
        }
    }
    origin.kind = 2;
    origin.row = h;
    origin.column = w;
    for (const std::int64_t k : block) {
        origin.row = std::min(origin.row, static_cast<std::int32_t>(k / w));
        origin.column = std::min(origin.column, static_cast<std::int32_t>(k % w));
    }
    return origin;
}

}  // namespace dusk::reference
