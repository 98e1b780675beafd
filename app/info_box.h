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

    // Replaces the items of ListBox1. Control characters are shown as their
    // visible symbols, so every byte keeps its column.
    void SetLines(const QStringList& lines);

private:
    QListWidget* list_ = nullptr;
};

}  // namespace dusk::app
