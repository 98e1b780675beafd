#include "app/child.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
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
    // A frame that grew beyond a small client area may have been pushed out
    // at the left or top; its title bar stays reachable.
    if (x() < 0 || y() < 0) move(std::max(0, x()), std::max(0, y()));

    // The readout follows the new picture under a resting pointer.
    if (pointer_) ReportPointer(*pointer_);
}

bool TChild::eventFilter(QObject* watched, QEvent* event) {
    if (watched == image_) {
        if (event->type() == QEvent::MouseMove) {
            pointer_ = static_cast<QMouseEvent*>(event)->position();
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
