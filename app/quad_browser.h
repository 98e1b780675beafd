// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>

#include "geo/quad.h"

class QAction;

namespace dusk::app {

class TChild;
class FootprintOverlay;

// The way between a quad's browse image and its tiles: the tiles' outlines
// (Tile Footprints) over the browse image on display, the tile a click on
// the browse image leads to, and from a tile the browse image with that
// tile's outline framed. It follows the image on display and sets the
// enabled state and the tooltip of its two View menu items.
class TQuadBrowser : public QObject {
    Q_OBJECT

public:
    TQuadBrowser(QAction* footprintsItem, QAction* showInBrowseItem, QObject* parent = nullptr);
    ~TQuadBrowser() override;

    // After every picture shown in `child`: the quad of the image on display
    // (State()'s collection and file), the items' states and the outlines.
    void PictureShown(TChild* child);
    // The image window closed.
    void Closed();
    // Tile Footprints on or off.
    void SetFootprintsShown(bool on);
    bool FootprintsShown() const { return shown_; }

    // Where a step leads: a list position and the spot to centre, in that
    // entry's file raster.
    struct Destination {
        int position = 0;
        RasterPoint spot;
    };
    // The tile under `picturePoint` of the browse picture on display.
    std::optional<Destination> TileUnder(QPointF picturePoint) const;
    // From the tile on display, the quad's browse image: its position and
    // the middle of the tile's outline there; the outline is framed once the
    // browse image is shown.
    std::optional<Destination> BrowseOfTile();

    // What the overlay draws (file raster of the browse image) and which
    // tile is framed (0 for none).
    const std::vector<Footprint>& Footprints() const { return footprints_; }
    int FramedTile() const { return framed_; }

private:
    void ShowStates();
    void ShowOverlay(TChild* child);

    QAction* footprintsItem_;
    QAction* showInBrowseItem_;
    Quad quad_;
    std::string directory_;
    std::string name_;
    std::vector<std::string> names_;  // the collection the quad was found in
    std::vector<Footprint> footprints_;  // of the browse image on display
    QString footprintsWhy_;  // why there are none, while a browse image is shown
    bool shown_ = false;
    int framed_ = 0;
    int framePending_ = 0;  // framed once the browse image is shown
    QPointer<FootprintOverlay> overlay_;
};

}  // namespace dusk::app
