// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/measurements_panel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/marks_model.h"

namespace dusk::app {

TMeasurementsPanel::TMeasurementsPanel(MarksModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("MeasurementsPanel"));
    setWindowTitle(tr("Measurements"));
    auto* column = new QVBoxLayout(this);
    table_ = new QTableView;
    table_->setObjectName(QStringLiteral("MeasurementsTable"));
    table_->setModel(&model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->verticalHeader()->hide();
    // The columns fit their figures as rows come and go; the user may widen them.
    const auto fit = [this] { table_->resizeColumnsToContents(); };
    connect(&model_, &QAbstractItemModel::rowsInserted, this, fit);
    connect(&model_, &QAbstractItemModel::modelReset, this, fit);
    table_->installEventFilter(this);
    delete_ = new QPushButton(tr("&Delete"));
    delete_->setObjectName(QStringLiteral("DeleteMeasurement"));
    delete_->setEnabled(false);
    column->addWidget(table_, 1);
    column->addWidget(delete_, 0, Qt::AlignRight);
    connect(delete_, &QPushButton::clicked, this, [this] {
        if (const auto ids = SelectedIds(); !ids.empty()) emit DeleteAsked(ids);
    });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        delete_->setEnabled(!SelectedIds().empty());
        emit SelectionChanged();
    });
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] { delete_->setEnabled(false); });
    resize(560, 240);
}

std::vector<std::int64_t> TMeasurementsPanel::SelectedIds() const {
    std::vector<std::int64_t> ids;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        ids.push_back(model_.Marks()[static_cast<std::size_t>(index.row())].id);
    }
    return ids;
}

void TMeasurementsPanel::Select(std::int64_t id) {
    const int row = model_.RowOf(id);
    if (row >= 0) table_->selectRow(row);
}

bool TMeasurementsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (const auto ids = SelectedIds(); !ids.empty()) emit DeleteAsked(ids);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace dusk::app
