// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Milliseconds on the wall clock (since the epoch) and on the monotonic clock.
double wallMs();
double monotonicMs();

// Resident memory of this process (VmRSS), MB.
double residentMb();

struct Summary {
    std::size_t count = 0;
    double min = 0;
    double median = 0;
    double p99 = 0;
    double max = 0;
};

// Nearest-rank percentiles: every figure is one that was measured.
Summary summarize(std::vector<double> values);

// "min 1.2  median 2.3  p99 3.4  max 4.5" with the given width per figure.
std::string formatSummary(const Summary& s);

} // namespace bench
