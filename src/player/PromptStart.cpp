// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PromptStart.h"

#include "Messages.h"
#include "PipelineSinks.h"

#include <QString>
#include <QThreadPool>
#include <chrono>
#include <condition_variable>
#include <gst/gst.h>
#include <mutex>
#include <string>

namespace chimewick::promptstart {

// A prompt start under Qt 6.4's GStreamer backend. Qt leaves its pulsesink at GStreamer's
// defaults: a 200 ms buffer (the server grants about 110 ms) and a 20 ms processing deadline.
// Every bell's first sample is queued behind that whole latency, about 130 ms of silence,
// after a 20 ms wait; and the first bell of a run also loads the decoders' plugins (libav
// alone takes about 90 ms). Qt gives no access to its pipeline, so the sink is tuned when
// GStreamer adds it to a bin, and the plugins are loaded beside the window at start.
//
// Measured from the timetable's second to the first sound, the sink's clock still cost about
// 40 ms: a synchronised audio sink places a recording's first sample one whole buffer after
// the moment it starts, and plays silence until then. The sink is therefore left
// unsynchronised: each sample follows the one before as soon as it is decoded, so the first
// one is heard at once. Unsynchronised, the sink would pass the end of the stream on while its
// last buffer still waited to be heard, and the player, ending the recording, would cut that
// off; so the end is held back for as long as a buffer takes to play out.
namespace {

// Large enough that a busy computer does not starve the sound server; unsynchronised, the sink
// no longer makes a bell wait for its buffer, only its end.
constexpr gint64 BufferTimeUs = 50000;
constexpr gint64 LatencyTimeUs = 10000;
// The time granted to the stages before the sink, added to the latency and waited out at every
// start; a bell is read from a file and decoded ahead of the sink, so a short one does.
constexpr guint64 ProcessingDeadlineNs = 5000000;
// How long the end of a recording is held back: the sink's buffer and the server's own share.
constexpr gint64 EndHoldUs = BufferTimeUs + 20000;

// The plugins that opening a WMA, MP3 or WAV bell loads.
constexpr const char* Plugins[] = {
    "typefindfunctions", // what kind of file it is
    "playback",          // decodebin
    "asf",               // the WMA file's container
    "libav",             // the WMA decoder
    "id3demux",          // an MP3 file's tags
    "audioparsers",      // the MP3 parser
    "mpg123",            // the MP3 decoder
    "wavparse",          // the WAV file
    "audioconvert",      // the output, down to its sink
    "audioresample",
    "volume",
    "pulseaudio",
};

// The last sound sink a bin took in, and whether it was tuned; written from GStreamer's
// threads, read at the first bell.
std::mutex sinkMutex;
std::string sinkName;
bool sinkTuned = false;

// Holds the end of a stream at the sink until what it buffered has played out; a flush (a stop,
// a seek) ends the wait at once. A new recording handed over in those last milliseconds waits
// for the rest of them, as the synchronised sink made it wait.
class EndHold {
public:
    static GstPadProbeReturn onEvent(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<EndHold*>(data);
        switch (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info))) {
        case GST_EVENT_EOS:
            self->hold();
            break;
        case GST_EVENT_FLUSH_START:
            self->release();
            break;
        default:
            break;
        }
        return GST_PAD_PROBE_OK;
    }
    static void destroy(gpointer data) { delete static_cast<EndHold*>(data); }

private:
    void hold() {
        std::unique_lock lock(mutex_);
        flushed_ = false;
        changed_.wait_for(lock, std::chrono::microseconds(EndHoldUs), [this] { return flushed_; });
    }
    void release() {
        {
            const std::lock_guard lock(mutex_);
            flushed_ = true;
        }
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    bool flushed_ = false;
};

void tune(GstElement* sink) {
    GstElementFactory* factory = gst_element_get_factory(sink);
    const char* name = factory ? gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory))
                               : G_OBJECT_TYPE_NAME(sink);
    const bool pulse = g_strcmp0(G_OBJECT_TYPE_NAME(sink), "GstPulseSink") == 0;
    if (pulse) {
        g_object_set(sink, "buffer-time", BufferTimeUs, "latency-time", LatencyTimeUs,
                     "processing-deadline", ProcessingDeadlineNs, "sync", FALSE, nullptr);
        if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
            gst_pad_add_probe(pad,
                              static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                                           GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                              EndHold::onEvent, new EndHold, EndHold::destroy);
            gst_object_unref(pad);
        }
    }
    const std::lock_guard lock(sinkMutex);
    sinkName = name;
    sinkTuned = pulse;
}

} // namespace

void prepare() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gst_init_check(nullptr, nullptr, nullptr))
            return;
        onEverySinkAdded(tune);
        // Off the window's thread, so the window shows at once; the pool waits for it at exit.
        QThreadPool::globalInstance()->start([] {
            for (const char* name : Plugins)
                if (GstPlugin* plugin = gst_plugin_load_by_name(name))
                    gst_object_unref(plugin);
        });
    });
}

void reportOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        const std::lock_guard lock(sinkMutex);
        const QString name =
            sinkName.empty() ? QStringLiteral("none seen") : QString::fromStdString(sinkName);
        if (sinkTuned)
            qCInfo(messages).noquote()
                << QStringLiteral("tuned the sound sink %1 to start bells promptly: buffer %2 "
                                  "ms, latency %3 ms, processing deadline %4 ms, unsynchronised")
                       .arg(name)
                       .arg(BufferTimeUs / 1000)
                       .arg(LatencyTimeUs / 1000)
                       .arg(ProcessingDeadlineNs / 1000000);
        else
            qCWarning(messages).noquote()
                << QStringLiteral("the sound sink in use (%1) is not one the player tunes; its "
                                  "latency is left at the default")
                       .arg(name);
    });
}

} // namespace chimewick::promptstart
