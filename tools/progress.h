// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the exporter tells the user on its error stream: one message a line,
// and on a terminal a progress line "n/N name" rewritten in place below them.

#include <cstddef>
#include <iosfwd>
#include <string>

namespace dusk {

class Reporter {
public:
    // Progress lines are shown only when `progress` is set.
    Reporter(std::ostream& err, bool progress);
    // Clears a progress line still shown.
    ~Reporter();
    Reporter(const Reporter&) = delete;
    Reporter& operator=(const Reporter&) = delete;

    void Progress(std::size_t n, std::size_t count, const std::string& name);
    // Prints "duskmapper-export: message" on a line of its own.
    void Error(const std::string& message);
    // The same line for what is odd about an input that was still written;
    // --quiet hides it no more than an error.
    void Warning(const std::string& message) { Error(message); }

private:
    std::ostream& err_;
    bool progress_;
    bool shown_ = false;
};

}  // namespace dusk
