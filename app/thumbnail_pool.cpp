// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/thumbnail_pool.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>

#include <QImage>
#include <QString>
#include <QThread>
#include <QTimer>

#include "load/thumbnail.h"

namespace dusk::app {

namespace {

// How often the interface thread collects finished thumbnails.
constexpr int kCollectMilliseconds = 8;
// The workers' niceness above the interface thread's: with as many workers
// as cores, the interface thread still gets a core as soon as it has work.
constexpr int kWorkerNiceness = 5;

struct Job {
    std::uint64_t generation = 0;
    int index = -1;
    std::string path;
    OptionFlags defaults{};
    int size = 0;
};

struct Result {
    std::uint64_t generation;
    int index;
    QImage picture;
    QString failure;
};

QImage ToImage(const Thumbnail& thumb) {
    QImage image(thumb.width, thumb.height, QImage::Format_Grayscale8);
    if (image.isNull()) return image;
    for (int y = 0; y < thumb.height; ++y) {
        std::memcpy(image.scanLine(y), thumb.grey.data() + static_cast<std::size_t>(y) * thumb.width,
                    static_cast<std::size_t>(thumb.width));
    }
    return image;
}

}  // namespace

// Everything the threads share, under one mutex. The standard library's
// primitives are used, so that ThreadSanitizer sees every hand-over.
struct ThumbnailPool::Shared {
    std::mutex mutex;
    std::condition_variable work;
    bool stopping = false;
    std::uint64_t generation = 0;
    std::vector<std::string> paths;
    OptionFlags defaults{};
    int size = 0;
    std::vector<char> waiting;  // per entry: not yet begun
    int left = 0;               // entries waiting
    int inHand = 0;             // entries begun and not yet handed over
    std::size_t cursor = 0;     // no entry before it waits, preferred ones aside
    int preferFirst = 0;
    int preferLast = -1;
    std::deque<Result> done;

    // The next entry to begin, taken out of the waiting ones; needs the lock.
    std::optional<Job> Take() {
        if (stopping || left == 0) return std::nullopt;
        int index = -1;
        for (int i = std::max(preferFirst, 0); i <= preferLast && i < static_cast<int>(waiting.size()); ++i) {
            if (waiting[static_cast<std::size_t>(i)] != 0) {
                index = i;
                break;
            }
        }
        if (index < 0) {
            while (cursor < waiting.size() && waiting[cursor] == 0) ++cursor;
            index = static_cast<int>(cursor);
        }
        waiting[static_cast<std::size_t>(index)] = 0;
        --left;
        ++inHand;
        return Job{generation, index, paths[static_cast<std::size_t>(index)], defaults, size};
    }

    void Work() {
        // Per thread on Linux; where it fails, the worker runs at the usual priority.
        (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNiceness);
        // A record of this thread's own for all its renders.
        std::optional<ScopedImageState> record;
        try {
            record.emplace();
        } catch (const std::exception&) {
        }
        for (;;) {
            std::optional<Job> job;
            {
                std::unique_lock lock(mutex);
                work.wait(lock, [&] { return stopping || left > 0; });
                if (stopping) return;
                job = Take();
            }
            if (!job) continue;
            Result result{job->generation, job->index, {}, {}};
            if (!record) {
                result.failure = QStringLiteral("not enough memory");
            } else {
                const Thumbnail thumb = RenderThumbnail(job->path, job->defaults, job->size);
                if (thumb.Ok()) {
                    result.picture = ToImage(thumb);
                } else {
                    result.failure = QString::fromLocal8Bit(thumb.failure.c_str());
                }
            }
            std::lock_guard lock(mutex);
            --inHand;
            if (job->generation == generation) done.push_back(std::move(result));
        }
    }
};

ThumbnailPool::ThumbnailPool(QObject* parent, int workers)
    : QObject(parent), shared_(std::make_shared<Shared>()),
      workers_(workers > 0 ? workers : std::max(1, QThread::idealThreadCount())) {
    collector_ = new QTimer(this);
    collector_->setInterval(kCollectMilliseconds);
    connect(collector_, &QTimer::timeout, this, &ThumbnailPool::Collect);
}

ThumbnailPool::~ThumbnailPool() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
    }
    shared_->work.notify_all();
    for (QThread* thread : threads_) {
        thread->wait();
        delete thread;
    }
}

void ThumbnailPool::Start(std::vector<std::string> paths, const OptionFlags& defaults, int size,
                          std::vector<bool> skip) {
    {
        std::lock_guard lock(shared_->mutex);
        Shared& s = *shared_;
        generation_ = ++s.generation;
        s.waiting.assign(paths.size(), 1);
        for (std::size_t i = 0; i < skip.size() && i < paths.size(); ++i) {
            if (skip[i]) s.waiting[i] = 0;
        }
        s.left = static_cast<int>(std::count(s.waiting.begin(), s.waiting.end(), 1));
        s.paths = std::move(paths);
        s.defaults = defaults;
        s.size = size;
        s.cursor = 0;
        s.done.clear();
    }
    while (static_cast<int>(threads_.size()) < workers_) {
        QThread* thread = QThread::create([shared = shared_] { shared->Work(); });
        thread->setObjectName(QStringLiteral("ThumbnailWorker"));
        thread->start();
        threads_.push_back(thread);
    }
    shared_->work.notify_all();
    collector_->start();
}

void ThumbnailPool::Cancel() {
    {
        std::lock_guard lock(shared_->mutex);
        generation_ = ++shared_->generation;
        shared_->waiting.clear();
        shared_->left = 0;
        shared_->done.clear();
    }
    collector_->stop();
}

void ThumbnailPool::Prefer(int first, int last) {
    std::lock_guard lock(shared_->mutex);
    shared_->preferFirst = first;
    shared_->preferLast = last;
}

void ThumbnailPool::Collect() {
    std::deque<Result> finished;
    bool idle = false;
    {
        std::lock_guard lock(shared_->mutex);
        finished.swap(shared_->done);
        idle = shared_->left == 0 && shared_->inHand == 0;
    }
    // A receiver may start anew or cancel: what it no longer wants is dropped.
    for (const Result& result : finished) {
        if (result.generation == generation_) emit Rendered(result.index, result.picture, result.failure);
    }
    if (idle && finished.empty()) collector_->stop();
}

}  // namespace dusk::app
