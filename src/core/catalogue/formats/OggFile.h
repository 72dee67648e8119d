#pragma once
// OGG: Ogg Vorbis, Opus, Speex and FLAC with Vorbis comments ARTIST TITLE ALBUM
// TRACKNUMBER DATE GENRE COMMENT; DESCRIPTION is read when COMMENT is absent.

#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class OggFile : public StagedTagFile {
 public:
  OggFile() : StagedTagFile(FileType::OGG) {}

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool IsWritable(std::string_view name) const override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;
};

}  // namespace hozanki
