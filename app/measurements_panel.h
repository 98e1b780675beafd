// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include <QWidget>

class QPushButton;
class QTableView;

namespace dusk::app {

class MarksModel;

// The Measurements panel: a row for every measurement of the image shown,
// selectable; Delete (the key or the button) removes the selected rows.
class TMeasurementsPanel : public QWidget {
    Q_OBJECT

public:
    explicit TMeasurementsPanel(MarksModel& model, QWidget* parent = nullptr);

    QTableView* Table() const { return table_; }
    std::vector<std::int64_t> SelectedIds() const;
    void Select(std::int64_t id);

signals:
    void DeleteAsked(const std::vector<std::int64_t>& ids);
    void SelectionChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MarksModel& model_;
    QTableView* table_ = nullptr;
    QPushButton* delete_ = nullptr;
};

}  // namespace dusk::app
