// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace chimewick {

// Once per process, before the player builds its pipeline: from then on a seek that reaches a
// sink before its pipeline has opened the recording goes no further, and a forward seek asking
// to stop at 0 is sent on as a seek to the end of the recording.
void guardSeeks();

} // namespace chimewick
