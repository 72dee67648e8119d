#pragma once
// Freedesktop desktop entries: the two shortcuts that start this program
// ("Hozanki.desktop" on the user's desktop, and a user-level entry in the
// applications folder that file managers offer as "Open with Hozanki" for
// audio and video files), and reading the command of an installed entry (the
// desktop's default text editor). Folders follow the XDG base directory and
// user directory rules, read from the environment of this process.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

inline constexpr std::string_view kDesktopShortcutName = "Hozanki.desktop";
inline constexpr std::string_view kOpenWithEntryName = "hozanki-open-with.desktop";

// The user's desktop folder as `xdg-user-dir DESKTOP` gives it (XDG_DESKTOP_DIR
// of "$XDG_CONFIG_HOME/user-dirs.dirs", "$HOME/..." expanded), falling back
// to "$HOME/Desktop".
std::filesystem::path DesktopFolder();
// "$XDG_DATA_HOME/applications", by default "$HOME/.local/share/applications".
std::filesystem::path UserApplicationsFolder();
std::filesystem::path DesktopShortcutPath();
std::filesystem::path OpenWithEntryPath();

// The text of a desktop entry starting `program` on the files it is given,
// named "Hozanki" with the icon `icon`, with the generic names and comments
// (English and Japanese) of the installed hozanki.desktop. `openWith` adds the
// audio and video types and keeps the entry out of the applications menu.
// Empty when the program path is not UTF-8 (an entry cannot name it).
std::string ShortcutEntryText(const std::filesystem::path& program, std::string_view icon, bool openWith);
// Writes the entry (replacing one that exists, the folder made when missing)
// and makes it executable, as desktops require of launchers. False when it
// cannot be written, and for an empty text (nothing is written then).
bool CreateShortcut(const std::filesystem::path& path, std::string_view text);
// Removes the file; a missing file is no failure.
bool RemoveShortcut(const std::filesystem::path& path);

// One argument as the "Exec" key quotes it (reserved characters in double
// quotes with \ " ` $ escaped, then the value's own escapes: \\ \n \t \r
// and "%%", so that the value stays on one line).
std::string QuoteExecArgument(std::string_view argument);
// The arguments of an "Exec" value with its field codes (%f %F %u %U ...)
// dropped and "%%" as "%".
std::vector<std::string> SplitExecValue(std::string_view exec);
// The value of `key` in the [Desktop Entry] group of an entry's text (as
// written, localised keys not looked at).
std::optional<std::string> DesktopEntryValue(std::string_view text, std::string_view key);
// The "Exec" value.
std::optional<std::string> DesktopEntryExec(std::string_view text);
// Whether the entry says its program runs in a terminal ("Terminal=true").
bool DesktopEntryRunsInTerminal(std::string_view text);
// The entry files of the applications folders of XDG_DATA_HOME and
// XDG_DATA_DIRS (subfolders included), the user's first.
std::vector<std::filesystem::path> DesktopEntryFiles();
// Finds the entry file `id` ("org.gnome.gedit.desktop") in the applications
// folders of XDG_DATA_HOME and XDG_DATA_DIRS.
std::optional<std::filesystem::path> FindDesktopEntry(std::string_view id);

}  // namespace hozanki
