#include "tools/export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <ostream>
#include <set>
#include <string_view>

#include "core/paths.h"
#include "load/load_image.h"

#ifndef DUSK_VERSION
#define DUSK_VERSION "unknown"
#endif

namespace dusk {

namespace {

constexpr const char* kProgram = "duskmapper-export";

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

ParsedCommandLine UsageError(std::string message) {
    ParsedCommandLine parsed;
    parsed.outcome = ParseOutcome::UsageError;
    parsed.message = std::move(message);
    return parsed;
}

std::string ErrorText(int code) { return std::strerror(code); }

// Output lines on a terminal: one progress line rewritten in place, with
// messages printed above it.
class Reporter {
public:
    Reporter(std::ostream& err, bool progress) : err_(err), progress_(progress) {}
    ~Reporter() {
        if (shown_) err_ << "\r\033[K" << std::flush;
    }
    void Progress(std::size_t n, std::size_t count, const std::string& name) {
        if (!progress_) return;
        err_ << "\r\033[K" << n << '/' << count << ' ' << name << std::flush;
        shown_ = true;
    }
    void Error(const std::string& message) {
        if (shown_) err_ << "\r\033[K";
        err_ << kProgram << ": " << message << '\n' << std::flush;
        shown_ = false;
    }

private:
    std::ostream& err_;
    bool progress_;
    bool shown_ = false;
};

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

std::string ExportUsage() {
    return "usage: duskmapper-export [OPTIONS] IMAGE... -o OUTPUT\n"
           "\n"
           "Renders Venera 15 and 16 radar images to 24-bit bitmap files with the\n"
           "corrections of the desktop program. With one IMAGE, OUTPUT is the bitmap file\n"
           "to write; with several, OUTPUT is a folder (created if missing) that receives\n"
           "one NAME.bmp per IMAGE.\n"
           "\n"
           "Corrections (all off unless given):\n"
           "  --stretch            the Stretch switch (leaves the grey levels as they are)\n"
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
           "  -o OUTPUT            the bitmap file, or the folder for several images\n"
           "  --quiet              no progress display\n"
           "  --help               show this text\n"
           "  --version            show the version\n";
}

std::string ExportVersion() { return std::string(kProgram) + " " + DUSK_VERSION + "\n"; }

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

        bool matched = false;
        for (const FlagOption& flag : kFlagOptions) {
            if (arg == flag.name) {
                settings.options[flag.slot] = 1;
                correctionGiven = matched = true;
                break;
            }
        }
        if (matched) continue;

        const std::pair<std::string_view, std::int32_t*> levels[] = {
            {"--contrast", &settings.contrast},
            {"--brightness", &settings.brightness},
            {"--shading", &settings.shading},
        };
        for (const auto& [name, target] : levels) {
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
            if (!ParseLevel(value, *target)) {
                return UsageError("not a whole number for " + std::string(name) + ": '" + value + "'");
            }
            correctionGiven = matched = true;
            break;
        }
        if (matched) continue;

        return UsageError("unknown option " + arg);
    }

    if (settings.inputs.empty()) return UsageError("no input image given");
    if (!outputGiven) return UsageError("no output given (-o OUTPUT)");
    if (settings.original && correctionGiven) {
        return UsageError("--original cannot be combined with corrections or levels");
    }
    parsed.outcome = ParseOutcome::Run;
    return parsed;
}

WorkingBuffers RenderForExport(const std::string& path, const ExportSettings& settings) {
    LoadSettings load;
    load.keepList = true;
    if (settings.original) {
        load.mode = RenderMode::Unprocessed;
        load.adjust = ClearActiveAdjustments;
    } else {
        load.adjust = [&settings] {
            ImageState& s = State();
            s.ActiveOptions = settings.options;
            s.ContrastLevel = settings.contrast;
            s.BrightnessOffset = settings.brightness;
            s.ShadingLevel = settings.shading;
        };
    }
    return LoadImage(path, load);
}

bool RenderImageFile(const std::string& path, const ExportSettings& settings, std::vector<std::uint8_t>& bitmap,
                     std::string& error) {
    const WorkingBuffers buffers = RenderForExport(path, settings);
    if (State().FileLength < 0) {
        error = State().ReadError;
        return false;
    }
    bitmap.assign(buffers.Bitmap().begin(), buffers.Bitmap().end());
    return true;
}

std::string BitmapNameFor(const std::string& inputName) {
    // A leading dot starts a hidden name, not an extension.
    const auto dot = inputName.rfind('.');
    if (dot == std::string::npos || dot == 0) return inputName + ".bmp";
    return inputName.substr(0, dot) + ".bmp";
}

bool WriteFileReplacing(const std::string& requested, std::span<const std::uint8_t> bytes, std::string& error) {
    // A symbolic link is followed, so the file it names is replaced and the
    // link stays. Only a regular file is ever replaced: renaming over a
    // device, a FIFO or a folder would destroy it or fail half-way.
    std::string path = requested;
    struct stat info {};
    bool exists = ::lstat(path.c_str(), &info) == 0;
    if (exists && S_ISLNK(info.st_mode)) {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (resolved == nullptr) {
            error = ErrorText(errno);
            return false;
        }
        path = resolved;
        std::free(resolved);
        exists = ::stat(path.c_str(), &info) == 0;
    }
    if (exists && S_ISDIR(info.st_mode)) {
        error = ErrorText(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }

    const std::string folder = DirectoryPart(path);

    // The temporary name is short whatever the output's name, so a name near
    // the file system's length limit can still be written.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = folder + ".duskmapper-export-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100)) {
            error = ErrorText(errno);
            return false;
        }
    }

    auto fail = [&](int code) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        error = ErrorText(code);
        return false;
    };

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        done += static_cast<std::size_t>(put);
    }
    // Replacing a file: its new bytes reach the disk before the rename, so a
    // crash leaves the old file or the new one, never an empty one. A new
    // name has nothing to lose and is not waited for.
    if (exists && ::fsync(fd) != 0) return fail(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0) return fail(errno);
    return true;
}

int RunExport(const ExportSettings& settings, std::ostream& err, bool progress) {
    Reporter report(err, progress && !settings.quiet);
    const bool batch = settings.inputs.size() > 1;
    std::string folder;
    if (batch) {
        std::error_code ec;
        std::filesystem::create_directories(settings.output, ec);
        if (!std::filesystem::is_directory(settings.output)) {
            const std::string reason = ec ? ec.message() : ErrorText(ENOTDIR);
            report.Error("cannot use " + settings.output + " as output folder: " + reason);
            return 1;
        }
        folder = settings.output;
        if (folder.back() != '/') folder += '/';
    }

    int failures = 0;
    std::set<std::string> claimed;
    const std::size_t count = settings.inputs.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& input = settings.inputs[i];
        report.Progress(i + 1, count, input);

        std::string target = settings.output;
        if (batch) {
            const std::string name = BitmapNameFor(NamePart(input));
            if (!claimed.insert(name).second) {
                report.Error(input + ": output " + name + " is already taken by an earlier input");
                ++failures;
                continue;
            }
            target = folder + name;
        }
        if (SameFile(input, target)) {
            report.Error(input + ": the output " + target + " is the input itself");
            ++failures;
            continue;
        }

        try {
            // The bitmap is written straight from the working buffer.
            const WorkingBuffers buffers = RenderForExport(input, settings);
            if (State().FileLength < 0) {
                report.Error(input + ": " + State().ReadError);
                ++failures;
                continue;
            }
            std::string reason;
            if (!WriteFileReplacing(target, buffers.Bitmap(), reason)) {
                report.Error("cannot write " + target + ": " + reason);
                ++failures;
                continue;
            }
        } catch (const std::exception& e) {
            report.Error(input + ": " + e.what());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

int ExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progress) {
    const ParsedCommandLine parsed = ParseExportCommandLine(args);
    switch (parsed.outcome) {
        case ParseOutcome::Help:
            out << ExportUsage();
            return 0;
        case ParseOutcome::Version:
            out << ExportVersion();
            return 0;
        case ParseOutcome::UsageError:
            err << kProgram << ": " << parsed.message << "\n\n" << ExportUsage();
            return 2;
        case ParseOutcome::Run:
            break;
    }
    return RunExport(parsed.settings, err, progress);
}

}  // namespace dusk
