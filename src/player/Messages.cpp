#include "Messages.h"

namespace chimewick {

Q_LOGGING_CATEGORY(messages, "chimewick")

} // namespace chimewick
