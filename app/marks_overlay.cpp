// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/marks_overlay.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace dusk::app {

namespace {

const QColor kMarkColour(255, 210, 0);
const QColor kSelectedColour(0, 230, 255);
const QColor kDraftColour(255, 60, 60);
constexpr int kCircleSteps = 72;

}  // namespace

MarksOverlay::MarksOverlay(QWidget* view, Place place) : QWidget(view), place_(std::move(place)) {
    setObjectName(QStringLiteral("MarksOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(view->rect());
    view->installEventFilter(this);
    show();
}

bool MarksOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void MarksOverlay::SetDraft(std::vector<RasterPoint> points, std::optional<RasterCircle> circle, bool closed) {
    draft_ = std::move(points);
    draftCircle_ = circle;
    draftClosed_ = closed;
    update();
}

void MarksOverlay::SetProfilePoint(std::optional<RasterPoint> point) {
    profilePoint_ = point;
    update();
}

void MarksOverlay::Draw(QPainter& painter, MarkKind kind, const std::vector<RasterPoint>& points,
                        double radius) const {
    if (points.empty()) return;
    if (kind == MarkKind::Crater) {
        // The rim as drawn on the file raster, whatever the display turns.
        QPolygonF rim;
        for (int i = 0; i < kCircleSteps; ++i) {
            const double a = 2 * std::numbers::pi * i / kCircleSteps;
            rim << place_({points[0].column + radius * std::cos(a), points[0].row + radius * std::sin(a)});
        }
        painter.drawPolygon(rim);
        const QPointF c = place_(points[0]);
        painter.drawLine(c - QPointF(4, 0), c + QPointF(4, 0));
        painter.drawLine(c - QPointF(0, 4), c + QPointF(0, 4));
        return;
    }
    QPolygonF line;
    for (const RasterPoint& p : points) line << place_(p);
    if (kind == MarkKind::Area) {
        painter.drawPolygon(line);
    } else {
        painter.drawPolyline(line);
    }
    for (const QPointF& p : line) painter.drawEllipse(p, 2.5, 2.5);
}

void MarksOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (marks_ != nullptr) {
        for (const Mark& m : *marks_) {
            const bool selected = std::find(selected_.begin(), selected_.end(), m.id) != selected_.end();
            painter.setPen(QPen(selected ? kSelectedColour : kMarkColour, selected ? 2.5 : 1.5));
            Draw(painter, m.kind, m.points, m.radius);
        }
    }
    painter.setPen(QPen(kDraftColour, 1.5, Qt::DashLine));
    if (draftCircle_) {
        Draw(painter, MarkKind::Crater, {draftCircle_->centre}, draftCircle_->radius);
        for (const RasterPoint& p : draft_) painter.drawEllipse(place_(p), 2.5, 2.5);
    } else {
        Draw(painter, draftClosed_ ? MarkKind::Area : MarkKind::Distance, draft_, 0.0);
    }
    if (profilePoint_) {
        painter.setPen(QPen(Qt::red, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(place_(*profilePoint_), 5.0, 5.0);
    }
}

}  // namespace dusk::app
