// A whole file through the MP3 tag layer: open, read values, save one value
// of every kind (saving writes a temporary file beside the input and renames
// it over, so this target is slower than the parser target).

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/catalogue/TagFile.h"

using namespace hozanki;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The whole file through the tag layer, and a save of one value.
  static const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("hozanki-fuzz-" + std::to_string(::getpid()) + ".mp3");
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  if (auto tag = OpenTagFile(file)) {
    tag->GetValue("INAM_v2");
    tag->GetValue("TIME");
    tag->SetValue("INAM_v2", "x");
    tag->SetValue("INAM_rmp", "x");
    tag->SetValue("INAM_APE", "x");
    tag->Save(nullptr);
  }
  return 0;
}
