// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the random walks share: their seeds, their length and a quiet
// offscreen platform.

#include <chrono>
#include <cstdlib>

#include <QtTest>

namespace dusk::test {

// The rows of a walk's data: the fixed seed, and DUSK_WALK_SEED's too.
inline void AddWalkSeeds(quint64 fixed) {
    QTest::addColumn<quint64>("seed");
    QTest::newRow("fixed seed") << fixed;
    if (const char* seed = std::getenv("DUSK_WALK_SEED")) {
        QTest::newRow("seed from DUSK_WALK_SEED") << quint64{std::strtoull(seed, nullptr, 0)};
    }
}

// DUSK_WALK_STEPS, or `fallback`.
inline int WalkSteps(int fallback) {
    const char* wanted = std::getenv("DUSK_WALK_STEPS");
    return wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : fallback;
}

// Leaves out the offscreen platform's complaints about window hints, which
// come at every step.
inline void QuietWindowHints() {
    static const QtMessageHandler qtHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.startsWith(QStringLiteral("This plugin does not support"))) qtHandler(type, context, message);
        });
}

// Draws the walk of `seed` with the walker's Draw (DUSK_WALK_STEPS steps, or
// `fallbackSteps`), runs it with its Run on a quiet platform and says how
// long it took. Gives the steps; `failed` is the index of the step after
// which a check failed (with `why`), or -1.
template <typename Walker>
auto RunWalk(Walker& walker, const char* what, quint64 seed, int fallbackSteps, QString& why, int& failed) {
    QuietWindowHints();
    const int count = WalkSteps(fallbackSteps);
    auto steps = Walker::Draw(seed, count);
    const auto start = std::chrono::steady_clock::now();
    failed = walker.Run(steps, why);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    qInfo("%s of %d steps from seed %llu: %.1f s", what, count, static_cast<unsigned long long>(seed), seconds);
    return steps;
}

}  // namespace dusk::test
