// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <pulse/pulseaudio.h>

namespace chimewick {

// The program's clients of the sound server: one name for the server's lists, and a context
// that never starts a server of its own.

// A new context on the loop, connecting, with its state reported to notify. Null if it could
// not even start connecting, with the server's error code in *error when one is given, or 0
// when no context could be made at all. Call with the loop's lock held.
pa_context* connectProgramContext(pa_threaded_mainloop* loop, pa_context_notify_cb_t notify,
                                  void* userdata, int* error = nullptr);

// Disconnects and frees the context, after which it reports nothing; call with the loop's lock
// held. Null is allowed.
void dropContext(pa_context*& context);

// A loop whose thread runs the server's callbacks, started; null if it could not start.
pa_threaded_mainloop* startLoop();

// Ends the loop's thread first, so that no callback outlives its owner; then runs
// dropOthers for what the owner opened on the context, drops the context and frees the loop.
// Null is allowed.
void endLoop(pa_threaded_mainloop*& loop, pa_context*& context,
             const std::function<void()>& dropOthers = {});

// Has the context report the changes the mask names to onChange; call once it is ready.
void subscribe(pa_context* context, pa_subscription_mask_t mask, pa_context_subscribe_cb_t onChange,
               void* userdata);

// Lets go of an operation whose answer comes to its callback; null is allowed.
void letGo(pa_operation* operation);

} // namespace chimewick
