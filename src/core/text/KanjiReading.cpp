#include "core/text/KanjiReading.h"

#include <mecab.h>

#include <algorithm>
#include <mutex>

#include "core/common/Utf8.h"

#if !defined(HOZANKI_MECAB_DICDIR) || !defined(HOZANKI_MECAB_SECOND_DICDIR)
#error "HOZANKI_MECAB_DICDIR and HOZANKI_MECAB_SECOND_DICDIR name the analyser's dictionaries (set by CMake)"
#endif

namespace hozanki {
namespace {

bool IsBlank(char32_t cp) {
  return cp == U' ' || cp == U'\t' || cp == 0x3000;
}

std::string Trim(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end) {
    char32_t cp = 0;
    const size_t n = DecodeUtf8Char(text, begin, cp);
    if (!IsBlank(cp) && cp != U'\r' && cp != U'\n') break;
    begin += n;
  }
  while (end > begin) {
    size_t start = end - 1;
    while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    char32_t cp = 0;
    DecodeUtf8Char(text, start, cp);
    if (!IsBlank(cp) && cp != U'\r' && cp != U'\n') break;
    end = start;
  }
  return std::string(text.substr(begin, end - begin));
}

// The fields of a feature line; a field in double quotes may hold commas.
std::vector<std::string> SplitFeature(std::string_view feature) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < feature.size(); ++i) {
    const char c = feature[i];
    if (c == '"') {
      if (quoted && i + 1 < feature.size() && feature[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// The reading of a word in the dictionary's own layout: UniDic keeps the
// kana of the written form as its 21st field, the IPA dictionary its reading
// as the 8th. Unknown words have fewer fields.
std::string ReadingField(const std::vector<std::string>& fields) {
  const std::string* field = nullptr;
  if (fields.size() >= 29)
    field = &fields[20];
  else if (fields.size() >= 8)
    field = &fields[7];
  if (!field || *field == "*" || HasKanji(*field)) return {};
  return *field;
}

// UniDic lists the voiced forms a word takes inside compounds (川 as ガワ) as
// forms of their own; at the start of a word the plain form is meant. The
// reading with its first kana unvoiced when the word's plain reading (the 7th
// field) differs from it in that voicing alone.
std::string UnvoicedAtStart(const std::string& reading, const std::vector<std::string>& fields) {
  if (fields.size() < 29 || reading.empty()) return reading;
  const std::string& plain = fields[6];
  char32_t voiced = 0;
  char32_t unvoiced = 0;
  const size_t n = DecodeUtf8Char(reading, 0, voiced);
  const size_t m = DecodeUtf8Char(plain, 0, unvoiced);
  const bool onlyVoicing = (voiced == unvoiced + 1 || (voiced == unvoiced + 2 && unvoiced >= 0x30CF)) &&
                           voiced >= 0x30AC && voiced <= 0x30DD;
  if (!onlyVoicing || reading.compare(n, std::string::npos, plain, m, std::string::npos) != 0) return reading;
  return plain;
}

bool HasKatakana(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    i += DecodeUtf8Char(text, i, cp);
    if (cp >= 0x30A1 && cp <= 0x30FA) return true;
  }
  return false;
}

// Kanji-free text: one piece a blank-separated run.
void AppendPlainRuns(std::string_view text, std::vector<ReadingPiece>& pieces) {
  size_t i = 0;
  while (i < text.size()) {
    ReadingPiece piece;
    while (i < text.size()) {
      char32_t cp = 0;
      const size_t n = DecodeUtf8Char(text, i, cp);
      if (!IsBlank(cp)) break;
      piece.blanks.append(text.substr(i, n));
      i += n;
    }
    while (i < text.size()) {
      char32_t cp = 0;
      const size_t n = DecodeUtf8Char(text, i, cp);
      if (IsBlank(cp)) break;
      piece.surface.append(text.substr(i, n));
      i += n;
    }
    piece.katakana = HiraganaToKatakana(piece.surface);
    pieces.push_back(std::move(piece));
  }
}

char32_t UpperMacron(char32_t cp) {
  switch (cp) {
    case 0x0101: case 0x0113: case 0x012B: case 0x014D: case 0x016B: return cp - 1;
    default: return cp;
  }
}

std::string Upper(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    i += DecodeUtf8Char(text, i, cp);
    if (cp >= U'a' && cp <= U'z') cp = cp - U'a' + U'A';
    AppendUtf8(out, UpperMacron(cp));
  }
  return out;
}

std::string Capitalised(std::string_view text) {
  if (text.empty()) return {};
  char32_t cp = 0;
  const size_t n = DecodeUtf8Char(text, 0, cp);
  return Upper(text.substr(0, n)) + std::string(text.substr(n));
}

// Japanese punctuation as romaji writes it.
std::string RomajiPunctuation(std::string_view text, bool blankFollows) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const size_t n = DecodeUtf8Char(text, i, cp);
    const bool last = i + n == text.size();
    switch (cp) {
      case 0x3001: out += (last && blankFollows) || !last ? "," : ", "; break;  // 、
      case 0xFF0C: out += ","; break;
      case 0x3002: out += "."; break;  // 。
      case 0x30FB: out += (last && blankFollows) ? "" : " "; break;  // ・
      case 0x3000: out += " "; break;
      case 0x301C: case 0xFF5E: out += "~"; break;
      case 0xFF01: out += "!"; break;
      case 0xFF1F: out += "?"; break;
      default: out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// ReadingDictionary

bool ReadingDictionary::Set(std::string_view name, std::string_view katakana) {
  const std::string key = Trim(name);
  const std::string value = HiraganaToKatakana(Trim(katakana));
  // A line of the file holds one name and its reading.
  auto oneLine = [](const std::string& text) { return text.find_first_of("\t\r\n") == std::string::npos; };
  if (key.empty() || !oneLine(key) || !oneLine(value)) return false;
  if (value.empty()) {
    entries_.erase(key);
    return true;
  }
  entries_[key] = value;
  longestName_ = std::max(longestName_, key.size());
  return true;
}

const std::string* ReadingDictionary::Find(std::string_view name) const {
  const auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : &it->second;
}

size_t ReadingDictionary::LongestMatch(std::string_view text, size_t pos, const std::string** reading) const {
  const size_t room = std::min(longestName_, text.size() - pos);
  for (size_t length = room; length > 0; --length) {
    if (pos + length < text.size() && (static_cast<unsigned char>(text[pos + length]) & 0xC0) == 0x80) continue;
    if (const std::string* found = Find(text.substr(pos, length))) {
      *reading = found;
      return length;
    }
  }
  return 0;
}

ReadingDictionary ReadingDictionary::Parse(std::string_view bytes) {
  ReadingDictionary dictionary;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    if (line.starts_with("#")) continue;
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    dictionary.Set(line.substr(0, tab), line.substr(tab + 1));
  }
  return dictionary;
}

std::string ReadingDictionary::Serialise() const {
  std::string out = "# 読みの辞書: 名前<TAB>読み (カタカナ)\n";
  for (const auto& [name, reading] : entries_) out += name + "\t" + reading + "\n";
  return out;
}

// ---------------------------------------------------------------------------
// Rendering

std::string RenderReading(const std::vector<ReadingPiece>& pieces, const ReadingOptions& options) {
  std::string out;
  if (options.script != ReadingScript::Romaji) {
    const bool hiragana = options.script == ReadingScript::Hiragana;
    for (const ReadingPiece& piece : pieces) {
      out += piece.blanks;
      if (piece.source == ReadingPiece::Source::Unknown)
        out += piece.surface;
      else
        out += hiragana ? KatakanaToHiragana(piece.katakana) : piece.katakana;
    }
    return out;
  }
  bool afterRomaji = false;
  bool firstWord = true;
  for (size_t k = 0; k < pieces.size(); ++k) {
    const ReadingPiece& piece = pieces[k];
    const bool blankFollows = k + 1 < pieces.size() && !pieces[k + 1].blanks.empty();
    out += RomajiPunctuation(piece.blanks, false);
    if (piece.source == ReadingPiece::Source::Unknown || !HasKatakana(piece.katakana)) {
      out += RomajiPunctuation(piece.source == ReadingPiece::Source::Unknown ? piece.surface : piece.katakana,
                               blankFollows || k + 1 == pieces.size());
      afterRomaji = false;
      continue;
    }
    const bool joined = afterRomaji && piece.blanks.empty() && piece.joinsPrevious;
    // The volitional ending う after a verb's o is its long vowel: 歩こう.
    if (joined && piece.katakana == "\xE3\x82\xA6" && (out.ends_with('o') || out.ends_with('O')) &&
        options.longVowels != LongVowels::Kana) {
      if (options.longVowels == LongVowels::Macron) {
        const bool upper = out.back() == 'O';
        out.pop_back();
        out += upper ? "\xC5\x8C" : "\xC5\x8D";  // Ō, ō
      }
      continue;
    }
    std::string word = KatakanaToRomaji(piece.katakana, options.longVowels, !piece.verb);
    if (options.spaceWords && afterRomaji && piece.blanks.empty() && !piece.joinsPrevious) out += ' ';
    switch (options.letterCase) {
      case RomajiCase::Lower: break;
      case RomajiCase::Upper: word = Upper(word); break;
      case RomajiCase::Words:
        if (!joined && !piece.particle) word = Capitalised(word);
        break;
      case RomajiCase::First:
        if (firstWord) word = Capitalised(word);
        break;
    }
    out += RomajiPunctuation(word, blankFollows || k + 1 == pieces.size());
    afterRomaji = true;
    firstWord = false;
  }
  return out;
}

std::optional<std::string> LearnableReading(std::string_view typed) {
  bool kana = false;
  for (size_t i = 0; i < typed.size();) {
    char32_t cp = 0;
    i += DecodeUtf8Char(typed, i, cp);
    if (IsKanjiChar(cp)) return std::nullopt;
    if ((cp >= 0x3041 && cp <= 0x3096) || (cp >= 0x30A1 && cp <= 0x30FA)) kana = true;
  }
  if (!kana) return std::nullopt;
  return HiraganaToKatakana(Trim(typed));
}

// ---------------------------------------------------------------------------
// KanjiReader

struct KanjiReader::Impl {
  struct Analyser {
    std::unique_ptr<MeCab::Tagger> tagger;
    std::mutex mutex;  // one parse at a time
  };
  Analyser primary;
  Analyser second;  // may hold no tagger
};

KanjiReader::KanjiReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
KanjiReader::~KanjiReader() = default;

std::string KanjiReader::DefaultDictionaryFolder() {
  return HOZANKI_MECAB_DICDIR;
}

std::string KanjiReader::DefaultSecondDictionaryFolder() {
  return HOZANKI_MECAB_SECOND_DICDIR;
}

std::unique_ptr<KanjiReader> KanjiReader::Open(std::string* error, const std::string& dictionaryFolder,
                                               const std::string& secondFolder) {
  auto impl = std::make_unique<Impl>();
  auto open = [&](const std::string& folder, Impl::Analyser& analyser) {
    // No resource file: the dictionary is named here, whatever the system's
    // default dictionary is.
    const char* argv[] = {"hozanki", "-r", "/dev/null", "-d", folder.c_str()};
    analyser.tagger.reset(MeCab::createTagger(5, const_cast<char**>(argv)));
    if (!analyser.tagger && error) *error = "読みの辞書を開けません (" + folder + "): " + MeCab::getTaggerError();
    return analyser.tagger != nullptr;
  };
  if (!open(dictionaryFolder.empty() ? DefaultDictionaryFolder() : dictionaryFolder, impl->primary))
    return nullptr;
  const std::string second = secondFolder == "-" ? std::string()
                             : secondFolder.empty() ? DefaultSecondDictionaryFolder()
                                                    : secondFolder;
  if (!second.empty() && !open(second, impl->second)) return nullptr;
  return std::unique_ptr<KanjiReader>(new KanjiReader(std::move(impl)));
}

namespace {

std::vector<ReadingPiece> Parse(const std::string& input, MeCab::Tagger& tagger) {
  std::vector<ReadingPiece> pieces;
  const MeCab::Node* node = tagger.parseToNode(input.c_str(), input.size());
  size_t done = 0;
  bool afterPrefix = false;
  for (; node; node = node->next) {
    if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE || node->length == 0) continue;
    const size_t start = static_cast<size_t>(node->surface - input.c_str());
    if (start < done || start + node->length > input.size()) continue;
    ReadingPiece piece;
    piece.blanks = input.substr(done, start - done);
    piece.surface = input.substr(start, node->length);
    done = start + node->length;
    const std::vector<std::string> fields = SplitFeature(node->feature ? node->feature : "");
    const std::string& pos = fields[0];
    const std::string pos2 = fields.size() > 1 ? fields[1] : std::string();
    if (HasKanji(piece.surface)) {
      std::string reading = node->stat == MECAB_UNK_NODE ? std::string() : ReadingField(fields);
      const bool wordStart = pieces.empty() || !piece.blanks.empty() || !HasKatakana(pieces.back().katakana);
      if (wordStart) reading = UnvoicedAtStart(reading, fields);
      piece.source = reading.empty() ? ReadingPiece::Source::Unknown : ReadingPiece::Source::Analyser;
      piece.katakana = reading.empty() ? piece.surface : HiraganaToKatakana(reading);
    } else {
      piece.katakana = HiraganaToKatakana(piece.surface);
    }
    piece.joinsPrevious = afterPrefix || pos == "助動詞" || pos == "接尾辞" || pos2 == "接尾" ||
                          (pos == "助詞" && pos2 == "接続助詞") || (pos == "動詞" && pos2 == "非自立");
    piece.particle = pos == "助詞" && !piece.joinsPrevious;
    // A verb's final う is no long vowel (思う), but in UniDic's volitional
    // form it is (歩こう).
    piece.verb = pos == "動詞" && !(fields.size() > 5 && fields[5].starts_with("意志推量形"));
    afterPrefix = pos == "接頭詞" || pos == "接頭辞";
    pieces.push_back(std::move(piece));
  }
  // Blanks after the last word, or what the analyser skipped.
  if (done < input.size()) AppendPlainRuns(std::string_view(input).substr(done), pieces);
  return pieces;
}

// How a reading ranks: words without a reading first, then the words with
// kanji (fewer is better: a dictionary that holds the whole compound or name
// as one word knows how it is read).
std::pair<int, int> Rank(const std::vector<ReadingPiece>& pieces) {
  int unknown = 0;
  int kanjiWords = 0;
  for (const ReadingPiece& piece : pieces) {
    if (piece.source == ReadingPiece::Source::Unknown) ++unknown;
    if (HasKanji(piece.surface)) ++kanjiWords;
  }
  return {unknown, kanjiWords};
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::vector<ReadingPiece> KanjiReader::Analyse(std::string_view text) const {
  std::vector<ReadingPiece> pieces;
  if (!HasKanji(text)) {
    AppendPlainRuns(text, pieces);
    return pieces;
  }
  const std::string input(text);
  {
    std::lock_guard lock(impl_->primary.mutex);
    pieces = Parse(input, *impl_->primary.tagger);
  }
  if (impl_->second.tagger) {
    std::vector<ReadingPiece> other;
    {
      std::lock_guard lock(impl_->second.mutex);
      other = Parse(input, *impl_->second.tagger);
    }
    if (Rank(other) < Rank(pieces)) pieces = std::move(other);
  }
  // A dictionary word that joins kanji and Latin letters ("光GENJI"): the
  // letters stay as written, the rest is read on its own.
  std::vector<ReadingPiece> out;
  for (ReadingPiece& piece : pieces) {
    const bool mixed = piece.source == ReadingPiece::Source::Analyser &&
                       std::any_of(piece.surface.begin(), piece.surface.end(), IsAsciiLetter);
    if (!mixed) {
      out.push_back(std::move(piece));
      continue;
    }
    std::string_view rest = piece.surface;
    std::string blanks = piece.blanks;
    while (!rest.empty()) {
      const bool latin = IsAsciiLetter(rest[0]);
      size_t n = 0;
      while (n < rest.size() && IsAsciiLetter(rest[n]) == latin) ++n;
      std::vector<ReadingPiece> part;
      if (latin)
        AppendPlainRuns(rest.substr(0, n), part);
      else
        part = Analyse(rest.substr(0, n));
      if (!part.empty()) part.front().blanks.insert(0, blanks);
      blanks.clear();
      for (ReadingPiece& p : part) out.push_back(std::move(p));
      rest.remove_prefix(n);
    }
  }
  return out;
}

TextReading KanjiReader::Read(std::string_view text, const ReadingOptions& options,
                              const ReadingDictionary* user) const {
  TextReading result;
  if (!user || user->Empty()) {
    result.pieces = Analyse(text);
  } else {
    size_t gapStart = 0;
    for (size_t i = 0; i < text.size();) {
      const std::string* reading = nullptr;
      const size_t length = user->LongestMatch(text, i, &reading);
      if (length == 0) {
        char32_t cp = 0;
        i += DecodeUtf8Char(text, i, cp);
        continue;
      }
      for (ReadingPiece& piece : Analyse(text.substr(gapStart, i - gapStart)))
        result.pieces.push_back(std::move(piece));
      ReadingPiece piece;
      piece.surface = std::string(text.substr(i, length));
      piece.katakana = *reading;
      piece.source = ReadingPiece::Source::User;
      result.pieces.push_back(std::move(piece));
      i += length;
      gapStart = i;
    }
    for (ReadingPiece& piece : Analyse(text.substr(gapStart))) result.pieces.push_back(std::move(piece));
  }
  // Blanks before a user's name stay with it, not as a piece of their own.
  for (size_t k = 0; k + 1 < result.pieces.size();) {
    ReadingPiece& piece = result.pieces[k];
    if (piece.surface.empty() && piece.katakana.empty()) {
      result.pieces[k + 1].blanks.insert(0, piece.blanks);
      result.pieces.erase(result.pieces.begin() + static_cast<std::ptrdiff_t>(k));
    } else {
      ++k;
    }
  }
  for (const ReadingPiece& piece : result.pieces)
    if (piece.source == ReadingPiece::Source::Unknown) result.unknown.push_back(piece.surface);
  result.text = RenderReading(result.pieces, options);
  return result;
}

}  // namespace hozanki
