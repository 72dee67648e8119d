#pragma once
// AIFF and DSF: an ID3v2 tag kept in a chunk of its own, with the columns
// of MP3's ID3v2 table and its save options (version, Unicode,
// unsynchronisation), read and rendered by the same tag code as MP3's
// (frames no value changes keep their bytes; another version is reached
// frame by frame).
//
// AIFF: the tag in the "ID3 " chunk. A tag that fits the chunk is written
// into it (the file keeps its size, so the save is made in place); one
// that does not replaces the chunk with a bigger one with room to grow
// (in place too when the chunk is the last one, as other programs put it;
// otherwise the sound moves and the file is written as a new copy). A file
// without the chunk gets it at the end of the form. The FORM size follows.
//
// DSF: the tag where the DSD chunk's metadata pointer points, at the end
// of the file. A tag that fits is written over the old one; otherwise the
// file's tail from the tag on is replaced (or the tag appended), so even a
// file of hundreds of megabytes is saved in place by rewriting its end,
// never by copying the samples. The total file size and the metadata
// pointer follow.

#include <memory>

#include "core/catalogue/formats/Id3ChunkLayouts.h"
#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class Id3v2Tag;

class Id3ChunkFile : public StagedTagFile {
 public:
  ~Id3ChunkFile() override;
  // "mp3_ID3v2Unicode", "mp3_ID3v2Unsync", "mp3_SaveID3v2Version", as for MP3.
  void SetOption(std::string_view name, std::string_view value) override;
  StoredForm StoredFormOf(std::string_view name) const override;

 protected:
  explicit Id3ChunkFile(FileType type);
  bool IsWritable(std::string_view name) const override;
  // A file with a tag is rendered again when an option asks for a form
  // (the bytes that do not change are then not written).
  bool ForcesWrite() const override;

  // Fills the values from the tag's bytes (empty: no tag); `own` when they
  // are the file's (not a written copy's).
  bool ReadTag(std::string_view bytes, bool own, ValueMap& values, std::string* error);
  // The tag `old` (empty: none) with `changes`, rendered with the options.
  std::string RenderTag(std::string_view old, const ValueMap& changes, std::string* error) const;

 private:
  int unicode_ = -1, unsync_ = -1, version_ = 0;
  std::unique_ptr<Id3v2Tag> tag_;  // the file's, as read
};

class AiffFile : public Id3ChunkFile {
 public:
  AiffFile() : Id3ChunkFile(FileType::AIFF) {}

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;
};

class DsfFile : public Id3ChunkFile {
 public:
  DsfFile() : Id3ChunkFile(FileType::DSF) {}

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;
};

}  // namespace hozanki
