// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tool_placement.h"

#include <algorithm>

#include <QScreen>
#include <QWidget>

namespace dusk::app {

namespace {

constexpr int kFrameAllowance = 8;

}  // namespace

void PlaceAtRightEdge(QWidget& window, const QWidget& main, int clientTop, int smallestHeight, int largestHeight) {
    const QScreen* screen = main.screen();
    if (screen == nullptr) return;
    const QRect room = screen->availableGeometry();
    // The frame the window manager adds; before the first showing it is not
    // known yet: the main window's title bar stands in for it, with room for
    // a border and a handle below.
    QSize frame = window.frameGeometry().size() - window.size();
    const int title = main.geometry().top() - main.frameGeometry().top();
    if (frame.isEmpty() && title > 0) frame = QSize(kFrameAllowance, title + kFrameAllowance);
    const int height = std::clamp(room.bottom() + 1 - clientTop - frame.height(), smallestHeight, largestHeight);
    window.resize(window.width(), height);
    const QRect outer(QPoint(0, 0), window.size() + frame);
    const int right = std::min(main.frameGeometry().right(), room.right());
    const int x = std::max(room.left(), right + 1 - outer.width());
    const int y = std::clamp(clientTop, room.top(), std::max(room.top(), room.bottom() + 1 - outer.height()));
    window.move(x, y);
}

}  // namespace dusk::app
