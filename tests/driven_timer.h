// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

#include "app/scan_timer.h"

// A scan timer on the test's own clock, so a test scans without waiting.
// Like the window system's timer, Start() and SetInterval() count a whole
// interval afresh from now, even while it runs.
class DrivenTimer final : public dusk::app::ScanTimer {
public:
    bool IsActive() const override { return active_; }
    int Interval() const override { return interval_; }
    void Start() override {
        active_ = true;
        due_ = now_ + interval_;
    }
    void Stop() override { active_ = false; }
    void SetInterval(int milliseconds) override {
        interval_ = milliseconds;
        if (active_) due_ = now_ + interval_;
    }
    void SetTickHandler(std::function<void()> tick) override { tick_ = std::move(tick); }

    std::int64_t Now() const { return now_; }
    // Moves the clock to the next tick and runs it; false when stopped.
    bool Tick() {
        if (!active_) return false;
        now_ = due_;
        due_ = now_ + std::max(interval_, 1);
        tick_();
        return true;
    }
    // Lets the clock run to `time`, ticking whenever the countdown runs out.
    void RunTo(std::int64_t time) {
        while (active_ && due_ <= time) Tick();
        now_ = std::max(now_, time);
    }

private:
    bool active_ = false;
    int interval_ = 0;
    std::int64_t now_ = 0;
    std::int64_t due_ = 0;
    std::function<void()> tick_;
};
