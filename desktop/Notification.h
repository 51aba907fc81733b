#pragma once

// Desktop notifications (org.freedesktop.Notifications on the session bus), for the outcome
// of a command that a file manager started.

#include <string>

namespace velkor::desktop {

enum class Urgency { Normal, Critical };

// Shows the notification; false when there is no session bus, no notification server
// answers, or Velkor was built without D-Bus. Gives up after about two seconds.
bool Notify(const std::string& summary, const std::string& body, Urgency urgency);

}  // namespace velkor::desktop
