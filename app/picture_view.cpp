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

// The target pixels of the RGB32 grey `picture` averaged down to
// `shrunk`'s size, in [x0, x1) x [y0, y1) of `shrunk`.
void ShrinkPart(const QImage& picture, QImage& shrunk, int x0, int y0, int x1, int y1) {
    const int tw = shrunk.width();
    const int th = shrunk.height();
    std::vector<std::uint8_t> small(static_cast<std::size_t>(tw) * static_cast<std::size_t>(th));
    // Grey: any one channel byte of each pixel.
    AreaAveragePart(picture.constBits(), picture.width(), picture.height(),
                    static_cast<std::size_t>(picture.bytesPerLine()), 4, small.data(), tw, th, x0, y0, x1, y1);
    for (int y = std::max(0, y0); y < std::min(th, y1); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shrunk.scanLine(y));
        const std::uint8_t* in = small.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(tw);
        for (int x = std::max(0, x0); x < std::min(tw, x1); ++x) line[x] = qRgb(in[x], in[x], in[x]);
    }
}

// The picture averaged down to `size` (no larger than it on either side).
QImage Shrink(const QImage& picture, QSize size) {
    QImage shrunk(size, QImage::Format_RGB32);
    ShrinkPart(picture, shrunk, 0, 0, size.width(), size.height());
    return shrunk;
}

}  // namespace

TPictureView::TPictureView(QWidget* parent) : QWidget(parent) {
    // Every exposed pixel is painted: the picture, or the dark field beside it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPictureView::Show(const QImage& picture, double scale) {
    picture_ = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    scale_ = scale;
    ratio_ = devicePixelRatioF();
    shown_ = picture_.isNull() ? QSize(0, 0)
                               : QSize(ShownLength(picture_.width(), scale), ShownLength(picture_.height(), scale));
    const bool smaller = shown_.width() <= picture_.width() && shown_.height() <= picture_.height();
    if (smaller && shown_ != picture_.size()) {
        shrunk_ = Shrink(picture_, shown_);
    } else {
        shrunk_ = QImage();
    }
    stale_ = QRect();
    setFixedSize(static_cast<int>(std::ceil(shown_.width() / ratio_)),
                 static_cast<int>(std::ceil(shown_.height() / ratio_)));
    update();
}

void TPictureView::ReplacePart(const QImage& piece, QPoint at) {
    if (picture_.isNull()) return;
    const QImage grey = piece.format() == QImage::Format_RGB32 ? piece : piece.convertToFormat(QImage::Format_RGB32);
    const QRect part = QRect(at, grey.size()) & picture_.rect();
    for (int y = part.top(); y <= part.bottom(); ++y) {
        std::memcpy(picture_.scanLine(y) + static_cast<std::ptrdiff_t>(part.left()) * 4,
                    grey.constScanLine(y - at.y()) + static_cast<std::ptrdiff_t>(part.left() - at.x()) * 4,
                    static_cast<std::size_t>(part.width()) * 4);
    }
    // Only the shrunk pixels the piece reaches are averaged again.
    if (!shrunk_.isNull()) stale_ |= part;
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

    if (!stale_.isEmpty()) {
        const double across = static_cast<double>(shown_.width()) / picture_.width();
        const double down = static_cast<double>(shown_.height()) / picture_.height();
        ShrinkPart(picture_, shrunk_, static_cast<int>(std::floor(stale_.left() * across)),
                   static_cast<int>(std::floor(stale_.top() * down)),
                   static_cast<int>(std::ceil((stale_.right() + 1) * across)),
                   static_cast<int>(std::ceil((stale_.bottom() + 1) * down)));
        stale_ = QRect();
    }
    QImage piece;
    if (shown_ == picture_.size() || !shrunk_.isNull()) {
        // At or below 1: a window onto the picture or its averaged copy, no copying.
        const QImage& base = shrunk_.isNull() ? picture_ : shrunk_;
        piece = QImage(base.constScanLine(part.top()) + static_cast<std::ptrdiff_t>(part.left()) * 4, part.width(),
                       part.height(), base.bytesPerLine(), QImage::Format_RGB32);
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
