// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/export_options.h"

#include <array>
#include <charconv>
#include <climits>
#include <string_view>
#include <utility>

#ifndef DUSK_VERSION
#define DUSK_VERSION "unknown"
#endif

namespace dusk {

namespace {

struct FlagOption {
    std::string_view name;
    OptionSlot slot;
};

constexpr std::array<FlagOption, 8> kFlagOptions{{
    {"--stretch", OptStretch},
    {"--despeckle", OptDespeckle},
    {"--flip-vertically", OptFlipVertically},
    {"--rotate", OptRotate},
    {"--invert", OptInvert},
    {"--minimize-half", OptMinimizeHalf},
    {"--minimize-quarter", OptMinimizeQuarter},
    {"--missing-lines", OptMissingLines},
}};

// A whole signed 32-bit decimal number, an optional sign included.
bool ParseLevel(std::string_view text, std::int32_t& value) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// The number given to option `name`, at least `minimum`; empty when it is
// one, else the usage error.
std::string ReadNumber(std::string_view name, const std::string& value, std::int32_t minimum, std::int32_t& target) {
    if (!ParseLevel(value, target)) return "not a whole number for " + std::string(name) + ": '" + value + "'";
    if (target < minimum) {
        return std::string(name) + " needs a number of at least " + std::to_string(minimum) + ": '" + value + "'";
    }
    return {};
}

ParsedCommandLine UsageError(std::string message) {
    ParsedCommandLine parsed;
    parsed.outcome = ParseOutcome::UsageError;
    parsed.message = std::move(message);
    return parsed;
}

}  // namespace

std::string ExportUsage() {
    return "usage: duskmapper-export [OPTIONS] IMAGE... -o OUTPUT\n"
           "       duskmapper-export --stats [OPTIONS] IMAGE...\n"
           "       duskmapper-export --thumbnails SIZE [OPTIONS] IMAGE... -o FOLDER\n"
           "       duskmapper-export --marks IMAGE... -o OUT.gpkg|OUT.scc|OUT.csv\n"
           "       duskmapper-export --mosaic [OPTIONS] IMAGE... -o QUAD.tif\n"
           "\n"
           "Renders Venera 15 and 16 radar images to 24-bit bitmap files (or 8-bit grey\n"
           "PNG or TIFF files) with the corrections of the desktop program. With one\n"
           "IMAGE, OUTPUT is the file to write; with several, OUTPUT is a folder (created\n"
           "if missing) that receives one NAME.bmp (NAME.png, NAME.tif) per IMAGE.\n"
           "\n"
           "Corrections (all off unless given):\n"
           "  --stretch            spread the middle 98 % of the data over the grey range\n"
           "  --despeckle          remove isolated bright and dark impulses\n"
           "  --flip-vertically    show the image upside down\n"
           "  --rotate             turn the image by 180 degrees\n"
           "  --invert             invert the grey levels\n"
           "  --minimize-half      draw the image at half size\n"
           "  --minimize-quarter   draw the image at a quarter of its size\n"
           "  --missing-lines      fill blank scan lines with the mean of their neighbours\n"
           "  --contrast N         contrast steps: gain 1 + N (-1 halves; lower counts as -1)\n"
           "  --brightness N       grey levels added to every sample (-20 is one step darker)\n"
           "  --shading N          horizontal shading ramp, -7 to 7\n"
           "  --original           the stored samples with no correction at all (shown\n"
           "                       upside down); not combined with the options above\n"
           "\n"
           "Other options:\n"
           "  -o OUTPUT            the picture file, or the folder for several images\n"
           "  --format FORMAT      bmp (24-bit bitmap), png (8-bit grey) or tiff (8-bit\n"
           "                       grey; a GeoTIFF where the label gives a map\n"
           "                       projection); by default from OUTPUT's extension\n"
           "                       (.png, .tif, .tiff), else bmp\n"
           "  --stats              write no picture; print CSV lines of each rendered\n"
           "                       picture's file,width,height,min,max,mean,median,\n"
           "                       stddev,black,white (samples at 0 and at 255)\n"
           "  --thumbnails SIZE    write NAME.png into the folder OUTPUT for each IMAGE: its\n"
           "                       picture shrunk by area averaging to at most SIZE pixels\n"
           "                       on its longer side (8-bit grey)\n"
           "  --marks              write the marks made on the IMAGEs (from the marks store\n"
           "                       in $XDG_DATA_HOME/duskmapper) instead of pictures: a\n"
           "                       GeoPackage of points, lines, polygons and crater rims in\n"
           "                       the label's map projection (.gpkg), a Craterstats crater\n"
           "                       count of the craters in the drawn areas (.scc), or the\n"
           "                       measurements as CSV (.csv)\n"
           "  --mosaic             write the IMAGEs, the tiles of a quad, as one mosaic\n"
           "                       placed by their georeference in the first tile's\n"
           "                       projection: a COG GeoTIFF with an alpha band, or a\n"
           "                       grey and alpha PNG where OUTPUT ends in .png; stored\n"
           "                       level 0 is no data\n"
           "  -j, --jobs N         convert N images at a time (default: one per core);\n"
           "                       messages and outputs are the same for any N\n"
           "  --quiet              no progress display\n"
           "  --help               show this text\n"
           "  --version            show the version\n";
}

PictureFormat OutputFormat(const ExportSettings& settings) {
    if (settings.format) return *settings.format;
    if (settings.inputs.size() == 1) return FormatOfName(settings.output).value_or(PictureFormat::Bmp);
    return PictureFormat::Bmp;
}

std::string ExportVersion() { return std::string(kExportProgram) + " " + DUSK_VERSION + "\n"; }

ParsedCommandLine ParseExportCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    ExportSettings& settings = parsed.settings;
    bool outputGiven = false;
    bool correctionGiven = false;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            settings.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help") {
            parsed.outcome = ParseOutcome::Help;
            return parsed;
        }
        if (arg == "--version") {
            parsed.outcome = ParseOutcome::Version;
            return parsed;
        }
        if (arg == "--quiet") {
            settings.quiet = true;
            continue;
        }
        if (arg == "--original") {
            settings.original = true;
            continue;
        }
        if (arg == "--stats") {
            settings.stats = true;
            continue;
        }
        if (arg == "--marks") {
            settings.marks = true;
            continue;
        }
        if (arg == "--mosaic") {
            settings.mosaic = true;
            continue;
        }
        if (arg.rfind("-o", 0) == 0) {
            if (outputGiven) return UsageError("-o given more than once");
            if (arg.size() > 2) {
                settings.output = arg.substr(2);
            } else {
                if (i + 1 >= args.size()) return UsageError("-o needs an output name");
                settings.output = args[++i];
            }
            if (settings.output.empty()) return UsageError("the output name is empty");
            outputGiven = true;
            continue;
        }
        if (arg == "--format" || arg.rfind("--format=", 0) == 0) {
            std::string value;
            if (arg.size() > 8) {
                value = arg.substr(9);
            } else {
                if (i + 1 >= args.size()) return UsageError("--format needs bmp, png or tiff");
                value = args[++i];
            }
            settings.format = FormatNamed(value);
            if (!settings.format) return UsageError("unknown format '" + value + "': bmp, png or tiff");
            continue;
        }
        if (arg.rfind("-j", 0) == 0) {
            std::string value;
            if (arg.size() > 2) {
                value = arg.substr(2);
            } else {
                if (i + 1 >= args.size()) return UsageError("-j needs a number");
                value = args[++i];
            }
            const std::string error = ReadNumber("-j", value, 1, settings.jobs);
            if (!error.empty()) return UsageError(error);
            continue;
        }

        bool matched = false;
        for (const FlagOption& flag : kFlagOptions) {
            if (arg == flag.name) {
                settings.options[flag.slot] = 1;
                correctionGiven = matched = true;
                break;
            }
        }
        if (matched) continue;

        struct NumberOption {
            std::string_view name;
            std::int32_t* target;
            std::int32_t minimum;
            bool correction;  // a level: not combined with --original
        };
        const NumberOption numbers[] = {
            {"--contrast", &settings.contrast, INT32_MIN, true},
            {"--brightness", &settings.brightness, INT32_MIN, true},
            {"--shading", &settings.shading, INT32_MIN, true},
            {"--jobs", &settings.jobs, 1, false},
            {"--thumbnails", &settings.thumbnails, 1, false},
        };
        for (const auto& [name, target, minimum, correction] : numbers) {
            const std::string_view view(arg);
            if (view.substr(0, name.size()) != name) continue;
            std::string value;
            if (view.size() == name.size()) {
                if (i + 1 >= args.size()) return UsageError(std::string(name) + " needs a number");
                value = args[++i];
            } else if (view[name.size()] == '=') {
                value = std::string(view.substr(name.size() + 1));
            } else {
                continue;
            }
            const std::string error = ReadNumber(name, value, minimum, *target);
            if (!error.empty()) return UsageError(error);
            correctionGiven = correctionGiven || correction;
            matched = true;
            break;
        }
        if (matched) continue;

        return UsageError("unknown option " + arg);
    }

    if (settings.inputs.empty()) return UsageError("no input image given");
    if (settings.stats && outputGiven) return UsageError("--stats writes no picture: -o is not used");
    if (settings.stats && settings.format) return UsageError("--stats writes no picture: --format is not used");
    if (settings.stats && settings.thumbnails > 0) return UsageError("--stats and --thumbnails cannot be combined");
    if (settings.thumbnails > 0 && settings.format && *settings.format != PictureFormat::Png) {
        return UsageError("--thumbnails writes PNG files: --format cannot be another");
    }
    if (settings.marks && (settings.stats || settings.thumbnails > 0 || settings.format)) {
        return UsageError("--marks cannot be combined with --stats, --thumbnails or --format");
    }
    if (settings.mosaic && (settings.stats || settings.thumbnails > 0 || settings.format)) {
        return UsageError("--mosaic writes one GeoTIFF or PNG: not combined with --stats, --thumbnails or --format");
    }
    if (settings.marks && settings.mosaic) {
        return UsageError("--marks and --mosaic cannot be combined");
    }
    if (!settings.stats && !outputGiven) return UsageError("no output given (-o OUTPUT)");
    if (settings.original && correctionGiven) {
        return UsageError("--original cannot be combined with corrections or levels");
    }
    parsed.outcome = ParseOutcome::Run;
    return parsed;
}

}  // namespace dusk
