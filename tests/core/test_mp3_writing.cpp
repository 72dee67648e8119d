#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "MediaTestSupport.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/Id3v1Tag.h"
#include "core/catalogue/formats/Id3v2Tag.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

using test::HoldsAudioOnce;
using test::MediaTempDir;
using test::ReadBytes;

constexpr size_t kV1 = 0, kV2 = 1, kRiff = 2, kApe = 3;

class Mp3Writing : public MediaTempDir {
 protected:
  MediaFileEntry Read(const std::filesystem::path& name) {
    auto e = ReadMediaFile(dir_, name);
    EXPECT_TRUE(e) << name;
    return e ? *e : MediaFileEntry{};
  }
  // Sets values of a row (cells 1..n in order), ticks and marks it.
  static void Edit(MediaFileEntry& e, size_t kind, std::vector<std::string> values) {
    TagRow& row = e.tags[kind];
    for (size_t i = 0; i < values.size(); ++i) row.cells[i + 1] = {values[i], 1};
    row.state = kChecked;
    row.image = kChangedMark;
  }
  static void Untick(MediaFileEntry& e, size_t kind) {
    e.tags[kind].state = kUnchecked;
    e.tags[kind].image = kChangedMark;
  }
  bool Write(const MediaFileEntry& e, WriteSettings s = {}, std::string* error = nullptr) {
    std::string local;
    return WriteMediaFile(dir_, e, s, error ? error : &local);
  }
  // The ID3v2 header bytes of a file.
  std::string Header(const std::filesystem::path& name) { return ReadBytes(dir_ / name).substr(0, 10); }
};

TEST_F(Mp3Writing, Id3v1CodePage932CutAtCharacterBoundaryAndVersionByTrack) {
  auto name = Copy("plain.mp3", "a.mp3");
  MediaFileEntry e = Read(name);
  // 31 bytes of title: the last kanji would cross byte 30 and is left out whole.
  Edit(e, kV1,
       {"由紀さおり", "A" + std::string("あいうえおかきくけこさしすせそ"), "アルバム", "12", "1969",
        "Anime(J)", "二十八バイトを超えるとても長いコメント"});
  ASSERT_TRUE(Write(e));
  EXPECT_TRUE(HoldsAudioOnce(dir_ / name));
  std::string bytes = ReadBytes(dir_ / name);
  std::string tag = bytes.substr(bytes.size() - 128);
  ASSERT_EQ(tag.substr(0, 3), "TAG");
  EXPECT_EQ(tag[125], '\0');
  EXPECT_EQ(static_cast<uint8_t>(tag[126]), 12);
  EXPECT_EQ(static_cast<uint8_t>(tag[127]), 155);  // "Anime(J)"
  EXPECT_EQ(tag.substr(3, 30), EncodeCp932("Aあいうえおかきくけこさしすせそ")->substr(0, 29) + '\0');
  MediaFileEntry back = Read(name);
  EXPECT_EQ(back.file.cells[4].text, "v1.1");
  EXPECT_EQ(back.tags[kV1].cells[2].text, "Aあいうえおかきくけこさしすせ");
  EXPECT_EQ(back.tags[kV1].cells[7].text, "二十八バイトを超えるとても長");
  EXPECT_EQ(back.tags[kV1].cells[6].text, "Anime(J)");

  // Without a track the comment takes 30 bytes and the tag is version 1.0.
  Edit(back, kV1, {"x", "y", "z", "", "2000", "", "三十バイトちょうどのコメントで"});
  ASSERT_TRUE(Write(back));
  MediaFileEntry v10 = Read(name);
  EXPECT_EQ(v10.file.cells[4].text, "v1.0");
  EXPECT_EQ(v10.tags[kV1].cells[7].text, "三十バイトちょうどのコメントで");
  EXPECT_EQ(v10.tags[kV1].cells[6].text, "");
  EXPECT_TRUE(HoldsAudioOnce(dir_ / name));
}

TEST_F(Mp3Writing, Id3v1RefusesTextOutsideCodePage932AndLeavesFileUntouched) {
  auto name = Copy("sjis_id3v1.mp3", "a.mp3");
  std::string before = ReadBytes(dir_ / name);
  MediaFileEntry e = Read(name);
  Edit(e, kV1, {"Café"});
  std::string error;
  EXPECT_FALSE(Write(e, {}, &error));
  EXPECT_NE(error.find("é"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(dir_ / name), before);
}

TEST_F(Mp3Writing, Id3v1RefusesTracksAndGenresItCannotHoldAndLeavesFileUntouched) {
  // Cell 4 is the track, cell 6 the genre; the save of the window and of
  // every command goes through WriteMediaFile.
  const std::pair<size_t, const char*> cases[] = {{4, "abc"}, {4, "300"}, {6, "NoSuchGenre"}};
  for (const auto& [cell, value] : cases) {
    auto name = Copy("sjis_id3v1.mp3", std::string("refused") + value + ".mp3");
    std::string before = ReadBytes(dir_ / name);
    MediaFileEntry e = Read(name);
    Edit(e, kV1, {});
    e.tags[kV1].cells[cell] = {value, 1};
    std::string error;
    EXPECT_FALSE(Write(e, {}, &error)) << value;
    EXPECT_NE(error.find(value), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(dir_ / name), before) << value;
  }
}

TEST_F(Mp3Writing, Id3v2VersionsAndUnsynchronisationRoundTrip) {
  const std::vector<std::string> values = {
      "アーティスト", "Title ÿ\xC3\xBF", "アルバム",           "4/10",   "2003",   "Rock",  "行1\r\n行2",
      "作曲者",       "著作権",          "http://example.jp/", "原作者", "製作者", "ソフト"};
  for (int version : {1, 2, 3}) {
    for (int unsync : {1, 2}) {
      SCOPED_TRACE("version setting " + std::to_string(version) + ", unsync setting " +
                   std::to_string(unsync));
      auto name = Copy("sjis_id3v2.mp3", "v" + std::to_string(version) + std::to_string(unsync) + ".mp3");
      MediaFileEntry e = Read(name);
      Edit(e, kV2, values);
      WriteSettings s;
      s.id3v2Version = version;
      s.unsync = unsync;
      ASSERT_TRUE(Write(e, s));
      EXPECT_TRUE(HoldsAudioOnce(dir_ / name));
      std::string header = Header(name);
      EXPECT_EQ(header[3], static_cast<char>(version + 1));
      EXPECT_EQ((static_cast<uint8_t>(header[5]) & 0x80) != 0, unsync == 2);
      MediaFileEntry back = Read(name);
      static const char* kShown[] = {"", "v2.2", "v2.3", "v2.4"};
      EXPECT_EQ(back.file.cells[5].text, kShown[version]);
      std::vector<std::string> got;
      for (size_t i = 1; i < back.tags[kV2].cells.size(); ++i) got.push_back(back.tags[kV2].cells[i].text);
      for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(got[i], values[i]) << i;
      EXPECT_EQ(back.tags[kV1].cells[1].text, "由紀さおり");  // other kinds untouched
    }
  }
}

TEST_F(Mp3Writing, UnicodeOffWritesCodePage932InLatin1FramesAndUtf16WhenItDoesNotFit) {
  auto name = Copy("utf16_id3v2.mp3", "a.mp3");
  MediaFileEntry e = Read(name);
  e.tags[kV2].cells[1].text = "ニホンゴ";  // fits: ISO-8859-1 frame with code page 932 bytes
  e.tags[kV2].cells[2].text = "Café 〜";   // does not fit: UTF-16
  e.tags[kV2].image = kChangedMark;
  WriteSettings s;
  s.unicode = 1;
  s.unsync = 1;
  ASSERT_TRUE(Write(e, s));
  std::string bytes = ReadBytes(dir_ / name);
  EXPECT_NE(bytes.find(std::string("TPE1\0\0\0\x09\0\0\0", 11) + *EncodeCp932("ニホンゴ")),
            std::string::npos);
  size_t tit2 = bytes.find("TIT2");
  ASSERT_NE(tit2, std::string::npos);
  EXPECT_EQ(bytes[tit2 + 10], '\x01');  // UTF-16
  // Album "アルバム" was UTF-16 and fits: with the option off it becomes code page 932 too.
  size_t talb = bytes.find("TALB");
  EXPECT_EQ(bytes[talb + 10], '\0');
  MediaFileEntry back = Read(name);
  EXPECT_EQ(back.tags[kV2].cells[1].text, "ニホンゴ");
  EXPECT_EQ(back.tags[kV2].cells[2].text, "Café 〜");
  EXPECT_EQ(back.tags[kV2].cells[3].text, "アルバム");
}

TEST_F(Mp3Writing, UnicodeOnWritesUtf16AndUnchangedKeepsUntouchedFrameBytes) {
  auto on = Copy("sjis_id3v2.mp3", "on.mp3");
  MediaFileEntry e = Read(on);
  e.tags[kV2].image = kChangedMark;
  WriteSettings s;
  s.unicode = 2;
  s.unsync = 1;
  ASSERT_TRUE(Write(e, s));
  std::string bytes = ReadBytes(dir_ / on);
  EXPECT_EQ(bytes[bytes.find("TPE1") + 10], '\x01');
  EXPECT_EQ(Read(on).tags[kV2].cells[1].text, "松任谷由実");

  auto keep = Copy("sjis_id3v2.mp3", "keep.mp3");
  std::string original = ReadBytes(dir_ / keep);
  std::string tpe1 = original.substr(original.find("TPE1"), 10 + 11);
  e = Read(keep);
  e.tags[kV2].cells[2].text = "新しいタイトル";  // an ISO-8859-1 frame, and the text fits
  e.tags[kV2].image = kChangedMark;
  s = {};
  s.unicode = 0;
  s.unsync = 0;
  s.id3v2Version = 0;
  ASSERT_TRUE(Write(e, s));
  bytes = ReadBytes(dir_ / keep);
  EXPECT_NE(bytes.find(tpe1), std::string::npos);  // untouched frame, byte for byte
  size_t tit2 = bytes.find("TIT2");
  EXPECT_EQ(bytes[tit2 + 10], '\0');
  EXPECT_EQ(bytes.substr(tit2 + 11, 14), *EncodeCp932("新しいタイトル"));
  EXPECT_EQ(Header(keep)[3], '\x03');
}

TEST_F(Mp3Writing, UnchangedOptionsKeepVersion22AndUnsynchronisation) {
  auto v22 = Copy("id3v22.mp3", "v22.mp3");
  MediaFileEntry e = Read(v22);
  e.tags[kV2].cells[2].text = "新しい時代";
  e.tags[kV2].image = kChangedMark;
  WriteSettings s{0, 0, 0, true};
  ASSERT_TRUE(Write(e, s));
  EXPECT_EQ(Header(v22)[3], '\x02');
  MediaFileEntry back = Read(v22);
  EXPECT_EQ(back.tags[kV2].cells[1].text, "中島みゆき");
  EXPECT_EQ(back.tags[kV2].cells[2].text, "新しい時代");
  EXPECT_EQ(back.tags[kV2].cells[5].text, "1975");

  auto unsync = Copy("unsync_id3v23.mp3", "u.mp3");
  e = Read(unsync);
  e.tags[kV2].cells[1].text = "別の人";
  e.tags[kV2].image = kChangedMark;
  ASSERT_TRUE(Write(e, s));
  EXPECT_TRUE(static_cast<uint8_t>(Header(unsync)[5]) & 0x80);
  back = Read(unsync);
  EXPECT_EQ(back.tags[kV2].cells[1].text, "別の人");
  EXPECT_EQ(back.tags[kV2].cells[2].text, DecodeCp932("\xff\xfe\xff\xff\xe0"));
  EXPECT_TRUE(HoldsAudioOnce(dir_ / unsync));
}

TEST_F(Mp3Writing, RemoveAndCreateEveryKindLeavesEmptyTagsOnDisk) {
  auto name = Copy("plain.mp3", "a.mp3");
  std::unique_ptr<TagFile> f = OpenTagFile(dir_ / name);
  ASSERT_TRUE(f);
  std::string error;
  ASSERT_TRUE(f->CreateTag(Mp3Tag::ID3v1, &error)) << error;
  ASSERT_TRUE(f->CreateTag(Mp3Tag::ID3v2, &error)) << error;
  ASSERT_TRUE(f->CreateTag(Mp3Tag::APE, &error)) << error;
  EXPECT_EQ(f->TagMask(), kMaskID3v1 | kMaskID3v1_0 | kMaskID3v2 | kMaskID3v2_3 | kMaskAPEv2);
  EXPECT_FALSE(f->CreateTag(Mp3Tag::RIFF, &error));  // excluded by ID3v2 and APE
  // Reopened from disk, the empty tags are there.
  f = OpenTagFile(dir_ / name);
  EXPECT_EQ(f->TagMask() & (kMaskID3v1 | kMaskID3v2 | kMaskAPE), kMaskID3v1 | kMaskID3v2 | kMaskAPEv2);
  EXPECT_TRUE(HoldsAudioOnce(dir_ / name));
  for (Mp3Tag kind : {Mp3Tag::APE, Mp3Tag::ID3v2, Mp3Tag::ID3v1})
    ASSERT_TRUE(f->RemoveTag(kind, &error)) << error;
  EXPECT_EQ(f->TagMask(), 0u);
  EXPECT_EQ(ReadBytes(dir_ / name), test::PlainAudio());
}

TEST_F(Mp3Writing, RiffWrapAndUnwrapKeepInfoAndId3v1) {
  auto name = Copy("sjis_id3v1.mp3", "a.mp3");
  MediaFileEntry e = Read(name);
  Edit(e, kRiff, {"リフの歌手", "題名", "", "2020", "", "コメント", "", "", "", "Hozanki"});
  ASSERT_TRUE(Write(e));
  std::string bytes = ReadBytes(dir_ / name);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(bytes.substr(8, 4), "RMP3");
  EXPECT_EQ(bytes.size(), 8 + size_t(uint8_t(bytes[4])) + (size_t(uint8_t(bytes[5])) << 8));
  EXPECT_TRUE(HoldsAudioOnce(dir_ / name));
  MediaFileEntry back = Read(name);
  EXPECT_EQ(back.file.cells[6].text, "SIF");
  EXPECT_EQ(back.tags[kRiff].cells[1].text, "リフの歌手");
  EXPECT_EQ(back.tags[kRiff].cells[10].text, "Hozanki");
  EXPECT_EQ(back.tags[kV1].cells[1].text, "由紀さおり");

  Untick(back, kRiff);
  ASSERT_TRUE(Write(back));
  EXPECT_EQ(ReadBytes(dir_ / name), ReadBytes(test::Mp3Fixture("sjis_id3v1.mp3")));
}

TEST_F(Mp3Writing, CheckingRiffRemovesTheKindsItExcludes) {
  auto name = Copy("sjis_id3v2.mp3", "a.mp3");
  MediaFileEntry e = Read(name);
  Edit(e, kRiff, {"x"});
  e.tags[kV2].state = kUnavailable;  // as the exclusion rule leaves it; the row is not marked
  ASSERT_TRUE(Write(e));
  MediaFileEntry back = Read(name);
  EXPECT_EQ(back.file.cells[5].text, "");
  EXPECT_EQ(back.file.cells[6].text, "SIF");
  EXPECT_EQ(back.tags[kRiff].cells[1].text, "x");

  // RIFF and ID3v2 both ticked: refused before anything is written.
  Edit(back, kV2, {"y"});
  std::string before = ReadBytes(dir_ / name);
  std::string error;
  EXPECT_FALSE(Write(back, {}, &error));
  EXPECT_EQ(ReadBytes(dir_ / name), before);
}

TEST_F(Mp3Writing, ApeAddedWithValuesAndVersion1KeptWhenUntouched) {
  auto name = Copy("apev1.mp3", "a.mp3");
  std::string original = ReadBytes(dir_ / name);
  MediaFileEntry e = Read(name);
  Edit(e, kV1, {"only ID3v1"});
  ASSERT_TRUE(Write(e));
  std::string bytes = ReadBytes(dir_ / name);
  EXPECT_EQ(bytes.substr(0, original.size()), original);  // the version 1 APE tag, byte for byte
  EXPECT_EQ(Read(name).file.cells[7].text, "v1");

  auto fresh = Copy("plain.mp3", "b.mp3");
  e = Read(fresh);
  Edit(e, kApe, {"アーティスト", "", "", "7", "", "", "コメント"});
  ASSERT_TRUE(Write(e));
  MediaFileEntry back = Read(fresh);
  EXPECT_EQ(back.file.cells[7].text, "v2");
  EXPECT_EQ(back.tags[kApe].cells[1].text, "アーティスト");
  EXPECT_EQ(back.tags[kApe].cells[4].text, "7");
  EXPECT_TRUE(HoldsAudioOnce(dir_ / fresh));
}

TEST_F(Mp3Writing, TimeStampKeptOrTouched) {
  auto name = Copy("sjis_id3v2.mp3", "a.mp3");
  struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 123}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir_ / name).c_str(), times, 0), 0);
  MediaFileEntry e = Read(name);
  Edit(e, kV2, {"a"});
  ASSERT_TRUE(Write(e));
  struct stat st {};
  ASSERT_EQ(::stat((dir_ / name).c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
  Edit(e, kV2, {"b"});
  WriteSettings s;
  s.keepTimeStamp = false;
  ASSERT_TRUE(Write(e, s));
  ASSERT_EQ(::stat((dir_ / name).c_str(), &st), 0);
  EXPECT_GT(st.st_mtim.tv_sec, 1000000000);
}

TEST(Id3v2Render, UnsynchronisationEscapesFalseSyncs) {
  std::string tag = Id3v2Tag::RenderEmpty(3, false);
  tag.replace(10, 4, "\xff\xe0\xff\x00", 4);
  std::string out = UnsynchroniseTag(tag);
  EXPECT_EQ(out.substr(10, 6), std::string("\xff\x00\xe0\xff\x00\x00", 6));
  EXPECT_TRUE(static_cast<uint8_t>(out[5]) & 0x80);
  EXPECT_EQ(out.size(), tag.size() + 2);
}

TEST(Id3v1Parse, RejectsAnythingButExactTags) {
  EXPECT_FALSE(Id3v1Tag::Parse(std::string(127, 'T')));
  EXPECT_FALSE(Id3v1Tag::Parse(std::string(128, 'X')));
  std::string raw = "TAG" + std::string(125, '\0');
  raw[127] = '\xFF';
  auto tag = Id3v1Tag::Parse(raw);
  ASSERT_TRUE(tag);
  EXPECT_FALSE(tag->v11);
  EXPECT_EQ(tag->genre, "");
}

}  // namespace
}  // namespace hozanki

namespace hozanki {
namespace {

std::string Syncsafe(size_t n) {
  return {char((n >> 21) & 0x7F), char((n >> 14) & 0x7F), char((n >> 7) & 0x7F), char(n & 0x7F)};
}

using Mp3OtherFrames = test::MediaTempDir;

TEST_F(Mp3OtherFrames, PicturesAndPrivateFramesSurviveEveryVersion) {
  const std::string picture = std::string("\0image/jpeg\0\x03\0", 14) + "JPEGDATA\xff\xd8\xff\xe0";
  std::string frames =
      "APIC" + std::string("\0\0\0", 3) + char(picture.size()) + std::string(2, '\0') + picture;
  frames += "TIT2" + std::string("\0\0\0\x04\0\0\0abc", 11);
  std::string tag = "ID3" + std::string("\x03\0\0", 3) + Syncsafe(frames.size()) + frames;
  test::WriteBytes(dir_ / "a.mp3", tag + test::PlainAudio());
  for (int version : {1, 2, 3}) {
    SCOPED_TRACE(version);
    auto e = ReadMediaFile(dir_, "a.mp3");
    ASSERT_TRUE(e);
    e->tags[1].cells[1].text = "artist " + std::to_string(version);
    e->tags[1].image = kChangedMark;
    WriteSettings s;
    s.id3v2Version = version;
    std::string error;
    ASSERT_TRUE(WriteMediaFile(dir_, *e, s, &error)) << error;
    std::string bytes = ReadBytes(dir_ / "a.mp3");
    if (version == 1) {
      EXPECT_NE(bytes.find(std::string("PIC", 3)), std::string::npos);
      EXPECT_NE(bytes.find(std::string("JPG\x03\0JPEGDATA", 13)), std::string::npos);
    } else {
      EXPECT_NE(bytes.find(std::string("image/jpeg\0\x03\0JPEGDATA", 21)), std::string::npos);
    }
    auto back = ReadMediaFile(dir_, "a.mp3");
    EXPECT_EQ(back->tags[1].cells[2].text, "abc");
    EXPECT_EQ(back->tags[1].cells[1].text, "artist " + std::to_string(version));
    EXPECT_TRUE(HoldsAudioOnce(dir_ / "a.mp3"));
  }
}

}  // namespace
}  // namespace hozanki
