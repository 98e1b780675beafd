// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace dusk::app {

// The modal About box: the program's picture and icon, its name and version,
// and an OK button.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 329;
    static constexpr int kClientHeight = 391;

    explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace dusk::app
