// Reading and writing WAV, AVI, VQF, WMA, OGG, APE and MP4 files through the
// tag library layer, checked against the fixtures and against ffprobe.
#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

#include "FormatTestSupport.h"
#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

using namespace test;
namespace fs = std::filesystem;

std::unique_ptr<TagFile> Open(const fs::path& p) {
  std::string error;
  auto file = OpenTagFile(p, &error);
  EXPECT_TRUE(file) << p << ": " << error;
  return file;
}

struct Expected {
  const char* fixture;
  FileType type;
  std::map<std::string, std::string> values;
};

TEST(OtherFormatsRead, FilesWrittenByOtherToolsShowTheirValues) {
  const std::vector<Expected> cases = {
      {"wav/tagged.wav",
       FileType::WAV,
       {{"IART", "Artist Name"},
        {"INAM", "Song Title"},
        {"IPRD", "Album Name"},
        {"ICRD", "2001"},
        {"IGNR", "Rock"},
        {"ICMT", "A comment"}}},
      {"avi/tagged.avi", FileType::AVI, {{"IART", "Avi Artist"}, {"INAM", "Avi Title"}}},
      {"ogg/tagged.ogg",
       FileType::OGG,
       {{"IART", "Artist Name"},
        {"INAM", "Song Title"},
        {"IPRD", "Album Name"},
        {"TRACK", "7"},
        {"ICRD", "2001"},
        {"IGNR", "Rock"},
        {"ICMT", "A comment"}}},
      {"ogg/description_only.ogg", FileType::OGG, {{"ICMT", "Only a description"}}},
      {"ogg/opus.ogg", FileType::OGG, {{"INAM", "Opus Title"}}},
      // Opus, Speex and FLAC in Ogg, WavPack, Musepack and TAK: the same seven
      // cells as Vorbis and Monkey's Audio (ffmpeg writes WavPack's year as
      // "date", which is no APE "Year").
      {"ogg/tagged.opus", FileType::OGG, {{"IART", "Artist Name"}, {"TRACK", "7"}, {"ICMT", "A comment"}}},
      {"ogg/tagged.spx", FileType::OGG, {{"INAM", "Song Title"}, {"ICRD", "2001"}, {"ICMT", "A comment"}}},
      {"ogg/flac.oga", FileType::OGG, {{"IPRD", "Album Name"}, {"IGNR", "Rock"}, {"ICMT", "A comment"}}},
      {"ape/tagged.wv", FileType::APE, {{"INAM", "Song Title"}, {"TRACK", "7"}, {"ICRD", ""}}},
      {"ape/tagged.mpc",
       FileType::APE,
       {{"INAM", "ミューズパック"}, {"ICRD", "2008"}, {"ICMT", "Mpc comment"}}},
      {"ape/tagged.tak",
       FileType::APE,
       {{"IART", "Tak Artist"},
        {"INAM", "タイトル"},
        {"IPRD", "Tak Album"},
        {"TRACK", "6"},
        {"ICRD", "2012"},
        {"IGNR", "Folk"},
        {"ICMT", "Tak comment"}}},
      {"ape/plain.tak", FileType::APE, {{"INAM", ""}, {"ICMT", ""}}},
      {"mp4/tagged.m4a",
       FileType::MP4,
       {{"IART", "Artist Name"},
        {"INAM", "Song Title"},
        {"IPRD", "Album Name"},
        {"TRACK1", "3"},
        {"TRACK2", "12"},
        {"DISC1", "1"},
        {"DISC2", "2"},
        {"ICRD", "2001"},
        {"IGNR", "Rock"},
        {"ICMT", "A comment"},
        {"COMPOSER", "Composer"}}},
      {"mp4/track_total_only.m4a", FileType::MP4, {{"TRACK1", ""}, {"TRACK2", "12"}}},
      {"wma/tagged.wma",
       FileType::WMA,
       {{"IART", "Artist Name"},
        {"INAM", "Song Title"},
        {"IPRD", "Album Name"},
        {"TRACK", "5"},
        {"IGNR", "Rock"},
        {"ICMT", "A comment"}}},
      {"ape/tagged.ape",
       FileType::APE,
       {{"IART", "Ape Artist"},
        {"INAM", "タイトル"},
        {"IPRD", "Ape Album"},
        {"TRACK", "4"},
        {"ICRD", "1999"},
        {"IGNR", "Jazz"},
        {"ICMT", "Ape comment"}}},
      {"vqf/tagged.vqf",
       FileType::VQF,
       {{"IART", "Vqf Author"},
        {"INAM", "Vqf Title"},
        {"FILE", "original.wav"},
        {"ICOP", "Vqf Copyright"},
        {"ICMT", "Vqf comment"}}},
      {"wav/isbj_only.wav", FileType::WAV, {{"INAM", ""}, {"ISBJ", "Subject Title"}, {"IART", "Artist"}}},
      {"avi/isbj_only.avi", FileType::AVI, {{"INAM", ""}, {"ISBJ", "Subject Only"}}},
      {"wav/cp932_info.wav", FileType::WAV, {{"INAM", "日本語のタイトル"}, {"IART", "ｱｰﾃｨｽﾄ"}}},
      {"avi/cp932_info.avi", FileType::AVI, {{"INAM", "動画のタイトル"}, {"ICMT", "コメント"}}},
      {"vqf/cp932.vqf", FileType::VQF, {{"INAM", "ブイキューエフ"}, {"IART", "作者"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    auto file = Open(Fixture(c.fixture));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Type(), c.type);
    for (const auto& [name, value] : c.values) EXPECT_EQ(file->GetValue(name), value) << name;
  }
}

TEST(OtherFormatsRead, TimeAndFormatTexts) {
  const std::regex time(R"(\d+:\d\d \(\d+sec\))");
  for (const char* f : {"wav/tagged.wav", "avi/tagged.avi", "vqf/tagged.vqf", "wma/video.wmv",
                        "ogg/tagged.ogg", "ape/tagged.ape", "mp4/video.mp4"}) {
    SCOPED_TRACE(f);
    auto file = Open(Fixture(f));
    ASSERT_TRUE(file);
    EXPECT_TRUE(std::regex_match(file->GetValue("TIME"), time)) << file->GetValue("TIME");
    EXPECT_FALSE(file->GetValue("AFMT").empty());
  }
  // Hand-made files whose headers claim whole seconds: 3 frames at 1 fps,
  // 2,500 bytes at 20 kbit/s.
  EXPECT_EQ(Open(Fixture("avi/cp932_info.avi"))->GetValue("TIME"), "0:03 (3sec)");
  EXPECT_EQ(Open(Fixture("avi/cp932_info.avi"))->GetValue("VFMT"), "MJPG, 32x24, 1fps");
  EXPECT_EQ(Open(Fixture("vqf/tagged.vqf"))->GetValue("TIME"), "0:01 (1sec)");
  EXPECT_EQ(Open(Fixture("vqf/tagged.vqf"))->GetValue("AFMT"), "TwinVQ, 20kbps, 22050Hz, 1ch");

  // The codec of each stream the OGG and APE pages hold; TAK's header is our
  // own reading, its duration as ffprobe gives it.
  const std::pair<const char*, const char*> codecs[] = {
      {"ogg/tagged.opus", "Opus, "},
      {"ogg/tagged.spx", "Speex, "},
      {"ogg/flac.oga", "FLAC, 8000Hz, 16bit, 1ch"},
      {"ape/tagged.wv", "WavPack, "},
      {"ape/tagged.mpc", "Musepack SV8, "},
      {"ape/tagged.tak", "TAK, 10kbps, 44100Hz, 16bit, 2ch"}};
  for (const auto& [fixture, codec] : codecs)
    EXPECT_EQ(Open(Fixture(fixture))->GetValue("AFMT").rfind(codec, 0), 0u) << fixture;
  EXPECT_EQ(Open(Fixture("ape/tagged.tak"))->GetValue("TIME"), "0:03 (3sec)");
  EXPECT_EQ(RunCommand("ffprobe -v quiet -show_entries format=duration -of csv=p=0 " +
                       Quote(Fixture("ape/tagged.tak"))),
            "3.000000\n");

  // Video formats and the MP4 audio text, against ffprobe's view.
  EXPECT_EQ(Open(Fixture("mp4/video.mp4"))->GetValue("VFMT"), "H.264, 32x24, 10fps");
  EXPECT_EQ(Open(Fixture("wma/video.wmv"))->GetValue("VFMT").substr(0, 12), "WMV2, 32x24");
  EXPECT_EQ(Open(Fixture("avi/tagged.avi"))->GetValue("VFMT"), "MJPG, 32x24, 10fps");
  EXPECT_TRUE(Open(Fixture("wma/tagged.wma"))->GetValue("VFMT").empty());
  std::smatch m;
  std::string afmt = Open(Fixture("mp4/tagged.m4a"))->GetValue("AFMT");
  ASSERT_TRUE(std::regex_match(afmt, m, std::regex(R"(AAC, (\d+\.\d{3})sec, \d+kbps, 8000Hz, 1ch)"))) << afmt;
  double probed =
      std::stod(RunCommand("ffprobe -v error -select_streams a -show_entries stream=duration -of csv=p=0 " +
                           Quote(Fixture("mp4/tagged.m4a"))));
  EXPECT_NEAR(std::stod(m[1]), probed, 0.05);
}

TEST(OtherFormatsRead, Mp4ChannelsComeFromTheAacConfiguration) {
  // ffmpeg leaves the sample entry's channel count at its template value 2
  // for mono AAC (TagLib reports that); the decoder configuration holds 1.
  auto path = Fixture("mp4/tagged.m4a");
  std::string bytes = FileBytes(path);
  size_t entry = bytes.find("mp4a");
  ASSERT_NE(entry, std::string::npos);
  ASSERT_EQ(bytes.substr(entry + 20, 2), std::string("\0\x02", 2));
  ASSERT_EQ(RunCommand("ffprobe -v error -show_entries stream=channels -of csv=p=0 " + Quote(path)), "1\n");
  EXPECT_NE(Open(path)->GetValue("AFMT").find(", 1ch"), std::string::npos);
}

TEST(OtherFormatsRead, TimeTextShape) {
  // Minutes are not wrapped into hours; the bracket holds the whole seconds.
  EXPECT_EQ(TimeText(245), "4:05 (245sec)");
  EXPECT_EQ(TimeText(0), "0:00 (0sec)");
  EXPECT_EQ(TimeText(3725), "62:05 (3725sec)");
  EXPECT_EQ(TimeText(-3), "0:00 (0sec)");
}

TEST(OtherFormatsRead, BrokenFilesAreRejectedCleanly) {
  int seen = 0;
  for (const auto& folder : fs::directory_iterator(Fixture(""))) {
    if (!folder.is_directory()) continue;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
      std::string name = entry.path().filename().string();
      if (name.rfind("truncated", 0) && name.rfind("zero_length", 0) && name.rfind("huge_chunk_size", 0) &&
          name.rfind("not_", 0))
        continue;
      if (TypeFromExtension(entry.path()) == FileType::MP3) continue;
      // A truncated Ogg or ASF file keeps whole header packets: it may be
      // listed. Everything else must be refused with a reason.
      std::string error;
      auto file = OpenTagFile(entry.path(), &error);
      bool mayOpen = name == "truncated.ogg" || name == "truncated.wma";
      if (!mayOpen) EXPECT_FALSE(file) << name;
      if (!file) EXPECT_FALSE(error.empty()) << name;
      ++seen;
    }
  }
  EXPECT_GE(seen, 15);
}

TEST(OtherFormatsRead, ExtensionMustMatchTheBytes) {
  for (const char* ext : {".avi", ".vqf", ".wma", ".ogg", ".ape", ".mp4"}) {
    auto copy = TempCopy("wav/tagged.wav", std::string("disguised") + ext);
    std::string error;
    EXPECT_FALSE(OpenTagFile(copy, &error)) << ext;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_TRUE(Open(TempCopy("wav/tagged.wav", "UPPER.WAV")));
}

TEST(OtherFormatsRead, FilesCanBeReadOnSeveralThreadsAtOnce) {
  std::vector<std::string> names = {"wav/cp932_info.wav", "avi/cp932_info.avi", "vqf/cp932.vqf",
                                    "wma/tagged.wma",     "ogg/tagged.ogg",     "ape/tagged.ape",
                                    "mp4/tagged.m4a"};
  std::map<std::string, std::string> expected;
  for (const auto& n : names) expected[n] = Open(Fixture(n))->GetValue("INAM");
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int round = 0; round < 20; ++round)
        for (const auto& n : names) {
          auto file = OpenTagFile(Fixture(n));
          if (!file || file->GetValue("INAM") != expected[n]) ++mismatches;
        }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace hozanki
