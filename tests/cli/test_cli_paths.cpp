// list --json paths that name exactly one file, also for names that are not
// UTF-8, and set reading them back.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "CliTestSupport.h"

namespace {

namespace fs = std::filesystem;

using hozanki::test::Quote;
using hozanki::test::ReadFile;
using hozanki::test::WriteFile;

using Result = hozanki::test::ShellResult;

class CliPaths : public hozanki::test::CliTempDirTest {
 protected:
  Result Run(const std::string& arguments) {
    const std::string command =
        "HOZANKI_CONFIG_DIR=" + Quote((dir_ / "config").string()) + " " + Quote(HOZANKI_CLI) + " " + arguments;
    return hozanki::test::RunShellWithErrors(command, dir_ / "err");
  }
  fs::path Media(const std::string& name) {
    fs::create_directories(dir_ / "m");
    fs::copy_file(fs::path(HOZANKI_TEST_DATA) / "mp3" / "plain.mp3", dir_ / "m" / name);
    return dir_ / "m" / name;
  }
  // The list --json entry of each file of the folder, by "path".
  std::map<std::string, nlohmann::json> Listed() {
    const Result r = Run("list --json " + Quote(dir_ / "m"));
    EXPECT_EQ(r.status, 0) << r.err;
    std::map<std::string, nlohmann::json> entries;
    for (const nlohmann::json& e : nlohmann::json::parse(r.out)) entries[e["path"]] = e;
    return entries;
  }
};

const std::string kSjisName = "\x83\x65\x83\x58\x83\x67.mp3";  // "テスト.mp3" in Shift-JIS

TEST_F(CliPaths, ShiftJisAndUtf8NamesGetTheirOwnPathAndSetEditsTheOneNamed) {
  const fs::path utf8 = Media("テスト.mp3");
  const fs::path sjis = Media(kSjisName);
  Media("a%82.mp3");  // valid UTF-8, shaped like an escape
  const std::string folder = (dir_ / "m").string() + "/";
  std::map<std::string, nlohmann::json> entries = Listed();
  ASSERT_EQ(entries.size(), 3u);
  const std::string sjisPath = folder + "%83e%83X%83g.mp3";
  const std::string lookalikePath = folder + "a%2582.mp3";
  ASSERT_TRUE(entries.count(utf8.string()));  // a UTF-8 name's path is the path as it is
  ASSERT_TRUE(entries.count(sjisPath));
  ASSERT_TRUE(entries.count(lookalikePath));
  // Both show as テスト.mp3, as in the window.
  EXPECT_EQ(entries[utf8.string()]["display"], folder + "テスト.mp3");
  EXPECT_EQ(entries[sjisPath]["display"], folder + "テスト.mp3");
  EXPECT_EQ(entries[lookalikePath]["display"], folder + "a%82.mp3");

  const std::string utf8Before = ReadFile(utf8);
  Result r = Run("set " + Quote(sjisPath) + " INAM_v2=シフトJIS");
  ASSERT_EQ(r.status, 0) << r.err;
  r = Run("set " + Quote(lookalikePath) + " INAM_v2=lookalike");
  ASSERT_EQ(r.status, 0) << r.err;
  entries = Listed();
  EXPECT_EQ(entries[sjisPath]["tags"]["ID3v2"]["INAM_v2"], "シフトJIS");
  EXPECT_EQ(entries[lookalikePath]["tags"]["ID3v2"]["INAM_v2"], "lookalike");
  EXPECT_EQ(ReadFile(utf8), utf8Before);
  // The raw bytes on the command line still work, and list takes the text too.
  ASSERT_EQ(Run("set " + Quote(sjis) + " INAM_v2=raw").status, 0);
  r = Run("list --json " + Quote(sjisPath));
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json one = nlohmann::json::parse(r.out);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0]["path"], sjisPath);
  EXPECT_EQ(one[0]["tags"]["ID3v2"]["INAM_v2"], "raw");
}

TEST_F(CliPaths, SetReportsEveryFailureOnStandardError) {
  // The literal text of a name shaped like an escape names another file: a hint.
  const fs::path lookalike = Media("b%82.mp3");
  Result r = Run("set " + Quote(lookalike) + " INAM_v2=x");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("b%2582.mp3"), std::string::npos) << r.err;
  // A file that cannot be read as media: exit status 1 and the reason.
  WriteFile(dir_ / "m" / "junk.mp3", "not audio at all");
  r = Run("set " + Quote(dir_ / "m" / "junk.mp3") + " INAM_v2=x");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("junk.mp3: "), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir_ / "m" / "junk.mp3"), "not audio at all");
}

}  // namespace
