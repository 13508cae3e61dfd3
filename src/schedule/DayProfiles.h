// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <span>
#include <string_view>
#include <variant>

namespace chimewick {

class Controls;

// One write of a day profile: a check value (0 or 1) into a check box, or a time text
// into a time box.
struct ProfileWrite {
    std::string_view control;
    std::variant<int, std::string_view> value;
};

// A button whose action writes a fixed, ordered list of values into slot controls.
struct DayProfile {
    std::string_view button;
    std::string_view caption;
    std::span<const ProfileWrite> writes;
};

// "Monday Thursday", "Tuesday Wednesday", "Fryday", "Samithi Day", "2.30 PM Day",
// "3.30 PM Day".
std::span<const DayProfile> dayProfiles();
const DayProfile& dayProfileOfButton(std::string_view button);

// Writes the profile's values in order; a failing write stops it there, the earlier
// writes staying made.
void applyProfile(const DayProfile& profile, Controls& controls);

// The "active" box: opens or closes the lock on "Samithi Day" and "2.30 PM Day".
void ck4Click(Controls& controls);

} // namespace chimewick
