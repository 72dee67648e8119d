// Legacy tag bytes over real titles: Japanese in code page 932 and Western
// text with accents in ISO-8859-1 read right (at least 99.5% of each; what
// is read otherwise is listed by the encoding repair, never guessed
// silently), and the repair changes none of them.

#include <gtest/gtest.h>

#include <cstdio>

#include "../../bench/EncodingCorpus.h"
#include "../../bench/ReadingCorpus.h"
#include "core/text/Cp932.h"
#include "core/text/EncodingRepair.h"

namespace hozanki {
namespace {

using corpus::ReadAsSingleByte;

struct Sample {
  std::string text, bytes;
};

bool HasHighByte(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return true;
  return false;
}

// The titles their legacy form holds, with accents or kana (plain ASCII and
// titles the code page lacks, such as Czech "ř", are left out).
std::vector<Sample> Encoded(const std::vector<std::string_view>& titles, bool japanese) {
  std::vector<Sample> out;
  for (std::string_view t : titles) {
    std::optional<std::string> bytes = japanese ? EncodeCp932(t) : corpus::Iconv("ISO-8859-1", "UTF-8", t);
    if (bytes && HasHighByte(*bytes)) out.push_back({std::string(t), *bytes});
  }
  return out;
}

const std::vector<Sample>& Japanese() {
  static const std::vector<Sample> samples = Encoded(corpus::JapaneseTitles(), true);
  return samples;
}
const std::vector<Sample>& Western() {
  static const std::vector<Sample> samples = Encoded(corpus::WesternTitles(), false);
  return samples;
}

TEST(LegacyReading, RealTitlesReadRightAndTheRestIsListed) {
  for (const auto& [name, samples] : {std::pair{"Japanese in code page 932", &Japanese()},
                                      std::pair{"Western text in ISO-8859-1", &Western()}}) {
    size_t right = 0, listed = 0;
    for (const Sample& s : *samples) {
      LegacyReading r = ReadLegacyBytes(s.bytes);
      if (r.text == s.text) {
        ++right;
        continue;
      }
      TextDiagnosis d = DiagnoseText(r.text, StoredForm::kLegacyBytes);
      std::printf("  %s read as %s (%s)\n", s.text.c_str(), r.text.c_str(), TextVerdictName(d.verdict).data());
      if (d.verdict != TextVerdict::kFine && d.proposed == s.text)
        ++listed;
      else
        ADD_FAILURE() << s.text << " silently read as " << r.text;
    }
    const double share = double(right) / double(samples->size());
    std::printf("legacy reading, %s: %zu of %zu read right (%.2f%%), %zu of the rest listed by the repair\n", name,
                right, samples->size(), share * 100, listed);
    EXPECT_GE(samples->size(), 200u) << name;
    EXPECT_GE(share, 0.995) << name;
  }
}

TEST(LegacyReading, RepairChangesNoCleanValue) {
  size_t values = 0;
  for (const auto* samples : {&Japanese(), &Western()})
    for (const Sample& s : *samples) {
      std::string read = DecodeTagText(s.bytes);
      for (StoredForm form : {StoredForm::kLegacyBytes, StoredForm::kLatin1Frame, StoredForm::kUnicode}) {
        ++values;
        TextDiagnosis d = DiagnoseText(read, form);
        EXPECT_FALSE(d.verdict == TextVerdict::kGarbled && d.proposed != read)
            << read << " (form " << int(form) << ") \"repaired\" into " << d.proposed;
      }
    }
  std::printf("encoding repair over the reading corpus: %zu clean values checked\n", values);
}

// Half-width katakana among garbled values (code page 932 bytes read as
// Windows-1252 and saved as Unicode) is repaired as half-width katakana, or
// left alone when too short to tell, never turned into EUC-JP kanji.
TEST(LegacyReading, GarbledHalfWidthKatakanaIsRepairedAsSuch) {
  size_t count = 0, repaired = 0;
  for (const Sample& s : Japanese()) {
    if (s.text.find("\xEF\xBD") == std::string::npos && s.text.find("\xEF\xBE") == std::string::npos) continue;
    ++count;
    TextDiagnosis d = DiagnoseText(ReadAsSingleByte(s.bytes, true), StoredForm::kUnicode);
    if (d.verdict == TextVerdict::kFine) continue;
    EXPECT_EQ(d.proposed, s.text);
    repaired += d.proposed == s.text ? 1 : 0;
  }
  std::printf("garbled half-width katakana: %zu of %zu repaired right\n", repaired, count);
  EXPECT_GE(count, 60u);
  EXPECT_GE(double(repaired) / double(count), 0.9);
}

struct Fault {
  std::string bytes;
  std::string text;
};

TEST(LegacyReading, TheReportedTitlesReadRight) {
  const Fault faults[] = {
      {"Mot\xF6rhead", "Motörhead"},        // user-defined code F672
      {"Bj\xF6rk", "Björk"},
      {"J\xF3ga", "Jóga"},
      {"Sigur R\xF3s", "Sigur Rós"},
      {"P\xE8re Ubu", "Père Ubu"},          // a rare kanji between Latin letters
      {"Fran\xE7oise Hardy", "Françoise Hardy"},
      {"\xC9" "dith Piaf", "Édith Piaf"},   // half-width katakana against a letter
      {"L'\xE9t\xE9 indien", "L'été indien"},
      {"r\xE9sum\xE9", "résumé"},
      {"\xBB\xBB\xDE\xDD\xB5\xB0\xD9\xBD\xC0\xB0\xBD\xDE", "ｻｻﾞﾝｵｰﾙｽﾀｰｽﾞ"},
      {"\x93\xFA\x96\x7B", "日本"},
      {"Caf\xC3\xA9", "Café"},              // UTF-8
  };
  for (const Fault& f : faults) {
    EXPECT_EQ(DecodeTagText(f.bytes), f.text);
    // The repair leaves each alone, in every legacy form.
    for (StoredForm form : {StoredForm::kLegacyBytes, StoredForm::kLatin1Frame})
      EXPECT_NE(DiagnoseText(f.text, form).verdict, TextVerdict::kGarbled) << f.text;
  }
}

TEST(LegacyReading, CloseCallsAreListedWithTheOtherReading) {
  // Two half-width katakana without marks, or "ÚÛ" in ISO-8859-1.
  LegacyReading r = ReadLegacyBytes("\xDA\xDB");
  EXPECT_EQ(r.text, "ﾚﾛ");
  ASSERT_TRUE(r.alternative.has_value());
  EXPECT_EQ(*r.alternative, "ÚÛ");
  TextDiagnosis d = DiagnoseText(r.text, StoredForm::kLegacyBytes);
  EXPECT_EQ(d.verdict, TextVerdict::kAmbiguous);
  EXPECT_EQ(d.source, SourceEncoding::kLatin1);
  EXPECT_EQ(d.proposed, "ÚÛ");
  // Each source re-reads the stored bytes.
  EXPECT_EQ(ReinterpretText(r.text, StoredForm::kLegacyBytes, SourceEncoding::kShiftJis), "ﾚﾛ");
  // Bytes that also pair up as EUC-JP: that reading is offered, the others
  // stay choosable.
  TextDiagnosis euc = DiagnoseText("ｸﾙ", StoredForm::kLegacyBytes);
  EXPECT_EQ(euc.verdict, TextVerdict::kAmbiguous);
  EXPECT_EQ(euc.source, SourceEncoding::kEucJp);
  EXPECT_EQ(euc.proposed, "跨");
  EXPECT_EQ(ReinterpretText("ｸﾙ", StoredForm::kLegacyBytes, SourceEncoding::kLatin1), "¸Ù");
}

TEST(LegacyReading, Utf8InAnIsoFrameIsLabelledUtf8) {
  // The same text from UTF-8 bytes and from code page 932 bytes.
  TextDiagnosis utf8 = DiagnoseText("東京事変", StoredForm::kUtf8InLatin1Frame);
  EXPECT_EQ(utf8.verdict, TextVerdict::kLegacy);
  EXPECT_EQ(utf8.source, SourceEncoding::kUtf8);
  EXPECT_EQ(ReinterpretText("東京事変", StoredForm::kUtf8InLatin1Frame, SourceEncoding::kUtf8), "東京事変");
  TextDiagnosis cp932 = DiagnoseText("東京事変", StoredForm::kLatin1Frame);
  EXPECT_EQ(cp932.source, SourceEncoding::kShiftJis);
  EXPECT_EQ(ReinterpretText("東京事変", StoredForm::kLatin1Frame, SourceEncoding::kShiftJis), "東京事変");
  EXPECT_EQ(ReinterpretText("東京事変", StoredForm::kLatin1Frame, SourceEncoding::kUtf8), std::nullopt);
}

}  // namespace
}  // namespace hozanki
