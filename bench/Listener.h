// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Stats.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <thread>
#include <vector>

namespace bench {

constexpr int Rate = 48000;
// Two milliseconds a read: the onset is placed within the read by its sample index, and the read
// by the moment it returned. Each sample is stamped when it arrived, never earlier: on PipeWire
// the monitor delivers a whole graph cycle (about 21 ms) at once, and a time counted from the
// stream's first read placed a bell's first sample up to a cycle before the second it rang in.
constexpr int ReadFrames = Rate / 500;
// About -50 dBFS: far above the converters' dither, far below any chime.
constexpr int Loud = 100;

// Listens to the sink's monitor and says where on the monotonic clock the first loud sample
// after a given moment lay.
class Listener {
public:
    explicit Listener(const char* device) {
        const pa_sample_spec format{PA_SAMPLE_S16LE, Rate, 1};
        pa_buffer_attr attr{};
        attr.maxlength = std::numeric_limits<std::uint32_t>::max();
        attr.fragsize = static_cast<std::uint32_t>(ReadFrames * 2);
        int error = 0;
        stream_ = pa_simple_new(nullptr, "chimewick-bench", PA_STREAM_RECORD, device, "monitor",
                                &format, nullptr, &attr, &error);
        if (!stream_) {
            std::fprintf(stderr, "cannot listen to %s: %s\n", device ? device : "(default)",
                         pa_strerror(error));
            return;
        }
        thread_ = std::thread([this] { run(); });
    }
    ~Listener() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (stream_)
            pa_simple_free(stream_);
    }
    bool ok() const { return stream_ != nullptr; }

    // Looks for the first loud sample that lies after the given moment, and for the first
    // at or above contentLevel: the recording's own sound rather than a decoder's lead-in.
    void arm(double afterMs, int contentLevel = Loud) {
        const std::lock_guard lock(mutex_);
        armedAfter_ = afterMs;
        onsetMs_ = std::nan("");
        contentMs_ = std::nan("");
        contentLevel_ = std::max(contentLevel, Loud);
    }
    // Where the onset lies, ms on the monotonic clock, or NaN while none is heard.
    double onsetMs() const {
        const std::lock_guard lock(mutex_);
        return onsetMs_;
    }
    // Where the recording's own sound began, ms on the monotonic clock, or NaN.
    double contentMs() const {
        const std::lock_guard lock(mutex_);
        return contentMs_;
    }
    // Monotonic ms of the latest loud sample.
    double lastLoudMs() const {
        const std::lock_guard lock(mutex_);
        return lastLoudMs_;
    }

private:
    void run() {
        std::vector<std::int16_t> buffer(ReadFrames);
        while (!stop_) {
            int error = 0;
            if (pa_simple_read(stream_, buffer.data(), buffer.size() * sizeof(std::int16_t),
                               &error) < 0) {
                std::fprintf(stderr, "monitor read failed: %s\n", pa_strerror(error));
                return;
            }
            const double now = monotonicMs();
            const std::lock_guard lock(mutex_);
            for (int i = 0; i < ReadFrames; ++i) {
                const int level = std::abs(static_cast<int>(buffer[static_cast<std::size_t>(i)]));
                if (level < Loud)
                    continue;
                // Arrived with the read, as early as its place in the read allows.
                const double at = now - static_cast<double>(ReadFrames - 1 - i) * 1e3 / Rate;
                lastLoudMs_ = at;
                if (std::isnan(armedAfter_) || at < armedAfter_)
                    continue;
                if (std::isnan(onsetMs_))
                    onsetMs_ = at;
                if (std::isnan(contentMs_) && level >= contentLevel_)
                    contentMs_ = at;
            }
        }
    }

    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    double armedAfter_ = std::nan("");
    double onsetMs_ = std::nan("");
    double contentMs_ = std::nan("");
    int contentLevel_ = Loud;
    double lastLoudMs_ = -1e12;
};

} // namespace bench
