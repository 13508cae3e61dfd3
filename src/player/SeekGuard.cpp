// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SeekGuard.h"

#include "PipelineSinks.h"

#include <gst/gst.h>
#include <mutex>

namespace chimewick {
namespace {

// Qt 6.4's pipeline seeks from a position to the recording's length, read at that moment. Sent
// while a new bell is still opening, once its decoder is linked but before the length is known,
// the seek asks for a segment that ends at 0: the sink gets nothing to play, the bell "ends"
// within a tenth of a second and is never heard. No seek of this player means to play nothing,
// so such a seek is sent on with no end.
GstPadProbeReturn openEmptySeek(GstPad*, GstPadProbeInfo* info, gpointer) {
    GstEvent* seek = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(seek) != GST_EVENT_SEEK)
        return GST_PAD_PROBE_OK;
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

// Seeks reach the pipeline's sources through its sinks.
void guard(GstElement* sink) {
    if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_UPSTREAM, openEmptySeek, nullptr, nullptr);
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
