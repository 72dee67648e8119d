#include "core/catalogue/formats/Id3v1Tag.h"

#include <charconv>

#include "core/catalogue/GenreList.h"
#include "core/common/Failure.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

std::string ReadField(std::string_view bytes) {
  size_t end = bytes.find('\0');
  if (end != std::string_view::npos) bytes = bytes.substr(0, end);
  while (!bytes.empty() && bytes.back() == ' ') bytes.remove_suffix(1);
  return DecodeTagText(bytes);
}

bool WriteField(const std::string& text, size_t width, char* out, std::string* error) {
  std::optional<std::string> bytes = Id3v1FieldBytes(text, width, error);
  if (!bytes) return false;
  std::copy(bytes->begin(), bytes->begin() + static_cast<long>(std::min(bytes->size(), width)), out);
  return true;
}

int TrackNumber(std::string_view track) {
  while (!track.empty() && track.front() == ' ') track.remove_prefix(1);
  while (!track.empty() && track.back() == ' ') track.remove_suffix(1);
  int n = 0;
  auto [p, ec] = std::from_chars(track.data(), track.data() + track.size(), n);
  if (ec != std::errc() || p != track.data() + track.size() || n < 1 || n > 255) return 0;
  return n;
}

bool Blank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

std::optional<std::string> Id3v1FieldBytes(std::string_view text, size_t width, std::string* error) {
  std::string_view cut = CutToWidth(text, width);
  std::optional<std::string> bytes = EncodeTagTextCp932(cut);
  if (!bytes && error) {
    std::optional<MisfitCharacter> misfit = FirstMisfitCp932(cut);
    const std::string what = misfit ? misfit->character : std::string(cut);
    FailWith(error, {FailureKind::kNotInCodePage, "ID3v1", what, 0, 0, 0,
                     misfit ? "ID3v1 cannot store \"" + what + "\" (not in code page 932)"
                            : "ID3v1 cannot store \"" + what + "\" so that it reads back the same"});
  }
  return bytes;
}

std::string Id3v1Tag::Refusal(std::string_view stem, std::string_view value) {
  if (Blank(value)) return {};
  if (stem == "TRACK" && TrackNumber(value) == 0)
    return EncodeFailure({FailureKind::kTrackOutOfRange, "", std::string(value), 0, 255, 0,
                          "ID3v1 holds a track number from 1 to 255, not \"" + std::string(value) + "\""});
  if (stem == "IGNR" && GenreCode(value) < 0)
    return EncodeFailure(
        {FailureKind::kGenreNotListed, "", std::string(value), 0, 0, 0,
         "ID3v1 holds only the genres of its genre list, not \"" + std::string(value) + "\""});
  return {};
}

std::optional<Id3v1Tag> Id3v1Tag::Parse(std::string_view b) {
  if (b.size() != kId3v1Size || b.substr(0, 3) != "TAG") return std::nullopt;
  Id3v1Tag tag;
  tag.title = ReadField(b.substr(3, 30));
  tag.artist = ReadField(b.substr(33, 30));
  tag.album = ReadField(b.substr(63, 30));
  tag.year = ReadField(b.substr(93, 4));
  tag.v11 = b[125] == '\0' && b[126] != '\0';
  tag.comment = ReadField(b.substr(97, tag.v11 ? 28 : 30));
  if (tag.v11) tag.track = std::to_string(static_cast<uint8_t>(b[126]));
  tag.genre = std::string(GenreName(static_cast<uint8_t>(b[127])));
  tag.raw = std::string(b);
  return tag;
}

std::string Id3v1Tag::Render(std::string* error) const {
  std::optional<Id3v1Tag> old = raw.empty() ? std::nullopt : Parse(raw);
  for (std::string_view stem : {"TRACK", "IGNR"}) {
    const std::string& value = *Field(stem);
    if (old && *old->Field(stem) == value) continue;
    if (std::string why = Refusal(stem, value); !why.empty()) {
      if (error) *error = std::move(why);
      return {};
    }
  }
  std::string out(kId3v1Size, '\0');
  out.replace(0, 3, "TAG");
  int track = TrackNumber(this->track);
  size_t commentWidth = track ? 28 : 30;
  // A field still as read keeps its bytes. The comment's room is 30 bytes in
  // version 1.0 and 28 in 1.1: its bytes are kept when they fit the new room.
  struct Slot {
    const std::string Id3v1Tag::*field;
    size_t offset, width, oldWidth;
  };
  const size_t oldCommentWidth = old && old->v11 ? 28 : 30;
  const Slot slots[] = {{&Id3v1Tag::title, 3, 30, 30},
                        {&Id3v1Tag::artist, 33, 30, 30},
                        {&Id3v1Tag::album, 63, 30, 30},
                        {&Id3v1Tag::year, 93, 4, 4},
                        {&Id3v1Tag::comment, 97, commentWidth, oldCommentWidth}};
  for (const Slot& s : slots) {
    bool same = old && (*old).*s.field == this->*s.field;
    std::string_view bytes = same ? std::string_view(raw).substr(s.offset, s.oldWidth) : std::string_view();
    if (same && bytes.size() > s.width &&
        bytes.substr(s.width).find_first_not_of('\0') != std::string_view::npos)
      same = false;  // the kept bytes would not fit the smaller room
    if (same)
      out.replace(s.offset, std::min(bytes.size(), s.width), bytes.substr(0, s.width));
    else if (!WriteField(this->*s.field, s.width, &out[s.offset], error))
      return {};
  }
  if (track) out[126] = static_cast<char>(track);
  if (old && old->genre == genre) {
    out[127] = raw[127];
  } else {
    int genreCode = genre.empty() ? -1 : GenreCode(genre);
    out[127] = static_cast<char>(genreCode < 0 ? 255 : genreCode);
  }
  return out;
}

std::string* Id3v1Tag::Field(std::string_view stem) {
  if (stem == "IART") return &artist;
  if (stem == "INAM") return &title;
  if (stem == "IPRD") return &album;
  if (stem == "TRACK") return &track;
  if (stem == "ICRD") return &year;
  if (stem == "IGNR") return &genre;
  if (stem == "ICMT") return &comment;
  return nullptr;
}

}  // namespace hozanki
