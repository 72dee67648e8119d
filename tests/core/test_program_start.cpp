// Starting programs with exact bytes, finding bare program names on PATH, and
// desktop entries whose program path holds characters a line cannot.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/tools/DesktopEntry.h"
#include "core/tools/ProgramStart.h"

namespace hozanki {
namespace {

using ::testing::ElementsAre;
namespace fs = std::filesystem;

class ProgramStartTest : public test::TempDirTest {
 protected:
  fs::path Script(const std::string& name, const std::string& body, mode_t mode = 0755) {
    const fs::path path = dir_ / name;
    EXPECT_TRUE(WriteFileAtomic(path, "#!/bin/sh\n" + body));
    ::chmod(path.c_str(), mode);
    return path;
  }
  // The file a started program writes, once it is complete.
  static std::string WaitForFile(const fs::path& path) {
    std::string bytes;
    for (int i = 0; i < 200 && !ReadWholeFile(path, bytes); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return bytes;
  }
};

TEST_F(ProgramStartTest, BareNamesAreFoundOnThePathLikeAShellFindsThem) {
  const fs::path bin = dir_ / "bin";
  fs::create_directories(bin);
  const fs::path player = Script("bin/player", "exit 0\n");
  Script("bin/plain-file", "", 0644);
  fs::create_directories(bin / "a-folder");
  const std::string path = "/nowhere::" + bin.string();
  struct Case {
    std::string program;
    std::string found;
  };
  const Case cases[] = {
      {"player", player.string()},             // a bare name, through PATH
      {player.string(), player.string()},      // a path as it stands
      {"no-such-player", ""},                  // not on PATH
      {"plain-file", ""},                      // not executable
      {"a-folder", ""},                        // a folder is no program
      {(dir_ / "player").string(), ""},        // a path is not looked up
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveProgram(c.program, path), c.found) << c.program;
  EXPECT_EQ(ResolveProgram("sh"), ResolveProgram("sh", std::getenv("PATH")));
  EXPECT_FALSE(ResolveProgram("sh").empty());
}

TEST_F(ProgramStartTest, ArgumentsReachTheProgramAsTheirExactBytes) {
  const fs::path out = dir_ / "args";
  const fs::path recorder =
      Script("rec", "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$0.part\"; mv \"$0.part\" '" +
                        out.string() + "'\n");
  // Shift-JIS "テスト" and a lone byte no encoding maps: bytes, not text.
  const std::string sjis = (dir_ / "\x83\x65\x83\x58\x83\x67 \xFF.mp3").string();
  ASSERT_EQ(StartDetached(ProgramCall{recorder.string(), {"-x", sjis, "曲"}}), 0);
  EXPECT_EQ(WaitForFile(out), std::string("-x\0", 3) + sjis + std::string("\0", 1) + "曲" + std::string("\0", 1));
}

TEST_F(ProgramStartTest, AProgramThatCannotStartSaysWhy) {
  EXPECT_EQ(StartDetached(ProgramCall{(dir_ / "missing").string(), {}}), ENOENT);
  EXPECT_EQ(StartDetached(ProgramCall{"no-such-program-anywhere", {}}), ENOENT);
  EXPECT_EQ(StartDetached(ProgramCall{Script("not-exec", "", 0644).string(), {}}), EACCES);
  EXPECT_EQ(StartDetached(ProgramCall{}), ENOENT);
}

TEST_F(ProgramStartTest, DesktopEntriesKeepAnyUtf8ProgramPathOnOneLine) {
  const std::vector<std::string> paths = {
      (dir_ / "line\nbreak" / "hozanki").string(), (dir_ / "tab\there" / "hozanki").string(),
      (dir_ / "cr\rhere" / "hozanki").string(),    (dir_ / "all \\ \" ` $ % ' \t\r\n" / "hozanki").string(),
      (dir_ / "日本語" / "hozanki").string(),
  };
  for (const std::string& program : paths) {
    for (bool openWith : {false, true}) {
      const std::string text = ShortcutEntryText(program, "hozanki", openWith);
      ASSERT_FALSE(text.empty());
      // One Exec line, and it gives the path back.
      int execLines = 0;
      for (size_t pos = text.find("\nExec="); pos != std::string::npos; pos = text.find("\nExec=", pos + 1))
        ++execLines;
      EXPECT_EQ(execLines, 1);
      EXPECT_EQ(text.find('\r'), std::string::npos);
      EXPECT_EQ(text.find('\t'), std::string::npos);
      EXPECT_THAT(SplitExecValue(DesktopEntryExec(text).value_or("")), ElementsAre(program));
      // Comment says what the program does, not its name again.
      const std::string comment = DesktopEntryValue(text, "Comment").value_or("");
      EXPECT_FALSE(comment.empty());
      EXPECT_NE(comment, "Hozanki");
    }
  }
  // A path that is not UTF-8 cannot be named in an entry: nothing is written.
  const fs::path sjis = dir_ / "\x83\x65" / "hozanki";
  EXPECT_EQ(ShortcutEntryText(sjis, "hozanki", false), "");
  EXPECT_FALSE(CreateShortcut(dir_ / "x.desktop", ShortcutEntryText(sjis, "hozanki", false)));
  EXPECT_FALSE(fs::exists(dir_ / "x.desktop"));
}

TEST(DesktopEntryTerminal, OnlyTrueInTheMainGroupCounts) {
  struct Case {
    const char* text;
    bool terminal;
  };
  const Case cases[] = {
      {"[Desktop Entry]\nExec=vim %F\nTerminal=true\n", true},
      {"[Desktop Entry]\nExec=vim %F\nTerminal = true \r\n", true},
      {"[Desktop Entry]\nExec=gedit %U\nTerminal=false\n", false},
      {"[Desktop Entry]\nExec=gedit %U\n", false},
      {"[Desktop Entry]\nExec=x\n[Desktop Action a]\nTerminal=true\n", false},
  };
  for (const Case& c : cases) EXPECT_EQ(DesktopEntryRunsInTerminal(c.text), c.terminal) << c.text;
}

}  // namespace
}  // namespace hozanki
