#pragma once

// How each file manager's entry spells the command "<executable>" --notify <switch> <file>.
// The executable is written inside double quotes with a backslash before ", `, $ and \,
// which desktop entries, GLib's command-line parser (Nemo, Thunar) and the POSIX shell all
// read back as the same single argument.

#include <string>

namespace velkor::desktop {

// `text` between double quotes, escaped as above.
std::string DoubleQuoted(const std::string& text);

// Every "%" doubled, for formats that expand %-codes in their command lines.
std::string EscapePercent(const std::string& text);

// A value of a key file (desktop entries, service menus, Nemo actions): "\" written "\\".
std::string KeyFileValue(const std::string& text);

// `text` between single quotes for the shell, a quote inside written '\''.
std::string ShellQuoted(const std::string& text);

// Empty when a path can appear in every file manager's format; otherwise why not. A line
// break would end a key file's line, their readers refuse a file that is not UTF-8, and GLib
// refuses a desktop entry whose command holds a '%' inside quotes, escaped or not.
std::string WhyPathCannotBeWritten(const std::string& path);

// The command of a key-file entry (desktop entry, service menu, Nemo action), as the
// file's value: `fileCode` is the format's field code for the file ("%f", "%F").
std::string KeyFileCommand(const std::string& executable, const std::string& commandSwitch,
                           const std::string& fileCode);

}  // namespace velkor::desktop
