#include "core/catalogue/formats/PayloadMap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/catalogue/FormatOpeners.h"
#include "core/catalogue/formats/PayloadFormats.h"

namespace hozanki {
namespace payload {

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

std::string Quoted(std::string_view id) {
  std::string out = "\"";
  for (char c : id) out.push_back(c >= 0x20 && c < 0x7F ? c : '?');
  return out + "\"";
}

Reader::~Reader() {
  if (fd_ >= 0) ::close(fd_);
}

bool Reader::Open(const std::filesystem::path& path, std::string* error) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return Fail(error, "cannot open " + path.string() + ": " + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return Fail(error, "not a regular file");
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

std::string Reader::Read(uint64_t offset, uint64_t length) const {
  if (offset >= size_) return {};
  std::string out(static_cast<size_t>(std::min(length, size_ - offset)), '\0');
  out.resize(ReadInto(offset, out.data(), out.size()));
  return out;
}

size_t Reader::ReadInto(uint64_t offset, char* buffer, size_t length) const {
  size_t done = 0;
  while (done < length) {
    ssize_t r = ::pread(fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += static_cast<size_t>(r);
  }
  return done;
}

}  // namespace payload

namespace {

using namespace payload;
namespace fs = std::filesystem;

constexpr size_t kBlock = 1u << 20;

bool SameRangeBytes(const Reader& fa, const PayloadMap& a, const Reader& fb, const PayloadMap& b,
                    std::string* error) {
  std::vector<char> ba(kBlock), bb(kBlock);
  for (size_t i = 0; i < a.ranges.size(); ++i) {
    uint64_t done = 0, length = a.ranges[i].length;
    while (done < length) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(kBlock, length - done));
      if (fa.ReadInto(a.ranges[i].offset + done, ba.data(), n) != n ||
          fb.ReadInto(b.ranges[i].offset + done, bb.data(), n) != n)
        return Fail(error, "cannot read the payload to compare it");
      if (std::memcmp(ba.data(), bb.data(), n) != 0) {
        size_t at = static_cast<size_t>(
            std::mismatch(ba.begin(), ba.begin() + static_cast<std::ptrdiff_t>(n), bb.begin()).first -
            ba.begin());
        return Fail(error, "the payload of the written file differs at byte " +
                               std::to_string(b.ranges[i].offset + done + at));
      }
      done += n;
    }
  }
  return true;
}

}  // namespace

bool MapPayload(FileType type, const fs::path& path, PayloadMap& map, std::string* error) {
  map = PayloadMap();
  map.type = type;
  Reader file;
  if (!file.Open(path, error)) return false;
  map.fileSize = file.Size();
  const PayloadMapper mapPayload = PayloadMapperOf(type);
  if (!mapPayload) return Fail(error, "unsupported file type");
  return mapPayload(file, map, error);
}

bool SamePayload(const fs::path& before, const PayloadMap& a, const fs::path& after, const PayloadMap& b,
                 std::string* error) {
  if (a.type == FileType::Unknown) return Fail(error, "no payload map to compare");
  if (a.type != b.type || ((a.type == FileType::OGG || a.type == FileType::APE) && a.variant != b.variant))
    return Fail(error, "the written file is not the same kind of file");
  if (a.ranges.size() != b.ranges.size() ||
      !std::equal(a.ranges.begin(), a.ranges.end(), b.ranges.begin(),
                  [](const ByteRange& x, const ByteRange& y) { return x.length == y.length; }))
    return Fail(error, "the payload of the written file has a different layout");
  if (a.type == FileType::AVI && (a.ranges != b.ranges || a.fileSize != b.fileSize))
    return Fail(error, "the written AVI file does not keep its data in place");
  if (a.type == FileType::MP4 && !SameChunkOffsets(a, b, error)) return false;
  Reader fa, fb;
  if (!fa.Open(before, error) || !fb.Open(after, error)) return false;
  if (fa.Size() != a.fileSize || fb.Size() != b.fileSize)
    return Fail(error, "a file changed size after it was mapped");
  if (a.type == FileType::OGG) return SameOggPages(fa, a, fb, b, error);
  return SameRangeBytes(fa, a, fb, b, error);
}

}  // namespace hozanki
