#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "TempDirTestSupport.h"
#include "core/catalogue/FolderScan.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

class FolderScanTest : public test::TempDirTest {
 protected:
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_ / "locked", fs::perms::owner_all, ec);
    TempDirTest::TearDown();
  }
  void Touch(const fs::path& relative) {
    fs::create_directories((dir_ / relative).parent_path());
    std::ofstream(dir_ / relative) << "x";
  }
  static std::vector<std::string> Strings(const std::vector<fs::path>& paths) {
    std::vector<std::string> out;
    for (const fs::path& p : paths) out.push_back(p.native());
    return out;
  }
};

TEST_F(FolderScanTest, PlainListingIsSortedWithoutCaseAndKeepsOnlyMediaFiles) {
  for (const char* name : {"b.mp3", "A.WAV", "c.txt", "a2.Ogg", "_x.mp3", "Z.m4a", "sub/in.mp3"}) Touch(name);
  fs::create_directories(dir_ / "folder.mp3");  // a folder with a media extension is not a file
  EXPECT_EQ(Strings(ListMediaFiles(dir_)),
            (std::vector<std::string>{"A.WAV", "a2.Ogg", "b.mp3", "Z.m4a", "_x.mp3"}));
}

TEST_F(FolderScanTest, RecursiveListingPutsFilesBeforeSubfoldersAtEveryLevel) {
  for (const char* name :
       {"z.mp3", "b/2.mp3", "b/1.mp3", "A/y.mp3", "A/B/song.mp3", "A/a/deep.wav", "b/c/d/e.ape"})
    Touch(name);
  EXPECT_EQ(Strings(ListMediaFilesRecursive(dir_)),
            (std::vector<std::string>{"z.mp3", "A/y.mp3", "A/a/deep.wav", "A/B/song.mp3", "b/1.mp3",
                                      "b/2.mp3", "b/c/d/e.ape"}));
}

TEST_F(FolderScanTest, NamesThatAreNotUtf8KeepTheirBytesAndShowAsCodePage932) {
  const std::string sjis = "\x83\x65\x83\x58\x83\x67.mp3";  // テスト.mp3 in code page 932
  Touch(sjis);
  Touch("a.mp3");
  std::vector<fs::path> files = ListMediaFiles(dir_);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1].native(), sjis);
  EXPECT_TRUE(fs::exists(dir_ / files[1]));
  EXPECT_EQ(DisplayName(files[1]), "テスト.mp3");
  EXPECT_EQ(DisplayName(fs::path("曲.mp3")), "曲.mp3");
}

TEST_F(FolderScanTest, UnreadableFoldersAndLinkCyclesAreSkipped) {
  Touch("locked/hidden.mp3");
  Touch("open/seen.mp3");
  fs::create_directory_symlink(dir_, dir_ / "open" / "loop");
  fs::permissions(dir_ / "locked", fs::perms::none);
  std::vector<std::string> files = Strings(ListMediaFilesRecursive(dir_));
  if (::geteuid() == 0) std::erase(files, "locked/hidden.mp3");  // root reads every folder
  EXPECT_EQ(files, (std::vector<std::string>{"open/seen.mp3"}));
  EXPECT_TRUE(ListMediaFiles(dir_ / "missing").empty());
}

TEST_F(FolderScanTest, CancelStopsTheListing) {
  for (const char* name : {"a.mp3", "b.mp3", "sub/c.mp3"}) Touch(name);
  std::atomic<bool> cancel{true};
  EXPECT_TRUE(ListMediaFilesRecursive(dir_, &cancel).empty());
  EXPECT_TRUE(ListMediaFiles(dir_, &cancel).empty());
  EXPECT_TRUE(ListPathList(dir_, {dir_ / "a.mp3"}, &cancel).empty());
}

TEST_F(FolderScanTest, PathListKeepsOrderAndSkipsFoldersMissingAndRepeatedEntries) {
  for (const char* name : {"Album/b.mp3", "Album/a.wav", "Album/notes.txt", "Other/x.mp3"}) Touch(name);
  const fs::path album = dir_ / "Album";
  std::vector<fs::path> list = {album / "b.mp3", album / "gone.mp3", dir_ / "Other",      album / "notes.txt",
                                "a.wav",         album / "b.mp3",    dir_ / "Other/x.mp3"};
  EXPECT_EQ(Strings(ListPathList(album, list)),
            (std::vector<std::string>{"b.mp3", "a.wav", "../Other/x.mp3"}));
}

TEST_F(FolderScanTest, PathListFolderIsTheFolderOfTheFirstEntry) {
  Touch("Album/b.mp3");
  EXPECT_EQ(PathListFolder({dir_ / "Album/b.mp3", "/elsewhere/x.mp3"}, "/"), dir_ / "Album");
  // Relative arguments are resolved against the sender's working folder.
  EXPECT_EQ(PathListFolder({"Album/./b.mp3"}, dir_), dir_ / "Album");
  // A folder given alone opens its parent folder.
  EXPECT_EQ(PathListFolder({dir_ / "Album"}, "/"), dir_);
  EXPECT_FALSE(PathListFolder({dir_ / "nowhere/b.mp3"}, "/").has_value());
  EXPECT_FALSE(PathListFolder({}, "/").has_value());
  EXPECT_EQ(AbsolutePathForm("x/../y.mp3", "/music"), fs::path("/music/y.mp3"));
}

TEST_F(FolderScanTest, StartUpFolderFallsBackToHomeWhenTheRememberedOneIsGone) {
  fs::create_directories(dir_ / "Music");
  EXPECT_EQ(StartUpFolder(dir_ / "Music/", "/home/u"), dir_ / "Music");
  EXPECT_EQ(StartUpFolder(dir_ / "Gone", "/home/u"), fs::path("/home/u"));
  EXPECT_EQ(StartUpFolder("", "/home/u"), fs::path("/home/u"));
  EXPECT_EQ(StartUpFolder("relative", "/home/u"), fs::path("/home/u"));
  EXPECT_EQ(FolderPanelText("/music/\x83\x65/"), "/music/テ");
  EXPECT_EQ(FolderPanelText("/"), "/");
}

TEST_F(FolderScanTest, SubfoldersAreSortedWithoutCaseAndIncludeHiddenOnes) {
  for (const char* name : {"beta", "Alpha", ".hidden", "gamma"}) fs::create_directories(dir_ / name);
  Touch("file.mp3");
  EXPECT_EQ(Strings(ListSubfolders(dir_)), (std::vector<std::string>{".hidden", "Alpha", "beta", "gamma"}));
}

// Files, folders, links to both, a broken link and a pipe: the listing is the
// same whether the folder entries carry their types or every entry has to be
// looked up (as on a file system that leaves the types out), and whether the
// look-ups and subfolders are taken one by one (local disk) or many at once
// (network file system); only entries whose type the listing does not tell
// are looked up.
TEST_F(FolderScanTest, EntryTypesFromTheListingOrFromLookUpsGiveTheSameListing) {
  for (const char* name : {"a.mp3", "B.ogg", "note.txt", "dir.mp3/in.wav", "sub/x.mp3"}) Touch(name);
  fs::create_symlink(dir_ / "a.mp3", dir_ / "link.mp3");
  fs::create_directory_symlink(dir_ / "sub", dir_ / "linkdir");
  fs::create_symlink(dir_ / "gone.mp3", dir_ / "broken.mp3");
  ASSERT_EQ(::mkfifo((dir_ / "pipe.mp3").c_str(), 0600), 0);
  struct Row {
    bool ignoreTypes;
    bool network;
    size_t lookUps;  // by the plain listing
  };
  for (const Row row : {Row{false, false, 3}, Row{true, false, 9}, Row{false, true, 3}, Row{true, true, 9}}) {
    SCOPED_TRACE(std::to_string(row.ignoreTypes) + std::to_string(row.network));
    std::mutex mutex;
    std::multiset<std::string> looked;
    const int64_t fsType = row.network ? 0x6969 : 0xEF53;  // NFS or ext4
    SetFolderScanHooksForTesting({row.ignoreTypes,
                                  [&](const fs::path& p) {
                                    std::lock_guard lock(mutex);
                                    looked.insert(p.filename().native());
                                  },
                                  [fsType](const fs::path&) { return std::optional<int64_t>(fsType); }});
    ListingCounts plain, recursive;
    EXPECT_EQ(Strings(ListMediaFiles(dir_, nullptr, &plain)),
              (std::vector<std::string>{"a.mp3", "B.ogg", "link.mp3"}));
    EXPECT_EQ(plain.upTo, (std::vector<size_t>{1, 2, 3}));
    EXPECT_EQ(plain.total, 4u);  // note.txt counts; the broken link and the pipe do not
    EXPECT_EQ(looked.size(), row.lookUps);
    if (!row.ignoreTypes)
      EXPECT_EQ(looked, (std::multiset<std::string>{"broken.mp3", "link.mp3", "linkdir"}));
    // "sub" is the folder "linkdir" already entered.
    EXPECT_EQ(Strings(ListMediaFilesRecursive(dir_, nullptr, &recursive)),
              (std::vector<std::string>{"a.mp3", "B.ogg", "link.mp3", "dir.mp3/in.wav", "linkdir/x.mp3"}));
    EXPECT_EQ(recursive.total, 6u);
    EXPECT_EQ(Strings(ListSubfolders(dir_)), (std::vector<std::string>{"dir.mp3", "linkdir", "sub"}));
    SetFolderScanHooksForTesting({});
  }
}

TEST(CompareFolderEntryNamesTest, IgnoresCaseOfAsciiAndFullWidthLetters) {
  EXPECT_NE(CompareFolderEntryNames("abc", "ABC"), 0);  // still a strict order
  EXPECT_LT(CompareFolderEntryNames("abc", "ABD"), 0);
  EXPECT_LT(CompareFolderEntryNames("ＡＢ", "ｂａ"), 0);
  EXPECT_LT(CompareFolderEntryNames("a", "_"), 0);  // letters compare as capitals
  EXPECT_LT(CompareFolderEntryNames("ab", "abc"), 0);
}

}  // namespace
}  // namespace hozanki
