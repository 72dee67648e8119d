#include "core/catalogue/formats/StagedTagFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/PayloadMap.h"
#include "core/catalogue/formats/ReplacementStream.h"
#include "core/common/AtomicFile.h"

namespace hozanki {

namespace fs = std::filesystem;

std::string ReadFileBytes(const fs::path& path, uint64_t offset, size_t size) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  in.seekg(0, std::ios::end);
  auto fileSize = static_cast<uint64_t>(in.tellg());
  if (!in || offset >= fileSize) return {};
  in.seekg(static_cast<std::streamoff>(offset));
  std::string bytes(static_cast<size_t>(std::min<uint64_t>(size, fileSize - offset)), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

std::string StagedTagFile::GetValue(std::string_view name) const {
  if (auto it = staged_.find(name); it != staged_.end()) return it->second;
  if (auto it = values_.find(name); it != values_.end()) return it->second;
  return {};
}

void StagedTagFile::SetValue(std::string_view name, std::string_view value) {
  if (!IsWritable(name)) return;
  staged_[std::string(name)] = std::string(value);
}

bool StagedTagFile::Open(const fs::path& path, std::string* error) {
  path_ = path;
  values_.clear();
  staged_.clear();
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    if (error) *error = "cannot read " + path.string() + (ec ? ": " + ec.message() : ": not a regular file");
    return false;
  }
  return Read(path, values_, error);
}

StagedTagFile::ValueMap StagedTagFile::Changes(uint64_t& growth) const {
  ValueMap changes;
  growth = 64 * 1024;
  for (const auto& [name, value] : staged_) {
    auto it = values_.find(name);
    if ((it == values_.end() ? std::string() : it->second) != value) {
      changes.emplace(name, value);
      growth += 4 * value.size() + 256;
    }
  }
  return changes;
}

bool StagedTagFile::WriteCopy(FileReplacement& copy, const ValueMap& changes, uint64_t growth, std::string* error) {
  // A file whose structure does not add up is never written: a writer
  // misled by it could cut the audio or grow the file without end.
  PayloadMap before;
  std::string why;
  if (!MapPayload(type_, path_, before, &why)) {
    if (error) *error = "ファイルの構造が壊れているため保存しません: " + why + " (" + path_.string() + ")";
    return false;
  }
  if (!copy.AppendTarget()) return copy.Commit(error);
  // The new file may grow by what the new values can take in the worst
  // encoding, plus room for a writer's padding; a writer misled by a
  // damaged size field stops there instead of filling the disk.
  copy.SetSizeLimit(copy.Size() + growth);
  ReplacementStream stream(copy);
  stream_ = &stream;
  copy_ = &copy;
  bool ok = false;
  try {
    ok = Write(copy.Temporary(), changes, values_, error);
  } catch (const WriteAborted&) {
    ok = false;
  } catch (const std::exception& e) {
    copy.Fail(EIO, std::string("書き込みに失敗しました: ") + e.what());
  }
  stream_ = nullptr;
  copy_ = nullptr;
  if (copy.Failed()) return copy.Commit(error);
  if (!ok) return false;
  PayloadMap after;
  if (!MapPayload(type_, copy.Temporary(), after, &why) || !SamePayload(path_, before, copy.Temporary(), after, &why)) {
    if (error) *error = "書き込んだファイルの音声・映像データが元と一致しないため保存しません: " + why + " (" + path_.string() + ")";
    return false;
  }
  payload_ = before.ranges;
  return Verify(copy.Temporary(), changes, error);
}

bool StagedTagFile::Save(std::string* error) {
  uint64_t growth = 0;
  ValueMap changes = Changes(growth);
  if (changes.empty()) {
    staged_.clear();
    return true;
  }
  FileReplacement copy;
  if (!copy.Begin(path_, error)) return false;
  if (!WriteCopy(copy, changes, growth, error)) return false;
  if (!copy.Commit(error)) return false;
  ValueMap fresh;
  std::string readError;
  if (!Read(path_, fresh, &readError)) {
    if (error) *error = "保存後のファイルを読み直せません: " + readError;
    return false;
  }
  values_ = std::move(fresh);
  staged_.clear();
  return true;
}

namespace {

// In-place edits larger than this are written as a new copy (the journal
// holds the old bytes).
constexpr uint64_t kMaxInPlaceBytes = 16u << 20;

bool Overlaps(uint64_t offset, uint64_t end, const std::vector<ByteRange>& ranges) {
  for (const ByteRange& r : ranges)
    if (offset < r.offset + r.length && r.offset < end) return true;
  return false;
}

}  // namespace

TagFile::InPlacePlan StagedTagFile::PlanInPlace(InPlaceEdit& edit, std::string* error) {
  if (!edit.Identify(path_, error)) return InPlacePlan::Failed;
  uint64_t growth = 0;
  ValueMap changes = Changes(growth);
  if (changes.empty()) return InPlacePlan::InPlace;
  // A scratch copy, never renamed over the file: links and owners need no
  // keeping (a copy that is to replace the file is made again by Save).
  FileReplacement copy;
  std::string ignored;
  if (!copy.Begin(path_, &ignored, {.temporaryName = {}, .keepIdentity = false})) return InPlacePlan::Rewrite;
  if (!WriteCopy(copy, changes, growth, error)) return InPlacePlan::Failed;
  const uint64_t oldSize = edit.oldSize, newSize = copy.Size();
  int in = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return InPlacePlan::Rewrite;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{in};
  // The differences, in runs (close ones merged), outside the payload.
  constexpr size_t kBlock = 1 << 20;
  constexpr uint64_t kGap = 64;
  std::string a, b;
  uint64_t total = 0;
  auto add = [&](uint64_t offset, uint64_t end) {
    if (!edit.writes.empty()) {
      InPlaceEdit::Write& last = edit.writes.back();
      if (offset <= last.offset + last.bytes.size() + kGap) offset = last.offset + last.bytes.size();
    }
    std::string bytes;
    if (!copy.ReadAt(offset, static_cast<size_t>(end - offset), bytes) || bytes.size() != end - offset) return false;
    total += bytes.size();
    if (!edit.writes.empty() && edit.writes.back().offset + edit.writes.back().bytes.size() == offset)
      edit.writes.back().bytes += bytes;
    else
      edit.writes.push_back({offset, std::move(bytes)});
    return total <= kMaxInPlaceBytes;
  };
  const uint64_t common = std::min(oldSize, newSize);
  for (uint64_t pos = 0; pos < common; pos += kBlock) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(kBlock, common - pos));
    a.resize(n);
    ssize_t r = ::pread(in, a.data(), n, static_cast<off_t>(pos));
    if (r != static_cast<ssize_t>(n) || !copy.ReadAt(pos, n, b) || b.size() != n) return InPlacePlan::Rewrite;
    if (a == b) continue;
    for (size_t i = 0; i < n;) {
      if (a[i] == b[i]) {
        ++i;
        continue;
      }
      size_t j = i;
      while (j < n && a[j] != b[j]) ++j;
      if (!add(pos + i, pos + j)) return InPlacePlan::Rewrite;
      i = j;
    }
  }
  if (newSize > common && !add(common, newSize)) return InPlacePlan::Rewrite;
  for (const InPlaceEdit::Write& w : edit.writes)
    if (Overlaps(w.offset, w.offset + w.bytes.size(), payload_)) return edit.writes.clear(), InPlacePlan::Rewrite;
  if (oldSize > newSize && Overlaps(newSize, oldSize, payload_)) return edit.writes.clear(), InPlacePlan::Rewrite;
  edit.newSize = newSize;
  return InPlacePlan::InPlace;
}

namespace {

std::string_view Trimmed(std::string_view text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Whether a value read back is the one written: the same text, or the same
// number where the format stores numbers ("01" is kept as 1).
bool SameValue(std::string_view meant, std::string_view now) {
  meant = Trimmed(meant);
  now = Trimmed(now);
  if (meant == now) return true;
  auto digits = [](std::string_view s) {
    return !s.empty() && s.size() < 10 && s.find_first_not_of("0123456789") == std::string_view::npos;
  };
  return digits(meant) && digits(now) && std::stoul(std::string(meant)) == std::stoul(std::string(now));
}

}  // namespace

bool StagedTagFile::Verify(const fs::path& copy, const ValueMap& changes, std::string* error) {
  ValueMap fresh;
  std::string readError;
  if (!Read(copy, fresh, &readError)) {
    if (error) *error = "書き込んだファイルが読めないため保存しません: " + readError;
    return false;
  }
  for (const auto& [name, value] : changes) {
    auto it = fresh.find(name);
    std::string now = it == fresh.end() ? std::string() : it->second;
    if (!SameValue(value, now)) {
      if (error) *error = "書き込んだ値 " + name + " を読み戻せないため保存しません (" + path_.string() + ")";
      return false;
    }
  }
  return true;
}

}  // namespace hozanki
