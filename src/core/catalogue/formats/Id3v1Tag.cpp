#include "core/catalogue/formats/Id3v1Tag.h"

#include <charconv>

#include "core/catalogue/GenreList.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

std::string ReadField(std::string_view bytes) {
  size_t end = bytes.find('\0');
  if (end != std::string_view::npos) bytes = bytes.substr(0, end);
  while (!bytes.empty() && bytes.back() == ' ') bytes.remove_suffix(1);
  return DecodeLegacy(bytes);
}

// Writes the code page 932 form of `text`, cut at a character boundary to
// `width` bytes, into `out`.
bool WriteField(const std::string& text, size_t width, char* out, std::string* error) {
  std::string_view cut = CutToWidth(text, width);
  std::optional<std::string> bytes = EncodeCp932(cut);
  if (!bytes) {
    std::optional<MisfitCharacter> misfit = FirstMisfitCp932(cut);
    if (error)
      *error = "ID3v1 cannot store \"" + (misfit ? misfit->character : std::string(cut)) +
               "\" (not in code page 932)";
    return false;
  }
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

}  // namespace

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
  return tag;
}

std::string Id3v1Tag::Render(std::string* error) const {
  std::string out(kId3v1Size, '\0');
  out.replace(0, 3, "TAG");
  int track = TrackNumber(this->track);
  if (!WriteField(title, 30, &out[3], error) || !WriteField(artist, 30, &out[33], error) ||
      !WriteField(album, 30, &out[63], error) || !WriteField(year, 4, &out[93], error) ||
      !WriteField(comment, track ? 28 : 30, &out[97], error))
    return {};
  if (track) out[126] = static_cast<char>(track);
  int genreCode = genre.empty() ? -1 : GenreCode(genre);
  out[127] = static_cast<char>(genreCode < 0 ? 255 : genreCode);
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
