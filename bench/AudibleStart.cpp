// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "Benchmarks.h"
#include "Playback.h"
#include "QtForm.h"
#include "Stats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <thread>
#include <vector>

namespace bench {

namespace {

constexpr int Rate = 48000;
// Two milliseconds a read: the onset is placed within the read by its sample index, and
// the reads' timing fixes where the stream's samples lie on the clock.
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

    // Looks for the first loud sample that lies after the given moment.
    void arm(double afterMs) {
        const std::lock_guard lock(mutex_);
        armedAfter_ = afterMs;
        onsetFrame_ = -1;
    }
    // Where the onset lies, ms on the monotonic clock, or NaN while none is heard.
    double onsetMs() const {
        const std::lock_guard lock(mutex_);
        return onsetFrame_ < 0 ? std::nan("") : timeOf(onsetFrame_);
    }
    // Monotonic ms of the latest loud sample.
    double lastLoudMs() const {
        const std::lock_guard lock(mutex_);
        return lastLoudFrame_ < 0 ? -1e12 : timeOf(lastLoudFrame_);
    }

private:
    double timeOf(std::int64_t frame) const {
        return origin_ + static_cast<double>(frame) * 1e3 / Rate;
    }

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
            frames_ += ReadFrames;
            // A read returns no earlier than its last sample arrived; the earliest such
            // return fixes the stream's origin best.
            origin_ = std::min(origin_, now - static_cast<double>(frames_) * 1e3 / Rate);
            for (int i = 0; i < ReadFrames; ++i) {
                if (std::abs(static_cast<int>(buffer[static_cast<std::size_t>(i)])) < Loud)
                    continue;
                const std::int64_t frame = frames_ - ReadFrames + i;
                lastLoudFrame_ = frame;
                if (onsetFrame_ < 0 && !std::isnan(armedAfter_) && timeOf(frame) >= armedAfter_)
                    onsetFrame_ = frame;
            }
        }
    }

    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::int64_t frames_ = 0;
    double origin_ = std::numeric_limits<double>::max();
    double armedAfter_ = std::nan("");
    std::int64_t onsetFrame_ = -1;
    std::int64_t lastLoudFrame_ = -1;
};

// Resident memory of this process, MB.
double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    return 0;
}

// Runs the event loop until the condition holds or the time is up; false on time-out.
template<typename Condition> bool waitFor(Condition condition, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(1, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace

int runAudibleStart(int argc, char** argv, const char* label, const std::vector<std::string>& files,
                    int settleMs, bool viaPaplay) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const char* device = std::getenv("CHIMEWICK_BENCH_MONITOR");
    Listener listener(device);
    if (!listener.ok())
        return 2;

    // The real window with its player, as the program shows it, but with no tick: only
    // the bench rings.
    chimewick::QtForm form;
    form.show();
    chimewick::BellPlayer& player = *form.player();
    const QString folder = QCoreApplication::applicationDirPath();

    // The window settles and the listener finds its origin.
    waitFor([] { return false; }, settleMs);

    const double residentBefore = residentMb();
    std::vector<double> delays;
    int silent = 0; // rings that made no sound at all
    for (const std::string& name : files) {
        const QString path = folder + QLatin1Char('/') + QString::fromStdString(name);
        // Silence before the ring, so the onset is this bell's.
        if (!waitFor([&] { return monotonicMs() - listener.lastLoudMs() > 300; }, 15000)) {
            std::fprintf(stderr, "no silence before %s\n", name.c_str());
            return 3;
        }
        const double start = monotonicMs();
        listener.arm(start);
        QProcess paplay;
        if (viaPaplay)
            paplay.start(QStringLiteral("paplay"), {path});
        else
            player.setUrl(path);
        const double handed = monotonicMs() - start;
        if (!waitFor([&] { return !std::isnan(listener.onsetMs()); }, 5000)) {
            std::fprintf(stderr, "%s: nothing heard within 5 s (player: %s)\n", name.c_str(),
                         player.displayText()
                             .replace(QLatin1Char('\n'), QLatin1Char(' '))
                             .toLocal8Bit()
                             .constData());
            ++silent;
            continue;
        }
        const double delay = listener.onsetMs() - start;
        delays.push_back(delay);
        std::printf("    %-26s %7.1f ms (the call returned after %.1f ms)\n", name.c_str(), delay,
                    handed);
        std::fflush(stdout);
        // To its end, as a bell rings through, then the silence of the next wait.
        if (viaPaplay)
            paplay.waitForFinished(15000);
        else
            waitFor(
                [&] {
                    return player.playback()->mediaPlayer()->mediaStatus() ==
                           QMediaPlayer::EndOfMedia;
                },
                15000);
    }

    if (delays.empty())
        delays.push_back(std::nan(""));
    std::vector<double> later(delays.begin() + 1, delays.end());
    const Summary l = summarize(later);
    std::printf("    resident memory of this process: %.1f MB before the first ring, %.1f MB after "
                "the last\n",
                residentBefore, residentMb());
    std::printf("RESULT audible %s first=%.1f later_min=%.1f later_median=%.1f later_max=%.1f "
                "later_n=%zu silent=%d rss_before=%.1f rss_after=%.1f\n",
                label, delays.front(), l.min, l.median, l.max, l.count, silent, residentBefore,
                residentMb());
    return 0;
}

} // namespace bench
