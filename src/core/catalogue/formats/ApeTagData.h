#pragma once
// An APE tag (version 1 or 2) as it sits in an MP3 file: items of a key, flags
// and a value. Parsed and rendered by our own code so that values that are
// not UTF-8 (old version 1 tags holding code page 932) are read, and binary
// items are kept byte for byte. Written as version 2 with a header.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

struct ApeItem {
  std::string key;
  uint32_t flags = 0;
  std::string value;  // raw bytes
};

struct ApeTagData {
  int version = 2000;  // 1000 or 2000
  std::vector<ApeItem> items;

  // Parses the tag whose 32-byte footer ends `bytes` (`bytes` holds the whole
  // tag and anything before it). Null when no valid footer is found.
  static std::optional<ApeTagData> Parse(std::string_view bytes);
  // Size of the tag (header, items, footer) whose footer ends `tail`, or 0.
  static uint64_t TagSizeAtEnd(std::string_view tail);

  // A text value by key (ASCII case ignored): UTF-8 in version 2; version 1
  // bytes (and version 2 bytes that are not UTF-8) are read by DecodeTagText;
  // several values are joined with "/".
  std::string Get(std::string_view key) const;
  // The values of a text item by key, each decoded as Get does; empty when
  // absent or binary.
  std::vector<std::string> Texts(std::string_view key) const;
  // Sets a text item (an empty text removes it); the key's spelling of an
  // existing item is kept.
  void Set(std::string_view key, std::string_view utf8);

  // Version 2 with header and footer.
  std::string Render() const;
};

// Item keys of the value-name stems: "IART" Artist, "INAM" Title, "IPRD"
// Album, "TRACK" Track, "ICRD" Year, "IGNR" Genre, "ICMT" Comment, and the
// keys of kApeExtraKeys; empty for other stems.
std::string_view ApeKeyOf(std::string_view stem);

// Album artist, disc "n/m", the sort names and the lyrics, under the keys
// the common readers take them from.
struct ApeStemKey {
  std::string_view stem;
  std::string_view key;
};
inline constexpr ApeStemKey kApeExtraKeys[] = {
    {"AART", "Album Artist"}, {"DISC", "Disc"},          {"SOAR", "ArtistSort"}, {"SOAA", "AlbumArtistSort"},
    {"SOAL", "AlbumSort"},    {"SONM", "TitleSort"},     {"LYRC", "Lyrics"}};

inline constexpr size_t kApeFooterSize = 32;

}  // namespace hozanki
