#include "gui/tools/DefaultEditor.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>

#include "core/common/AtomicFile.h"
#include "core/tools/DesktopEntry.h"
#include "core/tools/EditorExchange.h"
#include "core/tools/ProgramStart.h"

namespace hozanki {
namespace {

// The program of a command made absolute through PATH; false when missing.
bool ResolveCommand(std::vector<std::string>& command) {
  if (command.empty()) return false;
  std::string found = ResolveProgram(command.front());
  if (found.empty()) return false;
  command.front() = std::move(found);
  return true;
}

std::vector<std::string> MimeDefaultCommand() {
  const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (xdgMime.isEmpty()) return {};
  QProcess query;
  query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
  if (!query.waitForFinished(3000)) {
    query.kill();
    query.waitForFinished(1000);
    return {};
  }
  const std::string id = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed().toStdString();
  const auto entry = FindDesktopEntry(id);
  std::string bytes;
  if (!entry || !ReadWholeFile(*entry, bytes)) return {};
  return WindowEditorOfEntry(bytes).value_or(std::vector<std::string>{});
}

// Console editors that come without a desktop entry of their own.
bool IsKnownConsoleEditor(const std::string& name) {
  for (const char* known : {"vi", "vim", "nvim", "nano", "micro", "joe", "jed", "ne", "mcedit", "emacs-nox",
                            "vim.tiny", "vim.basic", "vim.nox", "helix", "hx", "kak"})
    if (name == known) return true;
  return false;
}

std::string Canonical(const std::string& program) {
  std::error_code ec;
  const std::filesystem::path canonical = std::filesystem::canonical(program, ec);
  return ec ? program : canonical.string();
}

}  // namespace

bool IsProgramFile(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.isExecutable();
}

std::optional<std::vector<std::string>> WindowEditorOfEntry(std::string_view entryText) {
  if (DesktopEntryRunsInTerminal(entryText)) return std::nullopt;
  const auto exec = DesktopEntryExec(entryText);
  if (!exec) return std::nullopt;
  std::vector<std::string> command = SplitExecValue(*exec);
  if (command.empty()) return std::nullopt;
  return command;
}

std::vector<std::string> DefaultEditorCommand() {
  std::vector<std::string> command = MimeDefaultCommand();
  if (ResolveCommand(command)) return command;
  for (const char* name : {"mousepad", "gedit", "gnome-text-editor", "kate", "kwrite", "featherpad", "xed",
                           "pluma", "leafpad", "l3afpad", "geany"}) {
    command = {name};
    if (ResolveCommand(command)) return command;
  }
  return {};
}

QString DefaultEditorProgram() {
  const std::vector<std::string> command = DefaultEditorCommand();
  return command.empty() ? QString() : QString::fromStdString(command.front());
}

std::vector<std::string> EditorCommand(const std::string& editorSetting) {
  if (IsProgramFile(QString::fromStdString(editorSetting))) return {editorSetting};
  return DefaultEditorCommand();
}

bool IsTerminalProgram(const std::string& program) {
  if (program.empty()) return false;
  const std::string name = std::filesystem::path(program).filename().string();
  if (IsKnownConsoleEditor(name)) return true;
  const std::string target = Canonical(program);
  for (const std::filesystem::path& file : DesktopEntryFiles()) {
    std::string bytes;
    if (!ReadWholeFile(file, bytes) || !DesktopEntryRunsInTerminal(bytes)) continue;
    const auto exec = DesktopEntryExec(bytes);
    if (!exec) continue;
    std::vector<std::string> command = SplitExecValue(*exec);
    if (!ResolveCommand(command)) continue;
    if (command.front() == program || Canonical(command.front()) == target) return true;
  }
  return false;
}

std::vector<std::string> TerminalCommand() {
  std::vector<std::vector<std::string>> candidates;
  if (const char* named = std::getenv("TERMINAL"); named && *named) candidates.push_back({named, "-e"});
  for (const char* name : {"x-terminal-emulator", "xterm", "konsole", "xfce4-terminal", "lxterminal",
                           "mate-terminal", "urxvt", "alacritty", "kitty"})
    candidates.push_back({name, "-e"});
  for (std::vector<std::string>& command : candidates)
    if (ResolveCommand(command)) return command;
  return {};
}

ProgramCall EditorProgramCall(const std::string& editorSetting, const std::string& file) {
  ProgramCall call = EditorCall(EditorCommand(editorSetting), file);
  if (call.program.empty() || !IsTerminalProgram(call.program)) return call;
  std::vector<std::string> terminal = TerminalCommand();
  if (terminal.empty()) return {};
  ProgramCall wrapped{terminal.front(), {terminal.begin() + 1, terminal.end()}};
  wrapped.arguments.push_back(call.program);
  wrapped.arguments.insert(wrapped.arguments.end(), call.arguments.begin(), call.arguments.end());
  return wrapped;
}

QString EditorCommandLine(const std::string& editorSetting) {
  const ProgramCall call = EditorProgramCall(editorSetting, "\xE2\x80\xA6");
  if (call.program.empty()) return {};
  QStringList words{QString::fromStdString(call.program)};
  for (const std::string& argument : call.arguments) words << QString::fromStdString(argument);
  return words.join(QLatin1Char(' '));
}

}  // namespace hozanki
