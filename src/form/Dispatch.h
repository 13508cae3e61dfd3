// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ActionTable.h"

#include <functional>
#include <string>
#include <string_view>

namespace chimewick {

// Runs the action bound to an event. A failure escaping the action is caught here,
// where the event is dispatched, and reported: the steps before it keep their effect and
// the program goes on, because a bell program that quits rings no more bells.
// Returns whether the action ran to its end.
bool dispatchAction(const ActionTable& actions, std::string_view name,
                    const std::function<void(const std::string& message)>& report) noexcept;

} // namespace chimewick
