// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the random walks share: their seeds, their length and a quiet
// offscreen platform.

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

}  // namespace dusk::test
