// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PipelineSinks.h"

namespace chimewick {
namespace {

struct SinkCallback {
    void (*onSink)(GstElement*);
};

gboolean onElementAdded(GSignalInvocationHint*, guint count, const GValue* values, gpointer data) {
    if (count < 2 || !G_VALUE_HOLDS_OBJECT(&values[1]))
        return TRUE;
    auto* element = GST_ELEMENT(g_value_get_object(&values[1]));
    if (element && !GST_IS_BIN(element) && GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK))
        static_cast<const SinkCallback*>(data)->onSink(element);
    return TRUE; // stay installed
}

} // namespace

void onEverySinkAdded(void (*onSink)(GstElement*)) {
    g_signal_add_emission_hook(g_signal_lookup("element-added", GST_TYPE_BIN), 0, onElementAdded,
                               new SinkCallback{onSink},
                               [](gpointer data) { delete static_cast<SinkCallback*>(data); });
}

} // namespace chimewick
