// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword reader of detached labels, and what the load takes from a
// label beside the image: its statements, raster size and map projection.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "core/label_keywords.h"
#include "core/odl.h"
#include "temp_dir.h"

namespace {

using dusk::OdlLabel;
using dusk::OdlNodeKind;
using dusk::OdlValueKind;
using dusk::ParseOdl;

// A node as one line: depth, then "OBJECT NAME", "GROUP NAME" or
// "NAME=VALUE<UNIT>" with a letter for the value's kind.
std::vector<std::string> Flat(const OdlLabel& label) {
    std::vector<std::string> out;
    for (const dusk::OdlNode& n : label.nodes) {
        std::string line = std::to_string(n.depth) + " ";
        if (n.kind != OdlNodeKind::Keyword) {
            line += (n.kind == OdlNodeKind::Object ? "OBJECT " : "GROUP ") + n.name;
        } else {
            line += n.name + "=" + n.value;
            if (!n.unit.empty()) line += "<" + n.unit + ">";
            line += " " + std::string(1, "-NTSQE"[static_cast<int>(n.valueKind)]);
        }
        out.push_back(line);
    }
    return out;
}

TEST(OdlReader, ReadsStatementsBlocksAndValues) {
    struct Case {
        std::string text;
        std::vector<std::string> nodes;
    } cases[] = {
        {"PDS_VERSION_ID = PDS3\r\nA = 1\r\nEND\r\nB = 2", {"0 PDS_VERSION_ID=PDS3 S", "0 A=1 N"}},
        {"R = 6051.8 <KM>\nS=-.5E-3<km / pixel>\nX = 16#FF#\nD = 1.", {"0 R=6051.8<KM> N", "0 S=-.5E-3<km / pixel> N", "0 X=16#FF# N", "0 D=1. N"}},
        {"NOTE = \"one\r\n    two  three\r\n\"", {"0 NOTE=one two  three  T"}},
        {"^IMAGE = \"V0512.IMG\"\n^IMAGE2 = (\"V0512.IMG\" , 2 )", {"0 ^IMAGE=V0512.IMG T", "0 ^IMAGE2=(\"V0512.IMG\", 2) Q"}},
        {"S = { A,'B c' , 3 <KM> }\nQ = ((1,2),(3,4))\nE = ()", {"0 S={A, 'B c', 3 <KM>} E", "0 Q=((1, 2), (3, 4)) Q", "0 E=() Q"}},
        {"/* head */ T = 1983-11-03T04:10:00 /* tail\n */ L = 'a literal'", {"0 T=1983-11-03T04:10:00 S", "0 L=a literal S"}},
        {"OBJECT = IMAGE\n LINES = 7\n GROUP = G\n  K = V\n END_GROUP = G\nEND_OBJECT\nOBJECT = P\nEND_OBJECT = p\nZ = 1",
         {"0 OBJECT IMAGE", "1 LINES=7 N", "1 GROUP G", "2 K=V S", "0 OBJECT P", "0 Z=1 N"}},
        {"OBJECT = A\n OBJECT = B\n  K = 1", {"0 OBJECT A", "1 OBJECT B", "2 K=1 N"}},  // closed by the end
    };
    for (const Case& c : cases) {
        const OdlLabel label = ParseOdl(c.text);
        EXPECT_EQ(Flat(label), c.nodes) << c.text;
        EXPECT_EQ(label.problem, "") << c.text;
    }
}

// Text that is no keyword label gives nothing; a label that goes wrong later
// keeps what came before and says where it stopped.
TEST(OdlReader, StopsAtTheFirstFault) {
    struct Case {
        std::string text;
        std::size_t nodes;
        int line;  // of the problem; 0: none
    } cases[] = {
        {"", 0, 0},
        {"Just some words\nof a plain text file.", 0, 1},
        {std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), 0, 1},
        {"= 5", 0, 1},
        {"A = 1\nB = 2\nNOTE = \"never closed\n\n", 2, 3},
        {"A = 1\n/* never closed", 1, 2},
        {"A = 1\nEND_OBJECT = IMAGE", 1, 2},
        {"OBJECT = A\nEND_GROUP = A", 1, 2},
        {"OBJECT = A\nEND_OBJECT = B", 1, 2},
        {"A = (1, 2\nB = 3", 0, 2},
        {"A = (1,)", 0, 1},
        {"A = 1 <KM\n", 0, 1},
        {"A = \n", 0, 2},
        {"A = 1\nB 2", 1, 2},
    };
    for (const Case& c : cases) {
        const OdlLabel label = ParseOdl(c.text);
        EXPECT_EQ(label.nodes.size(), c.nodes) << c.text;
        EXPECT_EQ(label.problemLine, c.line) << c.text;
        EXPECT_EQ(label.problem.empty(), c.line == 0) << c.text;
    }
}

// Hostile labels end quickly, without deep recursion, and read at most 1 MiB.
TEST(OdlReader, HostileLabelsAreBounded) {
    std::string nested;
    for (int i = 0; i < 100'000; ++i) nested += "OBJECT = O\n";
    OdlLabel label = ParseOdl(nested);
    EXPECT_EQ(label.nodes.size(), static_cast<std::size_t>(dusk::kOdlMaxDepth));
    EXPECT_EQ(label.problemLine, dusk::kOdlMaxDepth + 1);

    label = ParseOdl("A = " + std::string(100'000, '(') + "1");
    EXPECT_TRUE(label.nodes.empty());
    EXPECT_FALSE(label.problem.empty());

    const std::string line = "A = \"" + std::string(dusk::kOdlReadLimit, 'x') + "\"";
    label = ParseOdl(line);  // the closing quote lies past the limit
    EXPECT_TRUE(label.nodes.empty());
    EXPECT_EQ(label.problem, "a quoted text is not closed");

    std::string many;
    while (many.size() < dusk::kOdlReadLimit) many += "K = 1\n";
    label = ParseOdl(many);
    EXPECT_EQ(label.nodes.size(), dusk::kOdlMaxNodes);
    EXPECT_FALSE(label.problem.empty());

    label = ParseOdl("A = 1\nB = " + std::string(2 * dusk::kOdlReadLimit, 'y'));
    ASSERT_EQ(label.nodes.size(), 2u);
    EXPECT_EQ(label.nodes[1].value.size(), dusk::kOdlReadLimit - 10);
    EXPECT_TRUE(label.cut);
    EXPECT_FALSE(ParseOdl("A = " + std::string(dusk::kOdlReadLimit - 4, 'z')).cut);
    EXPECT_TRUE(ParseOdl("A = " + std::string(dusk::kOdlReadLimit - 3, 'z')).cut);
}

constexpr const char* kProjection =
    "OBJECT = IMAGE\n LINES = 700\n LINE_SAMPLES = 1052\nEND_OBJECT = IMAGE\n"
    "OBJECT = IMAGE_MAP_PROJECTION\n MAP_PROJECTION_TYPE = \"Lambert Conformal\"\n"
    " A_AXIS_RADIUS = 6051800 <M>\n C_AXIS_RADIUS = 6051.0\n FIRST_STANDARD_PARALLEL = 30.5 <DEG>\n"
    " CENTER_LONGITUDE = +300\n LINE_PROJECTION_OFFSET = -12.5 <PIXEL>\n MAP_SCALE = 750 <M/PIXEL>\n"
    " POSITIVE_LONGITUDE_DIRECTION = WEST\nEND_OBJECT\n";

TEST(LabelKeywords, TakesTheRasterSizeAndTheProjection) {
    const OdlLabel label = ParseOdl(kProjection);
    const auto geometry = dusk::ImageGeometryOf(label);
    ASSERT_TRUE(geometry.has_value());
    EXPECT_EQ(geometry->lines, 700);
    EXPECT_EQ(geometry->lineSamples, 1052);
    const auto p = dusk::ProjectionOf(label);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->type, "LAMBERT CONFORMAL");
    EXPECT_DOUBLE_EQ(p->aAxisRadius, 6051.8);
    EXPECT_DOUBLE_EQ(p->bAxisRadius, 6051.8);  // absent: as A
    EXPECT_DOUBLE_EQ(p->cAxisRadius, 6051.0);
    EXPECT_EQ(p->firstStandardParallel, 30.5);
    EXPECT_FALSE(p->secondStandardParallel.has_value());
    EXPECT_DOUBLE_EQ(p->centerLongitude, 300.0);
    EXPECT_DOUBLE_EQ(p->lineProjectionOffset, -12.5);
    EXPECT_DOUBLE_EQ(p->mapScale, 0.75);
    EXPECT_TRUE(p->positiveLongitudeWest);

    // A scale that is no number, in a unit not understood, or 0: no projection.
    for (const char* scale : {"'N/A'", "0.75 <FURLONG/PIXEL>", "0"}) {
        std::string text = kProjection;
        text.replace(text.find("750 <M/PIXEL>"), 13, scale);
        EXPECT_FALSE(dusk::ProjectionOf(ParseOdl(text)).has_value()) << scale;
    }
    EXPECT_FALSE(dusk::ImageGeometryOf(ParseOdl("OBJECT = IMAGE\nLINES = 7.5\nLINE_SAMPLES = 3\nEND_OBJECT")));
    EXPECT_FALSE(dusk::ImageGeometryOf(ParseOdl("LINES = 7\nLINE_SAMPLES = 3\n")));  // not in an IMAGE object
}

// The load step reads the label beside the image whole; the next image
// without a label leaves nothing behind.
TEST(LabelKeywords, FollowTheImage) {
    TempDir dir;
    std::string text = kProjection;
    text.insert(0, std::string(8000, ' '));  // past what the Info box reads
    dir.write("V0512.lbl", text);
    dusk::ImageState& s = dusk::State();
    s.DirectoryPath = dir.slashed();
    s.CurrentFileName = "V0512.IMG";
    dusk::LoadLabelKeywords();
    EXPECT_EQ(s.LabelKeywords.nodes.size(), 12u);
    EXPECT_TRUE(s.LabelImageGeometry.has_value());
    EXPECT_TRUE(s.Projection.has_value());

    s.CurrentFileName = "V0513.IMG";
    dusk::LoadLabelKeywords();
    EXPECT_TRUE(s.LabelKeywords.nodes.empty());
    EXPECT_FALSE(s.LabelImageGeometry.has_value());
    EXPECT_FALSE(s.Projection.has_value());
}

}  // namespace
