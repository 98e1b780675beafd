// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/panel_docks.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QScreen>

namespace dusk::app {

namespace {

// Below this the panels of one side share one place as tabs.
constexpr int kRoomyWidth = 1600;
constexpr int kRoomyHeight = 900;

}  // namespace

PanelDocks::PanelDocks(QMainWindow& main) : QObject(&main), main_(main) {
    main_.setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks);
    // The window's keys come before a line edit's own (Ctrl+E, Ctrl+K, Ctrl+H
    // would otherwise move its cursor or edit it).
    QApplication::instance()->installEventFilter(this);
}

bool PanelDocks::RoomIsShort() const {
    const QScreen* screen = main_.screen();
    if (screen == nullptr) return false;
    const QRect room = screen->availableGeometry();
    return room.width() < kRoomyWidth || room.height() < kRoomyHeight;
}

QDockWidget* PanelDocks::Add(QWidget* content, Side side, QAction* item) {
    auto* dock = new QDockWidget(content->windowTitle(), &main_);
    dock->setObjectName(content->objectName() + QStringLiteral("Dock"));
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    // The width the panel was made for, before the dock takes it over.
    const int width = content->width();
    dock->setWidget(content);
    // A floating panel is a window of its own: the window's keys work there too.
    dock->addActions(main_.actions());
    const Qt::DockWidgetArea area = side == Side::Right ? Qt::RightDockWidgetArea : Qt::LeftDockWidgetArea;
    main_.addDockWidget(area, dock, Qt::Vertical);
    // Where the screen is small the panels of one side share one place as tabs.
    if (RoomIsShort()) {
        for (const Panel& other : panels_) {
            if (other.side == side) {
                main_.tabifyDockWidget(other.dock, dock);
                break;
            }
        }
    }
    dock->hide();
    content->installEventFilter(this);
    dock->installEventFilter(this);
    panels_.push_back({content, dock, item, side, width});
    return dock;
}

const PanelDocks::Panel* PanelDocks::Find(const QObject* contentOrDock) const {
    for (const Panel& panel : panels_) {
        if (panel.content == contentOrDock || panel.dock == contentOrDock) return &panel;
    }
    return nullptr;
}

bool PanelDocks::IsOpen(const QWidget* content) const {
    const Panel* panel = Find(content);
    return panel != nullptr && !panel->dock->isHidden();
}

void PanelDocks::Open(QWidget* content) {
    const Panel* panel = Find(content);
    if (panel == nullptr) return;
    panel->dock->show();
    panel->dock->raise();  // its tab comes to the front
    panel->item->setChecked(true);
    // A docked side column opens as wide as its widest panel was made,
    // within a quarter of the window where the room is short.
    if (panel->dock->isFloating()) return;
    int width = 0;
    for (const Panel& other : panels_) {
        if (other.side == panel->side && !other.dock->isHidden() && !other.dock->isFloating()) {
            width = std::max(width, other.width);
        }
    }
    if (RoomIsShort()) width = std::min(width, main_.width() / 4);
    width = std::max(width, panel->dock->minimumSizeHint().width());
    if (panel->dock->width() < width) main_.resizeDocks({panel->dock}, {width}, Qt::Horizontal);
}

void PanelDocks::Close(QWidget* content) {
    if (const Panel* panel = Find(content)) panel->dock->close();
}

bool PanelDocks::InsidePanel(const QObject* object) const {
    for (const QObject* o = object; o != nullptr; o = o->parent()) {
        if (Find(o) != nullptr) return true;
    }
    return false;
}

bool PanelDocks::IsWindowShortcut(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* action : main_.actions()) {
        if (!action->isEnabled()) continue;
        for (const QKeySequence& shortcut : action->shortcuts()) {
            if (shortcut == pressed) return true;
        }
    }
    return false;
}

bool PanelDocks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && InsidePanel(watched) &&
        IsWindowShortcut(*static_cast<QKeyEvent*>(event))) {
        // Left unaccepted, the key goes on to the window's shortcut.
        event->ignore();
        return true;
    }
    if (event->type() != QEvent::Close) return QObject::eventFilter(watched, event);
    const Panel* panel = Find(watched);
    if (panel == nullptr) return QObject::eventFilter(watched, event);
    if (watched == panel->content && !closing_) {
        // The panel itself asked to close: that closes its dock.
        event->ignore();
        panel->dock->close();
        return true;
    }
    if (watched == panel->dock) {
        // The panel's own closing (its signal, the work it stops) runs first.
        closing_ = true;
        QCloseEvent own;
        QCoreApplication::sendEvent(panel->content, &own);
        closing_ = false;
        panel->item->setChecked(false);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace dusk::app
