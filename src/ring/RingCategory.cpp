// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RingCategory.h"

namespace chimewick {

Q_LOGGING_CATEGORY(ringCategory, "chimewick.ring")

} // namespace chimewick
