// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QGraphicsView>
#include <QString>

#include "core/image_state.h"

class QAbstractItemModel;
class QGraphicsPixmapItem;
class QGraphicsPolygonItem;

namespace dusk::app {

// The Collection Overview's map layout: each entry's thumbnail drawn where
// its samples lie on the map, for the entries whose labels share the
// projection of the entry on display (else of the first entry that has
// one). A click on a thumbnail asks for its entry; the entry on display is
// framed. Thumbnails come from the overview's model as they render.
class TOverviewMap : public QGraphicsView {
    Q_OBJECT

public:
    explicit TOverviewMap(QWidget* parent = nullptr);
    ~TOverviewMap() override;

    // Lays out the entries at `paths` (full paths) by their labels, the
    // thumbnails made with `defaults`, and takes what `model` holds so far.
    // `shown` is the entry on display, counted from 0 (-1 for none).
    void Lay(const std::vector<std::string>& paths, const OptionFlags& defaults, const QAbstractItemModel& model,
             int shown);
    // The thumbnail of entry `index` (from 0) has come, or changed.
    void TakeThumbnail(int index, const QImage& picture);
    void ShowPosition(int shown);
    void Clear();

    // How many entries lie on the map, and a sentence on those that do not.
    int Placed() const;
    const QString& LeftOut() const { return leftOut_; }

signals:
    void EntryChosen(int position);  // counted from 1

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Entry;
    void Fit();

    std::vector<std::unique_ptr<Entry>> entries_;  // by list index; null where not placed
    OptionFlags defaults_{};
    QString leftOut_;
    QGraphicsPolygonItem* frame_ = nullptr;
};

}  // namespace dusk::app
