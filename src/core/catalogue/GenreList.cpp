#include "core/catalogue/GenreList.h"

#include <algorithm>
#include <array>

namespace hozanki {
namespace {

using namespace std::string_view_literals;

constexpr std::array<std::string_view, kGenreCount> kGenres = {
    "Blues"sv,
    "Classic Rock"sv,
    "Country"sv,
    "Dance"sv,
    "Disco"sv,
    "Funk"sv,
    "Grunge"sv,
    "Hip-Hop"sv,
    "Jazz"sv,
    "Metal"sv,
    "New Age"sv,
    "Oldies"sv,
    "Other"sv,
    "Pop"sv,
    "R&B"sv,
    "Rap"sv,
    "Reggae"sv,
    "Rock"sv,
    "Techno"sv,
    "Industrial"sv,
    "Alternative"sv,
    "Ska"sv,
    "Death Metal"sv,
    "Pranks"sv,
    "Soundtrack"sv,
    "Euro-Techno"sv,
    "Ambient"sv,
    "Trip-Hop"sv,
    "Vocal"sv,
    "Jazz+Funk"sv,
    "Fusion"sv,
    "Trance"sv,
    "Classical"sv,
    "Instrumental"sv,
    "Acid"sv,
    "House"sv,
    "Game"sv,
    "Sound Clip"sv,
    "Gospel"sv,
    "Noise"sv,
    "AlternRock"sv,
    "Bass"sv,
    "Soul"sv,
    "Punk"sv,
    "Space"sv,
    "Meditative"sv,
    "Instrumental Pop"sv,
    "Instrumental Rock"sv,
    "Ethnic"sv,
    "Gothic"sv,
    "Darkwave"sv,
    "Techno-Industrial"sv,
    "Electronic"sv,
    "Pop-Folk"sv,
    "Eurodance"sv,
    "Dream"sv,
    "Southern Rock"sv,
    "Comedy"sv,
    "Cult"sv,
    "Gangsta"sv,
    "Top 40"sv,
    "Christian Rap"sv,
    "Pop/Funk"sv,
    "Jungle"sv,
    "Native American"sv,
    "Cabaret"sv,
    "New Wave"sv,
    "Psychadelic"sv,
    "Rave"sv,
    "Showtunes"sv,
    "Trailer"sv,
    "Lo-Fi"sv,
    "Tribal"sv,
    "Acid Punk"sv,
    "Acid Jazz"sv,
    "Polka"sv,
    "Retro"sv,
    "Musical"sv,
    "Rock & Roll"sv,
    "Hard Rock"sv,
    "Folk"sv,
    "Folk/Rock"sv,
    "National Folk"sv,
    "Swing"sv,
    "Fast-Fusion"sv,
    "Bebob"sv,
    "Latin"sv,
    "Revival"sv,
    "Celtic"sv,
    "Bluegrass"sv,
    "Avantgarde"sv,
    "Gothic Rock"sv,
    "Progressive Rock"sv,
    "Psychedelic Rock"sv,
    "Symphonic Rock"sv,
    "Slow Rock"sv,
    "Big Band"sv,
    "Chorus"sv,
    "Easy Listening"sv,
    "Acoustic"sv,
    "Humour"sv,
    "Speech"sv,
    "Chanson"sv,
    "Opera"sv,
    "Chamber Music"sv,
    "Sonata"sv,
    "Symphony"sv,
    "Booty Bass"sv,
    "Primus"sv,
    "Porn Groove"sv,
    "Satire"sv,
    "Slow Jam"sv,
    "Club"sv,
    "Tango"sv,
    "Samba"sv,
    "Folklore"sv,
    "Ballad"sv,
    "Power Ballad"sv,
    "Phythmic Soul"sv,
    "Freestyle"sv,
    "Duet"sv,
    "Punk Rock"sv,
    "Drum Solo"sv,
    "A Cappella"sv,
    "Euro-House"sv,
    "Dance Hall"sv,
    "Goa"sv,
    "Drum & Bass"sv,
    "Club-House"sv,
    "Hardcore"sv,
    "Terror"sv,
    "Indie"sv,
    "BritPop"sv,
    "Negerpunk"sv,
    "Polsk Punk"sv,
    "Beat"sv,
    "Christian Gangsta Rap"sv,
    "Heavy Metal"sv,
    "Black Metal"sv,
    "Crossover"sv,
    "Contemporary Christian"sv,
    "Christian Rock"sv,
    "Merengue"sv,
    "Salsa"sv,
    "Thrash Metal"sv,
    "Anime"sv,
    "JPop"sv,
    "Synthpop"sv,
    "Heavy Rock(J)"sv,
    "Doom Rock(J)"sv,
    "J-POP(J)"sv,
    "Seiyu(J)"sv,
    "Tecno Ambient(J)"sv,
    "Moemoe(J)"sv,
    "Tokusatsu(J)"sv,
    "Anime(J)"sv};

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string_view> GenreNamesAlphabetical() {
  std::vector<std::string_view> names(kGenres.begin(), kGenres.end());
  auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  std::stable_sort(names.begin(), names.end(), [&](std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return lower(x) < lower(y); });
  });
  return names;
}

std::span<const std::string_view> GenreNames() { return kGenres; }

std::string_view GenreName(int code) {
  if (code < 0 || code >= kGenreCount) return {};
  return kGenres[static_cast<size_t>(code)];
}

int GenreCode(std::string_view name) {
  for (int i = 0; i < kGenreCount; ++i)
    if (EqualsNoCase(kGenres[static_cast<size_t>(i)], name)) return i;
  return -1;
}

}  // namespace hozanki
