#pragma once
// RIFF INFO lists (WAV, AVI, RIFF-wrapped MP3) and the other legacy text
// chunks (VQF): code page 932 or UTF-8 bytes in files, UTF-8 inside.
//
// Reading: DecodeTagText (a UTF-8 byte-order mark, or strictly valid UTF-8
// with a multi-byte sequence, is UTF-8; else code page 932).
// Writing: a list keeps every chunk that was not changed byte for byte (its
// order, unknown chunk ids and trailing bytes too); only changed fields are
// rendered anew, plain ASCII as it is, other text as InfoTextMode says.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hozanki {

// How a changed field that is not plain ASCII is written.
enum class InfoTextMode {
  kAsFile,   // UTF-8 when the field (a new field: any field of the list) was UTF-8, else as kLegacy
  kLegacy,   // code page 932 when the text fits, else UTF-8 without a byte-order mark
  kUnicode,  // UTF-8 without a byte-order mark
};

// The save option that picks the mode: "mp3_ID3v2Unicode" ("0" kLegacy,
// "1" kUnicode), the library form of the "Unicode" setting. Other names and
// values leave `current`.
InfoTextMode InfoTextModeFromOption(std::string_view name, std::string_view value, InfoTextMode current);

// UTF-8 text -> bytes of a legacy text chunk: ASCII as it is; code page 932
// when the text fits (and reads back the same), else UTF-8 without a
// byte-order mark.
std::string EncodeLegacyText(std::string_view utf8);
// Legacy bytes -> UTF-8 (DecodeTagText); the text ends at the first NUL.
std::string DecodeLegacyText(std::string_view bytes);

// Installs the process-wide TagLib RIFF INFO string handler that does the two
// conversions above (TagLib's own INFO tag is not used for writing). Safe to
// call from several threads; installs once.
void InstallRiffInfoStringHandler();

// True for a FourCC of four characters A-Z, a-z, 0-9 or blank (e.g. "IART").
bool IsInfoFieldName(std::string_view name);

// One chunk of an INFO list.
struct InfoChunk {
  std::string id;                              // FourCC
  std::string bytes;                           // as read: header, data and the pad byte when present
  std::string text;                            // UTF-8: the data up to its first NUL, or the text set
  enum class Form { kAscii, kUtf8, kLegacy };  // of the data as read (kAscii for a new field)
  Form form = Form::kAscii;
  bool changed = false;
};

// The chunks of an INFO list in file order.
class InfoList {
 public:
  // `fields` is the LIST body after "INFO". A chunk that runs past the end,
  // or whose id is no FourCC, ends the chunks; the bytes from there on are
  // kept as they are.
  static InfoList Parse(std::string_view fields);

  // A field's text (the first chunk of that id); empty when absent.
  std::string Get(std::string_view id) const;
  // Sets a field: the first chunk of the id takes the text and later ones are
  // removed; an empty text removes them all; a new field goes after the
  // others. True when the list changed (a text equal to the present one, or
  // an id that is no FourCC, changes nothing).
  bool Set(std::string_view id, std::string_view utf8);

  // (id, text) of every chunk, in order.
  std::vector<std::pair<std::string, std::string>> Fields() const;
  // No chunks and no trailing bytes: the list can go.
  bool Empty() const { return chunks_.empty() && tail_.empty(); }
  bool Changed() const { return changed_; }

  // The LIST body: "INFO", every unchanged chunk's bytes as read, changed
  // fields rendered (NUL-terminated, padded to even sizes), the trailing
  // bytes. `slack` extra NUL bytes (an even number) go into the first
  // changed field's data, or after everything when no field changed.
  std::string RenderBody(InfoTextMode mode, size_t slack = 0) const;
  // The whole "LIST" chunk; empty when the list is Empty().
  std::string Render(InfoTextMode mode, size_t slack = 0) const;

 private:
  std::vector<InfoChunk> chunks_;
  std::string tail_;
  bool changed_ = false;
};

// Shorthand of InfoList::Parse for the fields after "INFO".
inline InfoList ParseInfoList(std::string_view fields) {
  return InfoList::Parse(fields);
}

}  // namespace hozanki
