// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include <QStringList>
#include <QWidget>

#include "core/image_state.h"

class QCloseEvent;
class QLabel;
class QListView;

namespace dusk::app {

class OverviewModel;
class ThumbnailPool;

// The Collection Overview tool window: a grid of thumbnails of the
// collection's entries in list order, each the entry as a step to it would
// show it with the Options menu's defaults, at most 160 pixels a side, with
// its name and position beneath. The entry on display is framed and kept in
// view. A click, or Enter on the selected tile, asks for that entry. The
// thumbnails render in the background, those in view first; they are kept
// while the collection and the defaults stay, also while the window is shut.
class TOverviewWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kThumbnailSize = 160;

    // `workers` render threads, or one per core when 0.
    explicit TOverviewWindow(QWidget* parent = nullptr, int workers = 0);
    ~TOverviewWindow() override;

    // The collection (full paths and the names shown) and the defaults to
    // render with. Thumbnails already made for the same entries and defaults
    // are kept; new defaults render every entry again.
    void ShowCollection(const std::vector<std::string>& paths, const QStringList& names,
                        const OptionFlags& defaults);
    // Frames entry `position` (counted from 1; 0 for none), selects it and
    // scrolls it into view.
    void ShowPosition(int position);
    // Stops rendering and lets every thumbnail go.
    void Clear();

    // What the window shows: entries, those rendered, whether every entry in
    // view is, and the bytes the thumbnails hold.
    int Count() const;
    int Rendered() const;
    bool ViewRendered() const;
    qsizetype PictureBytes() const;

signals:
    // The user chose entry `position` (counted from 1).
    void EntryChosen(int position);
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void TakeThumbnail(int index, const QImage& picture, const QString& failure);
    void ShowProgress();
    // The entries in view, counted from 0; last < first when none.
    void RowsInView(int& first, int& last) const;
    void PreferRowsInView();
    void RenderMissing();

    OverviewModel* model_ = nullptr;
    QListView* grid_ = nullptr;
    QLabel* progress_ = nullptr;
    ThumbnailPool* pool_ = nullptr;
    std::vector<std::string> paths_;
    OptionFlags defaults_{};
    bool rendering_ = false;
};

}  // namespace dusk::app
