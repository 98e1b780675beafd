#pragma once

#include <QImage>
#include <QMdiSubWindow>

class QCloseEvent;
class QLabel;
class QScrollArea;

namespace dusk::app {

// The image window: one multiple-document child showing the rendered picture
// at one screen pixel per sample, scrollable where it is larger than the
// window. Its outer size stays within 812 x 612 and 832 x 700.
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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose(QCloseEvent* event);

    QScrollArea* scroll_ = nullptr;
    QLabel* image_ = nullptr;
    QImage picture_;
};

}  // namespace dusk::app
