#include "app/Notice.h"

#include "desktop/Notification.h"
#include "platform/ProgramLocation.h"

namespace velkor {

void NotifyDesktop(const std::string& summary, const std::string& body, bool failure) {
  if constexpr (!platform::kWindows)
    desktop::Notify(summary, body, failure ? desktop::Urgency::Critical : desktop::Urgency::Normal);
}

}  // namespace velkor
