// A notification server for the tests: owns org.freedesktop.Notifications on the session
// bus named by DBUS_SESSION_BUS_ADDRESS and appends one line per Notify call to the file
// given as its argument: "<urgency>\t<summary>\t<body>" (urgency -1 when the hint is
// missing). Prints "ready" once it owns the name; runs until it is killed.

#include <systemd/sd-bus.h>

#include <cstdio>
#include <string>

namespace {

const char* gRecordPath = nullptr;

int ReadUrgency(sd_bus_message* message) {
  int urgency = -1;
  if (sd_bus_message_enter_container(message, 'a', "{sv}") < 0) return -2;
  while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
    const char* key = nullptr;
    sd_bus_message_read(message, "s", &key);
    if (std::string(key) == "urgency") {
      std::uint8_t value = 0;
      sd_bus_message_enter_container(message, 'v', "y");
      sd_bus_message_read(message, "y", &value);
      sd_bus_message_exit_container(message);
      urgency = value;
    } else {
      sd_bus_message_skip(message, "v");
    }
    sd_bus_message_exit_container(message);
  }
  sd_bus_message_exit_container(message);
  return urgency;
}

int OnNotify(sd_bus_message* message, void*, sd_bus_error*) {
  const char *app = nullptr, *icon = nullptr, *summary = nullptr, *body = nullptr;
  std::uint32_t replaces = 0;
  if (sd_bus_message_read(message, "susss", &app, &replaces, &icon, &summary, &body) < 0) return -22;
  sd_bus_message_skip(message, "as");
  const int urgency = ReadUrgency(message);
  if (FILE* record = std::fopen(gRecordPath, "a")) {
    std::fprintf(record, "%d\t%s\t%s\n", urgency, summary, body);
    std::fclose(record);
  }
  return sd_bus_reply_method_return(message, "u", 1u);
}

const sd_bus_vtable kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", OnNotify, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  gRecordPath = argv[1];
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return 1;
  if (sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                               kVtable, nullptr) < 0 ||
      sd_bus_request_name(bus, "org.freedesktop.Notifications", 0) < 0)
    return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    const int r = sd_bus_process(bus, nullptr);
    if (r < 0) return 1;
    if (r == 0 && sd_bus_wait(bus, UINT64_MAX) < 0) return 1;
  }
}
