// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace dusk::app {

class MeasureTools;

// File ▸ Export Marks: the marks of the image on display, or of every tile
// of its quad, as a GeoPackage or a Craterstats crater count; the
// Measurements panel as CSV; the profile on the Profile panel as CSV. The
// image's marks come from the panel (what the user sees), the quad's other
// tiles' from the marks store.
class MarksExportCommand {
public:
    // The exports, in the order of the dialog's file types.
    enum class Export { ImageGeoPackage, QuadGeoPackage, ImageCraterCount, QuadCraterCount, MeasurementsCsv, ProfileCsv };
    struct Choice {
        QString path;  // empty when the user cancelled
        Export what = Export::ImageGeoPackage;
    };
    using Chooser = std::function<Choice()>;

    MarksExportCommand(QWidget& window, const MeasureTools& tools);
    // Replaces the save dialog; an empty chooser brings it back.
    void SetChooser(Chooser chooser);
    // Asks for the file and writes it; returns what the status bar says
    // (empty when cancelled): the file written and any warnings, or why
    // nothing was written.
    QString Run();

private:
    Choice ChooseWithDialog();

    QWidget& window_;
    const MeasureTools& tools_;
    Chooser chooser_;
};

}  // namespace dusk::app
