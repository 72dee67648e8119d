// Fuzzes the AVI reader (RIFF chunks, INFO list, header list) and the INFO
// region writer on what it read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/catalogue/formats/AviStructure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto read = [bytes](uint64_t offset, size_t count) {
    return offset >= bytes.size() ? std::string() : std::string(bytes.substr(offset, count));
  };
  hozanki::AviStructure avi;
  std::string error;
  if (!hozanki::ParseAviStructure(read, bytes.size(), avi, &error)) return 0;
  uint64_t region = 0;
  for (const auto& c : avi.chunks)
    if (c.id == "JUNK" || c.listType == "INFO") region += c.Span();
  std::string out;
  if (hozanki::RenderInfoRegion(avi.info, hozanki::InfoTextMode::kAsFile, region, out, &error) &&
      out.size() != region)
    __builtin_trap();
  hozanki::ParseInfoList(bytes);
  return 0;
}
