// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace dusk::app {

// The modal Info box: the label text of the image on display, one list item
// per 80-byte label line.
class TInfoBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 707;
    static constexpr int kClientHeight = 476;

    explicit TInfoBox(QWidget* parent = nullptr);

    // Replaces the items of ListBox1, also while the box is open. Trailing
    // blanks stay; a control character (a carriage return or line feed inside
    // a line) is shown as a visible symbol in its own column, never as a
    // line break.
    void SetLines(const QStringList& lines);

private:
    QListWidget* list_ = nullptr;
};

}  // namespace dusk::app
