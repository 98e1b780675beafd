// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom commands of the View menu, which act on the image window, and the
// zoom field at the right of the status bar.
#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>

#include "app/child.h"
#include "app/main_form.h"

namespace dusk::app {

void TMainForm::SetUpZoomField() {
    zoomField_ = new QLabel;
    zoomField_->setObjectName(QStringLiteral("ZoomField"));
    zoomField_->setAccessibleName(tr("Zoom"));
    zoomField_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Wide enough for the largest zoom, so that the bar does not jump.
    zoomField_->setMinimumWidth(zoomField_->fontMetrics().horizontalAdvance(QStringLiteral("0000 %")));
    statusBar()->addPermanentWidget(zoomField_);
}

void TMainForm::ConnectZoom(TChild* child) { connect(child, &TChild::ZoomChanged, this, &TMainForm::ShowZoom); }

// The zoom in percent and the Fit to Window check, from the image window.
void TMainForm::ShowZoom() {
    const TChild* child = currentChild_;
    zoomField_->setText(child != nullptr ? tr("%1 %").arg(qRound(child->Scale() * 100)) : QString());
    for (const CommandRow& command : CommandTable()) {
        if (command.press == Press::Fit) ActionOf(command.id)->setChecked(child != nullptr && child->Fitted());
    }
}

void TMainForm::ZoomIn() {
    if (currentChild_ != nullptr) currentChild_->ZoomIn();
}

void TMainForm::ZoomOut() {
    if (currentChild_ != nullptr) currentChild_->ZoomOut();
}

void TMainForm::ActualSize() {
    if (currentChild_ != nullptr) currentChild_->ActualSize();
}

// The click has already flipped the check; it follows the window alone.
void TMainForm::FitToWindow() {
    if (currentChild_ != nullptr) currentChild_->SetFitted(!currentChild_->Fitted());
    ShowZoom();
}

}  // namespace dusk::app
