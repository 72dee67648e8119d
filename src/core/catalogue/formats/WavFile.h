#pragma once
// WAV: RIFF "WAVE" files; values are the INFO list's FourCCs ("IART",
// "INAM", "ISBJ", ...). Audio properties come from TagLib; the INFO list is
// read and rendered by our own code (unchanged chunks keep their bytes) and
// put into the file through TagLib's RIFF chunk functions, which leave the
// "data" chunk's bytes as they are.

#include "core/catalogue/formats/RiffInfo.h"
#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class WavFile : public StagedTagFile {
 public:
  WavFile() : StagedTagFile(FileType::WAV) {}
  // "mp3_ID3v2Unicode": how changed INFO texts are written (see InfoTextMode).
  void SetOption(std::string_view name, std::string_view value) override;

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool IsWritable(std::string_view name) const override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;

 private:
  InfoTextMode mode_ = InfoTextMode::kAsFile;
};

}  // namespace hozanki
