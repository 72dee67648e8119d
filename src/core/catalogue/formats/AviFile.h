#pragma once
// AVI: RIFF "AVI " files; values are INFO FourCCs ("IART", "INAM", "ISBJ",
// ...). INFO is written in place over the INFO list and the JUNK padding
// around it before "movi": the movie data never moves and "RIFF AVIX" parts
// are never touched. Without enough room Save refuses and says so.

#include "core/catalogue/formats/RiffInfo.h"
#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class AviFile : public StagedTagFile {
 public:
  AviFile() : StagedTagFile(FileType::AVI) {}
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
