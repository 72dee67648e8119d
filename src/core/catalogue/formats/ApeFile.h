#pragma once
// APE: Monkey's Audio, WavPack, TAK and Musepack files with an APE tag at
// the end (Artist Title Album Track Year Genre Comment). The tag is our own
// reading and writing for all four: only changed items are rendered anew;
// TagLib reads the audio properties but TAK's, which are ours too.

#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class ApeFile : public StagedTagFile {
 public:
  ApeFile() : StagedTagFile(FileType::APE) {}

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool IsWritable(std::string_view name) const override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;
};

}  // namespace hozanki
