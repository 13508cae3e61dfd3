// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LeadIn.h"
#include "PlayerLog.h"
#include "SoundBackend.h"

#include <QFile>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <gst/gst.h>
#include <memory>
#include <mutex>
#include <utility>

namespace chimewick {
namespace {

// The pipeline is the player's own: file, decoder, then conversion, resampling, volume and the
// sound server's sink. A fixed chain rather than playbin: no video or subtitle branches to
// set up for every bell, the sink is made and tuned here, and the decoded stream passes one
// place where the decoder's lead-in can be left out.
//
// The PulseAudio sink (the sound server's own protocol, on PulseAudio and on PipeWire alike)
// gets a short buffer: GStreamer's default of 200 ms would queue each bell behind it. Large
// enough that a busy computer does not starve the server.
constexpr gint64 BufferTimeUs = 50000;
constexpr gint64 LatencyTimeUs = 10000;
// The time granted to the stages before the sink, waited out at every start; a bell is read
// from a file and decoded ahead of the sink, so a short one does.
constexpr guint64 ProcessingDeadlineNs = 5000000;
// Unsynchronised: each sample goes to the server as soon as it is decoded. Synchronised, a bell
// held ready sounded as late as it had been held (2 s for a bell opened 2 s ahead), the sink
// waiting for the running time it had counted while paused. Unsynchronised, the end of the
// stream reaches the player while the server still plays its last buffer; the player lets
// an ended bell's output go only some time after.

// The plugins that opening a WMA, MP3 or WAV bell loads; loading libav alone takes about
// 90 ms, which the first bell of a run would otherwise wait for.
constexpr const char* Plugins[] = {"typefindfunctions", "playback",      "asf",    "libav",
                                   "id3demux",          "audioparsers",  "mpg123", "wavparse",
                                   "audioconvert",      "audioresample", "volume", "pulseaudio",
                                   "coreelements",      "autodetect"};

// The operator's words for a file that opens but does not sound.
const QString Undecodable = QStringLiteral("not a sound the player can decode");

QString factoryName(GstElement* element) {
    if (GST_IS_BIN(element)) {
        // An automatic sink: the one it chose.
        GstIterator* sinks = gst_bin_iterate_sinks(GST_BIN(element));
        GValue item = G_VALUE_INIT;
        QString name;
        if (gst_iterator_next(sinks, &item) == GST_ITERATOR_OK) {
            name = factoryName(GST_ELEMENT(g_value_get_object(&item)));
            g_value_unset(&item);
        }
        gst_iterator_free(sinks);
        if (!name.isEmpty())
            return name;
    }
    GstElementFactory* factory = gst_element_get_factory(element);
    return QString::fromUtf8(factory ? gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory))
                                     : G_OBJECT_TYPE_NAME(element));
}

// Said once a process, of the first sink made: which one plays the bells, and whether its
// latency is the player's.
void reportSink(GstElement* sink, bool tuned) {
    static std::once_flag once;
    std::call_once(once, [sink, tuned] {
        const QString name = factoryName(sink);
        if (tuned)
            qCInfo(playerLog).noquote()
                << QStringLiteral("tuned the sound sink %1 to start bells promptly: buffer %2 ms, "
                                  "latency %3 ms, processing deadline %4 ms, unsynchronised")
                       .arg(name)
                       .arg(BufferTimeUs / 1000)
                       .arg(LatencyTimeUs / 1000)
                       .arg(ProcessingDeadlineNs / 1000000);
        else
            qCWarning(playerLog).noquote()
                << QStringLiteral("the sound sink in use (%1) is not one the player tunes; its "
                                  "latency is left at the default")
                       .arg(name);
    });
}

// The sound server's sink, tuned; without a server, whatever the system offers. Made ready
// here, so that the server is asked, and an automatic sink has chosen, before a bell is due.
GstElement* makeSink() {
    if (GstElement* pulse = gst_element_factory_make("pulsesink", nullptr)) {
        if (gst_element_set_state(pulse, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
            g_object_set(pulse, "buffer-time", BufferTimeUs, "latency-time", LatencyTimeUs,
                         "processing-deadline", ProcessingDeadlineNs, "sync", FALSE, nullptr);
            reportSink(pulse, true);
            return pulse;
        }
        gst_element_set_state(pulse, GST_STATE_NULL);
        gst_object_unref(pulse);
    }
    GstElement* fallback = gst_element_factory_make("autoaudiosink", nullptr);
    if (fallback && gst_element_set_state(fallback, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE)
        reportSink(fallback, false);
    return fallback;
}

// The first 10 bytes of an MP3's ID3 tag give its length; the frame after it holds the tag
// with the encoder's delay.
std::string mp3Head(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QByteArray head = in.read(10);
    const auto tag = static_cast<qint64>(
        id3TagBytes(std::string_view(head.constData(), static_cast<std::size_t>(head.size()))));
    head += in.read(std::min<qint64>(tag + static_cast<qint64>(Mp3HeadBytes), 8 << 20));
    return head.toStdString();
}

class GstSoundBackend final : public SoundBackend {
public:
    GstSoundBackend();
    ~GstSoundBackend() override;

    void open(const QString& file) override;
    void play() override;
    void pause() override;
    void seek(qint64 milliseconds) override;
    void setVolume(double volume) override;
    void setMuted(bool muted) override;
    void setRate(double rate) override;
    void close() override;
    bool isOpen() const override { return opened_ && !failed_; }
    bool isPlaying() const override { return playing_; }
    qint64 position() const override;
    qint64 duration() const override { return duration_; }
    bool isSeekable() const override { return seekable_; }

private:
    // Bus messages reach the object's thread through this box; the object empties it before it
    // goes, so a message posted by a streaming thread meanwhile finds no one and is dropped.
    struct Mailbox {
        std::mutex mutex;
        GstSoundBackend* target = nullptr;
    };
    static GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data);
    static void onPadAdded(GstElement*, GstPad* pad, gpointer self);
    static void onNoMorePads(GstElement*, gpointer self);
    static void onElementAdded(GstBin*, GstBin*, GstElement* element, gpointer self);
    static GstPadProbeReturn onSegment(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    // One handler a kind of message, on the object's own thread.
    void handle(GstMessage* message);
    void onError(GstMessage* message);
    void onOpened();
    void onDurationChanged();
    void onStateChanged(GstMessage* message);
    void onEnd();
    void fail(const QString& reason, const QString& detail);
    void applyRate();

    GstElement* pipeline_ = nullptr;
    GstElement* source_ = nullptr;
    GstElement* decoder_ = nullptr;
    GstElement* convert_ = nullptr;
    GstElement* volume_ = nullptr;
    GstElement* sink_ = nullptr;
    std::shared_ptr<Mailbox> mailbox_ = std::make_shared<Mailbox>();

    // Written by the streaming threads.
    std::atomic<bool> linked_ = false;
    std::atomic<int> wmaVersion_ = 0;
    std::atomic<bool> mp3Decoder_ = false;
    int mp3LeadIn_ = 0; // set before the pipeline starts

    bool opened_ = false;
    bool failed_ = false;
    bool closed_ = false;
    bool playing_ = false;
    bool wantPlaying_ = false;
    bool seekable_ = false;
    qint64 duration_ = 0;
    qint64 pendingSeek_ = -1;
    double rate_ = 1.0;
    mutable qint64 lastPosition_ = 0;
};

GstSoundBackend::GstSoundBackend() {
    pipeline_ = gst_pipeline_new(nullptr);
    source_ = gst_element_factory_make("filesrc", nullptr);
    decoder_ = gst_element_factory_make("decodebin", nullptr);
    convert_ = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    volume_ = gst_element_factory_make("volume", nullptr);
    sink_ = makeSink();
    if (!source_ || !decoder_ || !convert_ || !resample || !volume_ || !sink_) {
        for (GstElement* e : {source_, decoder_, convert_, resample, volume_, sink_})
            if (e)
                gst_object_unref(gst_object_ref_sink(e));
        source_ = decoder_ = convert_ = volume_ = sink_ = nullptr;
        return;
    }
    gst_bin_add_many(GST_BIN(pipeline_), source_, decoder_, convert_, resample, volume_, sink_,
                     nullptr);
    gst_element_link(source_, decoder_);
    gst_element_link_many(convert_, resample, volume_, sink_, nullptr);
    g_signal_connect(decoder_, "pad-added", G_CALLBACK(onPadAdded), this);
    g_signal_connect(decoder_, "no-more-pads", G_CALLBACK(onNoMorePads), this);
    g_signal_connect(pipeline_, "deep-element-added", G_CALLBACK(onElementAdded), this);
    if (GstPad* input = gst_element_get_static_pad(convert_, "sink")) {
        gst_pad_add_probe(input, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, onSegment, this, nullptr);
        gst_object_unref(input);
    }

    mailbox_->target = this;
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(
        bus, onBusMessage, new std::shared_ptr<Mailbox>(mailbox_),
        [](gpointer box) { delete static_cast<std::shared_ptr<Mailbox>*>(box); });
    gst_object_unref(bus);
}

GstSoundBackend::~GstSoundBackend() {
    close();
    if (decoder_)
        g_signal_handlers_disconnect_by_data(decoder_, this);
    g_signal_handlers_disconnect_by_data(pipeline_, this);
    gst_object_unref(pipeline_);
}

void GstSoundBackend::close() {
    {
        const std::lock_guard lock(mailbox_->mutex);
        mailbox_->target = nullptr;
    }
    // Every streaming thread has stopped when this returns.
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    playing_ = false;
    closed_ = true;
}

void GstSoundBackend::open(const QString& file) {
    if (!sink_) {
        fail(Undecodable, QStringLiteral("GStreamer's playback elements are missing"));
        return;
    }
    const QString lower = file.toLower();
    if (lower.endsWith(QLatin1String(".mp3")))
        mp3LeadIn_ = mp3LeadIn(mp3Head(file));
    g_object_set(source_, "location", QFile::encodeName(file).constData(), nullptr);
    if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        fail(Undecodable, QStringLiteral("the pipeline did not start"));
}

void GstSoundBackend::play() {
    wantPlaying_ = true;
    if (!failed_ && sink_)
        gst_element_set_state(pipeline_, GST_STATE_PLAYING);
}

void GstSoundBackend::pause() {
    wantPlaying_ = false;
    if (!failed_ && sink_)
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
}

void GstSoundBackend::seek(qint64 milliseconds) {
    // A seek before the file is open waits for it: the start it would go to is not there yet.
    if (!opened_) {
        pendingSeek_ = milliseconds;
        return;
    }
    gst_element_seek(pipeline_, rate_, GST_FORMAT_TIME,
                     static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                     GST_SEEK_TYPE_SET, std::max<qint64>(milliseconds, 0) * GST_MSECOND,
                     GST_SEEK_TYPE_NONE, -1);
}

void GstSoundBackend::setVolume(double volume) {
    if (volume_)
        g_object_set(volume_, "volume", std::clamp(volume, 0.0, 1.0), nullptr);
}

void GstSoundBackend::setMuted(bool muted) {
    if (volume_)
        g_object_set(volume_, "mute", muted ? TRUE : FALSE, nullptr);
}

void GstSoundBackend::setRate(double rate) {
    rate_ = rate > 0.0 ? rate : 1.0;
    if (opened_)
        applyRate();
}

void GstSoundBackend::applyRate() {
    if (rate_ != 1.0)
        gst_element_seek(pipeline_, rate_, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_NONE,
                         0, GST_SEEK_TYPE_NONE, -1);
}

qint64 GstSoundBackend::position() const {
    gint64 now = 0;
    if (opened_ && gst_element_query_position(pipeline_, GST_FORMAT_TIME, &now) && now >= 0)
        lastPosition_ = now / GST_MSECOND;
    return lastPosition_;
}

void GstSoundBackend::fail(const QString& reason, const QString& detail) {
    if (failed_)
        return;
    failed_ = true;
    if (sink_)
        gst_element_set_state(pipeline_, GST_STATE_NULL);
    emit failed(reason, detail);
}

// Every message is dropped here, and a handler that drops a message owns it: held takes that
// reference, so the message goes when its handling is done or found to have no one to reach.
// (Left alive, each message kept its element, and so the whole pipeline, of every bell.)
GstBusSyncReply GstSoundBackend::onBusMessage(GstBus*, GstMessage* message, gpointer data) {
    std::shared_ptr<GstMessage> held(message, gst_message_unref);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_STATE_CHANGED:
    case GST_MESSAGE_DURATION_CHANGED:
    case GST_MESSAGE_APPLICATION:
        break;
    default:
        return GST_BUS_DROP;
    }
    Mailbox& box = **static_cast<std::shared_ptr<Mailbox>*>(data);
    const std::lock_guard lock(box.mutex);
    if (GstSoundBackend* target = box.target)
        QMetaObject::invokeMethod(
            target, [target, held] { target->handle(held.get()); }, Qt::QueuedConnection);
    return GST_BUS_DROP;
}

void GstSoundBackend::handle(GstMessage* message) {
    if (failed_ || closed_)
        return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
        onError(message);
        return;
    case GST_MESSAGE_APPLICATION: // posted when the decoder found no sound in the file
        fail(Undecodable, QStringLiteral("no sound in the file"));
        return;
    case GST_MESSAGE_ASYNC_DONE:
        onOpened();
        return;
    case GST_MESSAGE_DURATION_CHANGED:
        onDurationChanged();
        return;
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_))
            onStateChanged(message);
        return;
    case GST_MESSAGE_EOS:
        onEnd();
        return;
    default:
        return;
    }
}

void GstSoundBackend::onError(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    const bool denied = error && error->domain == GST_RESOURCE_ERROR &&
                        error->code == GST_RESOURCE_ERROR_NOT_AUTHORIZED;
    const QString detail = QString::fromUtf8(error ? error->message : "unknown error");
    g_clear_error(&error);
    g_free(debug);
    fail(denied ? QStringLiteral("access denied") : Undecodable, detail);
}

// The first time the pipeline has settled: the file is open and the output ready.
void GstSoundBackend::onOpened() {
    if (opened_)
        return;
    opened_ = true;
    GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME);
    if (gst_element_query(pipeline_, query)) {
        gboolean seekable = FALSE;
        gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
        seekable_ = seekable;
    }
    gst_query_unref(query);
    onDurationChanged();
    applyRate();
    if (pendingSeek_ >= 0)
        seek(std::exchange(pendingSeek_, -1));
    emit opened();
}

void GstSoundBackend::onDurationChanged() {
    gint64 length = 0;
    if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &length) && length > 0)
        duration_ = length / GST_MSECOND;
}

void GstSoundBackend::onStateChanged(GstMessage* message) {
    GstState state = GST_STATE_NULL;
    gst_message_parse_state_changed(message, nullptr, &state, nullptr);
    const bool playing = state == GST_STATE_PLAYING;
    if (playing != playing_) {
        playing_ = playing;
        emit playingChanged(playing);
    }
}

void GstSoundBackend::onEnd() {
    lastPosition_ = duration_;
    emit ended();
}

void GstSoundBackend::onPadAdded(GstElement*, GstPad* pad, gpointer data) {
    auto* self = static_cast<GstSoundBackend*>(data);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    const bool audio =
        caps && gst_caps_get_size(caps) > 0 &&
        g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/x-raw");
    if (caps)
        gst_caps_unref(caps);
    // The first stream of sound is the bell; any other stream of the file is left unplayed.
    if (!audio || self->linked_)
        return;
    GstPad* input = gst_element_get_static_pad(self->convert_, "sink");
    if (gst_pad_link(pad, input) == GST_PAD_LINK_OK)
        self->linked_ = true;
    gst_object_unref(input);
}

void GstSoundBackend::onNoMorePads(GstElement* decoder, gpointer data) {
    auto* self = static_cast<GstSoundBackend*>(data);
    if (!self->linked_)
        gst_element_post_message(
            decoder,
            gst_message_new_application(GST_OBJECT(decoder), gst_structure_new_empty("no-sound")));
}

void GstSoundBackend::onElementAdded(GstBin*, GstBin*, GstElement* element, gpointer data) {
    auto* self = static_cast<GstSoundBackend*>(data);
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory)
        return;
    const char* name = gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory));
    if (g_strcmp0(name, "avdec_wmav1") == 0)
        self->wmaVersion_ = 1;
    else if (g_strcmp0(name, "avdec_wmav2") == 0)
        self->wmaVersion_ = 2;
    else if (g_strcmp0(name, "mpg123audiodec") == 0 || g_str_has_prefix(name, "avdec_mp3"))
        self->mp3Decoder_ = true;
}

// The decoder's lead-in lies before the recording's first sample. The segment is made to start
// at that sample, so the sink leaves the lead-in out and starts its clock at the recording;
// positions count from there too. A recording's own silence lies after it and is kept.
GstPadProbeReturn GstSoundBackend::onSegment(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_SEGMENT)
        return GST_PAD_PROBE_OK;
    auto* self = static_cast<GstSoundBackend*>(data);
    int rate = 0;
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        gst_structure_get_int(gst_caps_get_structure(caps, 0), "rate", &rate);
        gst_caps_unref(caps);
    }
    int samples = 0;
    if (self->wmaVersion_ > 0)
        samples = wmaLeadIn(self->wmaVersion_, rate);
    else if (self->mp3Decoder_)
        samples = self->mp3LeadIn_;
    if (samples <= 0 || rate <= 0)
        return GST_PAD_PROBE_OK;
    const guint64 leadIn =
        gst_util_uint64_scale_int(static_cast<guint64>(samples), GST_SECOND, rate);
    const GstSegment* segment = nullptr;
    gst_event_parse_segment(event, &segment);
    if (segment->format != GST_FORMAT_TIME || segment->rate < 0 || segment->start >= leadIn)
        return GST_PAD_PROBE_OK;
    GstSegment trimmed;
    gst_segment_copy_into(segment, &trimmed);
    trimmed.start = leadIn;
    trimmed.position = std::max(trimmed.position, leadIn);
    GstEvent* replaced = gst_event_new_segment(&trimmed);
    gst_event_set_seqnum(replaced, gst_event_get_seqnum(event));
    gst_event_unref(event);
    GST_PAD_PROBE_INFO_DATA(info) = replaced;
    return GST_PAD_PROBE_OK;
}

} // namespace

std::unique_ptr<SoundBackend> makeSoundBackend() {
    prepareSoundBackend();
    return std::make_unique<GstSoundBackend>();
}

void prepareSoundBackend() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gst_init_check(nullptr, nullptr, nullptr))
            return;
        // Off the window's thread, so the window shows at once; the pool waits for it at exit.
        QThreadPool::globalInstance()->start([] {
            for (const char* name : Plugins)
                if (GstPlugin* plugin = gst_plugin_load_by_name(name))
                    gst_object_unref(plugin);
        });
    });
}

} // namespace chimewick
