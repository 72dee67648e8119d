#pragma once
// The openers of the formats read through StagedTagFile.

#include <filesystem>
#include <memory>
#include <string>

#include "core/catalogue/TagFile.h"
namespace hozanki {

// Installs the legacy-text handler of TagLib's RIFF INFO reader (once).
void PrepareStagedFormats();

// Opens a file as a `Format` (a StagedTagFile), confirming its bytes.
template <class Format>
std::unique_ptr<TagFile> OpenStagedFormat(FileType, const std::filesystem::path& path, std::string* error) {
  PrepareStagedFormats();
  auto file = std::make_unique<Format>();
  if (!file->Open(path, error)) return nullptr;
  return file;
}

}  // namespace hozanki
