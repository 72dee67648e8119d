// In-place writes: only the tag bytes change, the audio is never written,
// other programs read the new values, hard links and time stamps are kept,
// and the undo journal puts files back after a crash at any step while
// torn or stale journals touch nothing.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "MediaTestSupport.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/catalogue/formats/PayloadMap.h"
#include "core/common/AtomicFile.h"
#include "core/common/SaveJournal.h"
#include "core/tagedit/SaveRecovery.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

std::string Capture(const std::string& command) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = ::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

struct stat Stat(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st;
}

std::vector<std::string> JournalsIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (SaveJournal::IsJournalName(e.path().filename().string())) names.push_back(e.path().string());
  return names;
}

// The title's cell in the ID3v2 (or ID3v1) row.
size_t TitleCell(bool v1 = false) {
  auto names = ValueNamesOf(v1 ? TagKind::MP3ID3v1 : TagKind::MP3ID3v2);
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == (v1 ? "INAM_v1" : "INAM_v2")) return i + 1;
  ADD_FAILURE() << "no title";
  return 0;
}

class InPlace : public test::MediaTempDir {
 protected:
  void SetUp() override {
    MediaTempDir::SetUp();
    fs::create_directories(dir_ / "config");
    settings_.journalFolder = dir_ / "config";
    settings_.unicode = 2;  // UTF-16, which every reader takes
    settings_.unsync = 1;   // (ffprobe cuts the last byte of unsynchronised UTF-16 frames)
  }

  // A tagged MP3 (ID3v2 with room, ID3v1) as a first save writes it.
  fs::path Tagged(const std::string& name, const std::string& title = "first") {
    Copy("plain.mp3", name);
    SetTitle(name, title, /*id3v1=*/true);
    return dir_ / name;
  }

  bool SetTitle(const std::string& name, const std::string& title, bool id3v1 = false, std::string* why = nullptr) {
    auto e = ReadMediaFile(dir_, name);
    if (!e) return false;
    TagRow& v2 = e->tags[1];
    v2.cells[TitleCell()].text = title;
    v2.state = kChecked;
    v2.image = kChangedMark;
    if (id3v1) {
      e->tags[0].cells[TitleCell(true)].text = "v1";
      e->tags[0].state = kChecked;
      e->tags[0].image = kChangedMark;
    }
    std::string error;
    bool ok = WriteMediaFile(dir_, *e, settings_, &error);
    if (why) *why = error;
    EXPECT_TRUE(ok || why) << error;
    return ok;
  }

  // Where the audio lies in the file.
  ByteRange Audio(const fs::path& p) {
    PayloadMap map;
    std::string why;
    EXPECT_TRUE(MapPayload(FileType::MP3, p, map, &why)) << why;
    return map.ranges.empty() ? ByteRange{} : map.ranges.front();
  }

  WriteSettings settings_;
};

TEST_F(InPlace, ATitleThatFitsChangesOnlyTheTagBytesAndOthersReadIt) {
  const fs::path p = Tagged("a.mp3");
  const ByteRange audio = Audio(p);
  // A new tag leaves room, and the audio starts on a block boundary.
  EXPECT_EQ(audio.offset % 4096, 0u);
  EXPECT_GE(audio.offset, 2048u);
  const std::string before = ReadBytes(p);
  const struct stat st = Stat(p);

  ASSERT_TRUE(SetTitle("a.mp3", "二度目の題名 second title"));
  const std::string after = ReadBytes(p);
  const struct stat now = Stat(p);
  EXPECT_EQ(now.st_ino, st.st_ino) << "not written in place";
  EXPECT_EQ(now.st_mtim.tv_sec, st.st_mtim.tv_sec);
  EXPECT_EQ(now.st_mtim.tv_nsec, st.st_mtim.tv_nsec) << "TimeStamp on keeps the time";
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.compare(audio.offset, audio.length, before, audio.offset, audio.length), 0);
  EXPECT_EQ(Audio(p), audio);
  EXPECT_TRUE(JournalsIn(dir_ / "config").empty());

  if (Capture("/usr/bin/python3 -c 'import mutagen; print(1)' 2>/dev/null") == "1\n") {
    std::string t = Capture("/usr/bin/python3 -c 'import sys; from mutagen.id3 import ID3; print(ID3(sys.argv[1])[\"TIT2\"])' " +
                            p.string());
    EXPECT_EQ(t, "二度目の題名 second title\n");
  }
  if (!Capture("ffprobe -version 2>/dev/null").empty()) {
    std::string t = Capture("ffprobe -v error -show_entries format_tags=title -of default=nw=1:nk=1 " + p.string());
    EXPECT_EQ(t, "二度目の題名 second title\n");
  }
}

TEST_F(InPlace, TheSameValueAgainLeavesTheFileUntouched) {
  const fs::path p = Tagged("a.mp3", "same");
  settings_.keepTimeStamp = false;
  const struct stat st = Stat(p);
  ::usleep(20000);
  ASSERT_TRUE(SetTitle("a.mp3", "same"));
  const struct stat now = Stat(p);
  EXPECT_EQ(now.st_ctim.tv_nsec, st.st_ctim.tv_nsec);
  EXPECT_EQ(now.st_mtim.tv_nsec, st.st_mtim.tv_nsec);
}

TEST_F(InPlace, TimeStampOffGivesTheTimeOfTheWrite) {
  const fs::path p = Tagged("a.mp3");
  struct timespec old[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, p.c_str(), old, 0);
  settings_.keepTimeStamp = false;
  const ino_t inode = Stat(p).st_ino;
  ASSERT_TRUE(SetTitle("a.mp3", "later"));
  EXPECT_EQ(Stat(p).st_ino, inode);
  EXPECT_GT(Stat(p).st_mtim.tv_sec, 1000000000);
}

TEST_F(InPlace, ATagThatDoesNotFitIsWrittenAsANewCopyWithRoomAgain) {
  const fs::path p = Tagged("a.mp3");
  const ino_t inode = Stat(p).st_ino;
  const std::string big(6000, 'x');
  ASSERT_TRUE(SetTitle("a.mp3", big));
  EXPECT_NE(Stat(p).st_ino, inode);
  EXPECT_TRUE(test::HoldsAudioOnce(p));
  const ByteRange audio = Audio(p);
  EXPECT_EQ(audio.offset % 4096, 0u);
  // ... and the next edit of that size fits.
  const ino_t second = Stat(p).st_ino;
  ASSERT_TRUE(SetTitle("a.mp3", std::string(6500, 'y')));
  EXPECT_EQ(Stat(p).st_ino, second);
}

TEST_F(InPlace, AHardLinkedFileIsWrittenInPlaceAndKeepsItsLinks) {
  const fs::path p = Tagged("a.mp3");
  fs::create_hard_link(p, dir_ / "b.mp3");
  ASSERT_TRUE(SetTitle("a.mp3", "linked"));
  EXPECT_EQ(Stat(p).st_nlink, 2u);
  EXPECT_EQ(ReadBytes(p), ReadBytes(dir_ / "b.mp3"));
  auto e = ReadMediaFile(dir_, "b.mp3");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->tags[1].cells[TitleCell()].text, "linked");
}

// A journal batch over several files, ended at each step of its commit in a
// child process; the next run's play-back makes every file old again.
class JournalCrash : public InPlace {
 protected:
  // Plans a title change of `name` as an in-place edit.
  InPlaceEdit Plan(const std::string& name, const std::string& title) {
    auto e = ReadMediaFile(dir_, name);
    EXPECT_TRUE(e);
    e->tags[1].cells[TitleCell()].text = title;
    e->tags[1].state = kChecked;
    e->tags[1].image = kChangedMark;
    e->tags[0].cells[TitleCell(true)].text = "new1";
    e->tags[0].state = kChecked;
    e->tags[0].image = kChangedMark;
    InPlaceEdit edit;
    std::string error;
    EXPECT_EQ(PrepareMediaWrite(dir_, *e, settings_, edit, &error), PreparedWrite::InPlace) << error;
    EXPECT_FALSE(edit.Unchanged());
    return edit;
  }

  // Runs a batch of three files in a child that ends at the `count`th `step`.
  void CrashAt(const std::string& step, int count) {
    std::vector<InPlaceEdit> edits;
    for (int i = 0; i < 3; ++i) edits.push_back(Plan("f" + std::to_string(i) + ".mp3", "新しい " + step));
    pid_t pid = ::fork();
    if (pid == 0) {
      int seen = 0;
      SetJournalStepHookForTest([&](std::string_view s) {
        if (s == step && ++seen == count) ::_exit(0);
      });
      SaveJournal journal(dir_ / "config");
      for (InPlaceEdit& e : edits) journal.Add(std::move(e));
      journal.Commit();
      ::_exit(3);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the step was never reached";
  }
};

TEST_F(JournalCrash, AFileCutOffAtAnyStepIsPutBackByTheNextRun) {
  struct Case {
    const char* step;
    int count;
    int restored;  // files whose bytes the play-back must put back
  };
  const Case cases[] = {{"journal-written", 1, 0}, {"journal-synced", 1, 0}, {"overwriting", 2, 1},
                        {"overwriting", 3, 2},     {"overwritten", 1, 3},    {"synced", 1, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.step) + " #" + std::to_string(c.count));
    std::vector<std::string> old;
    std::vector<struct stat> oldStat;
    for (int i = 0; i < 3; ++i) {
      const fs::path p = dir_ / ("f" + std::to_string(i) + ".mp3");
      fs::remove(p);
      Tagged(p.filename().string(), "old " + std::to_string(i));
      old.push_back(ReadBytes(p));
      oldStat.push_back(Stat(p));
    }
    CrashAt(c.step, c.count);
    ASSERT_EQ(JournalsIn(dir_ / "config").size(), 1u);
    int changed = 0;
    for (int i = 0; i < 3; ++i) changed += ReadBytes(dir_ / ("f" + std::to_string(i) + ".mp3")) != old[i];
    EXPECT_EQ(changed, c.restored) << "the crash did not land where meant";

    std::string report;
    EXPECT_EQ(PlayBackJournals(dir_ / "config", &report), 3) << report;
    EXPECT_TRUE(report.empty()) << report;
    EXPECT_TRUE(JournalsIn(dir_ / "config").empty());
    for (int i = 0; i < 3; ++i) {
      const fs::path p = dir_ / ("f" + std::to_string(i) + ".mp3");
      EXPECT_EQ(ReadBytes(p), old[i]) << p;
      EXPECT_EQ(Stat(p).st_mtim.tv_nsec, oldStat[static_cast<size_t>(i)].st_mtim.tv_nsec);
    }
  }
}

TEST_F(JournalCrash, TornDamagedStaleAndLiveJournalsTouchNothing) {
  for (int i = 0; i < 3; ++i) Tagged("f" + std::to_string(i) + ".mp3", "old");
  std::vector<std::string> old;
  for (int i = 0; i < 3; ++i) old.push_back(ReadBytes(dir_ / ("f" + std::to_string(i) + ".mp3")));
  // A complete journal, taken before any file was overwritten.
  CrashAt("journal-synced", 1);
  ASSERT_EQ(JournalsIn(dir_ / "config").size(), 1u);
  const fs::path journal = JournalsIn(dir_ / "config").front();
  const std::string complete = ReadBytes(journal);
  auto unchanged = [&](const char* what) {
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(ReadBytes(dir_ / ("f" + std::to_string(i) + ".mp3")), old[static_cast<size_t>(i)]) << what;
  };

  // Torn at every length a crash while writing it could leave, or damaged
  // anywhere: removed, nothing played back.
  const std::vector<size_t> cuts = {0, 3, 4, 20, complete.size() / 2, complete.size() - 5, complete.size() - 1};
  for (size_t cut : cuts) {
    WriteBytes(journal, complete.substr(0, cut));
    // Scribble over the files first: a torn journal must not "restore" them.
    std::string marked = old[0];
    marked[20] ^= 1;
    WriteBytes(dir_ / "f0.mp3", marked);
    EXPECT_EQ(PlayBackJournals(dir_ / "config"), 0) << "cut at " << cut;
    EXPECT_EQ(ReadBytes(dir_ / "f0.mp3"), marked) << "cut at " << cut;
    EXPECT_FALSE(fs::exists(journal));
    WriteBytes(dir_ / "f0.mp3", old[0]);
  }
  std::string flipped = complete;
  flipped[complete.size() / 3] ^= 0x40;
  WriteBytes(journal, flipped);
  EXPECT_EQ(PlayBackJournals(dir_ / "config"), 0);
  unchanged("damaged journal");

  // A file replaced since (another inode) is left alone; the others are put back.
  const fs::path f2 = dir_ / "f2.mp3";
  fs::remove(f2);
  WriteBytes(f2, "another file since");
  WriteBytes(journal, complete);
  std::string report;
  EXPECT_EQ(PlayBackJournals(dir_ / "config", &report), 2);
  EXPECT_NE(report.find("f2.mp3"), std::string::npos) << report;
  EXPECT_EQ(ReadBytes(f2), "another file since");

  // A journal held by a live writer is not played back.
  WriteBytes(journal, complete);
  int fd = ::open(journal.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  EXPECT_EQ(PlayBackJournals(dir_ / "config"), 0);
  EXPECT_TRUE(fs::exists(journal));
  ::close(fd);
}

// The start-up recovery leaves a file that is no longer the one the journal
// recorded as it is and reports it; the others of the batch go back.
TEST_F(JournalCrash, AFileReplacedOrResizedSinceIsLeftAloneAndReported) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> change;  // of the file overwritten before the crash
  };
  const Case cases[] = {
      {"replaced by a file of the same size",
       [](const fs::path& p) {
         const std::string bytes = ReadBytes(p);
         WriteBytes(p.string() + ".new", bytes);
         fs::rename(p.string() + ".new", p);  // another inode
       }},
      {"resized", [](const fs::path& p) { WriteBytes(p, ReadBytes(p) + std::string(4096, 'x')); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int i = 0; i < 3; ++i) {
      fs::remove(dir_ / ("f" + std::to_string(i) + ".mp3"));
      Tagged("f" + std::to_string(i) + ".mp3", "old " + std::to_string(i));
    }
    const std::string old1 = ReadBytes(dir_ / "f1.mp3");
    CrashAt("overwriting", 2);  // f0 overwritten, f1 and f2 not yet
    const fs::path f0 = dir_ / "f0.mp3";
    c.change(f0);
    const std::string changed = ReadBytes(f0);

    const RecoveryReport report = RecoverInterruptedSaves(dir_ / "config");
    EXPECT_EQ(report.putBack, 2);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].path.find("f0.mp3"), std::string::npos) << report.failures[0].path;
    EXPECT_FALSE(report.failures[0].reason.empty());
    EXPECT_FALSE(report.SummaryText().empty());
    EXPECT_EQ(ReadBytes(f0), changed);
    EXPECT_EQ(ReadBytes(dir_ / "f1.mp3"), old1);
    EXPECT_TRUE(JournalsIn(dir_ / "config").empty());
  }
}

// Many files at a time, as on a share: the journal is complete and flushed
// before the first overwrite, nothing is flushed before every file is
// overwritten, the journal goes last; and a crash after the overwrites puts
// each file back from its own record.
TEST_F(JournalCrash, ABatchWrittenManyAtATimeKeepsItsStepsInOrderAndEachFileItsRecord) {
  struct Case {
    int files;
    bool crash;  // end the batch at "overwritten" and play it back
  };
  const Case cases[] = {{2, false}, {12, false}, {12, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.files) + (c.crash ? " files, crash" : " files"));
    std::vector<std::string> old;
    std::vector<InPlaceEdit> edits;
    for (int i = 0; i < c.files; ++i) {
      const std::string name = "m" + std::to_string(i) + ".mp3";
      fs::remove(dir_ / name);
      old.push_back(ReadBytes(Tagged(name, "old " + std::to_string(i))));
    }
    for (int i = 0; i < c.files; ++i)
      edits.push_back(Plan("m" + std::to_string(i) + ".mp3", "new " + std::to_string(i * 7)));
    std::vector<DiskStepEvent> steps;
    pid_t pid = c.crash ? ::fork() : 0;
    if (pid == 0) {
      SetDiskStepHookForTest([&](const DiskStepEvent& e) { steps.push_back(e); });
      if (c.crash) SetJournalStepHookForTest([](std::string_view s) {
          if (s == "overwritten") ::_exit(0);
        });
      SaveJournal journal(dir_ / "config");
      journal.SetIoDepth(8);
      for (InPlaceEdit& e : edits) journal.Add(std::move(e));
      journal.Commit();
      SetDiskStepHookForTest({});
      if (c.crash) ::_exit(3);
      for (const SaveJournal::Result& r : journal.Results()) EXPECT_TRUE(r.ok) << r.error;
    } else {
      int status = 0;
      ::waitpid(pid, &status, 0);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the step was never reached";
    }
    for (int i = 0; i < c.files; ++i) {
      auto e = ReadMediaFile(dir_, "m" + std::to_string(i) + ".mp3");
      ASSERT_TRUE(e);
      EXPECT_EQ(e->tags[1].cells[TitleCell()].text, "new " + std::to_string(i * 7));
    }
    if (c.crash) {
      std::string report;
      EXPECT_EQ(PlayBackJournals(dir_ / "config", &report), c.files) << report;
      for (int i = 0; i < c.files; ++i)
        EXPECT_EQ(ReadBytes(dir_ / ("m" + std::to_string(i) + ".mp3")), old[static_cast<size_t>(i)]) << i;
      continue;
    }
    EXPECT_TRUE(JournalsIn(dir_ / "config").empty());
    // Where each kind of step comes: the journal's flushes, then all the
    // overwrites, then the files' flushes, then the journal's removal.
    size_t journalSynced = SIZE_MAX, firstOverwrite = SIZE_MAX, lastOverwrite = 0, firstDataFlush = SIZE_MAX;
    int overwrites = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
      const DiskStepEvent& e = steps[i];
      const bool inConfig = e.path == dir_ / "config" || e.path.parent_path() == dir_ / "config";
      if (e.step == DiskStep::FlushFolder && inConfig && journalSynced == SIZE_MAX) journalSynced = i;
      if (e.step == DiskStep::Overwrite) {
        ++overwrites;
        firstOverwrite = std::min(firstOverwrite, i);
        lastOverwrite = i;
      }
      if ((e.step == DiskStep::FlushFile || e.step == DiskStep::FlushFileSystem) && !inConfig)
        firstDataFlush = std::min(firstDataFlush, i);
    }
    EXPECT_EQ(overwrites, c.files);
    ASSERT_FALSE(steps.empty());
    EXPECT_LT(journalSynced, firstOverwrite) << "overwritten before the journal was flushed";
    EXPECT_LT(lastOverwrite, firstDataFlush) << "a file flushed before every file was overwritten";
    EXPECT_EQ(steps.back().step, DiskStep::FlushFolder) << "the journal's removal is not the last step";
  }
}

}  // namespace
}  // namespace hozanki

#include "FormatTestSupport.h"
#include "core/catalogue/TagFile.h"

namespace hozanki {
namespace {

// Every other format written in place when TagLib's (or our) writer changes
// only tag bytes: the payload stays byte for byte where it was, and ffprobe
// reads the new title.
TEST_F(InPlace, OtherFormatsChangeOnlyTheirTagBytesInPlace) {
  if (test::RunCommand("ffmpeg -version 2>/dev/null").empty()) GTEST_SKIP() << "ffmpeg missing";
  struct Case {
    const char* name;
    const char* make;   // ffmpeg arguments, or a fixture
    bool longerInPlace;  // a longer title still fits (padding, JUNK, tag at the end)
    bool probe;          // ffprobe reads the title
  };
  const Case cases[] = {
      {"a.wav", "-c:a pcm_s16le", false, true},
      {"a.avi", "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -c:v mpeg4", true, true},
      {"a.ogg", "-c:a libvorbis", false, true},
      {"a.wma", "-c:a wmav2", false, true},
      {"a.m4a", "-c:a aac", true, true},
      // Large enough that the scratch copy leaves the media data out.
      {"big.avi", "-f lavfi -i 'nullsrc=s=320x240:r=25:d=3,geq=random(1)*255:128:128' -c:v mpeg4 -b:v 8M", true, true},
      {"big.mp4", "-f lavfi -i 'nullsrc=s=320x240:r=25:d=3,geq=random(1)*255:128:128' -c:v mpeg4 -b:v 8M -c:a aac", true, true},
      {"a.ape", "ape/tagged.ape", true, true},
      {"a.vqf", "vqf/tagged.vqf", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path p = dir_ / c.name;
    if (std::string(c.make).find('/') != std::string::npos && c.make[0] != '-') {
      fs::copy_file(test::Fixture(c.make), p);
    } else {
      std::string command = "ffmpeg -v error -y -f lavfi -i anoisesrc=d=2 " + std::string(c.make) +
                            " -metadata title=old " + test::Quote(p) + " </dev/null";
      ASSERT_EQ(std::system(command.c_str()), 0);
    }
    const std::string streams = test::StreamHash(p);
    ASSERT_FALSE(streams.empty());
    auto save = [&](const std::string& title, bool inPlace) {
      std::string error;
      std::unique_ptr<TagFile> file = OpenTagFile(p, &error);
      ASSERT_TRUE(file) << error;
      file->SetValue("INAM", title);
      InPlaceEdit edit;
      TagFile::InPlacePlan plan = file->PlanInPlace(edit, &error);
      ASSERT_NE(plan, TagFile::InPlacePlan::Failed) << error;
      if (!inPlace) {
        if (plan == TagFile::InPlacePlan::Rewrite) ASSERT_TRUE(file->Save(&error)) << error;
        if (plan == TagFile::InPlacePlan::Rewrite) return;
      }
      ASSERT_EQ(plan, TagFile::InPlacePlan::InPlace) << title;
      ASSERT_FALSE(edit.Unchanged());
      const std::string before = ReadBytes(p);
      PayloadMap a, b;
      ASSERT_TRUE(MapPayload(TypeFromExtension(p), p, a, &error)) << error;
      const ino_t inode = Stat(p).st_ino;
      SaveJournal journal(dir_ / "config");
      journal.Add(std::move(edit));
      journal.Commit();
      ASSERT_TRUE(journal.Results()[0].ok) << journal.Results()[0].error;
      EXPECT_EQ(Stat(p).st_ino, inode);
      // The payload is where it was, byte for byte.
      ASSERT_TRUE(MapPayload(TypeFromExtension(p), p, b, &error)) << error;
      EXPECT_EQ(a.ranges, b.ranges);
      const std::string after = ReadBytes(p);
      for (const ByteRange& r : a.ranges)
        EXPECT_EQ(after.compare(r.offset, r.length, before, r.offset, r.length), 0) << r.offset;
      std::unique_ptr<TagFile> back = OpenTagFile(p, &error);
      ASSERT_TRUE(back) << error;
      EXPECT_EQ(back->GetValue("INAM"), title);
      if (c.probe) EXPECT_EQ(test::ProbeTags(p)["title"], title);
      // (ffmpeg counts an APE file's tag into its last frame: its payload is
      // checked by the ranges above.)
      if (std::string(c.name) != "a.ape") EXPECT_EQ(test::StreamHash(p), streams);
    };
    save("first", false);                   // our layout first
    save("other", true);                    // the same length: in place
    if (c.longerInPlace) save("a longer title than before", true);
    EXPECT_TRUE(JournalsIn(dir_ / "config").empty());
  }
}

}  // namespace
}  // namespace hozanki
