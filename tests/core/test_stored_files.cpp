// The settings file and the data files as stored files: only regular files
// are read (a FIFO in place never blocks), a file that is there but cannot be
// read is never written over, and writing through a symbolic link keeps the
// link and replaces the file it names.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/listout/ListItems.h"
#include "core/listout/TemplateLibrary.h"
#include "core/rename/RenamePattern.h"
#include "core/settings/CompoundFile.h"
#include "core/settings/DataFileRecovery.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

// One stored file, read and extended the way the program does it.
struct Store {
  const char* fileName;
  // The titles of its entries; `readError` says why it could not be read.
  std::function<std::vector<std::string>(const fs::path&, std::string& readError)> titles;
  // Reads the file, adds an entry `title` and saves.
  std::function<bool(const fs::path&, const std::string& title, std::string* error)> add;
};

std::vector<Store> Stores() {
  return {
      {kSettingsFileName,
       [](const fs::path& path, std::string& readError) {
         const IniFile ini = IniFile::Load(path);
         readError = ini.ReadError();
         return ini.Keys("Test");
       },
       [](const fs::path& path, const std::string& title, std::string* error) {
         IniFile ini = IniFile::Load(path);
         ini.WriteString("Test", title, "1");
         return ini.Save(path, error);
       }},
      {kRenamePatternFileName,
       [](const fs::path& path, std::string& readError) {
         std::vector<std::string> titles;
         const RenamePatternStore patterns = LoadRenamePatterns(path, &readError);
         for (const RenamePattern& p : patterns[0]) titles.push_back(p.title);
         return titles;
       },
       [](const fs::path& path, const std::string& title, std::string* error) {
         RenamePatternStore store = LoadRenamePatterns(path);
         store[0].push_back({title, {PatternItem::Make(0, -1, "x")}});
         return SaveRenamePatterns(path, store, error);
       }},
      {kCompoundFileName,
       [](const fs::path& path, std::string& readError) {
         std::vector<std::string> titles;
         for (const CompoundEdit& e : LoadCompoundStore(path, &readError)) titles.push_back(e.title);
         return titles;
       },
       [](const fs::path& path, const std::string& title, std::string* error) {
         std::vector<CompoundEdit> edits = ReadCompoundFile(path);
         const int previous = static_cast<int>(edits.size());
         edits.push_back({title, {{1, "a", "b"}}});
         return WriteCompoundFile(path, edits, previous, error);
       }},
      {kTemplateFileName,
       [](const fs::path& path, std::string& readError) {
         TemplateLibrary library;
         library.Load(path);
         readError = library.ReadError();
         std::vector<std::string> titles;
         for (const ListTemplate& t : library.Templates()) titles.push_back(t.title);
         return titles;
       },
       [](const fs::path& path, const std::string& title, std::string* error) {
         TemplateLibrary library;
         library.Load(path);
         library.Register(title, "", {{"", std::string(kItemText), "x", std::string(kLineBreakMark)}});
         return library.Save(path, error);
       }},
  };
}

// A store file holding one entry "old".
std::string MakeStoreFile(const Store& store, const fs::path& folder) {
  const fs::path made = folder / (std::string(store.fileName) + ".made");
  std::string error;
  EXPECT_TRUE(store.add(made, "old", &error)) << error;
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(made, bytes));
  fs::remove(made);
  return bytes;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  ASSERT_TRUE(WriteFileAtomic(path, bytes));
}

std::vector<std::string> Leftovers(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.ends_with(".___") || IsTemporaryFileName(name)) names.push_back(name);
  }
  return names;
}

using StoredFileTest = test::TempDirTest;

TEST_F(StoredFileTest, FifoInPlaceIsReadAsUnreadableWithoutBlockingAndNeverReplaced) {
  for (const Store& store : Stores()) {
    SCOPED_TRACE(store.fileName);
    const fs::path path = dir_ / store.fileName;
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    std::string readError;
    auto reading = std::async(std::launch::async, [&] { return store.titles(path, readError); });
    if (reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      // Let the blocked reader go before failing.
      const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
      FAIL() << "reading blocked on a FIFO";
    }
    EXPECT_TRUE(reading.get().empty());
    EXPECT_NE(readError.find(path.string()), std::string::npos) << readError;
    std::string error;
    EXPECT_FALSE(store.add(path, "new", &error));
    EXPECT_FALSE(error.empty());
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(Leftovers(dir_).empty());
    fs::remove(path);
  }
}

TEST_F(StoredFileTest, MissingFileStartsEmptyAndIsCreated) {
  for (const Store& store : Stores()) {
    SCOPED_TRACE(store.fileName);
    const fs::path path = dir_ / store.fileName;
    std::string readError = "?";
    EXPECT_TRUE(store.titles(path, readError).empty());
    EXPECT_EQ(readError, "");
    std::string error;
    ASSERT_TRUE(store.add(path, "new", &error)) << error;
    EXPECT_EQ(store.titles(path, readError), std::vector<std::string>{"new"});
  }
}

TEST_F(StoredFileTest, FolderInPlaceIsRefusedAndKeepsItsContent) {
  for (const Store& store : Stores()) {
    SCOPED_TRACE(store.fileName);
    const fs::path path = dir_ / store.fileName;
    fs::create_directory(path);
    WriteBytes(path / "inside", "kept");
    std::string readError;
    EXPECT_TRUE(store.titles(path, readError).empty());
    EXPECT_FALSE(readError.empty());
    std::string error;
    EXPECT_FALSE(store.add(path, "new", &error));
    EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    ASSERT_TRUE(fs::is_directory(path));
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path / "inside", bytes));
    EXPECT_EQ(bytes, "kept");
    EXPECT_TRUE(Leftovers(dir_).empty());
    fs::remove_all(path);
  }
}

// A regular file that cannot be read but could be written: the case where a
// save would silently replace every entry with the new one. Root reads every
// file, so as root the test runs in a child that takes the user "nobody".
TEST_F(StoredFileTest, RegularFileThatCannotBeReadIsLeftByteIdentical) {
  const bool root = ::geteuid() == 0;
  const uid_t nobody = 65534;
  if (root) ASSERT_EQ(::chown(dir_.c_str(), nobody, nobody), 0);
  for (const Store& store : Stores()) {
    SCOPED_TRACE(store.fileName);
    const fs::path path = dir_ / store.fileName;
    const std::string before = MakeStoreFile(store, dir_);
    WriteBytes(path, before);
    if (root) ASSERT_EQ(::chown(path.c_str(), nobody, nobody), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    auto attempt = [&] {
      std::string readError;
      std::string error;
      const bool emptyAndUnreadable = store.titles(path, readError).empty() && !readError.empty();
      const bool refused = !store.add(path, "new", &error) && !error.empty();
      return emptyAndUnreadable && refused;
    };
    if (!root) {
      EXPECT_TRUE(attempt());
    } else {
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        const bool dropped = ::setgid(nobody) == 0 && ::setuid(nobody) == 0;
        ::_exit(!dropped ? 3 : attempt() ? 0 : 1);
      }
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    std::string after;
    ASSERT_TRUE(ReadWholeFile(path, after));
    EXPECT_EQ(after, before);
    EXPECT_TRUE(Leftovers(dir_).empty());
  }
}

// Unreadable when read, readable by the time of the save: the entries in the
// file were never seen, so they are not replaced. The settings file and the
// template library remember how their read went.
TEST_F(StoredFileTest, ReadWhileUnreadableIsNeverSavedOverTheFileLater) {
  struct Case {
    const Store& store;
    std::function<bool(const fs::path&, std::string*)> loadAddWhileUnreadableThenSave;
  };
  const std::vector<Store> stores = Stores();
  const auto replaceFolderByFile = [](const fs::path& path, const std::string& bytes) {
    fs::remove(path);
    WriteBytes(path, bytes);
  };
  std::string before;
  const std::vector<Case> cases = {
      {stores[0],
       [&](const fs::path& path, std::string* error) {
         IniFile ini = IniFile::Load(path);
         EXPECT_TRUE(ini.Unreadable());
         replaceFolderByFile(path, before);
         ini.WriteString("Test", "new", "1");
         return ini.Save(path, error);
       }},
      {stores[3],
       [&](const fs::path& path, std::string* error) {
         TemplateLibrary library;
         library.Load(path);
         EXPECT_FALSE(library.ReadError().empty());
         replaceFolderByFile(path, before);
         library.Register("new", "", {{"", std::string(kItemText), "x", std::string(kLineBreakMark)}});
         return library.Save(path, error);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.store.fileName);
    const fs::path path = dir_ / c.store.fileName;
    before = MakeStoreFile(c.store, dir_);
    fs::create_directory(path);
    std::string error;
    EXPECT_FALSE(c.loadAddWhileUnreadableThenSave(path, &error));
    EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    std::string after;
    ASSERT_TRUE(ReadWholeFile(path, after));
    EXPECT_EQ(after, before);
  }
}

TEST_F(StoredFileTest, SavingThroughASymbolicLinkKeepsTheLinkAndReplacesItsFile) {
  fs::create_directories(dir_ / "config");
  fs::create_directories(dir_ / "elsewhere");
  for (const Store& store : Stores()) {
    SCOPED_TRACE(store.fileName);
    const fs::path link = dir_ / "config" / store.fileName;
    const fs::path real = dir_ / "elsewhere" / (std::string(store.fileName) + ".real");
    WriteBytes(real, MakeStoreFile(store, dir_ / "elsewhere"));
    fs::create_symlink("../elsewhere/" + real.filename().string(), link);
    std::string error;
    ASSERT_TRUE(store.add(link, "new", &error)) << error;
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), fs::path("../elsewhere/" + real.filename().string()));
    std::string readError;
    EXPECT_EQ(store.titles(real, readError), (std::vector<std::string>{"old", "new"}));
    EXPECT_EQ(store.titles(link, readError), (std::vector<std::string>{"old", "new"}));
    EXPECT_TRUE(Leftovers(dir_ / "config").empty());
    EXPECT_TRUE(Leftovers(dir_ / "elsewhere").empty());
  }
}

TEST_F(StoredFileTest, ALinkNamedLikeTheRecoveryCopyIsNeverFollowedMovedOrDeleted) {
  const fs::path data = dir_ / kRenamePatternFileName;
  const fs::path victim = dir_ / "victim.txt";
  WriteBytes(victim, "victim");
  fs::create_symlink(victim, RecoveryCopyOf(data));
  // Data file missing: the link does not take its place.
  RecoverDataFile(data);
  EXPECT_TRUE(IsMissingFile(data));
  EXPECT_TRUE(fs::is_symlink(RecoveryCopyOf(data)));
  // Saving never writes through it.
  std::string error;
  EXPECT_FALSE(SaveRenamePatterns(data, RenamePatternStore{}, &error));
  EXPECT_TRUE(fs::is_symlink(RecoveryCopyOf(data)));
  // Data file present: the link stays too.
  WriteBytes(data, "[MP3]\r\nCount=0\r\n");
  RecoverDataFile(data);
  EXPECT_TRUE(fs::is_symlink(RecoveryCopyOf(data)));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(victim, bytes));
  EXPECT_EQ(bytes, "victim");
}

}  // namespace
}  // namespace hozanki
