// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/profile_panel.h"

#include <algorithm>
#include <cmath>

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace dusk::app {

namespace {

const QColor kFileColour(40, 90, 200);
const QColor kShownColour(220, 120, 20);

}  // namespace

TProfilePanel::TProfilePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ProfilePanel"));
    setWindowTitle(tr("Profile"));
    auto* column = new QVBoxLayout(this);
    plot_ = new ProfilePlot;
    plot_->setObjectName(QStringLiteral("ProfilePlot"));
    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("ProfileNote"));
    note_->setWordWrap(true);
    column->addWidget(plot_, 1);
    column->addWidget(note_);
    connect(plot_, &ProfilePlot::Hovered, this, &TProfilePanel::Hovered);
    resize(440, 280);
    Clear();
}

void TProfilePanel::ShowProfile(std::vector<ProfileValue> values, bool inKilometres) {
    const double length = values.empty() ? 0.0 : values.back().distance;
    note_->setText(inKilometres ? tr("%1 points over %2 km: the file's values (blue) and the values shown (orange).")
                                      .arg(values.size())
                                      .arg(length, 0, 'f', 2)
                                : tr("%1 points over %2 samples: the file's values (blue) and the values shown "
                                     "(orange); in samples, the image has no georeference.")
                                      .arg(values.size())
                                      .arg(length, 0, 'f', 1));
    plot_->SetValues(std::move(values), inKilometres);
}

void TProfilePanel::Clear() {
    plot_->SetValues({}, false);
    note_->setText(tr("Draw a line with the Profile tool to plot the values along it."));
}

void TProfilePanel::MarkPoint(int index) { plot_->Mark(index); }
int TProfilePanel::MarkedPoint() const { return plot_->Marked(); }
const std::vector<ProfileValue>& TProfilePanel::Values() const { return plot_->Values(); }

// ---------------------------------------------------------------------------

ProfilePlot::ProfilePlot(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(200, 120);
}

void ProfilePlot::SetValues(std::vector<ProfileValue> values, bool inKilometres) {
    values_ = std::move(values);
    inKilometres_ = inKilometres;
    marked_ = -1;
    update();
}

void ProfilePlot::Mark(int index) {
    const int marked = index >= 0 && index < static_cast<int>(values_.size()) ? index : -1;
    if (marked == marked_) return;
    marked_ = marked;
    update();
}

QRectF ProfilePlot::Chart() const {
    const int text = fontMetrics().height();
    return QRectF(3.5 * text, 0.5 * text, width() - 4.0 * text, height() - 2.5 * text);
}

int ProfilePlot::PointAt(double x) const {
    if (values_.empty()) return -1;
    const QRectF chart = Chart();
    const double length = values_.back().distance;
    if (x < chart.left() - 2 || x > chart.right() + 2 || length <= 0.0) return values_.size() == 1 ? 0 : -1;
    const double distance = (x - chart.left()) / chart.width() * length;
    const auto after = std::lower_bound(values_.begin(), values_.end(), distance,
                                        [](const ProfileValue& v, double d) { return v.distance < d; });
    if (after == values_.end()) return static_cast<int>(values_.size()) - 1;
    if (after == values_.begin()) return 0;
    const auto before = after - 1;
    return static_cast<int>((distance - before->distance < after->distance - distance ? before : after) -
                            values_.begin());
}

void ProfilePlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRectF chart = Chart();
    painter.setPen(palette().text().color());
    painter.drawRect(chart);
    const int text = fontMetrics().height();
    painter.drawText(QRectF(0, chart.top() - text / 2.0, chart.left() - 4, text), Qt::AlignRight, QStringLiteral("255"));
    painter.drawText(QRectF(0, chart.bottom() - text / 2.0, chart.left() - 4, text), Qt::AlignRight, QStringLiteral("0"));
    if (values_.empty()) return;
    const double length = std::max(values_.back().distance, 1e-9);
    const QString unit = inKilometres_ ? tr("km") : tr("samples");
    painter.drawText(QRectF(chart.left(), chart.bottom() + 2, chart.width(), text), Qt::AlignLeft, QStringLiteral("0"));
    painter.drawText(QRectF(chart.left(), chart.bottom() + 2, chart.width(), text), Qt::AlignRight,
                     QStringLiteral("%1 %2").arg(values_.back().distance, 0, 'f', inKilometres_ ? 2 : 1).arg(unit));
    const auto at = [&](double distance, int value) {
        return QPointF(chart.left() + distance / length * chart.width(), chart.bottom() - value / 255.0 * chart.height());
    };
    QPainterPath file;
    QPainterPath shown;
    bool inFile = false;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const ProfileValue& v = values_[i];
        if (v.fileValue) {
            if (inFile) file.lineTo(at(v.distance, *v.fileValue)); else file.moveTo(at(v.distance, *v.fileValue));
        }
        inFile = v.fileValue.has_value();
        if (i == 0) shown.moveTo(at(v.distance, v.shownValue)); else shown.lineTo(at(v.distance, v.shownValue));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kShownColour, 1.2));
    painter.drawPath(shown);
    painter.setPen(QPen(kFileColour, 1.2));
    painter.drawPath(file);
    if (marked_ >= 0) {
        const ProfileValue& v = values_[static_cast<std::size_t>(marked_)];
        const double x = at(v.distance, 0).x();
        painter.setPen(QPen(Qt::red, 1));
        painter.drawLine(QPointF(x, chart.top()), QPointF(x, chart.bottom()));
        const QString label = v.fileValue ? tr("%1 %2: file %3, shown %4").arg(v.distance, 0, 'f', 2).arg(unit).arg(*v.fileValue).arg(v.shownValue)
                                          : tr("%1 %2: beyond the file's data, shown %3").arg(v.distance, 0, 'f', 2).arg(unit).arg(v.shownValue);
        painter.setPen(palette().text().color());
        painter.drawText(chart.adjusted(4, 2, -4, 0), Qt::AlignTop | Qt::AlignHCenter, label);
    }
}

void ProfilePlot::mouseMoveEvent(QMouseEvent* event) {
    const int index = PointAt(event->position().x());
    Mark(index);
    emit Hovered(index);
}

void ProfilePlot::leaveEvent(QEvent*) {
    Mark(-1);
    emit Hovered(-1);
}

}  // namespace dusk::app
