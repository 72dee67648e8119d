#pragma once
// The tag library layer: one object per media file, read and written through
// value names ("IART_v1", "INAM_v2", "ICMT_rmp", "TRACK_APE" for MP3; "IART",
// "URL1", "TRACK1" ... for the other formats; "TIME", "AFMT", "VFMT").
// Objects are independent: different files may be used from different
// threads at once. Nothing touches the disk until Save(), RemoveTag() or
// CreateTag().

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "core/common/FormatRegistry.h"
#include "core/text/EncodingRepair.h"
#include "core/common/SaveJournal.h"

namespace hozanki {

// MP3 tag mask bits.
inline constexpr uint32_t kMaskID3v1 = 0x1;
inline constexpr uint32_t kMaskID3v2 = 0x2;
inline constexpr uint32_t kMaskRIFF = 0x4;
inline constexpr uint32_t kMaskID3v1_0 = 0x8;
inline constexpr uint32_t kMaskID3v1_1 = 0x10;
inline constexpr uint32_t kMaskID3v2_2 = 0x20;
inline constexpr uint32_t kMaskID3v2_3 = 0x40;
inline constexpr uint32_t kMaskID3v2_4 = 0x80;
inline constexpr uint32_t kMaskAPEv1 = 0x100;
inline constexpr uint32_t kMaskAPEv2 = 0x200;
inline constexpr uint32_t kMaskAPE = 0x300;

// MP3 tag kinds for RemoveTag/CreateTag.
enum class Mp3Tag { ID3v1, ID3v2, RIFF, APE };

class TagFile {
 public:
  virtual ~TagFile() = default;

  // The format's type code.
  virtual FileType Type() const = 0;
  // MP3 only: which tag kinds the file carries, with version bits.
  virtual uint32_t TagMask() const { return 0; }
  // A value by name; empty when absent or unknown.
  virtual std::string GetValue(std::string_view name) const = 0;
  // Stages a value; an empty text removes it.
  virtual void SetValue(std::string_view name, std::string_view value) = 0;
  // Save options ("mp3_ID3v2Unicode" "0"/"1" ...); ignored by formats without them.
  virtual void SetOption(std::string_view name, std::string_view value) { (void)name, (void)value; }
  // How a value is stored in the file as read (for the encoding check; read
  // only): by default the format's text form (RIFF INFO and VQF legacy
  // bytes, the others Unicode).
  virtual StoredForm StoredFormOf(std::string_view name) const;
  // Writes the staged values to disk (crash-safe). False with `error` set on failure.
  virtual bool Save(std::string* error) = 0;
  // MP3 only: remove or create (empty) one tag kind on disk at once; the object
  // then reflects the file as it now is.
  virtual bool RemoveTag(Mp3Tag kind, std::string* error);
  virtual bool CreateTag(Mp3Tag kind, std::string* error);
  // MP3 only: the same, staged for the next Save, so that every change of a
  // file reaches the disk at once.
  virtual bool RemoveTagOnSave(Mp3Tag kind, std::string* error);
  virtual bool CreateTagOnSave(Mp3Tag kind, std::string* error);

  // Plans the staged changes as a change of the file in place, writing
  // nothing: InPlace with `edit` holding the writes (none when nothing
  // changes), each checked to parse back as meant and to leave the audio and
  // video bytes alone; Rewrite when they do not fit (Save then writes a new
  // copy); Failed with `error` set when the file must not be written.
  enum class InPlacePlan { InPlace, Rewrite, Failed };
  virtual InPlacePlan PlanInPlace(InPlaceEdit& edit, std::string* error) {
    (void)edit, (void)error;
    return InPlacePlan::Rewrite;
  }
};

// A file the caller holds open for reading on this thread, known to the
// readers by `path`: a reader that reads `path` while this lives uses the
// descriptor (and leaves it open) instead of opening the file again, which
// costs round trips on a network file system. Readers that open files
// themselves ask HeldDescriptor.
class HeldOpenFile {
 public:
  HeldOpenFile(std::filesystem::path path, int fd);
  ~HeldOpenFile();
  HeldOpenFile(const HeldOpenFile&) = delete;
  HeldOpenFile& operator=(const HeldOpenFile&) = delete;

  // The descriptor held for `path` on this thread, else -1.
  static int HeldDescriptor(const std::filesystem::path& path);

 private:
  std::filesystem::path path_;
  int fd_;
  const HeldOpenFile* outer_;
};

// The type a file name's extension claims (Unknown when none).
FileType TypeFromExtension(const std::filesystem::path& path);

// Loads a file: its type by extension, confirmed by its magic bytes. Null when
// the type is not supported, the bytes do not match or the file cannot be
// parsed; `error` then says why.
std::unique_ptr<TagFile> OpenTagFile(const std::filesystem::path& path, std::string* error = nullptr);

}  // namespace hozanki
