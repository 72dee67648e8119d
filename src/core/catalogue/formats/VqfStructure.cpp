#include "core/catalogue/formats/VqfStructure.h"

#include <algorithm>

#include "core/catalogue/formats/ByteOrder.h"

namespace hozanki {
namespace {

constexpr uint64_t kMaxHeader = 16u << 20;
constexpr uint32_t kMaxKbps = 1u << 20;
constexpr uint32_t kMaxKHz = 1u << 20;

}  // namespace

uint64_t VqfHeaderLength(std::string_view head) {
  if (head.size() < 16 || head.substr(0, 4) != "TWIN") return 0;
  return 16 + static_cast<uint64_t>(Be32(head, 12)) + 4;
}

bool ParseVqf(std::string_view head, VqfStructure& vqf, std::string* error) {
  auto fail = [error](const char* message) {
    if (error) *error = message;
    return false;
  };
  if (head.size() < 16 || head.substr(0, 4) != "TWIN") return fail("not a VQF file (no TWIN header)");
  uint64_t headerSize = Be32(head, 12);
  if (headerSize > kMaxHeader) return fail("broken VQF file (header size too large)");
  vqf = VqfStructure();
  vqf.version = std::string(head.substr(4, 8));
  size_t pos = 16;
  size_t end = static_cast<size_t>(std::min<uint64_t>(16 + headerSize, head.size()));
  bool sawData = false;
  while (pos + 4 <= head.size()) {
    if (head.substr(pos, 4) == "DATA") {
      sawData = true;
      break;
    }
    if (pos + 8 > end) break;
    uint32_t size = Be32(head, pos + 4);
    if (size > end - pos - 8) return fail("broken VQF file (a chunk runs past the header)");
    vqf.chunks.push_back({std::string(head.substr(pos, 4)), std::string(head.substr(pos + 8, size))});
    pos += 8 + size;
  }
  if (!sawData) return fail("broken VQF file (no DATA chunk after the header)");
  vqf.dataOffset = pos;
  for (const auto& c : vqf.chunks) {
    if (c.id != "COMM" || c.data.size() < 12) continue;
    // Header fields stay unsigned until they are known to fit: the channel
    // field counts from 0, the rate is in kHz (11, 22 and 44 stand for the
    // CD-derived rates).
    uint32_t channels = Be32(c.data, 0);
    uint32_t kbps = Be32(c.data, 4);
    uint32_t rate = Be32(c.data, 8);
    vqf.channels = channels < 64 ? static_cast<int>(channels) + 1 : 0;
    vqf.kbps = kbps <= kMaxKbps ? static_cast<int>(kbps) : 0;
    vqf.sampleRate = rate == 11        ? 11025
                     : rate == 22      ? 22050
                     : rate == 44      ? 44100
                     : rate <= kMaxKHz ? static_cast<int>(rate) * 1000
                                       : 0;
    break;
  }
  return true;
}

std::string RenderVqfHeader(const VqfStructure& vqf) {
  std::string chunks;
  for (const auto& c : vqf.chunks) {
    chunks += c.id;
    PutBE32(chunks, static_cast<uint32_t>(c.data.size()));
    chunks += c.data;
  }
  std::string out = "TWIN" + vqf.version;
  PutBE32(out, static_cast<uint32_t>(chunks.size()));
  return out + chunks + "DATA";
}

}  // namespace hozanki
