// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QAbstractTableModel>

#include "app/marks_backend.h"
#include "marks/mark.h"

namespace dusk::app {

// The marks of the image on display as the rows of the Measurements panel:
// kind, latitude, longitude, length or diameter, area, the tile and the
// file row and column of its first point (a crater's centre). Every change
// goes to the backend at once; a backend that fails is reported through
// Problem and the marks stay in the model.
class MarksModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { KindColumn, LatitudeColumn, LongitudeColumn, LengthColumn, AreaColumn, TileColumn, RowColumn,
                  ColumnColumn, ColumnCount };

    explicit MarksModel(QObject* parent = nullptr);
    ~MarksModel() override;

    void SetBackend(std::unique_ptr<MarksBackend> backend);
    // The image whose marks are shown: its file's bytes and name.
    void ShowImage(std::span<const std::uint8_t> file, const std::string& fileName);
    void Clear();
    // Longitudes shown counted west, as the label counts them.
    void SetLongitudeWest(bool west);
    bool HasImage() const { return !key_.empty(); }

    const std::vector<Mark>& Marks() const { return marks_; }
    // Adds a new mark and returns it with its id.
    Mark Add(const Mark& mark);
    // Puts back a mark removed before, under its id.
    void Restore(const Mark& mark);
    void Remove(std::int64_t id);
    int RowOf(std::int64_t id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void Problem(const QString& text);

private:
    void Report(const std::string& error);

    std::unique_ptr<MarksBackend> backend_;
    std::string key_;
    std::string fileName_;
    std::vector<Mark> marks_;
    std::int64_t unstoredId_ = 0;
    bool longitudeWest_ = false;  // ids, counted down, of marks the backend did not take
};

// The text of a mark's kind.
QString KindText(MarkKind kind);

}  // namespace dusk::app
