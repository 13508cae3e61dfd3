// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GuiLog.h"

namespace chimewick {

Q_LOGGING_CATEGORY(guiLog, "chimewick.gui")

} // namespace chimewick
