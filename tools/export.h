#pragma once

// duskmapper-export: renders image files to bitmap files without the desktop
// program, through the same load steps and the same corrections.

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "core/image_state.h"

namespace dusk {

struct ExportSettings {
    OptionFlags options{};  // becomes ActiveOptions of every image
    std::int32_t contrast = 0;
    std::int32_t brightness = 0;
    std::int32_t shading = 0;
    bool original = false;  // no correction at all, as "Original Image"
    bool quiet = false;
    std::vector<std::string> inputs;
    std::string output;
};

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

// Loads one image exactly as the desktop program loads it (the collection's
// list aside) and renders it with the given options and levels. The buffers
// handed back hold the bitmap file. When the file cannot be read, FileLength
// is -1 and ReadError says why.
[[nodiscard]] WorkingBuffers RenderForExport(const std::string& path, const ExportSettings& settings);

// The same, with the 54 + 3*W*H bytes of the bitmap file copied to `bitmap`.
bool RenderImageFile(const std::string& path, const ExportSettings& settings, std::vector<std::uint8_t>& bitmap,
                     std::string& error);

// The output name of an input name: its extension replaced by ".bmp", or
// ".bmp" appended when it has none.
std::string BitmapNameFor(const std::string& inputName);

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and
// renames it into place, so that `path` holds either its old content or the
// whole new one. A symbolic link is followed and stays; anything else that
// is not a regular file (a folder, a FIFO, a device) is never replaced. On
// failure the temporary file is removed, `error` says why and false is
// returned.
bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error);

// Converts every input of `settings`. Messages go to `err`; progress lines
// too when `progress` is set (and --quiet was not given). Returns the exit
// status: 0 when every input was converted, 1 otherwise.
int RunExport(const ExportSettings& settings, std::ostream& err, bool progress);

// The whole command: parsing, help, version, conversion. Returns the exit
// status (2 for a usage error).
int ExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progress);

}  // namespace dusk
