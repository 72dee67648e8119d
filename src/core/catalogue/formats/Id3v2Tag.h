#pragma once
// The ID3v2 tag of an MP3 file: parsed by TagLib from the tag's bytes, values
// read and written by value-name stem ("IART" TPE1, "INAM" TIT2, "IPRD" TALB,
// "TRACK" TRCK, "ICRD" TYER/TDRC, "IGNR" TCON, "ICMT" COMM, "COMP" TCOM,
// "ICOP" TCOP, "URL" WXXX, "OART" TOPE, "ENC2" TENC, "ISFT" TSSE, "AART"
// TPE2, "DISC" TPOS, "SOAR" TSOP, "SOAA" TSO2, "SOAL" TSOA, "SONM" TSOT,
// "LYRC" USLT; the sort frames are written in 2.3 tags too), rendered
// as version 2.3 or 2.4 by TagLib and as 2.2 or with unsynchronisation by our
// own code. ISO-8859-1 frames are read and written as code page 932 bytes.

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/formats/Id3v2QuickReader.h"

namespace TagLib::ID3v2 {
class Frame;
class Tag;
}  // namespace TagLib::ID3v2

namespace hozanki {

class Id3v2MemoryFile;

class Id3v2Tag {
 public:
  // An empty tag (version 2.3).
  Id3v2Tag();
  ~Id3v2Tag();
  Id3v2Tag(const Id3v2Tag&) = delete;
  Id3v2Tag& operator=(const Id3v2Tag&) = delete;

  // Parses a complete tag (header and body). Null when TagLib rejects it.
  static std::unique_ptr<Id3v2Tag> Parse(std::string_view bytes);

  int Version() const { return version_; }  // 2, 3 or 4
  bool Unsynchronised() const { return unsync_; }

  // True for the stems above.
  static bool IsValueStem(std::string_view stem);
  std::string Get(std::string_view stem) const;
  // Stages a value; an empty text removes the frame. No effect when the text
  // equals the present value.
  void Set(std::string_view stem, std::string_view value);
  bool Changed() const { return !pending_.empty(); }
  // The text encoding byte of the frame a stored value comes from (0
  // ISO-8859-1, 1 UTF-16, 2 UTF-16BE, 3 UTF-8); -1 when there is no such
  // frame. The URL's frame counts as ISO-8859-1. Read only.
  int StoredEncoding(std::string_view stem);
  // True when the value's frame is ISO-8859-1 and its bytes are read as
  // UTF-8 (see DecodeTagText). Read only.
  bool StoredAsUtf8(std::string_view stem);

  // Text encoding of the frames: -1 leaves untouched frames as they are and
  // keeps a changed frame's encoding when the text fits it (ISO-8859-1 frames
  // take code page 932); 0 writes every value as code page 932 in ISO-8859-1
  // frames when it fits, else UTF-16; 1 writes every value as UTF-16. A value
  // whose frame already has that encoding is not written again. In the tag's
  // own version, frames that no value changes keep their bytes and order.
  // `version` is 2, 3 or 4. A text that fits no legacy form is written as
  // UTF-16. Encrypted, compressed or grouped frames that no value touches
  // keep their bytes and flags (after the other frames), and so do the
  // version 2.3 frames TagLib drops (TDAT, TIME, RVAD, ...) in a 2.3 tag.
  // Another version is reached frame by frame first (ConvertId3v2Version):
  // every frame is kept, mapped to its form in that version or carried as
  // it is. Empty with `error` set when a frame cannot be kept: an encrypted,
  // compressed or grouped frame in another version, a frame with no form in
  // version 2.2 (or a 2.2 frame with none in 2.3/2.4), or TagLib's frames do
  // not match the tag's. Either way nothing of the file is written.
  std::string Render(int version, bool unsync, int unicode, std::string* error = nullptr);

  // A tag with no frames.
  static std::string RenderEmpty(int version, bool unsync);

 private:
  // The value in the file: the quick reader's when it read the tag, else TagLib's.
  std::string Stored(std::string_view stem) const;
  std::string TagLibValue(std::string_view stem) const;

 public:
  // The value as TagLib reads it (tests compare it with the quick reader).
  std::string TagLibValueForTest(std::string_view stem) {
    EnsureParsed();
    return TagLibValue(stem);
  }

 private:
  // `family` is the version the frames are rendered in: 3 (for 2.2 and 2.3) or 4.
  // `reencode`: the stored value, written again only for its encoding.
  void Encode(std::string_view stem, std::string_view value, int unicode, int family, bool reencode);
  // A comment or lyrics frame (null: none yet) set to `value`.
  template <typename Frame>
  void EncodeDescribed(Frame* frame, std::string_view value, int unicode);
  // The date in a 2.3 tag: TYER, TDAT and TIME, and a TDRC frame of our own
  // bytes (kept in rawAdded_) when those cannot hold all of it.
  void EncodeDate23(std::string_view value, int unicode);
  void FixDateFrame(int version);
  // Takes `tag` (a complete 2.3 or 2.4 tag) as the tag read.
  void Reload(std::string tag);
  // Whether the frame of a stored value already has the encoding the Unicode
  // option asks for (then it is not written again).
  bool EncodedAsWanted(std::string_view stem, std::string_view value, int unicode) const;
  // Marks a frame that a value changes or removes.
  void Touch(const TagLib::ID3v2::Frame* frame) { touched_.insert(frame); }
  // Parses the tag with TagLib when only the quick reader has read it.
  void EnsureParsed();

  std::unique_ptr<Id3v2MemoryFile> file_;
  std::unique_ptr<TagLib::ID3v2::Tag> tag_;
  int version_ = 3;
  bool unsync_ = false;
  std::map<std::string, std::string, std::less<>> pending_;  // staged values by stem
  std::string raw_;                                          // the tag (2.2 converted to 2.3)
  std::optional<std::array<std::string, kId3v2StemCount>> quick_;  // values read without TagLib
  bool parsed_ = false;                                      // tag_ holds raw_ parsed by TagLib
  std::set<const TagLib::ID3v2::Frame*> touched_;            // frames changed while rendering
  std::vector<std::string> extra22_;  // frames of a 2.2 tag that have no 2.3 form (kept for 2.2)
  std::vector<std::string> rawAdded_;  // frames written as bytes while rendering
};

// Unsynchronisation helpers (shared with the tests): whole-body for 2.2/2.3,
// per frame for 2.4. Input and output are complete tags.
std::string UnsynchroniseTag(std::string_view tag);
// Converts a complete version 2.3 tag to version 2.2, with `extra` (2.2
// frames as read) after its frames. Empty with `error` set when a frame has
// no 2.2 form or is compressed, encrypted or grouped; without `error` such
// frames are left out.
std::string ConvertTagTo22(std::string_view tag23, const std::vector<std::string>& extra = {},
                           std::string* error = nullptr);
// Converts a complete version 2.2 tag (unsynchronised or not) to version 2.3.
// Frames with no 2.3 form go to `unknown` as they are (left out without it).
std::string ConvertTagTo23(std::string_view tag22, std::vector<std::string>* unknown = nullptr);

}  // namespace hozanki
