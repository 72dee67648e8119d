#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "TempDirTestSupport.h"
#include "core/catalogue/LoadEngine.h"
#include "core/common/IoDepth.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

// Sets HOZANKI_IO_DEPTH for one test and clears it after.
struct DepthVariable {
  explicit DepthVariable(const char* value) {
    if (value)
      ::setenv("HOZANKI_IO_DEPTH", value, 1);
    else
      ::unsetenv("HOZANKI_IO_DEPTH");
  }
  ~DepthVariable() { ::unsetenv("HOZANKI_IO_DEPTH"); }
};

FileSystemTypeProbe Reports(std::optional<int64_t> type) {
  return [type](const fs::path&) { return type; };
}

TEST(IoDepthTest, NetworkAndUserSpaceFileSystemsGetTheNetworkDepthLocalOnesKeepTheirs) {
  DepthVariable unset(nullptr);
  struct Row {
    const char* name;
    std::optional<int64_t> type;
    unsigned depth;
  };
  const Row rows[] = {
      {"ext4", 0xEF53, 4},      {"xfs", 0x58465342, 4},     {"btrfs", 0x9123683E, 4},
      {"tmpfs", 0x01021994, 4}, {"overlay", 0x794C7630, 4}, {"unknown", std::nullopt, 4},
      {"nfs", 0x6969, 32},      {"smb", 0x517B, 32},        {"cifs", 0xFF534D42, 32},
      {"smb2", 0xFE534D42, 32}, {"fuse", 0x65735546, 32},   {"9p", 0x01021997, 32},
      {"ceph", 0x00C36400, 32},
  };
  for (const Row& row : rows) EXPECT_EQ(IoDepthFor("/music", 4, Reports(row.type)), row.depth) << row.name;
}

TEST(IoDepthTest, TheVariableSetsTheNetworkDepthAndNothingElse) {
  struct Row {
    const char* value;
    unsigned network;
  };
  for (const Row& row :
       {Row{"8", 8}, Row{"256", 256}, Row{"0", 32}, Row{"257", 32}, Row{"12x", 32}, Row{"", 32}}) {
    DepthVariable set(row.value);
    EXPECT_EQ(IoDepthFor("/music", 2, Reports(0x6969)), row.network) << row.value;
    EXPECT_EQ(IoDepthFor("/music", 2, Reports(0xEF53)), 2u) << row.value;
  }
}

TEST(IoDepthTest, TheRealProbeTellsALocalFolder) {
  std::optional<int64_t> type = FileSystemTypeOf(fs::temp_directory_path());
  ASSERT_TRUE(type.has_value());
  EXPECT_FALSE(FileSystemTypeOf("/no/such/folder/here").has_value());
}

// A load runs as many readers at once as the folder's file system asks for:
// the peak number of reads in flight shows it.
class LoadDepthTest : public test::TempDirTest {
 protected:
  size_t PeakReadsInFlight(std::optional<int64_t> type) {
    for (int i = 0; i < 96; ++i) std::ofstream(dir_ / ("f" + std::to_string(i) + ".mp3")) << "x";
    std::atomic<int> inFlight{0}, peak{0};
    MediaReaders readers{[&](const fs::path&, const fs::path& relative) -> std::optional<MediaFileEntry> {
                           int now = ++inFlight;
                           int seen = peak.load();
                           while (now > seen && !peak.compare_exchange_weak(seen, now)) {
                           }
                           std::this_thread::sleep_for(std::chrono::milliseconds(10));
                           --inFlight;
                           MediaFileEntry e;
                           e.relativePath = relative;
                           return e;
                         },
                         [](const fs::path&, MediaFileEntry&) { return true; }};
    LoadEngine engine(readers);
    engine.SetFileSystemProbe(Reports(type));
    LoadResult result = engine.Load({dir_, false, std::nullopt}, [](LoadBatch&&) {});
    EXPECT_EQ(result.listed, 96u);
    return static_cast<size_t>(peak.load());
  }
};

TEST_F(LoadDepthTest, ANetworkFolderIsReadManyAtATime) {
  DepthVariable set("24");
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  if (cores >= 12) GTEST_SKIP() << "too many cores to tell the depths apart";
  EXPECT_GT(PeakReadsInFlight(0x65735546), cores);
}

TEST_F(LoadDepthTest, ALocalFolderIsReadOnePerCore) {
  DepthVariable set("24");
  EXPECT_LE(PeakReadsInFlight(0xEF53), std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace
}  // namespace hozanki

#include <sys/stat.h>

#include "core/catalogue/ParallelReader.h"

namespace hozanki {
namespace {

// Files read by their names in their folders, many at a time: each comes
// with its own values and the identity of the very file read; a missing
// file, a folder and a pipe named like media files are refused (the pipe
// without hanging the reader).
TEST_F(LoadDepthTest, FilesReadInTheirFoldersComeWithTheirOwnValuesAndIdentity) {
  const fs::path plain = fs::path(HOZANKI_TEST_DATA) / "mp3" / "plain.mp3";
  const std::vector<fs::path> files = {"a/b/one.mp3", "two.mp3", "a/three.mp3", "a/b/gone.mp3",
                                       "a/b/folder.mp3", "a/pipe.mp3", "../up.mp3"};
  fs::create_directories(dir_ / "in");
  fs::create_directories(dir_ / "in" / "a" / "b" / "folder.mp3");
  for (const fs::path& f : {files[0], files[1], files[2]}) fs::copy_file(plain, dir_ / "in" / f);
  fs::copy_file(plain, dir_ / "up.mp3");
  // Files of different sizes, so that a value or identity given to the
  // wrong file shows.
  for (size_t i = 0; i < 3; ++i) std::ofstream(dir_ / "in" / files[i], std::ios::app) << std::string(i + 1, 'z');
  ASSERT_EQ(::mkfifo((dir_ / "in" / files[5]).c_str(), 0600), 0);
  std::vector<std::optional<FileIdentity>> identities;
  std::vector<std::optional<MediaFileEntry>> entries(files.size());
  std::vector<std::string> errors(files.size());
  ReadMediaFiles(
      dir_ / "in", files, 4,
      [&](size_t i, std::optional<MediaFileEntry>&& entry, const std::string& error) {
        ASSERT_EQ(identities.size(), files.size());
        EXPECT_EQ(identities[i].has_value(), entry.has_value()) << i;
        entries[i] = std::move(entry);
        errors[i] = error;
      },
      &identities);
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].string());
    const bool readable = i < 3 || i == 6;
    ASSERT_EQ(entries[i].has_value(), readable) << errors[i];
    if (!readable) {
      EXPECT_FALSE(errors[i].empty());
      continue;
    }
    EXPECT_EQ(entries[i]->relativePath, files[i]);
    EXPECT_EQ(identities[i], IdentityOfFile(dir_ / "in" / files[i]));
    EXPECT_EQ(identities[i]->size, fs::file_size(dir_ / "in" / files[i]));
  }
}

}  // namespace
}  // namespace hozanki
