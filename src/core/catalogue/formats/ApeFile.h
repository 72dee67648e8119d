#pragma once
// APE: Monkey's Audio files with an APE tag (Artist Title Album Track Year
// Genre Comment).

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
