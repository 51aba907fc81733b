// The file-manager entries as the file managers read them: each entry's command is expanded
// by a small expander written from its format's documentation (desktop entries' Exec
// quoting and field codes, Nemo's %F with Quote=double, Thunar's %f, Nautilus's environment)
// and run; the MIME types are checked with the desktop's own tools, the notifications on a
// private session bus watched by dbus-monitor.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <tuple>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

using Words = std::vector<std::string>;

bool Installed(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A key file's string value with its escapes (\\ \s \n \t \r) resolved.
std::string KeyFileString(const std::string& raw) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char e = raw[i] == '\\' && i + 1 < raw.size() ? raw[++i] : 0;
    out += e == 0 ? raw[i] : e == 's' ? ' ' : e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
  }
  return out;
}

// The value of `key` in `group` of a key file, escapes resolved; "" when there is none.
std::string KeyFileValue(const std::string& path, const std::string& group, const std::string& key) {
  std::istringstream in(test::ReadText(path));
  std::string current;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') current = line.substr(1, line.size() - 2);
    else if (current == group && line.rfind(key + "=", 0) == 0) return KeyFileString(line.substr(key.size() + 1));
  }
  return "";
}

// A command with its one "%x" code replaced by `value`, "%%" by "%". The file managers then split
// it with g_shell_parse_argv, which quotes and escapes as the shell does.
std::string Expand(const std::string& command, char code, const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < command.size(); ++i) {
    if (command[i] != '%') out += command[i];
    else out += command[++i] == code ? value : command[i] == '%' ? "%" : "<unknown code>";
  }
  return out;
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class DesktopIntegrationTest : public ::testing::Test {
 protected:
  test::RunResult Run(const std::string& commandLine) {
    return test::RunVelkor({"-c", commandLine}, home.path(), {}, "/bin/sh");
  }
  std::string Data(const std::string& name) const { return home / ".local/share/" + name; }
  std::string Config(const std::string& name) const { return home / ".config/" + name; }
  // The sample car's archive, or one of its members, in a folder of its own.
  std::string Car(const std::string& folder, const std::string& name = "car.viv") {
    const auto car = sample::RoadsterCar();
    test::MakeFolder(home / folder);
    test::WriteBytes(home / folder + "/" + name,
                     name == "car.viv" ? sample::PackArchive(car) : test::MemberOf(car, name));
    return home / folder + "/" + name;
  }
  std::string ThunarCommandOf(const std::string& uniqueId) {
    pugi::xml_document doc;
    doc.load_file(Config("Thunar/uca.xml").c_str());
    for (pugi::xml_node action : doc.child("actions").children("action"))
      if (std::string(action.child_value("unique-id")) == uniqueId) return action.child_value("command");
    return "";
  }

  test::CliHome home;
};

TEST_F(DesktopIntegrationTest, EveryKindOfEntryRunsItsVerbOnPathsWithBlanks) {
  const auto setup = home.Run({"--setup"});
  ASSERT_EQ(setup.exitStatus, 0) << setup.err;
  const std::string entry = Data("applications/velkor.desktop");
  test::MakeFolder(home / "pack me");
  test::WriteText(home / "pack me/carp.txt", "x");
  // Desktop entries and Dolphin's service menus: %f is the path as one word; Nemo: %F the paths,
  // each in double quotes (Quote=double); Thunar: %f the shell-quoted path.
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"desktop entry (extract)",
       Expand(KeyFileValue(entry, "Desktop Entry", "Exec"), 'f', ShellQuoted(Car("car one"))),
       home / "car one/car/car.fce"},
      {"desktop action (convert to NFS4)",
       Expand(KeyFileValue(entry, "Desktop Action convert4", "Exec"), 'f', ShellQuoted(Car("car two"))),
       home / "car two/car.vi4"},
      {"Dolphin (pack)",
       Expand(KeyFileValue(Data("kio/servicemenus/velkor-folder.desktop"), "Desktop Action pack", "Exec"), 'f',
              ShellQuoted(home / "pack me")),
       home / "pack me.viv"},
      {"Nemo (model to NFS4)",
       Expand(KeyFileValue(Data("nemo/actions/velkor-fcefile-convert4.nemo_action"), "Nemo Action", "Exec"), 'F',
              "\"" + Car("loose one", "car.fce") + "\""),
       home / "loose one/car.fc4"},
      {"Thunar (install into NFS4)",
       Expand(ThunarCommandOf("velkor-convertinstall4"), 'f', ShellQuoted(Car("my cars/Road ster"))),
       home.Nfs4Cars() + "/Road ster/car.viv"},
  };
  for (const auto& [what, command, expected] : cases) {
    EXPECT_EQ(command.find("<unknown code>"), std::string::npos) << command;
    const auto run = Run(command);
    EXPECT_EQ(run.exitStatus, 0) << what << ": " << command << "\n" << run.err;
    EXPECT_TRUE(test::PathExists(expected)) << what << ": " << expected;
  }

  // Nautilus and Caja: every selected path the verb fits is converted, any other reported.
  test::WriteText(home / "notes.doc", "not a model");
  for (const auto& [script, variable, model] :
       {std::tuple{Data("nautilus/scripts/Velkor/Convert to NFS4"), "NAUTILUS_SCRIPT_SELECTED_FILE_PATHS",
                   Car("loose two", "car.fce")},
        std::tuple{Config("caja/scripts/Velkor/Convert to NFS4"), "CAJA_SCRIPT_SELECTED_FILE_PATHS",
                   Car("loose three", "car.fce")}}) {
    const auto run = test::RunVelkor({}, home.path(), {{variable, model + "\n" + (home / "notes.doc") + "\n"}}, script);
    EXPECT_EQ(run.exitStatus, 1) << script;
    EXPECT_TRUE(test::PathExists(model.substr(0, model.size() - 1) + "4")) << script << run.err;
    EXPECT_NE(run.err.find("'" + (home / "notes.doc") + "'"), std::string::npos) << run.err;
    EXPECT_FALSE(test::PathExists(home / "notes.do4"));
  }
}

TEST_F(DesktopIntegrationTest, ArchivesAreViv) {
  if (!Installed("gio") || !Installed("update-mime-database") || !Installed("desktop-file-validate"))
    GTEST_SKIP() << "needs gio (libglib2.0-bin), shared-mime-info and desktop-file-utils";
  ASSERT_EQ(home.Run({"--setup"}).exitStatus, 0);
  EXPECT_EQ(std::system(("desktop-file-validate '" + Data("applications/velkor.desktop") + "'").c_str()), 0);
  test::WriteText(home / "car.viv", "BIGF");
  test::WriteText(home / "CAR.VIV", "BIGF");
  const std::string command = "cd '" + home.path() + "' && XDG_DATA_HOME='" + Data("") + "' XDG_DATA_DIRS=/usr/share " +
                              "gio info -a standard::content-type car.viv CAR.VIV > types.txt 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << test::ReadText(home / "types.txt");
  const std::string types = test::ReadText(home / "types.txt"), viv = "content-type: application/x-viv\n";
  EXPECT_NE(types.find(viv), types.rfind(viv)) << "both names are archives: " << types;
}

TEST_F(DesktopIntegrationTest, SetupAgainReplacesAndUnregisterRemovesKeepingTheUsersOwn) {
  const std::string userAction =
      "<action><icon>utilities-terminal</icon><name>Open Terminal Here</name>"
      "<unique-id>1431136020265634-1</unique-id><command>xterm -e 'cd %f &amp;&amp; sh'</command>"
      "<description>mine</description><patterns>*</patterns><directories/></action>";
  test::MakeFolder(Config("Thunar"));
  test::WriteText(Config("Thunar/uca.xml"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- my actions -->\n"
                                            "<actions>" + userAction + "</actions>\n");
  test::MakeFolder(Data("nemo/actions"));
  test::WriteText(Data("nemo/actions/other.nemo_action"), "[Nemo Action]\n");

  // The user's actions as written, and how many of Velkor's there are.
  auto thunarActions = [&] {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(Config("Thunar/uca.xml").c_str(), pugi::parse_default | pugi::parse_comments));
    EXPECT_STREQ(doc.first_child().value(), " my actions ");
    std::pair<Words, int> actions;
    for (pugi::xml_node action : doc.child("actions").children("action")) {
      std::ostringstream text;
      action.print(text, "", pugi::format_raw);
      if (std::string(action.child_value("unique-id")).rfind("velkor-", 0) == 0) ++actions.second;
      else actions.first.push_back(text.str());
    }
    return actions;
  };
  const auto count = [](const std::string& folder) { return test::ListNames(folder).size(); };
  for (int setup = 0; setup < 2; ++setup) {
    ASSERT_EQ(home.Run({"--setup"}).exitStatus, 0);
    EXPECT_EQ(thunarActions(), std::pair(Words{userAction}, 6));
    EXPECT_EQ(count(Data("nemo/actions")), 25u);
    EXPECT_EQ(count(Data("kio/servicemenus")), 11u);
  }

  const auto run = home.Run({"--unregister"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(thunarActions(), std::pair(Words{userAction}, 0));
  EXPECT_EQ(test::ListNames(Data("nemo/actions")), Words{"other.nemo_action"});
  for (const std::string& gone : {Data("kio/servicemenus/velkor-vivfile.desktop"), Data("applications/velkor.desktop"),
                                  Data("mime/packages/velkor.xml"), Data("nautilus/scripts/Velkor"),
                                  Config("caja/scripts/Velkor")})
    EXPECT_FALSE(test::PathExists(gone)) << gone;
  const std::string registry = test::ReadText(home.Store());
  EXPECT_EQ(registry.find("\\shell\\"), std::string::npos) << registry;
  EXPECT_NE(registry.find("[HKEY_CLASSES_ROOT\\.viv]\n@=\"vivfile\""), std::string::npos) << registry;
  EXPECT_NE(registry.find("\"Installed\"=dword:00000001"), std::string::npos) << registry;
  EXPECT_TRUE(test::PathExists(home.Data() + "/dash.fsh"));

  // A Thunar file that does not parse is left alone, with a warning.
  const std::string broken = "<actions><action><name>half written";
  test::WriteText(Config("Thunar/uca.xml"), broken);
  const auto setup = home.Run({"--setup"});
  EXPECT_EQ(setup.exitStatus, 0);
  EXPECT_NE(setup.err.find("velkor: warning: '" + Config("Thunar/uca.xml") + "' is not a Thunar actions file"),
            std::string::npos) << setup.err;
  EXPECT_EQ(test::ReadText(Config("Thunar/uca.xml")), broken);
}

// The program on a private session bus (dbus-run-session); `calls` gets the arguments of each
// Notify call as dbus-monitor prints them. Signals that the monitor must see mark its start
// and the end of what the program sent.
test::RunResult RunOnPrivateBus(const test::CliHome& home, const Words& args, std::string& calls) {
  const std::string log = home / "bus.txt";
  const std::string script = ": >'" + log + "'\n"
                             "dbus-monitor --session interface=org.freedesktop.Notifications >>'" + log + "' 2>&1 &\n"
                             "mark() {\n"
                             "  until grep -q member=$1 '" + log + "'; do\n"
                             "    dbus-send --session --type=signal / org.freedesktop.Notifications.$1; sleep 0.05\n"
                             "  done\n"
                             "}\n"
                             "mark Ready; \"$@\"; status=$?; mark End; kill $!; exit $status\n";
  Words words = {"20", "dbus-run-session", "--", "sh", "-c", script, "sh", home.Program()};
  words.insert(words.end(), args.begin(), args.end());
  const auto run = test::RunVelkor(words, home.path(), {}, "/usr/bin/timeout");
  std::istringstream in(test::ReadText(log));
  bool inCall = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("   ", 0) != 0) inCall = line.find("member=Notify") != std::string::npos;
    else if (inCall) calls += line + "\n";
  }
  return run;
}

// The arguments of a Notify call: application, replaced id, icon, summary, body, no actions,
// the urgency hint (1 normal, 2 critical), the server's default timeout.
std::string NotifyCall(const std::string& summary, const std::string& body, int urgency) {
  return "   string \"Velkor\"\n   uint32 0\n   string \"\"\n   string \"" + summary + "\"\n   string \"" + body +
         "\"\n   array [\n   ]\n   array [\n      dict entry(\n         string \"urgency\"\n"
         "         variant             byte " + std::to_string(urgency) + "\n      )\n   ]\n   int32 -1\n";
}

TEST_F(DesktopIntegrationTest, FailuresAndInstallationsReachTheDesktopOnlyWithNotify) {
#ifndef VELKOR_NOTIFIES
  GTEST_SKIP() << "built without libsystemd";
#endif
  if (!Installed("dbus-run-session") || !Installed("dbus-monitor")) GTEST_SKIP() << "needs dbus (dbus-run-session)";
  const std::string missing = home / "no such/car.viv", car = Car("my cars/Road ster");
  const std::vector<std::tuple<Words, int, std::string>> cases = {
      {{"--notify", "/e", missing}, 1,
       NotifyCall("Velkor failed", "cannot open '" + missing + "': No such file or directory", 2)},
      {{"/e", missing}, 1, ""},
      {{"--notify", "/ci4", car}, 0,
       NotifyCall("Velkor installed Road ster",
                  "'Road ster' is in NFS4's cars: " + home.Nfs4Cars() + "/Road ster/car.viv", 1)},
  };
  for (const auto& [args, status, expected] : cases) {
    std::string calls;
    const auto run = RunOnPrivateBus(home, args, calls);
    EXPECT_EQ(run.exitStatus, status) << run.err;
    EXPECT_EQ(calls, expected) << args[0];
  }

  // Without a bus the failure is reported on stderr, and soon.
  const auto start = std::chrono::steady_clock::now();
  const auto run = test::RunVelkor({"--notify", "/e", missing}, home.path(),
                                   {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home / "no-bus")}}, home.Program());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err.rfind("velkor: ", 0), 0u) << run.err;
}

TEST_F(DesktopIntegrationTest, AnInstallationWhoseSerialNumberIsTakenWarnsOnTheDesktopToo) {
#ifndef VELKOR_NOTIFIES
  GTEST_SKIP() << "built without libsystemd";
#endif
  if (!Installed("dbus-run-session") || !Installed("dbus-monitor")) GTEST_SKIP() << "needs dbus (dbus-run-session)";
  ASSERT_EQ(home.Run({"/ci4", Car("cars/First")}).exitStatus, 0);
  std::string calls;
  const auto run = RunOnPrivateBus(home, {"--notify", "/ci4", Car("cars/Second")}, calls);
  const std::string warning = "'Second' has the serial number 7301, which the NFS4 car 'First' also has; the game "
                              "may then show the wrong car or crash: give one of them another serial number (label 0 "
                              "of its carp.txt)";
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.err.find("velkor: warning: " + warning + "\n"), std::string::npos) << run.err;
  EXPECT_EQ(calls, NotifyCall("Velkor installed Second",
                              "'Second' is in NFS4's cars: " + home.Nfs4Cars() + "/Second/car.viv", 1) +
                       NotifyCall("Velkor: serial number shared", warning, 1));
}

}  // namespace
}  // namespace velkor
