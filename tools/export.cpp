// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/export.h"

#include <ostream>

#include "tools/export_marks.h"
#include "tools/mosaic_module.h"

namespace dusk {

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
            err << kExportProgram << ": " << parsed.message << "\n\n" << ExportUsage();
            return 2;
        case ParseOutcome::Run:
            break;
    }
    if (parsed.settings.mosaic) return RunMosaic(parsed.settings, err);
    if (parsed.settings.stats) return RunStats(parsed.settings, out, err);
    if (parsed.settings.marks) return RunMarksExport(parsed.settings, "", err);
    return RunExport(parsed.settings, err, progress);
}

}  // namespace dusk
