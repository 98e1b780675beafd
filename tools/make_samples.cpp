// SPDX-License-Identifier: GPL-3.0-or-later
// duskmapper-samples OUTDIR: writes a small sample volume into OUTDIR
// (created if missing), laid out like the Venera 15/16 CD. The same bytes
// come out on every run and every machine: all randomness comes from a
// fixed-seed generator of our own, never from the standard library's
// distributions.
//
// Two quads, each one radar scene of 4208 x 2640 samples at 1 km per sample
// in one map projection, cut row by row into a 4 x 4 grid of tiles of
// 1052 x 703 samples (the last row 1052 x 531: file lengths of the known
// geometries), with a browse image of the whole quad reduced by 4 (1052 x
// 660). The tiles of a quad share its projection and differ only in their
// offsets, so neighbouring tiles meet exactly.
//   V01: polar stereographic about the north pole, upper-case names as on
//        an ISO 9660 disc (V01.IMG, V0101.IMG ... V0116.IMG), labels of the
//        early Magellan CD-ROMs (SFDU, IMAGE_MAP_PROJECTION_CATALOG).
//   V05: two-parallel Lambert conformal conic, lower-case names (V05.img,
//        V0501.img ... V0516.img), PDS3 labels.
// Beside them: two images of lengths that match no geometry (V2798.img,
// V2799.IMG, no label), ed512.img (no volume prefix, a label without a
// projection, a line blank only over its first 140 samples) and a text file
// of the volume that is no image (V05INFO.TXT).

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/samples/label_text.h"
#include "tools/samples/quad_map.h"
#include "tools/samples/radar_scene.h"

namespace {

using namespace dusk::samples;

constexpr int kTileColumns = 4;
constexpr int kTileRows = 4;
constexpr int kTileWidth = 1052;
constexpr int kTileHeight = 703;  // 739,556 bytes: 1052 x 708 in the table
constexpr int kSceneWidth = kTileColumns * kTileWidth;  // 4208
constexpr int kSceneHeight = 2640;  // the last tile row 531 lines: 558,612 bytes, 1052 x 532
constexpr int kBrowseFactor = 4;    // 1052 x 660: 694,320 bytes

// Place names in code page 1250: Ondrejov with r-caron (0xF8), Stramberk
// with S-caron (0x8A), Kosice with s-caron (0x9A), Hlucin with c-caron
// (0xE8) and i-acute (0xED), Swietokrzyskie with S-acute (0x8C) and
// e-ogonek (0xEA), Pribram with r-caron and i-acute.
constexpr const char* kSites[] = {"Ond\xF8" "ejov", "\x8Atramberk", "Ko\x9A" "ice", "Hlu\xE8\xEDn",
                                  "\x8Cwi\xEAtokrzyskie", "P\xF8\xED" "bram"};

enum class Dialect { Pds3, Catalog };

struct Quad {
    const char* volume;     // "V01"
    const char* extension;  // of the images: ".IMG" or ".img"
    Dialect dialect;
    QuadMap map;
    SceneRecipe scene;
};

bool WriteFile(const std::string& path, const void* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::cerr << "duskmapper-samples: cannot write " << path << ": " << std::strerror(errno) << '\n';
        return false;
    }
    return true;
}

bool WriteText(const std::string& path, const std::string& text) { return WriteFile(path, text.data(), text.size()); }

// The rows first..first+rows-1 and columns left..left+width-1 of the scene.
std::vector<std::uint8_t> Cut(const std::vector<std::uint8_t>& scene, int sceneWidth, int first, int rows, int left,
                              int width) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(rows) * static_cast<std::size_t>(width));
    for (int r = 0; r < rows; ++r) {
        std::copy_n(scene.begin() + static_cast<std::ptrdiff_t>(first + r) * sceneWidth + left, width,
                    out.begin() + static_cast<std::ptrdiff_t>(r) * width);
    }
    return out;
}

// Each sample the mean of `factor` x `factor` scene samples, rounded.
std::vector<std::uint8_t> Reduce(const std::vector<std::uint8_t>& scene, int width, int height, int factor) {
    const int w = width / factor;
    const int h = height / factor;
    const int n = factor * factor;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    std::vector<int> sums(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int dy = 0; dy < factor; ++dy) {
            const std::uint8_t* row = &scene[static_cast<std::size_t>(y * factor + dy) * static_cast<std::size_t>(width)];
            for (int x = 0; x < w * factor; ++x) sums[static_cast<std::size_t>(x / factor)] += row[x];
        }
        for (int x = 0; x < w; ++x) {
            out[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>((sums[static_cast<std::size_t>(x)] + n / 2) / n);
        }
    }
    return out;
}

int BlankRowsIn(const SceneRecipe& scene, int first, int rows) {
    return static_cast<int>(std::count_if(scene.blankRows.begin(), scene.blankRows.end(),
                                          [&](int r) { return r >= first && r < first + rows; }));
}

std::string Label(const Quad& quad, const Product& product, const RasterMap& map) {
    return quad.dialect == Dialect::Pds3 ? Pds3Label(product, map) : CatalogLabel(product, map);
}

// Writes the quad's tiles, browse image and labels, numbering their labels
// from `serial` on; returns the scene, none after a failure (reported).
std::optional<std::vector<std::uint8_t>> WriteQuad(const std::string& dir, const Quad& quad, int serial) try {
    const std::vector<std::uint8_t> scene = MakeRadarScene(quad.scene);
    const BoundsFinder bounds(quad.map);
    const std::string volume = quad.volume;
    for (int row = 0; row < kTileRows; ++row) {
        const int first = row * kTileHeight;
        const int lines = std::min(kTileHeight, kSceneHeight - first);
        for (int column = 0; column < kTileColumns; ++column) {
            const int number = row * kTileColumns + column + 1;
            const std::string id = volume + (number < 10 ? "0" : "") + std::to_string(number);
            const std::string image = id + quad.extension;
            const auto tile = Cut(scene, kSceneWidth, first, lines, column * kTileWidth, kTileWidth);
            if (!WriteFile(dir + image, tile.data(), tile.size())) return std::nullopt;
            const Placement at = TilePlacement(quad.map, first, column * kTileWidth, lines, kTileWidth);
            const Product product{image, id, volume, lines, kTileWidth, BlankRowsIn(quad.scene, first, lines),
                                  false, kSites[serial % 6], serial, 0};
            ++serial;
            if (!WriteText(dir + id + ".lbl", Label(quad, product, {&quad.map, at, bounds.Of(at)}))) return std::nullopt;
        }
    }
    const auto browse = Reduce(scene, kSceneWidth, kSceneHeight, kBrowseFactor);
    const int lines = kSceneHeight / kBrowseFactor;
    const int samples = kSceneWidth / kBrowseFactor;
    const std::string image = volume + quad.extension;
    if (!WriteFile(dir + image, browse.data(), browse.size())) return std::nullopt;
    const Placement at = ReducedPlacement(quad.map, kBrowseFactor, lines, samples);
    // The browse labels run longer than the 67 lines the Info box shows.
    const Product product{image, volume, volume, lines, samples, 0, true, kSites[serial % 6], serial, 72};
    if (!WriteText(dir + volume + ".lbl", Label(quad, product, {&quad.map, at, bounds.Of(at)}))) return std::nullopt;
    return scene;
} catch (const std::exception& e) {
    std::cerr << "duskmapper-samples: " << e.what() << '\n';
    return std::nullopt;
}

// Blank scan lines: in every tile row a single one and a doubled one, never
// a tile's first or last line.
std::vector<int> BlankRows(int shift) {
    std::vector<int> rows;
    for (int row = 0; row < kTileRows; ++row) {
        const int first = row * kTileHeight;
        const int lines = std::min(kTileHeight, kSceneHeight - first);
        const int single = first + lines / 5 + shift;
        const int doubled = first + lines * 3 / 5 + shift;
        rows.insert(rows.end(), {single, doubled, doubled + 1});
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: duskmapper-samples OUTDIR\n";
        return 2;
    }
    std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir)) {
        std::cerr << "duskmapper-samples: cannot create " << dir << ": " << ec.message() << '\n';
        return 1;
    }
    if (dir.back() != '/') dir += '/';

    // V01: the pole at the corner of scene samples (999, 1599) and (1000,
    // 1600), inside tile V0106; V05: the projection origin at the middle of
    // the scene, on the edge between its second and third tile columns.
    Quad polar{"V01", ".IMG", Dialect::Catalog, {}, {}};
    polar.map = {MapKind::PolarStereographic, 6051.8, 90.0, 0.0, 0.0, 0.0, 999.5, 1599.5, 1.0};
    polar.scene.seed = 0xD05C0100ull;
    polar.scene.craters = 70;
    polar.scene.tessera = ScenePoint{0.47f, 0.30f};
    polar.scene.corona = ScenePoint{0.80f, 0.60f};
    polar.scene.ridgeBelts = 2;
    polar.scene.outsideSwath = Corner::BottomRight;
    polar.scene.blankRows = BlankRows(0);

    Quad lambert{"V05", ".img", Dialect::Pds3, {}, {}};
    lambert.map = {MapKind::LambertConformal, 6051.8, 50.0, 30.0, 40.0, 60.0, 1319.5, 2103.5, 1.0};
    lambert.scene.seed = 0xD05C0500ull;
    lambert.scene.craters = 70;
    lambert.scene.corona = ScenePoint{0.10f, 0.11f};
    lambert.scene.tessera = ScenePoint{0.21f, 0.21f};
    lambert.scene.ridgeBelts = 2;
    lambert.scene.outsideSwath = Corner::TopRight;
    lambert.scene.blankRows = BlankRows(-21);

    // The quads on two threads: each has its own generator, so the bytes
    // do not depend on the order the threads run in.
    for (Quad* quad : {&polar, &lambert}) {
        quad->scene.width = kSceneWidth;
        quad->scene.height = kSceneHeight;
    }
    std::optional<std::vector<std::uint8_t>> polarScene;
    std::thread polarThread([&] { polarScene = WriteQuad(dir, polar, 0); });
    const std::optional<std::vector<std::uint8_t>> lambertScene = WriteQuad(dir, lambert, 17);
    polarThread.join();
    if (!polarScene || !lambertScene) return 1;
    const int serial = 34;
    try {
        // Two images of another quad whose lengths match no geometry: pieces
        // of the scenes, 1052 samples a row.
        const auto odd700 = Cut(*lambertScene, kSceneWidth, 1406, 666, 2104, kTileWidth);
        const auto odd512 = Cut(*polarScene, kSceneWidth, 1406, 487, 0, kTileWidth);
        if (!WriteFile(dir + "V2798.img", odd700.data(), 700000)) return 1;
        if (!WriteFile(dir + "V2799.IMG", odd512.data(), 512000)) return 1;

        // 883,456 bytes (996 x 932), no volume prefix, a label without a
        // projection. A line blank only over its first 140 samples: the
        // rule for names beginning with "ED" tests just that stretch.
        SceneRecipe small;
        small.width = 996;
        small.height = 888;
        small.seed = 0xD05CED00ull;
        small.craters = 9;
        small.ridgeBelts = 1;
        small.blankRows = {231, 610, 611};
        auto ed = MakeRadarScene(small);
        ed.resize(883456);
        std::fill_n(ed.begin() + 400 * small.width, 140, 0);
        if (!WriteFile(dir + "ed512.img", ed.data(), ed.size())) return 1;
        const Product edProduct{"ed512.img", "ED512", "V05", 887, 996, 3, false, kSites[1], serial, 0};
        if (!WriteText(dir + "ed512.lbl", Pds3Label(edProduct, std::nullopt))) return 1;
    } catch (const std::exception& e) {
        std::cerr << "duskmapper-samples: " << e.what() << '\n';
        return 1;
    }

    // A small file of the volume that is no image: the collection leaves it out.
    std::string info;
    info += Pad78("VOLUME V05: VENERA 15 AND 16 RADAR MAPS, NORTHERN HEMISPHERE");
    info += Pad78("Quad V01: polar stereographic, tiles V0101 to V0116, browse V01.");
    info += Pad78("Quad V05: Lambert conformal conic, tiles V0501 to V0516, browse V05.");
    info += Pad78("Labels beside the images (.lbl).");
    info += Pad78("Processing sites: Ond\xF8" "ejov, \x8Atramberk, Ko\x9A" "ice, Hlu\xE8\xEDn.");
    return WriteText(dir + "V05INFO.TXT", info) ? 0 : 1;
}
