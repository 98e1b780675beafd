#include "app/child.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPixmap>
#include <QScrollArea>

namespace dusk::app {

TChild::TChild(QWidget* parent) : QMdiSubWindow(parent) {
    setObjectName(QStringLiteral("Child"));
    setWindowTitle(QStringLiteral("Child"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setMaximumSize(kMaximumWidth, kMaximumHeight);

    scroll_ = new QScrollArea;
    scroll_->setObjectName(QStringLiteral("ImageScroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);

    image_ = new QLabel;
    image_->setObjectName(QStringLiteral("Image"));
    image_->setAccessibleName(tr("Radar image"));
    image_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image_->setMouseTracking(true);
    image_->installEventFilter(this);
    scroll_->setWidget(image_);
    setWidget(scroll_);

    // The keys of the system menu's Close (Ctrl+W, Ctrl+F4) belong to the
    // main window's Close Image, which closes this window the same way; with
    // two owners a key would do nothing at all.
    if (QMenu* menu = systemMenu()) {
        for (QAction* action : menu->actions()) action->setShortcuts({});
    }
}

void TChild::ShowPicture(const QImage& picture) {
    // One sample per device pixel: at a device pixel ratio of 2 the control
    // is half as large in logical pixels.
    const qreal ratio = devicePixelRatioF();
    const QSize logical(static_cast<int>(std::ceil(picture.width() / ratio)),
                        static_cast<int>(std::ceil(picture.height() / ratio)));
    image_->setFixedSize(logical);

    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setDevicePixelRatio(ratio);
    image_->setPixmap(pixmap);
    picture_ = picture;
    ratio_ = ratio;

    const QMargins frame = contentsMargins();
    resize(logical.width() + frame.left() + frame.right(), logical.height() + frame.top() + frame.bottom());
    FitIntoArea();

    // The readout follows the new picture under a resting pointer.
    if (pointer_) ReportPointer(*pointer_);
}

void TChild::showEvent(QShowEvent* event) {
    QMdiSubWindow::showEvent(event);
    if (QMdiArea* area = mdiArea()) {
        area->viewport()->removeEventFilter(this);
        area->viewport()->installEventFilter(this);
    }
    FitIntoArea();
}

void TChild::FitIntoArea() {
    const QMdiArea* area = mdiArea();
    if (area == nullptr) return;
    const QSize room = area->viewport()->size();
    if (room.isEmpty()) return;
    const QSize least(std::min(kMinimumWidth, room.width()), std::min(kMinimumHeight, room.height()));
    const QSize most(std::max(least.width(), std::min(kMaximumWidth, room.width())),
                     std::max(least.height(), std::min(kMaximumHeight, room.height())));
    setMinimumSize(least);
    setMaximumSize(most);
    if (isMaximized()) return;
    resize(size().boundedTo(most).expandedTo(least));
    // The whole frame, its title bar first, stays inside the area.
    const int left = std::clamp(x(), 0, std::max(0, room.width() - width()));
    const int top = std::clamp(y(), 0, std::max(0, room.height() - height()));
    if (left != x() || top != y()) move(left, top);
}

bool TChild::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && mdiArea() != nullptr && watched == mdiArea()->viewport()) {
        FitIntoArea();
        return false;
    }
    if (watched == image_) {
        if (event->type() == QEvent::MouseMove) {
            // The event's own position is rounded to whole logical pixels; the
            // position in the window keeps the fraction, so that at a device
            // pixel ratio of 2 the odd columns and rows are told apart too.
            const QPointF inWindow = static_cast<QMouseEvent*>(event)->scenePosition();
            pointer_ = inWindow - image_->mapTo(image_->window(), QPointF(0, 0));
            ReportPointer(*pointer_);
        } else if (event->type() == QEvent::Leave) {
            pointer_.reset();
            emit PointerLeft();
        } else if (event->type() == QEvent::Move && pointer_) {
            // Scrolling moves the picture under a resting pointer.
            const auto* move = static_cast<QMoveEvent*>(event);
            *pointer_ -= QPointF(move->pos() - move->oldPos());
            ReportPointer(*pointer_);
        }
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void TChild::ReportPointer(QPointF position) {
    const QPoint pixel(static_cast<int>(std::floor(position.x() * ratio_)),
                       static_cast<int>(std::floor(position.y() * ratio_)));
    if (picture_.valid(pixel)) {
        emit PointerMoved(pixel);
    } else {
        emit PointerLeft();
    }
}

void TChild::closeEvent(QCloseEvent* event) { FormClose(event); }

void TChild::FormClose(QCloseEvent* event) {
    emit Closing();
    setAttribute(Qt::WA_DeleteOnClose);
    event->accept();
}

}  // namespace dusk::app
