// Readings of kanji for the sort fields: the corpus of real names read right
// in katakana (at least 90%, the user's dictionary empty) with every word
// that has no reading marked and kept as written; Hepburn romaji; kana and
// Latin text passing through; the user's dictionary going first and learning
// only kana corrections.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "../../bench/NameReadingCorpus.h"
#include "TagEditTestSupport.h"
#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/settings/ReadingDictionaryFile.h"
#include "core/tagedit/ReadingFill.h"
#include "core/text/KanjiReading.h"

namespace hozanki {
namespace {

const KanjiReader& Reader() {
  static const std::unique_ptr<KanjiReader> reader = [] {
    std::string error;
    std::unique_ptr<KanjiReader> opened = KanjiReader::Open(&error);
    if (!opened) ADD_FAILURE() << error;
    return opened;
  }();
  return *reader;
}

TEST(KanjiReading, CorpusReadsInKatakanaAndMarksWhatItCannotRead) {
  const auto& names = corpus::JapaneseNameReadings();
  ASSERT_GE(names.size(), 200u);
  size_t right = 0;
  size_t marked = 0;
  for (const corpus::NameReading& entry : names) {
    const TextReading reading = Reader().Read(entry.name, {});
    if (reading.text == entry.katakana) ++right;
    if (!reading.unknown.empty()) ++marked;
    // A word without a reading keeps its kanji and is listed; nothing else
    // keeps kanji.
    EXPECT_EQ(HasKanji(reading.text), !reading.unknown.empty()) << entry.name << " -> " << reading.text;
    for (const std::string& word : reading.unknown)
      EXPECT_NE(reading.text.find(word), std::string::npos) << entry.name;
  }
  std::printf("katakana readings exactly right: %zu of %zu (%.1f%%), %zu with words marked unknown\n", right,
              names.size(), 100.0 * static_cast<double>(right) / static_cast<double>(names.size()), marked);
  EXPECT_GE(right * 10, names.size() * 9);
  EXPECT_GE(marked, 1u);  // 一青窈's last kanji is in neither dictionary
}

TEST(KanjiReading, ScriptsBlanksAndPassThrough) {
  struct Case {
    const char* text;
    ReadingScript script;
    const char* expected;
  };
  const Case cases[] = {
      {"宇多田ヒカル", ReadingScript::Katakana, "ウタダヒカル"},
      {"宇多田ヒカル", ReadingScript::Hiragana, "うただひかる"},
      {"  坂本龍一　feat. YMO ", ReadingScript::Katakana, "  サカモトリュウイチ　feat. YMO "},
      {"いきものがかり", ReadingScript::Katakana, "イキモノガカリ"},
      {"サザンオールスターズ", ReadingScript::Hiragana, "さざんおーるすたーず"},
      {"King Gnu", ReadingScript::Katakana, "King Gnu"},
      {"乃木坂46", ReadingScript::Katakana, "ノギザカ46"},
      {"川の流れのように", ReadingScript::Katakana, "カワノナガレノヨウニ"},  // no voiced 川 at the start
  };
  for (const Case& c : cases) {
    ReadingOptions options;
    options.script = c.script;
    EXPECT_EQ(Reader().Read(c.text, options).text, c.expected) << c.text;
  }
}

TEST(KanjiReading, RomajiSpacingCaseAndLongVowels) {
  struct Case {
    const char* text;
    bool spaceWords;
    RomajiCase letterCase;
    LongVowels longVowels;
    const char* expected;
  };
  const Case cases[] = {
      {"宇多田ヒカル", true, RomajiCase::Words, LongVowels::Plain, "Utada Hikaru"},
      {"宇多田ヒカル", false, RomajiCase::Lower, LongVowels::Plain, "utadahikaru"},
      {"宇多田ヒカル", true, RomajiCase::Upper, LongVowels::Plain, "UTADA HIKARU"},
      {"東京事変", true, RomajiCase::Words, LongVowels::Macron, "Tōkyō Jihen"},
      {"東京事変", true, RomajiCase::First, LongVowels::Kana, "Toukyou jihen"},
      {"大貫妙子", true, RomajiCase::Upper, LongVowels::Macron, "ŌNUKI TAEKO"},
      {"上を向いて歩こう", true, RomajiCase::Words, LongVowels::Plain, "Ue o Muite Aruko"},
      {"上を向いて歩こう", false, RomajiCase::First, LongVowels::Macron, "Ueomuitearukō"},
      {"春よ、来い", true, RomajiCase::Words, LongVowels::Plain, "Haru yo, Koi"},
      {"King Gnu", true, RomajiCase::Upper, LongVowels::Plain, "King Gnu"},
  };
  for (const Case& c : cases) {
    ReadingOptions options{ReadingScript::Romaji, c.spaceWords, c.letterCase, c.longVowels};
    EXPECT_EQ(Reader().Read(c.text, options).text, c.expected) << c.text;
  }
}

TEST(KanaText, HepburnOfKatakana) {
  struct Case {
    const char* katakana;
    LongVowels longVowels;
    bool contract;
    const char* expected;
  };
  const Case cases[] = {
      {"シンイチ", LongVowels::Plain, true, "shin'ichi"},   {"キンヤ", LongVowels::Plain, true, "kin'ya"},
      {"マッチャ", LongVowels::Plain, true, "matcha"},      {"ガッコウ", LongVowels::Macron, true, "gakkō"},
      {"ジョオウ", LongVowels::Macron, true, "joō"},        {"ヒャクマン", LongVowels::Plain, true, "hyakuman"},
      {"チェリー", LongVowels::Macron, true, "cherī"},      {"ヴァイオリン", LongVowels::Plain, true, "vaiorin"},
      {"ウィスキー", LongVowels::Kana, true, "wisukii"},    {"パーティー", LongVowels::Plain, true, "pati"},
      {"フォーク", LongVowels::Macron, true, "fōku"},       {"オモウ", LongVowels::Macron, false, "omou"},
      {"ユウリ", LongVowels::Kana, true, "yuuri"},          {"ユウリ", LongVowels::Macron, true, "yūri"},
      {"ディスコ", LongVowels::Plain, true, "disuko"},      {"ツヅキ", LongVowels::Plain, true, "tsuzuki"},
      {"イイ", LongVowels::Macron, true, "ii"},             {"ッ", LongVowels::Plain, true, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KatakanaToRomaji(c.katakana, c.longVowels, c.contract), c.expected) << c.katakana;
}

class ReadingDictionaryTest : public test::TempDirTest {};

TEST_F(ReadingDictionaryTest, UserReadingsGoFirstAndOnlyKanaIsLearned) {
  const std::filesystem::path file = dir_ / kReadingDictionaryFileName;
  ASSERT_TRUE(WriteFileAtomic(file, "# comment\n一青窈\tヒトトヨウ\nno tab here\n髭男\tひげだん\n"));
  ReadingDictionary user;
  ASSERT_TRUE(ReadReadingDictionary(file, user));
  EXPECT_EQ(user.Entries().size(), 2u);

  TextReading whole = Reader().Read("一青窈", {}, &user);
  EXPECT_EQ(whole.text, "ヒトトヨウ");
  EXPECT_TRUE(whole.unknown.empty());
  // A name inside a longer text; the rest still goes to the analyser.
  EXPECT_EQ(Reader().Read("Official髭男dism 椎名林檎", {}, &user).text, "Officialヒゲダンdism シイナリンゴ");

  // Corrections: kana is learned (as katakana), romaji is not; the file
  // holds what was learned and reads back the same.
  const std::vector<ReadingCorrection> corrections = {
      {"米津玄師", "よねづけんし"}, {"藤井風", "Fujii Kaze"}, {"光GENJI", "ヒカルGENJI"}, {"二行\n目", "ニギョウメ"}};
  EXPECT_EQ(LearnReadings(file, corrections, user), 2);
  ReadingDictionary reread;
  ASSERT_TRUE(ReadReadingDictionary(file, reread));
  EXPECT_EQ(reread.Entries(), user.Entries());
  ASSERT_NE(reread.Find("米津玄師"), nullptr);
  EXPECT_EQ(*reread.Find("米津玄師"), "ヨネヅケンシ");
  EXPECT_EQ(reread.Find("藤井風"), nullptr);
  EXPECT_EQ(reread.Entries().size(), 4u);  // no line of the file was broken by "二行\n目"
  EXPECT_EQ(Reader().Read("光GENJI", {}, &reread).text, "ヒカルGENJI");
}


// Filling readings: the columns a tag kind has; proposals only for the
// selected rows open to editing, the chosen reading columns and sources that
// are not empty; staging touches nothing else and leaves equal cells alone.
TEST(ReadingFill, OnlyChosenCellsOfSelectedOpenRowsChange) {
  const std::vector<ReadingColumn> flac = ReadingColumnsOf(TagKind::FLAC);
  ASSERT_EQ(flac.size(), 4u);
  EXPECT_TRUE(ReadingColumnsOf(TagKind::WAV).empty());
  EXPECT_TRUE(ReadingColumnsOf(TagKind::MP3ID3v1).empty());
  const int artist = flac[0].sourceCell;
  const int artistReading = flac[0].readingCell;
  const int titleReading = flac[3].readingCell;
  EXPECT_EQ(flac[3].sourceCell, 2);  // the title

  Catalogue catalogue;
  test::FillCatalogue(catalogue, MediaFormat::FLAC, 5);
  const char* const artists[] = {"椎名林檎", "宇多田ヒカル", "一青窈", "", "東京事変"};
  for (int r = 0; r < 5; ++r) {
    test::SetText(catalogue, TagKind::FLAC, r, artist, artists[r]);
    test::SetText(catalogue, TagKind::FLAC, r, 2, "群青");
  }
  test::SetText(catalogue, TagKind::FLAC, 4, artistReading, "トウキョウジヘン");  // already right
  test::SetMarks(catalogue, TagKind::FLAC, 1, kUnavailable);
  const std::vector<int> selected = {4, 0, 1, 3, 2, 0, 9};
  const std::vector<int> cells = {artistReading};
  std::vector<ReadingProposal> proposals =
      ProposeReadings(catalogue, TagKind::FLAC, selected, cells, Reader(), {}, nullptr);
  ASSERT_EQ(proposals.size(), 3u);  // rows 0, 2, 4: row 1 is closed, row 3 has no artist
  EXPECT_EQ(proposals[0].row, 0);
  EXPECT_EQ(proposals[0].reading, "シイナリンゴ");
  EXPECT_EQ(proposals[1].unknown, std::vector<std::string>{"窈"});
  EXPECT_EQ(proposals[2].current, "トウキョウジヘン");
  EXPECT_TRUE(ProposeReadings(catalogue, TagKind::FLAC, {}, cells, Reader(), {}, nullptr).empty());

  proposals[1].reading = "ヒトトヨウ";  // corrected in the preview
  EXPECT_EQ(StageReadings(catalogue, TagKind::FLAC, proposals), 2);
  const char* const expected[] = {"シイナリンゴ", "", "ヒトトヨウ", "", "トウキョウジヘン"};
  for (int r = 0; r < 5; ++r) {
    const TagRow& tag = test::Tag(catalogue, TagKind::FLAC, r);
    EXPECT_EQ(tag.cells[static_cast<size_t>(artistReading)].text, expected[r]) << r;
    EXPECT_EQ(tag.cells[static_cast<size_t>(titleReading)].text, "") << r;  // not chosen
    EXPECT_EQ(tag.cells[static_cast<size_t>(artistReading)].value, r == 0 || r == 2 ? 1 : 0) << r;
  }
}

}  // namespace
}  // namespace hozanki
