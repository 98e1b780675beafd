// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/quad_browser.h"

#include <QAction>
#include <QEvent>
#include <QPainter>
#include <QPolygonF>
#include <QWidget>

#include "app/child.h"
#include "app/picture_view.h"
#include "core/image_state.h"
#include "core/readout.h"

namespace dusk::app {

// The outlines over the picture control: a transparent child of the
// control, as large as it, that lets every mouse event through.
class FootprintOverlay : public QWidget {
public:
    FootprintOverlay(const TQuadBrowser& browser, TPictureView* view) : QWidget(view), browser_(browser), view_(view) {
        setObjectName(QStringLiteral("FootprintOverlay"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        view->installEventFilter(this);
        setGeometry(view->rect());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view_ && event->type() == QEvent::Resize) setGeometry(view_->rect());
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        const bool all = browser_.FootprintsShown();
        if (!all && browser_.FramedTile() == 0) return;
        const DisplayMapping mapping = CurrentDisplayMapping();
        QPainter painter(this);
        QFont font = painter.font();
        font.setBold(true);
        painter.setFont(font);
        for (const Footprint& footprint : browser_.Footprints()) {
            const bool framed = footprint.tile == browser_.FramedTile();
            if (!all && !framed) continue;
            QPolygonF outline;
            QPointF middle;
            for (const RasterPoint& point : footprint.outline) {
                const PicturePoint p = PicturePointOf(mapping, point);
                outline << view_->PositionOf(QPointF(p.x, p.y));
                middle += outline.back();
            }
            if (outline.isEmpty()) continue;
            middle /= outline.size();
            // Outlines of four corners are straight on the screen; curved
            // ones are smoothed.
            painter.setRenderHint(QPainter::Antialiasing, outline.size() > 4);
            const QColor colour = framed ? QColor(255, 150, 0) : QColor(255, 230, 60);
            // A dark line under a light one shows on bright and dark ground alike.
            painter.setPen(QPen(QColor(0, 0, 0, 160), framed ? 5 : 3));
            painter.drawPolygon(outline);
            painter.setPen(QPen(colour, framed ? 3 : 1));
            painter.drawPolygon(outline);
            const QString number = QString::number(footprint.tile);
            const QRectF box(middle - QPointF(20, 10), QSizeF(40, 20));
            painter.setPen(Qt::black);
            painter.drawText(box.translated(1, 1), Qt::AlignCenter, number);
            painter.setPen(colour);
            painter.drawText(box, Qt::AlignCenter, number);
        }
    }

private:
    const TQuadBrowser& browser_;
    TPictureView* view_;
};

namespace {

std::vector<std::string> CollectionNames() {
    const ImageState& s = State();
    return {s.FileList.begin(), s.FileList.begin() + s.FileCount};
}

int PositionOf(const std::vector<std::string>& names, const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return static_cast<int>(i) + 1;
    }
    return 0;
}

}  // namespace

TQuadBrowser::TQuadBrowser(QAction* footprintsItem, QAction* showInBrowseItem, QObject* parent)
    : QObject(parent), footprintsItem_(footprintsItem), showInBrowseItem_(showInBrowseItem) {
    Closed();
}

TQuadBrowser::~TQuadBrowser() = default;

void TQuadBrowser::PictureShown(TChild* child) {
    const ImageState& s = State();
    std::vector<std::string> names = CollectionNames();
    if (s.DirectoryPath != directory_ || s.CurrentFileName != name_ || names != names_) {
        directory_ = s.DirectoryPath;
        name_ = s.CurrentFileName;
        names_ = std::move(names);
        quad_ = QuadOf(directory_, names_, name_);
        footprints_.clear();
        footprintsWhy_.clear();
        framed_ = std::exchange(framePending_, 0);
        if (IsBrowseName(name_) && quad_.browse) {
            if (quad_.tiles.empty()) {
                footprintsWhy_ = tr("The collection holds no tile of quad %1.").arg(QString::fromStdString(quad_.id));
            } else if (!quad_.browse->coordinates) {
                footprintsWhy_ = QString::fromStdString(quad_.browse->why);
            } else {
                footprints_ = dusk::Footprints(quad_);
                if (footprints_.empty()) {
                    footprintsWhy_ = tr("No tile of quad %1 has a georeference.").arg(QString::fromStdString(quad_.id));
                }
            }
        }
    }
    ShowStates();
    ShowOverlay(child);
}

void TQuadBrowser::ShowStates() {
    const bool browse = IsBrowseName(name_) && quad_.browse.has_value();
    footprintsItem_->setEnabled(browse && !footprints_.empty());
    if (!browse) {
        footprintsItem_->setToolTip(tr("Only over a quad's browse image (V05.img, say) with its tiles listed."));
    } else if (footprints_.empty()) {
        footprintsItem_->setToolTip(footprintsWhy_);
    } else {
        footprintsItem_->setToolTip(tr("The outlines of the %n tiles; click one to show it", nullptr,
                                       static_cast<int>(footprints_.size())));
    }
    footprintsItem_->setChecked(shown_);

    const bool tile = TileNumberOf(name_) > 0 && quad_.browse.has_value();
    showInBrowseItem_->setEnabled(tile);
    showInBrowseItem_->setToolTip(tile ? tr("Back to %1 with this tile framed").arg(QString::fromStdString(quad_.browse->name))
                                       : tr("Only from a tile whose quad's browse image is listed."));
}

void TQuadBrowser::ShowOverlay(TChild* child) {
    if (child == nullptr) return;
    if (overlay_ == nullptr || overlay_->parent() != child->View()) {
        delete overlay_;
        overlay_ = new FootprintOverlay(*this, child->View());
        overlay_->show();
    }
    overlay_->raise();
    overlay_->update();
}

void TQuadBrowser::Closed() {
    quad_ = {};
    directory_.clear();
    name_.clear();
    names_.clear();
    footprints_.clear();
    framed_ = 0;
    framePending_ = 0;
    footprintsItem_->setEnabled(false);
    showInBrowseItem_->setEnabled(false);
    footprintsItem_->setChecked(shown_);
}

void TQuadBrowser::SetFootprintsShown(bool on) {
    shown_ = on;
    footprintsItem_->setChecked(on);
    if (overlay_ != nullptr) overlay_->update();
}

std::optional<TQuadBrowser::Destination> TQuadBrowser::TileUnder(QPointF picturePoint) const {
    if (!shown_ || footprints_.empty()) return std::nullopt;
    const RasterPoint at = FileRasterPointAt(CurrentDisplayMapping(), {picturePoint.x(), picturePoint.y()});
    const std::optional<TileSpot> spot = TileAt(quad_, at.column, at.row);
    if (!spot) return std::nullopt;
    const int position = PositionOf(names_, quad_.tiles[spot->index].name);
    if (position == 0) return std::nullopt;
    return Destination{position, {spot->column, spot->row}};
}

std::optional<TQuadBrowser::Destination> TQuadBrowser::BrowseOfTile() {
    const int tile = TileNumberOf(name_);
    if (tile == 0 || !quad_.browse) return std::nullopt;
    const int position = PositionOf(names_, quad_.browse->name);
    if (position == 0) return std::nullopt;
    Destination destination{position, {quad_.browse->width / 2.0, quad_.browse->height / 2.0}};
    const Quad browseQuad = quad_;
    for (const Footprint& footprint : dusk::Footprints(browseQuad)) {
        if (footprint.tile != tile || footprint.outline.empty()) continue;
        RasterPoint middle;
        for (const RasterPoint& point : footprint.outline) {
            middle.column += point.column;
            middle.row += point.row;
        }
        destination.spot = {middle.column / footprint.outline.size(), middle.row / footprint.outline.size()};
    }
    framePending_ = tile;
    return destination;
}

}  // namespace dusk::app
