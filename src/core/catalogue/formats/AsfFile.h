#pragma once
// WMA: ASF files (.wma .wmv .asf). Author, Title, WM/AlbumTitle,
// WM/TrackNumber, WM/Year, WM/Genre, Description, Copyright, WM/PromotionURL
// ("URL1") and WM/AuthorURL ("URL2").

#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class AsfFile : public StagedTagFile {
 public:
  AsfFile() : StagedTagFile(FileType::WMA) {}

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool IsWritable(std::string_view name) const override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;
};

}  // namespace hozanki
