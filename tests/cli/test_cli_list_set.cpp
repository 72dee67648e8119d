#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "CliTestSupport.h"

namespace {

namespace fs = std::filesystem;

using Result = hozanki::test::ShellResult;

Result RunCli(const std::string& arguments) {
  return hozanki::test::RunShell(std::string(HOZANKI_CLI) + " " + arguments + " 2>/dev/null");
}

using hozanki::test::Quote;
using hozanki::test::ReadFile;

class CliMedia : public hozanki::test::CliConfigTest {};

TEST_F(CliMedia, ListJsonInLoaderOrderWithTagsAndStates) {
  Copy("sjis_id3v2.mp3", "music/b.mp3");
  Copy("rmp3.rmp", "music/A.rmp");
  Copy("plain.mp3", "music/sub/c.mp3");
  Copy("not_mpeg.mp3", "music/broken.mp3");
  std::ofstream(dir_ / "music" / "notes.txt") << "not media";
  Result r = RunCli("list --json " + Quote(dir_ / "music"));
  EXPECT_EQ(r.status, 0);
  nlohmann::json j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j.size(), 2u);  // no recursion; the broken file and the text file are skipped
  EXPECT_EQ(j[0]["name"], "A.rmp");
  EXPECT_EQ(j[1]["name"], "b.mp3");
  EXPECT_EQ(j[0]["format"], "MP3");
  EXPECT_EQ(j[0]["tags"]["RIFF"]["state"], 1);
  EXPECT_EQ(j[0]["tags"]["ID3v2"]["state"], 2);
  EXPECT_EQ(j[0]["tags"]["RIFF"]["INAM_rmp"], "リフのタイトル");
  EXPECT_EQ(j[1]["tags"]["ID3v2"]["IART_v2"], "松任谷由実");
  EXPECT_EQ(j[1]["size"], fs::file_size(dir_ / "music" / "b.mp3"));
  EXPECT_EQ(j[1]["seconds"], 1);
  EXPECT_EQ(j[1]["time"], "0:01");

  r = RunCli("list --json --recursive " + Quote(dir_ / "music"));
  j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j.size(), 3u);  // files before subfolders
  EXPECT_EQ(j[2]["name"], "c.mp3");

  r = RunCli("list " + Quote(dir_ / "music" / "b.mp3"));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("IART_v2 = 松任谷由実"), std::string::npos);

  r = RunCli("list " + Quote(dir_ / "music" / "b.mp3") + " " + Quote(dir_ / "missing"));
  EXPECT_EQ(r.status, 2);
}

TEST_F(CliMedia, SetWritesThroughTheSaveOperationAndKeepsTheTimeStamp) {
  fs::path file = Copy("sjis_id3v1.mp3", "a.mp3");
  struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  // ID3v2 is absent: naming one of its values creates it.
  Result r = RunCli("set " + Quote(file) + " IART_v2=歌手 INAM_v1=題名 --remove APE");
  ASSERT_EQ(r.status, 0);
  nlohmann::json j = nlohmann::json::parse(RunCli("list --json " + Quote(file)).out);
  EXPECT_EQ(j[0]["tags"]["ID3v2"]["IART_v2"], "歌手");
  EXPECT_EQ(j[0]["tags"]["ID3v1"]["INAM_v1"], "題名");
  EXPECT_EQ(j[0]["tags"]["ID3v1"]["IART_v1"], "由紀さおり");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1000000000);

  ASSERT_EQ(RunCli("set " + Quote(file) + " --remove ID3v1 --touch").status, 0);
  j = nlohmann::json::parse(RunCli("list --json " + Quote(file)).out);
  EXPECT_EQ(j[0]["tags"]["ID3v1"]["state"], 0);
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_GT(st.st_mtime, 1000000000);
}

TEST_F(CliMedia, SetRefusesBadRequestsAndLeavesTheFileUntouched) {
  fs::path file = Copy("sjis_id3v2.mp3", "a.mp3");
  std::string before = ReadFile(file);
  EXPECT_EQ(RunCli("set " + Quote(file) + " IART_rmp=x").status, 2);  // RIFF with ID3v2
  EXPECT_EQ(RunCli("set " + Quote(file) + " NOPE_v2=x").status, 2);
  EXPECT_EQ(RunCli("set " + Quote(file) + " IART_v1=é").status, 2);
  EXPECT_EQ(RunCli("set " + Quote(file) + " IART_v2=x --remove ID3v2").status, 2);
  EXPECT_EQ(RunCli("set " + Quote(dir_ / "missing.mp3") + " IART_v2=x").status, 2);
  EXPECT_EQ(ReadFile(file), before);
  // With ID3v2 removed the file can be RIFF-wrapped.
  EXPECT_EQ(RunCli("set " + Quote(file) + " IART_rmp=x --remove ID3v2").status, 0);
  nlohmann::json j = nlohmann::json::parse(RunCli("list --json " + Quote(file)).out);
  EXPECT_EQ(j[0]["tags"]["RIFF"]["IART_rmp"], "x");
  EXPECT_EQ(j[0]["RIFF_mark"], "SIF");
}

// MP4's number pairs: the whole cell as list shows it, or one half by its
// stored name, each half leaving the other as it was.
TEST_F(CliMedia, SetMp4NumberPairsWholeOrByHalf) {
  const fs::path file = Copy("../mp4/tagged.m4a", "a.m4a");
  struct Step {
    std::string arguments;
    std::string track, disc;
  };
  const Step steps[] = {
      {"TRACK=3/12 DISC=1/2", "3/12", "1/2"},
      {"TRACK1=4", "4/12", "1/2"},
      {"TRACK2=9 DISC1=2", "4/9", "2/2"},
      {"TRACK1=5 TRACK2=10", "5/10", "2/2"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.arguments);
    ASSERT_EQ(RunCli("set " + Quote(file) + " " + step.arguments).status, 0);
    const nlohmann::json j = nlohmann::json::parse(RunCli("list --json " + Quote(file)).out);
    EXPECT_EQ(j[0]["tags"]["MP4"]["TRACK"], step.track);
    EXPECT_EQ(j[0]["tags"]["MP4"]["DISC"], step.disc);
  }
  EXPECT_EQ(RunCli("set " + Quote(file) + " TRACK3=1").status, 2);
}

// FLAC through list and set: repeated comments shown joined, a set of
// another field leaving them, a value name of another format refused.
TEST_F(CliMedia, FlacListsJoinedRepeatsAndSetKeepsThem) {
  const fs::path file = Copy("../flac/tagged.flac", "a.flac");
  ASSERT_EQ(RunCli("set " + Quote(file) + " INAM=夜明け").status, 0);
  const nlohmann::json j = nlohmann::json::parse(RunCli("list --json " + Quote(file)).out);
  EXPECT_EQ(j[0]["format"], "FLAC");
  EXPECT_EQ(j[0]["tags"]["FLAC"]["INAM"], "夜明け");
  EXPECT_EQ(j[0]["tags"]["FLAC"]["IART"], "First Artist; Second Artist");
  EXPECT_EQ(RunCli("set " + Quote(file) + " INAM_v2=x").status, 2);
}

}  // namespace

namespace {

// The codecs the OGG and APE pages hold beside Vorbis and Monkey's Audio:
// listed from a folder by their extensions, set, and listed again.
TEST_F(CliMedia, OggAndApePagesListAndSetEveryCodec) {
  const std::pair<const char*, const char*> files[] = {
      {"../ogg/tagged.opus", "OGG"}, {"../ogg/tagged.spx", "OGG"}, {"../ogg/flac.oga", "OGG"},
      {"../ape/tagged.wv", "APE"},   {"../ape/tagged.mpc", "APE"}, {"../ape/tagged.tak", "APE"}};
  for (const auto& [fixture, format] : files) Copy(fixture, "music/" + fs::path(fixture).filename().string());
  nlohmann::json j = nlohmann::json::parse(RunCli("list --json " + Quote(dir_ / "music")).out);
  ASSERT_EQ(j.size(), std::size(files));
  for (const auto& [fixture, format] : files) {
    SCOPED_TRACE(fixture);
    const fs::path file = dir_ / "music" / fs::path(fixture).filename();
    ASSERT_EQ(RunCli("set " + Quote(file) + " INAM=夜明け TRACK=9").status, 0);
    const nlohmann::json e = nlohmann::json::parse(RunCli("list --json " + Quote(file)).out)[0];
    EXPECT_EQ(e["format"], format);
    EXPECT_EQ(e["tags"][format]["INAM"], "夜明け");
    EXPECT_EQ(e["tags"][format]["TRACK"], "9");
    EXPECT_FALSE(e["audio"].get<std::string>().empty());
  }
}

}  // namespace
