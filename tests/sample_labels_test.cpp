// SPDX-License-Identifier: GPL-3.0-or-later
// The labels of the sample collection: detached keyword labels that our
// reader reads to END, that describe the file's whole lines and give their
// map projection, that still show as 78-character lines in the Info box, and
// that GDAL's planetary label driver opens with the same size and projection.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/label.h"
#include "core/label_keywords.h"
#include "core/odl.h"
#include "temp_dir.h"
#include "tools/export_batch.h"

namespace {

// The lines of gdalinfo's corner coordinates, from "Upper Left" to "Center".
std::string Corners(const std::string& info) {
    const auto from = info.find("Upper Left");
    const auto to = info.find('\n', info.find("Center", from));
    return from == std::string::npos ? std::string() : info.substr(from, to - from);
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What `command` writes to its standard output.
std::string Output(const std::string& command) {
    std::string out;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) out.append(buffer, n);
    return out;
}

TEST(SampleLabels, AreDetachedKeywordLabelsOfTheirImages) {
    TempDir dir;
    const std::string samples = dir.slashed() + "samples";
    ASSERT_EQ(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + samples + "\"").c_str()), 0);
    const bool gdal = std::system("gdalinfo --version >/dev/null 2>&1") == 0;
    int labels = 0;
    int projections = 0;
    for (const char* image : {"V0501.img", "V0502.IMG", "V0503.img", "V0504.IMG", "V0505.img", "V0506.img",
                              "V0507.IMG", "ed512.img"}) {
        SCOPED_TRACE(image);
        const std::string label = samples + "/" + dusk::LabelFileName(image);
        const std::string text = ReadText(label);
        ASSERT_FALSE(text.empty());
        ++labels;
        EXPECT_EQ(text.size() % 80, 0u);
        EXPECT_EQ(dusk::SplitLabel(text)[0].substr(0, 14), "PDS_VERSION_ID");

        const dusk::OdlLabel parsed = dusk::ParseOdl(text);
        EXPECT_EQ(parsed.problem, "");
        const auto* pointer = dusk::FindKeyword(parsed, std::string::npos, "^IMAGE");
        ASSERT_NE(pointer, nullptr);
        EXPECT_EQ(pointer->value, image);
        const auto geometry = dusk::ImageGeometryOf(parsed);
        ASSERT_TRUE(geometry.has_value());
        const auto length = std::filesystem::file_size(samples + "/" + image);
        EXPECT_EQ(static_cast<std::uintmax_t>(geometry->lines), length / geometry->lineSamples);  // whole lines
        const auto projection = dusk::ProjectionOf(parsed);
        if (projection) {
            ++projections;
            EXPECT_EQ(projection->aAxisRadius, 6051.8);
            EXPECT_TRUE(projection->type == "POLAR STEREOGRAPHIC" || projection->type == "LAMBERT CONFORMAL CONIC");
        }
        if (!gdal) continue;
        const std::string info = Output("gdalinfo \"" + label + "\" 2>&1");
        EXPECT_NE(info.find("Driver: PDS/"), std::string::npos) << info;
        const std::string sizeText =
            "Size is " + std::to_string(geometry->lineSamples) + ", " + std::to_string(geometry->lines);
        EXPECT_NE(info.find(sizeText), std::string::npos) << info;
        if (projection) {
            const std::string method = projection->type[0] == 'P' ? "Polar Stereographic" : "Lambert Conic Conformal";
            EXPECT_NE(info.find(method), std::string::npos) << info;
            EXPECT_NE(info.find("ELLIPSOID[\"VENUS\",6051800,0"), std::string::npos) << info;
            // A GeoTIFF export lands where the label puts the image: the
            // same corners to the metre. A picture taller than the label's
            // (the raster size from the file's length has more lines) shares
            // the upper left corner.
            dusk::ExportSettings settings;
            settings.inputs = {samples + "/" + image};
            settings.output = dir.slashed() + "export.tif";
            std::ostringstream err;
            ASSERT_EQ(dusk::RunExport(settings, err, false), 0) << err.str();
            const std::string exported = Output("gdalinfo \"" + settings.output + "\" 2>&1");
            EXPECT_NE(exported.find(method), std::string::npos) << exported;
            const bool sameSize = exported.find(sizeText) != std::string::npos;
            const std::string corners = Corners(info);
            EXPECT_EQ(sameSize ? Corners(exported) : Corners(exported).substr(0, corners.find("\nLower")),
                      sameSize ? corners : corners.substr(0, corners.find("\nLower")));
            EXPECT_NE(Corners(info), "");
        }
    }
    EXPECT_EQ(labels, 8);
    EXPECT_EQ(projections, 7);
    if (!gdal) GTEST_SKIP() << "gdalinfo is not installed; GDAL's reading of the labels is not checked";
}

}  // namespace
