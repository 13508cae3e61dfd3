// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>

namespace chimewick {

// The window's lines to standard error: qCWarning(guiLog) << ...; main makes them read
// "chimewick: ...", and QT_LOGGING_RULES can still quieten "chimewick.gui" alone.
Q_DECLARE_LOGGING_CATEGORY(guiLog)

} // namespace chimewick
