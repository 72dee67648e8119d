#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "CliTestSupport.h"

namespace {

namespace fs = std::filesystem;

using Result = hozanki::test::ShellResult;

using hozanki::test::Quote;
using hozanki::test::ReadFile;
using hozanki::test::WriteFile;

// Runs hozanki-cli with a private settings folder; stdout only.
class CliListoutTest : public hozanki::test::CliTempDirTest {
 protected:
  void SetUp() override {
    CliTempDirTest::SetUp();
    fs::create_directories(dir_ / "media");
  }

  Result Run(const std::vector<std::string>& args) {
    std::string command =
        "HOZANKI_CONFIG_DIR=" + Quote((dir_ / "config").string()) + " " + Quote(HOZANKI_CLI);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " 2>" + Quote((dir_ / "stderr.txt").string());
    return hozanki::test::RunShell(command);
  }
  std::string Stderr() const { return ReadFile(dir_ / "stderr.txt"); }
};

TEST_F(CliListoutTest, TemplateImportThenExportRoundTrips) {
  const fs::path text = dir_ / "m3u.txt";
  WriteFile(text, "#EXTM3U\r\n%LOOP_START%\r\n%F_FULL%%F_FILE%\r\n%LOOP_END%\r\n");
  Result r = Run({"template", "import", text.string(), "--name", "M3U", "--ext", "m3u"});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_EQ(
      ReadFile(dir_ / "config" / "NR284Lst.dat"),
      "[Total]\r\nVersion=101\r\nCount=1\r\n[Lst0]\r\nTitle=M3U(m3u)\r\nCount=4\r\nItem-0=1100,#EXTM3U/\r\n"
      "Item-1=9108,/\r\nItem-2=9111,/\r\nItem-3=9100,/\r\n");
  r = Run({"template", "export", "M3U(m3u)"});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_EQ(r.out, "#EXTM3U\n%LOOP_START%\n%F_FULL%%F_FILE%\n%LOOP_END%\n");
  r = Run({"template", "export", "M3U(m3u)", "--output", (dir_ / "out.txt").string()});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_EQ(ReadFile(dir_ / "out.txt"), ReadFile(text));
  // A second import appends.
  ASSERT_EQ(Run({"template", "import", text.string(), "--name", "Again"}).status, 0);
  EXPECT_NE(ReadFile(dir_ / "config" / "NR284Lst.dat").find("[Lst1]\r\nTitle=Again\r\n"), std::string::npos);
}

TEST_F(CliListoutTest, TemplateUsageErrors) {
  EXPECT_EQ(Run({"template"}).status, 2);
  EXPECT_EQ(Run({"template", "export", "missing"}).status, 2);
  EXPECT_NE(Stderr().find("Templates:"), std::string::npos);
  EXPECT_EQ(Run({"template", "import", (dir_ / "t.txt").string()}).status, 2);  // no --name
  EXPECT_EQ(Run({"template", "import", (dir_ / "none.txt").string(), "--name", "x"}).status, 1);
  EXPECT_FALSE(fs::exists(dir_ / "config" / "NR284Lst.dat"));
  WriteFile(dir_ / "empty.txt", "");
  EXPECT_EQ(Run({"template", "import", (dir_ / "empty.txt").string(), "--name", "x"}).status, 1);
  EXPECT_NE(Stderr().find("リスト情報が未入力です"), std::string::npos);
}

const fs::path kData = HOZANKI_TEST_DATA;
// Title0 "AT": artist, " - ", title, extension; Title1 "URL": the ID3v2 URL.
const char* kRenamePatterns =
    "[MP3]\r\nCount=2\r\nTitle0=AT\r\nCount0=4\r\nItem0-0=110,/\r\nItem0-1=900, - /\r\nItem0-2=111,/\r\n"
    "Item0-3=103,/\r\nTitle1=URL\r\nCount1=1\r\nItem1-0=119,/\r\n"
    "[OGG]\r\nCount=1\r\nTitle0=AT\r\nCount0=3\r\nItem0-0=211,0,4/\r\nItem0-1=900,_/\r\nItem0-2=310,s/ "
    "/-/g/\r\n";

class CliRenameTest : public CliListoutTest {
 protected:
  void SetUp() override {
    CliListoutTest::SetUp();
    WriteFile(dir_ / "config" / "NR284Ren.dat", kRenamePatterns);
    fs::copy_file(kData / "mp3" / "utf16_id3v2.mp3", dir_ / "media" / "a.mp3");
    fs::copy_file(kData / "ogg" / "tagged.ogg", dir_ / "media" / "b.ogg");
  }
  std::string Media(const std::string& name) const { return (dir_ / "media" / name).string(); }
};

TEST_F(CliRenameTest, RenamesInOrderAndDryRunTouchesNothing) {
  const std::string mp3Name = "아이유 - Café 〜 ¥100.mp3";
  Result r = Run({"rename", "AT", "--dry-run", Media("a.mp3"), Media("b.ogg")});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_EQ(r.out, Media("a.mp3") + " -> " + mp3Name + "\n" + Media("b.ogg") + " -> Song_Artist-Name\n");
  EXPECT_TRUE(fs::exists(Media("a.mp3")));
  r = Run({"rename", "AT", Media("b.ogg"), Media("a.mp3")});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_TRUE(fs::exists(Media(mp3Name)));
  EXPECT_TRUE(fs::exists(Media("Song_Artist-Name")));  // the pattern adds no extension
  EXPECT_FALSE(fs::exists(Media("a.mp3")));
  // A name already taken is never overwritten.
  fs::copy_file(kData / "mp3" / "utf16_id3v2.mp3", Media("c.mp3"));
  r = Run({"rename", "AT", Media("c.mp3")});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(fs::exists(Media("c.mp3")));
  EXPECT_EQ(fs::file_size(Media(mp3Name)), fs::file_size(Media("c.mp3")));
}

TEST_F(CliRenameTest, CollisionsAreReportedByADryRunAndNeverRenamed) {
  const std::string mp3Name = "아이유 - Café 〜 ¥100.mp3";
  fs::copy_file(kData / "mp3" / "utf16_id3v2.mp3", Media("c.mp3"));  // the same tags as a.mp3
  const std::string conflict = ": 「" + mp3Name + "」と同じ名前になります";
  for (bool dryRun : {true, false}) {
    std::vector<std::string> args = {"rename", "AT", Media("a.mp3"), Media("c.mp3"), Media("b.ogg")};
    if (dryRun) args.insert(args.begin() + 2, "--dry-run");
    Result r = Run(args);
    EXPECT_EQ(r.status, 1) << dryRun;
    EXPECT_EQ(r.out, Media("b.ogg") + " -> Song_Artist-Name\n");
    EXPECT_EQ(Stderr(), "hozanki-cli rename: " + Media("a.mp3") + " -> " + mp3Name + conflict +
                            "\nhozanki-cli rename: " + Media("c.mp3") + " -> " + mp3Name + conflict + "\n");
    EXPECT_TRUE(fs::exists(Media("a.mp3")));
    EXPECT_TRUE(fs::exists(Media("c.mp3")));
    EXPECT_FALSE(fs::exists(Media(mp3Name)));
    // The file without a collision is renamed only for real.
    EXPECT_EQ(fs::exists(Media("Song_Artist-Name")), !dryRun);
  }
}

TEST_F(CliRenameTest, ExtProtectRefusalsAndUnknownTitles) {
  WriteFile(dir_ / "config" / "NR284.ini", "[Option]\r\nExtProtect=1\r\n");
  Result r = Run({"rename", "AT", "--dry-run", Media("b.ogg")});
  EXPECT_EQ(r.out, Media("b.ogg") + " -> Song_Artist-Name.ogg\n");
  r = Run({"rename", "URL", Media("a.mp3"), Media("b.ogg")});
  EXPECT_EQ(r.status, 1);
  // Failures and their reasons go to standard error, one line each.
  EXPECT_EQ(r.out, "");
  EXPECT_NE(Stderr().find("hozanki-cli rename: " + Media("a.mp3") + " -> http://example.com/.mp3: "),
            std::string::npos)
      << Stderr();
  EXPECT_NE(Stderr().find("hozanki-cli rename: " + Media("b.ogg") + ": no pattern \"URL\" for OGG\n"),
            std::string::npos)
      << Stderr();
  EXPECT_TRUE(fs::exists(Media("a.mp3")));
  EXPECT_TRUE(fs::exists(Media("b.ogg")));
  r = Run({"rename", "Nope", Media("a.mp3")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(Stderr().find("MP3: AT"), std::string::npos);
  EXPECT_NE(Stderr().find("OGG: AT"), std::string::npos);
  EXPECT_EQ(Run({"rename", "AT"}).status, 2);
  EXPECT_EQ(Run({"rename", "AT", Media("missing.mp3")}).status, 1);
}

class CliListTest : public CliRenameTest {
 protected:
  void SetUp() override {
    CliRenameTest::SetUp();
    WriteFile(
        dir_ / "t.txt",
        "#%S_COUNT% %S_SEC%\r\n%LOOP_START%\r\n%F_NUM% %F_PATH1%%F_FILE%\t%T_TIT[0,4]%|%T_ART(s/ /_/)%\r\n"
        "%LOOP_END%\r\n");
    EXPECT_EQ(Run({"template", "import", (dir_ / "t.txt").string(), "--name", "T", "--ext", "txt"}).status,
              0);
  }
};

TEST_F(CliListTest, WritesToStandardOutputAndFiles) {
  const std::string folder = (dir_ / "media").string() + "/";
  Result r = Run({"listout", "T(txt)", Media("b.ogg"), Media("a.mp3")});
  ASSERT_EQ(r.status, 0) << Stderr();
  // "é" is two bytes wide and is not cut in half by "0,4".
  const std::string lines = "1 " + folder + "b.ogg\tSong|Artist_Name\n2 " + folder + "a.mp3\tCaf|아이유\n";
  EXPECT_EQ(r.out.substr(r.out.find('\n') + 1), lines);
  EXPECT_EQ(r.out.substr(0, 3), "#2 ");
  r = Run({"listout", "T(txt)", "--base", (dir_ / "config").string(), Media("b.ogg")});
  EXPECT_NE(r.out.find("1 ../media/b.ogg\t"), std::string::npos) << r.out;

  // Shift-JIS cannot hold the Korean title: nothing is written.
  const fs::path out = dir_ / "list.txt";
  r = Run({"listout", "T(txt)", "--output", out.string(), Media("b.ogg"), Media("a.mp3")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(Stderr().find("line 3"), std::string::npos) << Stderr();
  EXPECT_FALSE(fs::exists(out));
  r = Run({"listout", "T(txt)", "--output", out.string(), Media("b.ogg")});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_EQ(ReadFile(out).find('\n'), ReadFile(out).find("\r\n") + 1);
  r = Run({"listout", "T(txt)", "--encoding", "utf16", "--output", out.string(), Media("a.mp3")});
  ASSERT_EQ(r.status, 0) << Stderr();
  const std::string utf16 = ReadFile(out);
  EXPECT_EQ(utf16.substr(0, 4), std::string("\xFF\xFE#\0", 4));
  EXPECT_EQ(utf16.substr(utf16.size() - 4), std::string("\r\0\n\0", 4));
  r = Run({"listout", "T(txt)", "--encoding", "utf8", "--output", out.string(), Media("a.mp3")});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_NE(ReadFile(out).find("\tCaf|아이유"), std::string::npos);
}

TEST_F(CliListTest, UnreadableFilesAndUsage) {
  WriteFile(dir_ / "media" / "junk.mp3", "not audio");
  Result r = Run({"listout", "T(txt)", Media("junk.mp3"), Media("b.ogg")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("1 " + (dir_ / "media").string() + "/b.ogg"), std::string::npos);
  EXPECT_NE(Stderr().find("junk.mp3"), std::string::npos);
  EXPECT_EQ(Run({"listout", "Nope", Media("b.ogg")}).status, 2);
  EXPECT_NE(Stderr().find("T(txt)"), std::string::npos);
  EXPECT_EQ(Run({"listout", "T(txt)", "--encoding", "latin1", Media("b.ogg")}).status, 2);
  // No files: only texts and totals.
  r = Run({"listout", "T(txt)"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "#0 0\n");
}

}  // namespace
