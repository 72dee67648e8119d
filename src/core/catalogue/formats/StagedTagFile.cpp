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

bool StagedTagFile::Save(std::string* error) {
  ValueMap changes;
  uint64_t growth = 64 * 1024;
  for (const auto& [name, value] : staged_) {
    auto it = values_.find(name);
    if ((it == values_.end() ? std::string() : it->second) != value) {
      changes.emplace(name, value);
      growth += 4 * value.size() + 256;
    }
  }
  if (changes.empty()) {
    staged_.clear();
    return true;
  }
  // A file whose structure does not add up is never written: a writer
  // misled by it could cut the audio or grow the file without end.
  PayloadMap before;
  std::string why;
  if (!MapPayload(type_, path_, before, &why)) {
    if (error) *error = "ファイルの構造が壊れているため保存しません: " + why + " (" + path_.string() + ")";
    return false;
  }
  FileReplacement copy;
  if (!copy.Begin(path_, error)) return false;
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
  if (!Verify(copy.Temporary(), changes, error)) return false;
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
