// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

struct pa_threaded_mainloop;
struct pa_context;
typedef void (*pa_context_notify_cb_t)(pa_context* c, void* userdata);

namespace chimewick {

// The program's clients of the sound server: one name for the server's lists, and a context
// that never starts a server of its own.

// A new context on the loop, connecting, with its state reported to notify. Null if it could
// not even start connecting, with the server's error code in error, or 0 when no context could
// be made at all. Call with the loop's lock held.
pa_context* connectProgramContext(pa_threaded_mainloop* loop, pa_context_notify_cb_t notify,
                                  void* userdata, int& error);

// Disconnects and frees the context, after which it reports nothing; call with the loop's lock
// held. Null is allowed.
void dropContext(pa_context*& context);

} // namespace chimewick
