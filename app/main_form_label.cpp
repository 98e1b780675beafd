// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword label beside the image: the Label Keywords window, which
// follows the image on display, and the status note where the label's raster
// size differs from the rows the file holds.

#include <QAction>
#include <QMdiArea>

#include "app/child.h"
#include "app/label_keywords_window.h"
#include "app/main_form.h"
#include "app/panel_docks.h"
#include "core/geometry_notes.h"
#include "core/image_state.h"

namespace dusk::app {

void TMainForm::SetUpLabelKeywords() {
    labelKeywords_ = new TLabelKeywordsWindow;
    panels_->Add(labelKeywords_, PanelDocks::Side::Left, ActionOf(Cmd::LabelKeywordsItem));
}

// After a load. The picture is shown at the file's geometry all the same.
void TMainForm::NoteLabel() {
    const ImageState& s = State();
    labelNote_.clear();
    const std::optional<LabelGeometry>& label = s.LabelImageGeometry;
    if (label) labelNote_ = QString::fromStdString(LabelGeometryText(*label, s.FileLength, s.ImageWidth));
    // What the label's map figures give, where they contradict themselves or
    // make no projection.
    const QString georeference = QString::fromStdString(s.Georeference.message);
    if (!georeference.isEmpty()) {
        labelNote_ = labelNote_.isEmpty() ? georeference : labelNote_ + QStringLiteral("   ") + georeference;
    }
    if (panels_->IsOpen(labelKeywords_)) labelKeywords_->ShowLabel();
}

void TMainForm::ToggleLabelKeywords() {
    if (panels_->IsOpen(labelKeywords_)) {
        panels_->Close(labelKeywords_);
    } else {
        if (currentChild_ != nullptr) {
            labelKeywords_->ShowLabel();
        } else {
            labelKeywords_->Clear();
        }
        panels_->Open(labelKeywords_);
    }
}

}  // namespace dusk::app
