// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/scan_timer.h"

#include <utility>

#include <QPointer>
#include <QTimer>

namespace dusk::app {

namespace {

class WindowTimer final : public ScanTimer {
public:
    explicit WindowTimer(QObject* owner) : timer_(new QTimer(owner)) {
        timer_->setObjectName(QStringLiteral("Timer1"));
        QObject::connect(timer_, &QTimer::timeout, timer_, [this] {
            if (tick_) tick_();
        });
    }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;
    ~WindowTimer() override { delete timer_.data(); }

    bool IsActive() const override { return timer_ != nullptr && timer_->isActive(); }
    int Interval() const override { return timer_ != nullptr ? timer_->interval() : 0; }
    void Start() override {
        if (timer_ != nullptr) timer_->start();
    }
    void Stop() override {
        if (timer_ != nullptr) timer_->stop();
    }
    void SetInterval(int milliseconds) override {
        if (timer_ != nullptr) timer_->setInterval(milliseconds);
    }
    void SetTickHandler(std::function<void()> tick) override { tick_ = std::move(tick); }

private:
    QPointer<QTimer> timer_;  // owned by `owner` too, which may delete it first
    std::function<void()> tick_;
};

}  // namespace

std::unique_ptr<ScanTimer> MakeWindowTimer(QObject* owner) { return std::make_unique<WindowTimer>(owner); }

}  // namespace dusk::app
