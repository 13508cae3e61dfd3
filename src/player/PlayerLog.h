// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>

namespace chimewick {

// The player's lines to standard error: qCWarning(playerLog) << ...; main makes them read
// "chimewick: ...", and QT_LOGGING_RULES can still quieten "chimewick.player" alone.
Q_DECLARE_LOGGING_CATEGORY(playerLog)

} // namespace chimewick
