// Fuzzes the VQF header reader; a header it accepts must render and parse
// back to the same chunks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/catalogue/formats/VqfStructure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  hozanki::VqfHeaderLength(bytes);
  hozanki::VqfStructure vqf;
  std::string error;
  if (!hozanki::ParseVqf(bytes, vqf, &error)) return 0;
  std::string header = hozanki::RenderVqfHeader(vqf);
  hozanki::VqfStructure again;
  if (!hozanki::ParseVqf(header, again, &error) || again.chunks.size() != vqf.chunks.size()) __builtin_trap();
  return 0;
}
