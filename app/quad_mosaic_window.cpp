// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/quad_mosaic_window.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <cstring>
#include <mutex>
#include <utility>

#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/file_names.h"
#include "app/picture_view.h"
#include "geo/lat_lon_text.h"
#include "mosaic/mosaic.h"
#include "render/zoom.h"

namespace dusk::app {

namespace {

constexpr int kWheelStep = 120;
// Tiles are placed for at most about this long at a time.
constexpr int kPlaceSliceMilliseconds = 6;
constexpr int kChequer = 16;  // side of a square of the no-data chequer

std::uint8_t ChequerAt(int x, int y) { return ((x / kChequer + y / kChequer) & 1) != 0 ? 0x9c : 0x74; }

}  // namespace

// A tile rendered and placed into the canvas by a worker, with the part of
// the picture it changed, ready to be shown.
struct TQuadMosaicWindow::Arrival {
    std::size_t tile = 0;
    std::string failure;
    QPoint at;
    QImage piece;  // Grayscale8: the canvas's levels, the chequer where no tile has data
};

// What the interface thread and the workers share: the tiles waiting, in the
// order they go, and those placed but not yet shown. The canvas is written by
// the workers and read by the interface thread under `canvasMutex`.
struct TQuadMosaicWindow::Shared {
    std::mutex mutex;
    std::mutex canvasMutex;
    std::deque<std::size_t> waiting;
    std::vector<Arrival> done;
    bool told = false;  // the window is told of tiles done and has not yet taken them
    std::uint64_t generation = 0;
};

TQuadMosaicWindow::TQuadMosaicWindow(QWidget* parent, int workers)
    : QWidget(parent, Qt::Window), shared_(std::make_shared<Shared>()) {
    setObjectName(QStringLiteral("QuadMosaicWindow"));
    setWindowTitle(tr("Quad Mosaic"));
    pool_ = new QThreadPool(this);
    if (workers > 0) pool_->setMaxThreadCount(workers);

    auto* tools = new QHBoxLayout;
    const auto button = [this, tools](const char* name, const QString& text, auto slot) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        connect(b, &QToolButton::clicked, this, slot);
        tools->addWidget(b);
        return b;
    };
    button("MosaicZoomIn", tr("Zoom &In"), [this] { ZoomIn(); });
    button("MosaicZoomOut", tr("Zoom &Out"), [this] { ZoomOut(); });
    button("MosaicActualSize", tr("&Actual Size"), [this] { ActualSize(); });
    fit_ = button("MosaicFit", tr("&Fit to Window"), [this] { SetFitted(fit_->isChecked()); });
    fit_->setCheckable(true);
    fit_->setChecked(true);
    save_ = button("MosaicSave", tr("&Save As..."), [this] { Save(); });
    save_->setEnabled(false);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("MosaicProgress"));
    progress_->setFormat(tr("%v of %m tiles"));
    tools->addWidget(progress_, 1);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setAlignment(Qt::AlignCenter);
    view_ = new TPictureView;
    view_->setMouseTracking(true);
    view_->setCursor(Qt::OpenHandCursor);
    view_->installEventFilter(this);
    scroll_->viewport()->installEventFilter(this);
    scroll_->installEventFilter(this);
    scroll_->setWidget(view_);
    connect(scroll_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { PreferVisible(); });
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { PreferVisible(); });

    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("MosaicReadout"));
    leftOut_ = new QLabel(this);
    leftOut_->setObjectName(QStringLiteral("MosaicLeftOut"));
    leftOut_->setWordWrap(true);
    leftOut_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(tools);
    layout->addWidget(scroll_, 1);
    layout->addWidget(readout_);
    layout->addWidget(leftOut_);
    resize(960, 640);
}

TQuadMosaicWindow::~TQuadMosaicWindow() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->waiting.clear();
        ++shared_->generation;
    }
    pool_->waitForDone();
}

void TQuadMosaicWindow::ShowQuad(const std::string& directory, const std::vector<std::string>& names,
                                 const std::string& imageName, const OptionFlags& defaults) {
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->waiting.clear();
        shared_->done.clear();
        shared_->told = false;
        generation = ++shared_->generation;
    }
    arrived_.clear();
    PictureSettings picture;
    picture.options = defaults;
    auto plan = std::make_shared<MosaicPlan>(PlanMosaic(directory, names, imageName, picture));
    plan_ = plan;
    auto canvas = std::make_shared<MosaicCanvas>(plan->grid);
    canvas_ = canvas;
    renderFailures_.clear();
    collected_.assign(plan->tiles.size(), false);
    placed_ = 0;
    failed_ = 0;
    const int w = plan->grid.width;
    const int h = plan->grid.height;
    QImage chequer;
    if (w > 0) {
        // Two rows of the chequer, each copied down its band of squares.
        chequer = QImage(w, h, QImage::Format_Grayscale8);
        std::vector<std::uint8_t> rows[2];
        for (int band = 0; band < 2; ++band) {
            rows[band].resize(static_cast<std::size_t>(w));
            for (int x = 0; x < w; ++x) rows[band][static_cast<std::size_t>(x)] = ChequerAt(x, band * kChequer);
        }
        for (int y = 0; y < h; ++y) {
            std::memcpy(chequer.scanLine(y), rows[(y / kChequer) & 1].data(), static_cast<std::size_t>(w));
        }
    }
    // The view holds the only copy, so that placing a tile changes it in place.
    view_->Show(chequer, fitted_ ? FittingScale(w, h) : view_->Scale());
    chequer = QImage();
    setWindowTitle(tr("Quad Mosaic - %1").arg(FromFileSystem(plan->quad.id)));
    leftOut_->setText(LeftOutText());
    progress_->setRange(0, std::max<int>(1, static_cast<int>(plan->tiles.size())));
    save_->setEnabled(false);
    ShowProgress();
    if (plan->tiles.empty()) return;

    {
        std::lock_guard lock(shared_->mutex);
        for (std::size_t i = 0; i < plan->tiles.size(); ++i) shared_->waiting.push_back(i);
    }
    PreferVisible();
    const int workers = std::min<int>(pool_->maxThreadCount(), static_cast<int>(plan->tiles.size()));
    std::shared_ptr<Shared> shared = shared_;
    for (int k = 0; k < workers; ++k) {
        // The window outlives its workers: its destructor waits for them.
        pool_->start([this, shared, plan, canvas, generation] {
            for (;;) {
                std::size_t tile = 0;
                {
                    std::lock_guard lock(shared->mutex);
                    if (shared->generation != generation || shared->waiting.empty()) return;
                    tile = shared->waiting.front();
                    shared->waiting.pop_front();
                }
                Arrival arrival = Place(*canvas, RenderMosaicTile(*plan, tile), shared->canvasMutex);
                bool tell = false;
                {
                    std::lock_guard lock(shared->mutex);
                    if (shared->generation != generation) return;
                    shared->done.push_back(std::move(arrival));
                    tell = !std::exchange(shared->told, true);
                }
                // Shown as soon as the interface thread is free: by name, so
                // that the call is posted wholly inside Qt's own queue.
                if (tell) QMetaObject::invokeMethod(this, "Collect", Qt::QueuedConnection);
            }
        });
    }
}

QRectF TQuadMosaicWindow::Seen() const {
    // The part of the view in sight, from the scroll bars' values and the
    // view's own size: right even before the scroll area has laid out a
    // picture just shown.
    const QSize room = scroll_->viewport()->size();
    const QSize size = view_->size();
    const auto along = [](int value, int length, int roomLength) {
        if (length <= roomLength) return std::pair(0, length);
        const int from = std::clamp(value, 0, length - roomLength);
        return std::pair(from, from + roomLength);
    };
    const auto [left, right] = along(scroll_->horizontalScrollBar()->value(), size.width(), room.width());
    const auto [top, bottom] = along(scroll_->verticalScrollBar()->value(), size.height(), room.height());
    return QRectF(view_->PicturePointAt(QPointF(left, top)), view_->PicturePointAt(QPointF(right, bottom)));
}

void TQuadMosaicWindow::PreferVisible() {
    if (!plan_ || !view_->isVisible() || Picture().isNull()) return;
    // The visible part of the mosaic, in grid pixels.
    const QRectF seen = Seen();
    const QPointF middle = seen.center();
    std::lock_guard lock(shared_->mutex);
    auto rank = [&](std::size_t i) {
        const MosaicTile& t = plan_->tiles[i];
        const QRectF box(QPointF(t.left, t.top), QPointF(t.right, t.bottom));
        const double dx = box.center().x() - middle.x();
        const double dy = box.center().y() - middle.y();
        return std::make_pair(box.intersects(seen) ? 0 : 1, dx * dx + dy * dy);
    };
    std::stable_sort(shared_->waiting.begin(), shared_->waiting.end(),
                     [&](std::size_t l, std::size_t r) { return rank(l) < rank(r); });
}

TQuadMosaicWindow::Arrival TQuadMosaicWindow::Place(MosaicCanvas& canvas, const RenderedTile& tile,
                                                     std::mutex& canvasMutex) {
    Arrival arrival;
    arrival.tile = tile.tile;
    arrival.failure = tile.failure;
    if (!tile.failure.empty()) return arrival;
    const int w = canvas.width;
    const int x0 = std::max(0, tile.left);
    const int x1 = std::min(w, tile.left + tile.width);
    const int y0 = std::max(0, tile.top);
    const int y1 = std::min(canvas.height, tile.top + tile.height);
    std::lock_guard lock(canvasMutex);
    PlaceTile(canvas, tile);
    if (x1 <= x0 || y1 <= y0) return arrival;
    arrival.at = QPoint(x0, y0);
    arrival.piece = QImage(x1 - x0, y1 - y0, QImage::Format_Grayscale8);
    for (int y = y0; y < y1; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * w;
        std::uint8_t* out = arrival.piece.scanLine(y - y0);
        for (int x = x0; x < x1; ++x) {
            out[x - x0] = canvas.owner[row + x] != 0 ? canvas.grey[row + x] : ChequerAt(x, y);
        }
    }
    return arrival;
}

void TQuadMosaicWindow::Collect() {
    {
        std::lock_guard lock(shared_->mutex);
        for (Arrival& arrival : shared_->done) arrived_.push_back(std::move(arrival));
        shared_->done.clear();
        shared_->told = false;
    }
    if (arrived_.empty()) return;
    // Those in sight first, and only as many as a slice of time allows: the
    // rest follow once what is waiting (a paint, the pointer) has had its turn.
    const QRectF seen = Seen();
    std::stable_partition(arrived_.begin(), arrived_.end(), [&](const Arrival& arrival) {
        return QRectF(QRect(arrival.at, arrival.piece.size())).intersects(seen);
    });
    QElapsedTimer slice;
    slice.start();
    std::size_t taken = 0;
    for (; taken < arrived_.size() && (taken == 0 || slice.elapsed() < kPlaceSliceMilliseconds); ++taken) {
        const Arrival& arrival = arrived_[taken];
        collected_[arrival.tile] = true;
        if (!arrival.failure.empty()) {
            renderFailures_.push_back(arrival.failure);
            ++failed_;
            continue;
        }
        ++placed_;
        if (arrival.piece.isNull()) continue;
        view_->ReplacePart(arrival.piece, arrival.at);
        // Only the tile's own part is painted again, at once.
        const QRect place = view_->PlaceOf(QRect(arrival.at, arrival.piece.size()));
        view_->update(place);
        if (view_->visibleRegion().intersects(place)) unpainted_ = true;
    }
    arrived_.erase(arrived_.begin(), arrived_.begin() + static_cast<std::ptrdiff_t>(taken));
    if (!arrived_.empty()) QMetaObject::invokeMethod(this, "Collect", Qt::QueuedConnection);
    ShowProgress();
    if (Finished()) {
        leftOut_->setText(LeftOutText());
        save_->setEnabled(placed_ > 0);
    }
}

bool TQuadMosaicWindow::ViewPlaced() const {
    if (!plan_ || Picture().isNull()) return true;
    const QRectF seen = Seen();
    for (std::size_t i = 0; i < plan_->tiles.size(); ++i) {
        const MosaicTile& t = plan_->tiles[i];
        if (QRectF(QPointF(t.left, t.top), QPointF(t.right, t.bottom)).intersects(seen) && !collected_[i]) return false;
    }
    return !unpainted_ || !view_->isVisible();
}

void TQuadMosaicWindow::ShowProgress() {
    // The words first: a new value repaints the bar at once.
    if (Finished()) {
        progress_->setFormat(plan_ && plan_->tiles.empty() ? tr("No tile to place")
                                                           : tr("%1 of %2 tiles placed").arg(placed_).arg(TilesPlanned()));
    } else {
        progress_->setFormat(tr("Rendering: %v of %m tiles"));
    }
    progress_->setValue(placed_ + failed_);
}

bool TQuadMosaicWindow::Finished() const { return !plan_ || placed_ + failed_ >= TilesPlanned(); }

int TQuadMosaicWindow::TilesPlanned() const { return plan_ ? static_cast<int>(plan_->tiles.size()) : 0; }

QString TQuadMosaicWindow::LeftOutText() const {
    if (!plan_) return {};
    QStringList lines;
    for (const LeftOut& entry : plan_->leftOut) lines << FromFileSystem(entry.why);
    for (const std::string& why : renderFailures_) lines << FromFileSystem(why);
    if (plan_->grid.width == 0 && lines.isEmpty()) lines << tr("The quad has no tile with a georeference.");
    return lines.isEmpty() ? QString() : tr("Left out: %1").arg(lines.join(QStringLiteral("; ")));
}

QString TQuadMosaicWindow::ReadoutText() const { return readout_->text(); }

double TQuadMosaicWindow::Scale() const { return view_->Scale(); }

// ---------------------------------------------------------------------------
// Zoom and pan, as in the image window.

double TQuadMosaicWindow::FittingScale(int w, int h) const {
    if (w <= 0 || h <= 0) return 1.0;
    const qreal ratio = devicePixelRatioF();
    const QSize room = scroll_->maximumViewportSize();
    return FitScale(w, h, room.width() * ratio, room.height() * ratio);
}

double TQuadMosaicWindow::FittingScale() const { return FittingScale(Picture().width(), Picture().height()); }

const QImage& TQuadMosaicWindow::Picture() const { return view_->Picture(); }

void TQuadMosaicWindow::ZoomTo(double scale, QPointF anchor) {
    const QPointF under = view_->PicturePointAt(anchor - view_->pos());
    view_->Show(view_->Picture(), scale);
    const QPointF ideal = view_->PositionOf(under) - anchor;
    scroll_->horizontalScrollBar()->setValue(qRound(ideal.x()));
    scroll_->verticalScrollBar()->setValue(qRound(ideal.y()));
    PreferVisible();
}

void TQuadMosaicWindow::ZoomIn() {
    SetFitted(false);
    ZoomTo(ZoomInFrom(Scale()), QRectF(scroll_->viewport()->rect()).center());
}

void TQuadMosaicWindow::ZoomOut() {
    SetFitted(false);
    ZoomTo(ZoomOutFrom(Scale()), QRectF(scroll_->viewport()->rect()).center());
}

void TQuadMosaicWindow::ActualSize() {
    SetFitted(false);
    ZoomTo(1.0, QRectF(scroll_->viewport()->rect()).center());
}

void TQuadMosaicWindow::SetFitted(bool on) {
    fitted_ = on;
    fit_->setChecked(on);
    if (on) ZoomTo(FittingScale(), QPointF(0, 0));
}

bool TQuadMosaicWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_ && event->type() == QEvent::Resize && fitted_) {
        ZoomTo(FittingScale(), QPointF(0, 0));
        return false;
    }
    if (event->type() == QEvent::Wheel && (watched == view_ || watched == scroll_->viewport())) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier)) return false;
        const QPointF anchor = scroll_->viewport()->mapFromGlobal(wheel->globalPosition());
        const int turn = wheel->angleDelta().y();
        for (int steps = std::abs(turn) / kWheelStep; steps > 0; --steps) {
            SetFitted(false);
            ZoomTo(turn > 0 ? ZoomInFrom(Scale()) : ZoomOutFrom(Scale()), anchor);
        }
        return true;
    }
    const bool mouseEvent = event->type() == QEvent::MouseButtonDblClick ||
                            event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
                            event->type() == QEvent::MouseButtonRelease;
    if (watched == view_ && event->type() == QEvent::Paint) unpainted_ = false;
    if (watched == view_ && event->type() == QEvent::Leave) {
        readout_->clear();
        return false;
    }
    if (watched != view_ || !mouseEvent) return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            if (mouse->button() == Qt::LeftButton && plan_) {
                const QPointF at = view_->PicturePointAt(mouse->position());
                if (const std::optional<MosaicSpot> spot = MosaicTileAt(*plan_, at.x(), at.y())) {
                    const MosaicTile& tile = plan_->tiles[spot->tile];
                    emit TileChosen(FromFileSystem(tile.path), QPointF(spot->file.column, spot->file.row));
                }
                return true;
            }
            return false;
        case QEvent::MouseButtonPress:
            if (mouse->button() != Qt::LeftButton) return false;
            dragFrom_ = mouse->scenePosition();
            dragScroll_ = QPoint(scroll_->horizontalScrollBar()->value(), scroll_->verticalScrollBar()->value());
            view_->setCursor(Qt::ClosedHandCursor);
            return true;
        case QEvent::MouseMove:
            if (dragFrom_) {
                const QPoint moved = (mouse->scenePosition() - *dragFrom_).toPoint();
                scroll_->horizontalScrollBar()->setValue(dragScroll_.x() - moved.x());
                scroll_->verticalScrollBar()->setValue(dragScroll_.y() - moved.y());
            }
            ReportPointer(mouse->position());
            return false;
        case QEvent::MouseButtonRelease:
            if (mouse->button() != Qt::LeftButton || !dragFrom_) return false;
            dragFrom_.reset();
            view_->setCursor(Qt::OpenHandCursor);
            return true;
        default:
            return false;
    }
}

void TQuadMosaicWindow::ReportPointer(QPointF position) {
    const QPoint pixel = view_->PixelAt(position);
    if (!plan_ || !Picture().valid(pixel)) {
        readout_->clear();
        return;
    }
    const QPointF at(pixel.x() + 0.5, pixel.y() + 0.5);
    const std::size_t index = static_cast<std::size_t>(pixel.y()) * canvas_->width + pixel.x();
    QString text;
    std::uint8_t owner = 0;
    std::uint8_t level = 0;
    {
        std::lock_guard lock(shared_->canvasMutex);
        owner = canvas_->owner[index];
        level = canvas_->grey[index];
    }
    std::optional<MosaicSpot> spot;
    if (owner != 0) {
        if (const std::optional<RasterPoint> p = MosaicFilePoint(*plan_, owner - 1u, at.x(), at.y())) {
            spot = MosaicSpot{owner - 1u, *p};
        }
    } else {
        spot = MosaicTileAt(*plan_, at.x(), at.y());
    }
    if (spot) {
        const QuadImage& tile = plan_->quad.tiles[plan_->tiles[spot->tile].index];
        text = tr("%1, row %2, column %3: ")
                   .arg(FromFileSystem(tile.name))
                   .arg(static_cast<int>(std::floor(spot->file.row)))
                   .arg(static_cast<int>(std::floor(spot->file.column)));
    }
    text += owner != 0 ? tr("shown %1").arg(level) : tr("no data");
    if (const std::optional<LatLon> position = MosaicLatLon(plan_->grid, at.x(), at.y())) {
        const bool west = plan_->grid.coordinates->Projection().positiveLongitudeWest;
        text += QStringLiteral("; ") + QString::fromStdString(LatLonText(*position, west));
    }
    readout_->setText(text);
}

// ---------------------------------------------------------------------------
// Saving.

bool TQuadMosaicWindow::SaveTo(const QString& path, QString& error) {
    std::string why;
    const std::string file = FileSystemPath(path).toStdString();
    const bool png = path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    const bool ok = png ? WriteMosaicPng(*canvas_, file, why) : WriteMosaicGeoTiff(*canvas_, plan_->grid, file, why);
    if (!ok) error = FromFileSystem(why);
    return ok;
}

void TQuadMosaicWindow::Save() {
    if (!plan_ || !Finished()) return;
    const QString suggested = FromFileSystem(plan_->quad.id) + QStringLiteral("_mosaic.tif");
    QString path;
    if (chooseSave_) {
        path = chooseSave_(suggested);
    } else {
        path = QFileDialog::getSaveFileName(this, tr("Save Mosaic As"), suggested,
                                            tr("GeoTIFF (*.tif *.tiff);;PNG (*.png)"), nullptr,
                                            QFileDialog::DontUseNativeDialog);
    }
    if (path.isEmpty()) return;
    QString error;
    if (!SaveTo(path, error)) readout_->setText(tr("Not saved: %1").arg(error));
    else readout_->setText(tr("Saved %1").arg(path));
}

}  // namespace dusk::app
