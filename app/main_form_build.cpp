// SPDX-License-Identifier: GPL-3.0-or-later
// Building the main window's menus and tool-bar rows from the command table.
#include <array>

#include <QAction>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/main_form.h"
#include "core/image_state.h"

namespace dusk::app {

namespace {

constexpr int kCounterWidth = 89;
constexpr int kCounterHeight = 22;
constexpr int kSpacerWidth = 4;
constexpr int kCounterPixelSize = 16;
constexpr int kLineEditMargin = 2;      // QLineEdit's own blank at each side of its text
constexpr int kNarrowestStretch = 75;  // percent of the font's normal width

bool IsToolBarPlace(Place place) { return place == Place::Row1 || place == Place::Row2; }

// 16-pixel text, set narrower where the longest position (that of a full
// list) would not fit inside the box's frame.
QFont CounterFont(const QLineEdit& counter) {
    QFont font = counter.font();
    font.setPixelSize(kCounterPixelSize);
    QStyleOptionFrame frame;
    frame.initFrom(&counter);
    frame.lineWidth = counter.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, &counter);
    const int room =
        counter.style()->subElementRect(QStyle::SE_LineEditContents, &frame, &counter).width() - 2 * kLineEditMargin;
    const QString longest = QStringLiteral("%1/%1").arg(kFileListCapacity);
    for (int stretch = 100; stretch >= kNarrowestStretch; stretch -= 5) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(longest) <= room) break;
    }
    return font;
}

}  // namespace

QAction* TMainForm::CreateAction(const CommandRow& command) {
    auto* action = new QAction(QString::fromUtf8(command.text), this);
    action->setObjectName(QString::fromLatin1(command.name));
    if (command.glyph != nullptr) action->setIcon(QIcon(QString::fromLatin1(command.glyph)));
    if (IsToolBarPlace(command.place)) action->setToolTip(QString::fromUtf8(command.text));
    QList<QKeySequence> keys;
    if (command.keys != nullptr) keys = QKeySequence::listFromString(QString::fromLatin1(command.keys));
    if (command.standardKey != QKeySequence::UnknownKey) {
        for (const QKeySequence& key : QKeySequence::keyBindings(command.standardKey)) {
            if (!keys.contains(key)) keys << key;
        }
    }
    action->setShortcuts(keys);
    // The window's own action as well, so that its keys work wherever the
    // item or button sits, also on the hidden tool bar.
    if (!keys.isEmpty()) addAction(action);
    action->setCheckable(command.press != Press::None);
    const Handler handler = command.handler;
    const int value = command.value;
    connect(action, &QAction::triggered, this,
            [this, handler, value] { RunHandler([this, handler, value] { handler(*this, value); }); });
    actions_[static_cast<int>(command.id)] = action;
    return action;
}

void TMainForm::BuildMenus() {
    for (const MenuRow& menuRow : MenuTable()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(menuRow.caption));
        menu->setObjectName(QString::fromLatin1(menuRow.name));
        // Items that cannot be used now say why.
        menu->setToolTipsVisible(true);
        for (const CommandRow& command : CommandTable()) {
            if (command.place != menuRow.place) continue;
            if (command.kind == Kind::Separator) {
                menu->addSeparator()->setObjectName(QString::fromLatin1(command.name));
            } else if (command.kind == Kind::Command) {
                menu->addAction(CreateAction(command));
            }
        }
    }
}

void TMainForm::BuildToolBar() {
    // MojCoolBar is the band along the top; it holds MojToolBar, whose two
    // rows (and the counter box at the end of the second) hide and show as one.
    coolBar_ = new QFrame;
    coolBar_->setObjectName(QStringLiteral("MojCoolBar"));
    auto* band = new QVBoxLayout(coolBar_);
    band->setContentsMargins(0, 0, 0, 0);
    band->setSpacing(0);

    toolBar_ = new QWidget;
    toolBar_->setObjectName(QStringLiteral("MojToolBar"));
    auto* rows = new QVBoxLayout(toolBar_);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    band->addWidget(toolBar_);

    struct RowName {
        Place place;
        const char* name;
        const char* spoken;
    };
    const std::array<RowName, 2> rowNames{{
        {Place::Row1, "MojToolBarRow1", "File, scan and option tools"},
        {Place::Row2, "MojToolBarRow2", "Tone, size and information tools"},
    }};
    for (const auto& [place, rowName, spoken] : rowNames) {
        auto* row = new QToolBar;
        row->setObjectName(QString::fromLatin1(rowName));
        row->setAccessibleName(QString::fromUtf8(spoken));
        row->setMovable(false);
        row->setFloatable(false);
        row->setToolButtonStyle(Qt::ToolButtonIconOnly);
        rows->addWidget(row);
        for (const CommandRow& command : CommandTable()) {
            if (command.place != place) continue;
            const QString name = QString::fromLatin1(command.name);
            switch (command.kind) {
                case Kind::Command: {
                    QAction* action = CreateAction(command);
                    row->addAction(action);
                    QWidget* button = row->widgetForAction(action);
                    button->setObjectName(name);
                    if (command.spokenName != nullptr) button->setAccessibleName(QString::fromUtf8(command.spokenName));
                    break;
                }
                case Kind::Separator:
                    row->addSeparator()->setObjectName(name);
                    break;
                case Kind::Spacer: {
                    auto* blank = new QWidget;
                    blank->setObjectName(name);
                    blank->setFixedWidth(kSpacerWidth);
                    row->addWidget(blank);
                    break;
                }
                case Kind::Counter: {
                    counter_ = new QLineEdit(QStringLiteral("0/0"));
                    counter_->setObjectName(name);
                    counter_->setAccessibleName(tr("Position in the folder"));
                    counter_->setReadOnly(true);
                    counter_->setFocusPolicy(Qt::NoFocus);
                    counter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                    counter_->setFixedSize(kCounterWidth, kCounterHeight);
                    counter_->setFont(CounterFont(*counter_));
                    row->addWidget(counter_);
                    break;
                }
            }
        }
    }
}

}  // namespace dusk::app
