// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QWidget>

class QPaintEvent;

namespace dusk::app {

// The picture control of the image window: shows a grey picture at a scale,
// painting only the part that is exposed. At 1 each sample is one device
// pixel; above 1 each sample is a crisp block of device pixels; below 1 each
// device pixel is the area average of the samples it covers. The control is
// as large as the scaled picture, in logical pixels.
class TPictureView : public QWidget {
    Q_OBJECT

public:
    explicit TPictureView(QWidget* parent = nullptr);

    // Shows `picture` at `scale` and sizes the control to it. A picture of
    // grey levels (Grayscale8) is kept as it is, a quarter of the memory of
    // the 32-bit form every other picture is kept in.
    void Show(const QImage& picture, double scale);
    double Scale() const { return scale_; }
    // The picture shown, at its full size (RGB32 or Grayscale8, grey).
    const QImage& Picture() const { return picture_; }
    // Puts `piece` (grey) into the picture with its top left at `at`, keeping
    // the scale; the control repaints at its next update(), averaging again
    // then, where it is shown below 1, the shrunk pixels the piece reaches.
    void ReplacePart(const QImage& piece, QPoint at);
    // The part of the control that shows the picture's pixels `part`.
    QRect PlaceOf(const QRect& part) const;
    // The scaled picture's size in device pixels.
    QSize ShownSize() const { return shown_; }

    // The picture pixel under `position` (logical pixels of the control), or
    // (-1, -1) off the picture.
    QPoint PixelAt(QPointF position) const;
    // The place under `position` in the picture's own pixels, with their
    // fractions, and back.
    QPointF PicturePointAt(QPointF position) const;
    QPointF PositionOf(QPointF picturePoint) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Below 1: averages the shrunk pixels of `part` (device pixels) that are
    // not yet up to date.
    void Freshen(const QRect& part);

    QImage picture_;  // RGB32 or Grayscale8, grey
    QImage shrunk_;   // below 1: the picture averaged down to shown_, made as it is shown
    QRegion fresh_;   // the shrunk pixels that are up to date
    double scale_ = 1.0;
    QSize shown_;
    qreal ratio_ = 1.0;  // device pixels per logical pixel
};

}  // namespace dusk::app
