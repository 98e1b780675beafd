// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The exporter's command line: what it asks for, how it is read, and the
// help and version texts.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/image_state.h"
#include "output/picture_file.h"

namespace dusk {

inline constexpr const char* kExportProgram = "duskmapper-export";

struct ExportSettings {
    OptionFlags options{};  // becomes ActiveOptions of every image
    std::int32_t contrast = 0;
    std::int32_t brightness = 0;
    std::int32_t shading = 0;
    bool original = false;  // no correction at all, as "Original Image"
    bool quiet = false;
    // Print the statistics of each rendered picture instead of writing it.
    bool stats = false;
    // Images of a batch converted at a time, each on a thread of its own;
    // 0 means one per core.
    std::int32_t jobs = 0;
    // --format; otherwise the output's extension says, and bmp where it
    // says nothing (OutputFormat).
    std::optional<PictureFormat> format;
    // Write a PNG thumbnail no larger than this on its longer side for each
    // input, into the output folder, instead of the bitmap; 0 for bitmaps.
    std::int32_t thumbnails = 0;
    // Write the marks of the images from the marks store instead of their
    // pictures: a GeoPackage, a crater count or CSV, by the output's extension.
    bool marks = false;
    // Write the inputs, the tiles of a quad, as one mosaic placed by their
    // georeference to OUTPUT: a COG GeoTIFF, or a PNG where OUTPUT ends in .png.
    bool mosaic = false;
    std::vector<std::string> inputs;
    std::string output;
};

// The format the pictures are written in: --format, else that of the
// output's extension for a single image, else bmp.
PictureFormat OutputFormat(const ExportSettings& settings);

enum class ParseOutcome {
    Run,         // settings are complete
    Help,        // --help
    Version,     // --version
    UsageError,  // message says why
};

struct ParsedCommandLine {
    ParseOutcome outcome = ParseOutcome::UsageError;
    ExportSettings settings;
    std::string message;
};

// Parses the arguments that follow the program name.
ParsedCommandLine ParseExportCommandLine(const std::vector<std::string>& args);

std::string ExportUsage();
std::string ExportVersion();

}  // namespace dusk
