// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/export_stats.h"

#include <cstdio>
#include <exception>
#include <ostream>
#include <vector>

#include "core/readout.h"
#include "tools/export_batch.h"
#include "tools/export_render.h"
#include "tools/ordered_workers.h"

namespace dusk {

namespace {

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string TwoDecimals(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

}  // namespace

std::string StatsLine(const std::string& file, int width, int height, const PictureStats& stats) {
    return CsvField(file) + ',' + std::to_string(width) + ',' + std::to_string(height) + ',' +
           std::to_string(stats.minimum) + ',' + std::to_string(stats.maximum) + ',' + TwoDecimals(stats.mean) + ',' +
           std::to_string(stats.median) + ',' + TwoDecimals(stats.stddev) + ',' + std::to_string(stats.black) + ',' +
           std::to_string(stats.white);
}

int RunStats(const ExportSettings& settings, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& inputs = settings.inputs;
    std::vector<std::string> lines(inputs.size());
    std::vector<std::vector<std::string>> warnings(inputs.size());
    const auto work = [&](std::size_t i) -> ItemOutcome {
        try {
            const WorkingBuffers buffers = RenderForExport(inputs[i], settings);
            const ImageState& s = State();
            if (s.FileLength < 0) return inputs[i] + ": " + s.ReadError;
            // Of a reduced picture: its own size, and only its samples.
            const PictureArea area = SampleArea(CurrentDisplayMapping());
            lines[i] = StatsLine(inputs[i], area.width, area.height, MeasureRenderedPicture());
            warnings[i] = LoadWarnings(inputs[i]);
        } catch (const std::exception& e) {
            return inputs[i] + ": " + e.what();
        }
        return std::nullopt;
    };
    const unsigned workers = WorkerCount(settings, inputs.size());

    int failures = 0;
    out << kStatsHeader << '\n';
    RunInOrder(inputs.size(), workers, work, [&](std::size_t i, const ItemOutcome& outcome) {
        if (!warnings[i].empty()) out << std::flush;
        for (const std::string& warning : warnings[i]) err << kExportProgram << ": " << warning << '\n' << std::flush;
        if (outcome) {
            out << std::flush;
            err << kExportProgram << ": " << *outcome << '\n' << std::flush;
            ++failures;
            return;
        }
        out << lines[i] << '\n';
    });
    out << std::flush;
    return failures == 0 ? 0 : 1;
}

}  // namespace dusk
