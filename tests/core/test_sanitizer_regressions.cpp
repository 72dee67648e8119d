// Header fields that once reached undefined behaviour or read outside a
// buffer (found by the sanitizer build): each is read, and written on a
// temporary copy, and what others read back is checked.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "MediaTestSupport.h"
#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/AsfVideo.h"
#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/catalogue/formats/Id3v2Tag.h"
#include "core/catalogue/formats/VqfStructure.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

fs::path Repro(const std::string& name) {
  return fs::path(HOZANKI_TEST_DATA) / "repro" / name;
}

// What mutagen reads for `expression` (Python, `f` the mutagen.File of the
// file); "<no mutagen>" when it cannot run.
std::string MutagenRead(const fs::path& file, const std::string& expression) {
  std::string command = "/usr/bin/python3 -c 'import sys,mutagen; f=mutagen.File(sys.argv[1]); print(" +
                        expression + ")' '" + file.string() + "' 2>&1";
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    ::pclose(p);
  }
  if (out.find("No module named") != std::string::npos) return "<no mutagen>";
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

class SanitizerRepro : public test::TempDirTest {
 protected:
  fs::path Copy(const std::string& name) {
    fs::path target = dir_ / name;
    fs::copy_file(Repro(name), target);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    return target;
  }
};

// Written through the tag layer, read back by us and by mutagen.
struct WriteCase {
  const char* file;
  const char* name;      // value set
  const char* mutagen;   // mutagen's reading of it
  const char* kept;      // a value the save must keep ...
  const char* keptText;  // ... with this text
};

TEST_F(SanitizerRepro, DamagedHeaderFieldsReadAndWrite) {
  const WriteCase cases[] = {
      // COMM says encoding 0xFF, TIT2 encoding 7: read as code page 932
      // text, kept when another frame changes.
      {"id3v2_text_encoding_byte_ff.mp3", "IART_v2",
       "(lambda t: t.text[0].encode(\"latin-1\").decode(\"cp932\") if t.encoding == 0 else t.text[0])"
       "(f.tags[\"TPE1\"])",
       "ICMT_v2", "x"},
      // A header extension object of 24 bytes, the size of an object header.
      {"asf_header_extension_too_short.wma", "IART", "f.tags[\"Author\"][0]", "INAM", ""},
      // COMM gives 2^31 - 1 as the channel count.
      {"vqf_comm_channels_max.vqf", "IART", "", "INAM", ""},
  };
  const std::string value = "新しい値";
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.file);
    fs::path path = Copy(c.file);
    std::string error;
    auto file = OpenTagFile(path, &error);
    ASSERT_TRUE(file) << error;
    for (const char* name : {"TIME", "AFMT", "VFMT", "INAM", "INAM_v2", "ICMT_v2"}) file->GetValue(name);
    std::string kept = file->GetValue(c.kept);
    if (*c.keptText) EXPECT_EQ(kept, c.keptText);
    file->SetValue(c.name, value);
    const std::string before = test::ReadBytes(path);
    if (!file->Save(&error)) {  // refusing is fine, as long as nothing changed
      EXPECT_EQ(test::ReadBytes(path), before) << error;
      continue;
    }

    auto again = OpenTagFile(path, &error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->GetValue(c.name), value);
    EXPECT_EQ(again->GetValue(c.kept), kept);
    if (*c.mutagen) {
      std::string read = MutagenRead(path, c.mutagen);
      if (read != "<no mutagen>") EXPECT_EQ(read, value);
    }
  }
}

TEST_F(SanitizerRepro, BadEncodingFrameKeptAsItWasWhenAnotherChanges) {
  // TIT2 says encoding 7, COMM 0xFF. The title is replaced (and written in
  // an encoding that exists); the comment, untouched, keeps its bytes and
  // still reads as code page 932 text.
  fs::path path = Copy("id3v2_text_encoding_byte_ff.mp3");
  const std::string comm = "COMM" + std::string("\0\0\0\x06\0\0\xFF", 7) + "eng" + std::string("\0x", 2);
  ASSERT_NE(test::ReadBytes(path).find(comm), std::string::npos);
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->GetValue("INAM_v2"), "abc");
  file->SetValue("INAM_v2", "題名");
  ASSERT_TRUE(file->Save(nullptr));
  EXPECT_NE(test::ReadBytes(path).find(comm), std::string::npos);
  auto again = OpenTagFile(path);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetValue("INAM_v2"), "題名");
  EXPECT_EQ(again->GetValue("ICMT_v2"), "x");
  std::string title = MutagenRead(
      path,
      "(lambda t: t.text[0].encode(\"latin-1\").decode(\"cp932\") if t.encoding == 0 else t.text[0])"
      "(f.tags[\"TIT2\"])");
  if (title != "<no mutagen>") EXPECT_EQ(title, "題名");
}

std::string Syncsafe(size_t n) {
  return {char((n >> 21) & 0x7F), char((n >> 14) & 0x7F), char((n >> 7) & 0x7F), char(n & 0x7F)};
}

TEST(SanitizerRegressions, EncodingBytesOutsideTheFourEncodingsInEveryFrameLayout) {
  // Version 2.4 with a data length indicator, and version 2.3 with whole-tag
  // unsynchronisation (the comment's 0xFF byte is followed by a stuffed zero).
  std::string body24 = std::string("\0\0\0\x06\xFE", 5) + "eng" + std::string("\0y", 2);
  std::string tag24 = "COMM" + Syncsafe(body24.size()) + std::string("\x00\x01", 2) + body24;
  tag24 = "ID3" + std::string("\x04\x00\x00", 3) + Syncsafe(tag24.size()) + tag24;

  std::string body23 = std::string("\xFF\x00", 2) + std::string("eng\0z", 5);  // 0xFF, stuffing, ...
  std::string tag23 = "COMM" + std::string("\x00\x00\x00\x06\x00\x00", 6) + body23;
  tag23 = "ID3" + std::string("\x03\x00\x80", 3) + Syncsafe(tag23.size()) + tag23;

  for (const auto& [tag, text] : {std::pair{tag24, "y"}, std::pair{tag23, "z"}}) {
    auto parsed = Id3v2Tag::Parse(tag);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->TagLibValueForTest("ICMT"), text);
    parsed->Set("INAM", "t");
    auto back = Id3v2Tag::Parse(parsed->Render(3, false, -1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Get("ICMT"), text);
    EXPECT_EQ(back->Get("INAM"), "t");
  }
}

std::string CommChunk(uint32_t channels, uint32_t kbps, uint32_t rate) {
  std::string data;
  for (uint32_t v : {channels, kbps, rate}) PutBE32(data, v);
  std::string chunk = "COMM";
  PutBE32(chunk, static_cast<uint32_t>(data.size()));
  std::string header = "TWIN97012000";
  PutBE32(header, static_cast<uint32_t>(chunk.size() + data.size()));
  return header + chunk + data + "DATA";
}

TEST(SanitizerRegressions, VqfCommFieldsAtTheirLimits) {
  struct Case {
    uint32_t channels, kbps, rate;
    int wantChannels, wantKbps, wantRate;
  } cases[] = {
      {1, 48, 44, 2, 48, 44100},
      {63, 0, 22, 64, 0, 22050},
      {64, 1, 11, 0, 1, 11025},                       // 65 channels: not believed
      {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0, 0},  // signed limits
      {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0, 0},  // unsigned limits
      {0, 0x80000000, 2147484, 1, 0, 0},              // kHz whose Hz pass 2^31
      {0, 320, 96, 1, 320, 96000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.channels);
    VqfStructure vqf;
    ASSERT_TRUE(ParseVqf(CommChunk(c.channels, c.kbps, c.rate), vqf, nullptr));
    EXPECT_EQ(vqf.channels, c.wantChannels);
    EXPECT_EQ(vqf.kbps, c.wantKbps);
    EXPECT_EQ(vqf.sampleRate, c.wantRate);
  }
}

TEST(SanitizerRegressions, WholeSecondsOfAnyDouble) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double seconds;
    int64_t want;
  } cases[] = {{245.9, 245},
               {0, 0},
               {-3, 0},
               {std::nan(""), 0},
               {inf, 1'000'000'000'000'000},
               {1.8e19, 1'000'000'000'000'000}};
  for (const Case& c : cases) EXPECT_EQ(WholeSeconds(c.seconds), c.want) << c.seconds;
}

TEST_F(SanitizerRepro, AviHeaderFieldsAtTheirLimits) {
  // The video stream of an AVI file: a frame rate of 1 / (2^32 - 1) over
  // 2^32 - 1 frames (some 1.8e19 seconds, past what int64_t holds) and a
  // height of INT32_MIN (a top-down bitmap of a size no int can negate).
  fs::path path = dir_ / "limits.avi";
  fs::copy_file(fs::path(HOZANKI_TEST_DATA) / "avi" / "video_only.avi", path);
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  std::string bytes = test::ReadBytes(path);
  size_t strh = bytes.find("strh") + 8, strf = bytes.find("strf") + 8;
  ASSERT_EQ(bytes.substr(strh, 4), "vids");
  auto put = [&bytes](size_t at, uint32_t v) {
    std::string le;
    PutLE32(le, v);
    bytes.replace(at, 4, le);
  };
  put(strh + 20, 0xFFFFFFFF);  // scale
  put(strh + 24, 1);           // rate
  put(strh + 32, 0xFFFFFFFF);  // length in frames
  put(strf + 8, 0x80000000);   // height
  test::WriteBytes(path, bytes);
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  EXPECT_NE(file->GetValue("TIME").find("(1000000000000000sec)"), std::string::npos)
      << file->GetValue("TIME");
  EXPECT_NE(file->GetValue("VFMT").find("x2147483647"), std::string::npos) << file->GetValue("VFMT");
}

TEST(SanitizerRegressions, AsfHeaderExtensionShorterThanItsFields) {
  // The video file's header with a header extension object of 24 bytes (no
  // room for its own fields) added at the end, as in the damaged file.
  std::string header = test::ReadBytes(fs::path(HOZANKI_TEST_DATA) / "wma" / "video.wmv");
  header.resize(ReadLE(header, 16, 8));
  const AsfVideoInfo plain = ParseAsfHeader(header);
  ASSERT_TRUE(plain.hasVideo);
  std::string extension = test::ReadBytes(Repro("asf_header_extension_too_short.wma"));
  extension = extension.substr(ReadLE(extension, 16, 8) - 24, 24);
  ASSERT_EQ(ReadLE(extension, 16, 8), 24u);
  std::string damaged = header + extension;
  std::string size;
  for (int i = 0; i < 8; ++i) size.push_back(static_cast<char>((damaged.size() >> (8 * i)) & 0xFF));
  damaged.replace(16, 8, size);
  damaged[24] = static_cast<char>(damaged[24] + 1);  // one object more
  AsfVideoInfo info = ParseAsfHeader(damaged);
  EXPECT_EQ(info.codec, plain.codec);
  EXPECT_EQ(info.width, plain.width);
  EXPECT_EQ(info.height, plain.height);
  // Every cut, so that the short object also ends the buffer.
  for (size_t cut = header.size(); cut <= damaged.size(); ++cut) ParseAsfHeader(damaged.substr(0, cut));
}

}  // namespace
}  // namespace hozanki
