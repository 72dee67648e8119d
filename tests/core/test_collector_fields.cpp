// Album artist, disc, readings and lyrics: the Vorbis disc pair saves only
// what changed, the ID3v2 frames follow the reading rule and the encoding
// repair, and the rename items and list tokens reach them without moving
// the older ones.

#include <gtest/gtest.h>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include "../../bench/EncodingCorpus.h"
#include "FormatTestSupport.h"
#include "MediaTestSupport.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/catalogue/TagFile.h"
#include "core/listout/ListItems.h"
#include "core/listout/PickedFile.h"
#include "core/listout/TemplateText.h"
#include "core/rename/PatternEvaluator.h"
#include "core/rename/RenamePattern.h"
#include "core/tagedit/EncodingRepairScan.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

int Cell(TagKind kind, ExtraField field) { return CellOfExtraField(kind, field); }

// The Vorbis comments as another reader sees them.
std::string Comment(const fs::path& path, const char* name) {
  TagLib::FileRef ref(path.c_str(), false);
  const TagLib::PropertyMap map = ref.file()->properties();
  return map.contains(name) ? map[name].toString(",").to8Bit(true) : "(none)";
}

class CollectorFields : public test::MediaTempDir {
 protected:
  // Writes one cell of the only tag row of `name` and reads the file back.
  void WriteCell(const fs::path& name, int cell, const std::string& text) {
    auto e = ReadMediaFile(dir_, name);
    ASSERT_TRUE(e);
    e->tags[0].cells[static_cast<size_t>(cell)].text = text;
    e->tags[0].state = kChecked;
    e->tags[0].image = kChangedMark;
    std::string error;
    ASSERT_TRUE(WriteMediaFile(dir_, *e, WriteSettings{}, &error)) << error;
  }
};

TEST_F(CollectorFields, VorbisDiscNumberWithItsCountIsWrittenOnlyWhenTheCellChanges) {
  for (const char* fixture : {"ogg/tagged.ogg", "flac/tagged.flac"}) {
    SCOPED_TRACE(fixture);
    const fs::path name = fs::path(fixture).filename();
    fs::copy_file(test::Fixture(fixture), dir_ / name, fs::copy_options::overwrite_existing);
    // Another tagger's form: the count inside DISCNUMBER, no DISCTOTAL.
    {
      TagLib::FileRef ref((dir_ / name).c_str(), false);
      TagLib::PropertyMap map = ref.file()->properties();
      map.replace("DISCNUMBER", TagLib::StringList("1/2"));
      ref.file()->setProperties(map);
      ASSERT_TRUE(ref.save());
    }
    ASSERT_EQ(Comment(dir_ / name, "DISCNUMBER"), "1/2");

    const TagKind kind = TagKindsOf(ReadMediaFile(dir_, name)->format)[0];
    const int disc = Cell(kind, ExtraField::Disc);
    EXPECT_EQ(ReadMediaFile(dir_, name)->tags[0].cells[static_cast<size_t>(disc)].text, "1/2");
    struct Step {
      int cell;  // 0: the disc cell
      const char* text;
      const char* number;
      const char* total;
    };
    for (const Step& s : {Step{2, "Other title", "1/2", "(none)"}, Step{0, "3/2", "3", "2"},
                          Step{0, "3/4", "3", "4"}, Step{0, "", "(none)", "(none)"}}) {
      SCOPED_TRACE(s.text);
      WriteCell(name, s.cell ? s.cell : disc, s.text);
      EXPECT_EQ(Comment(dir_ / name, "DISCNUMBER"), s.number);
      EXPECT_EQ(Comment(dir_ / name, "DISCTOTAL"), s.total);
    }
  }
}

TEST_F(CollectorFields, Id3v2FramesFollowTheReadingRuleAndTheRepair) {
  using corpus::ReadAsSingleByte;
  const std::string artist = "宇多田ヒカル", reading = "ウタダヒカル", lyrics = "七回目のベルで\n受話器を取った君";
  const int albumArtist = Cell(TagKind::MP3ID3v2, ExtraField::AlbumArtist);
  const int artistReading = Cell(TagKind::MP3ID3v2, ExtraField::ArtistReading);
  const int lyricsCell = Cell(TagKind::MP3ID3v2, ExtraField::Lyrics);
  Copy("plain.mp3", "a.mp3");
  auto e = ReadMediaFile(dir_, "a.mp3");
  ASSERT_TRUE(e);
  TagRow& row = e->tags[1];
  // Mojibake of Shift-JIS and of UTF-8, and lyrics kept as code page 932
  // bytes in an ISO-8859-1 frame ("Unicode" off).
  row.cells[static_cast<size_t>(albumArtist)].text = ReadAsSingleByte(*EncodeCp932(artist), true);
  row.cells[static_cast<size_t>(artistReading)].text = ReadAsSingleByte(reading, true);
  row.cells[static_cast<size_t>(lyricsCell)].text = lyrics;
  row.state = kChecked;
  row.image = kChangedMark;
  std::string error;
  ASSERT_TRUE(WriteMediaFile(dir_, *e, WriteSettings{1, 1, 2, true}, &error)) << error;

  auto back = ReadMediaFile(dir_, "a.mp3");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->tags[1].cells[static_cast<size_t>(lyricsCell)].text, lyrics);  // legacy bytes read as such
  auto file = OpenTagFile(dir_ / "a.mp3");
  std::map<std::string, RepairFinding> by;
  for (const RepairFinding& f : FindRepairs(*back, file.get())) by[f.field] = f;
  ASSERT_EQ(by.size(), 3u);
  EXPECT_EQ(by["AART"].diagnosis.source, SourceEncoding::kShiftJis);
  EXPECT_EQ(by["AART"].diagnosis.proposed, artist);
  EXPECT_EQ(by["SOAR"].diagnosis.source, SourceEncoding::kUtf8);
  EXPECT_EQ(by["SOAR"].diagnosis.proposed, reading);
  EXPECT_EQ(by["LYRC"].diagnosis.verdict, TextVerdict::kLegacy);
  EXPECT_EQ(by["LYRC"].form, StoredForm::kLatin1Frame);

  for (const auto& [field, finding] : by) ApplyRepair(*back, finding, finding.diagnosis.proposed);
  ASSERT_TRUE(WriteMediaFile(dir_, *back, WriteSettings{1, 1, 2, true}, &error)) << error;
  auto repaired = ReadMediaFile(dir_, "a.mp3");
  ASSERT_TRUE(repaired);
  EXPECT_EQ(repaired->tags[1].cells[static_cast<size_t>(albumArtist)].text, artist);
  EXPECT_EQ(repaired->tags[1].cells[static_cast<size_t>(artistReading)].text, reading);
  file = OpenTagFile(dir_ / "a.mp3");
  EXPECT_TRUE(FindRepairs(*repaired, file.get()).empty());
  std::map<std::string, std::string> probe = test::ProbeTags(dir_ / "a.mp3");
  if (probe.empty()) return;
  EXPECT_EQ(probe["album_artist"], artist);
  EXPECT_EQ(probe["artist-sort"], reading);
}

// An MP3 entry of four tag rows; each row's cells given by cell number.
MediaFileEntry Mp3Entry(const std::array<std::map<int, std::string>, 4>& rows) {
  MediaFileEntry e;
  e.format = MediaFormat::MP3;
  e.relativePath = "x.mp3";
  e.file.cells.resize(static_cast<size_t>(FileCellCount(MediaFormat::MP3)));
  e.file.cells[0].text = "x.mp3";
  for (size_t k = 0; k < 4; ++k) {
    TagRow row;
    row.cells.resize(ValueNamesOf(TagKindsOf(MediaFormat::MP3)[k]).size() + 1);
    for (const auto& [cell, text] : rows[k]) row.cells[static_cast<size_t>(cell)].text = text;
    e.tags.push_back(std::move(row));
  }
  return e;
}

TEST(CollectorItems, RenameItemsAndListTokensReachTheNewFieldsAndKeepTheOldNumbers) {
  const int v2Album = Cell(TagKind::MP3ID3v2, ExtraField::AlbumArtist);
  const int v2Disc = Cell(TagKind::MP3ID3v2, ExtraField::Disc);
  const int apeAlbum = Cell(TagKind::MP3APE, ExtraField::AlbumArtist);
  const int apeLyrics = Cell(TagKind::MP3APE, ExtraField::Lyrics);
  const int v2Title = Cell(TagKind::MP3ID3v2, ExtraField::TitleReading);
  const MediaFileEntry e = Mp3Entry({{{{1, "v1 artist"}},
                                      {{1, "v2 artist"}, {v2Album, "v2 album artist"}, {v2Disc, "1/2"}, {v2Title, "ヨミ"}},
                                      {},
                                      {{apeLyrics, "ape lyrics"}, {apeAlbum, ""}}}});

  // Rename items: the older kinds keep their numbers, the new ones follow,
  // each taken from APE first, then ID3v2.
  const auto names = RenameItemNames(MediaFormat::MP3);
  ASSERT_EQ(names.size(), 31u);
  EXPECT_EQ(names[23], "ソフトウェア");
  struct Expect {
    std::string_view item;
    const char* value;
  };
  for (const Expect& x : {Expect{"アーティスト", "v2 artist"}, Expect{"アルバムアーティスト", "v2 album artist"},
                          Expect{"ディスク№", "1/2"}, Expect{"読み（タイトル）", "ヨミ"}, Expect{"歌詞", "ape lyrics"}}) {
    const int kind = static_cast<int>(std::find(names.begin(), names.end(), x.item) - names.begin());
    EXPECT_EQ(EvaluatePattern(MediaFormat::MP3, {PatternItem::Make(kind, kPatternWhole, "")}, e),
              x.value)
        << x.item;
  }
  for (MediaFormat f : {MediaFormat::OGG, MediaFormat::WMA, MediaFormat::MP4}) {
    const auto items = RenameItemNames(f);
    EXPECT_EQ(std::count(items.begin(), items.end(), "アルバムアーティスト"), 1) << FormatName(f);
    EXPECT_EQ(std::count(items.begin(), items.end(), "ディスク№"), 1) << FormatName(f);
  }

  // List items: appended after the older 62, their tokens read T35 onwards.
  EXPECT_EQ(ListItems()[61].token, "%T_SOFT");
  const PickedFile picked = MakePickedFile(e, "/m");
  for (const Expect& x : {Expect{"%T_AART", "v2 album artist"}, Expect{"%T_DISC", "1/2"},
                          Expect{"%T_SONM", "ヨミ"}, Expect{"%T_LYR", "ape lyrics"}, Expect{"%T_SOAR", ""}}) {
    const auto at = std::find_if(ListItems().begin(), ListItems().end(),
                                 [&](const ListItem& i) { return i.token == x.item; });
    ASSERT_NE(at, ListItems().end()) << x.item;
    EXPECT_GE(at - ListItems().begin(), 62) << x.item;
    EXPECT_EQ(picked.tag[static_cast<size_t>(at->column)], x.value) << x.item;
  }
  // Imported templates: a new token is an item, the old ones mean what they meant.
  std::vector<std::string> items;
  for (const TemplateRow& r : ImportTemplate({"%T_ART%,%T_AART%,%T_ARTA%,%T_DISC%"}))
    if (r.Item != kItemText) items.push_back(r.Item);
  EXPECT_EQ(items, (std::vector<std::string>{"アーティスト", "アルバムアーティスト", "アーティスト（APE）", "ディスク№"}));
}

}  // namespace
}  // namespace hozanki
