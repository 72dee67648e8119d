// hozanki-cli repair: findings on standard output (text or JSON), nothing
// written with --dry-run, repaired files read right by other programs, and
// exit status 1 when a file could not be handled.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "CliTestSupport.h"

namespace {

namespace fs = std::filesystem;
using hozanki::test::Quote;
using hozanki::test::ReadFile;

using Result = hozanki::test::ShellResult;

Result RunShell(const std::string& command) {
  return hozanki::test::RunShell(command + " 2>/dev/null");
}

Result Cli(const std::string& arguments) { return RunShell(std::string(HOZANKI_CLI) + " " + arguments); }

class CliRepair : public hozanki::test::CliConfigTest {};

TEST_F(CliRepair, DryRunReportsAndWritesNothing) {
  fs::path legacy = Copy("sjis_id3v2.mp3", "music/legacy.mp3");
  std::string before = ReadFile(legacy);
  Result r = Cli("repair --dry-run --json " + Quote(dir_ / "music"));
  EXPECT_EQ(r.status, 0);
  nlohmann::json j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j.size(), 3u);
  for (const auto& f : j) {
    EXPECT_EQ(f["verdict"], "legacy");
    EXPECT_EQ(f["source"], "Shift-JIS");
    EXPECT_EQ(f["tag"], "ID3v2");
    EXPECT_EQ(f["current"], f["proposed"]);
  }
  EXPECT_EQ(ReadFile(legacy), before);
}

TEST_F(CliRepair, RepairsGarbledAndLegacyValuesForOtherPrograms) {
  fs::path garbled = Copy("plain.mp3", "music/garbled.mp3");
  fs::path legacy = Copy("sjis_id3v2.mp3", "music/legacy.mp3");
  // 日本 saved by a program that read its Shift-JIS bytes as Windows-1252;
  // 東京 as UTF-8 bytes read the same way.
  ASSERT_EQ(Cli("set " + Quote(garbled) + " INAM_v2=" + Quote("“ú–{") + " IART_v2=" + Quote("æ\u009d±äº¬")).status, 0);
  Result text = Cli("repair " + Quote(dir_ / "music"));
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("garbled.mp3\tID3v2\tINAM\tgarbled\tShift-JIS\t“ú–{\t日本\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("\tIART\tgarbled\tUTF-8\t"), std::string::npos) << text.out;
  // A second run finds nothing.
  Result again = Cli("repair --json " + Quote(dir_ / "music"));
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(nlohmann::json::parse(again.out).size(), 0u);

  Result probe = RunShell("ffprobe -v error -show_entries format_tags=title,artist -of default=nw=1 " + Quote(garbled));
  if (probe.status == 0) {
    EXPECT_NE(probe.out.find("TAG:title=日本"), std::string::npos) << probe.out;
    EXPECT_NE(probe.out.find("TAG:artist=東京"), std::string::npos) << probe.out;
  }
  Result mutagen = RunShell("/usr/bin/python3 -c " +
                       Quote("import sys\nfrom mutagen.id3 import ID3\nt=ID3(sys.argv[1])\n"
                             "print(int(t['TIT2'].encoding), str(t['TIT2']), str(t['TPE1']))") +
                       " " + Quote(legacy));
  if (mutagen.status == 0) EXPECT_EQ(mutagen.out, "1 春よ、来い 松任谷由実\n");
}

TEST_F(CliRepair, UnreadableFileFailsOthersAreRepaired) {
  fs::path good = Copy("sjis_id3v2.mp3", "music/a.mp3");
  Copy("not_mpeg.mp3", "music/b.mp3");
  std::string before = ReadFile(good);
  Result r = Cli("repair " + Quote(dir_ / "music"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(ReadFile(good), before);
  EXPECT_EQ(Cli("repair " + Quote(dir_ / "missing")).status, 1);
  EXPECT_EQ(Cli("repair --bogus " + Quote(dir_)).status, 2);
  EXPECT_EQ(Cli("repair").status, 2);
}

}  // namespace
