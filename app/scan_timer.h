// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

class QObject;

namespace dusk::app {

// The periodic timer that drives the automatic scan, as the main window uses
// it. It behaves like the window system's timer: Start() and SetInterval()
// restart the countdown of a running timer, even with an unchanged interval,
// so callers that must not restart it check IsActive() and Interval() first.
class ScanTimer {
public:
    virtual ~ScanTimer() = default;

    virtual bool IsActive() const = 0;
    virtual int Interval() const = 0;
    // Starts counting a whole interval from now.
    virtual void Start() = 0;
    virtual void Stop() = 0;
    // Sets the interval; a running timer counts it afresh from now.
    virtual void SetInterval(int milliseconds) = 0;
    // The handler called at every tick.
    virtual void SetTickHandler(std::function<void()> tick) = 0;
};

// The window system's timer: a QTimer named "Timer1", child of `owner`, that
// goes on ticking while a modal dialog runs its own message loop.
std::unique_ptr<ScanTimer> MakeWindowTimer(QObject* owner);

}  // namespace dusk::app
