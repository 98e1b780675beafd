// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include <QAbstractListModel>
#include <QImage>
#include <QString>
#include <QStyledItemDelegate>

namespace dusk::app {

// The tiles of the collection overview, one per list entry in list order:
// the entry's name, its position "n/N", its thumbnail or the reason it has
// none. At most 1,000 entries of at most 160 x 160 grey pixels: under 25 MiB.
class OverviewModel : public QAbstractListModel {
    Q_OBJECT

public:
    // Beside the standard roles (name, thumbnail, reason as tooltip).
    enum Role { PositionRole = Qt::UserRole, FailureRole, RenderedRole, ShownRole };

    using QAbstractListModel::QAbstractListModel;

    // New entries, none rendered yet.
    void Reset(const QStringList& names);
    // Every thumbnail goes stale; each stays shown until its new one comes.
    void MarkStale();
    void SetTile(int row, const QImage& picture, const QString& failure);
    // The entry on display (counted from 0); -1 for none.
    void SetShown(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int Rendered() const { return rendered_; }
    int Count() const { return static_cast<int>(tiles_.size()); }
    bool IsRendered(int row) const { return tiles_[static_cast<std::size_t>(row)].rendered; }
    // Bytes held by the thumbnails.
    qsizetype PictureBytes() const;

private:
    struct Tile {
        QString name;
        QImage picture;
        QString failure;
        bool rendered = false;
    };
    std::vector<Tile> tiles_;
    int rendered_ = 0;
    int shown_ = -1;
};

// Draws a tile: the thumbnail one pixel per pixel, centred in its square
// (or a placeholder), the name and position beneath; a frame round the
// entry on display, the selection's colour behind the selected one.
class TileDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kPictureSide = 160;
    using QStyledItemDelegate::QStyledItemDelegate;

    // The room of one tile in the grid.
    static QSize CellSize(const QFontMetrics& metrics);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace dusk::app
