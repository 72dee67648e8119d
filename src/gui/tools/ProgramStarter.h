#pragma once
// Starting other programs: user tools and players run on their own (nothing
// waits for them, nothing is reported); the desktop's default application
// opens a file; the external editor is waited for while the window that
// started it stays painted but disabled. Programs are always started with
// their argument list, never through a shell.

#include <QString>
#include <functional>

#include "core/tools/CommandLine.h"

class QWidget;

namespace hozanki {

struct ProgramStarter {
  // Starts the program without waiting; false when it cannot start.
  std::function<bool(const ProgramCall& call)> start;
  // Opens a file with the desktop's default application, without waiting.
  std::function<bool(const QString& path)> open;
};
ProgramStarter StandardProgramStarter();

// Runs the program and returns when it ends, with `window` disabled while it
// runs (events are still handled, so the window keeps painting). 0 when it
// ran, otherwise the system error number of the failed start (ENOENT for a
// missing program, EACCES for one that cannot be executed, ...).
int RunAndWait(const ProgramCall& call, QWidget* window);

}  // namespace hozanki
