// Failures as data: every kind is worded in one Japanese sentence that names
// its facts, and a record survives the reason texts it travels in.

#include <gtest/gtest.h>

#include <cerrno>
#include <regex>

#include "core/common/Failure.h"

namespace hozanki {
namespace {

// Names a sentence may carry besides the facts: formats and tags.
const std::regex kNames(R"(ID3v\d|RIFF|APE|MP3|MP4|FLAC|ASF|WMA|Ogg|JSON|UTF-8)");
const std::regex kAsciiWord(R"([A-Za-z]{3,})");

Failure WithFacts(FailureKind kind) {
  return {kind, "/music/Some Album/track.wma", "data", 4096, 65535, EMLINK, "the English detail"};
}

TEST(Failure, EveryKindIsOneJapaneseSentenceWithItsFacts) {
  for (FailureKind kind : AllFailureKinds()) {
    const Failure f = WithFacts(kind);
    std::string sentence = FailureSentence(f);
    SCOPED_TRACE(sentence);
    ASSERT_FALSE(sentence.empty());
    EXPECT_TRUE(sentence.ends_with("。"));
    EXPECT_EQ(sentence.find(f.detail), std::string::npos);  // the detail is for scripts only
    for (const std::string& fact : {f.path, f.part})
      if (size_t at = sentence.find(fact); at != std::string::npos) sentence.erase(at, fact.size());
    sentence = std::regex_replace(sentence, kNames, "");
    EXPECT_FALSE(std::regex_search(sentence, kAsciiWord));
    EXPECT_NE(FailureDetail(f).find(f.detail), std::string::npos);
  }
}

// A record keeps every fact through encoding and inside a longer text, and a
// clause whose fact is missing is left out rather than worded half.
TEST(Failure, RecordsSurviveReasonTextsAndMissingFactsDropTheirClause) {
  for (FailureKind kind : AllFailureKinds()) {
    const Failure f = WithFacts(kind);
    const std::optional<Failure> back = DecodeFailure("before: " + EncodeFailure(f) + " after");
    ASSERT_TRUE(back);
    EXPECT_EQ(
        std::tie(back->kind, back->path, back->part, back->offset, back->limit, back->code, back->detail),
        std::tie(f.kind, f.path, f.part, f.offset, f.limit, f.code, f.detail));
  }
  const Failure past{FailureKind::kChunkPastEnd, "", "data", 0, 0, 0, ""};
  EXPECT_EQ(
      WordReasons("x: " + EncodeFailure(past) + " (a.wav)", false),
      "x: ファイルの構造が壊れているため扱えません：「data」がファイルの終わりを越えています。 (a.wav)");
  EXPECT_EQ(WordReasons(EncodeFailure(past), true),
            "ファイルの構造が壊れているため扱えません：「data」がファイルの終わりを越えています。"
            " (the \"data\" chunk runs past the end of the file)");
  EXPECT_EQ(WordReasons("plain text", true), "plain text");
  std::string error;
  EXPECT_FALSE(FailWith(&error, past));
  EXPECT_EQ(DecodeFailure(error)->part, "data");
}

}  // namespace
}  // namespace hozanki
