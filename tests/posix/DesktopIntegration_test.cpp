// The file-manager entries as their file managers read them: each command expanded as its format
// documents and run; the MIME types and Thunar's file checked with the desktop's own tools.

#include <gtest/gtest.h>

#include <fnmatch.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <tuple>

#include "archives/Qfs.h"
#include "base/Text.h"
#include "cli/RunVelkor.h"
#include "desktop/EntryFiles.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using Words = std::vector<std::string>;

// Every `key` of a key file as written, escapes kept: its group, its value.
std::vector<std::pair<std::string, std::string>> KeyLines(const std::string& path, const std::string& key) {
  std::vector<std::pair<std::string, std::string>> lines;
  std::istringstream in(test::ReadText(path));
  std::string group;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') group = line.substr(1, line.size() - 2);
    else if (line.rfind(key + "=", 0) == 0) lines.emplace_back(group, line.substr(key.size() + 1));
  }
  return lines;
}

// The value of `key` in `group` of a key file with its escapes (\\ \s \n \t \r) resolved; "" when none.
std::string KeyFileValue(const std::string& path, const std::string& group, const std::string& key) {
  for (const auto& [in, raw] : KeyLines(path, key)) {
    if (in != group) continue;
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      const char e = raw[i] == '\\' && i + 1 < raw.size() ? raw[++i] : 0;
      out += e == 0 ? raw[i] : e == 's' ? ' ' : e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
    }
    return out;
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

using test::Installed, test::ShellQuoted;

// Whether the process still runs (a zombie that nobody reaped has ended).
bool Running(const std::string& pidFile) {
  const std::string pid = test::ReadText(pidFile);
  std::ifstream stat("/proc/" + pid.substr(0, pid.find('\n')) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  return close != std::string::npos && line.substr(close + 2, 1) != "Z";
}

class DesktopIntegrationTest : public ::testing::Test {
 protected:
  test::RunResult Run(const std::string& commandLine) {
    return test::RunVelkor({"-c", commandLine}, home.path(), {}, "/bin/sh");
  }
  std::string Data(const std::string& name) const { return home / ".local/share/" + name; }
  std::string Config(const std::string& name) const { return home / ".config/" + name; }
  // Velkor's Nemo action for the class and verb, whatever comes between them in its name.
  std::string NemoActionFile(const std::string& className, const std::string& verb) {
    for (const std::string& name : test::ListNames(Data("nemo/actions")))
      if (name.rfind("velkor-" + className + "-", 0) == 0 && EndsWith(name, "-" + verb + ".nemo_action"))
        return Data("nemo/actions/" + name);
    return "";
  }
  std::string NemoCommand(const std::string& action, const std::string& quotedPaths) {
    return Expand(KeyFileValue(action, "Nemo Action", "Exec"), 'F', quotedPaths);
  }
  // The file's MIME type as gio resolves it through the user's database and the system's.
  std::string ContentType(const std::string& path) {
    const std::string command = "XDG_DATA_HOME='" + Data("") + "' XDG_DATA_DIRS=/usr/share gio info -a " +
                                "standard::content-type '" + path + "' > '" + (home / "type.txt") + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << test::ReadText(home / "type.txt");
    const std::string info = test::ReadText(home / "type.txt"), key = "content-type: ";
    const auto at = info.find(key);
    return at == std::string::npos ? "" : info.substr(at + key.size(), info.find('\n', at) - at - key.size());
  }
  pugi::xml_node ThunarActions(pugi::xml_document& doc, unsigned options = pugi::parse_default) {
    doc.load_file(Config("Thunar/uca.xml").c_str(), options);
    return doc.child("actions");
  }

  test::CliHome home;
};

// Velkor in a folder whose name holds every character the entries' quoting must get right: each
// entry, run as its file manager runs it, starts it with its verb's switch and the path as one
// argument. A recorder stands in for it once the setup has written the entries.
TEST_F(DesktopIntegrationTest, EveryEntryReachesVelkorInAHostileFolderWithTheExactPath) {
  if (!Installed("gio") || !Installed("desktop-file-validate") || !Installed("update-mime-database"))
    GTEST_SKIP() << "needs gio, desktop-file-utils and shared-mime-info";
  const std::string hostile = home / "it's \"odd\" $HOME `x` \\ end/bin  dir";
  test::MakeFolder(hostile);
  std::filesystem::copy_file(home.Program(), hostile + "/velkor");
  // Thunar shows the first system file along XDG_CONFIG_DIRS until the user has one: its actions are kept.
  for (const std::string id : {"first", "second"}) {
    test::MakeFolder(home / id + "/Thunar");
    test::WriteText(home / id + "/Thunar/uca.xml", "<actions><action><name>System</name><unique-id>system-" + id +
                                                       "</unique-id><command>x %f</command></action></actions>\n");
  }
  test::MakeFolder(home / "empty");
  const std::map<std::string, std::string> environment = {
      {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home / "no-bus")},
      {"XDG_CONFIG_DIRS", (home / "empty") + ":" + (home / "first") + ":" + (home / "second")}};
  const auto setup = test::RunVelkor({"--setup"}, home.path(), environment, hostile + "/velkor");
  ASSERT_EQ(setup.exitStatus, 0) << setup.err;
  EXPECT_EQ(std::system(("desktop-file-validate '" + Data("applications/velkor.desktop") + "'").c_str()), 0);
  pugi::xml_document uca;
  Words ids;
  std::map<std::string, pugi::xml_node> thunar;  // by unique id
  for (pugi::xml_node action : ThunarActions(uca).children("action"))
    thunar[ids.emplace_back(action.child_value("unique-id"))] = action;
  EXPECT_EQ(ids.size(), 7u);
  EXPECT_EQ(ids.front(), "system-first");

  // Redefining the system's text/plain or inode/directory would change what every text file and
  // folder is to every program: the user's database holds Velkor's own types only.
  const std::string types = test::ReadText(Data("mime/types"));
  const Words ours = {"application/x-viv", "application/x-fce", "application/x-carp", "application/x-fsh",
                      "application/x-qfs"};
  std::istringstream lines(types);
  for (std::string type; std::getline(lines, type);)
    EXPECT_TRUE(std::find(ours.begin(), ours.end(), type) != ours.end() || type.rfind("application/x-fedata-", 0) == 0)
        << type;
  for (const std::string name : {"car.viv", "CAR.VIV", "car.fce"}) test::WriteText(home / name, "BIGF");
  for (const std::string name : {"car.viv", "CAR.VIV"}) EXPECT_EQ(ContentType(home / name), "application/x-viv") << name;

  // One record "ft00": a 2 x 1 image of 32-bit pixels (code 0x7D).
  const Bytes fsh = {'S', 'H', 'P', 'I', 48, 0, 0, 0, 1, 0, 0, 0, 'G', 'I', 'M', 'X', 'f', 't', '0', '0', 24, 0, 0, 0,
                     0x7D, 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 255, 40, 50, 60, 128};
  test::MakeFolder(home / "art");
  test::WriteBytes(home / "art/dash.fsh", fsh);
  test::WriteBytes(home / "art/show.qfs", QfsEncode(fsh));
  EXPECT_EQ(ContentType(home / "art/dash.fsh"), "application/x-fsh");
  EXPECT_EQ(ContentType(home / "art/show.qfs"), "application/x-qfs");
  for (const std::string& entry : {Data("thumbnailers/velkor.thumbnailer"),
                                   std::string(VELKOR_TEST_SOURCES "/../desktop/velkor.thumbnailer")}) {
    const std::string drawn = ";" + KeyFileValue(entry, "Thumbnailer Entry", "MimeType") + ";";
    for (const std::string& file : {home / "art/dash.fsh", home / "art/show.qfs", home / "car.viv", home / "car.fce"})
      EXPECT_NE(drawn.find(";" + ContentType(file) + ";"), std::string::npos) << entry << ": " << file;
  }

  // The recorder fails on a path that names notes, as Velkor fails on what is not a car.
  std::filesystem::remove(hostile + "/velkor");
  test::WriteText(hostile + "/velkor", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$HOME/calls.txt\"\n"
                                       "case $3 in *notes*) exit 1 ;; esac\n");
  ASSERT_EQ(::chmod((hostile + "/velkor").c_str(), 0755), 0);
  const auto calls = [&] {  // the arguments of the starts since the last look, one a line
    const std::string text = test::PathExists(home / "calls.txt") ? test::ReadText(home / "calls.txt") : "";
    std::filesystem::remove(home / "calls.txt");
    return text;
  };
  const auto call = [](const std::string& key, const std::string& path) {
    const auto verb = std::find_if(AllVerbs().begin(), AllVerbs().end(), [&](const Verb& v) { return key == v.key; });
    return std::string("--notify\n") + (verb == AllVerbs().end() ? "?" : verb->commandSwitch) + "\n" + path + "\n";
  };
  // Nemo puts the paths between double quotes without escaping them, so its files lie in a
  // folder without characters that are special there.
  const std::string files = hostile + "/sel 'ected", nemoFiles = home / "for 'nemo'";
  const auto target = [&](const ShellClass& shellClass, const std::string& folder) {  // a name the verbs fit
    const std::string extension = shellClass.extension ? shellClass.extension : "";
    const std::string stem = extension.empty() ? "/pack me" : extension == ".txt" ? "/carp"
                             : extension == ".viv" || extension == ".fce" ? "/car file" : "/fedata";
    const std::string path = folder + stem + extension;
    test::MakeFolder(extension.empty() ? path : folder);
    test::WriteText(extension.empty() ? path + "/carp.txt" : path, "x");  // a folder to pack holds a file
    return path;
  };
  int runs = 0;
  const auto check = [&](const std::string& what, const test::RunResult& run, const std::string& expected) {
    ++runs;
    EXPECT_EQ(calls(), expected) << what << ": " << run.out << run.err;
  };
  const auto viaGLib = [&](const std::string& exec, const std::string& path) {  // piped: gio waits for it
    test::WriteText(home / "launch.desktop", "[Desktop Entry]\nType=Application\nName=Launch\nExec=" + exec + "\n");
    return test::RunVelkor({"-c", "gio launch \"$1\" \"$2\" 2>&1 | cat", "sh", home / "launch.desktop", path},
                           home.path(), {}, "/bin/sh");
  };

  const ShellClass& folders = ShellClasses()[0];
  const ShellClass& archives = ShellClasses()[1];
  for (const auto& [group, exec] : KeyLines(Data("applications/velkor.desktop"), "Exec")) {
    const std::string path = target(archives, files);  // the entry's own Exec extracts
    check(group, viaGLib(exec, path), call(group == "Desktop Entry" ? "extract" : group.substr(15), path));
  }
  for (const ShellClass* each : DesktopClasses()) {  // the loose image archives' entries too
    const ShellClass& shellClass = *each;
    const std::string name = desktop::ClassFileName(shellClass);
    for (const auto& [group, exec] : KeyLines(Data("kio/servicemenus/velkor-" + name + ".desktop"), "Exec")) {
      const std::string path = target(shellClass, files);
      check("Dolphin " + name + " " + group, viaGLib(exec, path), call(group.substr(15), path));
    }
    for (const Verb& verb : shellClass.verbs) {
      const std::string action = NemoActionFile(name, verb.key), path = target(shellClass, nemoFiles);
      check(action, Run(NemoCommand(action, "\"" + path + "\"")), call(verb.key, path));
    }
  }
  for (const Verb& verb : AllVerbs()) {
    const std::string path = target(verb.key == std::string("pack") ? folders : archives, files);
    const std::string command = thunar[std::string("velkor-") + verb.key].child_value("command");
    check(std::string("Thunar ") + verb.key, Run(Expand(command, 'f', ShellQuoted(path))), call(verb.key, path));
    for (const std::string& script : {Data("nautilus/scripts/Velkor/") + verb.label,
                                      Config("caja/scripts/Velkor/") + verb.label})
      check(script, Run("exec /bin/sh " + ShellQuoted(script) + " " + ShellQuoted(path)), call(verb.key, path));
  }
  EXPECT_GT(runs, 60);

  // Archives are offered and taken whatever the case of their names: by Thunar's patterns,
  // which it compares as written, and by the scripts' own.
  const std::string upper = files + "/CAR.VIV";
  test::WriteText(upper, "x");
  const std::string patterns = thunar["velkor-extract"].child_value("patterns");
  std::istringstream each(patterns);
  bool offered = false;
  for (std::string pattern; std::getline(each, pattern, ';');) offered |= ::fnmatch(pattern.c_str(), "CAR.VIV", 0) == 0;
  EXPECT_TRUE(offered) << patterns;
  for (const std::string& script : {Data("nautilus/scripts/Velkor/"), Config("caja/scripts/Velkor/")})
    check(script, Run("exec /bin/sh " + ShellQuoted(script + kExtract.label) + " " + ShellQuoted(upper)),
          call(kExtract.key, upper));

  // Several selected paths: Nemo runs an action on them only when it allows that, and its script
  // starts Velkor once a path; Nautilus and Caja pass them as lines of a variable. A path that
  // Velkor fails on, or that the verb does not fit, is reported and the others are done.
  const std::string fce4 = NemoActionFile("fcefile", "convert4");
  EXPECT_NE(KeyFileValue(fce4, "Nemo Action", "Selection"), "s");
  const std::string one = nemoFiles + "/one.fce", notes = nemoFiles + "/notes.fce", two = nemoFiles + "/two.fce";
  const std::string doc = nemoFiles + "/notes.doc";
  for (const std::string& path : {one, notes, two, doc}) test::WriteText(path, "x");
  const auto nemo = Run(NemoCommand(fce4, "\"" + one + "\" \"" + notes + "\" \"" + two + "\""));
  EXPECT_EQ(nemo.exitStatus, 1);
  EXPECT_EQ(calls(), call("convert4", one) + call("convert4", notes) + call("convert4", two));
  for (const auto& [variable, script] : {std::pair{"NAUTILUS", Data("nautilus/scripts/Velkor/Convert to NFS4")},
                                         std::pair{"CAJA", Config("caja/scripts/Velkor/Convert to NFS4")}}) {
    const auto run = Run(std::string(variable) + "_SCRIPT_SELECTED_FILE_PATHS=" + ShellQuoted(one + "\n" + doc + "\n") +
                         " exec " + ShellQuoted(script));
    EXPECT_EQ(run.exitStatus, 1) << script;
    EXPECT_EQ(calls(), call("convert4", one) + "--notify\n--refuse\n'" + doc +
                           "' is not something 'Convert to NFS4' applies to; it was left as it is\n");
  }
}

TEST_F(DesktopIntegrationTest, AHelperThatNeverEndsIsStoppedAndTheSetupGoesOn) {
  // A MIME database tool that hangs, leaving a process of its own behind.
  test::MakeFolder(home / "fake bin");
  test::WriteText(home / "fake bin/update-mime-database",
                  "#!/bin/sh\necho $$ > \"$HOME/helper.pid\"\nsleep 1000 &\necho $! > \"$HOME/child.pid\"\nwait\n");
  ASSERT_EQ(::chmod((home / "fake bin/update-mime-database").c_str(), 0755), 0);

  const auto run = test::RunVelkor({"60", home.Program(), "--setup"}, home.path(),
                                   {{"PATH", (home / "fake bin") + ":" + std::getenv("PATH")}}, "/usr/bin/timeout");
  ASSERT_EQ(run.exitStatus, 0) << "124: the setup waited for the helper\n" << run.err;
  EXPECT_NE(run.err.find("warning: 'update-mime-database " + Data("mime") + "' was stopped"), std::string::npos)
      << run.err;
  EXPECT_FALSE(Running(home / "helper.pid"));
  EXPECT_FALSE(Running(home / "child.pid"));
  EXPECT_TRUE(test::PathExists(Data("applications/velkor.desktop")));
}

// Thunar drops every action of a file its reader refuses, the user's too: a file Velkor cannot
// take apart exactly as Thunar does is left byte for byte as it is, with a warning naming it
// and why; what Velkor writes passes a strict XML reader.
TEST_F(DesktopIntegrationTest, ThunarFilesThatThunarWouldNotReadAreLeftAsTheyAre) {
  if (!Installed("xmllint")) GTEST_SKIP() << "needs xmllint (libxml2-utils)";
  const std::string uca = Config("Thunar/uca.xml");
  test::MakeFolder(Config("Thunar"));
  const std::string action = "<action><name>Mine</name><unique-id>1</unique-id><command>x %f</command></action>";
  std::string deep, padded = "<actions>" + action + "<!--" + std::string(5 << 20, '-') + " -->";
  for (int level = 0; level < 3000; ++level) deep = "<a>" + deep + "</a>";
  const std::string left = "' was left as it is: it ";
  // The file, and what the warning says after its name.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<actions>" + action + "</actions>\ntrailing words\n", left + "has text outside its root element"},
      {"<actions>" + action + "<action><name>&nbsp;</name></action></actions>", left + "uses the entity '&nbsp;'"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><actions><action><name>Caf\xE9</name></action></actions>",
       left + "is not UTF-8"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><actions><action><name>Caf\xC3\xA9</name></action></actions>",
       left + "declares the encoding 'ISO-8859-1'"},
      {"<actions><action id=\"1\" id=\"2\">" + action + "</action></actions>", "' was left as it is: its element "
       "<action> has the attribute 'id' twice"},
      {"<actions><action><name>half written", left + "is not well-formed"},
      {"<actions>" + deep + "</actions>", left + "nests deeper than Thunar's"},
      {padded + "</actions>", "': larger than"},
  };
  for (const auto& [text, why] : cases) {
    test::WriteText(uca, text);
    const auto run = home.Run({"--setup"});
    EXPECT_EQ(run.exitStatus, 0) << why;
    EXPECT_TRUE(test::ReadText(uca) == text) << why << ": the file was rewritten";
    EXPECT_EQ(run.err.find("velkor: warning: "), 0u) << why << ": " << run.err.substr(0, 300);
    EXPECT_NE(run.err.find("'" + uca + why), std::string::npos) << why << ": " << run.err.substr(0, 300);
  }

  // Not a regular file: a FIFO stays a FIFO, and nothing waits for a writer.
  std::filesystem::remove(uca);
  ASSERT_EQ(::mkfifo(uca.c_str(), 0600), 0);
  const auto fifo = home.Run({"--setup"});
  EXPECT_EQ(fifo.exitStatus, 0);
  EXPECT_TRUE(std::filesystem::is_fifo(uca));
  EXPECT_NE(fifo.err.find("'" + uca + "': it is not a regular file"), std::string::npos) << fifo.err;

  // A file the user cannot read: root's own, as "sudo thunar" leaves it (as root, whose
  // permissions do not apply, the program runs as nobody in a home that nobody owns).
  std::filesystem::remove(uca);
  const std::string theirs = "<actions>" + action + "</actions>";
  test::WriteText(uca, theirs);
  if (::geteuid() == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    const group* nogroup = ::getgrnam("nogroup");
    ASSERT_TRUE(nobody && nogroup);
    ASSERT_EQ(::lchown(home.path().c_str(), nobody->pw_uid, nogroup->gr_gid), 0);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home.path()))
      ASSERT_EQ(::lchown(entry.path().c_str(), nobody->pw_uid, nogroup->gr_gid), 0);
    ASSERT_EQ(::chown(uca.c_str(), 0, 0), 0);
  }
  ASSERT_EQ(::chmod(uca.c_str(), 0600 & (::geteuid() == 0 ? 0600 : 0)), 0);
  const auto unreadable = test::RunUnprivileged({"--setup"}, home.path(), home.Program());
  EXPECT_EQ(unreadable.exitStatus, 0) << unreadable.err;
  ::chmod(uca.c_str(), 0600);
  EXPECT_EQ(test::ReadText(uca), theirs);
  EXPECT_NE(unreadable.err.find("'" + uca + "': Permission denied"), std::string::npos) << unreadable.err;

  // A file that Thunar reads, with references and comments, is merged into one it reads too.
  std::filesystem::remove(uca);
  test::WriteText(uca, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- mine -->\n<actions><action><name>Caf&#233; "
                       "&amp; more</name><unique-id>7</unique-id><command>x &apos;%f&apos; &gt; y</command></action></actions>\n");
  const auto merged = home.Run({"--setup"});
  EXPECT_EQ(merged.err.find("uca.xml"), std::string::npos) << merged.err;
  EXPECT_EQ(std::system(("xmllint --noout '" + uca + "'").c_str()), 0) << test::ReadText(uca);
  EXPECT_NE(test::ReadText(uca).find("<name>Caf\xC3\xA9 &amp; more</name>"), std::string::npos) << test::ReadText(uca);
  EXPECT_NE(test::ReadText(uca).find("velkor-convert4"), std::string::npos);
}

// A Latin-1 folder name or a '%' in Velkor's own path: every entry would be refused by its
// reader (and a non-UTF-8 uca.xml loses the user's actions too), so none is written.
TEST_F(DesktopIntegrationTest, NoEntryIsWrittenForAPathTheirReadersRefuse) {
  for (const std::string folder : {"bin caf\xE9", "bin 100%"}) {
    test::MakeFolder(home / folder);
    const std::string program = home / folder + "/velkor";
    std::filesystem::copy_file(home.Program(), program);
    const auto run = test::RunVelkor({"--setup"}, home.path(), {}, program);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("no file-manager entries"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("'" + program + "'"), std::string::npos) << run.err;
    for (const std::string& entry : {Data("applications/velkor.desktop"), Data("nemo/actions"), Data("kio/servicemenus"),
                                     Data("nautilus/scripts/Velkor"), Config("caja/scripts/Velkor"),
                                     Config("Thunar/uca.xml")})
      EXPECT_FALSE(test::PathExists(entry)) << entry;
  }
}

TEST_F(DesktopIntegrationTest, SetupAgainReplacesScriptsTakeExactNamesAndUnregisterKeepsTheUsersOwn) {
  const std::string userAction =
      "<action><icon>utilities-terminal</icon><name>Open Terminal Here</name>"
      "<unique-id>1431136020265634-1</unique-id><command>xterm -e 'cd %f &amp;&amp; sh'</command>"
      "<description>mine</description><patterns>*</patterns><directories/></action>";
  test::MakeFolder(Config("Thunar"));
  test::WriteText(Config("Thunar/uca.xml"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- my actions -->\n"
                                            "<actions>" + userAction + "</actions>\n");
  test::MakeFolder(Data("nemo/actions"));
  test::WriteText(Data("nemo/actions/other.nemo_action"), "[Nemo Action]\n");

  auto thunarActions = [&] {
    pugi::xml_document doc;
    const pugi::xml_node all = ThunarActions(doc, pugi::parse_default | pugi::parse_comments);
    EXPECT_STREQ(doc.first_child().value(), " my actions ");
    std::pair<Words, int> actions;
    for (pugi::xml_node action : all.children("action")) {
      std::ostringstream text;
      action.print(text, "", pugi::format_raw);
      if (std::string(action.child_value("unique-id")).rfind("velkor-", 0) == 0) ++actions.second;
      else actions.first.push_back(text.str());
    }
    return actions;
  };
  for (int setup = 0; setup < 2; ++setup) {
    ASSERT_EQ(home.Run({"--setup"}).exitStatus, 0);
    EXPECT_EQ(thunarActions(), std::pair(Words{userAction}, 6));
    EXPECT_EQ(test::ListNames(Data("nemo/actions")).size(), 27u);
    EXPECT_EQ(test::ListNames(Data("kio/servicemenus")).size(), 13u);
  }

  // Nautilus passes the selected names as arguments, relative to the folder it starts the
  // script in, and also as lines of a variable, where a name holding a line break reads as two.
  const std::string script = Data("nautilus/scripts/Velkor/Pack to new VIV");
  for (const std::string folder : {"viper\n", "viper"}) {
    test::MakeFolder(home / folder);
    test::WriteText(home / folder + "/carp.txt", folder);
  }
  test::WriteText(home / "viper.viv", "someone else's archive");
  const std::map<std::string, std::string> nautilus = {
      {"NAUTILUS_SCRIPT_SELECTED_FILE_PATHS", home / "viper\n" + "\n"},
      {"NAUTILUS_SCRIPT_SELECTED_URIS", "file://" + home.path() + "/viper%0A\n"}};
  const auto runScript = [&](const Words& names) {
    Words args = {"-c", "cd \"$1\" && shift && exec /bin/sh \"$@\"", "sh", home.path(), script};
    args.insert(args.end(), names.begin(), names.end());
    return test::RunVelkor(args, home.path(), nautilus, "/bin/sh");
  };

  const auto byName = runScript({"viper\n"});
  EXPECT_EQ(test::ReadText(home / "viper.viv"), "someone else's archive") << byName.err;
  const auto before = test::Snapshot(home.path());
  const auto byVariable = runScript({});
  EXPECT_EQ(byVariable.exitStatus, 1);
  EXPECT_NE(byVariable.err.find("a selected name holds a line break"), std::string::npos) << byVariable.err;
  EXPECT_EQ(test::Snapshot(home.path()), before) << "nothing is done";

  const auto run = home.Run({"--unregister"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(thunarActions(), std::pair(Words{userAction}, 0));
  EXPECT_EQ(test::ListNames(Data("nemo/actions")), Words{"other.nemo_action"});
  for (const std::string& gone : {Data("kio/servicemenus/velkor-vivfile.desktop"), Data("applications/velkor.desktop"),
                                  Data("mime/packages/velkor.xml"), Data("nautilus/scripts/Velkor"),
                                  Config("caja/scripts/Velkor"), Data("thumbnailers/velkor.thumbnailer")})
    EXPECT_FALSE(test::PathExists(gone)) << gone;
  const std::string registry = test::ReadText(home.Store());
  EXPECT_EQ(registry.find("\\shell\\"), std::string::npos) << registry;
  EXPECT_NE(registry.find("[HKEY_CLASSES_ROOT\\.viv]\n@=\"vivfile\""), std::string::npos) << registry;
  EXPECT_NE(registry.find("\"Installed\"=dword:00000001"), std::string::npos) << registry;
  EXPECT_TRUE(test::PathExists(home.Data() + "/dash.fsh"));
}

}  // namespace
}  // namespace velkor
