// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/overview_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/overview_model.h"
#include "app/thumbnail_pool.h"

namespace dusk::app {

namespace {

constexpr int kColumns = 3;

QString Grouped(int n) { return QLocale(QLocale::English).toString(n); }

}  // namespace

TOverviewWindow::TOverviewWindow(QWidget* parent, int workers) : QWidget(parent) {
    setObjectName(QStringLiteral("OverviewWindow"));
    setWindowTitle(QStringLiteral("Collection Overview"));

    model_ = new OverviewModel(this);
    pool_ = new ThumbnailPool(this, workers);
    connect(pool_, &ThumbnailPool::Rendered, this, &TOverviewWindow::TakeThumbnail);

    progress_ = new QLabel;
    progress_->setObjectName(QStringLiteral("OverviewProgress"));
    progress_->setTextFormat(Qt::PlainText);
    grid_ = new QListView;
    grid_->setObjectName(QStringLiteral("OverviewGrid"));
    grid_->setViewMode(QListView::IconMode);
    grid_->setMovement(QListView::Static);
    grid_->setResizeMode(QListView::Adjust);
    grid_->setUniformItemSizes(true);
    grid_->setSpacing(0);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    auto* delegate = new TileDelegate(grid_);
    grid_->setItemDelegate(delegate);
    grid_->setModel(model_);
    grid_->setGridSize(TileDelegate::CellSize(grid_->fontMetrics()));
    grid_->installEventFilter(this);
    connect(grid_, &QListView::clicked, this, [this](const QModelIndex& index) { emit EntryChosen(index.row() + 1); });
    connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this, &TOverviewWindow::PreferRowsInView);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(progress_);
    column->addWidget(grid_, 1);
    // Three columns, the scroll bar, the frame and the margins.
    const int scrollBar = grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    resize(kColumns * grid_->gridSize().width() + scrollBar + 2 * grid_->frameWidth() + 10, 700);
}

TOverviewWindow::~TOverviewWindow() = default;

void TOverviewWindow::ShowCollection(const std::vector<std::string>& paths, const QStringList& names,
                                     const OptionFlags& defaults) {
    if (paths != paths_) {
        paths_ = paths;
        model_->Reset(names);
    } else if (defaults != defaults_) {
        model_->MarkStale();
    }
    defaults_ = defaults;
    RenderMissing();
}

void TOverviewWindow::RenderMissing() {
    std::vector<bool> skip(paths_.size());
    for (std::size_t i = 0; i < paths_.size(); ++i) skip[i] = model_->IsRendered(static_cast<int>(i));
    rendering_ = model_->Rendered() < model_->Count();
    if (rendering_) {
        pool_->Start(paths_, defaults_, kThumbnailSize, std::move(skip));
        PreferRowsInView();
    } else {
        pool_->Cancel();
    }
    ShowProgress();
}

void TOverviewWindow::Clear() {
    pool_->Cancel();
    rendering_ = false;
    paths_.clear();
    model_->Reset({});
    ShowProgress();
}

void TOverviewWindow::ShowPosition(int position) {
    const int row = position - 1;
    model_->SetShown(row);
    if (row < 0 || row >= model_->Count()) return;
    const QModelIndex index = model_->index(row);
    grid_->setCurrentIndex(index);
    grid_->scrollTo(index);
}

void TOverviewWindow::TakeThumbnail(int index, const QImage& picture, const QString& failure) {
    model_->SetTile(index, picture, failure);
    if (model_->Rendered() == model_->Count()) rendering_ = false;
    ShowProgress();
}

void TOverviewWindow::ShowProgress() {
    const int count = model_->Count();
    if (count == 0) {
        progress_->setText(tr("No entries"));
    } else if (rendering_) {
        const int at = std::min(model_->Rendered() + 1, count);
        progress_->setText(tr("Rendering %1 of %2").arg(Grouped(at), Grouped(count)));
    } else {
        progress_->setText(tr("All %1 rendered").arg(Grouped(count)));
    }
}

void TOverviewWindow::RowsInView(int& first, int& last) const {
    const QSize cell = grid_->gridSize();
    const int columns = std::max(1, grid_->viewport()->width() / std::max(1, cell.width()));
    const int top = grid_->verticalScrollBar()->value();
    const int height = std::max(1, cell.height());
    first = (top / height) * columns;
    last = std::min(model_->Count(), ((top + grid_->viewport()->height()) / height + 1) * columns) - 1;
}

void TOverviewWindow::PreferRowsInView() {
    int first = 0;
    int last = -1;
    RowsInView(first, last);
    pool_->Prefer(first, last);
}

int TOverviewWindow::Count() const { return model_->Count(); }

int TOverviewWindow::Rendered() const { return model_->Rendered(); }

bool TOverviewWindow::ViewRendered() const {
    int first = 0;
    int last = -1;
    RowsInView(first, last);
    if (last < first) return model_->Count() == 0;
    for (int row = first; row <= last; ++row) {
        if (!model_->IsRendered(row)) return false;
    }
    return true;
}

qsizetype TOverviewWindow::PictureBytes() const { return model_->PictureBytes(); }

bool TOverviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && grid_->currentIndex().isValid()) {
            emit EntryChosen(grid_->currentIndex().row() + 1);
            return true;
        }
    }
    if (watched == grid_ && event->type() == QEvent::Resize) PreferRowsInView();
    return QWidget::eventFilter(watched, event);
}

void TOverviewWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    PreferRowsInView();
}

void TOverviewWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // No one looks: the rest renders when the window opens again.
    pool_->Cancel();
    rendering_ = false;
    emit Closed();
}

}  // namespace dusk::app
