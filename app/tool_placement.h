// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace dusk::app {

// Puts the tool window `window` at the right edge of `main` (and of the
// screen), from `clientTop` (global) down towards the bottom of the screen,
// its client height kept between `smallestHeight` and `largestHeight`.
void PlaceAtRightEdge(QWidget& window, const QWidget& main, int clientTop, int smallestHeight, int largestHeight);

}  // namespace dusk::app
