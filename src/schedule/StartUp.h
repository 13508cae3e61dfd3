// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace chimewick {

class ActionTable;
class Clock;

// Applies the profile of the current weekday once, at start. Three separate tests, each
// reading the calendar for itself: a start in the last instant of a Monday applies
// "Monday Thursday" and then "Tuesday Wednesday". Saturday and Sunday apply nothing.
void formLoad(const Clock& clock, const ActionTable& actions);

} // namespace chimewick
