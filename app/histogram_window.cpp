// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/histogram_window.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

#include "app/histogram_chart.h"
#include "core/image_state.h"
#include "core/readout.h"
#include "filters/filters.h"

namespace dusk::app {

namespace {

constexpr int kClientWidth = 520;
constexpr int kClientHeight = 640;

// The figures of the shown picture: object name and caption of each.
struct Figure {
    const char* name;
    const char* caption;
};
constexpr std::array<Figure, 8> kFigures{{
    {"StatMinimum", "Minimum"},
    {"StatMaximum", "Maximum"},
    {"StatMean", "Mean"},
    {"StatMedian", "Median"},
    {"StatStdDev", "Standard deviation"},
    {"StatSamples", "Samples"},
    {"StatBlack", "Samples at 0"},
    {"StatWhite", "Samples at 255"},
}};

QString Grouped(std::int64_t n) { return QLocale(QLocale::English).toString(static_cast<qlonglong>(n)); }

QString Decimal(double v) { return QLocale(QLocale::English).toString(v, 'f', 2); }

// The grey level of every pixel of a rendered picture (blue = green = red).
std::vector<std::uint8_t> GreyLevels(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint8_t> levels;
    levels.reserve(static_cast<std::size_t>(rgb.width()) * static_cast<std::size_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) levels.push_back(static_cast<std::uint8_t>(qRed(row[x])));
    }
    return levels;
}

}  // namespace

THistogramWindow::THistogramWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HistogramWindow"));
    setWindowTitle(QStringLiteral("Histogram"));
    resize(kClientWidth, kClientHeight);
    // Docked, it keeps the width at which the chart has a pixel for every level.
    setMinimumWidth(kClientWidth);

    chart_ = new THistogramChart;
    logarithmic_ = new QCheckBox(tr("&Logarithmic count scale"));
    logarithmic_->setObjectName(QStringLiteral("LogScale"));
    logarithmic_->setFocusPolicy(Qt::NoFocus);
    connect(logarithmic_, &QCheckBox::toggled, chart_, &THistogramChart::SetLogarithmic);
    hover_ = new QLabel;
    hover_->setObjectName(QStringLiteral("HistogramHover"));
    hover_->setTextFormat(Qt::PlainText);
    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("CurveNote"));
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    connect(chart_, &THistogramChart::LevelHovered, this, &THistogramWindow::ShowHover);

    auto* figures = new QGroupBox(tr("Picture as shown"));
    auto* grid = new QGridLayout(figures);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    const int digits = fontMetrics().horizontalAdvance(QStringLiteral("2,100,000"));
    for (std::size_t i = 0; i < kFigures.size(); ++i) {
        const int row = static_cast<int>(i % 4);
        const int column = static_cast<int>(i / 4) * 2;
        grid->addWidget(new QLabel(tr(kFigures[i].caption)), row, column);
        auto* value = new QLabel;
        value->setObjectName(QString::fromLatin1(kFigures[i].name));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // Of a fixed size, so that new figures do not lay the window out again.
        value->setFixedSize(digits, value->sizeHint().height());
        grid->addWidget(value, row, column + 1);
        figures_[i] = value;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* switches = new QHBoxLayout;
    switches->addWidget(logarithmic_);
    switches->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(chart_, 1);
    column->addLayout(switches);
    column->addWidget(hover_);
    column->addWidget(note_);
    column->addWidget(figures);
    hover_->setMinimumHeight(hover_->fontMetrics().height());
    note_->setMinimumHeight(2 * note_->fontMetrics().lineSpacing());
    Clear();
}

void THistogramWindow::ShowRender(const PictureStats& shown) {
    const ImageState& s = State();
    HistogramPlotData data;
    data.hasPicture = true;
    data.shown = shown.counts;
    data.toneMapped = !s.ShownUnprocessed;
    if (data.toneMapped) {
        std::copy(s.Histogram.Counts.begin(), s.Histogram.Counts.end(), data.entering.begin());
        data.curve = ToneCurve();
        QString note = tr("Tone curve: Stretch, Contrast and Brightness. The shading ramp varies along each row "
                          "and is left out");
        note += s.ShadingLevel != 0 ? tr(" (shading at %1).").arg(s.ShadingLevel) : QStringLiteral(".");
        if (IsOn(s.ActiveOptions[OptInvert])) note += tr(" Invert then shows 255 \u2212 the curve.");
        note_->setText(note);
    } else {
        note_->setText(tr("Original Image: no tone mapping runs, so there is no tone curve and the entering "
                          "histogram is not in use."));
    }
    chart_->SetData(data);
    ShowFigures(&shown);
}

void THistogramWindow::ShowPicture(const QImage& picture) {
    // A reduced picture without the grey field around it.
    const PictureArea area = SampleArea(CurrentDisplayMapping());
    ShowRender(MeasurePicture(GreyLevels(picture.copy(area.x, area.y, area.width, area.height))));
}

void THistogramWindow::Clear() {
    chart_->SetData({});
    note_->clear();
    ShowFigures(nullptr);
    ShowHover(-1);
}

void THistogramWindow::ShowFigures(const PictureStats* shown) {
    if (shown == nullptr || shown->total == 0) {
        for (QLabel* value : figures_) value->clear();
        return;
    }
    const std::array<QString, 8> texts{
        QString::number(shown->minimum), QString::number(shown->maximum), Decimal(shown->mean),
        QString::number(shown->median),  Decimal(shown->stddev),          Grouped(shown->total),
        Grouped(shown->black),           Grouped(shown->white),
    };
    for (std::size_t i = 0; i < texts.size(); ++i) figures_[i]->setText(texts[i]);
}

void THistogramWindow::ShowHover(int level) {
    const HistogramPlotData& data = chart_->Data();
    if (!data.hasPicture) {
        hover_->clear();
        return;
    }
    if (level < 0) {
        hover_->setText(tr("Point at a level to read its counts."));
        return;
    }
    const auto at = static_cast<std::size_t>(level);
    if (data.toneMapped) {
        hover_->setText(tr("Level %1: %2 entering, %3 shown; tone curve %1 \u2192 %4")
                            .arg(level)
                            .arg(Grouped(data.entering[at]), Grouped(data.shown[at]))
                            .arg(data.curve[at]));
    } else {
        hover_->setText(tr("Level %1: %2 shown; no tone mapping").arg(level).arg(Grouped(data.shown[at])));
    }
}

void THistogramWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit Closed();
}

}  // namespace dusk::app
