#include "core/tools/DesktopEntry.h"

#include <sys/stat.h>

#include <cstdlib>
#include <system_error>

#include "core/common/AtomicFile.h"
#include "core/common/Utf8.h"

namespace hozanki {
namespace fs = std::filesystem;
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

fs::path Home() {
  return fs::path(Env("HOME"));
}

fs::path ConfigHome() {
  const std::string value = Env("XDG_CONFIG_HOME");
  return value.empty() || value.front() != '/' ? Home() / ".config" : fs::path(value);
}

// The value of `key` in a user-dirs.dirs text: KEY="$HOME/Desktop" or an
// absolute path; empty when absent.
std::string UserDirValue(std::string_view text, std::string_view key) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.substr(0, key.size()) != key || line.substr(key.size(), 1) != "=") continue;
    std::string_view value = line.substr(key.size() + 1);
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.remove_suffix(1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    std::string out;
    if (value.substr(0, 5) == "$HOME") {
      out = Home().string();
      value.remove_prefix(5);
    } else if (value.empty() || value.front() != '/') {
      continue;  // only "$HOME/..." and absolute paths are allowed
    }
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      out += value[i];
    }
    return out;
  }
  return {};
}

bool Reserved(char c) {
  static constexpr std::string_view kReserved = " \t\n\r\"'\\><~|&;$*?#()`";
  return kReserved.find(c) != std::string_view::npos;
}

}  // namespace

fs::path DesktopFolder() {
  std::string bytes;
  if (ReadWholeFile(ConfigHome() / "user-dirs.dirs", bytes)) {
    const std::string value = UserDirValue(bytes, "XDG_DESKTOP_DIR");
    if (!value.empty()) return fs::path(value);
  }
  return Home() / "Desktop";
}

fs::path UserApplicationsFolder() {
  const std::string value = Env("XDG_DATA_HOME");
  const fs::path data = value.empty() || value.front() != '/' ? Home() / ".local" / "share" : fs::path(value);
  return data / "applications";
}

fs::path DesktopShortcutPath() {
  return DesktopFolder() / kDesktopShortcutName;
}

fs::path OpenWithEntryPath() {
  return UserApplicationsFolder() / kOpenWithEntryName;
}

std::string QuoteExecArgument(std::string_view argument) {
  std::string quoted;
  bool needsQuotes = argument.empty();
  for (char c : argument) needsQuotes = needsQuotes || Reserved(c);
  if (needsQuotes) {
    quoted += '"';
    for (char c : argument) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
      quoted += c;
    }
    quoted += '"';
  } else {
    quoted = argument;
  }
  // The value's own escapes: a backslash is written twice, line breaks, tabs
  // and carriage returns as \n \t \r (a value is one line); "%" as "%%".
  std::string out;
  for (char c : quoted) {
    if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c == '\\') out += "\\\\";
    else if (c == '%') out += "%%";
    else out += c;
  }
  return out;
}

std::string ShortcutEntryText(const fs::path& program, std::string_view icon, bool openWith) {
  // Desktop entries are UTF-8 throughout: a path in other bytes cannot be named.
  if (!IsValidUtf8(program.native()) || !IsValidUtf8(icon)) return {};
  // Names and comments as the installed hozanki.desktop gives them.
  std::string text =
      "[Desktop Entry]\nType=Application\nName=Hozanki\n"
      "GenericName=Tag Editor\nGenericName[ja]=タグエディタ\n"
      "Comment=Edit tags and rename audio and video files\n"
      "Comment[ja]=音楽・動画ファイルのタグ編集とリネーム\n";
  text += "Exec=" + QuoteExecArgument(program.string()) + " %F\n";
  text += "Icon=" + std::string(icon) + "\nTerminal=false\n";
  if (openWith) {
    text +=
        "NoDisplay=true\n"
        "MimeType=audio/mpeg;audio/x-wav;audio/wav;video/x-msvideo;audio/x-ms-wma;video/x-ms-wmv;"
        "video/x-ms-asf;audio/ogg;audio/x-vorbis+ogg;audio/x-ape;audio/mp4;video/mp4;audio/x-m4a;\n";
  } else {
    text += "Categories=AudioVideo;Audio;\n";
  }
  return text;
}

bool CreateShortcut(const fs::path& path, std::string_view text) {
  if (text.empty()) return false;
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  if (!WriteFileAtomic(path, text)) return false;
  return ::chmod(path.c_str(), 0755) == 0;
}

bool RemoveShortcut(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
  return !ec;
}

std::vector<std::string> SplitExecValue(std::string_view exec) {
  // First the value's own escapes (\\ \s \t \n), then the quoting of the
  // arguments.
  std::string value;
  for (size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '\\' && i + 1 < exec.size()) {
      const char next = exec[++i];
      if (next == 's') value += ' ';
      else if (next == 't') value += '\t';
      else if (next == 'n') value += '\n';
      else if (next == 'r') value += '\r';
      else if (next == '\\') value += '\\';
      else value.append({'\\', next});  // left for the quoting rules
    } else {
      value += exec[i];
    }
  }
  std::vector<std::string> args;
  std::string arg;
  bool inArg = false;
  bool fieldCodeOnly = false;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inArg && !fieldCodeOnly) args.push_back(arg);
      arg.clear();
      inArg = fieldCodeOnly = false;
    } else if (c == '"') {
      inArg = true;
      for (++i; i < value.size() && value[i] != '"'; ++i) {
        if ((value[i] == '\\' || (value[i] == '%' && value[i + 1] == '%')) && i + 1 < value.size()) ++i;
        arg += value[i];
      }
    } else if (c == '%' && i + 1 < value.size()) {
      const char code = value[++i];
      if (code == '%') {
        arg += '%';
        inArg = true;
      } else if (!inArg) {
        inArg = fieldCodeOnly = true;  // an argument that is only a field code goes
      }
    } else {
      inArg = true;
      fieldCodeOnly = false;
      arg += c;
    }
  }
  if (inArg && !fieldCodeOnly) args.push_back(arg);
  return args;
}

std::optional<std::string> DesktopEntryExec(std::string_view text) {
  return DesktopEntryValue(text, "Exec");
}

bool DesktopEntryRunsInTerminal(std::string_view text) {
  std::string value = DesktopEntryValue(text, "Terminal").value_or("");
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value == "true";
}

std::optional<std::string> DesktopEntryValue(std::string_view text, std::string_view wanted) {
  bool inMain = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line.front() == '[') {
      inMain = line == "[Desktop Entry]";
      continue;
    }
    if (!inMain) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = line.substr(0, eq);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    if (key != wanted) continue;
    std::string_view value = line.substr(eq + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    return std::string(value);
  }
  return std::nullopt;
}

namespace {

// The applications folders, the user's first.
std::vector<fs::path> ApplicationFolders() {
  std::vector<fs::path> folders{UserApplicationsFolder()};
  std::string dirs = Env("XDG_DATA_DIRS");
  if (dirs.empty()) dirs = "/usr/local/share:/usr/share";
  size_t pos = 0;
  while (pos <= dirs.size()) {
    size_t end = dirs.find(':', pos);
    if (end == std::string::npos) end = dirs.size();
    if (end > pos) folders.push_back(fs::path(dirs.substr(pos, end - pos)) / "applications");
    pos = end + 1;
  }
  return folders;
}

}  // namespace

std::vector<fs::path> DesktopEntryFiles() {
  std::vector<fs::path> files;
  for (const fs::path& folder : ApplicationFolders()) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
      if (it->path().extension() == ".desktop" && it->is_regular_file(ec)) files.push_back(it->path());
  }
  return files;
}

std::optional<fs::path> FindDesktopEntry(std::string_view id) {
  if (id.empty() || id.find('/') != std::string_view::npos) return std::nullopt;
  const std::vector<fs::path> folders = ApplicationFolders();
  for (const fs::path& folder : folders) {
    std::error_code ec;
    const fs::path candidate = folder / std::string(id);
    if (fs::is_regular_file(candidate, ec)) return candidate;
    // Entries in subfolders have ids with "-" for "/" ("kde4-kate.desktop").
    const size_t dash = id.find('-');
    if (dash != std::string_view::npos) {
      const fs::path nested = folder / std::string(id.substr(0, dash)) / std::string(id.substr(dash + 1));
      if (fs::is_regular_file(nested, ec)) return nested;
    }
  }
  return std::nullopt;
}

}  // namespace hozanki
