// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include <QString>

#include "core/map_projection.h"
#include "geo/geodesy.h"
#include "marks/mark.h"

namespace dusk::app {

// One measuring tool: what the pointer draws on the file raster (presses,
// moves, releases, a double click or Enter to finish), the draft it has
// drawn so far with the pointer's place, the live figures for the status
// bar, and the mark with its figures once the drawing is done.
class MeasureTool {
public:
    virtual ~MeasureTool() = default;
    virtual MarkKind Kind() const = 0;

    // `slack`: how far, in samples, a press and its release may lie apart
    // and still be a click.
    virtual void Press(const RasterPoint& at) = 0;
    virtual void Release(const RasterPoint& at, double slack) = 0;
    void Move(const RasterPoint& at) { pointer_ = at; }
    // A double click or Enter: ends a line or a polygon.
    virtual void Finish() {}
    // Drops the drawing.
    virtual void Reset();

    // The points drawn, the pointer's place after them while drawing.
    virtual std::vector<RasterPoint> Draft() const;
    // A crater's circle as drawn so far.
    virtual std::optional<RasterCircle> DraftCircle() const { return std::nullopt; }
    bool Drawing() const { return !points_.empty(); }
    // The figures of the draft, for the status bar; empty when there is none.
    virtual QString LiveText(const RasterGeodesy& geodesy) const = 0;
    // The mark drawn, once, after the drawing is done.
    std::optional<Mark> TakeMark(const RasterGeodesy& geodesy);

protected:
    virtual Mark Measured(const RasterGeodesy& geodesy) const = 0;

    std::vector<RasterPoint> points_;
    std::optional<RasterPoint> pointer_;
    bool done_ = false;
    bool buttonDown_ = false;
};

// A line of one or more segments, a click for each point, a double click
// or Enter at the end: its length on the body, on the map and in samples,
// and its bearing.
class DistanceTool : public MeasureTool {
public:
    MarkKind Kind() const override { return MarkKind::Distance; }
    void Press(const RasterPoint& at) override;
    void Release(const RasterPoint& at, double slack) override;
    void Finish() override;
    QString LiveText(const RasterGeodesy& geodesy) const override;

protected:
    Mark Measured(const RasterGeodesy& geodesy) const override;
    std::size_t fewest_ = 2;  // points a finished drawing needs
};

// A polygon, drawn as a line is: its area on the body and its perimeter.
class AreaTool : public DistanceTool {
public:
    AreaTool() { fewest_ = 3; }
    MarkKind Kind() const override { return MarkKind::Area; }
    QString LiveText(const RasterGeodesy& geodesy) const override;

protected:
    Mark Measured(const RasterGeodesy& geodesy) const override;
};

// A crater's rim: dragged from the centre to the rim, or three clicks on
// the rim: its centre's latitude and longitude and its diameter on the body.
class CraterTool : public MeasureTool {
public:
    MarkKind Kind() const override { return MarkKind::Crater; }
    void Press(const RasterPoint& at) override;
    void Release(const RasterPoint& at, double slack) override;
    void Reset() override;
    std::vector<RasterPoint> Draft() const override;
    std::optional<RasterCircle> DraftCircle() const override;
    QString LiveText(const RasterGeodesy& geodesy) const override;

protected:
    Mark Measured(const RasterGeodesy& geodesy) const override;

private:
    std::optional<RasterCircle> circle_;
    bool dragged_ = false;
};

// A straight line, dragged or two clicks: the Profile panel plots the
// values along it.
class ProfileTool : public MeasureTool {
public:
    MarkKind Kind() const override { return MarkKind::Profile; }
    void Press(const RasterPoint& at) override;
    void Release(const RasterPoint& at, double slack) override;
    QString LiveText(const RasterGeodesy& geodesy) const override;

protected:
    Mark Measured(const RasterGeodesy& geodesy) const override;
};

// The figures of a mark of `kind` through `points` (a crater: its centre
// and `radius`), as the Measurements panel shows them.
Mark MeasureMark(MarkKind kind, std::vector<RasterPoint> points, double radius, const RasterGeodesy& geodesy);

// "in samples (no georeference)" where the raster has none.
QString UnitNote(bool inKilometres);

}  // namespace dusk::app
