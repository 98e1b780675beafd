// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

#include <QHash>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QStaticText>
#include <QString>
#include <QWidget>

class QPainter;

namespace dusk::app {

// What the chart draws: the histogram of the samples entering the tone
// mapping with the tone curve over it, and the histogram of the picture as
// shown.
struct HistogramPlotData {
    std::array<std::int64_t, 256> entering{};
    std::array<std::int64_t, 256> shown{};
    std::array<std::uint8_t, 256> curve{};  // level entering -> level after the tone mapping
    bool hasPicture = false;  // a picture is on display
    bool toneMapped = false;  // its render ran the tone mapping, so `entering` and `curve` hold
};

// Two panels, one above the other, each with the grey levels 0..255 along
// its x axis and the counts up its left axis (linear or logarithmic); the
// upper one carries the tone curve against a right axis of levels shown.
// Moving the pointer over either panel reports the level under it.
class THistogramChart : public QWidget {
    Q_OBJECT

public:
    explicit THistogramChart(QWidget* parent = nullptr);

    void SetData(const HistogramPlotData& data);
    const HistogramPlotData& Data() const { return data_; }
    void SetLogarithmic(bool logarithmic);
    bool Logarithmic() const { return logarithmic_; }

    // The middle of level `level`'s column in panel 0 (entering) or 1 (shown).
    QPoint PointOfLevel(int level, int panel) const;

signals:
    // The level under the pointer, or -1 once it is off both panels.
    void LevelHovered(int level);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    // The plot rectangle of panel 0 or 1, inside the axes and titles.
    QRect PlotRect(int panel) const;
    int LevelAt(QPoint position) const;
    void HoverLevel(int level);
    // What the last backdrop was drawn for.
    struct BackdropKey {
        QSize size;
        qreal ratio = 0;
        bool logarithmic = false;
        bool curveAxis = false;
        bool operator==(const BackdropKey&) const = default;
    };
    // The parts that stay from render to render, drawn again only when the
    // size, the scale or the presence of the curve changes.
    const QPixmap& Backdrop(bool curveAxis) const;
    void DrawAxes(QPainter& painter, int panel) const;
    void DrawCurveAxis(QPainter& painter, const QRect& plot) const;
    void DrawCounts(QPainter& painter, int panel, const std::array<std::int64_t, 256>& counts, bool hasCounts) const;
    void DrawToneCurve(QPainter& painter, const QRect& plot) const;
    // `text` placed in `box` as `align` says (one horizontal and one vertical flag).
    void DrawLabel(QPainter& painter, const QRect& box, Qt::Alignment align, const QString& text) const;
    void DrawRotated(QPainter& painter, QPoint centre, const QString& text) const;

    HistogramPlotData data_;
    bool logarithmic_ = false;
    int hovered_ = -1;
    mutable QHash<QString, QStaticText> labels_;  // laid out for the widget's font
    mutable QPixmap backdrop_;
    mutable BackdropKey backdropKey_;
};

}  // namespace dusk::app
