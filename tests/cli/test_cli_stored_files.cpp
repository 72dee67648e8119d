// The command line and the stored files: a data file that cannot be read is
// reported on standard error with exit status 1 and never replaced, nothing
// blocks on a FIFO, and list output keeps symbolic links.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <iterator>
#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"

namespace {

namespace fs = std::filesystem;

using hozanki::test::Quote;
using hozanki::test::ReadFile;
using hozanki::test::WriteFile;

using Result = hozanki::test::ShellResult;

class CliStoredFiles : public hozanki::test::CliTempDirTest {
 protected:
  // Runs hozanki-cli with the private settings folder; a command that blocks
  // is stopped after a while (status 124).
  Result Run(const std::vector<std::string>& args) {
    std::string command = "HOZANKI_CONFIG_DIR=" + Quote((dir_ / "config").string()) + " timeout 30 " +
                          Quote(HOZANKI_CLI);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " </dev/null";
    return hozanki::test::RunShellWithErrors(command, dir_ / "stderr.txt");
  }
  fs::path Config(const std::string& name) const { return dir_ / "config" / name; }
  std::string Media() {
    const fs::path path = dir_ / "a.ogg";
    if (!fs::exists(path)) fs::copy_file(fs::path(HOZANKI_TEST_DATA) / "ogg" / "tagged.ogg", path);
    return path.string();
  }
  void ImportTemplate(const std::string& name) {
    WriteFile(dir_ / "t.txt", "%LOOP_START%\r\n%F_FILE%\r\n%LOOP_END%\r\n");
    ASSERT_EQ(Run({"template", "import", (dir_ / "t.txt").string(), "--name", name}).status, 0);
  }
};

bool IsFifo(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

TEST_F(CliStoredFiles, TemplateImportRefusesALibraryItCannotRead) {
  WriteFile(dir_ / "t.txt", "%F_FILE%\r\n");
  const auto import = [&] { return Run({"template", "import", (dir_ / "t.txt").string(), "--name", "New"}); };
  // A FIFO and a folder in the library's place: neither is read nor replaced.
  ASSERT_EQ(::mkfifo(Config("NR284Lst.dat").c_str(), 0644), 0);
  Result r = import();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("NR284Lst.dat"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\"New\" not registered"), std::string::npos) << r.err;
  EXPECT_TRUE(IsFifo(Config("NR284Lst.dat")));
  fs::remove(Config("NR284Lst.dat"));
  fs::create_directory(Config("NR284Lst.dat"));
  WriteFile(Config("NR284Lst.dat") / "x", "x");
  r = import();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("NR284Lst.dat"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(Config("NR284Lst.dat") / "x"), "x");
  // Nothing was made beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "config"), fs::directory_iterator()), 1);
}

TEST_F(CliStoredFiles, EveryCommandReportsAnUnreadableDataFileWithoutBlocking) {
  struct Case {
    const char* dataFile;
    std::vector<std::string> args;
  };
  const std::vector<Case> cases = {
      {"NR284Lst.dat", {"template", "export", "T"}},
      {"NR284Lst.dat", {"listout", "T", Media()}},
      {"NR284Ren.dat", {"rename", "--dry-run", "P", Media()}},
      {"NR284Cnv.dat", {"compound", "C"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    ASSERT_EQ(::mkfifo(Config(c.dataFile).c_str(), 0644), 0);
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.dataFile), std::string::npos) << r.err;
    EXPECT_TRUE(IsFifo(Config(c.dataFile)));
    fs::remove(Config(c.dataFile));
  }
  // A FIFO in place of the settings file is read as missing settings.
  ASSERT_EQ(::mkfifo(Config("NR284.ini").c_str(), 0644), 0);
  WriteFile(Config("NR284Ren.dat"), "[OGG]\r\nCount=1\r\nTitle0=P\r\nCount0=1\r\nItem0-0=900,x/\r\n");
  const Result r = Run({"rename", "--dry-run", "P", Media()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Media() + " -> x\n");
}

TEST_F(CliStoredFiles, ListOutputKeepsLinksAndNeverFollowsOneNamedLikeATemporaryFile) {
  ImportTemplate("T");
  const fs::path victim = dir_ / "victim.txt";
  WriteFile(victim, "victim");
  // An old-style temporary name next to the list is the user's link.
  fs::create_symlink(victim, dir_ / "list.m3u.tmp~");
  Result r = Run({"listout", "T", "--output", (dir_ / "list.m3u").string(), Media()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir_ / "list.m3u"), "a.ogg\r\n");
  EXPECT_EQ(ReadFile(victim), "victim");
  EXPECT_TRUE(fs::is_symlink(dir_ / "list.m3u.tmp~"));

  // Asked to write through a link: the link stays, its file gets the list.
  fs::create_directory(dir_ / "lists");
  WriteFile(dir_ / "lists" / "real.m3u", "old");
  fs::create_symlink("lists/real.m3u", dir_ / "link.m3u");
  r = Run({"listout", "T", "--output", (dir_ / "link.m3u").string(), Media()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.m3u"));
  EXPECT_EQ(ReadFile(dir_ / "lists" / "real.m3u"), "a.ogg\r\n");
  EXPECT_EQ(ReadFile(victim), "victim");

  // The template library itself behind a link: importing keeps the link.
  fs::rename(Config("NR284Lst.dat"), dir_ / "lists" / "library.dat");
  fs::create_symlink(dir_ / "lists" / "library.dat", Config("NR284Lst.dat"));
  ImportTemplate("U");
  EXPECT_TRUE(fs::is_symlink(Config("NR284Lst.dat")));
  r = Run({"template", "export", "T"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(ReadFile(dir_ / "lists" / "library.dat").find("Title=U"), std::string::npos);
}

}  // namespace
