#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/MediaWriter.h"
#include "core/settings/AppSettings.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

std::vector<TagKind> AllKinds() {
  std::vector<TagKind> kinds;
  for (int k = 0; k < kTagKindCount; ++k) kinds.push_back(static_cast<TagKind>(k));
  return kinds;
}

TEST(ColumnTables, ColumnCountsMatchCellsValueNamesAndDefaultWidths) {
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    const auto columns = FileListColumns(format);
    EXPECT_EQ(columns.size(), static_cast<size_t>(FileCellCount(format)) + 1) << FormatName(format);
    EXPECT_EQ(columns.size(), settings::FileColumnDefaults(format).size() + 1) << FormatName(format);
  }
  for (TagKind kind : AllKinds()) {
    const auto columns = TagTableColumns(kind);
    EXPECT_EQ(columns.size(), ValueNamesOf(kind).size() + 2) << TagKindKey(kind);
    EXPECT_EQ(columns.size(), settings::TagColumnDefaults(kind).size() + 1) << TagKindKey(kind);
  }
}

TEST(ColumnTables, EveryMarkableCaptionHasItsBlankOnTheAlignedSide) {
  for (TagKind kind : AllKinds()) {
    const auto columns = TagTableColumns(kind);
    EXPECT_TRUE(columns[0].caption.empty());
    EXPECT_EQ(columns[1].caption, "ﾌｧｲﾙ名 ");
    for (size_t c = 1; c < columns.size(); ++c) {
      const ColumnSpec& col = columns[c];
      ASSERT_GE(col.caption.size(), 2u);
      // Exactly one blank, on the side away from the alignment edge.
      EXPECT_EQ(std::count(col.caption.begin(), col.caption.end(), ' '), 1) << col.caption;
      if (col.alignment == ColumnAlignment::Right)
        EXPECT_EQ(col.caption.front(), ' ') << col.caption;
      else
        EXPECT_EQ(col.caption.back(), ' ') << col.caption;
      EXPECT_GE(SortMarkPosition(col), 0) << col.caption;
    }
  }
  for (int f = 0; f < kFormatCount; ++f) {
    const auto columns = FileListColumns(static_cast<MediaFormat>(f));
    for (size_t c = 0; c < columns.size(); ++c)
      EXPECT_EQ(SortMarkPosition(columns[c]) >= 0, c >= 1 && c <= 4) << columns[c].caption;
  }
}

TEST(ColumnTables, SortMarkPositionCountsCharactersNotBytes) {
  const auto file = FileListColumns(MediaFormat::MP3);
  EXPECT_EQ(SortMarkPosition(file[1]), 5);  // "ﾌｧｲﾙ名 ": five characters, then the blank
  EXPECT_EQ(SortMarkPosition(file[2]), 0);
  EXPECT_EQ(SortMarkPosition(file[5]), -1);  // "ID3v1" is centred
}

TEST(ColumnTables, FileListCaptionsAndAlignments) {
  const auto mp3 = FileListColumns(MediaFormat::MP3);
  EXPECT_EQ(mp3[2].caption, " ｻｲｽﾞ");
  EXPECT_EQ(mp3[4].caption, " 時間");
  EXPECT_EQ(mp3[4].alignment, ColumnAlignment::Right);
  EXPECT_EQ(mp3[7].caption, "RIFF");
  EXPECT_EQ(mp3[7].alignment, ColumnAlignment::Center);
  EXPECT_EQ(mp3[9].caption, "音声形式");
  const auto avi = FileListColumns(MediaFormat::AVI);
  EXPECT_EQ(avi[5].caption, "音声形式");
  EXPECT_EQ(avi[6].caption, "映像形式");
  EXPECT_EQ(FileListColumns(MediaFormat::OGG).back().caption, "音声形式");
}

TEST(ColumnTables, EditingKindsOfTagColumns) {
  // Byte limits of ID3v1, in order: artist, title, album, track, year, genre, comment.
  std::vector<int> tags;
  for (const ColumnSpec& c : TagTableColumns(TagKind::MP3ID3v1).subspan(2)) tags.push_back(c.tag);
  EXPECT_EQ(tags, (std::vector<int>{30, 30, 30, 2, 4, kColumnGenre, 28}));

  const auto mp4 = TagTableColumns(TagKind::MP4);
  EXPECT_EQ(mp4[5].tag, kColumnNumberPair);
  EXPECT_EQ(mp4[11].tag, kColumnNumberPair);
  EXPECT_EQ(mp4[11].caption, " ﾃﾞｨｽｸ");
  EXPECT_EQ(mp4[14].tag, 1);
  EXPECT_EQ(TagTableColumns(TagKind::WMA)[7].tag, kColumnFreeText);  // WMA genre is free text
  EXPECT_EQ(TagTableColumns(TagKind::MP3RIFF)[7].tag, kColumnMemo);
  EXPECT_EQ(TagTableColumns(TagKind::WAV)[7].tag, kColumnFreeText);
  EXPECT_EQ(TagTableColumns(TagKind::AVI)[3].tag, kColumnMemo);  // AVI title is multi-line

  // Every genre column is a "ｼﾞｬﾝﾙ" column, and the genre kinds sit on IGNR values.
  for (TagKind kind : AllKinds()) {
    const auto columns = TagTableColumns(kind);
    const auto names = ValueNamesOf(kind);
    for (size_t c = 2; c < columns.size(); ++c) {
      if (columns[c].tag == kColumnGenre) {
        EXPECT_EQ(columns[c].caption, "ｼﾞｬﾝﾙ ");
        EXPECT_EQ(names[c - 2].substr(0, 4), "IGNR");
      }
      // A byte limit never exceeds what the widest ID3v1 field can hold.
      EXPECT_LE(columns[c].tag, 30);
    }
  }
}

TEST(ColumnTables, SisterTablesShareTheirLayoutWhereTheyShareValues) {
  const auto ogg = TagTableColumns(TagKind::OGG);
  const auto ape = TagTableColumns(TagKind::APE);
  ASSERT_EQ(ogg.size(), ape.size());
  for (size_t c = 0; c < ogg.size(); ++c) {
    EXPECT_EQ(ogg[c].caption, ape[c].caption);
    EXPECT_EQ(ogg[c].tag, ape[c].tag);
  }
  // Captions fit the default widths' purpose: all are short display texts.
  for (TagKind kind : AllKinds())
    for (const ColumnSpec& c : TagTableColumns(kind)) EXPECT_LE(TextWidth(c.caption), 12) << c.caption;
}

class RecordingObserver : public CatalogueObserver {
 public:
  std::vector<std::string> log;
  void RowsAboutToBeInserted(MediaFormat, int a, int b) override { Add("+?", a, b); }
  void RowsInserted(MediaFormat, int a, int b) override { Add("+", a, b); }
  void RowsAboutToBeRemoved(MediaFormat, int a, int b) override { Add("-?", a, b); }
  void RowsRemoved(MediaFormat, int a, int b) override { Add("-", a, b); }
  void RowsAboutToBeReset(MediaFormat f) override { Add("r?", static_cast<int>(f), 0); }
  void RowsReset(MediaFormat f) override { Add("r", static_cast<int>(f), 0); }
  void RowsChanged(MediaFormat, int a, int b) override { Add("c", a, b); }

 private:
  void Add(const char* what, int a, int b) {
    log.push_back(std::string(what) + std::to_string(a) + ":" + std::to_string(b));
  }
};

std::vector<MediaFileEntry> Named(std::initializer_list<const char*> names) {
  std::vector<MediaFileEntry> batch;
  for (const char* n : names) {
    MediaFileEntry e;
    e.file.cells = {{n, 0}};
    batch.push_back(std::move(e));
  }
  return batch;
}

std::string Names(const Catalogue& c, MediaFormat f) {
  std::string s;
  for (const auto& e : c.Entries(f)) s += e.file.cells[0].text;
  return s;
}

TEST(Catalogue, AppendsInOneBatchAndCompletesTagRows) {
  Catalogue catalogue;
  RecordingObserver observer;
  catalogue.AddObserver(&observer);
  catalogue.Append(MediaFormat::MP3, Named({"a", "b", "c"}));
  catalogue.Append(MediaFormat::WAV, Named({"w"}));
  catalogue.Append(MediaFormat::MP3, {});
  EXPECT_EQ(observer.log, (std::vector<std::string>{"+?0:2", "+0:2", "+?0:0", "+0:0"}));
  EXPECT_EQ(catalogue.RowCount(MediaFormat::MP3), 3);
  EXPECT_EQ(catalogue.TotalCount(), 4);
  EXPECT_EQ(catalogue.Entries(MediaFormat::MP3)[1].tags.size(), 4u);
  EXPECT_EQ(catalogue.Entries(MediaFormat::WAV)[0].tags.size(), 1u);
  EXPECT_EQ(catalogue.Entries(MediaFormat::WAV)[0].format, MediaFormat::WAV);
}

TEST(Catalogue, RemovesContiguousBlocksFromTheBack) {
  Catalogue catalogue;
  catalogue.Append(MediaFormat::OGG, Named({"a", "b", "c", "d", "e", "f"}));
  RecordingObserver observer;
  catalogue.AddObserver(&observer);
  catalogue.Remove(MediaFormat::OGG, {4, 1, 2, 99, -1, 2});
  EXPECT_EQ(Names(catalogue, MediaFormat::OGG), "adf");
  EXPECT_EQ(observer.log, (std::vector<std::string>{"-?4:4", "-4:4", "-?1:2", "-1:2"}));
  catalogue.RemoveObserver(&observer);
  catalogue.ClearAll();
  EXPECT_EQ(catalogue.TotalCount(), 0);
  EXPECT_EQ(observer.log.size(), 4u);
}

TEST(Catalogue, ReorderAcceptsOnlyPermutations) {
  Catalogue catalogue;
  catalogue.Append(MediaFormat::MP4, Named({"a", "b", "c"}));
  const int bad1[] = {0, 0, 1};
  const int bad2[] = {0, 1};
  const int bad3[] = {0, 1, 3};
  EXPECT_FALSE(catalogue.Reorder(MediaFormat::MP4, bad1));
  EXPECT_FALSE(catalogue.Reorder(MediaFormat::MP4, bad2));
  EXPECT_FALSE(catalogue.Reorder(MediaFormat::MP4, bad3));
  EXPECT_EQ(Names(catalogue, MediaFormat::MP4), "abc");
  const int good[] = {2, 0, 1};
  EXPECT_TRUE(catalogue.Reorder(MediaFormat::MP4, good));
  EXPECT_EQ(Names(catalogue, MediaFormat::MP4), "cab");
  RecordingObserver observer;
  catalogue.AddObserver(&observer);
  catalogue.EditRow(MediaFormat::MP4, 1, [](MediaFileEntry& e) { e.file.image = kChangedMark; });
  catalogue.EditRow(MediaFormat::MP4, 7, [](MediaFileEntry& e) { e.file.image = kErrorMark; });
  EXPECT_EQ(observer.log, (std::vector<std::string>{"c1:1"}));
  EXPECT_EQ(catalogue.Entries(MediaFormat::MP4)[1].file.image, kChangedMark);
}

TEST(AppSettings, DefaultsAndRoundTripThroughTheIniFile) {
  IniFile empty;
  AppSettings read;
  read.memoSize = 5;
  read.ReadOptions(empty);
  EXPECT_EQ(read.memoSize, 82);
  EXPECT_EQ(read.fontName, "ＭＳ ゴシック");
  EXPECT_EQ(read.editor, "Notepad.exe");
  EXPECT_EQ(static_cast<unsigned>(read.colorNC), 0x80000008u);
  EXPECT_TRUE(read.timeStamp);
  // Linux defaults: Unicode on, unsynchronisation off, version 2.3.
  EXPECT_EQ(read.unicode, 2);
  EXPECT_EQ(read.unsync, 1);
  EXPECT_EQ(read.id3v2Ver, 2);
  // A settings file that stores the old defaults keeps them.
  AppSettings stored;
  stored.ReadOptions(IniFile::Parse("[Option]\nUnicode=1\nUnsync=2\n"));
  EXPECT_EQ(stored.unicode, 1);
  EXPECT_EQ(stored.unsync, 2);
  EXPECT_EQ(WriteSettings::FromIni(IniFile::Parse("[Option]\nUnicode=1\nUnsync=2\n")).unsync, 2);
  EXPECT_EQ(WriteSettings{}.unicode, read.unicode);
  EXPECT_EQ(WriteSettings{}.unsync, read.unsync);

  AppSettings changed;
  changed.player[7] = "/usr/bin/mpv";
  changed.playerPrm[0] = "--no-video";
  changed.colorSB = 0x0000FF;
  changed.colorSC = static_cast<int>(0x8000000Eu);
  changed.timeStamp = false;
  changed.tools = {{"エコー", "/bin/echo", "$F"}, {"b", "", ""}};
  IniFile ini;
  changed.WriteOptions(ini);
  changed.WriteTools(ini);
  const IniFile back = IniFile::Parse(ini.Serialize());
  EXPECT_EQ(back.ReadString("Option", "Player8"), "/usr/bin/mpv");
  AppSettings again;
  again.ReadOptions(back);
  again.ReadTools(back);
  EXPECT_EQ(again.playerPrm[0], "--no-video");
  EXPECT_EQ(again.colorSB, 0x0000FF);
  EXPECT_EQ(again.colorSC, static_cast<int>(0x8000000Eu));
  EXPECT_FALSE(again.timeStamp);
  ASSERT_EQ(again.tools.size(), 2u);
  EXPECT_EQ(again.tools[0].name, "エコー");
  EXPECT_EQ(again.tools[0].parm, "$F");
}

// The defaults are written once: a fresh AppSettings, one read from an
// empty file, and the save options taken from either, agree.
TEST(AppSettings, FreshReadAndSaveOptionsShareOneSetOfDefaults) {
  const AppSettings fresh;
  AppSettings read;
  read.ReadOptions(IniFile());
  EXPECT_EQ(fresh.editor, read.editor);
  EXPECT_EQ(fresh.extOmit, read.extOmit);
  EXPECT_EQ(fresh.extProtect, read.extProtect);
  EXPECT_EQ((std::array{fresh.colorNC, fresh.colorNB, fresh.colorSC, fresh.colorSB, fresh.memoSize}),
            (std::array{read.colorNC, read.colorNB, read.colorSC, read.colorSB, read.memoSize}));
  EXPECT_EQ(fresh.fontName, read.fontName);
  EXPECT_EQ((std::array{fresh.unicode, fresh.unsync, fresh.id3v2Ver, fresh.clmMode}),
            (std::array{read.unicode, read.unsync, read.id3v2Ver, read.clmMode}));
  EXPECT_EQ(fresh.timeStamp, read.timeStamp);

  const auto fields = [](const WriteSettings& s) {
    return std::array{s.unicode, s.unsync, s.id3v2Version, s.keepTimeStamp ? 1 : 0};
  };
  EXPECT_EQ(fields(WriteSettings{}), fields(WriteSettings::FromOptions(fresh)));
  EXPECT_EQ(fields(WriteSettings{}), fields(WriteSettings::FromIni(IniFile())));
  // Stored values other than the defaults reach the save the same way from
  // the file and from the options.
  const IniFile ini = IniFile::Parse("[Option]\nUnicode=1\nUnsync=2\nID3v2Ver=3\nTimeStamp=0\n");
  AppSettings options;
  options.ReadOptions(ini);
  EXPECT_EQ(fields(WriteSettings::FromIni(ini)), (std::array{1, 2, 3, 0}));
  EXPECT_EQ(fields(WriteSettings::FromOptions(options)), (std::array{1, 2, 3, 0}));
}

TEST(AppSettings, NonNumericOptionsKeepDefaultsAndHugeToolCountsStop) {
  const IniFile ini =
      IniFile::Parse("[Option]\r\nMemoSize=abc\r\nClmMode=1\r\n[Tool]\r\nCount=2000000000\r\n");
  AppSettings s;
  s.ReadOptions(ini);
  s.ReadTools(ini);
  EXPECT_EQ(s.memoSize, 82);
  EXPECT_EQ(s.clmMode, 1);
  EXPECT_LE(s.tools.size(), 1000u);
}

}  // namespace
}  // namespace hozanki
