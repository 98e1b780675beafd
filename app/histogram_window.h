// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include <QWidget>

#include "core/picture_stats.h"

class QCheckBox;
class QCloseEvent;
class QImage;
class QLabel;

namespace dusk::app {

class THistogramChart;

// The Histogram tool window: the histogram of the samples entering the tone
// mapping with the tone curve over it, the histogram and the figures of the
// picture as shown, the counts at the level under the pointer, and a switch
// between a linear and a logarithmic count scale. It holds nothing while no
// image is shown.
class THistogramWindow : public QWidget {
    Q_OBJECT

public:
    explicit THistogramWindow(QWidget* parent = nullptr);

    // The render just made: `shown` measures its picture; the entering
    // histogram, the tone curve and whether the tone mapping ran come from
    // the image record.
    void ShowRender(const PictureStats& shown);
    // The same for the picture already on display, measured from its pixels
    // (of a reduced picture, those inside the grey field).
    void ShowPicture(const QImage& picture);
    // No image: no bars, no curve, the figures blank.
    void Clear();

signals:
    // The window was closed (its close button, or the View menu's toggle).
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowHover(int level);
    void ShowFigures(const PictureStats* shown);

    THistogramChart* chart_ = nullptr;
    QCheckBox* logarithmic_ = nullptr;
    QLabel* hover_ = nullptr;
    QLabel* note_ = nullptr;
    std::array<QLabel*, 8> figures_{};
};

}  // namespace dusk::app
