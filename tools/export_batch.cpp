#include "tools/export_batch.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <set>

#include "core/paths.h"
#include "tools/atomic_write.h"
#include "tools/export_render.h"
#include "tools/progress.h"

namespace dusk {

namespace {

std::string ErrorText(int code) { return std::strerror(code); }

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

std::string BitmapNameFor(const std::string& inputName) {
    // A leading dot starts a hidden name, not an extension.
    const auto dot = inputName.rfind('.');
    if (dot == std::string::npos || dot == 0) return inputName + ".bmp";
    return inputName.substr(0, dot) + ".bmp";
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

}  // namespace dusk
