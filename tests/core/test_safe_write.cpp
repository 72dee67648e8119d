// The one write path: replacements that keep what the old file was (owner,
// mode, attributes, links), never touch files that are not ours, stop
// runaway writers, and leave nothing behind; the TagLib stream over them.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <taglib/tbytevector.h>
#include <unistd.h>

#include <cstring>
#include <random>

#include "MediaTestSupport.h"
#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/ReplacementStream.h"
#include "core/common/AtomicFile.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

std::vector<std::string> TemporaryFilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (IsTemporaryFileName(e.path().filename().string())) names.push_back(e.path().filename().string());
  return names;
}

class SafeWrite : public test::TempDirTest {};

TEST_F(SafeWrite, FilesThatAreNotOursAreNeverTouched) {
  // Names an older scheme used, and names close to ours: all user files.
  const std::vector<std::string> others = {"a.wav.tmp~", "a.wav.hozanki-AbCdEf", ".hozanki-short.tmp",
                                           "x.hozanki-abcdefgh.tmp", ".hozanki-abcdefgh.tmp~"};
  for (const std::string& name : others) WriteBytes(dir_ / name, "user file " + name);
  WriteBytes(dir_ / "a.wav", "old");
  std::string error;
  ASSERT_TRUE(WriteFileAtomic(dir_ / "a.wav", "new", &error)) << error;
  EXPECT_EQ(ReadBytes(dir_ / "a.wav"), "new");
  for (const std::string& name : others) EXPECT_EQ(ReadBytes(dir_ / name), "user file " + name) << name;
  EXPECT_EQ(SweepTemporaryFiles(dir_), 0);
  EXPECT_TRUE(TemporaryFilesIn(dir_).empty());
}

TEST_F(SafeWrite, SymbolicLinksStayLinksAndTheirTargetIsReplaced) {
  fs::create_directories(dir_ / "real");
  WriteBytes(dir_ / "real" / "list.m3u", "old");
  fs::create_symlink("real/list.m3u", dir_ / "link.m3u");
  fs::create_symlink("link.m3u", dir_ / "chain.m3u");
  std::string error;
  ASSERT_TRUE(WriteFileAtomic(dir_ / "chain.m3u", "new", &error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir_ / "chain.m3u"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.m3u"));
  EXPECT_EQ(ReadBytes(dir_ / "real" / "list.m3u"), "new");
  EXPECT_TRUE(TemporaryFilesIn(dir_).empty());
  EXPECT_TRUE(TemporaryFilesIn(dir_ / "real").empty());
}

TEST_F(SafeWrite, LongNamesCanBeReplaced) {
  // 84 three-byte characters: 252 bytes, close to the 255-byte limit.
  std::string name;
  for (int i = 0; i < 84; ++i) name += "曲";
  WriteBytes(dir_ / name, "old");
  std::string error;
  ASSERT_TRUE(WriteFileAtomic(dir_ / name, "new", &error)) << error;
  EXPECT_EQ(ReadBytes(dir_ / name), "new");
}

TEST_F(SafeWrite, ModeAndAttributesAreKept) {
  WriteBytes(dir_ / "a.mp3", "old");
  ::chmod((dir_ / "a.mp3").c_str(), 0640);
  bool haveAttribute = ::setxattr((dir_ / "a.mp3").c_str(), "user.hozanki", "42", 2, 0) == 0;
  FileReplacement out;
  std::string error;
  ASSERT_TRUE(out.Begin(dir_ / "a.mp3", &error)) << error;
  out.Append("new");
  ASSERT_TRUE(out.Commit(&error)) << error;
  struct stat st {};
  ASSERT_EQ(::stat((dir_ / "a.mp3").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (haveAttribute) {
    char value[8] = {};
    EXPECT_EQ(::getxattr((dir_ / "a.mp3").c_str(), "user.hozanki", value, sizeof value), 2);
    EXPECT_EQ(std::string(value, 2), "42");
  }
}

TEST_F(SafeWrite, AnotherUsersFileKeepsItsOwnerWhenWrittenAsRoot) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the file another owner";
  WriteBytes(dir_ / "a.mp3", "old");
  ASSERT_EQ(::chown((dir_ / "a.mp3").c_str(), 4242, 4343), 0);
  ::chmod((dir_ / "a.mp3").c_str(), 0600);
  FileReplacement out;
  std::string error;
  ASSERT_TRUE(out.Begin(dir_ / "a.mp3", &error)) << error;
  out.Append("new");
  ASSERT_TRUE(out.Commit(&error)) << error;
  struct stat st {};
  ASSERT_EQ(::stat((dir_ / "a.mp3").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4242u);
  EXPECT_EQ(st.st_gid, 4343u);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(SafeWrite, HardLinkedFilesAreRefusedAndLeftAsTheyAre) {
  WriteBytes(dir_ / "a.mp3", "old");
  fs::create_hard_link(dir_ / "a.mp3", dir_ / "b.mp3");
  FileReplacement out;
  std::string error;
  EXPECT_FALSE(out.Begin(dir_ / "a.mp3", &error));
  EXPECT_NE(error.find("ハードリンク"), std::string::npos) << error;
  EXPECT_EQ(fs::hard_link_count(dir_ / "a.mp3"), 2u);
  EXPECT_EQ(ReadBytes(dir_ / "b.mp3"), "old");
  EXPECT_TRUE(TemporaryFilesIn(dir_).empty());
  // The program's own files may be replaced all the same.
  ASSERT_TRUE(WriteFileAtomic(dir_ / "a.mp3", "new", &error)) << error;
}

TEST_F(SafeWrite, GrowthPastTheLimitFailsAndLeavesTheTarget) {
  WriteBytes(dir_ / "a.wma", "old");
  FileReplacement out;
  std::string error;
  ASSERT_TRUE(out.Begin(dir_ / "a.wma", &error)) << error;
  out.SetSizeLimit(8);
  EXPECT_TRUE(out.Append("12345678"));
  EXPECT_FALSE(out.Append("9"));
  EXPECT_FALSE(out.Append("more"));  // failures are sticky
  EXPECT_FALSE(out.Commit(&error));
  EXPECT_NE(error.find("想定の大きさ"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(dir_ / "a.wma"), "old");
  EXPECT_TRUE(TemporaryFilesIn(dir_).empty());
}

TEST_F(SafeWrite, SweepRemovesOnlyTheLeftoversOfDeadWriters) {
  auto makeOld = [](const fs::path& path) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 60, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  };
  // A dead writer's file: ours by name, unlocked, older than a moment.
  WriteBytes(dir_ / ".hozanki-Dead0001.tmp", "left behind");
  makeOld(dir_ / ".hozanki-Dead0001.tmp");
  // A live writer's file, made old too: its lock protects it.
  WriteBytes(dir_ / "b.mp3", "old");
  FileReplacement live;
  std::string error;
  ASSERT_TRUE(live.Begin(dir_ / "b.mp3", &error)) << error;
  makeOld(live.Temporary());
  // A fresh one may not be locked yet, and a folder is never ours.
  WriteBytes(dir_ / ".hozanki-Fresh001.tmp", "just made");
  fs::create_directories(dir_ / ".hozanki-Folder01.tmp");
  makeOld(dir_ / ".hozanki-Folder01.tmp");

  EXPECT_EQ(SweepTemporaryFiles(dir_), 1);
  EXPECT_FALSE(fs::exists(dir_ / ".hozanki-Dead0001.tmp"));
  EXPECT_TRUE(fs::exists(live.Temporary()));
  EXPECT_TRUE(fs::exists(dir_ / ".hozanki-Fresh001.tmp"));
  EXPECT_TRUE(fs::is_directory(dir_ / ".hozanki-Folder01.tmp"));
  live.Append("new");
  ASSERT_TRUE(live.Commit(&error)) << error;
  EXPECT_EQ(ReadBytes(dir_ / "b.mp3"), "new");
}

TEST_F(SafeWrite, ReadingNeverBlocksOnAPipeOrReadsAFolder) {
  ASSERT_EQ(::mkfifo((dir_ / "NR284.ini").c_str(), 0600), 0);
  fs::create_directories(dir_ / "NR284Lst.dat");
  std::string bytes, error;
  EXPECT_FALSE(ReadWholeFile(dir_ / "NR284.ini", bytes, &error));
  EXPECT_FALSE(ReadWholeFile(dir_ / "NR284Lst.dat", bytes, &error));
  EXPECT_FALSE(ReadWholeFile(dir_ / "missing", bytes, &error));
  EXPECT_TRUE(IsMissingFile(dir_ / "missing"));
  EXPECT_FALSE(IsMissingFile(dir_ / "NR284.ini"));
}

// The stream TagLib writes through must behave as a file does: the same
// sequence of operations on a string gives the same bytes.
TEST_F(SafeWrite, ReplacementStreamBehavesAsAFile) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::string model;
    for (int i = 0; i < 3000 + round * 97; ++i) model.push_back(static_cast<char>(rng()));
    WriteBytes(dir_ / "f.bin", model);
    FileReplacement file;
    std::string error;
    ASSERT_TRUE(file.Begin(dir_ / "f.bin", &error)) << error;
    ASSERT_TRUE(file.AppendTarget());
    ReplacementStream stream(file);
    // Blocks larger than the stream's own copy buffer are not needed: the
    // moves are the same code for every size.
    auto data = [&](size_t n) {
      std::string s(n, '\0');
      for (char& c : s) c = static_cast<char>('a' + rng() % 26);
      return s;
    };
    for (int op = 0; op < 40; ++op) {
      size_t size = model.size();
      size_t start = size ? rng() % (size + 1) : 0;
      size_t n = rng() % 700;
      switch (rng() % 5) {
        case 0: {  // insert, replacing some bytes (TagLib's way of growing or shrinking a tag)
          size_t replace = std::min<size_t>(rng() % 700, size - start);
          std::string d = data(n);
          stream.insert(TagLib::ByteVector(d.data(), static_cast<unsigned>(d.size())), start, replace);
          model.replace(start, replace, d);
          break;
        }
        case 1: {  // remove
          stream.removeBlock(start, n);
          model.erase(start, std::min(n, size - start));
          break;
        }
        case 2: {  // overwrite and extend from a position
          std::string d = data(n);
          stream.seek(static_cast<long>(start));
          stream.writeBlock(TagLib::ByteVector(d.data(), static_cast<unsigned>(d.size())));
          model.replace(start, std::min(d.size(), size - start), d);
          break;
        }
        case 3: {  // truncate (shorter only, as TagLib does)
          size_t to = size ? rng() % (size + 1) : 0;
          stream.truncate(static_cast<long>(to));
          model.resize(to);
          break;
        }
        default: {  // read from the end backwards
          stream.seek(-static_cast<long>(std::min(n, size)), TagLib::IOStream::End);
          TagLib::ByteVector got = stream.readBlock(static_cast<unsigned long>(n));
          EXPECT_EQ(std::string(got.data(), got.size()), model.substr(size - std::min(n, size)));
        }
      }
      ASSERT_EQ(static_cast<size_t>(stream.length()), model.size());
    }
    std::string written;
    ASSERT_TRUE(file.ReadAt(0, file.Size(), written));
    ASSERT_EQ(written, model);
    ASSERT_TRUE(file.Commit(&error)) << error;
    EXPECT_EQ(ReadBytes(dir_ / "f.bin"), model);
  }
}

// A small file system that the test fills: every format either saves or
// reports the full disk, and a file that was not saved is byte-identical.
class FullDisk : public test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root; the full-disk test is skipped";
    mount_ = dir_ / "disk";
    fs::create_directories(mount_);
    if (::mount("tmpfs", mount_.c_str(), "tmpfs", 0, "size=4m") != 0)
      GTEST_SKIP() << "this machine does not allow mounting a tmpfs: " << std::strerror(errno);
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) ::umount2(mount_.c_str(), MNT_DETACH);
    TempDirTest::TearDown();
  }
  // Fills the disk until `keep` bytes are left.
  void FillLeaving(uint64_t keep) {
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs(mount_.c_str(), &vfs), 0);
    uint64_t free = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    ASSERT_GT(free, keep);
    WriteBytes(mount_ / "filler", std::string(free - keep, 'f'));
  }

  fs::path mount_;
  bool mounted_ = false;
};

TEST_F(FullDisk, EveryFormatRefusesWithTheReasonAndKeepsItsBytes) {
  struct Case {
    const char* fixture;
    const char* value;
  };
  const Case cases[] = {{"mp3/plain.mp3", "INAM_v1"},   {"mp3/sjis_id3v2.mp3", "INAM_v2"},
                        {"mp3/apev2_id3v1.mp3", "INAM_APE"}, {"mp3/rmp3.rmp", "INAM_rmp"},
                        {"wav/tagged.wav", "INAM"},     {"avi/tagged.avi", "INAM"},
                        {"vqf/tagged.vqf", "INAM"},     {"wma/tagged.wma", "INAM"},
                        {"ogg/tagged.ogg", "INAM"},     {"ape/tagged.ape", "INAM"},
                        {"mp4/tagged.m4a", "INAM"}};
  const std::string big(20000, 'x');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    fs::path file = mount_ / fs::path(c.fixture).filename();
    fs::copy_file(fs::path(HOZANKI_TEST_DATA) / c.fixture, file);
    const std::string before = ReadBytes(file);
    // Room for a copy of the file, not for the bigger tag.
    FillLeaving(before.size() + 6 * 1024);
    std::string error;
    std::unique_ptr<TagFile> tags = OpenTagFile(file, &error);
    ASSERT_TRUE(tags) << error;
    tags->SetValue(c.value, std::string(c.value).ends_with("_v1") ? "short" : big);
    bool saved = tags->Save(&error);
    if (std::string(c.value).ends_with("_v1")) {
      // ID3v1 is fixed-size: the copy fits, and the save succeeds.
      EXPECT_TRUE(saved) << error;
    } else {
      EXPECT_FALSE(saved);
      EXPECT_EQ(ReadBytes(file), before);
      // AVI is written in place into its padding: no room is its reason.
      if (std::string(c.fixture).find(".avi") == std::string::npos)
        EXPECT_NE(error.find("ディスクの空き容量が足りません"), std::string::npos) << error;
    }
    EXPECT_TRUE(TemporaryFilesIn(mount_).empty());
    fs::remove(mount_ / "filler");
    fs::remove(file);
  }
}

}  // namespace
}  // namespace hozanki
