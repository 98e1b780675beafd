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
#include "app/panel_docks.h"
#include "collection/navigation.h"
#include "core/image_state.h"

namespace dusk::app {

void TMainForm::SetUpOverview() {
    overview_ = new TOverviewWindow;
    panels_->Add(overview_, PanelDocks::Side::Right, ActionOf(Cmd::OverviewItem));
    connect(overview_, &TOverviewWindow::EntryChosen, this,
            [this](int position) { RunHandler([this, position] { ShowChosenEntry(position); }); });
}

void TMainForm::ShowOverviewCollection() {
    if (currentChild_ == nullptr || !panels_->IsOpen(overview_)) return;
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
    if (panels_->IsOpen(overview_)) {
        panels_->Close(overview_);
    } else if (currentChild_ != nullptr) {
        panels_->Open(overview_);
        ShowOverviewCollection();
    }
}

void TMainForm::ShowChosenEntry(int position) {
    if (currentChild_ == nullptr) return;
    if (StepTo(position)) ShowListEntry();
}

}  // namespace dusk::app
