// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QPointF>
#include <QWidget>

#include "core/map_projection.h"
#include "geo/geodesy.h"
#include "marks/mark.h"

namespace dusk::app {

// Drawn over the picture control, as large as it and passing every pointer
// event through: the marks of the image, the drawing of the tool in use and
// the profile point named on the Profile panel, each placed from its file
// row and column through `place` (file raster to control positions).
class MarksOverlay : public QWidget {
    Q_OBJECT

public:
    using Place = std::function<QPointF(const RasterPoint&)>;

    MarksOverlay(QWidget* view, Place place);

    void SetMarks(const std::vector<Mark>* marks) { marks_ = marks; update(); }
    void SetSelected(std::vector<std::int64_t> ids) { selected_ = std::move(ids); update(); }
    void SetDraft(std::vector<RasterPoint> points, std::optional<RasterCircle> circle, bool closed);
    void SetProfilePoint(std::optional<RasterPoint> point);
    const std::optional<RasterPoint>& ProfilePoint() const { return profilePoint_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Draw(QPainter& painter, MarkKind kind, const std::vector<RasterPoint>& points, double radius) const;

    Place place_;
    const std::vector<Mark>* marks_ = nullptr;
    std::vector<std::int64_t> selected_;
    std::vector<RasterPoint> draft_;
    std::optional<RasterCircle> draftCircle_;
    bool draftClosed_ = false;
    std::optional<RasterPoint> profilePoint_;
};

}  // namespace dusk::app
