// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PlayerLog.h"

namespace chimewick {

Q_LOGGING_CATEGORY(playerLog, "chimewick.player")

} // namespace chimewick
