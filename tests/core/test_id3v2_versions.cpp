#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/catalogue/formats/Id3v1Tag.h"
#include "core/catalogue/formats/Id3v2Tag.h"
#include "core/catalogue/formats/Id3v2Versions.h"

namespace hozanki {
namespace {

std::string Size(size_t n, bool syncsafe) {
  std::string out;
  for (int i = 3; i >= 0; --i)
    out.push_back(static_cast<char>(syncsafe ? (n >> (7 * i)) & 0x7F : (n >> (8 * i)) & 0xFF));
  return out;
}

std::string Frame(const std::string& id, const std::string& body, int version) {
  return id + Size(body.size(), version == 4) + std::string(2, '\0') + body;
}

std::string Tag(int version, const std::string& frames) {
  return "ID3" + std::string(1, static_cast<char>(version)) + std::string(2, '\0') + Size(frames.size(), true) +
         frames;
}

// The frames of a complete 2.3/2.4 tag: id and body.
std::vector<std::pair<std::string, std::string>> Frames(const std::string& tag) {
  std::vector<std::pair<std::string, std::string>> out;
  const int version = tag[3];
  size_t pos = 10;
  while (pos + 10 <= tag.size() && tag[pos] != '\0') {
    size_t size = 0;
    for (size_t i = 0; i < 4; ++i)
      size = (size << (version == 4 ? 7 : 8)) | static_cast<uint8_t>(tag[pos + 4 + i]);
    out.emplace_back(tag.substr(pos, 4), tag.substr(pos + 10, size));
    pos += 10 + size;
  }
  return out;
}

TEST(Id3v2Versions, IsoDatesSplitIntoTheVersion23Frames) {
  struct Case {
    const char* text;
    bool ok;
    const char *year, *dayMonth, *hourMinute;
  };
  const Case cases[] = {
      {"2011", true, "2011", "", ""},
      {"2011-05-06", true, "2011", "0605", ""},
      {"2011-05-06T12:30", true, "2011", "0605", "1230"},
      {"2011-05-06T12:30:45", true, "2011", "0605", "1230"},
      {"2011-05", true, "2011", "", ""},
      {"2011/05/06", false, "2011", "", ""},
      {"201", false, "", "", ""},
      {"平成3年", false, "", "", ""},
  };
  for (const Case& c : cases) {
    Id3v23Date date;
    EXPECT_EQ(SplitIsoDate(c.text, date), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(date.year, c.year) << c.text;
    EXPECT_EQ(date.dayMonth, c.dayMonth) << c.text;
    EXPECT_EQ(date.hourMinute, c.hourMinute) << c.text;
  }
}

TEST(Id3v2Versions, EveryFrameIsMappedOrCarried) {
  const std::string chapter24 = std::string("ch0\0", 4) + std::string(16, '\x01') +
                                Frame("TIT2", std::string("\x01\xFF\xFE" "C\0", 5), 4);
  const std::string tag24 =
      Tag(4, Frame("TIT2", "\x03Tïtle", 4) + Frame("TDRC", std::string("\0" "2011-05-06T12:30", 17), 4) +
                 Frame("TDOR", std::string("\0" "1999-03", 8), 4) + Frame("TSOP", std::string("\0" "Sort", 5), 4) +
                 Frame("RVA2", std::string("track\0\x01\xFE\x00\x00", 10), 4) + Frame("CHAP", chapter24, 4));
  std::string error;
  const std::string tag23 = ConvertId3v2Version(tag24, 3, &error);
  ASSERT_FALSE(tag23.empty()) << error;
  const std::string chapter23 = std::string("ch0\0", 4) + std::string(16, '\x01') +
                                Frame("TIT2", std::string("\x01\xFF\xFE" "C\0", 5), 3);
  const std::vector<std::pair<std::string, std::string>> want23 = {
      {"TIT2", std::string("\x01\xFF\xFET\0\xEF\0t\0l\0e\0", 13)},  // UTF-8 is not 2.3
      {"TYER", std::string("\0" "2011", 5)},
      {"TDAT", std::string("\0" "0605", 5)},
      {"TIME", std::string("\0" "1230", 5)},
      {"TDOR", std::string("\0" "1999-03", 8)},  // the month has no 2.3 frame
      {"TORY", std::string("\0" "1999", 5)},
      {"TSOP", std::string("\0" "Sort", 5)},
      {"RVA2", std::string("track\0\x01\xFE\x00\x00", 10)},
      {"CHAP", chapter23},  // sub-frames with 2.3 headers, bodies as they were
  };
  EXPECT_EQ(Frames(tag23), want23);

  // And back: the 2.3 frames join again; the carried ones go as they came.
  const std::string again = ConvertId3v2Version(tag23, 4, &error);
  const std::vector<std::pair<std::string, std::string>> want24 = {
      {"TIT2", std::string("\x01\xFF\xFET\0\xEF\0t\0l\0e\0", 13)},
      {"TDRC", std::string("\0" "2011-05-06T12:30", 17)},
      {"TDOR", std::string("\0" "1999-03", 8)},
      {"TSOP", std::string("\0" "Sort", 5)},
      {"RVA2", std::string("track\0\x01\xFE\x00\x00", 10)},
      {"CHAP", chapter24},
  };
  EXPECT_EQ(Frames(again), want24);
}

TEST(Id3v2Versions, FramesThatCannotBeCarriedFailWithTheirName) {
  struct Case {
    std::string tag;
    int version;
    const char* frame;
  };
  const Case cases[] = {
      // compressed
      {Tag(3, "TIT2" + Size(5, false) + std::string("\0\x80", 2) + std::string("\0\0\0\x01x", 5)), 4, "TIT2"},
      // UTF-8 in a layout we do not know
      {Tag(4, Frame("SYLT", "\x03" "eng\x02\x01", 4)), 3, "SYLT"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_TRUE(ConvertId3v2Version(c.tag, c.version, &error).empty()) << c.frame;
    EXPECT_NE(error.find(c.frame), std::string::npos) << error;
  }
  // Version 2.2 has no form for PRIV: the tag is not written at all.
  std::unique_ptr<Id3v2Tag> tag = Id3v2Tag::Parse(Tag(3, Frame("PRIV", std::string("x\0y", 3), 3)));
  ASSERT_TRUE(tag);
  tag->Set("INAM", "Title");
  std::string error;
  EXPECT_TRUE(tag->Render(2, false, -1, &error).empty());
  EXPECT_NE(error.find("PRIV"), std::string::npos) << error;
}

// TagLib reads a 2.3 tag's TYER (with TDAT and TIME), TORY and IPLS as 2.4
// frames and would write them back re-made at the end; a save that touches
// other values keeps them where they were, byte for byte.
TEST(Id3v2Versions, UntouchedVersion23DatesKeepTheirPlaceAndBytes) {
  const std::vector<std::pair<std::string, std::string>> frames = {
      {"TIT2", std::string("\0" "old", 4)},          {"TYER", std::string("\0" "1999", 5)},
      {"TDAT", std::string("\0" "0512", 5)},          {"TIME", std::string("\0" "1230", 5)},
      {"TORY", std::string("\0" "1980", 5)},          {"IPLS", std::string("\0" "mix\0" "A\0", 7)},
      {"TPE1", std::string("\0" "artist", 7)},
  };
  std::string body;
  for (const auto& [id, data] : frames) body += Frame(id, data, 3);
  // The title or the artist set, with the Unicode option off and on (which
  // re-encodes the ISO-8859-1 text frames where they stand).
  struct Case {
    const char* stem;
    const char* frame;
    int unicode;
  };
  for (const auto& [stem, changed, unicode] : {Case{"INAM", "TIT2", -1}, Case{"IART", "TPE1", -1}, Case{"INAM", "TIT2", 1}}) {
    std::unique_ptr<Id3v2Tag> tag = Id3v2Tag::Parse(Tag(3, body + std::string(64, '\0')));
    ASSERT_TRUE(tag);
    tag->Set(stem, "new");
    std::string error;
    std::vector<std::pair<std::string, std::string>> out = Frames(tag->Render(3, false, unicode, &error));
    ASSERT_EQ(out.size(), frames.size()) << stem << " " << error;
    for (size_t i = 0; i < frames.size(); ++i) {
      EXPECT_EQ(out[i].first, frames[i].first) << stem << unicode;
      const std::string& id = frames[i].first;
      const bool mayChange = id == changed || (unicode > 0 && (id == "TIT2" || id == "TPE1"));
      if (!mayChange) EXPECT_EQ(out[i].second, frames[i].second) << stem << unicode << " " << id;
    }
  }
}

TEST(Id3v2Versions, AnEditedYearIsValidInVersion23) {
  struct Case {
    const char* value;
    std::vector<std::pair<std::string, std::string>> frames;
  };
  const Case cases[] = {
      {"2012", {{"TYER", std::string("\0" "2012", 5)}}},
      {"2012-07-08", {{"TYER", std::string("\0" "2012", 5)}, {"TDAT", std::string("\0" "0807", 5)}}},
      {"2012-07", {{"TDRC", std::string("\0" "2012-07", 8)}, {"TYER", std::string("\0" "2012", 5)}}},
  };
  for (const Case& c : cases) {
    // TYER 2011 + TDAT 0605, as a date column shows "2011-05-06".
    std::unique_ptr<Id3v2Tag> tag = Id3v2Tag::Parse(
        Tag(3, Frame("TYER", std::string("\0" "2011", 5), 3) + Frame("TDAT", std::string("\0" "0605", 5), 3)));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->Get("ICRD"), "2011-05-06");
    tag->Set("ICRD", c.value);
    std::string error;
    const std::string out = tag->Render(3, false, -1, &error);
    EXPECT_EQ(Frames(out), c.frames) << c.value << " " << error;
    EXPECT_EQ(Id3v2Tag::Parse(out)->Get("ICRD"), c.value);
  }
}

TEST(Id3v1Refusal, ValuesTheTagCannotHold) {
  const std::pair<const char*, const char*> refused[] = {
      {"TRACK", "abc"}, {"TRACK", "300"}, {"TRACK", "0"}, {"TRACK", "-1"}, {"IGNR", "NoSuchGenre"}};
  for (const auto& [stem, value] : refused) {
    EXPECT_FALSE(Id3v1Tag::Refusal(stem, value).empty()) << stem << "=" << value;
    Id3v1Tag tag;
    *tag.Field(stem) = value;
    std::string error;
    EXPECT_TRUE(tag.Render(&error).empty()) << stem << "=" << value;
    EXPECT_FALSE(error.empty());
  }
  const std::pair<const char*, const char*> held[] = {
      {"TRACK", ""}, {"TRACK", " 7 "}, {"TRACK", "255"}, {"IGNR", "rock"}, {"IGNR", ""}, {"INAM", "abc"}};
  for (const auto& [stem, value] : held) EXPECT_EQ(Id3v1Tag::Refusal(stem, value), "") << stem << "=" << value;
}

}  // namespace
}  // namespace hozanki
