// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"

#include <string>

namespace chimewick {

// The time of day as the timetable writes it: "hh:mm:ss AM", a two-digit hour on the
// 12-hour clock (12 for the hours from midnight and from noon, never 00). Always ":"
// and "AM"/"PM", whatever the regional settings: every built-in and profile time is
// written so, and another form would silently ring no bell.
std::string clockText(int hour24, int minute, int second);
std::string clockText(const LocalTime& time);

} // namespace chimewick
