// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QCloseEvent;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace dusk::app {

// The Label Keywords tool window: the statements of the keyword label beside
// the image on display as a tree (block, keyword, value, unit), with a filter
// that keeps the matching rows, their blocks and a matching block's members.
// A line above the tree says when there is no image, no label, or a label
// that is no keyword label or is not readable to its end. Where the label
// describes a map, a box above the tree shows the georeference as the
// program understood it: the projection, the body, the scale, the corners
// and whether the label's bounds agree.
class TLabelKeywordsWindow : public QWidget {
    Q_OBJECT

public:
    explicit TLabelKeywordsWindow(QWidget* parent = nullptr);

    // The label of the image loaded last, from the image record.
    void ShowLabel();
    // No image.
    void Clear();

signals:
    // The window was closed (its close button, or the View menu's toggle).
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyFilter();
    // Shows `item` when it or a member matches, or a block around it does;
    // returns whether it is shown.
    bool Filter(QTreeWidgetItem* item, const QString& text, bool blockMatched);

    QLineEdit* filter_ = nullptr;
    // Fills the georeference box from the record, or hides it.
    void ShowGeoreference();

    QLabel* note_ = nullptr;
    QGroupBox* georeference_ = nullptr;
    QFormLayout* georeferenceRows_ = nullptr;
    QTreeWidget* tree_ = nullptr;
};

}  // namespace dusk::app
