#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "MediaTestSupport.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/ParallelReader.h"
#include "core/catalogue/TagFile.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

using test::Mp3Fixture;
using test::MediaTempDir;

std::optional<MediaFileEntry> ReadFixture(const std::string& name) {
  return ReadMediaFile(Mp3Fixture(name).parent_path(), name);
}

std::vector<std::string> Values(const TagRow& row) {
  std::vector<std::string> out;
  for (size_t i = 1; i < row.cells.size(); ++i) out.push_back(row.cells[i].text);
  return out;
}

TEST(Mp3Reading, Id3v11AndId3v23TickBothAndGreyRiff) {
  auto e = ReadFixture("sjis_id3v2.mp3");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->format, MediaFormat::MP3);
  EXPECT_EQ(e->file.cells[0].text, "sjis_id3v2.mp3");
  EXPECT_EQ(e->file.cells[4].text, "v1.1");
  EXPECT_EQ(e->file.cells[5].text, "v2.3");
  EXPECT_EQ(e->file.cells[6].text, "");
  EXPECT_EQ(e->file.cells[7].text, "");
  EXPECT_EQ(e->tags[0].state, kChecked);
  EXPECT_EQ(e->tags[1].state, kChecked);
  EXPECT_EQ(e->tags[2].state, kUnavailable);
  EXPECT_EQ(e->tags[3].state, kUnchecked);
  EXPECT_EQ(Values(e->tags[0]), (std::vector<std::string>{"由紀さおり", "夜明けのスキャット", "アルバム", "7",
                                                          "1969", "Rock", "コメント"}));
  // ISO-8859-1 frames carrying code page 932; "(13)" read through the genre table.
  EXPECT_EQ(Values(e->tags[1]),
            (std::vector<std::string>{"松任谷由実", "春よ、来い", "THE DANCING SUN", "3", "1994", "Pop",
                                      "日本語のコメント", "", "", "", "", "", "", "", "", "", "", "", "", ""}));
  EXPECT_EQ(e->tags[1].cells[0].text, "sjis_id3v2.mp3");
}

TEST(Mp3Reading, RiffWrappedShowsSifTicksRiffGreysId3v2AndApe) {
  auto e = ReadFixture("rmp3.rmp");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->file.cells[6].text, "SIF");
  EXPECT_EQ(e->file.cells[4].text, "v1.1");  // ID3v1 at the end of the data chunk
  EXPECT_EQ(e->tags[2].state, kChecked);
  EXPECT_EQ(e->tags[1].state, kUnavailable);
  EXPECT_EQ(e->tags[3].state, kUnavailable);
  EXPECT_EQ(e->tags[2].cells[1].text, "リフの歌手");
  EXPECT_EQ(e->tags[2].cells[2].text, "リフのタイトル");
  EXPECT_EQ(e->tags[2].cells[6].text, "riff comment");
  EXPECT_EQ(e->file.cells[3].text, "0:01");
  EXPECT_EQ(e->file.cells[3].value, 1);
}

TEST(Mp3Reading, VersionsOfEveryKind) {
  struct Case {
    const char* file;
    uint32_t mask;
  } cases[] = {
      {"id3v1_v10.mp3", kMaskID3v1 | kMaskID3v1_0},
      {"id3v22.mp3", kMaskID3v2 | kMaskID3v2_2},
      {"unsync_id3v23.mp3", kMaskID3v2 | kMaskID3v2_3},
      {"utf8_id3v24.mp3", kMaskID3v2 | kMaskID3v2_4},
      {"apev1.mp3", kMaskAPEv1},
      {"apev2_id3v1.mp3", kMaskAPEv2 | kMaskID3v1 | kMaskID3v1_1},
      {"plain.mp3", 0},
      {"riff_size_past_end.rmp", kMaskRIFF},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TagFile> f = OpenTagFile(Mp3Fixture(c.file));
    ASSERT_TRUE(f) << c.file;
    EXPECT_EQ(f->TagMask(), c.mask) << c.file;
  }
  auto apev1 = ReadFixture("apev1.mp3");
  ASSERT_TRUE(apev1);
  EXPECT_EQ(apev1->file.cells[7].text, "v1");
  EXPECT_EQ(apev1->tags[3].cells[2].text, "エーピーイー");  // code page 932 in a version 1 tag
  EXPECT_EQ(apev1->tags[2].state, kUnavailable);
  auto v22 = ReadFixture("id3v22.mp3");
  EXPECT_EQ(v22->file.cells[5].text, "v2.2");
  EXPECT_EQ(v22->tags[1].cells[1].text, "中島みゆき");
  EXPECT_EQ(v22->tags[1].cells[7].text, "v2.2 comment");
}

TEST(Mp3Reading, UnicodeFramesAndUnsynchronisation) {
  auto utf16 = ReadFixture("utf16_id3v2.mp3");
  ASSERT_TRUE(utf16);
  EXPECT_EQ(utf16->tags[1].cells[1].text, "아이유");
  EXPECT_EQ(utf16->tags[1].cells[2].text, "Café 〜 ¥100");
  EXPECT_EQ(utf16->tags[1].cells[4].text, "5/12");
  EXPECT_EQ(utf16->tags[1].cells[6].text, "J-POP(J)");
  EXPECT_EQ(utf16->tags[1].cells[10].text, "http://example.com/");
  auto unsync = ReadFixture("unsync_id3v23.mp3");
  ASSERT_TRUE(unsync);
  EXPECT_EQ(unsync->tags[1].cells[1].text, "アーティスト");
  EXPECT_EQ(unsync->tags[1].cells[2].text, DecodeCp932("\xff\xfe\xff\xff\xe0"));
}

TEST(Mp3Reading, DamagedFilesAreNotListed) {
  for (const char* name : {"zero_length.mp3", "truncated_id3v2.mp3", "huge_id3v2_size.mp3",
                           "max_id3v2_size.mp3", "not_mpeg.mp3"}) {
    std::string error;
    EXPECT_FALSE(ReadMediaFile(Mp3Fixture(name).parent_path(), name, &error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  auto past = ReadFixture("riff_size_past_end.rmp");
  ASSERT_TRUE(past);  // chunk sizes are clamped to the file
  EXPECT_EQ(past->tags[2].state, kChecked);
}

TEST(Mp3Reading, ExtensionDecidesAndBytesConfirm) {
  EXPECT_EQ(TypeFromExtension("a.MP3"), FileType::MP3);
  EXPECT_EQ(TypeFromExtension("a.rmp"), FileType::MP3);
  EXPECT_EQ(TypeFromExtension("a.txt"), FileType::Unknown);
  EXPECT_FALSE(ReadMediaFile(Mp3Fixture("plain.mp3").parent_path(), "no-such-file.mp3"));
}

TEST(RowTexts, PlayingTimeCells) {
  Cell c = PlayingTimeCell("4:05 (245sec)");
  EXPECT_EQ(c.text, "4:05");
  EXPECT_EQ(c.value, 245);
  c = PlayingTimeCell("4:05");
  EXPECT_EQ(c.text, "4:05");
  EXPECT_EQ(c.value, 0);  // no bracketed seconds
  c = PlayingTimeCell("75:03 (4503sec)");
  EXPECT_EQ(c.value, 4503);
  c = Mp4PlayingTimeCell("AAC, 245.621sec, 128kbps, 44100Hz, 2ch");
  EXPECT_EQ(c.text, "4:05");
  EXPECT_EQ(c.value, 245);
  c = Mp4PlayingTimeCell("");
  EXPECT_EQ(c.text, "0:00");
  EXPECT_EQ(c.value, 0);
}

TEST(RowTexts, SizesPairsAndNames) {
  EXPECT_EQ(SizeText(0), "0");
  EXPECT_EQ(SizeText(999), "999");
  EXPECT_EQ(SizeText(1234567), "1,234,567");
  EXPECT_EQ(SizeText(5000000000ull), "5,000,000,000");  // past 32 bits
  EXPECT_EQ(PairCellText("3", "12"), "3/12");
  EXPECT_EQ(PairCellText("", "12"), "0/12");
  EXPECT_EQ(PairCellText("3", ""), "3");
  EXPECT_EQ(PairCellText("", ""), "");
  EXPECT_EQ(DisplayPath(std::string("\x83\x65\x83\x58\x83\x67.mp3")), "テスト.mp3");
  EXPECT_EQ(DisplayPath(std::string("テスト.mp3")), "テスト.mp3");
  std::string stamp = TimeStampText(0);
  ASSERT_EQ(stamp.size(), 19u);
  EXPECT_EQ(stamp[4], '/');
  EXPECT_EQ(stamp[10], ' ');
  EXPECT_EQ(stamp[13], ':');
}

using Mp3Reread = MediaTempDir;

TEST_F(Mp3Reread, NewTimeStampClearedMarksAndAbsentKindsKept) {
  // A code page 932 file name is shown decoded and addressed by its raw bytes.
  std::filesystem::path name = Copy("sjis_id3v1.mp3", std::string("\x83\x65\x83\x58\x83\x67.mp3"));
  auto e = ReadMediaFile(dir_, name);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->file.cells[0].text, "テスト.mp3");
  EXPECT_EQ(e->tags[0].cells[0].text, "テスト.mp3");
  e->tags[0].cells[1] = {"edited", 1};
  e->tags[0].image = kChangedMark;
  e->tags[3].cells[1].text = "kept";  // APE is absent: its values stay as they are
  e->file.cells[5].text = "v2.9";
  struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir_ / name).c_str(), times, 0), 0);
  ASSERT_TRUE(RereadMediaFile(dir_, *e));
  EXPECT_EQ(e->file.cells[2].text, TimeStampText(1000000000));
  EXPECT_EQ(e->modified, 1000000000);
  EXPECT_EQ(e->tags[0].cells[1].text, "由紀さおり");
  EXPECT_EQ(e->tags[0].cells[1].value, 0);
  EXPECT_EQ(e->tags[0].image, kNoMark);
  EXPECT_EQ(e->tags[3].cells[1].text, "kept");
  EXPECT_EQ(e->file.cells[5].text, "");
  std::filesystem::remove(dir_ / name);
  EXPECT_FALSE(RereadMediaFile(dir_, *e));
}

}  // namespace
}  // namespace hozanki

namespace hozanki {
namespace {

using Mp3Containers = test::MediaTempDir;

TEST_F(Mp3Containers, OtherContainersHoldingMpegFramesAreNotTakenForMp3) {
  const std::string& audio = test::PlainAudio();
  test::WriteBytes(dir_ / "wave.mp3", std::string("RIFF\x10\0\0\0WAVEfmt ", 16) + audio);
  test::WriteBytes(dir_ / "ogg.mp3", "OggS" + audio);
  test::WriteBytes(dir_ / "m4a.mp3", std::string("\0\0\0\x20"
                                                 "ftypM4A ",
                                                 12) +
                                         audio);
  for (const char* name : {"wave.mp3", "ogg.mp3", "m4a.mp3"}) EXPECT_FALSE(ReadMediaFile(dir_, name)) << name;
  test::WriteBytes(dir_ / "junk_first.mp3", std::string(100, '\0') + audio);
  EXPECT_TRUE(ReadMediaFile(dir_, "junk_first.mp3"));  // leading padding before the first frame
}

TEST_F(Mp3Containers, ParallelReadingGivesTheSameRowsAsOneThread) {
  std::vector<std::filesystem::path> files;
  for (int i = 0; i < 24; ++i) {
    const char* fixtures[] = {"sjis_id3v2.mp3", "rmp3.rmp", "apev1.mp3", "not_mpeg.mp3"};
    std::string name = std::to_string(i) + "_" + fixtures[i % 4];
    Copy(fixtures[i % 4], name);
    files.push_back(name);
  }
  auto readAll = [&](unsigned threads) {
    std::vector<std::string> out(files.size(), "unset");
    ReadMediaFiles(
        dir_, files, threads, [&](size_t i, std::optional<MediaFileEntry>&& e, const std::string&) {
          out[i] =
              e ? e->tags[1].cells[1].text + "|" + e->tags[2].cells[2].text + "|" + e->tags[3].cells[2].text
                : "none";
        });
    return out;
  };
  std::vector<std::string> one = readAll(1);
  EXPECT_EQ(readAll(2), one);
  EXPECT_EQ(one[0], "松任谷由実||");
  EXPECT_EQ(one[1], "|リフのタイトル|");
  EXPECT_EQ(one[3], "none");
}

}  // namespace
}  // namespace hozanki
