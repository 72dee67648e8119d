#pragma once
// The text editor of the external editor command. The stored "Editor" is used
// when it names a program file; otherwise (the Windows names "Notepad.exe"
// and "C:\WINDOWS\Notepad.exe" included) the desktop's default text editor:
// the command of the desktop entry that `xdg-mime query default text/plain`
// names, else the first of the common editors found on PATH. An entry marked
// "Terminal=true" is skipped when choosing the default.
//
// A terminal program (one an installed desktop entry marks "Terminal=true",
// or a well-known console editor) is started in the desktop's terminal
// emulator: the one $TERMINAL names, else x-terminal-emulator, else a common
// one found on PATH, given "-e" and the editor's command.

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/tools/CommandLine.h"

namespace hozanki {

// The command (program first) of the desktop's default text editor; empty
// when none is found.
std::vector<std::string> DefaultEditorCommand();
// Its program as an absolute path (empty when none).
QString DefaultEditorProgram();
// The command for the stored editor setting.
std::vector<std::string> EditorCommand(const std::string& editorSetting);
// Whether `path` names a program file that can be started.
bool IsProgramFile(const QString& path);

// The editor command of a desktop entry's text, unless the entry runs in a
// terminal (a default editor must open a window of its own).
std::optional<std::vector<std::string>> WindowEditorOfEntry(std::string_view entryText);
// Whether `program` (an absolute path) runs in a terminal.
bool IsTerminalProgram(const std::string& program);
// The terminal emulator's command, up to and including the option that is
// followed by the command to run ("x-terminal-emulator", "-e"); empty when
// none is found.
std::vector<std::string> TerminalCommand();

// The call that really runs for the stored setting on `file`: the editor
// (with the option that makes it wait), inside the terminal emulator when it
// is a terminal program. An empty program when no editor or no terminal is
// found.
ProgramCall EditorProgramCall(const std::string& editorSetting, const std::string& file);
// That call as one line for the options dialog ("…" for the file).
QString EditorCommandLine(const std::string& editorSetting);

}  // namespace hozanki
