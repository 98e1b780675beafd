// SPDX-License-Identifier: GPL-3.0-or-later
#include "marks/mark_text.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace dusk {

namespace {

struct KindRow {
    MarkKind kind;
    const char* name;
};

constexpr std::array<KindRow, 5> kKinds{{
    {MarkKind::Point, "point"},
    {MarkKind::Distance, "distance"},
    {MarkKind::Area, "area"},
    {MarkKind::Crater, "crater"},
    {MarkKind::Profile, "profile"},
}};

bool ReadNumber(std::string_view& text, double& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

}  // namespace

const char* KindName(MarkKind kind) {
    for (const KindRow& row : kKinds) {
        if (row.kind == kind) return row.name;
    }
    return "point";
}

std::optional<MarkKind> KindNamed(std::string_view name) {
    for (const KindRow& row : kKinds) {
        if (name == row.name) return row.kind;
    }
    return std::nullopt;
}

std::string NumberText(double value) {
    std::array<char, 32> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return ec == std::errc() ? std::string(buffer.data(), end) : std::string("nan");
}

std::string PointsText(std::span<const RasterPoint> points) {
    std::string text;
    for (const RasterPoint& point : points) {
        if (!text.empty()) text += ';';
        text += NumberText(point.column);
        text += ' ';
        text += NumberText(point.row);
    }
    return text;
}

std::optional<std::vector<RasterPoint>> PointsFromText(std::string_view text) {
    std::vector<RasterPoint> points;
    while (!text.empty()) {
        RasterPoint point;
        if (!ReadNumber(text, point.column) || !ReadNumber(text, point.row)) return std::nullopt;
        points.push_back(point);
        if (text.empty()) break;
        if (text.front() != ';') return std::nullopt;
        text.remove_prefix(1);
        if (text.empty()) return std::nullopt;
    }
    return points;
}

bool WellFormed(const Mark& mark) {
    const std::size_t n = mark.points.size();
    bool counted = false;
    switch (mark.kind) {
        case MarkKind::Point: counted = n == 1; break;
        case MarkKind::Distance: counted = n >= 2; break;
        case MarkKind::Area: counted = n >= 3; break;
        case MarkKind::Crater: counted = n == 1 && mark.radius > 0.0; break;
        case MarkKind::Profile: counted = n == 2; break;
    }
    if (!counted) return false;
    for (const RasterPoint& p : mark.points) {
        if (!std::isfinite(p.column) || !std::isfinite(p.row)) return false;
    }
    for (const double figure : {mark.radius, mark.latitude, mark.longitude, mark.length, mark.diameter, mark.area}) {
        if (!std::isfinite(figure)) return false;
    }
    return true;
}

std::string NowUtc() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    std::array<char, 80> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis));
    return text.data();
}

}  // namespace dusk
