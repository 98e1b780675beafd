// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/overview_map.h"

#include <QAbstractItemModel>
#include <QGraphicsPixmapItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>

#include "core/paths.h"
#include "core/readout.h"
#include "geo/map_coordinates.h"
#include "geo/quad.h"

namespace dusk::app {

namespace {

// Scene units are map kilometres, y up the map shown down the screen.
QPointF ScenePoint(const GeoTransform& t, const RasterPoint& p) {
    return {(t[0] + p.column * t[1] + p.row * t[2]) / 1000.0, -(t[3] + p.column * t[4] + p.row * t[5]) / 1000.0};
}

}  // namespace

struct TOverviewMap::Entry {
    int width = 0;  // the file raster the georeference applies to
    int height = 0;
    GeoTransform transform{};
    QGraphicsPolygonItem* outline = nullptr;
    QGraphicsPixmapItem* thumbnail = nullptr;
};

TOverviewMap::TOverviewMap(QWidget* parent) : QGraphicsView(parent) {
    setObjectName(QStringLiteral("OverviewMap"));
    setScene(new QGraphicsScene(this));
    setRenderHint(QPainter::SmoothPixmapTransform);
    setBackgroundBrush(palette().dark());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

TOverviewMap::~TOverviewMap() = default;

void TOverviewMap::Clear() {
    scene()->clear();
    frame_ = nullptr;
    entries_.clear();
    leftOut_.clear();
}

void TOverviewMap::Lay(const std::vector<std::string>& paths, const OptionFlags& defaults,
                       const QAbstractItemModel& model, int shown) {
    Clear();
    defaults_ = defaults;
    std::vector<QuadImage> images;
    images.reserve(paths.size());
    for (const std::string& path : paths) images.push_back(ReadQuadImage(DirectoryPart(path), NamePart(path)));

    // The map of the entry on display, else of the first entry that has one.
    std::string wkt;
    if (shown >= 0 && shown < static_cast<int>(images.size()) && images[static_cast<std::size_t>(shown)].coordinates) {
        wkt = images[static_cast<std::size_t>(shown)].coordinates->Wkt();
    }
    for (const QuadImage& image : images) {
        if (wkt.empty() && image.coordinates) wkt = image.coordinates->Wkt();
    }

    int unmapped = 0;
    int otherMap = 0;
    entries_.resize(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const QuadImage& image = images[i];
        if (!image.coordinates) {
            ++unmapped;
            continue;
        }
        if (image.coordinates->Wkt() != wkt) {
            ++otherMap;
            continue;
        }
        auto entry = std::make_unique<Entry>();
        entry->width = image.width;
        entry->height = image.height;
        entry->transform = image.coordinates->FileTransform();
        const double w = image.width;
        const double h = image.height;
        QPolygonF outline;
        for (const RasterPoint& corner : {RasterPoint{0, 0}, RasterPoint{w, 0}, RasterPoint{w, h}, RasterPoint{0, h}}) {
            outline << ScenePoint(entry->transform, corner);
        }
        entry->outline = scene()->addPolygon(outline, QPen(QColor(200, 200, 200), 0), Qt::NoBrush);
        entry->outline->setZValue(1);
        entry->outline->setData(0, static_cast<int>(i));
        // A browse image lies under its tiles, unnamed: it shows where a tile is missing.
        if (!IsBrowseName(image.name)) {
            auto* name = scene()->addSimpleText(QString::fromStdString(image.name));
            name->setBrush(QColor(255, 230, 60));
            name->setFlag(QGraphicsItem::ItemIgnoresTransformations);
            name->setPos(outline.boundingRect().center());
            name->setZValue(3);
        } else {
            entry->outline->setZValue(-1);
        }
        entries_[i] = std::move(entry);
        const QImage picture = model.data(model.index(static_cast<int>(i), 0), Qt::DecorationRole).value<QImage>();
        if (!picture.isNull()) TakeThumbnail(static_cast<int>(i), picture);
    }
    if (unmapped + otherMap > 0) {
        leftOut_ = tr("%1 of %2 not on the map (%3 without map coordinates, %4 in another projection)")
                       .arg(unmapped + otherMap)
                       .arg(images.size())
                       .arg(unmapped)
                       .arg(otherMap);
    }
    ShowPosition(shown);
    Fit();
}

void TOverviewMap::TakeThumbnail(int index, const QImage& picture) {
    if (index < 0 || index >= static_cast<int>(entries_.size()) || !entries_[static_cast<std::size_t>(index)]) return;
    Entry& entry = *entries_[static_cast<std::size_t>(index)];
    if (picture.isNull()) return;
    // The thumbnail is the picture (with a reduced one's grey field) scaled
    // down; its pixels go back to the file raster through the options it was
    // rendered with.
    const DisplayMapping mapping = MappingFor(defaults_, entry.width, entry.height, false);
    const PictureArea area = SampleArea(mapping);
    const double sx = static_cast<double>(entry.width) / picture.width();
    const double sy = static_cast<double>(entry.height) / picture.height();
    const QRect cut(static_cast<int>(area.x / sx), static_cast<int>(area.y / sy),
                    std::max(1, static_cast<int>(area.width / sx)), std::max(1, static_cast<int>(area.height / sy)));
    const auto scene = [&](double u, double v) {
        return ScenePoint(entry.transform, FileRasterPointAt(mapping, {u * sx, v * sy}));
    };
    const QPointF origin = scene(cut.x(), cut.y());
    const QPointF right = scene(cut.x() + 1, cut.y()) - origin;
    const QPointF down = scene(cut.x(), cut.y() + 1) - origin;
    const QTransform place(right.x(), right.y(), down.x(), down.y(), origin.x(), origin.y());
    if (entry.thumbnail == nullptr) {
        entry.thumbnail = this->scene()->addPixmap({});
        entry.thumbnail->setTransformationMode(Qt::SmoothTransformation);
        entry.thumbnail->setData(0, index);
    }
    entry.thumbnail->setPixmap(QPixmap::fromImage(picture.copy(cut)));
    entry.thumbnail->setTransform(place);
}

void TOverviewMap::ShowPosition(int shown) {
    delete frame_;
    frame_ = nullptr;
    if (shown < 0 || shown >= static_cast<int>(entries_.size()) || !entries_[static_cast<std::size_t>(shown)]) return;
    QPen pen(QColor(255, 150, 0), 3);
    pen.setCosmetic(true);
    frame_ = scene()->addPolygon(entries_[static_cast<std::size_t>(shown)]->outline->polygon(), pen, Qt::NoBrush);
    frame_->setZValue(2);
}

int TOverviewMap::Placed() const {
    int placed = 0;
    for (const auto& entry : entries_) placed += entry != nullptr;
    return placed;
}

void TOverviewMap::Fit() {
    const QRectF bounds = scene()->itemsBoundingRect();
    if (!bounds.isEmpty()) fitInView(bounds, Qt::KeepAspectRatio);
}

void TOverviewMap::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    Fit();
}

void TOverviewMap::mouseReleaseEvent(QMouseEvent* event) {
    QGraphicsView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QPointF at = mapToScene(event->position().toPoint());
    // The topmost entry whose outline holds the point.
    for (QGraphicsItem* item : scene()->items(at)) {
        const QVariant index = item->data(0);
        if (!index.isValid()) continue;
        const auto i = static_cast<std::size_t>(index.toInt());
        if (i < entries_.size() && entries_[i] && entries_[i]->outline->polygon().containsPoint(at, Qt::OddEvenFill)) {
            emit EntryChosen(static_cast<int>(i) + 1);
            return;
        }
    }
}

}  // namespace dusk::app
