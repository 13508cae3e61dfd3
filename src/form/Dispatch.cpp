// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Dispatch.h"

#include <exception>

namespace chimewick {

bool dispatchAction(const ActionTable& actions, std::string_view name,
                    const std::function<void(const std::string& message)>& report) noexcept {
    std::string message;
    try {
        actions.run(name);
        return true;
    } catch (const std::exception& e) {
        message = "action " + std::string(name) + " failed: " + e.what();
    } catch (...) {
        message = "action " + std::string(name) + " failed";
    }
    try {
        if (report)
            report(message);
    } catch (...) {
        // A report that fails must not take the program down with it.
    }
    return false;
}

} // namespace chimewick
