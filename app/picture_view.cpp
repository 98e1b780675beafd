// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/picture_view.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <QPaintEvent>
#include <QPainter>

#include "render/area_average.h"
#include "render/zoom.h"

namespace dusk::app {

namespace {

bool Grey8(const QImage& picture) { return picture.format() == QImage::Format_Grayscale8; }

// The target pixels [x0, x1) x [y0, y1) of `shrunk` (RGB32), the grey
// `picture` averaged down to `shrunk`'s size; `levels` holds the averaged
// levels of the whole of `shrunk` on the way.
void ShrinkPart(const QImage& picture, QImage& shrunk, std::vector<std::uint8_t>& levels, int x0, int y0, int x1,
                int y1) {
    const int tw = shrunk.width();
    const int th = shrunk.height();
    x0 = std::max(0, x0);
    y0 = std::max(0, y0);
    x1 = std::min(tw, x1);
    y1 = std::min(th, y1);
    if (x1 <= x0 || y1 <= y0) return;
    // Averaged as levels, then spread to 32 bits.
    levels.resize(static_cast<std::size_t>(tw) * static_cast<std::size_t>(th));
    std::uint8_t* small = levels.data();
    AreaAveragePart(picture.constBits(), picture.width(), picture.height(),
                    static_cast<std::size_t>(picture.bytesPerLine()), Grey8(picture) ? 1 : 4, small, tw, th, x0,
                    y0, x1, y1);
    for (int y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(shrunk.scanLine(y));
        const std::uint8_t* in = small + static_cast<std::size_t>(y) * static_cast<std::size_t>(tw);
        for (int x = x0; x < x1; ++x) line[x] = qRgb(in[x], in[x], in[x]);
    }
}

}  // namespace

TPictureView::TPictureView(QWidget* parent) : QWidget(parent) {
    // Every exposed pixel is painted: the picture, or the dark field beside it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPictureView::Show(const QImage& picture, double scale) {
    picture_ = picture.format() == QImage::Format_RGB32 || Grey8(picture)
                   ? picture
                   : picture.convertToFormat(QImage::Format_RGB32);
    scale_ = scale;
    ratio_ = devicePixelRatioF();
    shown_ = picture_.isNull() ? QSize(0, 0)
                               : QSize(ShownLength(picture_.width(), scale), ShownLength(picture_.height(), scale));
    const bool smaller = shown_.width() <= picture_.width() && shown_.height() <= picture_.height();
    // Averaged only where it is shown, as it is shown: a step in or out of a
    // large picture costs what the window shows of it.
    if (smaller && shown_ != picture_.size()) {
        if (shrunk_.size() != shown_) shrunk_ = QImage(shown_, QImage::Format_RGB32);
    } else {
        shrunk_ = QImage();
    }
    fresh_ = QRegion();
    setFixedSize(static_cast<int>(std::ceil(shown_.width() / ratio_)),
                 static_cast<int>(std::ceil(shown_.height() / ratio_)));
    update();
}

void TPictureView::ReplacePart(const QImage& piece, QPoint at) {
    if (picture_.isNull()) return;
    const QImage::Format format = picture_.format();
    const QImage grey = piece.format() == format ? piece : piece.convertToFormat(format);
    const QRect part = QRect(at, grey.size()) & picture_.rect();
    const int depth = Grey8(picture_) ? 1 : 4;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        std::memcpy(picture_.scanLine(y) + static_cast<std::ptrdiff_t>(part.left()) * depth,
                    grey.constScanLine(y - at.y()) + static_cast<std::ptrdiff_t>(part.left() - at.x()) * depth,
                    static_cast<std::size_t>(part.width()) * static_cast<std::size_t>(depth));
    }
    if (shrunk_.isNull() || part.isEmpty()) return;
    // Only the shrunk pixels the piece reaches are averaged again.
    const double across = static_cast<double>(shown_.width()) / picture_.width();
    const double down = static_cast<double>(shown_.height()) / picture_.height();
    fresh_ -= QRect(QPoint(static_cast<int>(std::floor(part.left() * across)),
                           static_cast<int>(std::floor(part.top() * down))),
                    QPoint(static_cast<int>(std::ceil((part.right() + 1) * across)) - 1,
                           static_cast<int>(std::ceil((part.bottom() + 1) * down)) - 1));
}

QRect TPictureView::PlaceOf(const QRect& part) const {
    if (picture_.isNull() || part.isEmpty()) return {};
    const QPointF a = PositionOf(part.topLeft());
    const QPointF b = PositionOf(QPointF(part.right() + 1, part.bottom() + 1));
    return QRect(QPoint(static_cast<int>(std::floor(a.x())), static_cast<int>(std::floor(a.y()))),
                 QPoint(static_cast<int>(std::ceil(b.x())), static_cast<int>(std::ceil(b.y()))));
}

void TPictureView::Freshen(const QRect& part) {
    const QRegion stale = QRegion(part) - fresh_;
    if (stale.isEmpty()) return;
    std::vector<std::uint8_t> levels;  // one buffer for every rectangle
    for (const QRect& rect : stale) {
        ShrinkPart(picture_, shrunk_, levels, rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1);
    }
    fresh_ += stale;
}

QPoint TPictureView::PixelAt(QPointF position) const {
    const int x = SampleAt(position.x() * ratio_, picture_.width(), shown_.width());
    const int y = SampleAt(position.y() * ratio_, picture_.height(), shown_.height());
    if (x < 0 || y < 0) return {-1, -1};
    return {x, y};
}

QPointF TPictureView::PicturePointAt(QPointF position) const {
    if (shown_.isEmpty()) return {};
    return {position.x() * ratio_ * picture_.width() / shown_.width(),
            position.y() * ratio_ * picture_.height() / shown_.height()};
}

QPointF TPictureView::PositionOf(QPointF picturePoint) const {
    if (picture_.isNull()) return {};
    return {picturePoint.x() * shown_.width() / picture_.width() / ratio_,
            picturePoint.y() * shown_.height() / picture_.height() / ratio_};
}

void TPictureView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    // The exposed part in device pixels, and the part of it the picture covers.
    const QRect device(QPoint(static_cast<int>(std::floor(exposed.left() * ratio_)),
                              static_cast<int>(std::floor(exposed.top() * ratio_))),
                       QPoint(static_cast<int>(std::ceil((exposed.right() + 1) * ratio_)) - 1,
                              static_cast<int>(std::ceil((exposed.bottom() + 1) * ratio_)) - 1));
    const QRect part = device & QRect(QPoint(0, 0), shown_);
    if (part != device) painter.fillRect(exposed, palette().color(QPalette::Dark));
    if (part.isEmpty()) return;

    if (!shrunk_.isNull()) Freshen(part);
    QImage piece;
    if (shown_ == picture_.size() || !shrunk_.isNull()) {
        // At or below 1: a window onto the picture or its averaged copy, no copying.
        const QImage& base = shrunk_.isNull() ? picture_ : shrunk_;
        const int depth = Grey8(base) ? 1 : 4;
        piece = QImage(base.constScanLine(part.top()) + static_cast<std::ptrdiff_t>(part.left()) * depth, part.width(),
                       part.height(), base.bytesPerLine(), base.format());
    } else if (Grey8(picture_)) {
        piece = QImage(part.size(), QImage::Format_RGB32);
        EnlargePart(picture_.constBits(), picture_.width(), picture_.height(), picture_.bytesPerLine(),
                    shown_.width(), shown_.height(), part.left(), part.top(), part.width(), part.height(),
                    reinterpret_cast<std::uint32_t*>(piece.bits()), piece.bytesPerLine() / 4);
    } else {
        piece = QImage(part.size(), QImage::Format_RGB32);
        EnlargePart(reinterpret_cast<const std::uint32_t*>(picture_.constBits()), picture_.width(), picture_.height(),
                    picture_.bytesPerLine() / 4, shown_.width(), shown_.height(), part.left(), part.top(),
                    part.width(), part.height(), reinterpret_cast<std::uint32_t*>(piece.bits()),
                    piece.bytesPerLine() / 4);
    }
    piece.setDevicePixelRatio(ratio_);
    painter.drawImage(QPointF(part.left() / ratio_, part.top() / ratio_), piece);
}

}  // namespace dusk::app
