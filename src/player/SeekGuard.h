// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace chimewick {

// Once per process, before the player builds its pipeline: from then on a forward seek that
// reaches a sink asking to stop at 0 is sent on as a seek to the end of the recording.
void guardSeeks();

} // namespace chimewick
