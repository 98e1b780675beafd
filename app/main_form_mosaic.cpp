// SPDX-License-Identifier: GPL-3.0-or-later
// The Quad Mosaic window: opened on the quad of the image on display; a tile
// double-clicked there is shown in the image window, centred on that place.
#include "app/child.h"
#include "app/file_names.h"
#include "app/main_form.h"
#include "app/quad_mosaic_window.h"
#include "collection/navigation.h"
#include "core/image_state.h"
#include "core/paths.h"

namespace dusk::app {

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
                    StepAndCentre(i + 1, {file.x(), file.y()});  // positions count from 1
                    break;
                }
                raise();
                activateWindow();
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
