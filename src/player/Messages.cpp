// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Messages.h"

namespace chimewick {

Q_LOGGING_CATEGORY(messages, "chimewick")

} // namespace chimewick
