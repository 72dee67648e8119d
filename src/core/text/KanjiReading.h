#pragma once
// Readings of Japanese text for the sort fields: the text is split into words
// by the morphological analyser and each word with kanji is replaced by its
// dictionary reading; kana become katakana (or hiragana), Latin letters,
// digits and symbols stay as they are. A word the analyser does not know
// keeps its kanji and is reported, never guessed. A dictionary of the user's
// own readings goes before the analyser.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/KanaText.h"

namespace hozanki {

enum class ReadingScript { Katakana, Hiragana, Romaji };
// "utada hikaru", "UTADA HIKARU", "Utada Hikaru" (particles stay lower
// case), "Utada hikaru".
enum class RomajiCase { Lower, Upper, Words, First };

struct ReadingOptions {
  ReadingScript script = ReadingScript::Katakana;
  // Romaji only: a blank between words ("Tokyo Jihen"), or the words run
  // together ("Tokyojihen"). Blanks of the text are kept either way.
  bool spaceWords = true;
  RomajiCase letterCase = RomajiCase::Words;
  LongVowels longVowels = LongVowels::Plain;
};

// The user's readings: a name (any text) and its reading in katakana. When a
// text is read, the longest name found at each place goes before the
// analyser.
class ReadingDictionary {
 public:
  // Sets the reading of `name` (an empty reading removes the name; hiragana
  // is kept as katakana). Names and readings are trimmed; an empty name, or
  // one or a reading holding a tab or a line break, is ignored.
  // Returns whether the dictionary took it.
  bool Set(std::string_view name, std::string_view katakana);
  const std::string* Find(std::string_view name) const;
  // The longest name that starts at byte `pos` of `text`: its length in
  // bytes and reading, or 0.
  size_t LongestMatch(std::string_view text, size_t pos, const std::string** reading) const;
  const std::map<std::string, std::string, std::less<>>& Entries() const { return entries_; }
  bool Empty() const { return entries_.empty(); }

  // The file form: UTF-8, one "NAME<TAB>READING" a line; blank lines and
  // lines starting with "#" are skipped, as are lines without a tab.
  static ReadingDictionary Parse(std::string_view bytes);
  std::string Serialise() const;

 private:
  std::map<std::string, std::string, std::less<>> entries_;
  size_t longestName_ = 0;
};

// One piece of a text as it was read.
struct ReadingPiece {
  enum class Source {
    Analyser,  // a word of the analyser's dictionary
    User,      // a name of the user's dictionary
    Kept,      // kana, Latin letters, digits, symbols: read as written
    Unknown,   // a word with kanji that has no reading: kept as written
  };
  std::string blanks;   // what the text had before the piece (spaces)
  std::string surface;  // the piece as written
  std::string katakana;  // its reading (kana of a kept piece as katakana)
  Source source = Source::Kept;
  bool joinsPrevious = false;  // an ending, suffix or auxiliary: no blank before it in romaji
  bool particle = false;       // lower case in RomajiCase::Words
  bool verb = false;           // its final "u" is no long vowel
};

struct TextReading {
  std::string text;                  // the reading in the chosen script
  std::vector<ReadingPiece> pieces;  // every byte of the text is in one piece
  std::vector<std::string> unknown;  // the words that have no reading, as written
};

// Writes pieces in the chosen script.
std::string RenderReading(const std::vector<ReadingPiece>& pieces, const ReadingOptions& options);

// The katakana of a reading the user typed in kana (hiragana, katakana,
// blanks and the punctuation of the source kept), for learning; nullopt
// when it holds other letters (romaji, kanji) that say nothing about the kana.
std::optional<std::string> LearnableReading(std::string_view typed);

class KanjiReader {
 public:
  ~KanjiReader();
  KanjiReader(const KanjiReader&) = delete;
  KanjiReader& operator=(const KanjiReader&) = delete;

  // The analyser over the dictionary in `dictionaryFolder`, and a second one
  // consulted for every text with kanji: its reading is taken when it knows
  // more of the words or holds the text as fewer, longer words (a compound
  // or a set name it lists as one word). Empty folders name the ones this
  // program was built with (UniDic, then the IPA dictionary); a second
  // folder "-" reads with the first alone. nullptr with `error` set when a
  // dictionary cannot be loaded.
  static std::unique_ptr<KanjiReader> Open(std::string* error, const std::string& dictionaryFolder = {},
                                           const std::string& secondFolder = {});
  static std::string DefaultDictionaryFolder();
  static std::string DefaultSecondDictionaryFolder();

  // Reads `text` (UTF-8). Safe to call from several threads.
  TextReading Read(std::string_view text, const ReadingOptions& options,
                   const ReadingDictionary* user = nullptr) const;

 private:
  struct Impl;
  explicit KanjiReader(std::unique_ptr<Impl> impl);
  std::vector<ReadingPiece> Analyse(std::string_view text) const;
  std::unique_ptr<Impl> impl_;
};

}  // namespace hozanki
