// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>

namespace chimewick {

// The ring's lines to standard error: qCInfo(ringCategory) << ...; main makes them read
// "chimewick: ...", and QT_LOGGING_RULES can still quieten "chimewick.ring" alone.
Q_DECLARE_LOGGING_CATEGORY(ringCategory)

} // namespace chimewick
