#include "core/catalogue/formats/TakStream.h"

namespace hozanki {
namespace {

constexpr int kEnd = 0;
constexpr int kStreamInfo = 1;
constexpr size_t kCrcSize = 3;

// Bits of a byte string, least significant bit of each byte first.
class LsbBits {
 public:
  explicit LsbBits(std::string_view bytes) : bytes_(bytes) {}
  bool Has(size_t n) const { return pos_ + n <= bytes_.size() * 8; }
  uint64_t Take(int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i, ++pos_) {
      auto byte = static_cast<unsigned char>(bytes_[pos_ / 8]);
      v |= static_cast<uint64_t>((byte >> (pos_ % 8)) & 1) << i;
    }
    return v;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

}  // namespace

std::optional<TakStreamInfo> ParseTakHeader(std::string_view head) {
  if (head.substr(0, 4) != "tBaK") return std::nullopt;
  std::optional<TakStreamInfo> info;
  size_t pos = 4;
  while (pos + 4 <= head.size()) {
    int type = static_cast<unsigned char>(head[pos]) & 0x7F;
    size_t size = static_cast<unsigned char>(head[pos + 1]) | static_cast<unsigned char>(head[pos + 2]) << 8 |
                  static_cast<size_t>(static_cast<unsigned char>(head[pos + 3])) << 16;
    pos += 4;
    if (type == kEnd) {
      if (info) info->headerSize = pos;
      return info;
    }
    if (size > head.size() - pos) return std::nullopt;
    if (type == kStreamInfo && !info) {
      if (size <= kCrcSize) return std::nullopt;
      LsbBits bits(head.substr(pos, size - kCrcSize));
      // codec 6, profile 4, frame duration 4, samples 35, data type 3,
      // sample rate 18 (from 6000), bits 5 (from 8), channels 4 (from 1).
      if (!bits.Has(79)) return std::nullopt;
      bits.Take(14);
      TakStreamInfo s;
      s.samples = bits.Take(35);
      bits.Take(3);
      s.sampleRate = static_cast<int>(bits.Take(18)) + 6000;
      s.bits = static_cast<int>(bits.Take(5)) + 8;
      s.channels = static_cast<int>(bits.Take(4)) + 1;
      info = s;
    }
    pos += size;
  }
  return std::nullopt;
}

}  // namespace hozanki
