// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/child.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include "app/picture_view.h"
#include "render/zoom.h"

namespace dusk::app {

namespace {

constexpr int kWheelStep = 120;  // one notch of a mouse wheel, in eighths of a degree

}  // namespace

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
    scroll_->installEventFilter(this);
    scroll_->viewport()->installEventFilter(this);

    image_ = new TPictureView;
    image_->setObjectName(QStringLiteral("Image"));
    image_->setAccessibleName(tr("Radar image"));
    image_->setMouseTracking(true);
    image_->setCursor(Qt::OpenHandCursor);
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

double TChild::Scale() const { return image_->Scale(); }

void TChild::ShowPicture(const QImage& picture) {
    picture_ = picture;
    image_->Show(picture, fitted_ ? FittingScale() : image_->Scale());

    if (!isMaximized() && !SizedByUser()) {
        // As large as the picture at one pixel per sample (one device pixel
        // at a device pixel ratio of 2), within the window's size limits.
        const qreal ratio = devicePixelRatioF();
        const QMargins frame = contentsMargins();
        const QSize whole(static_cast<int>(std::ceil(picture.width() / ratio)) + frame.left() + frame.right(),
                          static_cast<int>(std::ceil(picture.height() / ratio)) + frame.top() + frame.bottom());
        resize(whole.boundedTo(QSize(kMaximumWidth, kMaximumHeight)).expandedTo(QSize(kMinimumWidth, kMinimumHeight)));
        sizedTo_ = size();
    }
    FitIntoArea();
    emit ZoomChanged();

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
    setMinimumSize(least);
    setMaximumSize(room.expandedTo(least));
    if (isMaximized()) return;
    const bool own = !SizedByUser();
    resize(size().boundedTo(room).expandedTo(least));
    if (own) sizedTo_ = size();
    // The whole frame, its title bar first, stays inside the area.
    const int left = std::clamp(x(), 0, std::max(0, room.width() - width()));
    const int top = std::clamp(y(), 0, std::max(0, room.height() - height()));
    if (left != x() || top != y()) move(left, top);
}

// ---------------------------------------------------------------------------
// Zoom.

void TChild::ZoomIn() {
    fitted_ = false;
    ZoomTo(ZoomInFrom(Scale()), VisibleMiddle());
}

void TChild::ZoomOut() {
    fitted_ = false;
    ZoomTo(ZoomOutFrom(Scale()), VisibleMiddle());
}

void TChild::ActualSize() {
    fitted_ = false;
    ZoomTo(1.0, VisibleMiddle());
}

void TChild::SetFitted(bool on) {
    fitted_ = on;
    if (on) {
        Refit();
    } else {
        emit ZoomChanged();
    }
}

double TChild::FittingScale() const {
    const qreal ratio = devicePixelRatioF();
    const QSize room = scroll_->maximumViewportSize();
    return FitScale(picture_.width(), picture_.height(), room.width() * ratio, room.height() * ratio);
}

void TChild::Refit() { ZoomTo(FittingScale(), QPointF(0, 0)); }

QPointF TChild::VisibleMiddle() const {
    const QRect visible = scroll_->viewport()->rect() & image_->geometry();
    return QRectF(visible.isEmpty() ? scroll_->viewport()->rect() : visible).center();
}

void TChild::ZoomTo(double scale, QPointF anchor) {
    const QPointF under = image_->PicturePointAt(anchor - image_->pos());
    const QPoint sample(static_cast<int>(std::floor(under.x())), static_cast<int>(std::floor(under.y())));
    image_->Show(picture_, scale);

    // The scroll position that brings the same place under the anchor; of
    // the whole positions around it, the nearest that keeps its sample there.
    const QPointF ideal = image_->PositionOf(under) - anchor;
    const QPoint nearest(qRound(ideal.x()), qRound(ideal.y()));
    QPoint best = nearest;
    double bestDistance = -1;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint candidate = nearest + QPoint(dx, dy);
            if (image_->PixelAt(anchor + candidate) != sample) continue;
            const QPointF off = QPointF(candidate) - ideal;
            const double distance = off.x() * off.x() + off.y() * off.y();
            if (bestDistance < 0 || distance < bestDistance) {
                best = candidate;
                bestDistance = distance;
            }
        }
    }
    scroll_->horizontalScrollBar()->setValue(best.x());
    scroll_->verticalScrollBar()->setValue(best.y());
    emit ZoomChanged();
    if (pointer_) ReportPointer(*pointer_);
}

void TChild::CentreOn(QPointF picturePoint) {
    const QPointF ideal = image_->PositionOf(picturePoint) + image_->pos() -
                          QRectF(scroll_->viewport()->rect()).center() +
                          QPointF(scroll_->horizontalScrollBar()->value(), scroll_->verticalScrollBar()->value());
    scroll_->horizontalScrollBar()->setValue(qRound(ideal.x()));
    scroll_->verticalScrollBar()->setValue(qRound(ideal.y()));
    if (pointer_) ReportPointer(*pointer_);
}

bool TChild::WheelZoom(QWheelEvent* wheel) {
    if (!(wheel->modifiers() & Qt::ControlModifier)) return false;
    wheelTurn_ += wheel->angleDelta().y();
    const QPointF anchor = scroll_->viewport()->mapFromGlobal(wheel->globalPosition());
    for (; wheelTurn_ >= kWheelStep; wheelTurn_ -= kWheelStep) {
        fitted_ = false;
        ZoomTo(ZoomInFrom(Scale()), anchor);
    }
    for (; wheelTurn_ <= -kWheelStep; wheelTurn_ += kWheelStep) {
        fitted_ = false;
        ZoomTo(ZoomOutFrom(Scale()), anchor);
    }
    wheel->accept();
    return true;
}

bool TChild::Pan(QMouseEvent* mouse) {
    switch (mouse->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() != Qt::LeftButton) return false;
            // Positions in the window: scrolling moves the picture, not the window.
            dragFrom_ = mouse->scenePosition();
            dragged_ = false;
            dragScroll_ = QPoint(scroll_->horizontalScrollBar()->value(), scroll_->verticalScrollBar()->value());
            image_->setCursor(Qt::ClosedHandCursor);
            return true;
        case QEvent::MouseMove:
            if (dragFrom_) {
                const QPoint moved = (mouse->scenePosition() - *dragFrom_).toPoint();
                if (moved.manhattanLength() >= QApplication::startDragDistance()) dragged_ = true;
                scroll_->horizontalScrollBar()->setValue(dragScroll_.x() - moved.x());
                scroll_->verticalScrollBar()->setValue(dragScroll_.y() - moved.y());
            }
            return false;  // the readout follows the pointer as well
        case QEvent::MouseButtonRelease:
            if (mouse->button() != Qt::LeftButton || !dragFrom_) return false;
            dragFrom_.reset();
            image_->setCursor(Qt::OpenHandCursor);
            if (!dragged_) emit PictureActivated(image_->PicturePointAt(mouse->position()));
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------
// Events.

bool TChild::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && mdiArea() != nullptr && watched == mdiArea()->viewport()) {
        FitIntoArea();
        return false;
    }
    if (watched == scroll_ && event->type() == QEvent::Resize && fitted_) {
        Refit();
        return false;
    }
    if (event->type() == QEvent::Wheel && (watched == image_ || watched == scroll_->viewport())) {
        return WheelZoom(static_cast<QWheelEvent*>(event));
    }
    if (watched == image_) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
            event->type() == QEvent::MouseMove) {
            if (Pan(static_cast<QMouseEvent*>(event))) return true;
        }
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
    const QPoint pixel = image_->PixelAt(position);
    if (picture_.valid(pixel)) {
        emit PointerMoved(pixel);
    } else {
        emit PointerLeft();
    }
}

void TChild::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && pointer_ && image_->rect().contains(pointer_->toPoint())) {
        emit PictureActivated(image_->PicturePointAt(*pointer_));
        event->accept();
        return;
    }
    QMdiSubWindow::keyPressEvent(event);
}

void TChild::closeEvent(QCloseEvent* event) { FormClose(event); }

void TChild::FormClose(QCloseEvent* event) {
    emit Closing();
    setAttribute(Qt::WA_DeleteOnClose);
    event->accept();
}

}  // namespace dusk::app
