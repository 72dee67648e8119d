// The order of the steps that make a save survive a crash, recorded through
// the disk step hook over one save that does everything at once: a swap of
// names (through a temporary name and the rename log), a tag written in
// place (under the journal) and one written as a new copy. Whatever the
// timing, data is flushed before the name that makes it visible, and the
// journal before the first byte it protects is overwritten.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "MediaTestSupport.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/common/AtomicFile.h"
#include "core/common/FileIdentity.h"
#include "core/common/SaveJournal.h"
#include "core/rename/RenameBatch.h"
#include "core/tagedit/SaveEngine.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

struct Recorded {
  DiskStepEvent event;
  struct timespec targetTime {};  // a rename's target, just after the rename
};

class DurableSteps : public test::MediaTempDir {
 protected:
  void SetUp() override {
    MediaTempDir::SetUp();
    fs::create_directories(dir_ / "config");
    settings_.unicode = 2;
    settings_.keepTimeStamp = true;
  }
  void TearDown() override {
    SetDiskStepHookForTest({});
    MediaTempDir::TearDown();
  }
  void Title(MediaFileEntry& e, const std::string& title) {
    std::span<const std::string_view> names = ValueNamesOf(TagKind::MP3ID3v2);
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == "INAM_v2") e.tags[1].cells[i + 1].text = title;
    e.tags[1].state = kChecked;
    e.tags[1].image = kChangedMark;
  }
  WriteSettings settings_;
};

std::string Name(const fs::path& p) {
  return p.filename().string();
}

TEST_F(DurableSteps, DataIsFlushedBeforeItsRenameAndTheJournalBeforeTheFirstOverwrite) {
  for (const char* name : {"a.mp3", "b.mp3", "inplace.mp3", "copy.mp3"}) Copy("plain.mp3", name);
  {
    // A first tag with room to grow, so that the next title fits in place.
    auto e = ReadMediaFile(dir_, "inplace.mp3");
    ASSERT_TRUE(e);
    Title(*e, "first");
    std::string error;
    ASSERT_TRUE(WriteMediaFile(dir_, *e, settings_, &error)) << error;
  }
  // An old time stamp that the new copy must carry from its first moment.
  struct timespec old[2] = {{0, UTIME_OMIT}, {1'000'000'000, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir_ / "copy.mp3").c_str(), old, 0), 0);

  Catalogue catalogue;
  std::vector<MediaFileEntry> entries;
  for (const char* name : {"a.mp3", "b.mp3", "inplace.mp3", "copy.mp3"}) entries.push_back(*ReadMediaFile(dir_, name));
  entries[0].file.cells[0].text = "b.mp3";
  entries[0].file.image = kChangedMark;
  entries[1].file.cells[0].text = "a.mp3";
  entries[1].file.image = kChangedMark;
  Title(entries[2], "新しい題名");
  Title(entries[3], "新しい題名");
  catalogue.Append(MediaFormat::MP3, std::move(entries));

  std::vector<Recorded> steps;
  SetDiskStepHookForTest([&](const DiskStepEvent& e) {
    Recorded r{e, {}};
    struct stat st {};
    if (e.step == DiskStep::Rename && ::stat(e.to.c_str(), &st) == 0) r.targetTime = st.st_mtim;
    steps.push_back(std::move(r));
  });
  SaveResult result = SaveEngine(CollectSavePlan(catalogue, dir_, settings_, dir_ / "config")).Run();
  SetDiskStepHookForTest({});
  ASSERT_EQ(result.FailedFiles(), 0);

  auto before = [&](size_t end, auto&& match) {
    for (size_t i = 0; i < end; ++i)
      if (match(steps[i].event)) return true;
    return false;
  };
  int copies = 0, overwrites = 0, asides = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    const DiskStepEvent& e = steps[i].event;
    SCOPED_TRACE("step " + std::to_string(i) + " " + e.path.string() + " -> " + e.to.string());
    if (e.step == DiskStep::Rename && IsTemporaryFileName(Name(e.path))) {
      // A written copy takes its name only once its data is on disk ...
      ++copies;
      EXPECT_TRUE(before(i, [&](const DiskStepEvent& s) { return s.step == DiskStep::FlushFile && s.path == e.path; }))
          << "renamed without a flush";
      // ... and already with the time it is meant to keep.
      if (Name(e.to) == "copy.mp3") {
        EXPECT_EQ(steps[i].targetTime.tv_sec, old[1].tv_sec);
        EXPECT_EQ(steps[i].targetTime.tv_nsec, old[1].tv_nsec);
      }
    }
    if (e.step == DiskStep::Rename && IsRenameTemporaryName(Name(e.to))) {
      // A file steps aside only once the rename log names it.
      ++asides;
      EXPECT_TRUE(before(i, [&](const DiskStepEvent& s) {
        return s.step == DiskStep::Rename && Name(s.to) == kRenameLogFileName;
      })) << "stepped aside before the rename log was written";
    }
    if (e.step == DiskStep::Overwrite) {
      ++overwrites;
      EXPECT_TRUE(before(i, [&](const DiskStepEvent& s) {
        return s.step == DiskStep::FlushFile && SaveJournal::IsJournalName(Name(s.path));
      })) << "overwritten before the journal was flushed";
      bool flushed = false;
      for (size_t k = i + 1; k < steps.size() && !flushed; ++k)
        flushed = (steps[k].event.step == DiskStep::FlushFile && steps[k].event.path == e.path) ||
                  steps[k].event.step == DiskStep::FlushFileSystem;
      EXPECT_TRUE(flushed) << "overwritten and never flushed";
    }
  }
  // Every kind of step was there to be checked (two more temporary copies:
  // the rename log's own writes).
  EXPECT_GE(copies, 1);
  EXPECT_EQ(overwrites, 1);
  EXPECT_GE(asides, 1);
  struct stat st {};
  ASSERT_EQ(::stat((dir_ / "copy.mp3").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_nsec, old[1].tv_nsec);
}

// A file read by another run (a listing applied later) is checked again
// just before the write: changed since, even in place with its size and
// time kept, it is neither written nor renamed, so the old values of that
// run never come back.
TEST_F(DurableSteps, AFileChangedSinceItWasReadIsLeftAlone) {
  settings_.journalFolder = dir_ / "config";
  for (bool rename : {false, true}) {
    SCOPED_TRACE(rename ? "renamed and written" : "written");
    fs::remove(dir_ / "f.mp3");
    fs::remove(dir_ / "g.mp3");
    Copy("plain.mp3", "f.mp3");
    auto first = ReadMediaFile(dir_, "f.mp3");
    Title(*first, "first");
    std::string error;
    ASSERT_TRUE(WriteMediaFile(dir_, *first, settings_, &error)) << error;

    const std::optional<FileIdentity> listed = IdentityOfFile(dir_ / "f.mp3");
    ASSERT_TRUE(listed);
    MediaFileEntry entry = *ReadMediaFile(dir_, "f.mp3");
    // Another program's change, in place.
    auto other = ReadMediaFile(dir_, "f.mp3");
    Title(*other, "other");
    ASSERT_TRUE(WriteMediaFile(dir_, *other, settings_, &error)) << error;
    ASSERT_EQ(IdentityOfFile(dir_ / "f.mp3")->size, listed->size) << "not in place";
    const std::string changed = test::ReadBytes(dir_ / "f.mp3");

    entry.tags[1].image = kChangedMark;  // the run's own edit: the title as it read it
    if (rename) {
      entry.file.cells[0].text = "g.mp3";
      entry.file.image = kChangedMark;
    }
    for (bool stale : {true, false}) {
      Catalogue catalogue;
      catalogue.Append(MediaFormat::MP3, {entry});
      SavePlan plan = CollectSavePlan(catalogue, dir_, settings_, dir_ / "config");
      plan.items[0].expected = stale ? listed : IdentityOfFile(dir_ / "f.mp3");
      SaveResult result = SaveEngine(std::move(plan)).Run();
      if (stale) {
        ASSERT_EQ(result.FailedFiles(), 1);
        EXPECT_NE(result.rows[0].error.find("変更"), std::string::npos) << result.rows[0].error;
        EXPECT_EQ(test::ReadBytes(dir_ / "f.mp3"), changed);
      } else {
        EXPECT_EQ(result.FailedFiles(), 0) << result.rows[0].error;
        EXPECT_NE(test::ReadBytes(dir_ / (rename ? "g.mp3" : "f.mp3")), changed);
      }
    }
  }
}

// Many files at a time, as on a share: every row gets the outcome it gets
// one file at a time, in the same order, with the same progress: written in
// place, written as a new copy, changed by another program since it was
// read, gone.
TEST_F(DurableSteps, ASaveOfManyFilesAtATimeGivesEachRowItsOwnOutcomeInOrder) {
  settings_.journalFolder = dir_ / "config";
  enum Kind { kInPlace, kNewCopy, kChangedSince, kGone };
  constexpr int kFiles = 16;
  std::vector<std::vector<int>> progressOf;
  for (unsigned depth : {1u, 8u}) {
    SCOPED_TRACE("depth " + std::to_string(depth));
    std::vector<MediaFileEntry> entries;
    std::vector<std::optional<FileIdentity>> listed;
    std::vector<std::string> changed(kFiles);
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = "s" + std::to_string(i) + ".mp3";
      fs::remove(dir_ / name);
      Copy("plain.mp3", name);
      auto first = ReadMediaFile(dir_, name);
      Title(*first, "first");
      std::string error;
      ASSERT_TRUE(WriteMediaFile(dir_, *first, settings_, &error)) << error;
      listed.push_back(IdentityOfFile(dir_ / name));
      entries.push_back(*ReadMediaFile(dir_, name));
      Title(entries.back(), i % 4 == kNewCopy ? std::string(6000, 'L') : "題名 " + std::to_string(i));
    }
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = "s" + std::to_string(i) + ".mp3";
      if (i % 4 == kChangedSince) {
        auto other = ReadMediaFile(dir_, name);
        Title(*other, "other");
        std::string error;
        ASSERT_TRUE(WriteMediaFile(dir_, *other, settings_, &error)) << error;
        changed[static_cast<size_t>(i)] = test::ReadBytes(dir_ / name);
      }
      if (i % 4 == kGone) fs::remove(dir_ / name);
    }
    Catalogue catalogue;
    catalogue.Append(MediaFormat::MP3, std::move(entries));
    SavePlan plan = CollectSavePlan(catalogue, dir_, settings_, dir_ / "config");
    plan.ioDepth = depth;
    ASSERT_EQ(plan.items.size(), size_t{kFiles});
    for (size_t k = 0; k < plan.items.size(); ++k) plan.items[k].expected = listed[k];
    std::vector<int> progress;
    SaveResult result = SaveEngine(std::move(plan)).Run([&](const SaveProgress& p) {
      progress.push_back(p.row * 100 + p.count);
    });
    progressOf.push_back(progress);
    ASSERT_EQ(result.rows.size(), size_t{kFiles});
    for (int i = 0; i < kFiles; ++i) {
      SCOPED_TRACE(i);
      const SaveRowResult& row = result.rows[static_cast<size_t>(i)];
      const std::string name = "s" + std::to_string(i) + ".mp3";
      EXPECT_EQ(row.row, i);
      EXPECT_EQ(row.Failed(), i % 4 >= kChangedSince) << row.error;
      if (i % 4 == kChangedSince) EXPECT_EQ(test::ReadBytes(dir_ / name), changed[static_cast<size_t>(i)]);
      if (i % 4 == kGone) EXPECT_FALSE(fs::exists(dir_ / name));
      if (i % 4 >= kChangedSince) continue;
      auto now = ReadMediaFile(dir_, name);
      ASSERT_TRUE(now);
      const std::string want = i % 4 == kNewCopy ? std::string(6000, 'L') : "題名 " + std::to_string(i);
      std::span<const std::string_view> names = ValueNamesOf(TagKind::MP3ID3v2);
      for (size_t n = 0; n < names.size(); ++n)
        if (names[n] == "INAM_v2") EXPECT_EQ(now->tags[1].cells[n + 1].text, want);
      EXPECT_EQ(IdentityOfFile(dir_ / name)->size == listed[static_cast<size_t>(i)]->size, i % 4 == kInPlace);
    }
    EXPECT_EQ(result.writeFailures, kFiles / 2);
    for (const auto& e : fs::directory_iterator(dir_ / "config"))
      EXPECT_FALSE(SaveJournal::IsJournalName(e.path().filename().string())) << "a journal was left";
  }
  EXPECT_EQ(progressOf[0], progressOf[1]);
  EXPECT_EQ(progressOf[0].size(), size_t{kFiles / 2});
}

// New names that a folder listing or a crash recovery would take for our
// leftovers are refused as "/" and ".." are.
TEST(GuardedNames, OurTemporaryNamesAreNotFileNames) {
  const std::pair<const char*, bool> cases[] = {
      {".hozanki-AAAAAAAA.tmp", true}, {".hozanki-a1B2c3D4.ren", true}, {"..", true}, {"a/b", true},
      {".hozanki-AAAAAAA.tmp", false}, {"hozanki-AAAAAAAA.tmp", false}, {".hozanki-notes.txt", false},
      {"song.mp3", false}};
  for (const auto& [name, bad] : cases) EXPECT_EQ(IsBadFileName(name), bad) << name;
}

}  // namespace
}  // namespace hozanki
