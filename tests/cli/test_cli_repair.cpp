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

// UTF-8 bytes in an ISO-8859-1 frame are labelled UTF-8; bytes that read
// about as well as ISO-8859-1 and as code page 932 are listed with the other
// reading and left as they are.
TEST_F(CliRepair, LabelsTheRealSourceAndListsCloseCallsWithoutWriting) {
  fs::path utf8 = Copy("plain.mp3", "music/utf8.mp3");
  fs::path v1 = Copy("plain.mp3", "music/v1.mp3");
  Result made = RunShell(
      "/usr/bin/python3 -c " +
      Quote("import sys\nfrom mutagen.id3 import ID3, TIT2\nt=ID3()\n"
            "t.add(TIT2(encoding=0,text='東京事変'.encode('utf-8').decode('latin-1')))\nt.save(sys.argv[1],v2_version=3)\n"
            "f=open(sys.argv[2],'ab')\nf.write(b'TAG'+b'\\xda\\xdb'.ljust(30,b'\\0')+b'\\0'*94+b'\\xff')\nf.close()\n") +
      " " + Quote(utf8) + " " + Quote(v1));
  if (made.status != 0) GTEST_SKIP() << "mutagen missing";
  const std::string v1Before = ReadFile(v1);
  Result r = Cli("repair --json " + Quote(dir_ / "music"));
  EXPECT_EQ(r.status, 0);
  nlohmann::json j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j.size(), 2u) << r.out;
  for (const auto& f : j) {
    if (f["file"].get<std::string>().find("utf8.mp3") != std::string::npos) {
      EXPECT_EQ(f["verdict"], "legacy");
      EXPECT_EQ(f["source"], "UTF-8");
      EXPECT_EQ(f["proposed"], "東京事変");
    } else {
      EXPECT_EQ(f["tag"], "ID3v1");
      EXPECT_EQ(f["verdict"], "ambiguous");
      EXPECT_EQ(f["source"], "ISO-8859-1");
      EXPECT_EQ(f["current"], "ﾚﾛ");
      EXPECT_EQ(f["proposed"], "ÚÛ");
    }
  }
  EXPECT_EQ(ReadFile(v1), v1Before);
  Result mutagen = RunShell("/usr/bin/python3 -c " +
                            Quote("import sys\nfrom mutagen.id3 import ID3\nt=ID3(sys.argv[1])\n"
                                  "print(int(t['TIT2'].encoding), str(t['TIT2']))") +
                            " " + Quote(utf8));
  EXPECT_EQ(mutagen.out, "1 東京事変\n");
}

// The ID3v2 tag of AIFF and DSF files: Shift-JIS in an ISO-8859-1 frame is
// found as MP3's is and written as Unicode in its chunk.
TEST_F(CliRepair, RepairsShiftJisInTheTagOfAiffAndDsfFiles) {
  for (const char* fixture : {"aiff/bare.aif", "dsf/bare.dsf"}) {
    SCOPED_TRACE(fixture);
    const fs::path file = dir_ / "music" / fs::path(fixture).filename();
    fs::create_directories(file.parent_path());
    fs::copy_file(fs::path(HOZANKI_TEST_DATA) / fixture, file, fs::copy_options::overwrite_existing);
    Result made = RunShell("/usr/bin/python3 -c " +
                           Quote("import sys, mutagen\nfrom mutagen.id3 import TIT2\nf=mutagen.File(sys.argv[1])\n"
                                 "f.add_tags()\nf.tags.add(TIT2(encoding=0,text='松任谷由実'.encode('cp932').decode('latin-1')))\n"
                                 "f.save(v2_version=3)\n") +
                           " " + Quote(file));
    if (made.status != 0) GTEST_SKIP() << "mutagen missing";
    Result r = Cli("repair --json " + Quote(file));
    EXPECT_EQ(r.status, 0);
    nlohmann::json j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 1u) << r.out;
    EXPECT_EQ(j[0]["verdict"], "legacy");
    EXPECT_EQ(j[0]["source"], "Shift-JIS");
    EXPECT_EQ(j[0]["proposed"], "松任谷由実");
    Result mutagen = RunShell("/usr/bin/python3 -c " +
                              Quote("import sys, mutagen\nt=mutagen.File(sys.argv[1]).tags\n"
                                    "print(int(t['TIT2'].encoding), str(t['TIT2']))") +
                              " " + Quote(file));
    EXPECT_EQ(mutagen.out, "1 松任谷由実\n");
    fs::remove(file);
  }
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
