// The quick reader gives the values TagLib gives, or steps aside.
#include <gtest/gtest.h>

#include "MediaTestSupport.h"
#include "core/catalogue/formats/Id3v2QuickReader.h"
#include "core/catalogue/formats/Id3v2Tag.h"

namespace hozanki {
namespace {

std::string Syncsafe(size_t n) {
  return {char((n >> 21) & 0x7F), char((n >> 14) & 0x7F), char((n >> 7) & 0x7F), char(n & 0x7F)};
}

std::string Frame(int version, const std::string& id, const std::string& body) {
  size_t n = body.size();
  std::string size =
      version == 4 ? Syncsafe(n) : std::string{char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
  return id + size + std::string(2, '\0') + body;
}

std::string Tag(int version, const std::string& frames) {
  return "ID3" + std::string{char(version), 0, 0} + Syncsafe(frames.size() + 20) + frames +
         std::string(20, '\0');
}

std::array<std::string, kId3v2StemCount> ThroughTagLib(const std::string& bytes) {
  auto tag = Id3v2Tag::Parse(bytes);
  std::array<std::string, kId3v2StemCount> out;
  if (!tag) return out;
  for (size_t i = 0; i < kId3v2Stems.size(); ++i) out[i] = tag->TagLibValueForTest(kId3v2Stems[i]);
  return out;
}

TEST(Id3v2QuickReader, AgreesWithTagLibOnFixturesAndOddFrames) {
  std::vector<std::string> tags;
  for (const char* f : {"sjis_id3v2.mp3", "utf16_id3v2.mp3", "utf8_id3v24.mp3"}) {
    std::string bytes = test::ReadBytes(test::Mp3Fixture(f));
    size_t size = 10 + ((size_t(bytes[6]) << 21) | (size_t(bytes[7]) << 14) | (size_t(bytes[8]) << 7) |
                        size_t(bytes[9]));
    tags.push_back(bytes.substr(0, size));
  }
  const std::string utf16le = std::string("\x01\xff\xfe", 3) + std::string("A\0B\0", 4);
  tags.push_back(Tag(3, Frame(3, "TCON", std::string("\0(13)(7)Pop", 11)) + Frame(3, "TPE1", utf16le) +
                            Frame(3, "COMM", std::string("\0engiTunNORM\0 0000", 18)) +
                            Frame(3, "COMM", std::string("\0jpnDesc\0second", 15)) +
                            Frame(3, "WXXX", std::string("\0label\0http://a/", 16)) +
                            // Lyrics: a described frame, then the one without a description.
                            Frame(3, "USLT", std::string("\0jpnverse\0first", 15)) +
                            Frame(3, "USLT", std::string("\x01jpn\xff\xfe\0\0\xff\xfe\x42\x30\n\0\x44\x30", 16)) +
                            Frame(3, "TSO2", std::string("\0Sort", 5)) + Frame(3, "TPOS", std::string("\0" "1/2", 4))));
  tags.push_back(Tag(4, Frame(4, "TPE1", std::string("\x03One\0Two\0One", 12)) +
                            Frame(4, "TIT2", std::string("\x02\x30\x42\x30\x44", 5)) +
                            Frame(4, "TCON",
                                  std::string("\x00"
                                              "17",
                                              3)) +
                            Frame(4, "TYER",
                                  std::string("\x00"
                                              "1990",
                                              5)) +
                            Frame(4, "TDRC",
                                  std::string("\x00"
                                              "1991",
                                              5)) +
                            Frame(4, "COMM", std::string("\x01jpn\xff\xfe\0\0\xff\xfe\x42\x30", 12))));
  for (const std::string& t : tags) {
    auto quick = QuickReadId3v2(t);
    ASSERT_TRUE(quick);
    std::array<std::string, kId3v2StemCount> full = ThroughTagLib(t);
    for (size_t i = 0; i < kId3v2StemCount; ++i) EXPECT_EQ((*quick)[i], full[i]) << kId3v2Stems[i];
  }
  // The lyrics without a description win over the described ones.
  EXPECT_EQ((*QuickReadId3v2(tags[3]))[kId3v2StemCount - 1], "あ\nい");
}

TEST(Id3v2QuickReader, ReadsUtf16WithoutByteOrderMarkAsBigEndian) {
  // TagLib reads this frame as empty; the value survives a save of another value.
  auto tag = Id3v2Tag::Parse(Tag(3, Frame(3, "TIT2", std::string("\x01\x30\x42", 3))));
  ASSERT_TRUE(tag);
  EXPECT_EQ(tag->Get("INAM"), "あ");
  tag->Set("IART", "x");
  auto back = Id3v2Tag::Parse(tag->Render(3, false, 1));
  EXPECT_EQ(back->Get("INAM"), "あ");
  EXPECT_EQ(back->Get("IART"), "x");
}

TEST(Id3v2QuickReader, StepsAsideForWhatItDoesNotRead) {
  EXPECT_FALSE(QuickReadId3v2(Tag(4, Frame(4, "TIT2", std::string("\x00x", 2))).replace(5, 1, "\x40")));
  std::string compressed = Frame(3, "TIT2", std::string("\0x", 2));
  compressed[9] = '\x80';
  EXPECT_FALSE(QuickReadId3v2(Tag(3, compressed)));
  EXPECT_FALSE(QuickReadId3v2(Tag(3, Frame(3, "TYER",
                                           std::string("\0"
                                                       "1999",
                                                       5)) +
                                         Frame(3, "TDAT",
                                               std::string("\0"
                                                           "0503",
                                                           5)))));
  std::string overlong = Tag(3, Frame(3, "TIT2", std::string(5, 'x')));
  overlong[17] = '\x60';  // the frame claims more bytes than the tag holds
  EXPECT_FALSE(QuickReadId3v2(overlong));
  // The tag reader still reads them, through TagLib.
  auto tag = Id3v2Tag::Parse(Tag(3, Frame(3, "TYER",
                                          std::string("\0"
                                                      "1999",
                                                      5)) +
                                        Frame(3, "TDAT",
                                              std::string("\0"
                                                          "0503",
                                                          5))));
  ASSERT_TRUE(tag);
  EXPECT_EQ(tag->Get("ICRD").substr(0, 4), "1999");
}

}  // namespace
}  // namespace hozanki
