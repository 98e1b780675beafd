// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include <QImage>
#include <QMdiSubWindow>
#include <QPoint>
#include <QPointF>
#include <QSize>

class QCloseEvent;
class QKeyEvent;
class QMouseEvent;
class QShowEvent;
class QScrollArea;
class QWheelEvent;

namespace dusk::app {

class TPictureView;

// The image window: one multiple-document child showing the rendered picture,
// at one screen pixel per sample unless zoomed, scrollable where it is larger
// than the window. It opens within 812 x 612 and 832 x 700 (outer size), as
// large as the picture allows, and keeps following the picture's size until
// the user resizes it; the user may make it as large as the client area.
// On a small screen it is fitted into the area, so its scroll bars still
// reach every sample. At a device pixel ratio above 1 the picture control is
// smaller in logical pixels, so that at scale 1 each sample is still one
// device pixel.
//
// The zoom (and Fit to Window) stays through every new picture; a fitted
// picture follows the window's size.
class TChild : public QMdiSubWindow {
    Q_OBJECT

public:
    static constexpr int kMinimumWidth = 812;
    static constexpr int kMinimumHeight = 612;
    static constexpr int kMaximumWidth = 832;
    static constexpr int kMaximumHeight = 700;

    explicit TChild(QWidget* parent = nullptr);

    // Shows the picture at the window's zoom; while the user has not sized
    // the window, makes the client area as large as the picture at one pixel
    // per sample, within the window's size limits.
    void ShowPicture(const QImage& picture);
    // The whole picture on display, at its full size.
    const QImage& Picture() const { return picture_; }

    // The zoom: device pixels per sample.
    double Scale() const;
    bool Fitted() const { return fitted_; }
    // The next zoom step up or down from the scale shown, around the middle
    // of the visible picture; both end Fit to Window.
    void ZoomIn();
    void ZoomOut();
    // The picture control, for what is drawn over the picture.
    TPictureView* View() const { return image_; }

    // Scale 1, Fit to Window off.
    void ActualSize();
    // Fit to Window: the largest scale, at most 1, that shows the whole
    // picture, kept as the window changes size. Turning it off keeps the scale.
    void SetFitted(bool on);
    // Scrolls so that `picturePoint` (the picture's own pixels) lies in the
    // middle of the window, as far as the scroll range allows.
    void CentreOn(QPointF picturePoint);

signals:
    // The user closes the window; it is freed once the handlers have run.
    void Closing();
    // The pointer is over pixel `pixel` of the picture (x from the left, y
    // from the top, in the picture's own pixels). Sent again for a new
    // picture or zoom while the pointer rests on it.
    void PointerMoved(QPoint pixel);
    // The pointer is no longer over the picture.
    void PointerLeft();
    // The scale or Fit to Window changed.
    void ZoomChanged();
    // A click on the picture that did not pan it, or Enter with the pointer
    // over it, at `picturePoint` (in the picture's own pixels).
    void PictureActivated(QPointF picturePoint);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps the size limits and the place of the window within the room the
    // client area offers.
    void FitIntoArea();
    // Whether the user has given the window a size of their own.
    bool SizedByUser() const { return sizedTo_.isValid() && size() != sizedTo_; }
    void FormClose(QCloseEvent* event);
    // Reports the picture pixel under `position` (logical pixels of the
    // picture control), or that the pointer is off the picture.
    void ReportPointer(QPointF position);

    // Shows the picture at `scale`, keeping the sample under `anchor` (a
    // point of the scroll area's viewport) under it where the scroll range
    // allows.
    void ZoomTo(double scale, QPointF anchor);
    // The fitting scale for the viewport as it is with no scroll bars.
    double FittingScale() const;
    void Refit();
    // The middle of the visible part of the picture, in viewport points.
    QPointF VisibleMiddle() const;
    // Ctrl+wheel zooms around the pointer; false for a plain wheel.
    bool WheelZoom(QWheelEvent* wheel);
    // Dragging with the left button pans the picture.
    bool Pan(QMouseEvent* mouse);

    QScrollArea* scroll_ = nullptr;
    TPictureView* image_ = nullptr;
    QImage picture_;
    bool fitted_ = false;
    QSize sizedTo_;                   // the size the window last gave itself
    std::optional<QPointF> pointer_;  // last pointer position over the control
    std::optional<QPointF> dragFrom_;  // where in the window a pan began
    bool dragged_ = false;             // the pointer moved beyond a click since
    QPoint dragScroll_;                // the scroll position then
    int wheelTurn_ = 0;                // Ctrl+wheel turn not yet made a step
};

}  // namespace dusk::app
