// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DesktopLog.h"

namespace chimewick {

Q_LOGGING_CATEGORY(desktopLog, "chimewick.desktop")

void logDesktopWarning(const QString& line) {
    qCWarning(desktopLog).noquote() << line;
}

} // namespace chimewick
