#pragma once
// FLAC: the Vorbis comments ARTIST TITLE ALBUM TRACKNUMBER DATE GENRE
// COMMENT, as on the OGG page; DESCRIPTION is read when COMMENT is absent.
// Read and written by our own code over the metadata blocks (no decoding,
// no full parse of the file).
//
// A field given several times (two ARTIST comments) shows its values joined
// with "; ". Only fields whose cell changed are written; an untouched field
// keeps every value and every byte, as do the other comments, their order,
// the vendor string and every other block (PICTURE, APPLICATION, CUESHEET,
// SEEKTABLE; STREAMINFO and the audio frames are the payload). A changed
// cell replaces its field's comments at the place of the first of them:
// split again at "; " when the field held several values, one comment with
// the whole text otherwise, none when empty. The blocks keep their size
// when the new ones fit the PADDING (so the save is made in place);
// otherwise the file gets 8 KiB of fresh padding.

#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class FlacFile : public StagedTagFile {
 public:
  FlacFile() : StagedTagFile(FileType::FLAC) {}

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool IsWritable(std::string_view name) const override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;
};

}  // namespace hozanki
