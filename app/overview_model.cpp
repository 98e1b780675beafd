// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/overview_model.h"

#include <QPainter>
#include <QPen>

namespace dusk::app {

namespace {

constexpr int kMargin = 8;
constexpr int kFrame = 3;

}  // namespace

void OverviewModel::Reset(const QStringList& names) {
    beginResetModel();
    tiles_.clear();
    tiles_.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names) tiles_.push_back({name, {}, {}, false});
    rendered_ = 0;
    shown_ = -1;
    endResetModel();
}

void OverviewModel::MarkStale() {
    for (Tile& tile : tiles_) tile.rendered = false;
    rendered_ = 0;
}

void OverviewModel::SetTile(int row, const QImage& picture, const QString& failure) {
    if (row < 0 || row >= Count()) return;
    Tile& tile = tiles_[static_cast<std::size_t>(row)];
    if (!tile.rendered) ++rendered_;
    tile.rendered = true;
    tile.picture = picture;
    tile.failure = failure;
    const QModelIndex at = index(row);
    emit dataChanged(at, at);
}

void OverviewModel::SetShown(int row) {
    const int before = shown_;
    shown_ = row;
    for (const int changed : {before, row}) {
        if (changed >= 0 && changed < Count()) emit dataChanged(index(changed), index(changed));
    }
}

int OverviewModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant OverviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    const Tile& tile = tiles_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return tile.name;
        case Qt::DecorationRole:
            return tile.picture;
        case Qt::ToolTipRole:
            return tile.failure.isEmpty() ? tile.name : tile.name + QStringLiteral(": ") + tile.failure;
        case PositionRole:
            return QStringLiteral("%1/%2").arg(index.row() + 1).arg(Count());
        case FailureRole:
            return tile.failure;
        case RenderedRole:
            return tile.rendered;
        case ShownRole:
            return index.row() == shown_;
        default:
            return {};
    }
}

qsizetype OverviewModel::PictureBytes() const {
    qsizetype bytes = 0;
    for (const Tile& tile : tiles_) bytes += tile.picture.sizeInBytes();
    return bytes;
}

void TileDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    painter->save();
    const QRect cell = option.rect.adjusted(2, 2, -2, -2);
    const QPalette& palette = option.palette;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    if (selected) {
        QColor tint = palette.color(QPalette::Highlight);
        tint.setAlpha(70);
        painter->fillRect(cell, tint);
    }
    const QRect square(cell.left() + (cell.width() - kPictureSide) / 2, cell.top() + kMargin, kPictureSide,
                       kPictureSide);

    const QImage picture = index.data(Qt::DecorationRole).value<QImage>();
    const QString failure = index.data(OverviewModel::FailureRole).toString();
    if (!failure.isEmpty()) {
        painter->fillRect(square, palette.mid());
        painter->setPen(palette.color(QPalette::BrightText));
        painter->drawText(square.adjusted(6, 6, -6, -6), Qt::AlignCenter | Qt::TextWordWrap,
                          tr("Cannot be shown"));
    } else if (!picture.isNull()) {
        // One pixel of the thumbnail per device pixel.
        QImage exact = picture;
        const qreal ratio = painter->device()->devicePixelRatioF();
        exact.setDevicePixelRatio(ratio);
        const QSizeF size = QSizeF(exact.size()) / ratio;
        const QPointF at(square.left() + (kPictureSide - size.width()) / 2,
                         square.top() + (kPictureSide - size.height()) / 2);
        painter->drawImage(QPointF(qRound(at.x() * ratio) / ratio, qRound(at.y() * ratio) / ratio), exact);
    } else {
        painter->setPen(QPen(palette.color(QPalette::Mid), 1, Qt::DashLine));
        painter->drawRect(square.adjusted(0, 0, -1, -1));
    }
    if (index.data(OverviewModel::ShownRole).toBool()) {
        QPen frame(palette.color(QPalette::Highlight), kFrame);
        frame.setJoinStyle(Qt::MiterJoin);
        painter->setPen(frame);
        painter->drawRect(QRectF(cell).adjusted(kFrame / 2.0, kFrame / 2.0, -kFrame / 2.0, -kFrame / 2.0));
    }

    painter->setPen(palette.color(QPalette::Text));
    const int line = option.fontMetrics.height();
    QRect caption(cell.left() + 2, square.bottom() + 1 + kMargin / 2, cell.width() - 4, line);
    painter->drawText(caption, Qt::AlignHCenter | Qt::AlignTop,
                      option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle,
                                                    caption.width()));
    caption.translate(0, line);
    painter->drawText(caption, Qt::AlignHCenter | Qt::AlignTop, index.data(OverviewModel::PositionRole).toString());
    painter->restore();
}

QSize TileDelegate::CellSize(const QFontMetrics& metrics) {
    return {kPictureSide + 2 * kMargin, kPictureSide + 2 * kMargin + 2 * metrics.height()};
}

QSize TileDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return CellSize(option.fontMetrics);
}

}  // namespace dusk::app
