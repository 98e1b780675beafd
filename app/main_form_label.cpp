// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword label beside the image: the Label Keywords window, which
// follows the image on display, and the status note where the label's raster
// size differs from the rows the file holds.
#include <algorithm>

#include <QAction>
#include <QMdiArea>
#include <QScreen>

#include "app/child.h"
#include "app/label_keywords_window.h"
#include "app/main_form.h"
#include "core/geometry_notes.h"
#include "core/image_state.h"

namespace dusk::app {

namespace {

constexpr int kSmallestHeight = 240;
constexpr int kFrameAllowance = 40;  // the title bar and border the window manager adds

}  // namespace

void TMainForm::SetUpLabelKeywords() {
    labelKeywords_ = new TLabelKeywordsWindow(this);
    // The window's keys work while the Label Keywords window has the focus, too.
    labelKeywords_->addActions(actions());
    connect(labelKeywords_, &TLabelKeywordsWindow::Closed, this,
            [this] { ActionOf(Cmd::LabelKeywordsItem)->setChecked(false); });
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
    if (labelKeywords_->isVisible()) labelKeywords_->ShowLabel();
}

void TMainForm::ToggleLabelKeywords() {
    if (labelKeywords_->isVisible()) {
        labelKeywords_->close();
    } else {
        if (currentChild_ != nullptr) {
            labelKeywords_->ShowLabel();
        } else {
            labelKeywords_->Clear();
        }
        // At the left, below the tool bars, where the Histogram window is not.
        const QRect room = screen()->availableGeometry();
        const int clientTop = clientArea_->mapToGlobal(QPoint(0, 0)).y();
        const int height = std::clamp(room.bottom() - clientTop - kFrameAllowance, kSmallestHeight,
                                      labelKeywords_->height());
        labelKeywords_->resize(labelKeywords_->width(), height);
        labelKeywords_->move(std::max(room.left(), frameGeometry().left()), clientTop);
        labelKeywords_->show();
    }
    ActionOf(Cmd::LabelKeywordsItem)->setChecked(labelKeywords_->isVisible());
}

}  // namespace dusk::app
