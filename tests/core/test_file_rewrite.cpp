#include <gtest/gtest.h>
#include <sys/stat.h>

#include "MediaTestSupport.h"
#include "core/catalogue/formats/FileRewrite.h"

namespace hozanki {
namespace {

using FileRewriteTest = test::MediaTempDir;

TEST_F(FileRewriteTest, ReplacesFromPiecesKeepsPermissionsAndLeavesNothingBehind) {
  std::filesystem::path file = dir_ / "a.mp3";
  test::WriteBytes(file, "0123456789");
  ::chmod(file.c_str(), 0640);
  test::WriteBytes(dir_ / "a.mp3.tmp~", "a user's file");
  FileRewrite rewrite(file);
  rewrite.AddBytes("head-");
  rewrite.AddRange(2, 5);
  rewrite.AddBytes("-tail");
  std::string error;
  ASSERT_TRUE(rewrite.Commit(&error)) << error;
  EXPECT_EQ(test::ReadBytes(file), "head-23456-tail");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(test::ReadBytes(dir_ / "a.mp3.tmp~"), "a user's file");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 2);
}

TEST_F(FileRewriteTest, FailureLeavesTheOriginalUntouched) {
  std::filesystem::path file = dir_ / "a.mp3";
  test::WriteBytes(file, "0123456789");
  FileRewrite rewrite(file);
  rewrite.AddBytes("new");
  rewrite.AddRange(5, 100);  // past the end: the file is shorter than it was
  std::string error;
  EXPECT_FALSE(rewrite.Commit(&error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(test::ReadBytes(file), "0123456789");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

}  // namespace
}  // namespace hozanki

namespace hozanki {
namespace {

TEST_F(FileRewriteTest, SymbolicLinkKeptAndReadOnlyFileRefused) {
  std::filesystem::path file = dir_ / "a.mp3";
  test::WriteBytes(file, "old");
  std::filesystem::create_symlink(file, dir_ / "link.mp3");
  FileRewrite viaLink(dir_ / "link.mp3");
  viaLink.AddBytes("new");
  std::string error;
  ASSERT_TRUE(viaLink.Commit(&error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "link.mp3"));
  EXPECT_EQ(test::ReadBytes(file), "new");

  if (::geteuid() == 0) GTEST_SKIP() << "root may write read-only files";
  ::chmod(file.c_str(), 0444);
  FileRewrite readOnly(file);
  readOnly.AddBytes("newer");
  EXPECT_FALSE(readOnly.Commit(&error));
  EXPECT_EQ(test::ReadBytes(file), "new");
}

}  // namespace
}  // namespace hozanki
