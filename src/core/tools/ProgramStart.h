#pragma once
// Finding and starting other programs with their arguments as exact bytes:
// file names that are not UTF-8 (Shift-JIS names from old collections) reach
// the program as they are on disk, never through a text conversion.

#include <string>
#include <string_view>

#include "core/tools/CommandLine.h"

namespace hozanki {

// The program file a command names: a name holding "/" as it stands, a bare
// name ("mpv") looked up in the folders of `searchPath` (a PATH value; empty
// folders are skipped) as a shell would. Empty when it names no executable
// regular file.
std::string ResolveProgram(std::string_view program, std::string_view searchPath);
// The same with this process's PATH.
std::string ResolveProgram(std::string_view program);

// Starts the call's program (resolved as above) in a session of its own and
// returns without waiting; nothing is left to wait for later. 0 when it
// started, otherwise the system error number (ENOENT for a missing program,
// EACCES for one that cannot be executed, ...).
int StartDetached(const ProgramCall& call);

}  // namespace hozanki
