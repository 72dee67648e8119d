#pragma once
// Shared base of the non-MP3 formats: the values are read once when the file
// is opened (no file handle is kept), SetValue stages changes, and Save
// writes only the values whose text differs from what the file holds.
//
// Save is bounded and verified: a file whose structure does not add up is
// refused before anything is written; the changes are written into a
// temporary copy (FileReplacement) that may grow only by what the new values
// can need; the copy must then parse as the same kind of file, with the same
// payload bytes and the new values readable, before it replaces the file. A
// crash leaves either the old or the new file.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/PayloadMap.h"

namespace hozanki {
class FileReplacement;
}
namespace TagLib {
class IOStream;
}

namespace hozanki {

class StagedTagFile : public TagFile {
 public:
  FileType Type() const override { return type_; }
  std::string GetValue(std::string_view name) const override;
  void SetValue(std::string_view name, std::string_view value) override;
  bool Save(std::string* error) override;
  // TagLib (or our own writer) writes a scratch copy as Save does, with the
  // same checks; when the copy differs from the file only outside the audio
  // and video bytes, those differences are the in-place edit and the copy
  // is dropped unused.
  InPlacePlan PlanInPlace(InPlaceEdit& edit, std::string* error) override;

  // Reads the file (magic bytes first); false with `error` set when it is not
  // a readable file of this format.
  bool Open(const std::filesystem::path& path, std::string* error);

 protected:
  using ValueMap = std::map<std::string, std::string, std::less<>>;

  explicit StagedTagFile(FileType type) : type_(type) {}

  // Fills `values` (tag values and "TIME", "AFMT", "VFMT") from the file.
  virtual bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) = 0;
  // Whether a value name can be set for this format.
  virtual bool IsWritable(std::string_view name) const = 0;
  // Writes `changes` (name -> new text, "" = remove) into `copy`, a
  // temporary copy of the file; `current` holds the values as read. Writers
  // through TagLib open CopyStream() rather than the path, so that their
  // writes are checked and bounded.
  virtual bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
                     std::string* error) = 0;

  // `changes` with both parts of the disc pair when one changed: DISCNUMBER
  // and DISCTOTAL are written together (a number "1/2" became two parts).
  static ValueMap WithWholeDisc(const ValueMap& changes, const ValueMap& current);

  const std::filesystem::path& Path() const { return path_; }
  // During Write: the temporary copy as a TagLib stream, and itself (for
  // our own writers: checked writes, reasons kept for the user).
  TagLib::IOStream* CopyStream() const { return stream_; }
  FileReplacement& CopyFile() const { return *copy_; }

 private:
  bool Verify(const std::filesystem::path& copy, const ValueMap& changes, std::string* error);
  // The staged values that differ from the file's, and how much the file may grow by them.
  ValueMap Changes(uint64_t& growth) const;
  // Writes `changes` into `copy` (begun on the file) and checks the result.
  // With `moved` (an in-place plan), the copy's payload must lie where the
  // file's does (*moved set and false returned otherwise) and is not compared.
  bool WriteCopy(FileReplacement& copy, const ValueMap& changes, uint64_t growth, std::string* error,
                 bool* moved = nullptr);
  TagLib::IOStream* stream_ = nullptr;
  FileReplacement* copy_ = nullptr;
  FileType type_;
  std::filesystem::path path_;
  ValueMap values_;
  ValueMap staged_;
  // Media data that no tag reader or writer reads (MP4 "mdat" contents, AVI
  // "movi" lists), sorted; empty for other formats.
  std::vector<ByteRange> UnreadRanges(const PayloadMap& map) const;
  std::vector<ByteRange> payload_;  // of the file, as WriteCopy last mapped it
};

}  // namespace hozanki
