#include "desktop/Notification.h"

#include <dlfcn.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include <cstdint>
#include <memory>

#include "base/Utf8.h"

namespace velkor::desktop {
namespace {

constexpr std::uint64_t kTimeoutMicroseconds = 2'000'000;

// The sd-bus functions, from libsystemd loaded when the first notification is sent. The
// program is not linked with it: loading it at start-up (with the half dozen libraries it
// brings) would cost every command a third of a millisecond, and only --notify uses it.
struct SdBus {
  decltype(&sd_bus_open_user) open_user = nullptr;
  decltype(&sd_bus_close) close = nullptr;
  decltype(&sd_bus_unref) unref = nullptr;
  decltype(&sd_bus_message_new_method_call) message_new_method_call = nullptr;
  decltype(&sd_bus_message_append) message_append = nullptr;
  decltype(&sd_bus_message_unref) message_unref = nullptr;
  decltype(&sd_bus_message_is_method_error) message_is_method_error = nullptr;
  decltype(&sd_bus_call_async) call_async = nullptr;
  decltype(&sd_bus_slot_unref) slot_unref = nullptr;
  decltype(&sd_bus_process) process = nullptr;
  decltype(&sd_bus_wait) wait = nullptr;
};

template <class Function>
bool Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

// Null when libsystemd cannot be loaded: no notifications then, as without a session bus.
// The library stays loaded until the process ends.
const SdBus* Bus() {
  static const SdBus* const loaded = []() -> const SdBus* {
    void* library = ::dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    static SdBus bus;
    const bool complete =
        Resolve(library, "sd_bus_open_user", bus.open_user) &&
        Resolve(library, "sd_bus_close", bus.close) && Resolve(library, "sd_bus_unref", bus.unref) &&
        Resolve(library, "sd_bus_message_new_method_call", bus.message_new_method_call) &&
        Resolve(library, "sd_bus_message_append", bus.message_append) &&
        Resolve(library, "sd_bus_message_unref", bus.message_unref) &&
        Resolve(library, "sd_bus_message_is_method_error", bus.message_is_method_error) &&
        Resolve(library, "sd_bus_call_async", bus.call_async) && Resolve(library, "sd_bus_slot_unref", bus.slot_unref) &&
        Resolve(library, "sd_bus_process", bus.process) && Resolve(library, "sd_bus_wait", bus.wait);
    return complete ? &bus : nullptr;
  }();
  return loaded;
}

// Closes without flushing: the call either was answered (so everything was written) or has
// run out of time, and flushing to a server that does not read would wait with no deadline.
struct BusCloser {
  void operator()(sd_bus* bus) const {
    Bus()->close(bus);
    Bus()->unref(bus);
  }
};
struct MessageReleaser {
  void operator()(sd_bus_message* message) const { Bus()->message_unref(message); }
};
struct SlotReleaser {
  void operator()(sd_bus_slot* slot) const { Bus()->slot_unref(slot); }
};

std::uint64_t Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000;
}

// The reply's arrival: 1 answered, -1 failed, 0 still waiting.
int OnReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  *static_cast<int*>(userdata) = Bus()->message_is_method_error(reply, nullptr) ? -1 : 1;
  return 0;
}

// The body as the servers read it: a small markup language where "&", "<" and ">" have a
// meaning, so they are written as entities (a file named "a&b" stays "a&b"). D-Bus carries
// only UTF-8: a byte that is not becomes U+FFFD instead of the message being refused.
std::string BodyMarkup(const std::string& text) {
  std::string markup;
  for (const char c : WithValidUtf8(text)) {
    if (c == '&') markup += "&amp;";
    else if (c == '<') markup += "&lt;";
    else if (c == '>') markup += "&gt;";
    else markup += c;
  }
  return markup;
}

}  // namespace

bool Notify(const std::string& summary, const std::string& body, Urgency urgency) {
  const SdBus* sd = Bus();
  if (sd == nullptr) return false;
  sd_bus* rawBus = nullptr;
  if (sd->open_user(&rawBus) < 0) return false;
  const std::unique_ptr<sd_bus, BusCloser> bus(rawBus);

  sd_bus_message* rawMessage = nullptr;
  if (sd->message_new_method_call(bus.get(), &rawMessage, "org.freedesktop.Notifications",
                                     "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                                     "Notify") < 0)
    return false;
  const std::unique_ptr<sd_bus_message, MessageReleaser> message(rawMessage);
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout.
  const std::uint8_t level = urgency == Urgency::Critical ? 2 : 1;
  if (sd->message_append(message.get(), "susssasa{sv}i", "Velkor", 0u, "", WithValidUtf8(summary).c_str(),
                            BodyMarkup(body).c_str(), 0, 1,
                            "urgency", "y", level, -1) < 0)
    return false;

  // Connecting, authenticating and the call share one deadline, so an address that leads
  // nowhere useful never holds the command up for long.
  int answered = 0;
  sd_bus_slot* rawSlot = nullptr;
  if (sd->call_async(bus.get(), &rawSlot, message.get(), &OnReply, &answered, kTimeoutMicroseconds) < 0)
    return false;
  const std::unique_ptr<sd_bus_slot, SlotReleaser> slot(rawSlot);
  const std::uint64_t deadline = Now() + kTimeoutMicroseconds;
  while (answered == 0) {
    const int processed = sd->process(bus.get(), nullptr);
    if (processed < 0) return false;
    if (processed > 0) continue;
    const std::uint64_t now = Now();
    if (now >= deadline) return false;
    if (sd->wait(bus.get(), deadline - now) < 0) return false;
  }
  return answered > 0;
}

}  // namespace velkor::desktop
