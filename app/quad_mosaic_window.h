// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include "core/image_state.h"

class QLabel;
class QProgressBar;
class QScrollArea;
class QThreadPool;
class QToolButton;
class QEvent;

namespace dusk {
struct MosaicPlan;
struct MosaicCanvas;
struct RenderedTile;
}  // namespace dusk

namespace dusk::app {

class TPictureView;

// The Quad Mosaic window: every tile of a quad rendered with the Options
// menu's defaults and placed by its georeference into one picture in the
// quad's projection. The tiles render in the background, one worker per
// core, those in view first; the window shows the progress, zooms, fits and
// pans as the image window does, reads out the tile, its file row and column,
// the level and the latitude and longitude under the pointer, and saves the
// mosaic as a COG GeoTIFF or a PNG. Places no tile covers show a chequer.
class TQuadMosaicWindow : public QWidget {
    Q_OBJECT

public:
    // Chooses the file to save to ("" for none), given a suggested name.
    using SaveChooser = std::function<QString(const QString& suggested)>;

    explicit TQuadMosaicWindow(QWidget* parent = nullptr, int workers = 0);
    ~TQuadMosaicWindow() override;

    // Plans the mosaic of the quad of `imageName` among `names` of
    // `directory` and starts rendering it; work of an earlier quad is dropped.
    void ShowQuad(const std::string& directory, const std::vector<std::string>& names, const std::string& imageName,
                  const OptionFlags& defaults);

    void SetSaveChooser(SaveChooser chooser) { chooseSave_ = std::move(chooser); }
    // Writes the mosaic to `path`: PNG for a .png name, else a COG GeoTIFF.
    bool SaveTo(const QString& path, QString& error);

    bool Finished() const;
    // Every tile under the visible part is placed and shown.
    bool ViewPlaced() const;
    int TilesPlaced() const { return placed_; }
    int TilesPlanned() const;
    // What the mosaic left out, one line each.
    QString LeftOutText() const;
    QString ReadoutText() const;
    // The picture shown (Grayscale8), at the mosaic's full size.
    const QImage& Picture() const;
    TPictureView* View() const { return view_; }
    double Scale() const;

    void ZoomIn();
    void ZoomOut();
    void ActualSize();
    void SetFitted(bool on);

signals:
    // A double click on tile `path` at `filePoint` of its file raster.
    void TileChosen(const QString& path, QPointF filePoint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Shared;
    struct Arrival;
    // Places `tile` into `canvas` (on a worker) and takes the part it changed.
    static Arrival Place(MosaicCanvas& canvas, const RenderedTile& tile, std::mutex& canvasMutex);
    // Shows the tiles the workers placed (posted to the interface thread).
    Q_INVOKABLE void Collect();
    void Save();
    void ZoomTo(double scale, QPointF anchor);
    double FittingScale() const;
    double FittingScale(int w, int h) const;
    // The part of the mosaic in sight, in its own pixels.
    QRectF Seen() const;
    // The waiting tiles, those in view first.
    void PreferVisible();
    void ReportPointer(QPointF position);
    void ShowProgress();

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<const MosaicPlan> plan_;
    std::vector<std::string> renderFailures_;
    std::shared_ptr<MosaicCanvas> canvas_;  // shared with the workers placing into it
    std::vector<Arrival> arrived_;  // placed, not yet shown
    std::vector<bool> collected_;  // by tile of the plan
    int placed_ = 0;
    int failed_ = 0;
    bool fitted_ = true;
    bool unpainted_ = false;  // a placed tile is not yet painted
    std::optional<QPointF> dragFrom_;
    QPoint dragScroll_;
    QScrollArea* scroll_ = nullptr;
    TPictureView* view_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* readout_ = nullptr;
    QLabel* leftOut_ = nullptr;
    QToolButton* save_ = nullptr;
    QToolButton* fit_ = nullptr;
    SaveChooser chooseSave_;
    QThreadPool* pool_ = nullptr;
};

}  // namespace dusk::app
