// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>
#include <QString>

namespace chimewick {

// The desktop integration's lines to standard error: qCWarning(desktopLog) << ...; main makes them
// read "chimewick: ...", and QT_LOGGING_RULES can still quieten "chimewick.desktop" alone.
Q_DECLARE_LOGGING_CATEGORY(desktopLog)

// One warning of the desktop integration's through its category, as written, without quotes:
// the message handler decides where it goes (main's to standard error).
void logDesktopWarning(const QString& line);

} // namespace chimewick
