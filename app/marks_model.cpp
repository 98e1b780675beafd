// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/marks_model.h"

#include <algorithm>
#include <cmath>

namespace dusk::app {

QString KindText(MarkKind kind) {
    switch (kind) {
        case MarkKind::Point: return MarksModel::tr("Point");
        case MarkKind::Distance: return MarksModel::tr("Distance");
        case MarkKind::Area: return MarksModel::tr("Area");
        case MarkKind::Crater: return MarksModel::tr("Crater");
        case MarkKind::Profile: return MarksModel::tr("Profile");
    }
    return {};
}

MarksModel::MarksModel(QObject* parent) : QAbstractTableModel(parent), backend_(std::make_unique<MemoryMarks>()) {}

MarksModel::~MarksModel() = default;

void MarksModel::SetBackend(std::unique_ptr<MarksBackend> backend) {
    backend_ = std::move(backend);
    Clear();
}

void MarksModel::Report(const std::string& error) {
    if (!error.empty()) emit Problem(QString::fromStdString(error));
}

void MarksModel::ShowImage(std::span<const std::uint8_t> file, const std::string& fileName) {
    beginResetModel();
    key_ = backend_->KeyOf(file);
    fileName_ = fileName;
    std::string error;
    marks_ = backend_->MarksOf(key_, error);
    endResetModel();
    Report(error);
}

void MarksModel::SetLongitudeWest(bool west) {
    if (west == longitudeWest_) return;
    longitudeWest_ = west;
    if (!marks_.empty()) emit dataChanged(index(0, LongitudeColumn), index(rowCount() - 1, LongitudeColumn));
}

void MarksModel::Clear() {
    beginResetModel();
    key_.clear();
    fileName_.clear();
    marks_.clear();
    endResetModel();
}

Mark MarksModel::Add(const Mark& mark) {
    Mark kept = mark;
    std::string error;
    const std::optional<std::int64_t> id = backend_->Add(key_, fileName_, mark, error);
    kept.id = id ? *id : --unstoredId_;
    const int row = static_cast<int>(marks_.size());
    beginInsertRows({}, row, row);
    marks_.push_back(kept);
    endInsertRows();
    Report(error);
    return kept;
}

void MarksModel::Restore(const Mark& mark) {
    std::string error;
    if (mark.id > 0) backend_->Restore(key_, fileName_, mark, error);
    // Back in its place among the marks in the order made.
    const auto place = std::find_if(marks_.begin(), marks_.end(), [&mark](const Mark& m) {
        return m.id > 0 && mark.id > 0 ? m.id > mark.id : false;
    });
    const int row = static_cast<int>(place - marks_.begin());
    beginInsertRows({}, row, row);
    marks_.insert(place, mark);
    endInsertRows();
    Report(error);
}

void MarksModel::Remove(std::int64_t id) {
    const int row = RowOf(id);
    if (row < 0) return;
    std::string error;
    if (id > 0) backend_->Remove(id, error);
    beginRemoveRows({}, row, row);
    marks_.erase(marks_.begin() + row);
    endRemoveRows();
    Report(error);
}

int MarksModel::RowOf(std::int64_t id) const {
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        if (marks_[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

int MarksModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(marks_.size());
}

int MarksModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant MarksModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case KindColumn: return tr("Kind");
        case LatitudeColumn: return tr("Latitude");
        case LongitudeColumn: return tr("Longitude");
        case LengthColumn: return tr("Length or diameter");
        case AreaColumn: return tr("Area");
        case TileColumn: return tr("Tile");
        case RowColumn: return tr("File row");
        case ColumnColumn: return tr("File column");
        default: return {};
    }
}

QVariant MarksModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(marks_.size())) return {};
    if (role == Qt::TextAlignmentRole && index.column() != KindColumn && index.column() != TileColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) return {};
    const Mark& m = marks_[static_cast<std::size_t>(index.row())];
    const QString unit = m.inKilometres ? tr("km") : tr("samples");
    const RasterPoint first = m.points.empty() ? RasterPoint{} : m.points.front();
    switch (index.column()) {
        case KindColumn: return KindText(m.kind);
        case LatitudeColumn:
            if (!m.inKilometres) return QString();
            return QStringLiteral("%1° %2").arg(std::abs(m.latitude), 0, 'f', 3).arg(m.latitude < 0 ? tr("S") : tr("N"));
        case LongitudeColumn: {
            if (!m.inKilometres) return QString();
            // From 0 to 360, counted as the label counts, as the readout shows it.
            double east = std::fmod(m.longitude, 360.0);
            if (east < 0) east += 360.0;
            const double shown = longitudeWest_ ? std::fmod(360.0 - east, 360.0) : east;
            return QStringLiteral("%1° %2").arg(shown, 0, 'f', 3).arg(longitudeWest_ ? tr("W") : tr("E"));
        }
        case LengthColumn: {
            const double value = m.kind == MarkKind::Crater ? m.diameter : m.length;
            return m.kind == MarkKind::Point ? QString() : QStringLiteral("%1 %2").arg(value, 0, 'f', 2).arg(unit);
        }
        case AreaColumn:
            return m.kind == MarkKind::Area
                       ? QStringLiteral("%1 %2").arg(m.area, 0, 'f', 2).arg(m.inKilometres ? tr("km²") : tr("samples²"))
                       : QString();
        case TileColumn: return QString::fromStdString(fileName_);
        case RowColumn: return QString::number(first.row, 'f', 1);
        case ColumnColumn: return QString::number(first.column, 'f', 1);
        default: return {};
    }
}

}  // namespace dusk::app
