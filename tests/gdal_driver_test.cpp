// SPDX-License-Identifier: GPL-3.0-or-later
// The GDAL driver VENERA in this process, registered directly: which files
// it takes, the band against the file's bytes and against the exporter's
// GeoTIFF with every kind of correction, the keywords, refused writes and
// hostile files.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_srs_api.h>

#include "gdal/image_file.h"
#include "gdal/venera_dataset.h"
#include "temp_dir.h"
#include "tools/export.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Samples 1 to 250 in a pattern that tells rows and columns apart, with a
// blank line at row 20 for the missing-line repair.
std::string Samples(std::size_t length, int width) {
    std::string bytes(length, '\0');
    for (std::size_t k = 0; k < length; ++k) {
        const int row = static_cast<int>(k / width);
        const int column = static_cast<int>(k % width);
        bytes[k] = row == 20 ? '\0' : static_cast<char>(1 + (row * 7 + column * 3 + (k % 13 == 0 ? 90 : 0)) % 250);
    }
    return bytes;
}

// A label with a Lambert conformal projection, an 8-bit IMAGE and `extra`.
std::string Label(const std::string& extra = "", const char* bits = "8") {
    return "PDS_VERSION_ID = PDS3\r\n"
           "OBJECT = IMAGE\r\n  LINES = 660\r\n  LINE_SAMPLES = 1052\r\n  SAMPLE_BITS = " +
           std::string(bits) +
           "\r\nEND_OBJECT = IMAGE\r\n"
           "OBJECT = IMAGE_MAP_PROJECTION\r\n"
           "  MAP_PROJECTION_TYPE = \"LAMBERT CONFORMAL CONIC\"\r\n"
           "  A_AXIS_RADIUS = 6051.8 <KM>\r\n"
           "  FIRST_STANDARD_PARALLEL = 47.0 <DEG>\r\n  SECOND_STANDARD_PARALLEL = 63.0 <DEG>\r\n"
           "  CENTER_LATITUDE = 55.0 <DEG>\r\n  CENTER_LONGITUDE = 309.0 <DEG>\r\n"
           "  LINE_PROJECTION_OFFSET = 330.0\r\n  SAMPLE_PROJECTION_OFFSET = 526.0\r\n"
           "  MAP_SCALE = 2.0 <KM/PIXEL>\r\n"
           "END_OBJECT = IMAGE_MAP_PROJECTION\r\n" +
           extra + "END\r\n";
}

class GdalDriverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dusk::RegisterVeneraDriver(); }

    // Opens `path` with VENERA alone; null when it does not take the file.
    static GDALDatasetH Open(const std::string& path, const std::vector<std::string>& options = {},
                             unsigned flags = GDAL_OF_READONLY) {
        CPLStringList list;
        for (const std::string& option : options) list.AddString(option.c_str());
        const char* const drivers[] = {dusk::kDriverName, nullptr};
        return GDALOpenEx(path.c_str(), GDAL_OF_RASTER | flags, drivers, list.List(), nullptr);
    }

    static Bytes Band(GDALDatasetH dataset) {
        const int w = GDALGetRasterXSize(dataset);
        const int h = GDALGetRasterYSize(dataset);
        Bytes samples(static_cast<std::size_t>(w) * h);
        EXPECT_EQ(GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Read, 0, 0, w, h, samples.data(), w, h, GDT_Byte, 0,
                               0),
                  CE_None);
        return samples;
    }

    static std::vector<double> Transform(GDALDatasetH dataset) {
        std::vector<double> t(6);
        return GDALGetGeoTransform(dataset, t.data()) == CE_None ? t : std::vector<double>{};
    }

    TempDir dir;
};

TEST_F(GdalDriverTest, TakesCollectionImagesOfKnownLengthsOrWithAnEightBitLabel) {
    struct Case {
        const char* name;
        std::size_t length;
        const char* label;  // written beside the image as NAME.lbl; null for none
        int width;          // 0: not taken
        int height;
    } cases[] = {
        {"V0501.img", 694320, nullptr, 1052, 660},
        {"V2712.IMG", 883456, nullptr, 996, 932},
        {"V0501.img", 700000, "8", 1052, 660},   // an unlisted length, described by its label
        {"V0501.img", 2500000, "8", 1052, 660},  // longer than the program reads
        {"V0501.img", 700000, nullptr, 0, 0},
        {"V0501.img", 700000, "16", 0, 0},
        {"V0501.img", 10000, "8", 0, 0},  // not more than 10,000 bytes
        {"v0501.img", 694320, nullptr, 0, 0},
        {"V0001.img", 694320, nullptr, 0, 0},
        {"V2801.img", 694320, nullptr, 0, 0},
        {"ed512.img", 883456, "8", 0, 0},  // no volume name
    };
    for (const Case& c : cases) {
        const TempDir folder;
        const std::string path = folder.file(c.name, c.length).string();
        if (c.label != nullptr) folder.write(std::string(c.name).substr(0, 5) + ".lbl", Label("", c.label));
        GDALDatasetH dataset = Open(path);
        EXPECT_EQ(dataset != nullptr, c.width != 0) << c.name << " " << c.length;
        if (dataset == nullptr) continue;
        EXPECT_EQ(GDALGetRasterXSize(dataset), c.width) << c.name;
        EXPECT_EQ(GDALGetRasterYSize(dataset), c.height) << c.name;
        GDALClose(dataset);
    }
}

TEST_F(GdalDriverTest, BandHoldsTheStoredSamplesAndZerosPastThem) {
    // 996 x 932 from 887 rows and 4 samples.
    const std::string bytes = Samples(883456, 996);
    const std::string path = dir.write("V0501.img", bytes).string();
    GDALDatasetH dataset = Open(path);
    ASSERT_NE(dataset, nullptr);
    Bytes expected(996 * 932, 0);
    std::copy(bytes.begin(), bytes.end(), expected.begin());
    EXPECT_EQ(Band(dataset), expected);

    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    int hasNoData = 0;
    EXPECT_EQ(GDALGetRasterNoDataValue(band, &hasNoData), 0.0);
    EXPECT_TRUE(hasNoData);
    // A window across the end of the data, the partial row by blocks, and a
    // reduced read, which goes through the blocks.
    Bytes window(10 * 5);
    ASSERT_EQ(GDALRasterIO(band, GF_Read, 990, 884, 5, 10, window.data(), 5, 10, GDT_Byte, 0, 0), CE_None);
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 5; ++column) {
            EXPECT_EQ(window[row * 5 + column], expected[(884 + row) * 996 + 990 + column]);
        }
    }
    Bytes block(996);
    ASSERT_EQ(GDALReadBlock(band, 0, 887, block.data()), CE_None);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 8), Bytes(expected.begin() + 887 * 996, expected.begin() + 887 * 996 + 8));
    Bytes half(498 * 466);
    ASSERT_EQ(GDALRasterIO(band, GF_Read, 0, 0, 996, 932, half.data(), 498, 466, GDT_Byte, 0, 0), CE_None);
    // Nearest neighbour: picture row 10 shows row 21, column 7 column 15.
    EXPECT_EQ(half[465 * 498], 0);  // row 931: past the data
    EXPECT_EQ(half[10 * 498 + 7], expected[21 * 996 + 15]);
    GDALClose(dataset);
}

// Each row: the exporter's options and the driver's open options for the
// same picture.
struct Picture {
    std::vector<std::string> exporter;
    std::vector<std::string> options;
};

TEST_F(GdalDriverTest, BandAndGeoreferenceEqualTheExportersGeoTiff) {
    const std::string path = dir.write("V0501.img", Samples(694320, 1052)).string();
    dir.write("V0501.lbl", Label());
    const Picture pictures[] = {
        {{}, {}},
        {{}, {"STRETCH=NO"}},
        {{"--stretch", "--despeckle"}, {"stretch=yes", "DESPECKLE=YES"}},
        {{"--missing-lines", "--invert"}, {"MISSING_LINES=YES", "INVERT=YES"}},
        {{"--flip-vertically", "--rotate"}, {"FLIP_VERTICALLY=YES", "ROTATE=YES"}},
        {{"--rotate", "--minimize-half"}, {"ROTATE=YES", "MINIMIZE_HALF=YES"}},
        {{"--minimize-quarter"}, {"MINIMIZE_QUARTER=YES"}},
        {{"--contrast", "2", "--brightness", "-20", "--shading", "3"}, {"CONTRAST=2", "BRIGHTNESS=-20", "SHADING=3"}},
        {{"--original"}, {"ORIGINAL=YES"}},
    };
    for (const Picture& picture : pictures) {
        std::string shown;
        for (const std::string& option : picture.options) shown += option + " ";
        std::vector<std::string> args = picture.exporter;
        const std::string tiff = (dir.path() / "export.tif").string();
        args.insert(args.end(), {"--quiet", path, "-o", tiff});
        std::ostringstream out, err;
        ASSERT_EQ(dusk::ExportCommand(args, out, err, false), 0) << err.str();
        GDALDatasetH exported = GDALOpen(tiff.c_str(), GA_ReadOnly);
        GDALDatasetH dataset = Open(path, picture.options);
        ASSERT_NE(exported, nullptr);
        ASSERT_NE(dataset, nullptr) << shown << CPLGetLastErrorMsg();
        EXPECT_EQ(Band(dataset), Band(exported)) << shown;
        EXPECT_EQ(Transform(dataset), Transform(exported)) << shown;
        EXPECT_TRUE(OSRIsSame(GDALGetSpatialRef(dataset), GDALGetSpatialRef(exported))) << shown;
        GDALClose(dataset);
        GDALClose(exported);
    }
}

TEST_F(GdalDriverTest, RefusesOptionsItCannotUse) {
    const std::string path = dir.write("V0501.img", Samples(694320, 1052)).string();
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"CONTRAST=two"}, "CONTRAST=two: not a whole number"},
        {{"BRIGHTNESS=99999999999"}, "not a whole number"},
        {{"DESPECKLE=maybe"}, "DESPECKLE=maybe: YES or NO"},
        {{"ORIGINAL=YES", "INVERT=YES"}, "cannot be combined"},
    };
    CPLPushErrorHandler(CPLQuietErrorHandler);
    for (const auto& [options, message] : cases) {
        CPLErrorReset();
        EXPECT_EQ(Open(path, options), nullptr) << message;
        EXPECT_NE(std::string(CPLGetLastErrorMsg()).find(message), std::string::npos) << CPLGetLastErrorMsg();
    }
    CPLPopErrorHandler();
}

TEST_F(GdalDriverTest, KeywordsAreMetadataLinesWithTheirBlocks) {
    const std::string path = dir.write("V0501.img", Samples(694320, 1052)).string();
    dir.write("V0501.lbl", Label("OBJECT = A\r\n GROUP = G\r\n  K = 'x'\r\n  K = 2 <KM>\r\n END_GROUP = G\r\n"
                                 " L = (1, 2)\r\nEND_OBJECT = A\r\nSITE = \"\x8Atramberk\"\r\n"));
    GDALDatasetH dataset = Open(path);
    ASSERT_NE(dataset, nullptr);
    std::vector<std::string> lines;
    for (char** item = GDALGetMetadata(dataset, nullptr); item != nullptr && *item != nullptr; ++item) {
        lines.emplace_back(*item);
    }
    for (const char* expected : {"A.G.K=x", "A.G.K=2 <KM>", "A.L=(1, 2)", "SITE=\xC5\xA0tramberk",
                                 "IMAGE.SAMPLE_BITS=8", "IMAGE_MAP_PROJECTION.MAP_SCALE=2.0 <KM/PIXEL>",
                                 "PDS_VERSION_ID=PDS3"}) {
        EXPECT_EQ(std::count(lines.begin(), lines.end(), expected), 1) << expected;
    }
    EXPECT_EQ(lines.size(), 17u);
    char** files = GDALGetFileList(dataset);
    EXPECT_EQ(CSLCount(files), 2);
    CSLDestroy(files);
    GDALClose(dataset);
}

TEST_F(GdalDriverTest, RefusesEveryWrite) {
    const std::string path = dir.write("V0501.img", Samples(694320, 1052)).string();
    dir.write("V0501.lbl", Label());
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
    EXPECT_EQ(Open(path, {}, GDAL_OF_UPDATE), nullptr);
    EXPECT_NE(std::string(CPLGetLastErrorMsg()).find("only for reading"), std::string::npos);

    GDALDatasetH dataset = Open(path);
    ASSERT_NE(dataset, nullptr);
    Bytes row(1052, 7);
    EXPECT_EQ(GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Write, 0, 0, 1052, 1, row.data(), 1052, 1, GDT_Byte, 0,
                           0),
              CE_Failure);
    double transform[6] = {0, 1, 0, 0, 0, -1};
    EXPECT_EQ(GDALSetGeoTransform(dataset, transform), CE_Failure);
    EXPECT_EQ(GDALSetProjection(dataset, ""), CE_Failure);
    const int levels[] = {2};
    EXPECT_EQ(GDALBuildOverviews(dataset, "NEAREST", 1, levels, 0, nullptr, nullptr, nullptr), CE_Failure);
    GDALClose(dataset);
    GDALDriverH driver = GDALGetDriverByName(dusk::kDriverName);
    EXPECT_EQ(GDALCreate(driver, (dir.slashed() + "V0502.img").c_str(), 8, 8, 1, GDT_Byte, nullptr), nullptr);
    EXPECT_EQ(GDALDeleteDataset(driver, path.c_str()), CE_Failure);
    EXPECT_EQ(GDALRenameDataset(driver, (dir.slashed() + "V0503.img").c_str(), path.c_str()), CE_Failure);
    CPLPopErrorHandler();
    EXPECT_EQ(std::filesystem::file_size(path), 694320u);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "V0501.lbl"));
    EXPECT_FALSE(std::filesystem::exists(path + ".aux.xml"));
    EXPECT_FALSE(std::filesystem::exists(path + ".ovr"));
}

TEST_F(GdalDriverTest, HostileFilesNeverBlockNorCrash) {
    // A FIFO, a folder and a device named like images.
    const std::string fifo = dir.slashed() + "V0501.img";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(dusk::RecogniseImageFile(fifo));
    std::filesystem::create_directory(dir.path() / "V0502.img");
    EXPECT_EQ(Open(dir.slashed() + "V0502.img"), nullptr);
    std::filesystem::create_symlink("/dev/zero", dir.path() / "V0503.img");
    EXPECT_EQ(Open(dir.slashed() + "V0503.img"), nullptr);

    // Labels that are a FIFO, a folder, a device, or no sound keyword label
    // (deep, unterminated, binary), beside an unlisted length: not taken,
    // and nothing waits. Beside a listed length: taken.
    const std::string unlisted = dir.file("V0504.img", 700000).string();
    const std::string listed = dir.file("V0505.img", 694320).string();
    const std::string hostile[] = {"A = " + std::string(5000, '('), "OBJECT = IMAGE\n SAMPLE_BITS = \"8",
                                   std::string("\0\xff\x01=", 4)};
    for (int kind = 0; kind < 6; ++kind) {
        for (const char* name : {"V0504.lbl", "V0505.lbl"}) {
            const std::filesystem::path label = dir.path() / name;
            std::filesystem::remove_all(label);
            if (kind == 0) {
                ASSERT_EQ(::mkfifo(label.c_str(), 0600), 0);
            }
            if (kind == 1) std::filesystem::create_directory(label);
            if (kind == 2) std::filesystem::create_symlink("/dev/zero", label);
            if (kind >= 3) dir.write(name, hostile[kind - 3]);
        }
        EXPECT_EQ(Open(unlisted), nullptr) << kind;
        GDALDatasetH dataset = Open(listed);
        ASSERT_NE(dataset, nullptr) << kind;
        if (kind < 3) {
            EXPECT_EQ(GDALGetMetadata(dataset, nullptr), nullptr) << kind;
        }
        GDALClose(dataset);
    }

    // A file that vanishes after the open is still read; one that shrinks
    // fails with a message.
    const std::string bytes = Samples(694320, 1052);
    const std::string vanishing = dir.write("V0506.img", bytes).string();
    GDALDatasetH dataset = Open(vanishing);
    ASSERT_NE(dataset, nullptr);
    std::filesystem::remove(vanishing);
    EXPECT_EQ(Band(dataset), Bytes(bytes.begin(), bytes.end()));
    GDALClose(dataset);
    const std::string shrinking = dir.write("V0507.img", bytes).string();
    dataset = Open(shrinking);
    ASSERT_NE(dataset, nullptr);
    std::filesystem::resize_file(shrinking, 1000);
    Bytes all(1052 * 660);
    CPLPushErrorHandler(CPLQuietErrorHandler);
    EXPECT_EQ(GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Read, 0, 0, 1052, 660, all.data(), 1052, 660, GDT_Byte,
                           0, 0),
              CE_Failure);
    CPLPopErrorHandler();
    EXPECT_NE(std::string(CPLGetLastErrorMsg()).find("the file ended"), std::string::npos);
    GDALClose(dataset);
}

TEST_F(GdalDriverTest, ThreadsOpenAndRenderAtOnce) {
    const std::string plain = dir.write("V0501.img", Samples(694320, 1052)).string();
    const std::string tall = dir.write("V0502.img", Samples(1160320, 1036)).string();
    dir.write("V0501.lbl", Label());
    const std::vector<std::string> options[] = {{"DESPECKLE=YES", "STRETCH=YES"}, {"MINIMIZE_HALF=YES"}};
    Bytes alone[2];
    std::vector<double> transforms[2];
    const std::string* paths[] = {&plain, &tall};
    for (int i = 0; i < 2; ++i) {
        GDALDatasetH dataset = Open(*paths[i], options[i]);
        ASSERT_NE(dataset, nullptr);
        alone[i] = Band(dataset);
        transforms[i] = Transform(dataset);
        GDALClose(dataset);
    }
    bool same[2] = {true, true};
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < 4; ++round) {
                GDALDatasetH dataset = Open(*paths[i], options[i]);
                same[i] = same[i] && dataset != nullptr && Band(dataset) == alone[i] && Transform(dataset) == transforms[i];
                GDALClose(dataset);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_TRUE(same[0]);
    EXPECT_TRUE(same[1]);
}

}  // namespace
