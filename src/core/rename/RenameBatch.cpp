#include "core/rename/RenameBatch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <unordered_map>

#include "core/common/AtomicFile.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTempSuffix = ".ren";
constexpr std::string_view kLogHeader = "hozanki rename log 1";

bool Exists(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// A file under a temporary name, with where it came from and where it goes,
// and the renames of its cycle that free its new name, in order.
struct LogEntry {
  fs::path temporary;
  fs::path from;
  fs::path to;
  std::vector<RenameMove> steps;
};

std::string Escape(const std::string& raw) {
  std::string out;
  for (char c : raw) {
    if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += '%';
      out += kHex[(static_cast<unsigned char>(c) >> 4) & 15];
      out += kHex[static_cast<unsigned char>(c) & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  auto hex = [](char c) { return c >= 'A' ? c - 'A' + 10 : c - '0'; };
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<LogEntry> ReadLog(const fs::path& logPath, bool* readable) {
  std::vector<LogEntry> entries;
  std::string text;
  *readable = ReadWholeFile(logPath, text);
  if (!*readable) return entries;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == kLogHeader || line.empty()) continue;
    std::vector<std::string> fields(1);
    for (char c : line) {
      if (c == '\t')
        fields.emplace_back();
      else
        fields.back() += c;
    }
    for (std::string& field : fields) field = Unescape(field);
    if (fields.size() < 3 || fields.size() % 2 == 0) continue;
    LogEntry e{fields[0], fields[1], fields[2], {}};
    for (size_t i = 3; i + 1 < fields.size(); i += 2) e.steps.push_back(RenameMove{fields[i], fields[i + 1]});
    entries.push_back(std::move(e));
  }
  return entries;
}

bool WriteLog(const fs::path& logPath, const std::vector<LogEntry>& entries, std::string* error) {
  if (logPath.empty()) return true;
  if (entries.empty()) {
    if (::unlink(logPath.c_str()) != 0 && errno != ENOENT) {
      if (error) *error = FileErrorReason(errno);
      return false;
    }
    return true;
  }
  std::string text = std::string(kLogHeader) + "\n";
  for (const LogEntry& e : entries) {
    std::vector<const fs::path*> fields{&e.temporary, &e.from, &e.to};
    for (const RenameMove& step : e.steps) {
      fields.push_back(&step.from);
      fields.push_back(&step.to);
    }
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) text.push_back('\t');
      text.append(Escape(fields[i]->native()));
    }
    text.push_back('\n');
  }
  return WriteFileAtomic(logPath, text, error);
}

class Batch {
 public:
  Batch(const std::vector<RenameMove>& moves, const RenameBatchOptions& options)
      : moves_(moves), options_(options), results_(moves.size()), current_(moves.size()),
        state_(moves.size(), kTodo) {}

  std::vector<MoveResult> Run() {
    NameConflictIndex index(options_.probe, options_.lister);
    std::vector<NameRow> rows;
    rows.reserve(moves_.size());
    for (const RenameMove& m : moves_)
      rows.push_back(NameRow{m.from.parent_path(), m.from.filename().native(), m.to.filename().native(), true});
    index.Reset(std::move(rows));
    for (size_t i = 0; i < moves_.size(); ++i) {
      current_[i] = moves_[i].from;
      insensitive_.push_back(index.CaseOf(i) == NameCase::Insensitive);
      if (moves_[i].from == moves_[i].to) {
        results_[i].outcome = MoveOutcome::Unchanged;
        state_[i] = kDone;
      } else if (index.HasConflict(i)) {
        if (options_.beforeMove) options_.beforeMove(i);
        results_[i] = MoveResult{MoveOutcome::Failed, ConflictText(index.OtherName(i))};
        state_[i] = kDone;
      }
    }
    for (size_t i = 0; i < moves_.size(); ++i)
      if (state_[i] == kTodo) pending_[Key(i, moves_[i].from)] = i;

    for (size_t start = 0; start < moves_.size(); ++start) {
      if (state_[start] != kTodo) continue;
      if (options_.cancelled && options_.cancelled()) break;
      std::vector<size_t> path{start};
      state_[start] = kVisiting;
      while (!path.empty()) {
        const size_t cur = path.back();
        auto holder = pending_.find(Key(cur, moves_[cur].to));
        if (holder != pending_.end() && holder->second != cur) {
          const size_t j = holder->second;
          if (state_[j] == kTodo) {
            state_[j] = kVisiting;
            path.push_back(j);
            continue;
          }
          // j waits further up the path for this very name: a cycle. j steps
          // aside under a temporary name, which frees the name for `cur`.
          if (state_[j] == kVisiting) {
            // The renames that follow, up the path back to j, go to the log.
            std::vector<RenameMove> steps;
            for (size_t p = path.size(); p-- > 0 && path[p] != j;) steps.push_back({current_[path[p]], moves_[path[p]].to});
            if (ToTemporary(j, std::move(steps))) pending_.erase(holder);
          }
        }
        Execute(cur);
        state_[cur] = kDone;
        path.pop_back();
      }
    }
    return results_;
  }

 private:
  static constexpr int kTodo = 0, kVisiting = 1, kDone = 2;

  std::string Key(size_t i, const fs::path& path) const {
    return path.parent_path().native() + '\0' +
           NameKey(path.filename().native(), insensitive_[i] ? NameCase::Insensitive : NameCase::Exact);
  }

  void Step() {
    if (options_.afterStep) options_.afterStep();
  }

  // Moves the file of move i to a fresh temporary name beside it, logged first.
  bool ToTemporary(size_t i, std::vector<RenameMove> steps = {}) {
    const fs::path folder = current_[i].parent_path();
    std::string error;
    for (int attempt = 0; attempt < 16; ++attempt) {
      fs::path temporary = folder / FreshTemporaryName(kTempSuffix);
      if (Exists(temporary)) continue;
      log_.push_back(LogEntry{temporary, moves_[i].from, moves_[i].to, steps});
      if (!WriteLog(options_.logPath, log_, &error)) {
        log_.pop_back();
        results_[i] = MoveResult{MoveOutcome::Failed, "名前の変更の記録を書き込めません: " + error};
        return false;
      }
      if (RenameNoReplace(current_[i], temporary, &error)) {
        current_[i] = temporary;
        Step();
        return true;
      }
      log_.pop_back();
      WriteLog(options_.logPath, log_, nullptr);
      if (Exists(temporary)) continue;  // taken meanwhile: another name
      break;
    }
    results_[i] = MoveResult{MoveOutcome::Failed, error.empty() ? "名前を変更できません" : error};
    return false;
  }

  void Unlog(const fs::path& temporary) {
    std::erase_if(log_, [&](const LogEntry& e) { return e.temporary == temporary; });
    WriteLog(options_.logPath, log_, nullptr);
  }

  void Execute(size_t i) {
    if (results_[i].outcome == MoveOutcome::Failed) return;  // could not step aside
    if (options_.beforeMove) options_.beforeMove(i);
    const RenameMove& m = moves_[i];
    // Only the case differs where case does not count: through a temporary name.
    const bool caseOnly = insensitive_[i] && current_[i] == m.from &&
                          NameKey(m.from.filename().native(), NameCase::Insensitive) ==
                              NameKey(m.to.filename().native(), NameCase::Insensitive);
    if (caseOnly && !ToTemporary(i)) return;
    std::string error;
    if (RenameNoReplace(current_[i], m.to, &error)) {
      Step();
      if (current_[i] != m.from) Unlog(current_[i]);
      auto own = pending_.find(Key(i, m.from));
      if (own != pending_.end() && own->second == i) pending_.erase(own);
      current_[i] = m.to;
      results_[i].outcome = MoveOutcome::Renamed;
      return;
    }
    results_[i] = MoveResult{MoveOutcome::Failed, error.empty() ? "名前を変更できません" : error};
    if (current_[i] == m.from) return;
    // Back from the temporary name to the old one when that is free.
    std::string back;
    if (RenameNoReplace(current_[i], m.from, &back)) {
      Step();
      Unlog(current_[i]);
      current_[i] = m.from;
    } else {
      results_[i].error += "（ファイルは一時的な名前 " + current_[i].string() + " のまま残っています）";
    }
  }

  const std::vector<RenameMove>& moves_;
  const RenameBatchOptions& options_;
  std::vector<MoveResult> results_;
  std::vector<fs::path> current_;
  std::vector<int> state_;
  std::vector<bool> insensitive_;
  std::unordered_map<std::string, size_t> pending_;  // name key -> move still holding it
  std::vector<LogEntry> log_;
};

}  // namespace

bool IsRenameTemporaryName(std::string_view name) {
  return IsTemporaryName(name, kTempSuffix);
}

std::vector<MoveResult> RunRenameBatch(const std::vector<RenameMove>& moves, const RenameBatchOptions& options) {
  return Batch(moves, options).Run();
}

int ReplayRenameLog(const fs::path& logPath, std::vector<std::string>* problems) {
  std::vector<RenameLogProblem> found;
  const int restored = ReplayRenameLog(logPath, &found);
  if (problems)
    for (const RenameLogProblem& p : found)
      problems->push_back(p.temporary.string() + ": " + p.from.filename().string() + " / " +
                          p.to.filename().string() + ": " + p.reason);
  return restored;
}

int ReplayRenameLog(const fs::path& logPath, std::vector<RenameLogProblem>* problems) {
  bool readable = false;
  std::vector<LogEntry> entries = ReadLog(logPath, &readable);
  if (!readable) return 0;
  std::vector<LogEntry> left;
  int restored = 0;
  for (const LogEntry& e : entries) {
    // Without the temporary file the cycle never began or is complete.
    if (!Exists(e.temporary)) continue;
    // Otherwise its first step is done and its last is not: the renames in
    // between whose new name is still free are still to do.
    std::string error;
    for (const RenameMove& step : e.steps)
      if (!Exists(step.to) && !RenameNoReplace(step.from, step.to, &error)) break;
    if (RenameNoReplace(e.temporary, e.to, &error) || RenameNoReplace(e.temporary, e.from, &error)) {
      ++restored;
      continue;
    }
    left.push_back(e);
    if (problems) problems->push_back({e.temporary, e.from, e.to, error});
  }
  WriteLog(logPath, left, nullptr);
  return restored;
}

}  // namespace hozanki
