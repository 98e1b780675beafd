// SPDX-License-Identifier: GPL-3.0-or-later
// The scene is built as two fields over the whole raster: the height of the
// ground in metres, which the radar sees through its slopes, and a
// backscatter factor (about 1 on the plains: rough ground is brighter,
// smooth lava darker). The landforms add to them one after another; the
// radar image is their product with speckle.
#include "tools/samples/radar_scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "tools/samples/random_fields.h"

namespace dusk::samples {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

struct Terrain {
    Terrain(int width, int height)
        : w(width),
          h(height),
          ground(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)),
          backscatter(ground.size()) {}
    std::size_t At(int x, int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x; }
    int w;
    int h;
    std::vector<float> ground;       // metres
    std::vector<float> backscatter;  // factor, about 1 on the plains
};

// Calls visit(x, y) for every sample within `reach` of (cx, cy), inside the raster.
template <typename Visit>
void AroundPoint(const Terrain& t, float cx, float cy, float reach, Visit visit) {
    const int x0 = std::max(0, static_cast<int>(std::floor(cx - reach)));
    const int x1 = std::min(t.w - 1, static_cast<int>(std::ceil(cx + reach)));
    const int y0 = std::max(0, static_cast<int>(std::floor(cy - reach)));
    const int y1 = std::min(t.h - 1, static_cast<int>(std::ceil(cy + reach)));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) visit(x, y);
    }
}

// Samples a lattice in a turned frame, so that its grid does not show.
struct Turned {
    float c;
    float s;
    float offset;
    float X(float x, float y) const { return x * c + y * s; }
    float Y(float x, float y) const { return y * c - x * s + offset; }
};

// The plains: broad units of different brightness with soft lobate edges,
// gentle relief, fine texture and, in places, sinuous wrinkle ridges and
// hilly ground. The
// slowly varying parts are worked out on a coarse grid and interpolated.
void PaintPlains(Random& random, Terrain& t) {
    const float span = static_cast<float>(t.w + t.h + 64);
    const Turned a{0.96f, 0.28f, 0.28f * static_cast<float>(t.w) + 8.0f};
    const Turned b{0.60f, 0.80f, 0.80f * static_cast<float>(t.w) + 8.0f};
    const Turned c{0.28f, 0.96f, 0.96f * static_cast<float>(t.w) + 8.0f};
    const Lattice broad(random, span, span, 460.0f);
    const Lattice middle(random, span, span, 140.0f);
    const Lattice small(random, span, span, 38.0f);
    const Lattice units(random, span, span, 300.0f);
    const Lattice unitEdges(random, span, span, 45.0f);
    const Lattice relief(random, span, span, 320.0f);
    const Lattice hills(random, span, span, 60.0f);
    const Lattice warp(random, span, span, 110.0f);
    const Lattice gate(random, span, span, 260.0f);
    const Lattice breaks(random, span, span, 24.0f);
    const TiledLattice fine(random, 3.5f);
    const TiledLattice grain(random, 9.0f);
    const Lattice hillGate(random, span, span, 200.0f);
    const TiledLattice knobs(random, 7.0f);

    constexpr int kStep = 8;
    const int gw = t.w / kStep + 2;
    const int gh = t.h / kStep + 2;
    constexpr int kFields = 5;  // backscatter, ground, ridge phase warp, ridge strength, hills
    std::vector<float> coarse(static_cast<std::size_t>(gw) * gh * kFields);
    for (int gy = 0; gy < gh; ++gy) {
        for (int gx = 0; gx < gw; ++gx) {
            const float x = static_cast<float>(gx * kStep);
            const float y = static_cast<float>(gy * kStep);
            const float unit = units.At(a.X(x, y), a.Y(x, y)) + 0.3f * (unitEdges.At(b.X(x, y), b.Y(x, y)) - 0.5f);
            const float bright = SmoothStep(0.42f, 0.58f, unit);
            const float dark = SmoothStep(0.36f, 0.24f, unit);
            const float mottle = 0.55f * broad.At(c.X(x, y), c.Y(x, y)) + 0.30f * middle.At(a.X(x, y), a.Y(x, y)) +
                                 0.15f * small.At(b.X(x, y), b.Y(x, y));
            float* cell = &coarse[(static_cast<std::size_t>(gy) * gw + gx) * kFields];
            cell[0] = (0.92f + 0.24f * bright - 0.2f * dark) * (0.78f + 0.44f * mottle);
            cell[1] = 700.0f * relief.At(b.X(x, y), b.Y(x, y)) + 450.0f * hills.At(c.X(x, y), c.Y(x, y));
            cell[2] = 2.2f * warp.At(a.X(x, y), a.Y(x, y));
            cell[3] = SmoothStep(0.5f, 0.75f, gate.At(c.X(x, y), c.Y(x, y))) *
                      SmoothStep(0.35f, 0.6f, breaks.At(b.X(x, y), b.Y(x, y)));
            cell[4] = SmoothStep(0.6f, 0.8f, hillGate.At(a.X(x, y), a.Y(x, y)));
        }
    }

    // Wrinkle ridges run across the direction of the (former) compression.
    const float ridgeAngle = random.Range(0.2f, 1.2f);
    const float ridgeC = std::cos(ridgeAngle) / 34.0f;
    const float ridgeS = std::sin(ridgeAngle) / 34.0f;
    std::vector<float> row(static_cast<std::size_t>(gw) * kFields);
    for (int y = 0; y < t.h; ++y) {
        const int gy = y / kStep;
        const float ty = static_cast<float>(y % kStep) / kStep;
        const float* top = &coarse[static_cast<std::size_t>(gy) * gw * kFields];
        const float* bottom = top + static_cast<std::size_t>(gw) * kFields;
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = top[i] + (bottom[i] - top[i]) * ty;
        const float fy = static_cast<float>(y);
        for (int x = 0; x < t.w; ++x) {
            const int gx = x / kStep;
            const float tx = static_cast<float>(x % kStep) / kStep;
            const float* left = &row[static_cast<std::size_t>(gx) * kFields];
            const float* right = left + kFields;
            float v[kFields];
            for (int f = 0; f < kFields; ++f) v[f] = left[f] + (right[f] - left[f]) * tx;
            const float fx = static_cast<float>(x);
            const float ridge = std::max(0.0f, Triangle(fx * ridgeC + fy * ridgeS + v[2]) - 0.82f) * (1.0f / 0.18f);
            const float texture = fine.At(fx, fy);
            const std::size_t k = t.At(x, y);
            float z = v[1] + 40.0f * texture + 150.0f * v[3] * ridge * ridge;
            if (v[4] > 0.0f) {
                // Hilly ground: scattered knobs.
                z += 300.0f * v[4] * SmoothStep(0.55f, 0.9f, knobs.At(b.X(fx, fy), b.Y(fx, fy)));
            }
            t.ground[k] = z;
            t.backscatter[k] = v[0] * (0.9f + 0.2f * grain.At(fx, fy));
        }
    }
}

// A ridge belt: a band, gently bent, of closely spaced parallel ridges that
// break into segments along their length, on rougher ground.
void AddRidgeBelt(Random& random, Terrain& t) {
    const float span = static_cast<float>(t.w + t.h);
    const float px = random.Range(0.2f, 0.8f) * static_cast<float>(t.w);
    const float py = random.Range(0.2f, 0.8f) * static_cast<float>(t.h);
    const float angle = random.Range(-0.9f, 0.9f) + (random.Unit() < 0.5f ? 0.0f : kPi * 0.5f);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float bend = random.Range(80.0f, 220.0f);
    const float bendWave = random.Range(2400.0f, 4000.0f);
    const float bendPhase = random.Range(0.0f, 2.0f * kPi);
    const float halfWidth = random.Range(60.0f, 110.0f);
    const float spacing = random.Range(9.0f, 14.0f);
    const float ridgeHeight = random.Range(260.0f, 400.0f);
    const Lattice widthNoise(random, 2.0f * span + 8.0f, 8.0f, 120.0f);
    const Lattice wobble(random, 2.0f * span + 8.0f, 4.0f * halfWidth + 8.0f, 60.0f);
    const Lattice segments(random, 0.25f * (2.0f * span) + 8.0f, 4.0f * halfWidth + 8.0f, 9.0f);
    const float reach = 1.7f * halfWidth + bend;
    for (int y = 0; y < t.h; ++y) {
        const float dy = static_cast<float>(y) - py;
        // The samples of the row within `reach` of the belt's straight axis.
        int x0 = 0;
        int x1 = t.w - 1;
        if (std::fabs(s) > 1e-3f) {
            const float a = px + (dy * c - reach) / s;
            const float b = px + (dy * c + reach) / s;
            x0 = std::max(0, static_cast<int>(std::floor(std::min(a, b))));
            x1 = std::min(t.w - 1, static_cast<int>(std::ceil(std::max(a, b))));
        } else if (std::fabs(dy * c) > reach) {
            continue;
        }
        for (int x = x0; x <= x1; ++x) {
            const float dx = static_cast<float>(x) - px;
            const float straight = dy * c - dx * s;
            if (std::fabs(straight) > reach) continue;
            const float along = dx * c + dy * s;
            const float across = straight - bend * std::sin(along / bendWave * 2.0f * kPi + bendPhase);
            const float width = halfWidth * (0.6f + 0.8f * widthNoise.At(along + span, 4.0f));
            const float inside = 1.0f - (across / width) * (across / width);
            if (inside <= 0.0f) continue;
            const float u = across + 2.0f * halfWidth + 2.0f;
            if (u < 0.0f || u > 4.0f * halfWidth + 4.0f) continue;
            const float phase = across / spacing + 2.5f * wobble.At(along + span, u);
            const float r = Triangle(phase);
            const float segment = SmoothStep(0.3f, 0.7f, segments.At(0.25f * (along + span), u));
            const float envelope = std::sqrt(inside);
            const std::size_t k = t.At(x, y);
            t.ground[k] += ridgeHeight * envelope * r * r * (0.15f + 0.85f * segment);
            t.backscatter[k] *= 1.0f + 0.45f * envelope * (0.4f + 0.6f * segment);
        }
    }
}

// A tessera: a block of high, very rough ground cut by crossing sets of
// ridges and troughs that bend, break off and change their spacing, with
// dark flooded lows, its edges embayed by plains.
void AddTessera(Random& random, Terrain& t, ScenePoint where) {
    const float cx = where.x * static_cast<float>(t.w);
    const float cy = where.y * static_cast<float>(t.h);
    const float radius = random.Range(230.0f, 300.0f);
    const float a1 = random.Range(0.0f, kPi);
    const float a2 = a1 + random.Range(1.1f, 1.5f);
    const float a3 = a1 + random.Range(0.5f, 0.8f);
    const float c1 = std::cos(a1) / 8.0f;
    const float s1 = std::sin(a1) / 8.0f;
    const float c2 = std::cos(a2) / 19.0f;
    const float s2 = std::sin(a2) / 19.0f;
    const float c3 = std::cos(a3) / 13.0f;
    const float s3 = std::sin(a3) / 13.0f;
    const float span = static_cast<float>(t.w + t.h);
    const Lattice edge(random, span, span, 70.0f);
    const TiledLattice edgeFine(random, 18.0f);
    const TiledLattice blocks(random, 28.0f);
    const Lattice warp(random, span, span, 45.0f);
    const TiledLattice warpFine(random, 14.0f);
    const TiledLattice breaks1(random, 11.0f);
    const TiledLattice breaks2(random, 17.0f);
    const TiledLattice floods(random, 8.0f);
    AroundPoint(t, cx, cy, radius * 1.4f, [&](int x, int y) {
        const float fx = static_cast<float>(x);
        const float fy = static_cast<float>(y);
        const float d = std::hypot(fx - cx, fy - cy) / radius;
        const float boundary = d + 0.6f * (edge.At(fx, fy) - 0.5f) + 0.3f * (edgeFine.At(fx, fy) - 0.5f);
        const float in = 1.0f - SmoothStep(0.92f, 1.0f, boundary);
        if (in <= 0.0f) return;
        const float bend = 2.5f * warp.At(fx, fy) + 0.8f * warpFine.At(fx, fy);
        const float r1 = Triangle(fx * c1 + fy * s1 + bend) * SmoothStep(0.3f, 0.6f, breaks1.At(fx, fy));
        const float r2 = Triangle(fx * c2 + fy * s2 + 0.6f * bend) * SmoothStep(0.25f, 0.5f, breaks2.At(fx, fy));
        const float r3 = Triangle(fx * c3 + fy * s3 - 0.7f * bend) * SmoothStep(0.6f, 0.8f, breaks2.At(fy, fx));
        const float block = blocks.At(fx, fy);
        const float flooded = SmoothStep(0.24f, 0.16f, block + 0.25f * (floods.At(fx, fy) - 0.5f));
        const std::size_t k = t.At(x, y);
        t.ground[k] += in * (1.0f - flooded) *
                       (240.0f * r1 * r1 + 330.0f * r2 * r2 * r2 + 200.0f * r3 * r3 + 500.0f * block);
        t.backscatter[k] *= 1.0f + in * ((0.4f + 0.35f * r2 + 0.15f * r1) * (1.0f - flooded) - 0.25f * flooded);
    });
}

// A corona: an oval, raised annulus of concentric ridges and fractures,
// broken and uneven, around a slightly sunken interior crossed by a few
// radial fractures.
void AddCorona(Random& random, Terrain& t, ScenePoint where) {
    const float cx = where.x * static_cast<float>(t.w);
    const float cy = where.y * static_cast<float>(t.h);
    const float radius = random.Range(110.0f, 150.0f);
    const float spokes = static_cast<float>(5 + random.Below(5));
    const float span = static_cast<float>(t.w + t.h);
    const Lattice ringNoise(random, span, span, 35.0f);
    const TiledLattice breaks(random, 14.0f);
    const float phase2 = random.Range(0.0f, 2.0f * kPi);
    const float phase3 = random.Range(0.0f, 2.0f * kPi);
    AroundPoint(t, cx, cy, radius * 1.8f, [&](int x, int y) {
        const float fx = static_cast<float>(x);
        const float fy = static_cast<float>(y);
        const float d = std::hypot(fx - cx, fy - cy);
        const float theta = std::atan2(fy - cy, fx - cx) + kPi;
        const float rim = radius * (1.0f + 0.12f * std::sin(2.0f * theta + phase2) + 0.06f * std::sin(3.0f * theta + phase3));
        const float n = (d - rim) / (0.2f * radius);
        const float annulus = std::exp(-n * n);
        const float rings = Triangle(d / 10.0f + 2.2f * ringNoise.At(fx, fy));
        const float broken = SmoothStep(0.35f, 0.65f, breaks.At(fx, fy));
        float dz = annulus * (300.0f * rings * rings * rings * (0.2f + 0.8f * broken) + 250.0f);
        float dk = 0.35f * annulus * (0.5f + 0.5f * broken);
        if (d < rim) {
            const float inner = 1.0f - d / rim;
            const float spoke = std::pow(Triangle(theta * spokes / (2.0f * kPi) + 0.6f * ringNoise.At(fx, fy)), 12.0f);
            dz += -100.0f * inner + 180.0f * spoke * inner * broken;
            dk += 0.25f * spoke * inner * broken;
        }
        const std::size_t k = t.At(x, y);
        t.ground[k] += dz;
        t.backscatter[k] *= 1.0f + dk;
    });
}

struct Flow {
    float x;  // the vent
    float y;
    float heading;
    float length;  // along its path
    float width;   // half width at its widest
    float tone;    // backscatter factor of the flow: above 1 rough, below 1 smooth
};

// Lobes and toes at the margins of the flows, and the texture of their tops.
struct FlowNoise {
    TiledLattice lobes;
    TiledLattice toes;
    TiledLattice top;
};

struct Disc {
    float x;
    float y;
    float r;
};

// The path of a flow from `x`, `y`: a meander, one disc every 3 samples,
// narrow at the start and widening downstream.
void FlowPath(Random& random, float x, float y, float heading, float length, float width, std::vector<Disc>& path) {
    for (float s = 0.0f; s < length; s += 3.0f) {
        heading += random.Range(-0.07f, 0.07f);
        x += 3.0f * std::cos(heading);
        y += 3.0f * std::sin(heading);
        path.push_back({x, y, width * (0.45f + 0.55f * std::sqrt(s / length))});
    }
}

// A lobate lava flow: a meandering path with side lobes, digitate margins
// and a textured top; rough flows are bright, smooth ones dark.
void AddFlow(Random& random, const Flow& flow, const FlowNoise& noise, Terrain& t) {
    std::vector<Disc> path;
    FlowPath(random, flow.x, flow.y, flow.heading, flow.length, flow.width, path);
    const int branches = random.Below(4);
    const std::size_t main = path.size();
    for (int b = 0; b < branches && main > 4; ++b) {
        const Disc from = path[main / 4 + static_cast<std::size_t>(random.Below(static_cast<int>(main * 3 / 4)))];
        FlowPath(random, from.x, from.y, flow.heading + random.Range(0.5f, 1.1f) * (random.Unit() < 0.5f ? -1.0f : 1.0f),
                 flow.length * random.Range(0.2f, 0.45f), from.r * 0.8f, path);
    }
    // How far inside the flow each sample lies: 1 on its path, 0 at its edge.
    float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
    for (const Disc& d : path) {
        x0 = std::min(x0, d.x - 1.5f * d.r);
        y0 = std::min(y0, d.y - 1.5f * d.r);
        x1 = std::max(x1, d.x + 1.5f * d.r);
        y1 = std::max(y1, d.y + 1.5f * d.r);
    }
    const int left = std::max(0, static_cast<int>(x0));
    const int top = std::max(0, static_cast<int>(y0));
    const int right = std::min(t.w - 1, static_cast<int>(x1));
    const int bottom = std::min(t.h - 1, static_cast<int>(y1));
    if (left > right || top > bottom) return;
    const int bw = right - left + 1;
    std::vector<float> inside(static_cast<std::size_t>(bw) * static_cast<std::size_t>(bottom - top + 1), -1.0f);
    for (const Disc& d : path) {
        const float reach = 1.5f * d.r;
        for (int y = std::max(top, static_cast<int>(d.y - reach)); y <= std::min(bottom, static_cast<int>(d.y + reach)); ++y) {
            for (int x = std::max(left, static_cast<int>(d.x - reach)); x <= std::min(right, static_cast<int>(d.x + reach)); ++x) {
                const float dx = static_cast<float>(x) - d.x;
                const float dy = static_cast<float>(y) - d.y;
                float& m = inside[static_cast<std::size_t>(y - top) * bw + (x - left)];
                m = std::max(m, 1.0f - std::sqrt(dx * dx + dy * dy) / d.r);
            }
        }
    }
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const float m = inside[static_cast<std::size_t>(y - top) * bw + (x - left)];
            if (m <= -0.6f) continue;
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            const float v = m - 0.1f + 0.9f * (noise.lobes.At(fx, fy) - 0.5f) + 0.35f * (noise.toes.At(fx, fy) - 0.5f);
            if (v <= 0.0f) continue;
            const float f = SmoothStep(0.0f, 0.08f, v) * (0.75f + 0.5f * noise.top.At(fx, fy));
            const std::size_t k = t.At(x, y);
            t.backscatter[k] *= 1.0f + (flow.tone - 1.0f) * f;
            t.ground[k] += 15.0f * f;
        }
    }
}

// A flow field: three to six flows from one vent, fanning out.
void AddFlowField(Random& random, const FlowNoise& noise, Terrain& t, float x, float y, float tone) {
    const float heading = random.Range(0.0f, 2.0f * kPi);
    const int count = 3 + random.Below(4);
    const float length = random.Range(150.0f, 380.0f);
    for (int i = 0; i < count; ++i) {
        const Flow flow{x, y, heading + random.Range(-1.1f, 1.1f), length * random.Range(0.4f, 1.0f),
                        random.Range(22.0f, 45.0f), tone * random.Range(0.93f, 1.07f)};
        AddFlow(random, flow, noise, t);
    }
}

struct Crater {
    float x;
    float y;
    float radius;
    bool darkHalo;
    bool outflow;
};

// An impact crater: a flat, dark (lava-flooded) floor, steep walls, a bright
// raised rim and a bright rough ejecta blanket of uneven reach; the larger
// ones have a central peak, some a dark halo of fine debris.
void AddCrater(Random& random, const Crater& crater, Terrain& t) {
    const float r0 = crater.radius;
    const float depth = std::min(900.0f, 150.0f + 40.0f * r0);
    const float rim = 0.45f * depth;
    std::array<float, 17> reach{};  // the ejecta's outer edge, in radii, by direction
    for (int i = 0; i < 16; ++i) reach[static_cast<std::size_t>(i)] = random.Range(1.8f, 2.7f);
    reach[16] = reach[0];
    const bool peak = r0 > 7.0f;
    const float halo = crater.darkHalo ? random.Range(4.0f, 6.5f) : 0.0f;
    const float extent = std::max(halo, 3.0f);
    AroundPoint(t, crater.x, crater.y, r0 * extent, [&](int x, int y) {
        const float dx = static_cast<float>(x) - crater.x;
        const float dy = static_cast<float>(y) - crater.y;
        const float r = std::sqrt(dx * dx + dy * dy) / r0;
        float dz;
        float factor;
        if (r < 0.72f) {
            dz = -depth;
            factor = 0.42f;
            if (peak) {
                const float p = r / 0.16f;
                const float mound = std::exp(-p * p);
                dz += 0.7f * depth * mound;
                factor += 1.3f * mound;
            }
        } else if (r < 1.0f) {
            dz = -depth + (depth + rim) * SmoothStep(0.72f, 1.0f, r);
            factor = 1.9f;
        } else {
            const float e = (r - 1.0f) / 0.3f;
            dz = rim * std::exp(-e * e);
            const float theta = (std::atan2(dy, dx) + kPi) * (16.0f / (2.0f * kPi));
            const int i = std::min(15, static_cast<int>(theta));
            const float f = SmoothStep(0.0f, 1.0f, theta - static_cast<float>(i));
            const float outer = reach[static_cast<std::size_t>(i)] * (1.0f - f) +
                                reach[static_cast<std::size_t>(i) + 1] * f;
            const float blanket = std::max(0.0f, 1.0f - (r - 1.0f) / (outer - 1.0f));
            factor = 1.0f + 1.1f * std::pow(blanket, 1.5f) + (r < 1.12f ? 0.6f : 0.0f);
            if (halo > 0.0f && blanket <= 0.0f) factor *= 1.0f - 0.5f * (1.0f - SmoothStep(0.55f * halo, halo, r));
        }
        const std::size_t k = t.At(x, y);
        t.ground[k] += dz;
        t.backscatter[k] *= factor;
    });
}

// A field of small shield volcanoes: low domes with summit pits.
void AddShieldField(Random& random, Terrain& t, float cx, float cy) {
    const int count = 40 + random.Below(40);
    for (int i = 0; i < count; ++i) {
        const float x = cx + random.Range(-110.0f, 110.0f);
        const float y = cy + random.Range(-110.0f, 110.0f);
        const float radius = random.Range(2.0f, 5.5f);
        AroundPoint(t, x, y, radius, [&](int px, int py) {
            const float dx = static_cast<float>(px) - x;
            const float dy = static_cast<float>(py) - y;
            const float d2 = (dx * dx + dy * dy) / (radius * radius);
            if (d2 >= 1.0f) return;
            const std::size_t k = t.At(px, py);
            t.ground[k] += 140.0f * (1.0f - d2) - (d2 < 0.06f ? 90.0f : 0.0f);
            t.backscatter[k] *= 1.12f;
        });
    }
}

// The levels are stored as the square root of the backscatter (amplitude,
// not power), a softer compression than decibels that keeps the speckle's
// bright tail.
float Compressed(float v) { return std::sqrt(v); }

// The speckle of a multi-look radar image: a mean of `looks` exponential
// variates (mean 1), compressed, as a table of 4096 quantiles.
std::array<float, 4096> SpeckleQuantiles(Random& random, int looks) {
    constexpr int kDraws = 4096 * 16;
    std::vector<float> draws(kDraws);
    for (float& d : draws) {
        float sum = 0.0f;
        for (int l = 0; l < looks; ++l) sum -= std::log(1.0f - random.Unit());
        d = sum / static_cast<float>(looks);
    }
    std::sort(draws.begin(), draws.end());
    std::array<float, 4096> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = Compressed(draws[i * 16 + 8]);
    return table;
}

// The swath: a circle whose arc cuts `corner` off the raster, from about
// 57 % down the side edge to about 69 % along the top or bottom edge.
struct Swath {
    float cx = 0.0f;
    float cy = 0.0f;
    float radius = 1e30f;
};

Swath SwathCutting(Corner corner, int width, int height) {
    // Worked out for the bottom right corner, then mirrored.
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float ax = w, ay = 0.57f * h, bx = 0.69f * w, by = h;
    const float radius = 1.2f * w;
    const float mx = 0.5f * (ax + bx), my = 0.5f * (ay + by);
    const float half = 0.5f * std::hypot(bx - ax, by - ay);
    const float toCentre = std::sqrt(radius * radius - half * half);
    // The unit normal of the chord pointing up and to the left.
    float nx = -(by - ay), ny = bx - ax;
    const float n = std::hypot(nx, ny);
    nx /= n;
    ny /= n;
    if (nx > 0.0f) nx = -nx, ny = -ny;
    Swath swath{mx + toCentre * nx, my + toCentre * ny, radius};
    if (corner == Corner::BottomLeft || corner == Corner::TopLeft) swath.cx = w - swath.cx;
    if (corner == Corner::TopLeft || corner == Corner::TopRight) swath.cy = h - swath.cy;
    return swath;
}

// The radar image of the terrain: lit from the left (slopes that face left
// return more), times the backscatter, a small gain step between the
// neighbouring orbits' strips, and speckle; 0 outside the swath.
std::vector<std::uint8_t> Image(Random& random, const Terrain& t, const std::optional<Corner>& outside) {
    const auto speckle = SpeckleQuantiles(random, 18);
    std::array<float, 64> stripGain{};
    for (float& g : stripGain) g = random.Range(0.95f, 1.05f);
    const Swath swath = outside ? SwathCutting(*outside, t.w, t.h) : SwathCutting(Corner::BottomRight, t.w, t.h);
    constexpr float kStripWidth = 190.0f;
    constexpr float kLevel = 96.0f;
    std::vector<std::uint8_t> data(t.ground.size());
    for (int y = 0; y < t.h; ++y) {
        // The swath edge is ragged by a sample or two from line to line.
        const float edge = swath.radius - static_cast<float>(random.Below(3));
        const float dy = static_cast<float>(y) - swath.cy;
        const float* ground = &t.ground[t.At(0, y)];
        const float* back = &t.backscatter[t.At(0, y)];
        std::uint8_t* out = &data[t.At(0, y)];
        for (int x = 0; x < t.w; ++x) {
            const float dx = static_cast<float>(x) - swath.cx;
            const float d = std::sqrt(dx * dx + dy * dy);
            if (outside && d > edge) {
                out[x] = 0;
                continue;
            }
            const float slope = 0.5f * (ground[std::min(t.w - 1, x + 1)] - ground[std::max(0, x - 1)]);
            const float g = slope * (1.0f / 55.0f);
            const float lit = 1.0f + 0.62f * g / std::sqrt(1.0f + g * g);
            const int strip = static_cast<int>(d / kStripWidth) & 63;
            const float v = kLevel * Compressed(back[x] * lit * stripGain[static_cast<std::size_t>(strip)]) *
                            speckle[static_cast<std::size_t>(random.Next() >> 52)];
            out[x] = static_cast<std::uint8_t>(std::clamp(v + 0.5f, 1.0f, 254.0f));
        }
    }

    // Isolated impulses, about one in 700 samples: bright (the bright
    // speckle that Despeckle removes) and dark, never 0 inside the swath.
    const std::size_t impulses = data.size() / 700;
    for (std::size_t i = 0; i < impulses; ++i) {
        const std::size_t k = static_cast<std::size_t>(random.Next() % data.size());
        const bool bright = (random.Next() & 3) != 0;
        if (data[k] == 0) continue;
        data[k] = bright ? static_cast<std::uint8_t>(232 + random.Below(23)) : static_cast<std::uint8_t>(1 + random.Below(5));
    }
    return data;
}

}  // namespace

std::vector<std::uint8_t> MakeRadarScene(const SceneRecipe& recipe) {
    Random random(recipe.seed);
    Terrain t(recipe.width, recipe.height);
    PaintPlains(random, t);
    for (int i = 0; i < recipe.ridgeBelts; ++i) AddRidgeBelt(random, t);
    if (recipe.tessera) AddTessera(random, t, *recipe.tessera);
    const float w = static_cast<float>(t.w);
    const float h = static_cast<float>(t.h);

    const FlowNoise flowNoise{TiledLattice(random, 22.0f), TiledLattice(random, 6.0f), TiledLattice(random, 6.0f)};
    if (recipe.corona) {
        AddCorona(random, t, *recipe.corona);
        // Flows spill from the corona's rim.
        for (int i = 0; i < 2; ++i) {
            const float a = random.Range(0.0f, 2.0f * kPi);
            AddFlowField(random, flowNoise, t, recipe.corona->x * w + 130.0f * std::cos(a),
                         recipe.corona->y * h + 130.0f * std::sin(a), i == 0 ? 1.4f : 0.7f);
        }
    }
    const int fields = std::max(1, t.w * t.h / 1500000);
    for (int i = 0; i < fields; ++i) {
        const float x = random.Range(0.05f, 0.95f) * w;
        const float y = random.Range(0.05f, 0.95f) * h;
        AddFlowField(random, flowNoise, t, x, y, random.Unit() < 0.6f ? random.Range(1.3f, 1.5f) : random.Range(0.65f, 0.75f));
        AddShieldField(random, t, random.Range(0.05f, 0.95f) * w, random.Range(0.05f, 0.95f) * h);
    }

    // Craters: many small, few large (a cumulative count falling with the
    // radius to the power 1.5).
    for (int i = 0; i < recipe.craters; ++i) {
        const float radius = std::min(40.0f, 4.0f * std::pow(1.0f - 0.985f * random.Unit(), -1.0f / 1.5f));
        const Crater crater{random.Range(0.0f, w), random.Range(0.0f, h), radius, random.Unit() < 0.2f,
                            radius > 9.0f && random.Unit() < 0.35f};
        if (crater.outflow) {
            const float a = random.Range(0.0f, 2.0f * kPi);
            const Flow flow{crater.x + crater.radius * std::cos(a), crater.y + crater.radius * std::sin(a), a,
                            crater.radius * random.Range(3.0f, 6.0f), crater.radius * 0.8f, 1.5f};
            AddFlow(random, flow, flowNoise, t);
        }
        AddCrater(random, crater, t);
    }

    std::vector<std::uint8_t> data = Image(random, t, recipe.outsideSwath);
    for (int r : recipe.blankRows) std::fill_n(data.begin() + static_cast<std::ptrdiff_t>(r) * t.w, t.w, 0);
    return data;
}

}  // namespace dusk::samples
