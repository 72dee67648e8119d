#pragma once
// WAV: RIFF "WAVE" files; values are the INFO list's FourCCs ("IART",
// "INAM", "ISBJ", ...), read and written through TagLib.

#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class WavFile : public StagedTagFile {
 public:
  WavFile() : StagedTagFile(FileType::WAV) {}

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool IsWritable(std::string_view name) const override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;
};

}  // namespace hozanki
