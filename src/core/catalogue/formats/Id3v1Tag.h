#pragma once
// The 128-byte ID3v1 tag at the end of an MP3 file, read and written exactly:
// "TAG", title 30, artist 30, album 30, year 4, comment 30, genre 1. Version
// 1.1 when byte 125 is 0 and byte 126 is not: byte 126 is then the track and
// the comment is 28 bytes. Texts are read as DecodeTagText reads legacy
// bytes (an untouched field keeps its bytes, ISO-8859-1 ones too) and written
// as code page 932 (Id3v1FieldBytes), cut at a character boundary; the genre
// byte goes through the program's genre table.

#include <optional>
#include <string>
#include <string_view>

namespace hozanki {

// The code page 932 bytes an ID3v1 field of `width` bytes stores for `text`
// (cut at a character boundary), when they read back as the same text.
// Nullopt, with `error` naming why, for anything else ("é", which code page
// 932 lacks; "ﾃｩ", whose bytes read as UTF-8 "é"): never a '?' in its place.
std::optional<std::string> Id3v1FieldBytes(std::string_view text, size_t width, std::string* error);

struct Id3v1Tag {
  std::string title, artist, album, year, comment, genre;  // UTF-8
  std::string track;                                       // "" or "1".."255"
  bool v11 = false;                                        // as read
  std::string raw;                                         // the 128 bytes as read (empty for a new tag)

  // Null when `bytes` is not 128 bytes starting with "TAG".
  static std::optional<Id3v1Tag> Parse(std::string_view bytes);

  // The 128 bytes of the tag: version 1.1 when the track is a number 1..255,
  // else 1.0. A field whose text is still the one read keeps its bytes as
  // read (padding included). Empty with `error` set when a changed text holds
  // a character that code page 932 cannot store, or a track or genre the
  // tag cannot hold (nothing is replaced or dropped silently).
  std::string Render(std::string* error) const;

  // Why the field of `stem` cannot hold `value` (a track that is not a
  // number from 1 to 255, a genre not in the genre table); empty when it can.
  // Blank values always fit (they leave the field empty).
  static std::string Refusal(std::string_view stem, std::string_view value);

  // A field's value by value-name stem ("IART", "INAM", "IPRD", "TRACK",
  // "ICRD", "IGNR", "ICMT"); null for other names.
  std::string* Field(std::string_view stem);
  const std::string* Field(std::string_view stem) const { return const_cast<Id3v1Tag*>(this)->Field(stem); }
};

inline constexpr size_t kId3v1Size = 128;

}  // namespace hozanki
