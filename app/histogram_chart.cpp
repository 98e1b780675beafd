// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/histogram_chart.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QLineF>
#include <QList>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QStaticText>

#include "core/fixed_frame.h"

namespace dusk::app {

namespace {

constexpr int kLevels = 256;
constexpr int kLeftMargin = 74;    // count ticks and the rotated axis title
constexpr int kRightMargin = 46;   // the tone curve's level ticks and title
constexpr int kTitleHeight = 20;   // the panel's title above the plot
constexpr int kBottomMargin = 34;  // level ticks and the x axis title
constexpr int kPanelGap = 8;
constexpr int kTickLength = 4;
constexpr int kLevelTicks[] = {0, 32, 64, 96, 128, 160, 192, 224, 255};
constexpr qsizetype kMostLabels = 400;  // laid-out labels kept

const QColor kEnteringBars(70, 110, 165);
const QColor kShownBars(85, 85, 85);
const QColor kCurve(205, 35, 35);
const QColor kGrid(225, 225, 225);
const QColor kAxis(40, 40, 40);

QString Grouped(std::int64_t n) { return QLocale(QLocale::English).toString(static_cast<qlonglong>(n)); }

// The count axis of one panel: the count at its top and the counts ticked.
struct CountAxis {
    double top = 1.0;
    std::vector<std::int64_t> ticks;
    bool logarithmic = false;

    // Height of `count` as a fraction of the plot's height.
    double Fraction(std::int64_t count) const {
        if (count <= 0) return 0.0;
        const double f = logarithmic ? std::log10(1.0 + static_cast<double>(count)) / std::log10(1.0 + top)
                                     : static_cast<double>(count) / top;
        return std::min(f, 1.0);
    }
};

// Linear: a round step (1, 2, 2.5 or 5 times a power of ten) giving at most
// five intervals up to the largest count. Logarithmic: the powers of ten up
// to the first at or above it.
CountAxis MakeCountAxis(std::int64_t largest, bool logarithmic) {
    CountAxis axis;
    axis.logarithmic = logarithmic;
    if (largest <= 0) return axis;
    if (logarithmic) {
        std::int64_t power = 1;
        axis.ticks.push_back(power);
        while (power < largest) {
            power *= 10;
            axis.ticks.push_back(power);
        }
        axis.top = static_cast<double>(power);
        return axis;
    }
    const double rough = static_cast<double>(largest) / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(std::max(rough, 1.0))));
    double step = magnitude;
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= rough) break;
    }
    const auto whole = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::llround(step)));
    const std::int64_t top = (largest + whole - 1) / whole * whole;
    for (std::int64_t t = 0; t <= top; t += whole) axis.ticks.push_back(t);
    axis.top = static_cast<double>(top);
    return axis;
}

// The left edge of level `level`'s column (level 256: the plot's right edge).
int ColumnLeft(const QRect& plot, int level) { return plot.left() + level * plot.width() / kLevels; }

int ColumnMiddle(const QRect& plot, int level) { return (ColumnLeft(plot, level) + ColumnLeft(plot, level + 1)) / 2; }

int HeightOf(const QRect& plot, double fraction) {
    return plot.bottom() + 1 - static_cast<int>(std::lround(fraction * plot.height()));
}

}  // namespace

void THistogramChart::DrawLabel(QPainter& painter, const QRect& box, Qt::Alignment align, const QString& text) const {
    // Laid out once: a label drawn from its layout costs a fraction of a plain drawText.
    auto label = labels_.constFind(text);
    if (label == labels_.cend()) {
        if (labels_.size() > kMostLabels) labels_.clear();
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), font());
        label = labels_.insert(text, laidOut);
    }
    const QSizeF size = label->size();
    double x = box.left();
    if (align & Qt::AlignRight) x = box.right() + 1 - size.width();
    if (align & Qt::AlignHCenter) x = box.left() + (box.width() - size.width()) / 2;
    double y = box.top();
    if (align & Qt::AlignBottom) y = box.bottom() + 1 - size.height();
    if (align & Qt::AlignVCenter) y = box.top() + (box.height() - size.height()) / 2;
    painter.drawStaticText(QPointF(x, y), *label);
}

void THistogramChart::DrawRotated(QPainter& painter, QPoint centre, const QString& text) const {
    painter.save();
    painter.translate(centre);
    painter.rotate(-90);
    DrawLabel(painter, QRect(-150, -10, 300, 20), Qt::AlignCenter, text);
    painter.restore();
}

void THistogramChart::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        labels_.clear();
        backdrop_ = QPixmap();
    }
    QWidget::changeEvent(event);
}

THistogramChart::THistogramChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HistogramChart"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize THistogramChart::sizeHint() const { return {kLeftMargin + 400 + kRightMargin, 440}; }

QSize THistogramChart::minimumSizeHint() const { return {kLeftMargin + kLevels + kRightMargin, 300}; }

void THistogramChart::SetData(const HistogramPlotData& data) {
    data_ = data;
    update();
    emit LevelHovered(hovered_);  // the counts under a resting pointer are new
}

void THistogramChart::SetLogarithmic(bool logarithmic) {
    logarithmic_ = logarithmic;
    update();
}

QRect THistogramChart::PlotRect(int panel) const {
    const int block = (height() - kPanelGap) / 2;
    const int top = panel * (block + kPanelGap) + kTitleHeight;
    const int plotHeight = std::max(block - kTitleHeight - kBottomMargin, 10);
    // A whole number of pixels per level where the room allows, so that every column is as wide.
    const int room = std::max(width() - kLeftMargin - kRightMargin, kLevels);
    const int plotWidth = room >= 2 * kLevels ? room / kLevels * kLevels : room;
    return {kLeftMargin, top, plotWidth, plotHeight};
}

QPoint THistogramChart::PointOfLevel(int level, int panel) const {
    const QRect plot = PlotRect(panel);
    return {ColumnMiddle(plot, level), plot.center().y()};
}

int THistogramChart::LevelAt(QPoint position) const {
    for (int panel = 0; panel < 2; ++panel) {
        const QRect plot = PlotRect(panel);
        if (!plot.contains(position)) continue;
        // The column whose left edge (ColumnLeft) is the last one at or before the pointer.
        return std::clamp(((position.x() - plot.left() + 1) * kLevels - 1) / plot.width(), 0, kLevels - 1);
    }
    return -1;
}

void THistogramChart::HoverLevel(int level) {
    if (level == hovered_) return;
    hovered_ = level;
    update();
    emit LevelHovered(level);
}

void THistogramChart::mouseMoveEvent(QMouseEvent* event) { HoverLevel(LevelAt(event->position().toPoint())); }

void THistogramChart::leaveEvent(QEvent*) { HoverLevel(-1); }

void THistogramChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool curve = data_.hasPicture && data_.toneMapped;
    painter.drawPixmap(0, 0, Backdrop(curve));
    DrawCounts(painter, 0, data_.entering, curve);
    DrawCounts(painter, 1, data_.shown, data_.hasPicture);
    if (curve) DrawToneCurve(painter, PlotRect(0));
    if (hovered_ >= 0 && data_.hasPicture) {
        painter.setPen(QPen(QColor(0, 0, 0, 140), 1, Qt::DashLine));
        for (int panel = 0; panel < 2; ++panel) {
            const QRect plot = PlotRect(panel);
            const int x = ColumnMiddle(plot, hovered_);
            painter.drawLine(x, plot.top(), x, plot.bottom());
        }
    }
}

const QPixmap& THistogramChart::Backdrop(bool curveAxis) const {
    const qreal ratio = devicePixelRatioF();
    const BackdropKey key{size(), ratio, logarithmic_, curveAxis};
    if (!backdrop_.isNull() && key == backdropKey_) return backdrop_;
    backdrop_ = QPixmap(size() * ratio);
    backdrop_.setDevicePixelRatio(ratio);
    backdrop_.fill(palette().window().color());
    backdropKey_ = key;
    QPainter painter(&backdrop_);
    painter.setFont(font());
    for (int panel = 0; panel < 2; ++panel) DrawAxes(painter, panel);
    if (curveAxis) DrawCurveAxis(painter, PlotRect(0));
    return backdrop_;
}

// What stays from render to render: the titles, the white plot, the level
// axis and the titles of the count axes.
void THistogramChart::DrawAxes(QPainter& painter, int panel) const {
    const QRect plot = PlotRect(panel);
    const int textHeight = painter.fontMetrics().height();
    painter.setPen(kAxis);
    const QString title = panel == 0 ? tr("Entering the tone mapping") : tr("Picture as shown");
    DrawLabel(painter, QRect(plot.left(), plot.top() - kTitleHeight, plot.width(), kTitleHeight),
              Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.fillRect(plot, Qt::white);
    DrawRotated(painter, QPoint(10, plot.center().y()), logarithmic_ ? tr("count (log)") : tr("count"));
    for (const int level : kLevelTicks) {
        const int x = ColumnMiddle(plot, level);
        painter.drawLine(x, plot.bottom() + 1, x, plot.bottom() + kTickLength);
        DrawLabel(painter, QRect(x - 20, plot.bottom() + kTickLength + 1, 40, textHeight),
                  Qt::AlignHCenter | Qt::AlignTop, QString::number(level));
    }
    const QString levelTitle = panel == 0 ? tr("level entering (0\u2013255), samples %1\u2013%2 of the raster")
                                                .arg(kHistogramFirst)
                                                .arg(Grouped(kHistogramLast))
                                          : tr("level shown (0\u2013255)");
    DrawLabel(painter, QRect(plot.left(), plot.bottom() + kTickLength + textHeight, plot.width(), textHeight),
              Qt::AlignHCenter | Qt::AlignTop, levelTitle);
}

// The tone curve's right axis (levels out, 0..255) and its key, right-aligned
// in the title row.
void THistogramChart::DrawCurveAxis(QPainter& painter, const QRect& plot) const {
    painter.setPen(kCurve);
    for (const int level : {0, 64, 128, 192, 255}) {
        const int y = HeightOf(plot, level / 255.0);
        painter.drawLine(plot.right() + 1, y, plot.right() + kTickLength, y);
        DrawLabel(painter, QRect(plot.right() + kTickLength + 3, y - 8, kRightMargin, 16),
                  Qt::AlignLeft | Qt::AlignVCenter, QString::number(level));
    }
    DrawRotated(painter, QPoint(width() - 9, plot.center().y()), tr("level out"));
    const QString key = tr("tone curve (right axis)");
    const int keyLeft = plot.right() + 1 - painter.fontMetrics().horizontalAdvance(key);
    const int keyMiddle = plot.top() - kTitleHeight / 2;
    DrawLabel(painter, QRect(keyLeft, plot.top() - kTitleHeight, plot.right() + 1 - keyLeft, kTitleHeight),
              Qt::AlignLeft | Qt::AlignVCenter, key);
    painter.setPen(QPen(kCurve, 2));
    painter.drawLine(keyLeft - 24, keyMiddle, keyLeft - 6, keyMiddle);
}

// What each render changes: the count axis, the bars and the plot's frame.
void THistogramChart::DrawCounts(QPainter& painter, int panel, const std::array<std::int64_t, 256>& counts,
                                 bool hasCounts) const {
    const QRect plot = PlotRect(panel);
    const int textHeight = painter.fontMetrics().height();
    const std::int64_t largest = hasCounts ? *std::max_element(counts.begin(), counts.end()) : 0;
    const CountAxis axis = MakeCountAxis(largest, logarithmic_);
    for (const std::int64_t tick : axis.ticks) {
        const int y = HeightOf(plot, axis.Fraction(tick));
        painter.setPen(kGrid);
        if (tick > 0) painter.drawLine(plot.left() + 1, y, plot.right(), y);
        painter.setPen(kAxis);
        painter.drawLine(plot.left() - kTickLength, y, plot.left() - 1, y);
        DrawLabel(painter, QRect(0, y - textHeight / 2, plot.left() - kTickLength - 3, textHeight),
                  Qt::AlignRight | Qt::AlignVCenter, Grouped(tick));
    }
    if (largest > 0) {
        QPolygon outline;
        outline.reserve(2 * kLevels + 2);
        outline << QPoint(plot.left(), plot.bottom() + 1);
        for (int level = 0; level < kLevels; ++level) {
            const int y = HeightOf(plot, axis.Fraction(counts[static_cast<std::size_t>(level)]));
            outline << QPoint(ColumnLeft(plot, level), y) << QPoint(ColumnLeft(plot, level + 1), y);
        }
        outline << QPoint(plot.right() + 1, plot.bottom() + 1);
        painter.setPen(Qt::NoPen);
        painter.setBrush(panel == 0 ? kEnteringBars : kShownBars);
        painter.drawPolygon(outline);
        painter.setBrush(Qt::NoBrush);
    } else if (panel == 0 && data_.hasPicture && !data_.toneMapped) {
        painter.setPen(kAxis);
        painter.drawText(plot, Qt::AlignCenter | Qt::TextWordWrap,
                         tr("Not in use: Original Image runs no tone mapping."));
    }
    painter.setPen(kAxis);
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
}

// The level after the tone mapping for each level entering, against the right axis.
void THistogramChart::DrawToneCurve(QPainter& painter, const QRect& plot) const {
    // The curve runs straight between the levels where its step changes:
    // only those are drawn, which keeps the smooth line cheap.
    const auto& curve = data_.curve;
    const auto pointOf = [&plot, &curve](int level) {
        const double x = plot.left() + (level + 0.5) * plot.width() / kLevels;
        const double y = plot.bottom() + 1 - curve[static_cast<std::size_t>(level)] * plot.height() / 255.0;
        return QPointF(x, y);
    };
    // Separate segments: a smooth wide polyline costs ten times as much.
    QList<QLineF> segments;
    QPointF from = pointOf(0);
    for (int level = 1; level < kLevels; ++level) {
        const std::size_t at = static_cast<std::size_t>(level);
        if (level + 1 < kLevels && curve[at] - curve[at - 1] == curve[at + 1] - curve[at]) continue;
        const QPointF to = pointOf(level);
        segments << QLineF(from, to);
        from = to;
    }
    painter.save();
    painter.setClipRect(plot.adjusted(0, -1, 0, 1));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kCurve, 2));
    painter.drawLines(segments);
    painter.restore();

}

}  // namespace dusk::app
