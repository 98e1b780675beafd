// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a tile through the GDAL driver against a plain read of its file.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <gdal.h>

#include "gdal/venera_dataset.h"

namespace {

constexpr int kWidth = 1036;
constexpr int kHeight = 1120;
constexpr int kLength = kWidth * kHeight;

// A 1036 x 1120 tile of noise in a folder of its own, removed at the end.
struct Tile {
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("dusk-gdal-bench-" + std::to_string(::getpid()));
    std::string path = (folder / "V0501.img").string();
    Tile() {
        std::filesystem::create_directories(folder);
        std::mt19937 random(7);
        std::string bytes(kLength, '\0');
        for (char& b : bytes) b = static_cast<char>(1 + random() % 254);
        std::ofstream(path, std::ios::binary).write(bytes.data(), kLength);
    }
    ~Tile() { std::filesystem::remove_all(folder); }
};

const Tile& TheTile() {
    static const Tile tile;
    return tile;
}

void BM_PlainRead(benchmark::State& state) {
    std::vector<unsigned char> buffer(kLength);
    const int fd = ::open(TheTile().path.c_str(), O_RDONLY);
    for (auto _ : state) {
        benchmark::DoNotOptimize(::pread(fd, buffer.data(), buffer.size(), 0));
        benchmark::ClobberMemory();
    }
    ::close(fd);
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMicrosecond);

// The whole band of the open dataset, as numpy's ReadAsArray asks for it.
void BandRead(benchmark::State& state, const char* const* options) {
    dusk::RegisterVeneraDriver();
    std::vector<unsigned char> buffer(kLength);
    GDALDatasetH dataset = GDALOpenEx(TheTile().path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, options,
                                      nullptr);
    if (dataset == nullptr) {
        state.SkipWithError("the tile did not open");
        return;
    }
    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    for (auto _ : state) {
        if (GDALRasterIO(band, GF_Read, 0, 0, kWidth, kHeight, buffer.data(), kWidth, kHeight, GDT_Byte, 0, 0) !=
            CE_None) {
            state.SkipWithError("the band was not read");
        }
        benchmark::ClobberMemory();
    }
    GDALClose(dataset);
}

void BM_BandRead(benchmark::State& state) { BandRead(state, nullptr); }
BENCHMARK(BM_BandRead)->Unit(benchmark::kMicrosecond);

// The picture rendered at open (here despeckled), served from memory.
void BM_RenderedBandRead(benchmark::State& state) {
    const char* const options[] = {"DESPECKLE=YES", nullptr};
    BandRead(state, options);
}
BENCHMARK(BM_RenderedBandRead)->Unit(benchmark::kMicrosecond);

// Opening the tile: the label-less identification, the layout and the band.
void BM_OpenAndClose(benchmark::State& state) {
    dusk::RegisterVeneraDriver();
    for (auto _ : state) {
        GDALDatasetH dataset = GDALOpenEx(TheTile().path.c_str(), GDAL_OF_RASTER, nullptr, nullptr, nullptr);
        if (dataset == nullptr) state.SkipWithError("the tile did not open");
        GDALClose(dataset);
    }
}
BENCHMARK(BM_OpenAndClose)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
