#include "core/catalogue/formats/StagedTagFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "core/catalogue/formats/AviStructure.h"
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

StagedTagFile::ValueMap StagedTagFile::WithWholeDisc(const ValueMap& changes, const ValueMap& current) {
  ValueMap out = changes;
  if (!changes.count("DISC1") && !changes.count("DISC2")) return out;
  for (const char* part : {"DISC1", "DISC2"})
    if (!out.count(part)) {
      auto it = current.find(part);
      out[part] = it == current.end() ? std::string() : it->second;
    }
  return out;
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

bool StagedTagFile::WriteCopy(FileReplacement& copy, const ValueMap& changes, uint64_t growth, std::string* error,
                              bool* moved) {
  // A file whose structure does not add up is never written: a writer
  // misled by it could cut the audio or grow the file without end.
  PayloadMap before;
  std::string why;
  if (!MapPayload(type_, path_, before, &why)) {
    if (error) *error = "ファイルの構造が壊れているため保存しません: " + why + " (" + path_.string() + ")";
    return false;
  }
  // A scratch copy for an in-place plan leaves out (as holes) the media
  // data that no tag reader or writer reads: the bulk of a video.
  std::vector<ByteRange> holes = moved ? UnreadRanges(before) : std::vector<ByteRange>();
  if (holes.empty()) {
    if (!copy.AppendTarget()) return copy.Commit(error);
  } else {
    int in = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return *moved = true, false;
    uint64_t pos = 0;
    for (const ByteRange& h : holes) {
      copy.AppendRange(in, pos, h.offset - pos);
      copy.AppendHole(h.length);
      pos = h.offset + h.length;
    }
    copy.AppendRange(in, pos, before.fileSize - pos);
    ::close(in);
    if (copy.Failed() || copy.Size() != before.fileSize) return *moved = true, false;
  }
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
  if (moved && !holes.empty() && (copy.Failed() || !ok)) return *moved = true, false;
  if (copy.Failed()) return copy.Commit(error);
  if (!ok) return false;
  PayloadMap after;
  // For an in-place edit only the bytes outside the payload are taken from
  // the copy, so its payload needs no comparing: it must only lie where the
  // file's does (else the edit cannot be made in place at all).
  if (moved && MapPayload(type_, copy.Temporary(), after, &why)) {
    *moved = after.ranges != before.ranges || after.chunkOffsets != before.chunkOffsets;
    if (*moved) return false;
    payload_ = before.ranges;
    if (Verify(copy.Temporary(), changes, error)) return true;
    *moved = !holes.empty();  // the holes may be what failed: the full copy decides
    return false;
  }
  if (moved && !holes.empty()) return *moved = true, false;
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

std::vector<ByteRange> StagedTagFile::UnreadRanges(const PayloadMap& map) const {
  std::vector<ByteRange> holes;
  if (map.type == FileType::MP4) {
    holes = map.ranges;  // the contents of the "mdat" boxes
  } else if (map.type == FileType::AVI) {
    int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    AviStructure avi;
    ByteSource source = [fd](uint64_t offset, size_t size) {
      std::string bytes(size, '\0');
      ssize_t r = ::pread(fd, bytes.data(), size, static_cast<off_t>(offset));
      bytes.resize(r > 0 ? static_cast<size_t>(r) : 0);
      return bytes;
    };
    std::string ignored;
    if (ParseAviStructure(source, map.fileSize, avi, &ignored))
      for (const AviChunk& c : avi.chunks)
        if (c.id == "LIST" && c.listType == "movi" && c.size > 4) holes.push_back({c.offset + 12, c.size - 4});
    ::close(fd);
  }
  std::sort(holes.begin(), holes.end(), [](const ByteRange& a, const ByteRange& b) { return a.offset < b.offset; });
  // Only large, separate holes are worth it.
  std::vector<ByteRange> kept;
  uint64_t pos = 0;
  for (const ByteRange& h : holes) {
    if (h.offset < pos || h.offset + h.length > map.fileSize) return {};
    if (h.length >= (1u << 20)) kept.push_back(h);
    pos = h.offset + h.length;
  }
  return kept;
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
  bool moved = false;
  if (!WriteCopy(copy, changes, growth, error, &moved)) return moved ? InPlacePlan::Rewrite : InPlacePlan::Failed;
  const uint64_t oldSize = edit.oldSize, newSize = copy.Size();
  int in = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return InPlacePlan::Rewrite;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{in};
  // The differences, in runs (close ones merged), in the bytes between the
  // payload ranges (the same in both files) and after them.
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
  auto compare = [&](uint64_t from, uint64_t to) {
    for (uint64_t pos = from; pos < to; pos += kBlock) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(kBlock, to - pos));
      a.resize(n);
      ssize_t r = ::pread(in, a.data(), n, static_cast<off_t>(pos));
      if (r != static_cast<ssize_t>(n) || !copy.ReadAt(pos, n, b) || b.size() != n) return false;
      if (a == b) continue;
      for (size_t i = 0; i < n;) {
        if (a[i] == b[i]) {
          ++i;
          continue;
        }
        size_t j = i;
        while (j < n && a[j] != b[j]) ++j;
        if (!add(pos + i, pos + j)) return false;
        i = j;
      }
    }
    return true;
  };
  std::vector<ByteRange> sorted = payload_;
  std::sort(sorted.begin(), sorted.end(), [](const ByteRange& x, const ByteRange& y) { return x.offset < y.offset; });
  uint64_t pos = 0;
  for (const ByteRange& r : sorted) {
    if (r.offset > pos && !compare(pos, std::min(r.offset, common))) return InPlacePlan::Rewrite;
    pos = std::max(pos, r.offset + r.length);
  }
  if (pos < common && !compare(pos, common)) return InPlacePlan::Rewrite;
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
