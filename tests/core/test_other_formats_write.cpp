// Writing WAV, AVI, VQF, WMA, OGG, APE and MP4 values: read back by this
// layer and by ffprobe, with the audio and video data unchanged.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>

#include "FormatTestSupport.h"
#include "core/common/FormatRegistry.h"
#include "core/catalogue/TagFile.h"

namespace hozanki {
namespace {

using namespace test;
namespace fs = std::filesystem;

// The value names a format's table writes (MP4 pairs as their two halves).
std::vector<std::string> WritableNames(TagKind kind) {
  std::vector<std::string> names;
  for (auto n : ValueNamesOf(kind)) {
    const ValueNameRule* rule = ValueRuleOf(kind, n);
    if (rule && rule->quirk == ValueQuirk::Pair) {
      names.insert(names.end(), {std::string(rule->first), std::string(rule->second)});
    } else {
      names.emplace_back(n);
    }
  }
  return names;
}

bool IsNumeric(const std::string& name) {
  return name.rfind("TRACK", 0) == 0 || name.rfind("DISC", 0) == 0 || name == "BPM" || name == "COMPILATION";
}

// Bytes of the payload for formats ffmpeg cannot demux from our fixtures.
std::string AfterMarker(const fs::path& p, const std::string& marker) {
  std::string bytes = FileBytes(p);
  size_t at = bytes.find(marker);
  return at == std::string::npos ? std::string() : bytes.substr(at + marker.size());
}
std::string BeforeMarker(const fs::path& p, const std::string& marker) {
  std::string bytes = FileBytes(p);
  return bytes.substr(0, bytes.find(marker));
}

struct FormatCase {
  const char* fixture;
  TagKind kind;
  std::function<std::string(const fs::path&)> payload;
  std::map<std::string, std::string> probeKeys;  // value name -> ffprobe tag key
};

std::vector<FormatCase> Cases() {
  auto streams = [](const fs::path& p) { return StreamHash(p); };
  std::map<std::string, std::string> riff = {{"IART", "artist"},    {"INAM", "title"}, {"ICMT", "comment"},
                                             {"ICOP", "copyright"}, {"IGNR", "genre"}, {"ICRD", "date"}};
  auto wav = riff;
  wav["IPRD"] = "album";
  // The packets as they are and the audio as decoded.
  auto decoded = [](const fs::path& p) {
    return StreamHash(p) + RunCommand("ffmpeg -v error -i " + Quote(p) + " -map 0:a -f md5 - 2>/dev/null");
  };
  std::map<std::string, std::string> vorbis = {{"IART", "artist"}, {"INAM", "title"}, {"IPRD", "album"},
                                               {"TRACK", "track"}, {"ICRD", "date"},  {"IGNR", "genre"},
                                               {"ICMT", "comment"}};
  std::map<std::string, std::string> ape = vorbis;
  ape["ICRD"] = "year";
  return {
      {"wav/tagged.wav", TagKind::WAV, streams, wav},
      {"avi/tagged.avi", TagKind::AVI,
       [](const fs::path& p) { return StreamHash(p) + AfterMarker(p, "movi"); }, riff},
      {"vqf/tagged.vqf",
       TagKind::VQF,
       [](const fs::path& p) { return AfterMarker(p, "DATA"); },
       {{"IART", "author"},
        {"INAM", "title"},
        {"ICMT", "comment"},
        {"ICOP", "copyright"},
        {"FILE", "filename"}}},
      {"wma/video.wmv",
       TagKind::WMA,
       streams,
       {{"IART", "artist"},
        {"INAM", "title"},
        {"IPRD", "album"},
        {"TRACK", "track"},
        {"ICRD", "wm/year"},
        {"IGNR", "genre"},
        {"ICMT", "comment"},
        {"ICOP", "copyright"}}},
      {"ogg/tagged.ogg",
       TagKind::OGG,
       streams,
       {{"IART", "artist"},
        {"INAM", "title"},
        {"IPRD", "album"},
        {"TRACK", "track"},
        {"ICRD", "date"},
        {"IGNR", "genre"},
        {"ICMT", "comment"}}},
      {"ogg/opus.ogg", TagKind::OGG, streams, {{"INAM", "title"}, {"ICMT", "comment"}}},
      {"ogg/tagged.opus", TagKind::OGG, decoded, vorbis},
      {"ogg/tagged.spx", TagKind::OGG, decoded, vorbis},
      {"ogg/flac.oga", TagKind::OGG, decoded, vorbis},
      {"ape/tagged.wv", TagKind::APE, decoded, ape},
      {"ape/tagged.mpc", TagKind::APE, decoded, ape},
      // No decoder takes the hand-made TAK frames: their bytes instead.
      {"ape/tagged.tak", TagKind::APE, [](const fs::path& p) { return BeforeMarker(p, "APETAGEX"); }, ape},
      {"ape/tagged.ape",
       TagKind::APE,
       [](const fs::path& p) { return BeforeMarker(p, "APETAGEX"); },
       {{"IART", "artist"},
        {"INAM", "title"},
        {"IPRD", "album"},
        {"TRACK", "track"},
        {"ICRD", "year"},
        {"IGNR", "genre"},
        {"ICMT", "comment"}}},
      {"mp4/video.mp4",
       TagKind::MP4,
       streams,
       {{"IART", "artist"},
        {"INAM", "title"},
        {"IPRD", "album"},
        {"ICRD", "date"},
        {"IGNR", "genre"},
        {"ICMT", "comment"},
        {"IGRP", "grouping"},
        {"COMPOSER", "composer"},
        {"TOOL", "encoder"}}},
  };
}

// Sets every writable value, saves and reads the file again.
std::unique_ptr<TagFile> WriteAll(const fs::path& p, TagKind kind,
                                  const std::function<std::string(const std::string&)>& text) {
  std::string error;
  auto file = OpenTagFile(p, &error);
  EXPECT_TRUE(file) << error;
  if (!file) return nullptr;
  for (const auto& name : WritableNames(kind)) file->SetValue(name, text(name));
  EXPECT_TRUE(file->Save(&error)) << error;
  return OpenTagFile(p, &error);
}

TEST(OtherFormatsWrite, EveryValueRoundTripsAndOtherProgramsReadIt) {
  for (const auto& c : Cases()) {
    SCOPED_TRACE(c.fixture);
    auto path = TempCopy(c.fixture);
    std::string payload = c.payload(path);
    ASSERT_FALSE(payload.empty());

    // Plain ASCII first, so that ffprobe's view can be compared as text.
    auto ascii = [](const std::string& name) {
      if (IsNumeric(name)) return std::string(name == "COMPILATION" ? "1" : "7");
      return "Value of " + name;
    };
    auto file = WriteAll(path, c.kind, ascii);
    ASSERT_TRUE(file);
    for (const auto& name : WritableNames(c.kind)) EXPECT_EQ(file->GetValue(name), ascii(name)) << name;
    auto probed = ProbeTags(path);
    for (const auto& [name, key] : c.probeKeys) EXPECT_EQ(probed[key], ascii(name)) << name << " as " << key;
    if (c.kind == TagKind::MP4) {
      EXPECT_EQ(probed["track"], "7/7");
      EXPECT_EQ(probed["disc"], "7/7");
    }
    EXPECT_EQ(c.payload(path), payload);

    // Japanese text, and text that code page 932 cannot hold.
    auto japanese = [](const std::string& name) {
      if (IsNumeric(name)) return std::string(name == "COMPILATION" ? "1" : "12");
      return name == "ICMT" ? std::string("Café 한국어 〜") : "日本語の" + name + "ｶﾅ";
    };
    file = WriteAll(path, c.kind, japanese);
    ASSERT_TRUE(file);
    for (const auto& name : WritableNames(c.kind)) EXPECT_EQ(file->GetValue(name), japanese(name)) << name;
    EXPECT_EQ(c.payload(path), payload);

    // An unchecked row empties every value.
    file = WriteAll(path, c.kind, [](const std::string&) { return std::string(); });
    ASSERT_TRUE(file);
    for (const auto& name : WritableNames(c.kind)) EXPECT_EQ(file->GetValue(name), "") << name;
    EXPECT_EQ(c.payload(path), payload);
    EXPECT_FALSE(fs::exists(path.string() + ".tmp~"));
  }
}

TEST(OtherFormatsWrite, LegacyTextIsCodePage932WhenItFits) {
  for (const char* f : {"wav/plain.wav", "avi/isbj_only.avi", "vqf/plain.vqf"}) {
    SCOPED_TRACE(f);
    auto path = TempCopy(f);
    auto file = OpenTagFile(path);
    ASSERT_TRUE(file);
    file->SetValue("INAM", "日本語");
    file->SetValue("IART", "é");
    ASSERT_TRUE(file->Save(nullptr));
    std::string bytes = FileBytes(path);
    EXPECT_NE(bytes.find("\x93\xFA\x96\x7B\x8C\xEA"), std::string::npos);  // 日本語 in code page 932
    EXPECT_NE(bytes.find("\xC3\xA9"), std::string::npos);                  // é as UTF-8
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF"), std::string::npos);              // without a byte-order mark
    EXPECT_EQ(file->GetValue("IART"), "é");
  }
}

TEST(OtherFormatsWrite, Mp4PairsKeepTheirHalves) {
  auto path = TempCopy("mp4/tagged.m4a");
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  file->SetValue("TRACK1", "");
  file->SetValue("TRACK2", "5");
  file->SetValue("DISC1", "2");
  file->SetValue("DISC2", "");
  ASSERT_TRUE(file->Save(nullptr));
  EXPECT_EQ(file->GetValue("TRACK1"), "");
  EXPECT_EQ(file->GetValue("TRACK2"), "5");
  EXPECT_EQ(file->GetValue("DISC1"), "2");
  EXPECT_EQ(file->GetValue("DISC2"), "");
  EXPECT_EQ(ProbeTags(path)["track"], "0/5");
  // mutagen (Debian's python3-mutagen) sees the same halves.
  EXPECT_EQ(RunCommand("/usr/bin/python3 -c 'import sys; from mutagen.mp4 import MP4; t = MP4(sys.argv[1]); "
                       "print(t[\"trkn\"], t[\"disk\"])' " +
                       Quote(path)),
            "[(0, 5)] [(2, 0)]\n");

  // A pair half that is not a number is refused and the file stays as it was.
  std::string before = FileBytes(path);
  file->SetValue("TRACK1", "three");
  std::string error;
  EXPECT_FALSE(file->Save(&error));
  EXPECT_NE(error.find("TRACK1"), std::string::npos);
  EXPECT_EQ(FileBytes(path), before);
}

TEST(OtherFormatsWrite, OggCommentReplacesADescriptionItWasReadFrom) {
  auto path = TempCopy("ogg/description_only.ogg");
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  file->SetValue("ICMT", "");
  ASSERT_TRUE(file->Save(nullptr));
  EXPECT_EQ(file->GetValue("ICMT"), "");  // not the old DESCRIPTION showing through
  EXPECT_EQ(ProbeTags(path).count("description"), 0u);
}

// FLAC in Ogg ends its metadata blocks with a flag on the last one, here
// the comment block: a stream written without it has flac and GStreamer
// read the first audio frame as one more block.
TEST(OtherFormatsWrite, OggFlacKeepsTheFlagThatEndsItsMetadata) {
  auto path = TempCopy("ogg/flac.oga");
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  file->SetValue("INAM", "夜に駆ける " + std::string(300, 'x'));
  ASSERT_TRUE(file->Save(nullptr));
  EXPECT_EQ(RunCommand("flac -t -s " + Quote(path) + " >/dev/null 2>&1; echo $?"), "0\n");
}

TEST(OtherFormatsWrite, UnchangedValuesLeaveTheFileAlone) {
  auto path = TempCopy("wma/tagged.wma");
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  auto before = fs::last_write_time(path);
  std::string bytes = FileBytes(path);
  for (const auto& name : WritableNames(TagKind::WMA)) file->SetValue(name, file->GetValue(name));
  ASSERT_TRUE(file->Save(nullptr));
  EXPECT_EQ(FileBytes(path), bytes);
  EXPECT_EQ(fs::last_write_time(path), before);
}

TEST(OtherFormatsWrite, SavingKeepsPermissionsLinksAndRefusesReadOnlyFiles) {
  auto path = TempCopy("ogg/tagged.ogg");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  auto link = path.parent_path() / "link.ogg";
  fs::create_symlink(path.filename(), link);
  auto file = OpenTagFile(link);
  ASSERT_TRUE(file);
  file->SetValue("INAM", "Through a link");
  std::string error;
  ASSERT_TRUE(file->Save(&error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(OpenTagFile(path)->GetValue("INAM"), "Through a link");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  if (::geteuid() != 0) {  // root may write anything
    fs::permissions(path, fs::perms::owner_read);
    std::string before = FileBytes(path);
    file = OpenTagFile(path);
    file->SetValue("INAM", "Not written");
    EXPECT_FALSE(file->Save(&error));
    EXPECT_EQ(FileBytes(path), before);
  }
}

}  // namespace
}  // namespace hozanki
