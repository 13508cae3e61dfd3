// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <gst/gst.h>

namespace chimewick {

// From now on, calls onSink with every sink element that any bin of the process takes in: the
// only way to reach the elements of Qt's pipeline. It runs on GStreamer's threads; a sink
// inside a bin such as autoaudiosink is seen in its turn. GStreamer must be initialised.
void onEverySinkAdded(void (*onSink)(GstElement*));

} // namespace chimewick
