// SPDX-License-Identifier: GPL-3.0-or-later
// The Quad Mosaic window: opened on the quad of the image on display; a tile
// double-clicked there is shown in the image window, centred on that place.
#include <cmath>

#include "app/child.h"
#include "app/file_names.h"
#include "app/main_form.h"
#include "app/quad_mosaic_window.h"
#include "collection/navigation.h"
#include "core/image_state.h"
#include "core/paths.h"
#include "core/readout.h"
#include "geo/picture_georeference.h"

namespace dusk::app {

namespace {

// The picture point that shows the file raster point (column, row) under the
// current display mapping.
QPointF PicturePointOf(QPointF file) {
    const GeoTransform t = PictureTransform({0.0, 1.0, 0.0, 0.0, 0.0, 1.0}, CurrentDisplayMapping());
    const double det = t[1] * t[5] - t[2] * t[4];
    const double dx = file.x() - t[0];
    const double dy = file.y() - t[3];
    return {(t[5] * dx - t[2] * dy) / det, (t[1] * dy - t[4] * dx) / det};
}

}  // namespace

void TMainForm::ShowQuadMosaic() {
    if (currentChild_ == nullptr) return;
    if (quadMosaic_ == nullptr) {
        quadMosaic_ = new TQuadMosaicWindow(this);
        connect(quadMosaic_, &TQuadMosaicWindow::TileChosen, this, [this](const QString& path, QPointF file) {
            RunHandler([this, path, file] {
                const ImageState& s = State();
                const std::string name = NamePart(FileSystemPath(path).toStdString());
                for (int i = 0; i < s.FileCount; ++i) {
                    if (s.FileList[static_cast<std::size_t>(i)] != name) continue;
                    if (StepTo(i + 1)) ShowListEntry();  // positions count from 1
                    break;
                }
                raise();
                activateWindow();
                if (currentChild_ != nullptr && State().CurrentFileName == name) {
                    currentChild_->CentreOn(PicturePointOf(file));
                }
            });
        });
    }
    const ImageState& s = State();
    const std::vector<std::string> names(s.FileList.begin(), s.FileList.begin() + s.FileCount);
    quadMosaic_->show();
    quadMosaic_->raise();
    quadMosaic_->ShowQuad(s.DirectoryPath, names, s.CurrentFileName, s.DefaultOptions);
}

}  // namespace dusk::app
