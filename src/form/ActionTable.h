// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace chimewick {

// Raised when an action is looked up by a name that nothing registered.
class UnknownActionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Every action the window can run, by its name ("cmd1_Click", "Timer1_Timer"), so that
// the window binds its events from data rather than from code.
class ActionTable {
public:
    using Action = std::function<void()>;

    // Registering a name twice is a programming error and throws.
    void add(std::string name, Action action);

    bool contains(std::string_view name) const;
    const Action& find(std::string_view name) const;
    void run(std::string_view name) const { find(name)(); }
    std::vector<std::string> names() const;

private:
    std::map<std::string, Action, std::less<>> actions_;
};

} // namespace chimewick
