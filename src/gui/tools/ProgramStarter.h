#pragma once
// Starting other programs: user tools and players run on their own (nothing
// waits for them, nothing is reported); the desktop's default application
// opens a file; the external editor is waited for while the window that
// started it stays painted but disabled, and a small message beside it says
// so and offers to stop waiting. Programs are always started with their
// argument list, never through a shell, and file names reach them as their
// exact bytes.

#include <QString>
#include <filesystem>
#include <functional>

#include "core/tools/CommandLine.h"

class QWidget;

namespace hozanki {

struct ProgramStarter {
  // Starts the program without waiting; false when it cannot start.
  std::function<bool(const ProgramCall& call)> start;
  // Opens a file with the desktop's default application, without waiting.
  std::function<bool(const std::filesystem::path& path)> open;
};
ProgramStarter StandardProgramStarter();

// How a wait for a program ended.
struct WaitOutcome {
  // 0 when it ran, otherwise the system error number of the failed start
  // (ENOENT for a missing program, EACCES for one that cannot be executed).
  int startError = 0;
  // The user stopped waiting before the program ended (it runs on).
  bool stopped = false;
};

// Runs the program and returns when it ends or the user stops waiting, with
// `window` disabled meanwhile (events are still handled, so the window keeps
// painting). The message "EditorWait" with its button "ButtonStopWaiting"
// (also its close button) stops the wait.
WaitOutcome RunAndWait(const ProgramCall& call, QWidget* window);

}  // namespace hozanki
