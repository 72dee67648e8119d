#pragma once
// VQF: TwinVQ files; "IART" AUTH, "INAM" NAME, "FILE" FILE, "ICOP" "(c) ",
// "ICMT" COMT, code page 932 text. The header is rebuilt on save; the bit
// stream after "DATA" is copied unchanged.

#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class VqfFile : public StagedTagFile {
 public:
  VqfFile() : StagedTagFile(FileType::VQF) {}

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool IsWritable(std::string_view name) const override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;
};

}  // namespace hozanki
