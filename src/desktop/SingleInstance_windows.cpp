// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SingleInstance.h"

namespace chimewick {

QString SingleInstance::serverName() {
    // A named pipe; the user's name keeps users apart, the access option keeps others out.
    return QStringLiteral("chimewick-") + qEnvironmentVariable("USERNAME");
}

} // namespace chimewick
