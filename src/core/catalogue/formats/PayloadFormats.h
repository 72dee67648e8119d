#pragma once
// The pieces of the payload map (PayloadMap.h): the file reader they share
// and each format's mapping, one source file per family of formats.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/catalogue/formats/PayloadMap.h"

namespace hozanki::payload {

// Sets `error` (when given) and returns false.
bool Fail(std::string* error, std::string text);
// A four-character code in double quotes, other bytes shown as '?'.
std::string Quoted(std::string_view id);

// A regular file opened for reading; a FIFO or device is refused, never
// waited on.
class Reader {
 public:
  Reader() = default;
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  ~Reader();

  bool Open(const std::filesystem::path& path, std::string* error);
  uint64_t Size() const { return size_; }
  // Up to `length` bytes from `offset` (fewer at the end of the file or on a
  // read error).
  std::string Read(uint64_t offset, uint64_t length) const;
  size_t ReadInto(uint64_t offset, char* buffer, size_t length) const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Each fills `map.ranges` (and the format's extras) of an opened file, or
// refuses it with a reason.
bool MapMp3(const Reader& file, PayloadMap& map, std::string* error);  // plain MPEG or RMP3
bool MapApe(const Reader& file, PayloadMap& map, std::string* error);
bool MapWav(const Reader& file, PayloadMap& map, std::string* error);
bool MapAvi(const Reader& file, PayloadMap& map, std::string* error);
bool MapVqf(const Reader& file, PayloadMap& map, std::string* error);
bool MapAsf(const Reader& file, PayloadMap& map, std::string* error);
bool MapOgg(const Reader& file, PayloadMap& map, std::string* error);
bool MapMp4(const Reader& file, PayloadMap& map, std::string* error);
bool MapFlac(const Reader& file, PayloadMap& map, std::string* error);
bool MapAiff(const Reader& file, PayloadMap& map, std::string* error);
bool MapDsf(const Reader& file, PayloadMap& map, std::string* error);

// The comparisons beyond equal payload bytes: Ogg pages that may have been
// renumbered, and MP4 chunk offsets that must follow their media data.
bool SameOggPages(const Reader& fa, const PayloadMap& a, const Reader& fb, const PayloadMap& b,
                  std::string* error);
bool SameChunkOffsets(const PayloadMap& a, const PayloadMap& b, std::string* error);

}  // namespace hozanki::payload
