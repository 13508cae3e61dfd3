// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace bench {

namespace {
double msOf(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double rank(const std::vector<double>& sorted, double fraction) {
    const auto n = static_cast<double>(sorted.size());
    const auto index = static_cast<std::size_t>(std::max(0.0, std::ceil(fraction * n) - 1.0));
    return sorted[std::min(index, sorted.size() - 1)];
}
} // namespace

double wallMs() {
    return msOf(CLOCK_REALTIME);
}

double monotonicMs() {
    return msOf(CLOCK_MONOTONIC);
}

double residentMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

Summary summarize(std::vector<double> values) {
    Summary s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    s.count = values.size();
    s.min = values.front();
    s.median = rank(values, 0.5);
    s.p99 = rank(values, 0.99);
    s.max = values.back();
    return s;
}

std::string formatSummary(const Summary& s) {
    char line[160];
    std::snprintf(line, sizeof line, "%8.1f %8.1f %8.1f %8.1f", s.min, s.median, s.p99, s.max);
    return line;
}

} // namespace bench
