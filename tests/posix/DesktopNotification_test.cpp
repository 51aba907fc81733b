#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"

namespace velkor {
namespace {

using test::Installed;
using Words = std::vector<std::string>;

// A command on a private session bus (dbus-run-session); `calls` gets the arguments of each
// Notify call as dbus-monitor prints them. Signals that the monitor must see mark its start
// and the end of what the command sent.
test::RunResult RunOnPrivateBus(const test::CliHome& home, const Words& command, std::string& calls) {
  const std::string log = home / "bus.txt";
  const std::string script = ": >'" + log + "'\n"
                             "dbus-monitor --session interface=org.freedesktop.Notifications >>'" + log + "' 2>&1 &\n"
                             "mark() {\n"
                             "  until grep -q member=$1 '" + log + "'; do\n"
                             "    dbus-send --session --type=signal / org.freedesktop.Notifications.$1; sleep 0.05\n"
                             "  done\n"
                             "}\n"
                             "mark Ready; \"$@\"; status=$?; mark End; kill $!; exit $status\n";
  Words words = {"20", "dbus-run-session", "--", "sh", "-c", script, "sh"};
  words.insert(words.end(), command.begin(), command.end());
  const auto run = test::RunVelkor(words, home.path(), {}, "/usr/bin/timeout");
  std::istringstream in(test::ReadText(log));
  bool inCall = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("   ", 0) != 0) inCall = line.find("member=Notify") != std::string::npos;
    else if (inCall) calls += line + "\n";
  }
  std::filesystem::remove(log);
  return run;
}

// The arguments of a Notify call: application, replaced id, icon, summary, body, no actions,
// the urgency hint (1 normal, 2 critical), the server's default timeout.
std::string NotifyCall(const std::string& summary, const std::string& body, int urgency) {
  return "   string \"Velkor\"\n   uint32 0\n   string \"\"\n   string \"" + summary + "\"\n   string \"" + body +
         "\"\n   array [\n   ]\n   array [\n      dict entry(\n         string \"urgency\"\n"
         "         variant             byte " + std::to_string(urgency) + "\n      )\n   ]\n   int32 -1\n";
}

class DesktopNotificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef VELKOR_NOTIFIES
    GTEST_SKIP() << "built without libsystemd";
#endif
    if (!Installed("dbus-daemon") || !Installed("dbus-run-session") || !Installed("dbus-monitor"))
      GTEST_SKIP() << "needs dbus (dbus-daemon, dbus-run-session, dbus-monitor)";
  }
  std::string Car(const std::string& folder) { return home.PutCar(folder, sample::RoadsterCar()); }
  test::CliHome home;
};

// A file-manager script's refusal reaches the desktop through Velkor itself (no other
// notification program is needed).
TEST_F(DesktopNotificationTest, FailuresRefusalsAndInstallationsReachTheDesktopOnlyWithNotify) {
  ASSERT_EQ(home.Run({"--setup"}).exitStatus, 0);
  // The body is markup for the server: a name's "&", "<" and ">" arrive as entities.
  const std::string missing = home / "no such/<b>R&D</b>.viv", car = Car("my cars/Road ster");
  const std::string missingMarkup = home / "no such/&lt;b&gt;R&amp;D&lt;/b&gt;.viv";
  const std::string velkor = home.Program(), notes = home / "notes.doc";
  test::WriteText(notes, "not a car");
  const std::vector<std::tuple<Words, int, std::string>> cases = {
      {{velkor, "--notify", "/e", missing}, 1,
       NotifyCall("Velkor failed", "cannot open '" + missingMarkup + "': No such file or directory", 2)},
      {{velkor, "/e", missing}, 1, ""},
      {{home / ".local/share/nautilus/scripts/Velkor/Convert to NFS4", notes}, 1,
       NotifyCall("Velkor failed",
                  "'" + notes + "' is not something 'Convert to NFS4' applies to; it was left as it is", 2)},
      {{velkor, "/ci4", Car("other cars/Quiet one")}, 0, ""},
      // Both are the sample car: the second one's serial number is taken, which is said too.
      {{velkor, "--notify", "/ci4", car}, 0,
       NotifyCall("Velkor installed Road ster",
                  "'Road ster' is in NFS4's cars: " + home.Nfs4Cars() + "/Road ster/car.viv", 1) +
           NotifyCall("Velkor: serial number shared",
                      "'Road ster' has the serial number 7301, which the NFS4 car 'Quiet one' also has; the game "
                      "may then show the wrong car or crash: give one of them another serial number (label 0 of "
                      "its carp.txt)",
                      1)},
  };
  for (const auto& [command, status, expected] : cases) {
    SCOPED_TRACE(command[0] + " " + command[1]);
    const auto before = test::Snapshot(home.path());
    std::string calls;
    const auto run = RunOnPrivateBus(home, command, calls);
    EXPECT_EQ(run.exitStatus, status) << run.err;
    EXPECT_EQ(calls, expected);
    if (status != 0) {
      EXPECT_EQ(test::Snapshot(home.path()), before) << "a failure writes nothing";
    }
  }
  EXPECT_TRUE(test::PathExists(home.Nfs4Cars() + "/Quiet one/car.viv"));
}

// A session bus whose daemon is stopped still accepts connections (the kernel queues them)
// but never answers: the notification gives up, closing included, and the command ends.
TEST_F(DesktopNotificationTest, AStoppedBusHoldsTheCommandUpOnlyBriefly) {
  const std::string socket = home / "bus";
  FILE* started = ::popen(("dbus-daemon --session --fork --print-pid --address=unix:path='" + socket + "'").c_str(), "r");
  ASSERT_NE(started, nullptr);
  int pid = 0;
  const bool read = std::fscanf(started, "%d", &pid) == 1;
  ::pclose(started);
  ASSERT_TRUE(read && pid > 0);
  struct Daemon {
    int pid;
    ~Daemon() { ::kill(pid, SIGCONT), ::kill(pid, SIGTERM); }
  } daemon{pid};
  ASSERT_EQ(::kill(pid, SIGSTOP), 0);

  // 124 from timeout: still waiting for the bus long after the notification's own deadline.
  const auto run = test::RunVelkor({"20", home.Program(), "--notify", "/e", home / "missing.viv"}, home.path(),
                                   {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket}}, "/usr/bin/timeout");
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_NE(run.err.find("missing.viv"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace velkor
