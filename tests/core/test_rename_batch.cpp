// Collisions found before renaming, and renames that work out in any order:
// swaps, cycles, shifted series, case-only renames, and the recovery after a
// kill in the middle of a cycle.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/rename/NameConflicts.h"
#include "core/rename/RenameBatch.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

// A folder listing made up for the index.
FolderLister FakeLister(std::map<std::string, std::vector<std::string>> folders) {
  return [folders](const fs::path& folder) {
    auto it = folders.find(folder.string());
    return it == folders.end() ? std::vector<std::string>{} : it->second;
  };
}

FolderCaseProbe FakeMounts() {
  return FolderCaseProbe(ParseAllMounts(
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
      "/dev/sdc1 /media/player exfat rw 0 0\n"
      "/dev/sdc2 /media/player/linux ext4 rw 0 0\n"
      "/dev/sdd1 /mnt/win fuseblk rw 0 0\n"
      "/dev/sde1 /mnt/again vfat rw 0 0\n"
      "/dev/sde2 /mnt/again ext4 rw 0 0\n"));
}

NameRow Staged(const std::string& folder, const std::string& from, const std::string& to) {
  return NameRow{folder, from, to, true};
}
NameRow Kept(const std::string& folder, const std::string& name) { return NameRow{folder, name, "", false}; }

TEST(NameConflicts, FoldersTellHowNamesCompare) {
  const FolderCaseProbe probe = FakeMounts();
  const struct {
    const char* folder;
    NameCase expected;
  } cases[] = {
      {"/home/user/music", NameCase::Exact},
      {"/media/usb stick/music", NameCase::Insensitive},  // "\040" is a space
      {"/media/usb", NameCase::Exact},
      {"/media/player", NameCase::Insensitive},
      {"/media/player/linux/a", NameCase::Exact},  // the longest mount point counts
      {"/mnt/win/x", NameCase::Insensitive},
      {"/mnt/again/x", NameCase::Exact},  // the later mount hides the earlier one
  };
  for (const auto& c : cases) EXPECT_EQ(probe.CaseOf(c.folder), c.expected) << c.folder;
  EXPECT_TRUE(IsCaseInsensitiveFileSystem("ntfs3"));
  EXPECT_FALSE(IsCaseInsensitiveFileSystem("btrfs"));
  EXPECT_EQ(NameKey("Ärger Über.MP3", NameCase::Insensitive), NameKey("ärger über.mp3", NameCase::Insensitive));
  EXPECT_NE(NameKey("Song.mp3", NameCase::Exact), NameKey("song.mp3", NameCase::Exact));
  // Bytes that are not UTF-8 stay as they are (a code page 932 name).
  EXPECT_EQ(NameKey("\x83\x65st.mp3", NameCase::Insensitive), "\x83\x65st.mp3");
}

TEST(NameConflicts, CollisionsAmongNewNamesUntouchedFilesAndOtherFolders) {
  const std::string music = "/home/user/music", other = "/home/user/other", usb = "/media/usb stick";
  NameConflictIndex index(FakeMounts(), FakeLister({
                                            {music, {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3", "f.mp3", "cover.jpg"}},
                                            {other, {"a.mp3"}},
                                            {usb, {"song.mp3", "x.mp3", "Readme.TXT"}},
                                        }));
  index.Reset({
      Staged(music, "a.mp3", "new.mp3"),      // 0: collides with 1
      Staged(music, "b.mp3", "new.mp3"),      // 1: collides with 0
      Staged(music, "c.mp3", "cover.jpg"),    // 2: a file that is not listed
      Staged(music, "d.mp3", "e.mp3"),        // 3: e.mp3 is listed and stays
      Kept(music, "e.mp3"),                   // 4
      Staged(other, "a.mp3", "new.mp3"),      // 5: another folder
      Staged(usb, "song.mp3", "Song.mp3"),    // 6: case only, its own name
      Staged(usb, "x.mp3", "README.txt"),     // 7: case-insensitive collision
      Staged(music, "f.mp3", "a.mp3"),        // 8: a.mp3 is being renamed away
  });
  const struct {
    size_t id;
    bool conflict;
    const char* other;
  } expected[] = {
      {0, true, "new.mp3"}, {1, true, "new.mp3"}, {2, true, "cover.jpg"}, {3, true, "e.mp3"}, {4, false, ""},
      {5, false, ""},       {6, false, ""},       {7, true, "Readme.TXT"}, {8, false, ""},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(index.HasConflict(e.id), e.conflict) << e.id;
    EXPECT_EQ(index.OtherName(e.id), e.other) << e.id;
  }
  EXPECT_EQ(index.ConflictCount(), 5u);

  // Fixing one of the pair clears both; the answer names the rows to redraw.
  std::vector<size_t> touched = index.Update(1, Staged(music, "b.mp3", "newer.mp3"));
  EXPECT_EQ(std::set<size_t>(touched.begin(), touched.end()), (std::set<size_t>{0, 1}));
  EXPECT_FALSE(index.HasConflict(0));
  EXPECT_FALSE(index.HasConflict(1));
  // Staging e.mp3 away frees its name for row 3 ... once the index learns it.
  index.Update(4, Staged(music, "e.mp3", "d.mp3"));
  EXPECT_FALSE(index.HasConflict(4));  // d.mp3 is renamed away: a swap
  index.Update(3, Staged(music, "d.mp3", "e.mp3"));
  EXPECT_FALSE(index.HasConflict(3));
  // Undoing a name brings the collision back.
  index.Update(1, Staged(music, "b.mp3", "new.mp3"));
  EXPECT_TRUE(index.HasConflict(0));
  EXPECT_EQ(index.ConflictCount(), 4u);  // 0, 1, 2, 7
  // A changed present name (after a save) starts over and agrees.
  index.Update(2, Staged(music, "c2.mp3", "cover.jpg"));
  EXPECT_TRUE(index.HasConflict(2));
  EXPECT_EQ(index.ConflictCount(), 4u);
}

class RenameBatchTest : public test::TempDirTest {
 protected:
  void Make(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  // Every file of the folder and its content.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir_)) {
      std::string bytes;
      ReadWholeFile(e.path(), bytes);
      files[e.path().filename().string()] = bytes;
    }
    return files;
  }
  std::vector<RenameMove> Moves(const std::vector<std::pair<std::string, std::string>>& pairs) const {
    std::vector<RenameMove> moves;
    for (const auto& [from, to] : pairs) moves.push_back({dir_ / from, dir_ / to});
    return moves;
  }
  RenameBatchOptions Options(bool insensitive = false) const {
    RenameBatchOptions o;
    o.logPath = log_;
    std::string type = insensitive ? "vfat" : "ext4";
    o.probe = FolderCaseProbe({Drive{"/", "", "ext4"}, Drive{dir_, "/dev/fake", type}});
    return o;
  }
  fs::path log_ = fs::temp_directory_path() / ("hozanki-rename-log-" + std::to_string(::getpid()));
};

TEST_F(RenameBatchTest, SwapsCyclesAndChainsEndWithEveryFileRenamed) {
  Make("a", "A");
  Make("b", "B");
  Make("x", "X");
  Make("y", "Y");
  Make("z", "Z");
  Make("p", "P");
  Make("q", "Q");
  // a <-> b; x -> y -> z -> x; p -> q while q -> r (a chain listed backwards).
  std::vector<MoveResult> r = RunRenameBatch(
      Moves({{"a", "b"}, {"b", "a"}, {"x", "y"}, {"y", "z"}, {"z", "x"}, {"p", "q"}, {"q", "r"}}), Options());
  for (const MoveResult& m : r) EXPECT_EQ(m.outcome, MoveOutcome::Renamed) << m.error;
  EXPECT_EQ(Files(), (std::map<std::string, std::string>{
                         {"a", "B"}, {"b", "A"}, {"y", "X"}, {"z", "Y"}, {"x", "Z"}, {"q", "P"}, {"r", "Q"}}));
  EXPECT_FALSE(fs::exists(log_));
}

TEST_F(RenameBatchTest, ShiftingAHundredNumberedNamesByOne) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::map<std::string, std::string> expected;
  auto name = [](int i) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d.mp3", i);
    return std::string(text);
  };
  for (int i = 1; i <= 100; ++i) {
    Make(name(i), "content " + std::to_string(i));
    pairs.push_back({name(i), name(i + 1)});  // in list order: 001 -> 002 first
    expected[name(i + 1)] = "content " + std::to_string(i);
  }
  std::vector<MoveResult> r = RunRenameBatch(Moves(pairs), Options());
  for (const MoveResult& m : r) ASSERT_EQ(m.outcome, MoveOutcome::Renamed) << m.error;
  EXPECT_EQ(Files(), expected);
  // And back round in a ring: 101 -> 002, every other one down by one.
  pairs.clear();
  expected.clear();
  for (int i = 2; i <= 101; ++i) {
    int to = i == 101 ? 2 : i + 1;
    pairs.push_back({name(i), name(to)});
    expected[name(to)] = "content " + std::to_string(i - 1);
  }
  r = RunRenameBatch(Moves(pairs), Options());
  for (const MoveResult& m : r) ASSERT_EQ(m.outcome, MoveOutcome::Renamed) << m.error;
  EXPECT_EQ(Files(), expected);
}

TEST_F(RenameBatchTest, CollisionsFailAndNothingIsOverwritten) {
  Make("a", "A");
  Make("b", "B");
  Make("c", "C");
  Make("keep", "K");
  Make("d", "D");
  std::vector<MoveResult> r =
      RunRenameBatch(Moves({{"a", "new"}, {"b", "new"}, {"c", "keep"}, {"d", "e"}}), Options());
  EXPECT_EQ(r[0].outcome, MoveOutcome::Failed);
  EXPECT_EQ(r[1].outcome, MoveOutcome::Failed);
  EXPECT_EQ(r[2].outcome, MoveOutcome::Failed);
  EXPECT_NE(r[2].error.find("keep"), std::string::npos);
  EXPECT_EQ(r[3].outcome, MoveOutcome::Renamed);
  EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"a", "A"}, {"b", "B"}, {"c", "C"}, {"keep", "K"}, {"e", "D"}}));
  // A file that waits for a name whose holder cannot move fails too.
  fs::remove(dir_ / "e");
  Make("m", "M");
  Make("n", "N");
  r = RunRenameBatch(Moves({{"m", "n"}, {"n", "sub/deeper"}}), Options());
  EXPECT_EQ(r[0].outcome, MoveOutcome::Failed);
  EXPECT_EQ(r[1].outcome, MoveOutcome::Failed);
  EXPECT_EQ(Files().at("m"), "M");
  EXPECT_EQ(Files().at("n"), "N");
}

TEST_F(RenameBatchTest, CaseOnlyRenamesGoThroughATemporaryNameWhereCaseDoesNotCount) {
  for (bool insensitive : {false, true}) {
    Make("song.mp3", "S");
    int steps = 0;
    RenameBatchOptions o = Options(insensitive);
    o.afterStep = [&] { ++steps; };
    std::vector<MoveResult> r = RunRenameBatch(Moves({{"song.mp3", "Song.mp3"}}), o);
    EXPECT_EQ(r[0].outcome, MoveOutcome::Renamed) << r[0].error;
    EXPECT_EQ(steps, insensitive ? 2 : 1);
    EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"Song.mp3", "S"}}));
    fs::remove(dir_ / "Song.mp3");
  }
  // Where case does not count, "A" and "a" are one name.
  Make("a", "1");
  Make("b", "2");
  std::vector<MoveResult> r = RunRenameBatch(Moves({{"b", "A"}}), Options(true));
  EXPECT_EQ(r[0].outcome, MoveOutcome::Failed);
  r = RunRenameBatch(Moves({{"b", "A"}, {"a", "B"}}), Options(true));  // a swap, told in other cases
  EXPECT_EQ(r[0].outcome, MoveOutcome::Renamed) << r[0].error;
  EXPECT_EQ(r[1].outcome, MoveOutcome::Renamed) << r[1].error;
  EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"A", "2"}, {"B", "1"}}));
}

// The content of each file, wherever it is: nothing lost, nothing doubled.
std::multiset<std::string> Contents(const std::map<std::string, std::string>& files) {
  std::multiset<std::string> contents;
  for (const auto& [name, content] : files) contents.insert(content);
  return contents;
}

TEST_F(RenameBatchTest, AKillAtAnyStepOfACycleIsPutRightByTheNextStart) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"x", "y"}, {"y", "z"}, {"z", "x"}, {"a", "b"}, {"b", "a"}, {"Low", "low"}};
  const std::map<std::string, std::string> before = {{"x", "X"}, {"y", "Y"}, {"z", "Z"},
                                                     {"a", "A"}, {"b", "B"}, {"Low", "L"}};
  // Steps on disk: 3-cycle 4, swap 3, case-only 2.
  for (int killAt = 1; killAt <= 9; ++killAt) {
    for (const auto& e : fs::directory_iterator(dir_)) fs::remove(e.path());
    for (const auto& [name, content] : before) Make(name, content);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int steps = 0;
      RenameBatchOptions o = Options(true);
      o.afterStep = [&] {
        if (++steps == killAt) ::raise(SIGKILL);
      };
      RunRenameBatch(Moves(pairs), o);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the batch took fewer than " << killAt << " steps";

    std::vector<std::string> problems;
    ReplayRenameLog(log_, &problems);
    EXPECT_TRUE(problems.empty()) << killAt << ": " << problems.front();
    EXPECT_FALSE(fs::exists(log_)) << killAt;
    const std::map<std::string, std::string> after = Files();
    EXPECT_EQ(Contents(after), Contents(before)) << killAt;
    // Each file under its old name or its new one; no temporary name left.
    for (const auto& [name, content] : after) {
      EXPECT_FALSE(IsRenameTemporaryName(name)) << name;
      bool known = false;
      for (const auto& [from, to] : pairs)
        known |= before.at(from) == content && (name == from || name == to);
      EXPECT_TRUE(known) << killAt << ": " << name << " holds " << content;
    }
  }
}

// A file found under its temporary name goes on to its new name when that
// is free; only a taken new name sends it back to its old one.
TEST_F(RenameBatchTest, TheNextStartPrefersTheNewName) {
  struct Case {
    const char* taker;  // a file that takes the new name after the kill (or none)
    const char* ends;   // where the file must end
  };
  const Case cases[] = {{"", "low"}, {"low", "Low"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ends);
    for (const auto& e : fs::directory_iterator(dir_)) fs::remove(e.path());
    Make("Low", "L");
    // Killed when the file stands under its temporary name (the first step
    // of a case-only rename where case does not count).
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      RenameBatchOptions o = Options(true);
      o.afterStep = [] { ::raise(SIGKILL); };
      RunRenameBatch(Moves({{"Low", "low"}}), o);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    if (*c.taker) Make(c.taker, "T");
    std::vector<std::string> problems;
    EXPECT_EQ(ReplayRenameLog(log_, &problems), 1);
    EXPECT_EQ(Files().at(c.ends), "L");
  }
}

// Case-insensitive names on a real FAT file system, loop-mounted when the
// machine allows it.
TEST_F(RenameBatchTest, OnALoopMountedFatImage) {
  if (::geteuid() != 0 || std::system("command -v mkfs.vfat >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "needs root and mkfs.vfat";
  const fs::path image = dir_ / "fat.img", mountPoint = dir_ / "fat";
  fs::create_directories(mountPoint);
  const std::string make = "truncate -s 4M '" + image.string() + "' && mkfs.vfat -n HOZANKI '" + image.string() +
                           "' >/dev/null 2>&1 && mount -o loop,iocharset=utf8 '" + image.string() + "' '" +
                           mountPoint.string() + "' 2>/dev/null";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "loop mounting is not allowed here";
  struct Unmount {
    fs::path point;
    ~Unmount() { ::umount2(point.c_str(), MNT_DETACH); }
  } unmount{mountPoint};

  const fs::path music = mountPoint / "music";
  fs::create_directories(music);
  for (const char* name : {"song.mp3", "b.mp3", "c.mp3"}) std::ofstream(music / name) << name;
  ASSERT_EQ(FolderCaseProbe::FromSystem().CaseOf(music), NameCase::Insensitive);

  NameConflictIndex index;  // this machine's mount table
  index.Reset({Staged(music.string(), "c.mp3", "B.MP3"), Kept(music.string(), "b.mp3")});
  EXPECT_TRUE(index.HasConflict(0));
  EXPECT_EQ(index.OtherName(0), "b.mp3");

  RenameBatchOptions o;
  o.logPath = log_;
  std::vector<MoveResult> r = RunRenameBatch(
      {{music / "song.mp3", music / "Song.mp3"}, {music / "c.mp3", music / "B.MP3"}, {music / "b.mp3", music / "C.mp3"}},
      o);
  for (const MoveResult& m : r) EXPECT_EQ(m.outcome, MoveOutcome::Renamed) << m.error;
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(music)) {
    std::string bytes;
    ReadWholeFile(e.path(), bytes);
    files[e.path().filename().string()] = bytes;
  }
  EXPECT_EQ(files, (std::map<std::string, std::string>{
                       {"Song.mp3", "song.mp3"}, {"B.MP3", "c.mp3"}, {"C.mp3", "b.mp3"}}));
}

}  // namespace
}  // namespace hozanki
