#pragma once
// The text editor of the external editor command. The stored "Editor" is used
// when it names a program file; otherwise (the Windows names "Notepad.exe"
// and "C:\WINDOWS\Notepad.exe" included) the desktop's default text editor:
// the command of the desktop entry that `xdg-mime query default text/plain`
// names, else the first of the common editors found on PATH.

#include <QString>
#include <string>
#include <vector>

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

}  // namespace hozanki
