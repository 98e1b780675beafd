// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include <QWidget>

class QLabel;

namespace dusk::app {

// One point of a profile as plotted: its distance from the start (km, or
// samples without georeference), the file's value there (none beyond the
// file's data) and the value shown.
struct ProfileValue {
    double distance = 0.0;
    std::optional<int> fileValue;
    int shownValue = 0;
};

class ProfilePlot;

// The Profile panel: the file's values and the shown values along the
// profile line against the distance from its start. The pointer over the
// plot names the point under it (Hovered), and a point named from the
// picture is marked on the plot.
class TProfilePanel : public QWidget {
    Q_OBJECT

public:
    explicit TProfilePanel(QWidget* parent = nullptr);

    void ShowProfile(std::vector<ProfileValue> values, bool inKilometres);
    void Clear();
    // Marks point `index` of the profile (none: -1).
    void MarkPoint(int index);
    int MarkedPoint() const;
    const std::vector<ProfileValue>& Values() const;

signals:
    // The pointer is over point `index` of the plot; -1 once it has left.
    void Hovered(int index);

private:
    ProfilePlot* plot_ = nullptr;
    QLabel* note_ = nullptr;
};

// The plot itself.
class ProfilePlot : public QWidget {
    Q_OBJECT

public:
    explicit ProfilePlot(QWidget* parent = nullptr);
    void SetValues(std::vector<ProfileValue> values, bool inKilometres);
    void Mark(int index);
    int Marked() const { return marked_; }
    const std::vector<ProfileValue>& Values() const { return values_; }
    // The point under x (widget pixels), or -1.
    int PointAt(double x) const;
    QSize sizeHint() const override { return {420, 220}; }

signals:
    void Hovered(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRectF Chart() const;

    std::vector<ProfileValue> values_;
    bool inKilometres_ = false;
    int marked_ = -1;
};

}  // namespace dusk::app
