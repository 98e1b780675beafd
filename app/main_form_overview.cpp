// SPDX-License-Identifier: GPL-3.0-or-later
// The Collection Overview: a grid of thumbnails of the collection, rendered
// in the background with the Options menu's defaults; it follows the entry
// on display, and a tile chosen there is shown as a step to it would be.
#include <QAction>
#include <QMdiArea>

#include "app/child.h"
#include "app/file_names.h"
#include "app/main_form.h"
#include "app/overview_window.h"
#include "collection/navigation.h"
#include "core/image_state.h"

namespace dusk::app {

void TMainForm::SetUpOverview() {
    overview_ = new TOverviewWindow(this);
    // The window's keys (Next, Previous, the scan) work while the overview has the focus, too.
    overview_->addActions(actions());
    connect(overview_, &TOverviewWindow::Closed, this, [this] { ActionOf(Cmd::OverviewItem)->setChecked(false); });
    connect(overview_, &TOverviewWindow::EntryChosen, this,
            [this](int position) { RunHandler([this, position] { ShowChosenEntry(position); }); });
}

void TMainForm::ShowOverviewCollection() {
    if (currentChild_ == nullptr || !overview_->isVisible()) return;
    const ImageState& s = State();
    std::vector<std::string> paths;
    QStringList names;
    paths.reserve(static_cast<std::size_t>(s.FileCount));
    for (int i = 0; i < s.FileCount; ++i) {
        const std::string& name = s.FileList[static_cast<std::size_t>(i)];
        paths.push_back(s.DirectoryPath + name);
        names << FromFileSystem(name);
    }
    overview_->ShowCollection(paths, names, s.DefaultOptions);
    overview_->ShowPosition(s.FilePosition);
}

void TMainForm::ToggleOverview() {
    if (overview_->isVisible()) {
        overview_->close();
    } else if (currentChild_ != nullptr) {
        const int clientTop = clientArea_->mapToGlobal(QPoint(0, 0)).y();
        overview_->PlaceBeside(*this, clientTop);
        overview_->show();
        overview_->PlaceBeside(*this, clientTop);  // now with its frame, where that is known
        ShowOverviewCollection();
    }
    ActionOf(Cmd::OverviewItem)->setChecked(overview_->isVisible());
}

void TMainForm::ShowChosenEntry(int position) {
    if (currentChild_ == nullptr) return;
    if (StepTo(position)) ShowListEntry();
}

}  // namespace dusk::app
