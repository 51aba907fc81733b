#include "desktop/Notification.h"

#include <systemd/sd-bus.h>
#include <time.h>

#include <cstdint>
#include <memory>

namespace velkor::desktop {
namespace {

constexpr std::uint64_t kTimeoutMicroseconds = 2'000'000;

struct BusCloser {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageReleaser {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct SlotReleaser {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};

std::uint64_t Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000;
}

// The reply's arrival: 1 answered, -1 failed, 0 still waiting.
int OnReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  *static_cast<int*>(userdata) = sd_bus_message_is_method_error(reply, nullptr) ? -1 : 1;
  return 0;
}

}  // namespace

bool Notify(const std::string& summary, const std::string& body, Urgency urgency) {
  sd_bus* rawBus = nullptr;
  if (sd_bus_open_user(&rawBus) < 0) return false;
  const std::unique_ptr<sd_bus, BusCloser> bus(rawBus);

  sd_bus_message* rawMessage = nullptr;
  if (sd_bus_message_new_method_call(bus.get(), &rawMessage, "org.freedesktop.Notifications",
                                     "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                                     "Notify") < 0)
    return false;
  const std::unique_ptr<sd_bus_message, MessageReleaser> message(rawMessage);
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout.
  const std::uint8_t level = urgency == Urgency::Critical ? 2 : 1;
  if (sd_bus_message_append(message.get(), "susssasa{sv}i", "Velkor", 0u, "", summary.c_str(), body.c_str(), 0, 1,
                            "urgency", "y", level, -1) < 0)
    return false;

  // Connecting, authenticating and the call share one deadline, so an address that leads
  // nowhere useful never holds the command up for long.
  int answered = 0;
  sd_bus_slot* rawSlot = nullptr;
  if (sd_bus_call_async(bus.get(), &rawSlot, message.get(), &OnReply, &answered, kTimeoutMicroseconds) < 0)
    return false;
  const std::unique_ptr<sd_bus_slot, SlotReleaser> slot(rawSlot);
  const std::uint64_t deadline = Now() + kTimeoutMicroseconds;
  while (answered == 0) {
    const int processed = sd_bus_process(bus.get(), nullptr);
    if (processed < 0) return false;
    if (processed > 0) continue;
    const std::uint64_t now = Now();
    if (now >= deadline) return false;
    if (sd_bus_wait(bus.get(), deadline - now) < 0) return false;
  }
  return answered > 0;
}

}  // namespace velkor::desktop
