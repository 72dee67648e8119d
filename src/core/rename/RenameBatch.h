#pragma once
// Renaming many files at once, in an order that works: a file whose new name
// is still held by another file of the batch waits until that file has
// moved; swaps and longer cycles (a -> b, b -> c, c -> a) go through a
// temporary name in the same folder, as do case-only renames on file systems
// that ignore case. No rename ever replaces a file.
//
// Before a file takes a temporary name, the rename log (a small file in the
// settings folder) records it, flushed to disk; it is removed when the file
// has its final name. After a crash, ReplayRenameLog gives every file left
// under a temporary name its new name, or its old one when the new one is
// taken, so every file ends under its old or its new name.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/rename/NameConflicts.h"

namespace hozanki {

inline constexpr const char* kRenameLogFileName = "hozanki-renames.log";

// A file to rename within its folder (full paths; `to` in the folder of `from`).
struct RenameMove {
  std::filesystem::path from;
  std::filesystem::path to;
};

enum class MoveOutcome { NotDone, Renamed, Unchanged, Failed };

struct MoveResult {
  MoveOutcome outcome = MoveOutcome::NotDone;  // NotDone: cancelled before it
  std::string error;
};

struct RenameBatchOptions {
  // Where the rename log lives (empty: no log is kept).
  std::filesystem::path logPath;
  FolderCaseProbe probe = FolderCaseProbe::FromSystem();
  FolderLister lister = ListFolderNames;
  // Asked between independent groups of renames; a started cycle is finished.
  std::function<bool()> cancelled;
  // Before each file's rename, or its refusal for a collision (index into the moves).
  std::function<void(size_t)> beforeMove;
  // After each rename on disk (tests stop the process here).
  std::function<void()> afterStep;
};

// Renames the files. Moves that collide (see NameConflicts.h) fail without
// touching anything; a move whose target is never freed fails as a plain
// rename onto an existing name does.
std::vector<MoveResult> RunRenameBatch(const std::vector<RenameMove>& moves, const RenameBatchOptions& options);

// Puts back the files the log names; removes the log when all are resolved.
// Returns how many files were put back; `problems` gets one line per file
// that could not be (it keeps its temporary name and stays in the log).
int ReplayRenameLog(const std::filesystem::path& logPath, std::vector<std::string>* problems = nullptr);
// The same, with each file left under its temporary name: where it is, the
// names it had and was to have, and why neither could be given back.
struct RenameLogProblem {
  std::filesystem::path temporary;
  std::filesystem::path from;
  std::filesystem::path to;
  std::string reason;
};
int ReplayRenameLog(const std::filesystem::path& logPath, std::vector<RenameLogProblem>* problems);

// Whether a name is one of the batch's temporary names (".hozanki-XXXXXXXX.ren").
bool IsRenameTemporaryName(std::string_view name);

}  // namespace hozanki
