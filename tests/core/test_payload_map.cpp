// The payload map: where each format's audio and video bytes lie, which
// damaged structures are refused before a write, and which written copies
// count as keeping the payload.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "FormatTestSupport.h"
#include "TempDirTestSupport.h"
#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/PayloadMap.h"

namespace hozanki {
namespace {

using namespace test;
namespace fs = std::filesystem;

bool WriteWholeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

class PayloadMapTest : public TempDirTest {
 protected:
  fs::path Copy(const std::string& fixture, const std::string& name = {}) {
    fs::path target = dir_ / (name.empty() ? fs::path(fixture).filename().string() : name);
    fs::copy_file(Fixture(fixture), target, fs::copy_options::overwrite_existing);
    return target;
  }
  // A copy of `fixture` whose bytes `edit` changed.
  fs::path Edited(const std::string& fixture, const std::function<void(std::string&)>& edit) {
    std::string bytes = FileBytes(Fixture(fixture));
    edit(bytes);
    fs::path target = dir_ / ("edited-" + fs::path(fixture).filename().string());
    EXPECT_TRUE(WriteWholeFile(target, bytes));
    return target;
  }
};

PayloadMap Map(FileType type, const fs::path& path) {
  PayloadMap map;
  std::string error;
  EXPECT_TRUE(MapPayload(type, path, map, &error)) << path << ": " << error;
  return map;
}

bool Same(const fs::path& before, const fs::path& after, FileType type, std::string* error = nullptr) {
  return SamePayload(before, Map(type, before), after, Map(type, after), error);
}

void PutLe(std::string& bytes, size_t at, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
void PutBe(std::string& bytes, size_t at, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>((value >> (8 * (width - 1 - i))) & 0xFF);
}
uint64_t GetLe(const std::string& bytes, size_t at, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

struct FixtureCase {
  const char* fixture;
  FileType type;
  const char* sibling;  // another fixture with the same payload bytes, or null
};

TEST_F(PayloadMapTest, EveryFixtureMapsInsideTheFileAndMatchesItsUntaggedTwin) {
  const FixtureCase cases[] = {
      {"mp3/plain.mp3", FileType::MP3, nullptr},
      {"mp3/apev1.mp3", FileType::MP3, "mp3/plain.mp3"},
      {"mp3/apev2_id3v1.mp3", FileType::MP3, "mp3/plain.mp3"},
      {"mp3/id3v1_v10.mp3", FileType::MP3, "mp3/plain.mp3"},
      {"mp3/id3v22.mp3", FileType::MP3, "mp3/plain.mp3"},
      {"mp3/sjis_id3v2.mp3", FileType::MP3, "mp3/plain.mp3"},
      {"mp3/unsync_id3v23.mp3", FileType::MP3, "mp3/plain.mp3"},
      {"mp3/utf16_id3v2.mp3", FileType::MP3, "mp3/plain.mp3"},
      {"mp3/utf8_id3v24.mp3", FileType::MP3, "mp3/plain.mp3"},
      {"mp3/rmp3.rmp", FileType::MP3, "mp3/plain.mp3"},
      {"repro/rmp3_id3v1_after_riff_form.rmp", FileType::MP3, "mp3/plain.mp3"},
      {"wav/tagged.wav", FileType::WAV, "wav/plain.wav"},
      {"wav/cp932_info.wav", FileType::WAV, "wav/plain.wav"},
      {"wav/isbj_only.wav", FileType::WAV, "wav/plain.wav"},
      {"avi/tagged.avi", FileType::AVI, nullptr},
      {"avi/video_only.avi", FileType::AVI, nullptr},
      {"avi/avix.avi", FileType::AVI, nullptr},
      {"avi/info_at_end.avi", FileType::AVI, nullptr},
      {"avi/no_junk.avi", FileType::AVI, nullptr},
      {"vqf/tagged.vqf", FileType::VQF, "vqf/plain.vqf"},
      {"vqf/cp932.vqf", FileType::VQF, "vqf/plain.vqf"},
      {"repro/vqf_comm_channels_max.vqf", FileType::VQF, "vqf/plain.vqf"},
      {"wma/tagged.wma", FileType::WMA, nullptr},
      {"wma/video.wmv", FileType::WMA, nullptr},
      {"ogg/tagged.ogg", FileType::OGG, nullptr},
      {"ogg/description_only.ogg", FileType::OGG, nullptr},
      {"ogg/opus.ogg", FileType::OGG, nullptr},
      {"payload/pages.ogg", FileType::OGG, nullptr},
      {"ape/tagged.ape", FileType::APE, "ape/plain.ape"},
      {"ogg/tagged.opus", FileType::OGG, nullptr},
      {"ogg/tagged.spx", FileType::OGG, nullptr},
      {"ogg/flac.oga", FileType::OGG, nullptr},
      {"ape/tagged.wv", FileType::APE, nullptr},
      {"ape/tagged.mpc", FileType::APE, nullptr},
      {"ape/tagged.tak", FileType::APE, "ape/plain.tak"},
      {"mp4/track_total_only.m4a", FileType::MP4, "mp4/tagged.m4a"},
      {"mp4/video.mp4", FileType::MP4, nullptr},
      {"payload/moov_first.m4a", FileType::MP4, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    PayloadMap map = Map(c.type, Fixture(c.fixture));
    uint64_t size = fs::file_size(Fixture(c.fixture)), pos = 0, total = 0;
    ASSERT_FALSE(map.ranges.empty());
    for (const ByteRange& r : map.ranges) {
      EXPECT_GE(r.offset, pos);
      EXPECT_LE(r.offset + r.length, size);
      pos = r.offset + r.length;
      total += r.length;
    }
    EXPECT_GT(total, 0u);
    EXPECT_LE(total, size);
    if (c.sibling) {
      std::string error;
      EXPECT_TRUE(Same(Fixture(c.sibling), Fixture(c.fixture), c.type, &error)) << error;
    }
  }
}

TEST_F(PayloadMapTest, TagsAreNotPayload) {
  // The ID3v1 tag after an RMP3 form, the APE and ID3v1 tags at the end of an
  // MP3, the INFO list and JUNK of an AVI file lie outside every range.
  struct Case {
    const char* fixture;
    FileType type;
    const char* mark;  // bytes of a tag
  } cases[] = {
      {"repro/rmp3_id3v1_after_riff_form.rmp", FileType::MP3, "TAG"},
      {"mp3/apev2_id3v1.mp3", FileType::MP3, "APETAGEX"},
      {"mp3/apev2_id3v1.mp3", FileType::MP3, "TAG"},
      {"avi/tagged.avi", FileType::AVI, "INFO"},
      {"avi/tagged.avi", FileType::AVI, "JUNK"},
      {"ape/tagged.ape", FileType::APE, "APETAGEX"},
      {"ape/tagged.wv", FileType::APE, "APETAGEX"},
      {"ape/tagged.mpc", FileType::APE, "APETAGEX"},
      {"ape/tagged.tak", FileType::APE, "APETAGEX"},
      // The comment packets of the Ogg codecs.
      {"ogg/tagged.opus", FileType::OGG, "OpusTags"},
      {"ogg/tagged.spx", FileType::OGG, "Lavc libspeex"},
      {"ogg/flac.oga", FileType::OGG, "Lavc flac"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " " + c.mark);
    std::string bytes = FileBytes(Fixture(c.fixture));
    size_t at = bytes.rfind(c.mark);
    ASSERT_NE(at, std::string::npos);
    for (const ByteRange& r : Map(c.type, Fixture(c.fixture)).ranges)
      EXPECT_FALSE(at >= r.offset && at < r.offset + r.length) << "at " << at;
  }
}

struct FaultCase {
  const char* fixture;
  FileType type;
  const char* reason;  // part of the error text
};

TEST_F(PayloadMapTest, DamagedStructuresAreRefused) {
  const FaultCase cases[] = {
      {"repro/asf_header_size_too_small.wma", FileType::WMA, "smaller than the header"},
      {"repro/asf_header_extension_too_short.wma", FileType::WMA, "header extension"},
      {"repro/mp4_stco_count_past_box.mp4", FileType::MP4, "entry count"},
      {"repro/mp4_fragmented.mp4", FileType::MP4, "fragmented"},
      {"mp3/truncated_id3v2.mp3", FileType::MP3, "ID3v2 tag runs past the end"},
      {"mp3/max_id3v2_size.mp3", FileType::MP3, "ID3v2 tag runs past the end"},
      {"mp3/huge_id3v2_size.mp3", FileType::MP3, "ID3v2 header"},
      {"mp3/riff_size_past_end.rmp", FileType::MP3, "\"data\" chunk runs past the end"},
      {"mp3/not_mpeg.mp3", FileType::MP3, "not an MPEG"},
      {"wav/huge_chunk_size.wav", FileType::WAV, "runs past the end"},
      {"wav/truncated.wav", FileType::WAV, "runs past the end"},
      {"avi/huge_chunk_size.avi", FileType::AVI, "header list"},
      {"vqf/huge_chunk_size.vqf", FileType::VQF, "chunk runs past the header"},
      {"vqf/truncated.vqf", FileType::VQF, "header runs past the end"},
      {"ogg/truncated.ogg", FileType::OGG, "page runs past the end"},
      {"mp4/truncated.m4a", FileType::MP4, "runs past the end of the file"},
      {"wav/tagged.wav", FileType::MP4, "box runs past"},  // never by the name: a WAV is no MP4
      {"mp3/zero_length.mp3", FileType::MP3, "empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    PayloadMap map;
    std::string error;
    EXPECT_FALSE(MapPayload(c.type, Fixture(c.fixture), map, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

struct EditCase {
  const char* name;
  const char* fixture;
  FileType type;
  std::function<void(std::string&)> edit;
  const char* reason;  // null: the edited file must still map
};

size_t Find(const std::string& bytes, std::string_view what, size_t from = 0) {
  size_t at = bytes.find(what, from);
  EXPECT_NE(at, std::string::npos) << what;
  return at == std::string::npos ? 0 : at;
}

// Offset of the n-th Ogg page (from 0).
size_t OggPage(const std::string& bytes, int n) {
  size_t at = 0;
  for (int i = 0; i < n; ++i) at = Find(bytes, "OggS", at + 1);
  return at;
}

TEST_F(PayloadMapTest, HandMadeFaultsAreRefusedAndToleratedOddsAreNot) {
  const EditCase cases[] = {
      {"ASF header size between the objects and the file size", "wma/tagged.wma", FileType::WMA,
       [](std::string& b) { PutLe(b, 16, 2000, 8); }, "does not match the objects"},
      {"ASF header size 2^64-1", "wma/tagged.wma", FileType::WMA,
       [](std::string& b) { PutLe(b, 16, ~0ull, 8); }, "past the end"},
      {"ASF header object count one too many", "wma/tagged.wma", FileType::WMA,
       [](std::string& b) { PutLe(b, 24, GetLe(b, 24, 4) + 1, 4); }, "damaged ASF header"},
      {"ASF header followed by no data object", "wma/tagged.wma", FileType::WMA,
       [](std::string& b) { b[GetLe(b, 16, 8)] ^= 1; }, "no data object"},
      {"ASF title length past its content description object", "wma/tagged.wma", FileType::WMA,
       [](std::string& b) {
         size_t at = Find(b, std::string("\x33\x26\xB2\x75\x8E\x66\xCF\x11", 8)) + 24;
         PutLe(b, at, GetLe(b, at, 2) + 2, 2);
       },
       "lengths in a tag object"},
      {"ASF extended content description with one descriptor too many", "wma/tagged.wma", FileType::WMA,
       [](std::string& b) {
         size_t at = Find(b, std::string("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11", 8)) + 24;
         PutLe(b, at, GetLe(b, at, 2) + 1, 2);
       },
       "lengths in a tag object"},
      {"WAV RIFF size zero", "wav/plain.wav", FileType::WAV, [](std::string& b) { PutLe(b, 4, 0, 4); },
       "RIFF size"},
      {"WAV garbage after the last chunk", "wav/plain.wav", FileType::WAV,
       [](std::string& b) { b += std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8); },
       "damaged chunk header"},
      {"WAV RIFF size counting the whole file", "wav/plain.wav", FileType::WAV,
       [](std::string& b) { PutLe(b, 4, b.size(), 4); }, nullptr},
      {"WAV RIFF size of a stream never finished", "wav/plain.wav", FileType::WAV,
       [](std::string& b) { PutLe(b, 4, 0xFFFFFFFF, 4); }, nullptr},
      {"WAV RIFF size short of a chunk appended later", "wav/tagged.wav", FileType::WAV,
       [](std::string& b) { PutLe(b, 4, GetLe(b, 4, 4) - 40, 4); }, nullptr},
      {"Ogg page without its capture pattern", "payload/pages.ogg", FileType::OGG,
       [](std::string& b) { b[OggPage(b, 3)] = 'X'; }, "no page at byte"},
      {"Ogg last page's segment table past the end", "payload/pages.ogg", FileType::OGG,
       [](std::string& b) { b[OggPage(b, 4) + 27] = '\xFF'; }, "runs past the end"},
      {"Ogg without its setup header", "ogg/tagged.ogg", FileType::OGG,
       [](std::string& b) { b[Find(b, "\x05vorbis")] = 7; }, "header packet"},
      {"Ogg Opus without its comment header", "ogg/tagged.opus", FileType::OGG,
       [](std::string& b) { b[Find(b, "OpusTags")] = 'X'; }, "header packet"},
      {"Ogg Speex counting more extra headers than it has", "ogg/tagged.spx", FileType::OGG,
       [](std::string& b) { b[Find(b, "Speex   ") + 68] = 1; }, "audio does not start on a page"},
      {"Ogg Speex with an absurd count of extra headers", "ogg/tagged.spx", FileType::OGG,
       [](std::string& b) { PutLe(b, Find(b, "Speex   ") + 68, 1u << 30, 4); }, "extra headers"},
      {"Ogg FLAC that does not count its metadata packets", "ogg/flac.oga", FileType::OGG,
       [](std::string& b) { PutBe(b, Find(b, "\177FLAC") + 7, 0, 2); }, "does not count"},
      {"Ogg FLAC counting an audio frame as metadata", "ogg/flac.oga", FileType::OGG,
       [](std::string& b) { PutBe(b, Find(b, "\177FLAC") + 7, 2, 2); }, "header packet"},
      {"WavPack without its magic", "ape/tagged.wv", FileType::APE, [](std::string& b) { b[0] = 'W'; },
       "not a Monkey's Audio, WavPack, TAK or Musepack"},
      {"MP4 track box larger than the movie", "mp4/video.mp4", FileType::MP4,
       [](std::string& b) { PutBe(b, Find(b, "trak") - 4, 0x100000, 4); }, "runs past its parent \"moov\""},
      {"MP4 tag value larger than its item", "mp4/tagged.m4a", FileType::MP4,
       [](std::string& b) { PutBe(b, Find(b, "data", Find(b, "ilst")) - 4, 0x10000, 4); },
       "runs past its parent"},
      {"MP4 chunk offset outside the media data", "mp4/video.mp4", FileType::MP4,
       [](std::string& b) { PutBe(b, Find(b, "stco") + 12, 8, 4); }, "outside the media data"},
      {"MP4 movie extends box", "mp4/tagged.m4a", FileType::MP4,
       [](std::string& b) { b.replace(Find(b, "udta"), 4, "mvex"); }, "fragmented"},
      {"APE tag size past the start of the file", "ape/tagged.ape", FileType::APE,
       [](std::string& b) { PutLe(b, b.size() - 32 + 12, 1u << 20, 4); }, "damaged APE tag"},
      {"VQF header size past the end", "vqf/plain.vqf", FileType::VQF,
       [](std::string& b) { PutBe(b, 12, b.size(), 4); }, "header runs past the end"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path edited = Edited(c.fixture, c.edit);
    PayloadMap map;
    std::string error;
    bool mapped = MapPayload(c.type, edited, map, &error);
    if (c.reason) {
      EXPECT_FALSE(mapped);
      EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    } else {
      EXPECT_TRUE(mapped) << error;
      EXPECT_TRUE(Same(Fixture(c.fixture), edited, c.type, &error)) << error;
    }
  }
}

// One payload byte flipped in each range of each format: caught.
TEST_F(PayloadMapTest, AFlippedPayloadByteIsCaught) {
  const std::pair<const char*, FileType> cases[] = {
      {"mp3/sjis_id3v2.mp3", FileType::MP3}, {"mp3/rmp3.rmp", FileType::MP3},
      {"wav/tagged.wav", FileType::WAV},     {"avi/tagged.avi", FileType::AVI},
      {"vqf/tagged.vqf", FileType::VQF},     {"wma/video.wmv", FileType::WMA},
      {"ogg/opus.ogg", FileType::OGG},       {"payload/pages.ogg", FileType::OGG},
      {"ape/tagged.ape", FileType::APE},     {"mp4/video.mp4", FileType::MP4},
      {"ogg/tagged.spx", FileType::OGG},     {"ogg/flac.oga", FileType::OGG},
      {"ape/tagged.wv", FileType::APE},      {"ape/tagged.tak", FileType::APE},
  };
  for (const auto& [fixture, type] : cases) {
    PayloadMap original = Map(type, Fixture(fixture));
    for (size_t i = 0; i < original.ranges.size(); ++i) {
      SCOPED_TRACE(std::string(fixture) + " range " + std::to_string(i));
      const ByteRange& r = original.ranges[i];
      fs::path flipped = Edited(fixture, [&](std::string& b) { b[r.offset + r.length * 2 / 3] ^= 0x10; });
      PayloadMap map;
      std::string error;
      if (MapPayload(type, flipped, map, &error))
        EXPECT_FALSE(SamePayload(Fixture(fixture), original, flipped, map, &error));
      EXPECT_FALSE(error.empty());
    }
  }
}

// The payload is compared a block at a time: a difference at either edge of
// a block, or in the last byte of the payload, counts as much as any other.
TEST_F(PayloadMapTest, ADifferenceAtABlockEdgeIsCaught) {
  constexpr size_t kBlock = 1u << 20, kData = 2 * kBlock + 37;
  std::string pcm(kData, '\0');
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<char>(i * 7 + (i >> 11));
  auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  const std::string fmt = std::string("\x01\x00\x02\x00", 4) + le32(44100) + le32(44100 * 4) +
                          std::string("\x04\x00\x10\x00", 4);
  const std::string head = "WAVEfmt " + le32(16) + fmt + "data" + le32(kData);
  auto wav = [&](const std::string& data) { return "RIFF" + le32(static_cast<uint32_t>(head.size() + kData)) + head + data; };
  const fs::path original = dir_ / "original.wav";
  ASSERT_TRUE(WriteWholeFile(original, wav(pcm)));
  ASSERT_TRUE(Same(original, original, FileType::WAV));
  for (size_t at : {size_t{0}, kBlock - 1, kBlock, 2 * kBlock - 1, kData - 1}) {
    SCOPED_TRACE("payload byte " + std::to_string(at));
    std::string changed = pcm;
    changed[at] ^= 0x01;
    const fs::path copy = dir_ / "changed.wav";
    ASSERT_TRUE(WriteWholeFile(copy, wav(changed)));
    std::string error;
    EXPECT_FALSE(Same(original, copy, FileType::WAV, &error));
    EXPECT_NE(error.find(std::to_string(head.size() + 8 + at)), std::string::npos) << error;
  }
}

struct WriteCase {
  const char* fixture;
  FileType type;
  const char* name;  // value written
};

std::string LongText(size_t n) {
  std::string text;
  while (text.size() < n) text += "テスト";
  return text;
}

// Our writers (and TagLib behind them) growing a tag keep the payload.
TEST_F(PayloadMapTest, AGrownTagKeepsThePayload) {
  const WriteCase cases[] = {
      {"mp3/sjis_id3v2.mp3", FileType::MP3, "INAM_v2"},  {"mp3/apev2_id3v1.mp3", FileType::MP3, "INAM_APE"},
      {"mp3/id3v1_v10.mp3", FileType::MP3, "INAM_v1"},   {"mp3/rmp3.rmp", FileType::MP3, "INAM_rmp"},
      {"wav/tagged.wav", FileType::WAV, "INAM"},         {"wav/plain.wav", FileType::WAV, "INAM"},
      {"avi/tagged.avi", FileType::AVI, "INAM"},         {"vqf/tagged.vqf", FileType::VQF, "INAM"},
      {"wma/tagged.wma", FileType::WMA, "INAM"},         {"wma/video.wmv", FileType::WMA, "INAM"},
      {"ogg/tagged.ogg", FileType::OGG, "INAM"},         {"ogg/opus.ogg", FileType::OGG, "INAM"},
      {"payload/pages.ogg", FileType::OGG, "INAM"},      {"ape/tagged.ape", FileType::APE, "INAM"},
      {"mp4/tagged.m4a", FileType::MP4, "INAM"},         {"mp4/video.mp4", FileType::MP4, "INAM"},
      {"payload/moov_first.m4a", FileType::MP4, "INAM"},
      {"ogg/tagged.opus", FileType::OGG, "INAM"},        {"ogg/tagged.spx", FileType::OGG, "INAM"},
      {"ogg/flac.oga", FileType::OGG, "INAM"},           {"ape/tagged.wv", FileType::APE, "INAM"},
      {"ape/tagged.mpc", FileType::APE, "INAM"},         {"ape/plain.tak", FileType::APE, "INAM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    fs::path copy = Copy(c.fixture);
    std::string text = LongText(c.type == FileType::AVI ? 30 : c.type == FileType::MP3 ? 300 : 3000);
    if (std::string(c.name) == "INAM_v1") text = "テスト";
    std::string error;
    auto file = OpenTagFile(copy, &error);
    ASSERT_TRUE(file) << error;
    file->SetValue(c.name, text);
    ASSERT_TRUE(file->Save(&error)) << error;
    ASSERT_NE(FileBytes(copy), FileBytes(Fixture(c.fixture)));
    EXPECT_TRUE(Same(Fixture(c.fixture), copy, c.type, &error)) << error;
  }
}

TEST_F(PayloadMapTest, WrappingAnMp3InRiffAndBackKeepsItsStream) {
  fs::path copy = Copy("mp3/id3v1_v10.mp3");
  std::string error;
  auto file = OpenTagFile(copy, &error);
  ASSERT_TRUE(file) << error;
  ASSERT_TRUE(file->CreateTag(Mp3Tag::RIFF, &error)) << error;
  PayloadMap wrapped = Map(FileType::MP3, copy);
  EXPECT_EQ(wrapped.variant, "RMP3");
  EXPECT_TRUE(Same(Fixture("mp3/id3v1_v10.mp3"), copy, FileType::MP3, &error)) << error;
  ASSERT_TRUE(file->RemoveTag(Mp3Tag::RIFF, &error)) << error;
  EXPECT_EQ(Map(FileType::MP3, copy).variant, "MPEG");
  EXPECT_TRUE(Same(Fixture("mp3/id3v1_v10.mp3"), copy, FileType::MP3, &error)) << error;
}

// A comment that grows across page boundaries: TagLib renumbers the audio
// pages and recomputes their checksums; nothing else may change.
TEST_F(PayloadMapTest, RenumberedOggPagesKeepThePayloadOnlyWithValidChecksums) {
  fs::path copy = Copy("payload/pages.ogg");
  std::string error;
  auto file = OpenTagFile(copy, &error);
  ASSERT_TRUE(file) << error;
  file->SetValue("INAM", LongText(70000));  // more than one page can hold
  ASSERT_TRUE(file->Save(&error)) << error;
  PayloadMap a = Map(FileType::OGG, Fixture("payload/pages.ogg")), b = Map(FileType::OGG, copy);
  std::string before = FileBytes(Fixture("payload/pages.ogg")), after = FileBytes(copy);
  ASSERT_EQ(a.ranges.size(), b.ranges.size());
  ASSERT_NE(GetLe(before, a.ranges[0].offset + 18, 4), GetLe(after, b.ranges[0].offset + 18, 4))
      << "the comment did not take more pages";
  EXPECT_TRUE(SamePayload(Fixture("payload/pages.ogg"), a, copy, b, &error)) << error;

  // The same pages with a stale checksum, or one page numbered apart.
  auto check = [&](const std::function<void(std::string&)>& edit, const char* reason) {
    std::string bytes = after;
    edit(bytes);
    fs::path broken = dir_ / "broken.ogg";
    ASSERT_TRUE(WriteWholeFile(broken, bytes));
    PayloadMap m = Map(FileType::OGG, broken);
    EXPECT_FALSE(SamePayload(Fixture("payload/pages.ogg"), a, broken, m, &error));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  };
  size_t last = b.ranges.back().offset;
  check([&](std::string& s) { s[last + 22] ^= 1; }, "checksum");
  check([&](std::string& s) { PutLe(s, last + 18, GetLe(s, last + 18, 4) + 1, 4); }, "misnumbered");
  check([&](std::string& s) { s[last + 6] ^= 1; }, "differs");  // granule position
}

TEST_F(PayloadMapTest, Mp4ChunkOffsetsMustMoveWithTheMediaData) {
  fs::path copy = Copy("payload/moov_first.m4a");
  std::string error;
  auto file = OpenTagFile(copy, &error);
  ASSERT_TRUE(file) << error;
  file->SetValue("INAM", LongText(3000));
  ASSERT_TRUE(file->Save(&error)) << error;
  PayloadMap a = Map(FileType::MP4, Fixture("payload/moov_first.m4a")), b = Map(FileType::MP4, copy);
  ASSERT_GT(b.mdatDataStart, a.mdatDataStart) << "the movie box did not grow in front of the media data";
  ASSERT_FALSE(a.chunkOffsets.empty());
  EXPECT_TRUE(SamePayload(Fixture("payload/moov_first.m4a"), a, copy, b, &error)) << error;

  // The written file with its chunk offsets left as they were (they then
  // point in front of the media data) or moved by the wrong amount.
  for (int64_t wrong : {int64_t(0), int64_t(b.mdatDataStart - a.mdatDataStart + 4)}) {
    SCOPED_TRACE(wrong);
    std::string bytes = FileBytes(copy);
    size_t stco = Find(bytes, "stco");
    for (size_t i = 0; i < a.chunkOffsets.size(); ++i)
      PutBe(bytes, stco + 12 + 4 * i, a.chunkOffsets[i] + wrong, 4);
    fs::path stale = dir_ / "stale.m4a";
    ASSERT_TRUE(WriteWholeFile(stale, bytes));
    PayloadMap m;
    if (MapPayload(FileType::MP4, stale, m, &error)) {
      EXPECT_FALSE(SamePayload(Fixture("payload/moov_first.m4a"), a, stale, m, &error));
      EXPECT_NE(error.find("chunk offsets"), std::string::npos) << error;
    } else {
      EXPECT_NE(error.find("outside the media data"), std::string::npos) << error;
    }
  }
}

TEST_F(PayloadMapTest, AviDataMustStayInPlace) {
  // Two more bytes of JUNK: the same payload bytes, two bytes further on.
  fs::path moved = Edited("avi/tagged.avi", [](std::string& b) {
    size_t junk = Find(b, "JUNK", Find(b, "INFO"));
    PutLe(b, junk + 4, GetLe(b, junk + 4, 4) + 2, 4);
    b.insert(junk + 8, 2, '\0');
    PutLe(b, 4, GetLe(b, 4, 4) + 2, 4);
  });
  std::string error;
  EXPECT_FALSE(Same(Fixture("avi/tagged.avi"), moved, FileType::AVI, &error));
  EXPECT_NE(error.find("in place"), std::string::npos) << error;
}

TEST_F(PayloadMapTest, OtherKindsOfFileAreNotTheSame) {
  std::string error;
  PayloadMap vorbis = Map(FileType::OGG, Fixture("ogg/tagged.ogg")),
             opus = Map(FileType::OGG, Fixture("ogg/opus.ogg"));
  EXPECT_FALSE(SamePayload(Fixture("ogg/tagged.ogg"), vorbis, Fixture("ogg/opus.ogg"), opus, &error));
  // A TAK stream is no Monkey's Audio stream, whatever the bytes after it.
  PayloadMap tak = Map(FileType::APE, Fixture("ape/plain.tak"));
  PayloadMap mac = Map(FileType::APE, Fixture("ape/plain.ape"));
  EXPECT_FALSE(SamePayload(Fixture("ape/plain.tak"), tak, Fixture("ape/plain.ape"), mac, &error));
  EXPECT_NE(error.find("same kind"), std::string::npos) << error;
  PayloadMap mp3 = Map(FileType::MP3, Fixture("mp3/plain.mp3"));
  PayloadMap ape = Map(FileType::APE, Fixture("ape/plain.ape"));
  EXPECT_FALSE(SamePayload(Fixture("mp3/plain.mp3"), mp3, Fixture("ape/plain.ape"), ape, &error));
  EXPECT_NE(error.find("same kind"), std::string::npos) << error;
}

}  // namespace
}  // namespace hozanki
