// SPDX-License-Identifier: GPL-3.0-or-later
// Getting about the collection and its quads: the first and last entry, an
// entry by position or name, the tiles' outlines over a quad's browse image
// and the way between the browse image and its tiles; and the tone levels
// of the image on display in the status bar.
#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

#include "app/child.h"
#include "app/file_names.h"
#include "app/main_form.h"
#include "app/quad_browser.h"
#include "collection/navigation.h"
#include "core/image_state.h"
#include "core/readout.h"

namespace dusk::app {

void TMainForm::SetUpQuadBrowser() {
    quadBrowser_ = new TQuadBrowser(ActionOf(Cmd::FootprintsItem), ActionOf(Cmd::ShowInBrowseItem), this);
    levels_ = new QLabel;
    levels_->setObjectName(QStringLiteral("LevelsField"));
    levels_->hide();
    statusBar()->insertPermanentWidget(0, levels_);
    SetEntryChooser(nullptr);
}

void TMainForm::SetEntryChooser(ImageChooser chooser) {
    if (chooser) {
        entryChooser_ = std::move(chooser);
        return;
    }
    entryChooser_ = [this] {
        bool accepted = false;
        const QString text = QInputDialog::getText(this, tr("Go to Entry"),
                                                   tr("Position (1 to %1) or name:").arg(State().FileCount),
                                                   QLineEdit::Normal, QString(), &accepted);
        return accepted ? text : QString();
    };
}

void TMainForm::StepAndCentre(int position, const RasterPoint& spot) {
    if (!StepTo(position)) return;
    ShowListEntry();
    const PicturePoint at = PicturePointOf(CurrentDisplayMapping(), spot);
    currentChild_->CentreOn(QPointF(at.x, at.y));
}

// ---------------------------------------------------------------------------
// Entries.

void TMainForm::FirstEntry() {
    if (currentChild_ != nullptr && StepTo(1)) ShowListEntry();
}

void TMainForm::LastEntry() {
    if (currentChild_ != nullptr && StepTo(State().FileCount)) ShowListEntry();
}

void TMainForm::GoToEntry() {
    if (currentChild_ == nullptr) return;
    const QString text = entryChooser_().trimmed();
    if (text.isEmpty()) return;
    const int position = FindEntry(FileSystemPath(text).toStdString());
    if (position == 0) {
        ShowHint(tr("No entry of the collection is %1, or more than one begins so.").arg(text));
        return;
    }
    if (StepTo(position)) ShowListEntry();
}

// ---------------------------------------------------------------------------
// The quad.

void TMainForm::ToggleFootprints() {
    quadBrowser_->SetFootprintsShown(!quadBrowser_->FootprintsShown());
}

void TMainForm::OpenTileAt(QPointF picturePoint) {
    if (currentChild_ == nullptr) return;
    if (const std::optional<TQuadBrowser::Destination> tile = quadBrowser_->TileUnder(picturePoint)) {
        StepAndCentre(tile->position, tile->spot);
    }
}

void TMainForm::ShowInBrowseImage() {
    if (currentChild_ == nullptr) return;
    if (const std::optional<TQuadBrowser::Destination> browse = quadBrowser_->BrowseOfTile()) {
        StepAndCentre(browse->position, browse->spot);
    }
}

// ---------------------------------------------------------------------------
// Tone levels.

void TMainForm::ShowLevels() {
    const ImageState& s = State();
    QStringList levels;
    const auto add = [&levels](const QString& name, int level) {
        if (level != 0) levels << QStringLiteral("%1 %2%3").arg(name, level > 0 ? QStringLiteral("+") : QString()).arg(level);
    };
    if (currentChild_ != nullptr) {
        add(tr("Contrast"), s.ContrastLevel);
        add(tr("Brightness"), s.BrightnessOffset);
        add(tr("Shading"), s.ShadingLevel);
    }
    levels_->setText(levels.join(QStringLiteral("  ")));
    levels_->setVisible(!levels.isEmpty());
}

}  // namespace dusk::app
