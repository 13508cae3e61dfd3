// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Benchmarks.h"
#include "Listener.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace bench {

// The listener checked against a click of known time: a stream with a 5 ms buffer plays
// 300 ms of silence, the time is noted, then a loud click follows. The listener must place
// it a few ms after that time, never before: otherwise its figures mean nothing.
int runClickCheck(int clicks) {
    const char* device = std::getenv("CHIMEWICK_BENCH_MONITOR");
    Listener listener(device);
    if (!listener.ok())
        return 2;
    const pa_sample_spec format{PA_SAMPLE_S16LE, Rate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(Rate / 200 * 2); // 5 ms
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    int error = 0;
    pa_simple* out = pa_simple_new(nullptr, "chimewick-bench-click", PA_STREAM_PLAYBACK, nullptr,
                                   "click", &format, nullptr, &attr, &error);
    if (!out) {
        std::fprintf(stderr, "cannot play a click: %s\n", pa_strerror(error));
        return 2;
    }
    const std::vector<std::int16_t> silence(Rate * 3 / 10, 0);
    const std::vector<std::int16_t> click(Rate / 100, 20000);
    std::vector<double> offsets;
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the listener finds its origin
    for (int i = 0; i < clicks; ++i) {
        pa_simple_write(out, silence.data(), silence.size() * 2, &error);
        const double written = monotonicMs();
        listener.arm(written);
        pa_simple_write(out, click.data(), click.size() * 2, &error);
        pa_simple_write(out, silence.data(), silence.size() * 2, &error);
        for (int wait = 0; wait < 100 && std::isnan(listener.onsetMs()); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        offsets.push_back(listener.onsetMs() - written);
        std::printf("    click %d heard %.1f ms after it was written\n", i + 1, offsets.back());
    }
    pa_simple_drain(out, &error);
    pa_simple_free(out);
    const Summary s = summarize(offsets);
    std::printf("RESULT click min=%.1f median=%.1f max=%.1f n=%zu\n", s.min, s.median, s.max,
                s.count);
    return 0;
}

} // namespace bench
