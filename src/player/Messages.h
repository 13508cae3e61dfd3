// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>

namespace chimewick {

// The program's one way to standard error: qCWarning(messages) << ...; the line reads
// "chimewick: ..." under the message pattern that main sets.
Q_DECLARE_LOGGING_CATEGORY(messages)

} // namespace chimewick
