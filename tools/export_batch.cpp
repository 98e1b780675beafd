// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/export_batch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <set>
#include <thread>

#include "core/label_keywords.h"
#include "core/paths.h"
#include "core/readout.h"
#include "load/thumbnail.h"
#include "tools/atomic_write.h"
#include "tools/batch_overlap.h"
#include "tools/export_render.h"
#include "tools/ordered_workers.h"
#include "tools/progress.h"
#include "tools/tiff_module.h"

namespace dusk {

namespace {

std::string ErrorText(int code) { return std::strerror(code); }

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Renders `input` on the record bound to this thread and writes it to
// `target`: nothing when that went well, else the message.
ItemOutcome Convert(const std::string& input, const std::string& target, const ExportSettings& settings) {
    if (SameFile(input, target)) return input + ": the output " + target + " is the input itself";
    try {
        const WorkingBuffers buffers = RenderForExport(input, settings);
        if (State().FileLength < 0) return input + ": " + State().ReadError;
        std::string reason;
        if (settings.thumbnails > 0) {
            const Thumbnail thumb = ShrinkLoadedPicture(buffers.Bitmap(), settings.thumbnails);
            if (!thumb.Ok()) return input + ": " + thumb.failure;
            std::vector<std::uint8_t> png;
            if (!EncodePng(GreyPicture{thumb.width, thumb.height, thumb.grey}, png, reason) ||
                !WriteFileReplacing(target, png, reason)) {
                return "cannot write " + target + ": " + reason;
            }
            return std::nullopt;
        }
        const PictureFormat format = OutputFormat(settings);
        if (format == PictureFormat::Bmp) {
            // The bitmap is written straight from the working buffer.
            if (!WriteFileReplacing(target, buffers.Bitmap(), reason)) return "cannot write " + target + ": " + reason;
            return std::nullopt;
        }
        const std::optional<GreyPicture> rendered = GreyFromBitmap(buffers.Bitmap());
        if (!rendered) return input + ": the rendered picture is not a 24-bit bitmap";
        // Of a reduced picture, only its samples, without the grey field.
        const DisplayMapping mapping = CurrentDisplayMapping();
        const GreyPicture grey = CropPicture(*rendered, SampleArea(mapping));
        std::vector<std::uint8_t> file;
        // A TIFF is georeferenced where the label gives a map projection.
        const MapProjection* projection = State().Projection ? &*State().Projection : nullptr;
        const bool encoded = format == PictureFormat::Png
                                 ? EncodePng(grey, file, reason)
                                 : EncodeTiffThroughModule(grey, projection, mapping, file, reason);
        if (!encoded) return input + ": " + reason;
        if (!WriteFileReplacing(target, file, reason)) return "cannot write " + target + ": " + reason;
    } catch (const std::exception& e) {
        return input + ": " + e.what();
    }
    return std::nullopt;
}

}  // namespace

unsigned WorkerCount(const ExportSettings& settings, std::size_t count) {
    const unsigned asked =
        settings.jobs > 0 ? static_cast<unsigned>(settings.jobs) : std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<std::size_t>(asked, count));
}

std::string OutputNameFor(const std::string& inputName, PictureFormat format) {
    // A leading dot starts a hidden name, not an extension.
    const auto dot = inputName.rfind('.');
    if (dot == std::string::npos || dot == 0) return inputName + ExtensionOf(format);
    return inputName.substr(0, dot) + ExtensionOf(format);
}

int RunExport(const ExportSettings& settings, std::ostream& err, bool progress) {
    Reporter report(err, progress && !settings.quiet);
    const std::vector<std::string>& inputs = settings.inputs;
    const std::size_t count = inputs.size();
    // Thumbnails always go into a folder.
    const bool batch = count > 1 || settings.thumbnails > 0;
    const PictureFormat format = settings.thumbnails > 0 ? PictureFormat::Png : OutputFormat(settings);
    // A GeoTIFF carries the georeference: each label's map figures are
    // checked against its bounds first. The other formats carry none and do
    // not load GDAL for it.
    SetGeoreferenceCheck(format == PictureFormat::Tiff ? &CheckGeoreferenceThroughModule : nullptr);
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

    // Output names go to the inputs in their order: a name an earlier input
    // took is refused to a later one.
    std::vector<std::string> targets(count, settings.output);
    std::vector<std::string> refusals(count);
    std::vector<std::string> convertedInputs;
    std::vector<std::string> convertedTargets;
    std::set<std::string> claimed;
    for (std::size_t i = 0; batch && i < count; ++i) {
        const std::string name = OutputNameFor(NamePart(inputs[i]), format);
        targets[i] = folder + name;
        if (!claimed.insert(name).second) {
            refusals[i] = inputs[i] + ": output " + name + " is already taken by an earlier input";
        } else {
            convertedInputs.push_back(inputs[i]);
            convertedTargets.push_back(targets[i]);
        }
    }
    // What is odd about an input that was written all the same.
    std::vector<std::vector<std::string>> warnings(count);
    const auto work = [&](std::size_t i) -> ItemOutcome {
        if (!refusals[i].empty()) return refusals[i];
        ItemOutcome outcome = Convert(inputs[i], targets[i], settings);
        if (!outcome) warnings[i] = LoadWarnings(inputs[i]);
        return outcome;
    };

    int failures = 0;
    const auto tell = [&](std::size_t i, const ItemOutcome& outcome) {
        for (const std::string& warning : warnings[i]) report.Warning(warning);
        if (!outcome) return;
        report.Error(*outcome);
        ++failures;
    };
    const unsigned workers = WorkerCount(settings, count);
    if (workers > 1 && OrderFree(convertedInputs, convertedTargets)) {
        RunInOrder(count, workers, work, [&](std::size_t i, const ItemOutcome& outcome) {
            report.Progress(i + 1, count, inputs[i]);
            tell(i, outcome);
        });
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            report.Progress(i + 1, count, inputs[i]);
            tell(i, work(i));
        }
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace dusk
