#include "gui/tools/DefaultEditor.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "core/common/AtomicFile.h"
#include "core/tools/DesktopEntry.h"

namespace hozanki {
namespace {

// The program of a command made absolute through PATH; false when missing.
bool ResolveProgram(std::vector<std::string>& command) {
  if (command.empty()) return false;
  const QString program = QString::fromStdString(command.front());
  const QString found = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
  if (found.isEmpty() || !IsProgramFile(found)) return false;
  command.front() = found.toStdString();
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
  const auto exec = DesktopEntryExec(bytes);
  return exec ? SplitExecValue(*exec) : std::vector<std::string>{};
}

}  // namespace

bool IsProgramFile(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.isExecutable();
}

std::vector<std::string> DefaultEditorCommand() {
  std::vector<std::string> command = MimeDefaultCommand();
  if (ResolveProgram(command)) return command;
  for (const char* name : {"mousepad", "gedit", "gnome-text-editor", "kate", "kwrite", "featherpad", "xed",
                           "pluma", "leafpad", "l3afpad", "geany"}) {
    command = {name};
    if (ResolveProgram(command)) return command;
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

}  // namespace hozanki
