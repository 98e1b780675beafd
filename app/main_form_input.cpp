// SPDX-License-Identifier: GPL-3.0-or-later
// The pointer and the drops: the pixel readout at the right of the status bar
// (where the sample under the pointer sits in the file, its value there, the
// value shown and, where the label gives a map projection, its latitude and
// longitude), and opening an image file dropped on the main window.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "app/child.h"
#include "app/main_form.h"
#include "app/scan_timer.h"
#include "core/image_state.h"
#include "core/readout.h"
#include "geo/lat_lon_text.h"
#include "geo/map_coordinates.h"

namespace dusk::app {

namespace {

constexpr int kHintMilliseconds = 5000;

// The first local file (not a folder) among the dropped URLs, as the file
// system's bytes; empty when there is none. The bytes come from the URL's
// percent-encoding, so a name that is not UTF-8 arrives as it is on disk.
QByteArray DroppedImagePath(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        if (!url.host().isEmpty() && url.host() != QStringLiteral("localhost")) continue;
        const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        std::error_code error;
        if (path.isEmpty() || std::filesystem::is_directory(path.toStdString(), error)) continue;
        return path;
    }
    return {};
}

}  // namespace

void TMainForm::SetUpPointerAndDrops() {
    readout_ = new QLabel;
    readout_->setObjectName(QStringLiteral("PixelReadout"));
    readout_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Wide enough for the longest text, so that the bar does not jump.
    readout_->setMinimumWidth(readout_->fontMetrics().horizontalAdvance(
        QStringLiteral("Row 0000, column 0000: beyond the file's data, shown 000")));
    statusBar()->addPermanentWidget(readout_);

    setAcceptDrops(true);
    // The read-only counter box would otherwise take the drops over it.
    counter_->setAcceptDrops(false);

    QApplication::instance()->installEventFilter(this);
}

// A menu bar left in keyboard mode (a menu closed with Esc) claims the next
// Esc to leave that mode, so Scan Stop would wait for a second press. While
// a scan runs and no menu or dialog is open, Esc in this window is left to
// its shortcut.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && timer1_ != nullptr && timer1_->IsActive()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && widget != nullptr &&
            widget->window() == this && QApplication::activePopupWidget() == nullptr &&
            QApplication::activeModalWidget() == nullptr) {
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Pixel readout.

void TMainForm::ConnectReadout(TChild* child) {
    connect(child, &TChild::PointerMoved, this, &TMainForm::ShowReadout);
    connect(child, &TChild::PointerLeft, this, &TMainForm::ClearReadout);
    connect(child, &TChild::Closing, this, &TMainForm::ClearReadout);
}

void TMainForm::ShowReadout(QPoint pixel) {
    if (currentChild_ == nullptr) return;
    const QImage& picture = currentChild_->Picture();
    if (!picture.valid(pixel)) {
        ClearReadout();
        return;
    }
    const int shown = qRed(picture.pixel(pixel));  // grey: red, green and blue agree

    const ImageState& s = State();
    const FilePoint point = MapToFile(CurrentDisplayMapping(), pixel.x(), pixel.y());
    switch (point.kind) {
        case PointKind::Outside:
            ClearReadout();
            return;
        case PointKind::GreyField:
            readout_->setText(tr("Grey field around the reduced picture, shown %1").arg(shown));
            return;
        case PointKind::Sample:
            break;
    }
    const std::int64_t index = static_cast<std::int64_t>(point.row) * s.ImageWidth + point.column;
    const QString where = tr("Row %1, column %2").arg(point.row).arg(point.column);
    QString text;
    if (s.FileLength < 0 || index >= s.FileLength) {
        text = tr("%1: beyond the file's data, shown %2").arg(where).arg(shown);
    } else {
        const int stored = s.OriginalImage[static_cast<std::size_t>(index)];
        text = tr("%1: file value %2, shown %3").arg(where).arg(stored).arg(shown);
    }
    // The coordinates are built once per projection and kept.
    if (s.Projection) {
        if (const MapCoordinates* map = CoordinatesFor(*s.Projection)) {
            if (const std::optional<LatLon> at = map->At(point.column, point.row)) {
                text += QStringLiteral("; ") +
                        QString::fromStdString(LatLonText(*at, s.Projection->positiveLongitudeWest));
            }
        }
    }
    readout_->setText(text);
}

void TMainForm::ClearReadout() { readout_->clear(); }

void TMainForm::ShowHint(const QString& text) {
    statusBar()->showMessage(text);
    // Load problems stay: once the hint has been read, they come back.
    QTimer::singleShot(kHintMilliseconds, this, [this, text] {
        if (statusBar()->currentMessage() == text) ShowLoadProblems();
    });
}

// ---------------------------------------------------------------------------
// Drops.

QByteArray TMainForm::TakeDrop(QDropEvent* event) {
    const QByteArray path = DroppedImagePath(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return {};
    }
    // There is never a second image window.
    if (!ActionOf(Cmd::OpenItem)->isEnabled() || currentChild_ != nullptr) {
        ShowHint(tr("Close the image window first to open another image."));
        event->ignore();
        return {};
    }
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
    return path;
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) { TakeDrop(event); }

void TMainForm::dropEvent(QDropEvent* event) {
    const QByteArray path = TakeDrop(event);
    if (path.isEmpty()) return;
    // Opened once the drop has finished, so that the program the file came
    // from is not kept waiting by the load or by an error box.
    QTimer::singleShot(0, this, [this, path] { RunHandler([this, path] { OpenImage(path); }); });
}

}  // namespace dusk::app
