// Built when no D-Bus library was found: outcomes are reported on stderr only.

#include "desktop/Notification.h"

namespace velkor::desktop {

bool Notify(const std::string&, const std::string&, Urgency) { return false; }

}  // namespace velkor::desktop
