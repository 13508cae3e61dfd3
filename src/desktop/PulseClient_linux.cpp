// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PulseClient.h"

namespace chimewick {

pa_context* connectProgramContext(pa_threaded_mainloop* loop, pa_context_notify_cb_t notify,
                                  void* userdata, int* error) {
    if (error)
        *error = 0;
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Chimewick");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "chimewick");
    pa_context* context =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), "Chimewick", props);
    pa_proplist_free(props);
    if (!context)
        return nullptr;
    pa_context_set_state_callback(context, notify, userdata);
    // No server is started for the program's sake.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        if (error)
            *error = pa_context_errno(context);
        dropContext(context);
    }
    return context;
}

void dropContext(pa_context*& context) {
    if (!context)
        return;
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    context = nullptr;
}

pa_threaded_mainloop* startLoop() {
    pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
    if (loop && pa_threaded_mainloop_start(loop) < 0) {
        pa_threaded_mainloop_free(loop);
        loop = nullptr;
    }
    return loop;
}

void endLoop(pa_threaded_mainloop*& loop, pa_context*& context,
             const std::function<void()>& dropOthers) {
    if (!loop)
        return;
    pa_threaded_mainloop_stop(loop);
    if (dropOthers)
        dropOthers();
    dropContext(context);
    pa_threaded_mainloop_free(loop);
    loop = nullptr;
}

void subscribe(pa_context* context, pa_subscription_mask_t mask, pa_context_subscribe_cb_t onChange,
               void* userdata) {
    pa_context_set_subscribe_callback(context, onChange, userdata);
    letGo(pa_context_subscribe(context, mask, nullptr, nullptr));
}

void letGo(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

} // namespace chimewick
