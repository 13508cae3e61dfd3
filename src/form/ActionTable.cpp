// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ActionTable.h"

#include <utility>

namespace chimewick {

void ActionTable::add(std::string name, Action action) {
    if (!action)
        throw std::invalid_argument("action '" + name + "' has no body");
    auto [it, inserted] = actions_.try_emplace(std::move(name), std::move(action));
    if (!inserted)
        throw std::invalid_argument("action '" + it->first + "' is registered twice");
}

bool ActionTable::contains(std::string_view name) const {
    return actions_.contains(name);
}

const ActionTable::Action& ActionTable::find(std::string_view name) const {
    auto it = actions_.find(name);
    if (it == actions_.end())
        throw UnknownActionError("no action named '" + std::string(name) + "'");
    return it->second;
}

std::vector<std::string> ActionTable::names() const {
    std::vector<std::string> result;
    result.reserve(actions_.size());
    for (const auto& entry : actions_)
        result.push_back(entry.first);
    return result;
}

} // namespace chimewick
