// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QObject>

#include "core/image_state.h"

class QImage;
class QThread;
class QTimer;

namespace dusk::app {

// Renders the thumbnails of a collection in the background: a pool of
// worker threads, one per core, each loading on an image record of its own,
// so the picture on display and its record are never touched. The interface
// thread never waits for a render: it hands the work over and collects what
// is finished every few milliseconds. Preferred entries (those in view) go
// before the others still waiting. Starting anew or cancelling drops every
// entry not yet begun at once; a render in hand is finished and thrown away.
class ThumbnailPool : public QObject {
    Q_OBJECT

public:
    // `workers` threads, or one per core when 0; made at the first Start.
    explicit ThumbnailPool(QObject* parent = nullptr, int workers = 0);
    // Ends the workers, after the render each has in hand.
    ~ThumbnailPool() override;

    // Renders `paths` in list order, with `defaults` as the Options menu's
    // defaults, to at most `size` pixels a side; entries with `skip` set are
    // left out. Work of an earlier Start is dropped.
    void Start(std::vector<std::string> paths, const OptionFlags& defaults, int size, std::vector<bool> skip = {});
    void Cancel();
    // Entries first to last (counted from 0) go next.
    void Prefer(int first, int last);

signals:
    // Entry `index` of the latest Start: its picture (Grayscale8), or a null
    // picture and the reason.
    void Rendered(int index, const QImage& picture, const QString& failure);

private:
    struct Shared;
    void Collect();

    std::shared_ptr<Shared> shared_;
    std::vector<QThread*> threads_;
    int workers_;
    std::uint64_t generation_ = 0;  // the latest Start's, as the threads know it
    QTimer* collector_ = nullptr;
};

}  // namespace dusk::app
