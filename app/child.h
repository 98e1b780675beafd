#pragma once

#include <optional>

#include <QImage>
#include <QMdiSubWindow>
#include <QPoint>
#include <QPointF>

class QCloseEvent;
class QShowEvent;
class QLabel;
class QScrollArea;

namespace dusk::app {

// The image window: one multiple-document child showing the rendered picture
// at one screen pixel per sample, scrollable where it is larger than the
// window. Its outer size stays within 812 x 612 and 832 x 700, and within the
// client area of the main window: on a small screen it is fitted into the
// area, so its scroll bars still reach every sample. At a device pixel ratio
// above 1 the picture control is smaller in logical pixels, so that each
// sample is still one device pixel.
class TChild : public QMdiSubWindow {
    Q_OBJECT

public:
    static constexpr int kMinimumWidth = 812;
    static constexpr int kMinimumHeight = 612;
    static constexpr int kMaximumWidth = 832;
    static constexpr int kMaximumHeight = 700;

    explicit TChild(QWidget* parent = nullptr);

    // Pins the picture control to the picture's size, shows the picture and
    // makes the client area as large as the picture, within the window's
    // size limits.
    void ShowPicture(const QImage& picture);
    // The whole picture on display, at its full size.
    const QImage& Picture() const { return picture_; }

signals:
    // The user closes the window; it is freed once the handlers have run.
    void Closing();
    // The pointer is over pixel `pixel` of the picture (x from the left, y
    // from the top, in the picture's own pixels). Sent again for a new
    // picture while the pointer rests on it.
    void PointerMoved(QPoint pixel);
    // The pointer is no longer over the picture.
    void PointerLeft();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps the size limits and the place of the window within the room the
    // client area offers.
    void FitIntoArea();
    void FormClose(QCloseEvent* event);
    // Reports the picture pixel under `position` (logical pixels of the
    // picture control), or that the pointer is off the picture.
    void ReportPointer(QPointF position);

    QScrollArea* scroll_ = nullptr;
    QLabel* image_ = nullptr;
    QImage picture_;
    qreal ratio_ = 1.0;                 // device pixels per logical pixel of the control
    std::optional<QPointF> pointer_;  // last pointer position over the control
};

}  // namespace dusk::app
