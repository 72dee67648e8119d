// The save engine on temporary copies of the fixtures: values on disk, renames
// that never overwrite, cancel, progress counts and the re-read list.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "TagEditTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/tagedit/CheckStates.h"
#include "core/tagedit/SaveEngine.h"
#include "core/tagedit/SetCellValue.h"

namespace hozanki {
namespace {

using test::Tag;

constexpr TagKind V1 = TagKind::MP3ID3v1;
constexpr TagKind V2 = TagKind::MP3ID3v2;

std::string Bytes(const std::filesystem::path& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

class TagEditSave : public ::testing::Test {
 protected:
  // Saves the catalogue, applies the results and re-reads the saved rows, as the GUI does.
  SaveResult Save(WriteSettings settings = {}, const std::function<void(const SaveProgress&)>& progress = {},
                  SaveEngine** engineOut = nullptr) {
    SaveEngine engine(CollectSavePlan(c_, folder_.Path(), settings));
    if (engineOut) *engineOut = &engine;
    SaveResult result = engine.Run(progress);
    for (const SaveRowResult& row : result.rows) ApplySaveRowResult(c_, row);
    for (ReloadItem& item : ReloadItemsAfterSave(c_, result)) {
      EXPECT_TRUE(RereadMediaFile(folder_.Path(), item.entry));
      const int row = static_cast<int>(item.row);
      c_.EditRow(item.format, row,
                 [&](MediaFileEntry& e) { EXPECT_TRUE(ApplyReloadedItem(e, std::move(item))); });
    }
    return result;
  }
  MediaFileEntry Disk(const std::string& name) {
    std::optional<MediaFileEntry> entry = ReadMediaFile(folder_.Path(), name);
    if (!entry) throw std::runtime_error("cannot read " + name);
    return *entry;
  }
  void Set(TagKind kind, int row, int subItem, const std::string& text) {
    SetCellValue(c_, EditTarget::TagColumn(kind, subItem), row, text, ValueSource::Other, false);
  }
  void Rename(MediaFormat format, int row, const std::string& name) {
    SetCellValue(c_, EditTarget::FileNames(format), row, name, ValueSource::Other, false);
  }

  test::TempFolder folder_;
  Catalogue c_;
};

TEST_F(TagEditSave, ValuesOfEveryFormatAreOnDiskAfterwards) {
  folder_.Copy("mp3/plain.mp3", "a.mp3");
  folder_.Copy("wav/tagged.wav", "b.wav");
  folder_.Copy("ogg/tagged.ogg", "c.ogg");
  folder_.Copy("mp4/tagged.m4a", "d.m4a");
  folder_.Copy("mp4/tagged.m4a", "e.m4a");
  folder_.Copy("ape/tagged.ape", "f.ape");
  folder_.Load(c_, {"a.mp3", "b.wav", "c.ogg", "d.m4a", "e.m4a", "f.ape"});
  Set(V2, 0, 1, "アーティスト");
  Set(V2, 0, 2, "한국어 title");
  Set(V1, 0, 2, "ﾀｲﾄﾙ");
  Set(TagKind::WAV, 0, 2, "波");
  Set(TagKind::OGG, 0, 7, "line1\r\nline2");
  Set(TagKind::MP4, 0, 4, "3/12");
  Set(TagKind::MP4, 1, 4, "/5");
  Set(TagKind::MP4, 1, 10, "2");
  Set(TagKind::APE, 0, 3, "アルバム");
  SaveResult result = Save();
  EXPECT_EQ(result.FailedFiles(), 0);
  EXPECT_EQ(result.count, 6);

  MediaFileEntry mp3 = Disk("a.mp3");
  EXPECT_EQ(mp3.tags[1].state, kChecked);
  EXPECT_EQ(mp3.tags[1].cells[1].text, "アーティスト");
  EXPECT_EQ(mp3.tags[1].cells[2].text, "한국어 title");
  EXPECT_EQ(mp3.tags[0].cells[2].text, "ﾀｲﾄﾙ");
  EXPECT_EQ(mp3.tags[2].state, kUnavailable);
  EXPECT_EQ(Disk("b.wav").tags[0].cells[2].text, "波");
  EXPECT_EQ(Disk("c.ogg").tags[0].cells[7].text, Tag(c_, TagKind::OGG, 0).cells[7].text);
  EXPECT_NE(Disk("c.ogg").tags[0].cells[7].text.find("line2"), std::string::npos);
  EXPECT_EQ(Disk("d.m4a").tags[0].cells[4].text, "3/12");
  EXPECT_EQ(Disk("e.m4a").tags[0].cells[4].text, "0/5");
  EXPECT_EQ(Disk("e.m4a").tags[0].cells[10].text, "2");
  EXPECT_EQ(Disk("f.ape").tags[0].cells[3].text, "アルバム");
  // The re-read cleared every mark.
  for (int f = 0; f < kFormatCount; ++f)
    for (const MediaFileEntry& e : c_.Entries(static_cast<MediaFormat>(f)))
      for (const TagRow& row : e.tags) EXPECT_EQ(row.image, kNoMark) << e.relativePath;
}

TEST_F(TagEditSave, UncheckedRowsLoseTheirValuesOrTags) {
  folder_.Copy("wav/tagged.wav", "a.wav");
  folder_.Copy("mp3/sjis_id3v2.mp3", "b.mp3");
  folder_.Load(c_, {"a.wav", "b.mp3"});
  ASSERT_FALSE(Tag(c_, TagKind::WAV, 0).cells[1].text.empty());
  ToggleCheckState(c_, TagKind::WAV, 0);
  ASSERT_EQ(Tag(c_, V2, 0).state, kChecked);
  ToggleCheckState(c_, V2, 0);
  Save();
  for (size_t k = 1; k <= 10; ++k) EXPECT_EQ(Disk("a.wav").tags[0].cells[k].text, "") << k;
  EXPECT_EQ(Disk("b.mp3").file.cells[5].text, "");  // no ID3v2 version: the tag is gone
  EXPECT_EQ(Tag(c_, V2, 0).state, kUnchecked);
}

TEST_F(TagEditSave, RenameComesFirstAndTagsFollowTheNewName) {
  folder_.Copy("mp3/plain.mp3", "old.mp3");
  folder_.Load(c_, {"old.mp3"});
  Rename(MediaFormat::MP3, 0, "新しい名前.mp3");
  Set(V2, 0, 2, "title");
  Set(V1, 0, 2, "title");
  std::vector<SaveProgress> steps;
  SaveResult result = Save({}, [&](const SaveProgress& p) { steps.push_back(p); });
  // Total: the file row and two table rows; the running count goes once per step.
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].step, SaveProgress::Step::Rename);
  EXPECT_EQ(steps[0].CountText(), "1 / 3");
  EXPECT_EQ(steps[1].CountText(), "2 / 3");
  EXPECT_EQ(steps[1].MessageText(), DisplayPath(folder_.Path()) + "/新しい名前.mp3 保存中...");
  EXPECT_EQ(result.rows.at(0).rename, RenameOutcome::Renamed);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "old.mp3"));
  EXPECT_EQ(Disk("新しい名前.mp3").tags[1].cells[2].text, "title");
  const MediaFileEntry& entry = test::EntryAt(c_, MediaFormat::MP3, 0);
  EXPECT_EQ(entry.relativePath, "新しい名前.mp3");
  EXPECT_EQ(entry.tags[3].cells[0].text, "新しい名前.mp3");
  EXPECT_EQ(entry.file.image, kNoMark);
  EXPECT_EQ(entry.tags[1].image, kNoMark);
}

TEST_F(TagEditSave, RenameOntoAnExistingNameLeavesBothFilesAndSkipsTheTags) {
  folder_.Copy("mp3/plain.mp3", "a.mp3");
  folder_.Copy("mp3/sjis_id3v1.mp3", "b.mp3");
  folder_.Load(c_, {"a.mp3", "b.mp3"});
  const std::string a = Bytes(folder_.Path() / "a.mp3");
  const std::string b = Bytes(folder_.Path() / "b.mp3");
  Rename(MediaFormat::MP3, 0, "b.mp3");
  Set(V2, 0, 1, "not written");
  SaveResult result = Save();
  EXPECT_EQ(Bytes(folder_.Path() / "a.mp3"), a);
  EXPECT_EQ(Bytes(folder_.Path() / "b.mp3"), b);
  ASSERT_EQ(result.rows.size(), 1u);
  EXPECT_EQ(result.rows[0].rename, RenameOutcome::Failed);
  EXPECT_EQ(result.rows[0].write, WriteOutcome::Skipped);
  EXPECT_EQ(result.FailedFiles(), 1);
  EXPECT_FALSE(SaveFailureText(result).empty());
  // The row keeps the error mark, the typed name and the staged value.
  const MediaFileEntry& entry = test::EntryAt(c_, MediaFormat::MP3, 0);
  EXPECT_EQ(entry.file.image, kErrorMark);
  EXPECT_EQ(entry.file.cells[0].text, "b.mp3");
  EXPECT_EQ(entry.tags[1].cells[1].text, "not written");
  EXPECT_EQ(entry.tags[1].image, kChangedMark);
  EXPECT_EQ(entry.relativePath, "a.mp3");
}

TEST_F(TagEditSave, BadNamesAndMissingFilesFailWhileASwapWorksOut) {
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}) folder_.Copy("mp3/plain.mp3", name);
  folder_.Load(c_, {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"});
  std::filesystem::create_directories(folder_.Path() / "sub");
  Rename(MediaFormat::MP3, 0, "sub/x.mp3");
  Rename(MediaFormat::MP3, 1, std::string("nul\0.mp3", 8));
  Rename(MediaFormat::MP3, 2, "..");
  Rename(MediaFormat::MP3, 3, "e.mp3");  // a swap: d -> e, e -> d
  Rename(MediaFormat::MP3, 4, "d.mp3");
  Set(V2, 3, 1, "was d");
  SaveResult result = Save();
  EXPECT_EQ(result.renameFailures, 3);
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"})
    EXPECT_TRUE(std::filesystem::exists(folder_.Path() / name)) << name;
  ASSERT_EQ(result.rows.size(), 5u);
  EXPECT_EQ(result.rows[3].rename, RenameOutcome::Renamed);
  EXPECT_EQ(result.rows[4].rename, RenameOutcome::Renamed);
  // The tags of the swapped file follow it to its new name.
  EXPECT_EQ(Disk("e.mp3").tags[1].cells[1].text, "was d");
  EXPECT_NE(Disk("d.mp3").tags[1].cells[1].text, "was d");
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "sub" / "x.mp3"));
  EXPECT_TRUE(IsBadFileName(""));
  EXPECT_FALSE(IsBadFileName("曲 (1).mp3"));

  // A file gone from the disk fails its rename too; an unchanged name is no rename.
  test::TempFolder other;
  other.Copy("mp3/plain.mp3", "gone.mp3");
  other.Copy("mp3/plain.mp3", "same.mp3");
  Catalogue c;
  other.Load(c, {"gone.mp3", "same.mp3"});
  SetCellValue(c, EditTarget::FileNames(MediaFormat::MP3), 0, "here.mp3", ValueSource::Other, false);
  SetCellValue(c, EditTarget::FileNames(MediaFormat::MP3), 1, "same.mp3", ValueSource::Other, false);
  std::filesystem::remove(other.Path() / "gone.mp3");
  SaveResult r = SaveEngine(CollectSavePlan(c, other.Path(), {})).Run();
  EXPECT_EQ(r.rows.at(0).rename, RenameOutcome::Failed);
  EXPECT_FALSE(std::filesystem::exists(other.Path() / "here.mp3"));
  EXPECT_EQ(r.rows.at(1).rename, RenameOutcome::Unchanged);
  EXPECT_FALSE(r.rows.at(1).Failed());
}

TEST_F(TagEditSave, CancelStopsAfterTheCurrentFileAndKeepsTheRestStaged) {
  std::vector<std::string> names;
  for (int i = 0; i < 4; ++i) {
    names.push_back("f" + std::to_string(i) + ".mp3");
    folder_.Copy("mp3/plain.mp3", names.back());
  }
  folder_.Load(c_, names);
  for (int i = 0; i < 4; ++i) Set(V2, i, 2, "t" + std::to_string(i));
  const std::string untouched = Bytes(folder_.Path() / "f2.mp3");
  SaveEngine* engine = nullptr;
  SaveResult result = Save(
      {},
      [&](const SaveProgress& p) {
        if (p.count == 2) engine->Cancel();
      },
      &engine);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.rows.size(), 2u);
  EXPECT_EQ(Disk("f1.mp3").tags[1].cells[2].text, "t1");  // the current file was completed
  EXPECT_EQ(Bytes(folder_.Path() / "f2.mp3"), untouched);
  EXPECT_EQ(Tag(c_, V2, 0).image, kNoMark);
  EXPECT_EQ(Tag(c_, V2, 2).image, kChangedMark);
  EXPECT_EQ(Tag(c_, V2, 2).cells[2].text, "t2");
  EXPECT_TRUE(HasStagedChanges(c_));
  Save();
  EXPECT_FALSE(HasStagedChanges(c_));
}

TEST_F(TagEditSave, ACancelAfterTheRenamesKeepsUnwrittenTagsStagedUnderTheNewNames) {
  for (const char* name : {"f0.mp3", "f1.mp3", "f2.mp3"}) folder_.Copy("mp3/plain.mp3", name);
  folder_.Load(c_, {"f0.mp3", "f1.mp3", "f2.mp3"});
  Rename(MediaFormat::MP3, 0, "g0.mp3");
  Rename(MediaFormat::MP3, 1, "g1.mp3");
  for (int i = 0; i < 3; ++i) Set(V2, i, 2, "t" + std::to_string(i));
  SaveEngine* engine = nullptr;
  SaveResult result = Save(
      {},
      [&](const SaveProgress& p) {
        if (p.step == SaveProgress::Step::Write) engine->Cancel();
      },
      &engine);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(Disk("g0.mp3").tags[1].cells[2].text, "t0");  // the file being written was completed
  EXPECT_NE(Disk("g1.mp3").tags[1].cells[2].text, "t1");
  // The renamed file knows its new name and keeps its tags staged.
  EXPECT_EQ(test::EntryAt(c_, MediaFormat::MP3, 1).relativePath, "g1.mp3");
  EXPECT_EQ(test::EntryAt(c_, MediaFormat::MP3, 1).file.image, kNoMark);
  EXPECT_EQ(Tag(c_, V2, 1).image, kChangedMark);
  EXPECT_EQ(Tag(c_, V2, 1).cells[2].text, "t1");
  EXPECT_EQ(Tag(c_, V2, 2).image, kChangedMark);
}

TEST_F(TagEditSave, FilesThatCannotBeWrittenAreCountedAndKeepTheirChanges) {
  folder_.Copy("mp3/plain.mp3", "a.mp3");
  folder_.Copy("mp3/plain.mp3", "b.mp3");
  folder_.Load(c_, {"a.mp3", "b.mp3"});
  EXPECT_FALSE(HasStagedChanges(c_));
  Set(V2, 0, 1, "x");
  Set(V2, 1, 1, "y");
  EXPECT_TRUE(HasStagedChanges(c_));
  ASSERT_TRUE(WriteFileAtomic(folder_.Path() / "a.mp3", "no longer an mp3 file"));
  SaveResult result = Save();
  // The failed file's edits are still staged, so leaving still asks.
  EXPECT_TRUE(HasStagedChanges(c_));
  EXPECT_EQ(result.writeFailures, 1);
  EXPECT_EQ(result.rows.at(0).write, WriteOutcome::Failed);
  EXPECT_FALSE(result.rows.at(0).error.empty());
  EXPECT_EQ(Tag(c_, V2, 0).image, kChangedMark);
  EXPECT_EQ(Disk("b.mp3").tags[1].cells[1].text, "y");
}

TEST_F(TagEditSave, TimeStampIsKeptOrSetToNow) {
  folder_.Copy("wav/tagged.wav", "keep.wav");
  folder_.Copy("wav/tagged.wav", "now.wav");
  const time_t old = 1000000000;  // 2001
  for (const char* name : {"keep.wav", "now.wav"}) {
    struct utimbuf times {
      old, old
    };
    ASSERT_EQ(::utime((folder_.Path() / name).c_str(), &times), 0);
  }
  folder_.Load(c_, {"keep.wav", "now.wav"});
  WriteSettings settings;
  settings.keepTimeStamp = true;
  Set(TagKind::WAV, 0, 1, "a");
  Save(settings);
  settings.keepTimeStamp = false;
  Set(TagKind::WAV, 1, 1, "b");
  const time_t before = std::time(nullptr);
  Save(settings);
  struct stat st {};
  ASSERT_EQ(::stat((folder_.Path() / "keep.wav").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, old);
  ASSERT_EQ(::stat((folder_.Path() / "now.wav").c_str(), &st), 0);
  EXPECT_GE(st.st_mtime, before);
  EXPECT_EQ(Disk("now.wav").tags[0].cells[1].text, "b");
}

TEST(TagEditSavePlan, TotalCountsChangedRowsOfEveryListAndTable) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 3);
  test::FillCatalogue(c, MediaFormat::WMA, 2);
  test::SetMarks(c, V1, 0, kChecked, kChangedMark);
  test::SetMarks(c, V2, 0, kChecked, kChangedMark);
  c.EditRow(MediaFormat::MP3, 2, [](MediaFileEntry& e) { e.file.image = kChangedMark; });
  c.EditRow(MediaFormat::MP3, 1, [](MediaFileEntry& e) { e.file.image = kErrorMark; });
  test::SetMarks(c, TagKind::WMA, 1, kChecked, kChangedMark);
  SavePlan plan = CollectSavePlan(c, "/nowhere", {});
  EXPECT_EQ(plan.total, 4);
  ASSERT_EQ(plan.items.size(), 3u);
  EXPECT_TRUE(plan.items[0].write);
  EXPECT_FALSE(plan.items[0].rename);
  EXPECT_TRUE(plan.items[1].rename);
  EXPECT_FALSE(plan.items[1].write);
  EXPECT_EQ(plan.items[2].format, MediaFormat::WMA);
  EXPECT_EQ(plan.items[2].row, 1);
}

}  // namespace
}  // namespace hozanki
