// The file-manager entries as the file managers read them: each entry's command is expanded
// by a small expander written from its format's documentation (desktop entries' Exec
// quoting and field codes, Nemo's %F with Quote=double, Thunar's %f, Nautilus's environment)
// and run; the MIME types are checked with the desktop's own tools.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <tuple>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;

bool Installed(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Words as GLib's g_shell_parse_argv and the desktop entry specification split them: blanks
// separate, '...' is literal, inside "..." a backslash escapes $ ` " \ only, outside
// quotes a backslash escapes any character.
std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\'') {
      const std::size_t end = text.find('\'', i + 1);
      word += text.substr(i + 1, end - i - 1);
      i = end;
    } else if (c == '"') {
      for (++i; text[i] != '"'; ++i) {
        if (text[i] == '\\' && std::string("$`\"\\").find(text[i + 1]) != std::string::npos) ++i;
        word += text[i];
      }
    } else if (c == '\\') {
      word += text[++i];
    } else {
      word += c;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// A key file's string value with its escapes (\\ \s \n \t \r) resolved.
std::string KeyFileString(const std::string& raw) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    const char e = raw[++i];
    out += e == 's' ? ' ' : e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
  }
  return out;
}

// Group -> key -> raw value of a key file.
std::map<std::string, std::map<std::string, std::string>> ReadKeyFile(const std::string& path) {
  std::map<std::string, std::map<std::string, std::string>> groups;
  std::string group;
  std::istringstream in(test::ReadText(path));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      group = line.substr(1, line.size() - 2);
    } else {
      const auto eq = line.find('=');
      groups[group][line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return groups;
}

// Replaces each "%x" code through `expand`, "%%" by "%".
std::string ExpandCodes(const std::string& text, const std::map<char, std::string>& codes) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
    } else {
      const char code = text[++i];
      out += code == '%' ? "%" : codes.at(code);
    }
  }
  return out;
}

// A desktop entry's (or service menu's) Exec: split first, then %f alone as a word is the file.
std::vector<std::string> DesktopExec(const std::string& raw, const std::string& file) {
  std::vector<std::string> words = SplitWords(KeyFileString(raw));
  for (std::string& word : words) word = word == "%f" ? file : ExpandCodes(word, {});
  return words;
}

// Nemo: %F becomes the path list, each path in double quotes (Quote=double); then split.
std::vector<std::string> NemoExec(const std::string& raw, const std::string& file) {
  return SplitWords(ExpandCodes(KeyFileString(raw), {{'F', "\"" + file + "\""}}));
}

// Thunar: %f becomes the shell-quoted path of the first selected file; then split.
std::vector<std::string> ThunarCommand(const std::string& command, const std::string& file) {
  std::string quoted = "'";
  for (char c : file) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return SplitWords(ExpandCodes(command, {{'f', quoted + "'"}}));
}

class DesktopIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeFolder(home / "bin dir");
    fs::copy_file(VELKOR_EXE, exe);
    // The NFS4 reference files, beside the program and in the data folder.
    test::MakeFolder(home / ".local/share/Velkor");
    for (const auto& [name, bytes] : sample::Nfs4ReferenceCar()) {
      test::WriteBytes(home / "bin dir/" + name, bytes);
      test::WriteBytes(home / ".local/share/Velkor/" + name, bytes);
    }
    test::MakeFolder(home / "nfs 4/Data/Cars");
    test::MakeFolder(home / ".config/Velkor");
    test::WriteText(store, "[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need for Speed High Stakes]\n"
                           "\"InstallPath\"=\"" + (home / "nfs 4") + "\"\n");
  }

  test::RunResult Run(const std::vector<std::string>& words, const std::map<std::string, std::string>& env = {}) {
    return test::RunVelkor({words.begin() + 1, words.end()}, home.path(), env, words.front());
  }
  test::RunResult RunSetup() {
    // The store's "Installed" set back to 0 makes the next start the first one again.
    std::string text = test::ReadText(store);
    const auto at = text.find("\"Installed\"=dword:00000001");
    if (at != std::string::npos) text.replace(at, 26, "\"Installed\"=dword:00000000");
    test::WriteText(store, text);
    return Run({exe});
  }
  std::string Data(const std::string& name) const { return home / ".local/share/" + name; }
  std::string Config(const std::string& name) const { return home / ".config/" + name; }
  std::string Car(const std::string& folder) {
    test::MakeFolder(home / folder);
    test::WriteBytes(home / folder + "/car.viv", sample::PackArchive(sample::RoadsterCar()));
    return home / folder + "/car.viv";
  }
  std::string LooseModel(const std::string& folder) {
    test::MakeFolder(home / folder);
    for (const auto& [name, bytes] : sample::RoadsterCar())
      if (name == "car.fce") test::WriteBytes(home / folder + "/car.fce", bytes);
    return home / folder + "/car.fce";
  }
  std::string ThunarCommandOf(const std::string& uniqueId) {
    pugi::xml_document doc;
    doc.load_file(Config("Thunar/uca.xml").c_str());
    for (pugi::xml_node action : doc.child("actions").children("action"))
      if (std::string(action.child_value("unique-id")) == uniqueId) return action.child_value("command");
    return "";
  }

  test::TempDir home;
  std::string exe = home / "bin dir/velkor";
  std::string store = home / ".config/Velkor/registry.reg";
};

TEST_F(DesktopIntegrationTest, EveryKindOfEntryRunsItsVerbOnPathsWithBlanks) {
  const auto setup = RunSetup();
  ASSERT_EQ(setup.exitStatus, 0) << setup.err;

  struct Case {
    const char* what;
    std::function<std::vector<std::string>()> command;
    std::string expected;
  };
  const std::string carA = Car("car one");
  const std::string carB = Car("car two");
  const std::string carC = Car("my cars/Road ster");
  const std::string modelA = LooseModel("loose one");
  test::MakeFolder(home / "pack me");
  test::WriteText(home / "pack me/carp.txt", "x");
  const std::vector<Case> cases = {
      {"desktop entry (extract)",
       [&] { return DesktopExec(ReadKeyFile(Data("applications/velkor.desktop"))["Desktop Entry"]["Exec"], carA); },
       home / "car one/car/car.fce"},
      {"desktop action (convert to NFS4)",
       [&] {
         return DesktopExec(ReadKeyFile(Data("applications/velkor.desktop"))["Desktop Action convert4"]["Exec"], carB);
       },
       home / "car two/car.vi4"},
      {"Dolphin (pack)",
       [&] {
         return DesktopExec(
             ReadKeyFile(Data("kio/servicemenus/velkor-folder.desktop"))["Desktop Action pack"]["Exec"],
             home / "pack me");
       },
       home / "pack me.viv"},
      {"Nemo (model to NFS4)",
       [&] {
         return NemoExec(ReadKeyFile(Data("nemo/actions/velkor-fcefile-convert4.nemo_action"))["Nemo Action"]["Exec"],
                         modelA);
       },
       home / "loose one/car.fc4"},
      {"Thunar (install into NFS4)", [&] { return ThunarCommand(ThunarCommandOf("velkor-convertinstall4"), carC); },
       home / "nfs 4/Data/Cars/Road ster/car.viv"},
  };
  for (const Case& c : cases) {
    const auto words = c.command();
    ASSERT_FALSE(words.empty()) << c.what;
    EXPECT_EQ(words.front(), exe) << c.what;
    const auto run = Run(words);
    EXPECT_EQ(run.exitStatus, 0) << c.what << ": " << run.err;
    EXPECT_TRUE(test::PathExists(c.expected)) << c.what << ": " << c.expected;
  }

  // Nautilus and Caja: every selected path the verb fits is converted, any other reported.
  const std::string modelB = LooseModel("loose two");
  const std::string modelC = LooseModel("loose three");
  test::WriteText(home / "notes.doc", "not a model");
  for (const auto& [script, variable, model] :
       {std::tuple{Data("nautilus/scripts/Velkor/Convert to NFS4"), "NAUTILUS_SCRIPT_SELECTED_FILE_PATHS", modelB},
        std::tuple{Config("caja/scripts/Velkor/Convert to NFS4"), "CAJA_SCRIPT_SELECTED_FILE_PATHS", modelC}}) {
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
  ASSERT_EQ(RunSetup().exitStatus, 0);
  EXPECT_EQ(std::system(("desktop-file-validate '" + Data("applications/velkor.desktop") + "'").c_str()), 0);
  const std::string folder = home / "game files";
  test::MakeFolder(folder);
  test::WriteText(folder + "/car.viv", "BIGF");
  test::WriteText(folder + "/CAR.VIV", "BIGF");
  const std::string command = "cd '" + folder + "' && XDG_DATA_HOME='" + Data("") + "' XDG_DATA_DIRS=/usr/share " +
                              "gio info -a standard::content-type car.viv CAR.VIV > types.txt 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << test::ReadText(folder + "/types.txt");
  const std::string types = test::ReadText(folder + "/types.txt");
  std::size_t count = 0;
  const std::string viv = "content-type: application/x-viv\n";
  for (auto at = types.find(viv); at != std::string::npos; at = types.find(viv, at + 1)) ++count;
  EXPECT_EQ(count, 2u) << types;
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

  auto userActions = [&] {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(Config("Thunar/uca.xml").c_str(), pugi::parse_default | pugi::parse_comments));
    EXPECT_STREQ(doc.first_child().value(), " my actions ");
    std::vector<std::string> mine;
    int velkor = 0;
    for (pugi::xml_node action : doc.child("actions").children("action")) {
      if (std::string(action.child_value("unique-id")).rfind("velkor-", 0) == 0) {
        ++velkor;
        continue;
      }
      std::ostringstream text;
      action.print(text, "", pugi::format_raw);
      mine.push_back(text.str());
    }
    return std::pair{mine, velkor};
  };
  const auto countIn = [](const std::string& folder) { return test::ListNames(folder).size(); };

  ASSERT_EQ(RunSetup().exitStatus, 0);
  const auto afterFirst = userActions();
  EXPECT_EQ(afterFirst.first, std::vector<std::string>{userAction});
  EXPECT_EQ(afterFirst.second, 6);
  EXPECT_EQ(countIn(Data("nemo/actions")), 25u);
  EXPECT_EQ(countIn(Data("kio/servicemenus")), 11u);

  ASSERT_EQ(RunSetup().exitStatus, 0);
  EXPECT_EQ(userActions(), afterFirst);
  EXPECT_EQ(countIn(Data("nemo/actions")), 25u);

  const auto run = Run({exe, "--unregister"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(userActions(), std::pair(afterFirst.first, 0));
  EXPECT_EQ(test::ListNames(Data("nemo/actions")), std::vector<std::string>{"other.nemo_action"});
  for (const std::string& gone : {Data("kio/servicemenus/velkor-vivfile.desktop"), Data("applications/velkor.desktop"),
                                  Data("mime/packages/velkor.xml"), Data("nautilus/scripts/Velkor"),
                                  Config("caja/scripts/Velkor")})
    EXPECT_FALSE(test::PathExists(gone)) << gone;
  const std::string registry = test::ReadText(store);
  EXPECT_EQ(registry.find("\\shell\\"), std::string::npos) << registry;
  EXPECT_NE(registry.find("[HKEY_CLASSES_ROOT\\.viv]\n@=\"vivfile\""), std::string::npos) << registry;
  EXPECT_NE(registry.find("\"Installed\"=dword:00000001"), std::string::npos) << registry;
  EXPECT_TRUE(test::PathExists(home / ".local/share/Velkor/dash.fsh"));
}

TEST_F(DesktopIntegrationTest, AThunarFileThatDoesNotParseIsLeftAlone) {
  test::MakeFolder(Config("Thunar"));
  const std::string broken = "<actions><action><name>half written";
  test::WriteText(Config("Thunar/uca.xml"), broken);
  const auto run = RunSetup();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.err.find("velkor: warning: '" + Config("Thunar/uca.xml") + "' is not a Thunar actions file"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(test::ReadText(Config("Thunar/uca.xml")), broken);
}

// A private session bus with a notification server of the tests' own.
class NotificationTest : public DesktopIntegrationTest {
 protected:
  void SetUp() override {
#ifndef VELKOR_NOTIFICATION_RECORDER
    GTEST_SKIP() << "built without libsystemd";
#else
    if (!Installed("dbus-daemon")) GTEST_SKIP() << "needs dbus-daemon (package dbus)";
    DesktopIntegrationTest::SetUp();
    test::WriteText(store, "[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]\n\"Installed\"=dword:00000001\n"
                           "\"NFS3Path\"=\"N/A\"\n\"NFS4Path\"=\"" + (home / "nfs 4/") + "\"\n");
    address = Start({"dbus-daemon", "--session", "--nofork", "--print-address"}, daemon);
    ASSERT_NE(address, "");
    ASSERT_EQ(Start({VELKOR_NOTIFICATION_RECORDER, record}, recorder, {{"DBUS_SESSION_BUS_ADDRESS", address}}),
              "ready");
#endif
  }
  void TearDown() override {
    for (pid_t pid : {recorder, daemon})
      if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
      }
  }
  // Starts a program and returns the first line it prints.
  std::string Start(const std::vector<std::string>& args, pid_t& pid,
                    const std::map<std::string, std::string>& env = {}) {
    int out[2];
    if (::pipe(out) != 0) return "";
    pid = ::fork();
    if (pid == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
      std::vector<char*> argv;
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execvp(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    return line;
  }
  std::vector<std::string> Records() {
    std::vector<std::string> lines;
    std::istringstream in(test::PathExists(record) ? test::ReadText(record) : "");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  pid_t daemon = -1;
  pid_t recorder = -1;
  std::string address;
  std::string record = home / "notifications.txt";
};

TEST_F(NotificationTest, FailuresAndInstallationsReachTheDesktopOnlyWithNotify) {
  const std::string missing = home / "no such/car.viv";
  const std::string car = Car("my cars/Road ster");
  struct Case {
    std::vector<std::string> args;
    int exitStatus;
    std::string expected;  // the recorded line; empty: none
  };
  const std::vector<Case> cases = {
      {{"--notify", "/e", missing}, 1, "2\tVelkor failed\t"},
      {{"/e", missing}, 1, ""},
      {{"--notify", "/ci4", car}, 0,
       "1\tVelkor installed Road ster\t'Road ster' is in NFS4's cars: " + (home / "nfs 4/Data/Cars/Road ster/car.viv")},
  };
  for (const Case& c : cases) {
    test::WriteText(record, "");
    std::vector<std::string> words = {exe};
    words.insert(words.end(), c.args.begin(), c.args.end());
    const auto run = Run(words, {{"DBUS_SESSION_BUS_ADDRESS", address}});
    EXPECT_EQ(run.exitStatus, c.exitStatus) << run.err;
    const auto records = Records();
    if (c.expected.empty()) {
      EXPECT_TRUE(records.empty()) << c.args[0];
    } else if (c.exitStatus != 0) {
      // The same message as on stderr: "velkor: <message>\n".
      ASSERT_EQ(records.size(), 1u);
      EXPECT_EQ(records[0], c.expected + run.err.substr(8, run.err.size() - 9));
    } else {
      EXPECT_EQ(records, std::vector<std::string>{c.expected});
    }
  }
}

TEST_F(NotificationTest, WithoutABusTheFailureIsReportedOnStderrQuickly) {
  const auto start = std::chrono::steady_clock::now();
  const auto run = Run({exe, "--notify", "/e", home / "missing.viv"},
                       {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home / "no-bus")}});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err.rfind("velkor: ", 0), 0u) << run.err;
  EXPECT_TRUE(Records().empty());
}

}  // namespace
}  // namespace velkor
