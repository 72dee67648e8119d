#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/common/PathText.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

TEST(PathText, EscapesOnlyWhatIsNotUtf8AndKeepsOtherNamesAsTheyAre) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"/music/テスト.mp3", "/music/テスト.mp3"},
      {"My%20Song.mp3", "My%20Song.mp3"},  // decodes to valid UTF-8: not our form
      {"100%.mp3", "100%.mp3"},
      {"50%off%zz.mp3", "50%off%zz.mp3"},
      {"a%e3.mp3", "a%e3.mp3"},  // lower case is not our form
      // "テスト.mp3" in code page 932.
      {"/music/\x83\x65\x83\x58\x83\x67.mp3", "/music/%83e%83X%83g.mp3"},
      {"\x83\x65%.mp3", "%83e%25.mp3"},
      // A truncated UTF-8 sequence, a lone continuation byte, an overlong form.
      {"\xE3\x83.mp3", "%E3%83.mp3"},
      {"x\x80y", "x%80y"},
      {"\xC0\xAF", "%C0%AF"},
      // A valid name that is itself the escape form of another name.
      {"a%82.mp3", "a%2582.mp3"},
      {"a%2582.mp3", "a%252582.mp3"},  // the text of "a%82.mp3", so escaped in turn
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(EncodePathText(c.bytes), c.text);
    EXPECT_TRUE(IsValidUtf8(EncodePathText(c.bytes)));
  }
  EXPECT_EQ(DecodePathText("a%2582.mp3"), "a%82.mp3");
  EXPECT_EQ(DecodePathText("a%82.mp3"), "a\x82.mp3");
}

TEST(PathText, TheShiftJisAndTheUtf8NameGetDifferentTexts) {
  const std::string utf8 = "テスト.mp3";
  const std::string sjis = "\x83\x65\x83\x58\x83\x67.mp3";
  EXPECT_NE(EncodePathText(utf8), EncodePathText(sjis));
  EXPECT_EQ(DecodePathText(EncodePathText(sjis)), sjis);
  EXPECT_EQ(DecodePathText(EncodePathText(utf8)), utf8);
}

TEST(PathText, RawBytesAndTextsOutsideTheFormDecodeAsThemselves) {
  for (const std::string text : {"\x83\x65.mp3", "My%20Song.mp3", "100%", "%", "%8", "%83e%2", "%83%"})
    EXPECT_EQ(DecodePathText(text), text) << text;
}

// Every byte string over an alphabet that mixes "%", hexadecimal digits,
// bytes of valid and broken UTF-8: the text decodes back to the same bytes,
// and no two byte strings share a text.
TEST(PathText, EveryShortByteStringRoundTripsAndNoTwoShareATextOrATextIsMisread) {
  const std::string alphabet = std::string("%258AE") + "\x82\xE3\x83\x86";
  std::vector<std::string> strings = {""};
  for (size_t length = 1; length <= 5; ++length) {
    const size_t count = strings.size();
    for (size_t i = 0; i < count; ++i)
      if (strings[i].size() == length - 1)
        for (char c : alphabet) strings.push_back(strings[i] + c);
  }
  std::set<std::string> texts;
  for (const std::string& bytes : strings) {
    const std::string text = EncodePathText(bytes);
    ASSERT_EQ(DecodePathText(text), bytes) << text;
    ASSERT_TRUE(texts.insert(text).second) << text;
  }
}

}  // namespace
}  // namespace hozanki
