// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include <QObject>

class QAction;
class QDockWidget;
class QKeyEvent;
class QMainWindow;
class QWidget;

namespace dusk::app {

// The panels of the main window as its dock widgets at its left and right:
// placed where they never cover the picture or each other (those of one
// side tabbed together where the screen is small), each side opening as wide
// as its panels were made,
// floatable and closable, with the View item of each checked while it is
// open. The window's command keys reach its commands while a panel has
// the focus, also from a line edit that would take them for itself.
class PanelDocks : public QObject {
    Q_OBJECT

public:
    enum class Side { Right, Left };

    explicit PanelDocks(QMainWindow& main);

    // Makes `content` a closed panel at `side`, its View item `item`
    // (checked while the panel is open). The panel's own closeEvent still
    // runs when the panel is closed.
    QDockWidget* Add(QWidget* content, Side side, QAction* item);
    bool IsOpen(const QWidget* content) const;
    void Open(QWidget* content);
    void Close(QWidget* content);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Panel {
        QWidget* content;
        QDockWidget* dock;
        QAction* item;
        Side side;
        int width;  // the width it was made for
    };
    const Panel* Find(const QObject* contentOrDock) const;
    bool RoomIsShort() const;
    bool InsidePanel(const QObject* object) const;
    bool IsWindowShortcut(const QKeyEvent& key) const;

    QMainWindow& main_;
    std::vector<Panel> panels_;
    bool closing_ = false;  // a panel's own closeEvent is running
};

}  // namespace dusk::app
