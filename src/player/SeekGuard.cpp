// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SeekGuard.h"

#include "PipelineSinks.h"

#include <gst/gst.h>
#include <mutex>

namespace chimewick {
namespace {

// Whether the pipeline that holds the sink has opened its recording: until then the sink has
// nothing to seek in.
bool opened(GstElement* sink) {
    GstObject* top = GST_OBJECT(gst_object_ref(sink));
    while (GstObject* parent = gst_object_get_parent(top)) {
        gst_object_unref(top);
        top = parent;
    }
    GST_OBJECT_LOCK(top);
    const bool opened = GST_STATE(top) >= GST_STATE_PAUSED;
    GST_OBJECT_UNLOCK(top);
    gst_object_unref(top);
    return opened;
}

// Qt 6.4 seeks to the start of a new bell right after it begins to open it, from the window's
// thread, while the pipeline's streaming thread may be adding the sound output. Two faults
// followed from that seek:
// - The seek holds the output's state lock on its way to the decoder and waits there for the
//   streaming thread; that thread, adding the output, waits for the same lock to start it. The
//   player, and with it the window and every later bell, stopped for good. A recording that has
//   not opened yet starts at its beginning anyway, so the seek goes no further.
// - Sent once the decoder is linked but before the length is known, the seek asked to stop at
//   the length read at that moment, 0: the sink got nothing, and the bell "ended" within a tenth
//   of a second, unheard. No seek of this player means to play nothing, so such a seek is sent
//   on with no end.
GstPadProbeReturn guardSeek(GstPad*, GstPadProbeInfo* info, gpointer sink) {
    GstEvent* seek = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(seek) != GST_EVENT_SEEK)
        return GST_PAD_PROBE_OK;
    if (!opened(static_cast<GstElement*>(sink)))
        return GST_PAD_PROBE_DROP; // the sender is told the seek was handled
    gdouble rate = 1.0;
    GstFormat format = GST_FORMAT_UNDEFINED;
    GstSeekFlags flags = GST_SEEK_FLAG_NONE;
    GstSeekType startType = GST_SEEK_TYPE_NONE;
    GstSeekType stopType = GST_SEEK_TYPE_NONE;
    gint64 start = 0;
    gint64 stop = 0;
    gst_event_parse_seek(seek, &rate, &format, &flags, &startType, &start, &stopType, &stop);
    if (rate <= 0.0 || stopType != GST_SEEK_TYPE_SET || stop != 0)
        return GST_PAD_PROBE_OK;
    GstEvent* open = gst_event_new_seek(rate, format, flags, startType, start, GST_SEEK_TYPE_SET,
                                        -1); // the end
    gst_event_set_seqnum(open, gst_event_get_seqnum(seek));
    gst_event_unref(seek);
    GST_PAD_PROBE_INFO_DATA(info) = open;
    return GST_PAD_PROBE_OK;
}

// Seeks reach the pipeline's sources through its sinks. The probe lives on the sink's own pad,
// so the sink outlives it.
void guard(GstElement* sink) {
    if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_UPSTREAM, guardSeek, sink, nullptr);
        gst_object_unref(pad);
    }
}

} // namespace

void guardSeeks() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (gst_init_check(nullptr, nullptr, nullptr))
            onEverySinkAdded(guard);
    });
}

} // namespace chimewick
