#include "core/catalogue/formats/AviFile.h"

#include <fstream>

#include "core/catalogue/formats/AviStructure.h"
#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/common/AtomicFile.h"
#include "core/common/Failure.h"

namespace hozanki {
namespace {

bool ParseFile(const std::filesystem::path& path, AviStructure& avi, std::string* error) {
  std::error_code ec;
  uint64_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    FailWith(error, {FailureKind::kSystem, "", "AVI", 0, 0, EIO,
                     "cannot read " + path.string() + ": " + ec.message()});
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  auto read = [&in](uint64_t offset, size_t count) {
    std::string bytes(count, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
  };
  return ParseAviStructure(read, size, avi, error);
}

bool IsInfoOrJunk(const AviChunk& c) {
  return c.id == "JUNK" || (c.id == "LIST" && c.listType == "INFO");
}

}  // namespace

bool AviFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  AviStructure avi;
  if (!ParseFile(path, avi, error)) return false;
  for (const auto& [id, text] : avi.info.Fields())
    if (!values.count(id)) values[id] = text;
  values["TIME"] = TimeText(WholeSeconds(avi.seconds));
  values["AFMT"] = avi.audioFormat;
  values["VFMT"] = avi.videoFormat;
  return true;
}

void AviFile::SetOption(std::string_view name, std::string_view value) {
  mode_ = InfoTextModeFromOption(name, value, mode_);
}

bool AviFile::IsWritable(std::string_view name) const {
  return IsInfoFieldName(name);
}

bool AviFile::Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap&,
                    std::string* error) {
  AviStructure avi;
  if (!ParseFile(copy, avi, error)) return false;
  // The file's list with the changed fields; every other chunk keeps its bytes.
  InfoList info = avi.info;
  for (const auto& [name, value] : changes) info.Set(name, value);
  if (!info.Changed()) return true;
  // The largest run of INFO and JUNK chunks before "movi"; the one holding
  // the INFO list wins.
  size_t movi = avi.chunks.size();
  for (size_t i = 0; i < avi.chunks.size(); ++i)
    if (avi.chunks[i].id == "LIST" && avi.chunks[i].listType == "movi") {
      movi = i;
      break;
    }
  size_t bestFirst = 0, bestLast = 0;
  uint64_t bestSize = 0;
  bool bestHasInfo = false;
  for (size_t i = 0; i < movi;) {
    if (!IsInfoOrJunk(avi.chunks[i])) {
      ++i;
      continue;
    }
    size_t j = i;
    uint64_t size = 0;
    bool hasInfo = false;
    for (; j < movi && IsInfoOrJunk(avi.chunks[j]); ++j) {
      size += avi.chunks[j].Span();
      hasInfo = hasInfo || avi.chunks[j].id == "LIST";
    }
    if ((hasInfo && !bestHasInfo) || (hasInfo == bestHasInfo && size > bestSize))
      bestFirst = i, bestLast = j, bestSize = size, bestHasInfo = hasInfo;
    i = j;
  }
  if (bestLast == bestFirst) {
    if (error)
      *error =
          "no room for the INFO list in this AVI file: there is no INFO list or JUNK padding before "
          "the movie data (the file is left unchanged)";
    return false;
  }
  std::string region;
  if (!RenderInfoRegion(info, mode_, bestSize, region, error)) return false;
  FileReplacement& out = CopyFile();
  if (!out.WriteAt(avi.chunks[bestFirst].offset, region)) return false;
  // Any other INFO list of the first part would contradict the new one: it
  // becomes JUNK of the same size.
  for (size_t i = 0; i < avi.chunks.size(); ++i) {
    if ((i >= bestFirst && i < bestLast) || avi.chunks[i].id != "LIST" || avi.chunks[i].listType != "INFO")
      continue;
    if (!out.WriteAt(avi.chunks[i].offset, "JUNK")) return false;
  }
  return true;
}

}  // namespace hozanki
