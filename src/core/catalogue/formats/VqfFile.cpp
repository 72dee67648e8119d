#include "core/catalogue/formats/VqfFile.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/catalogue/formats/RiffInfo.h"
#include "core/catalogue/formats/VqfStructure.h"
#include "core/common/AtomicFile.h"
#include "core/common/Failure.h"

namespace hozanki {
namespace {

struct ChunkName {
  std::string_view value;
  std::string_view chunk;
};
constexpr std::array kChunks = {ChunkName{"IART", "AUTH"}, ChunkName{"INAM", "NAME"},
                                ChunkName{"FILE", "FILE"}, ChunkName{"ICOP", "(c) "},
                                ChunkName{"ICMT", "COMT"}};

bool ReadHeader(const std::filesystem::path& path, VqfStructure& vqf, std::string* error) {
  std::string head = ReadFileBytes(path, 0, 16);
  uint64_t length = VqfHeaderLength(head);
  if (length > 16) head = ReadFileBytes(path, 0, static_cast<size_t>(std::min<uint64_t>(length, 32u << 20)));
  return ParseVqf(head, vqf, error);
}

}  // namespace

bool VqfFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  VqfStructure vqf;
  if (!ReadHeader(path, vqf, error)) return false;
  for (const auto& c : vqf.chunks)
    for (const auto& k : kChunks)
      if (c.id == k.chunk && !values.count(k.value)) values[std::string(k.value)] = DecodeLegacyText(c.data);
  std::error_code ec;
  uint64_t fileSize = std::filesystem::file_size(path, ec);
  uint64_t dataBytes = !ec && fileSize > vqf.dataOffset + 4 ? fileSize - vqf.dataOffset - 4 : 0;
  values["TIME"] = TimeText(vqf.kbps > 0 ? static_cast<int64_t>(dataBytes * 8 / (vqf.kbps * 1000ull)) : 0);
  values["AFMT"] = AudioFormatText("TwinVQ", vqf.kbps, vqf.sampleRate, 0, vqf.channels);
  return true;
}

bool VqfFile::IsWritable(std::string_view name) const {
  for (const auto& k : kChunks)
    if (k.value == name) return true;
  return false;
}

bool VqfFile::Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap&,
                    std::string* error) {
  std::string bytes;
  if (!ReadWholeFile(copy, bytes)) {
    FailWith(error, {FailureKind::kSystem, "", "VQF", 0, 0, EIO, "cannot read " + copy.string()});
    return false;
  }
  VqfStructure vqf;
  if (!ParseVqf(bytes, vqf, error)) return false;
  for (const auto& k : kChunks) {
    auto it = changes.find(k.value);
    if (it == changes.end()) continue;
    std::string data = it->second.empty() ? std::string() : EncodeLegacyText(it->second);
    // The first chunk of the kind takes the text; repeats of it go. One
    // pass, so that a file with very many chunks is not quadratic.
    bool placed = false;
    auto keep = vqf.chunks.begin();
    for (auto c = vqf.chunks.begin(); c != vqf.chunks.end(); ++c) {
      if (c->id == k.chunk) {
        if (placed || data.empty()) continue;
        c->data = data;
        placed = true;
      }
      if (keep != c) *keep = std::move(*c);
      ++keep;
    }
    vqf.chunks.erase(keep, vqf.chunks.end());
    if (!placed && !data.empty()) vqf.chunks.push_back({std::string(k.chunk), data});
  }
  std::string out = RenderVqfHeader(vqf) + bytes.substr(static_cast<size_t>(vqf.dataOffset) + 4);
  (void)error;
  return CopyFile().Truncate(0) && CopyFile().Append(out);
}

}  // namespace hozanki
