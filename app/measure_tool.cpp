// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/measure_tool.h"

#include <cmath>

#include <QCoreApplication>
#include <QDateTime>

namespace dusk::app {

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("MeasureTool", text); }

double Apart(const RasterPoint& a, const RasterPoint& b) { return std::hypot(a.column - b.column, a.row - b.row); }

QString Bearing(const std::optional<double>& bearing) {
    return bearing ? Tr(", bearing %1°").arg(*bearing, 0, 'f', 1) : QString();
}

}  // namespace

QString UnitNote(bool inKilometres) {
    return inKilometres ? QString() : Tr(" (in samples: the image has no georeference)");
}

Mark MeasureMark(MarkKind kind, std::vector<RasterPoint> points, double radius, const RasterGeodesy& geodesy) {
    Mark m;
    m.kind = kind;
    m.radius = radius;
    m.created = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
    switch (kind) {
        case MarkKind::Point:
            m.inKilometres = geodesy.Georeferenced() && !points.empty() && geodesy.LatLonAt(points.front());
            break;
        case MarkKind::Distance:
        case MarkKind::Profile: {
            const LineMeasure line = geodesy.Line(points);
            m.inKilometres = line.inKilometres;
            m.length = line.inKilometres ? line.bodyKm : line.samples;
            break;
        }
        case MarkKind::Area: {
            const AreaMeasure area = geodesy.Polygon(points);
            m.inKilometres = area.inKilometres;
            m.area = area.inKilometres ? area.bodyKm2 : area.samples2;
            m.length = area.inKilometres ? area.perimeterKm : area.perimeterSamples;
            break;
        }
        case MarkKind::Crater: {
            const CraterMeasure crater = geodesy.Crater({points.front(), radius});
            m.inKilometres = crater.inKilometres;
            m.diameter = crater.inKilometres ? crater.diameterKm : crater.diameterSamples;
            break;
        }
    }
    if (m.inKilometres && !points.empty()) {
        if (const std::optional<LatLon> at = geodesy.LatLonAt(points.front())) {
            m.latitude = at->latitude;
            m.longitude = at->longitude;
        }
    }
    m.points = std::move(points);
    return m;
}

void MeasureTool::Reset() {
    points_.clear();
    pointer_.reset();
    done_ = false;
    buttonDown_ = false;
}

std::vector<RasterPoint> MeasureTool::Draft() const {
    std::vector<RasterPoint> draft = points_;
    if (!done_ && pointer_ && !draft.empty()) draft.push_back(*pointer_);
    return draft;
}

std::optional<Mark> MeasureTool::TakeMark(const RasterGeodesy& geodesy) {
    if (!done_) return std::nullopt;
    Mark mark = Measured(geodesy);
    Reset();
    return mark;
}

// ---------------------------------------------------------------------------

void DistanceTool::Press(const RasterPoint& at) {
    if (done_) return;
    buttonDown_ = true;
    // A double click's second press lands where the first put a point.
    if (!points_.empty() && Apart(points_.back(), at) == 0.0) return;
    points_.push_back(at);
    pointer_ = at;
}

void DistanceTool::Release(const RasterPoint&, double) { buttonDown_ = false; }

void DistanceTool::Finish() {
    if (points_.size() >= fewest_) done_ = true;
}

QString DistanceTool::LiveText(const RasterGeodesy& geodesy) const {
    const std::vector<RasterPoint> draft = Draft();
    if (draft.size() < 2) return {};
    const LineMeasure line = geodesy.Line(draft);
    if (!line.inKilometres) {
        return Tr("Distance: %1 samples%2").arg(line.samples, 0, 'f', 1).arg(UnitNote(false));
    }
    return Tr("Distance: %1 km on the body, %2 km on the map, %3 samples%4")
        .arg(line.bodyKm, 0, 'f', 2)
        .arg(line.mapKm, 0, 'f', 2)
        .arg(line.samples, 0, 'f', 1)
        .arg(Bearing(line.bearing));
}

Mark DistanceTool::Measured(const RasterGeodesy& geodesy) const {
    return MeasureMark(Kind(), points_, 0.0, geodesy);
}

QString AreaTool::LiveText(const RasterGeodesy& geodesy) const {
    const std::vector<RasterPoint> draft = Draft();
    if (draft.size() < 3) return DistanceTool::LiveText(geodesy);
    const AreaMeasure area = geodesy.Polygon(draft);
    if (!area.inKilometres) {
        return Tr("Area: %1 samples², perimeter %2 samples%3")
            .arg(area.samples2, 0, 'f', 1)
            .arg(area.perimeterSamples, 0, 'f', 1)
            .arg(UnitNote(false));
    }
    return Tr("Area: %1 km² on the body, perimeter %2 km").arg(area.bodyKm2, 0, 'f', 2).arg(area.perimeterKm, 0, 'f', 2);
}

Mark AreaTool::Measured(const RasterGeodesy& geodesy) const { return MeasureMark(Kind(), points_, 0.0, geodesy); }

// ---------------------------------------------------------------------------

void CraterTool::Press(const RasterPoint& at) {
    if (done_) return;
    buttonDown_ = true;
    dragged_ = false;
    points_.push_back(at);
    pointer_ = at;
}

void CraterTool::Release(const RasterPoint& at, double slack) {
    if (!buttonDown_ || done_ || points_.empty()) return;
    buttonDown_ = false;
    if (points_.size() == 1 && Apart(points_.front(), at) > slack) {
        // Dragged from the centre to the rim.
        circle_ = CircleFromCentre(points_.front(), at);
        done_ = true;
        return;
    }
    if (points_.size() == 3) {
        circle_ = CircleThrough(points_[0], points_[1], points_[2]);
        if (circle_) {
            done_ = true;
        } else {
            points_.pop_back();  // on one line with the others: that click is dropped
        }
    }
}

void CraterTool::Reset() {
    MeasureTool::Reset();
    circle_.reset();
    dragged_ = false;
}

std::vector<RasterPoint> CraterTool::Draft() const { return points_; }

std::optional<RasterCircle> CraterTool::DraftCircle() const {
    if (circle_) return circle_;
    if (points_.empty() || !pointer_) return std::nullopt;
    if (buttonDown_ && points_.size() == 1) return CircleFromCentre(points_.front(), *pointer_);
    if (points_.size() == 2) return CircleThrough(points_[0], points_[1], *pointer_);
    return std::nullopt;
}

QString CraterTool::LiveText(const RasterGeodesy& geodesy) const {
    const std::optional<RasterCircle> circle = DraftCircle();
    if (!circle || circle->radius <= 0.0) return {};
    const CraterMeasure crater = geodesy.Crater(*circle);
    if (!crater.inKilometres) {
        return Tr("Crater: diameter %1 samples%2").arg(crater.diameterSamples, 0, 'f', 1).arg(UnitNote(false));
    }
    return Tr("Crater: centre %1°, %2°, diameter %3 km on the body")
        .arg(crater.centre.latitude, 0, 'f', 3)
        .arg(crater.centre.longitude, 0, 'f', 3)
        .arg(crater.diameterKm, 0, 'f', 2);
}

Mark CraterTool::Measured(const RasterGeodesy& geodesy) const {
    return MeasureMark(Kind(), {circle_->centre}, circle_->radius, geodesy);
}

// ---------------------------------------------------------------------------

void ProfileTool::Press(const RasterPoint& at) {
    if (done_) return;
    buttonDown_ = true;
    if (points_.empty()) {
        points_.push_back(at);
    } else if (Apart(points_.front(), at) > 0.0) {
        points_.push_back(at);  // the second click ends it
        done_ = true;
    }
    pointer_ = at;
}

void ProfileTool::Release(const RasterPoint& at, double slack) {
    if (!buttonDown_) return;
    buttonDown_ = false;
    if (!done_ && points_.size() == 1 && Apart(points_.front(), at) > slack) {
        points_.push_back(at);
        done_ = true;
    }
}

QString ProfileTool::LiveText(const RasterGeodesy& geodesy) const {
    const std::vector<RasterPoint> draft = Draft();
    if (draft.size() < 2) return {};
    const LineMeasure line = geodesy.Line(draft);
    if (!line.inKilometres) return Tr("Profile: %1 samples%2").arg(line.samples, 0, 'f', 1).arg(UnitNote(false));
    return Tr("Profile: %1 km on the body%2").arg(line.bodyKm, 0, 'f', 2).arg(Bearing(line.bearing));
}

Mark ProfileTool::Measured(const RasterGeodesy& geodesy) const { return MeasureMark(Kind(), points_, 0.0, geodesy); }

}  // namespace dusk::app
