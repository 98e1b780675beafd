// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/picture_view.h"

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

// The picture averaged down to `size` (no larger than it on either side).
QImage Shrink(const QImage& picture, QSize size) {
    const int w = picture.width();
    const int h = picture.height();
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        std::uint8_t* out = grey.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        for (int x = 0; x < w; ++x) out[x] = static_cast<std::uint8_t>(qRed(line[x]));  // grey: one channel
    }
    std::vector<std::uint8_t> small(static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()));
    AreaAverage(grey.data(), w, h, small.data(), size.width(), size.height());
    QImage shrunk(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shrunk.scanLine(y));
        const std::uint8_t* in = small.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(size.width());
        for (int x = 0; x < size.width(); ++x) line[x] = qRgb(in[x], in[x], in[x]);
    }
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
    shrunkStale_ = false;
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
    shrunkStale_ = !shrunk_.isNull();
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

    if (shrunkStale_) {
        shrunk_ = Shrink(picture_, shown_);
        shrunkStale_ = false;
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
