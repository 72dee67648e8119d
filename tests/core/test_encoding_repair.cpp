// The encoding repair's verdicts: each kind of damage is found and undone,
// clean text of every kind is left alone, and a generated corpus meets the
// goals (at least 99% of damaged values repaired, or listed with the right
// text where correct half-width katakana would read the same; no clean value
// changed).

#include <gtest/gtest.h>

#include "../../bench/EncodingCorpus.h"
#include "core/text/Cp932.h"
#include "core/text/EncodingRepair.h"

namespace hozanki {
namespace {

using corpus::Iconv;
using corpus::ReadAsSingleByte;

std::string Euc(std::string_view text) { return *Iconv("EUC-JP", "UTF-8", text); }

TEST(EncodingRepair, CleanTextStaysFine) {
  const char* clean[] = {"Hello World", "Café", "Beyoncé", "Motörhead", "Sigur Rós", "Björk", "Mötley Crüe",
                         "Amélie", "Pokémon", "Noël", "Straße", "Émile", "Über", "‘Tis the Season",
                         "“Hello” World", "Rock ’n’ Roll", "Crème Brûlée", "São Paulo", "Dvořák", "½ Moon",
                         "MOTÖRHEAD", "CAFÉ", "ÉTÉ", "BJÖRK", "SIGUR RÓS", "ÆØÅ", "Ñandú", "¿Qué?", "¡Olé!", "Ångström",
                         "日本", "東京事変", "さくら", "ハルジオン", "ｱｲｳｴｵ", "Ｊ－ＰＯＰ", "한국어", "Ελληνικά"};
  for (const char* text : clean)
    for (StoredForm form : {StoredForm::kUnicode, StoredForm::kLegacyBytes}) {
      TextDiagnosis d = DiagnoseText(text, form);
      EXPECT_EQ(d.verdict, TextVerdict::kFine) << text << " -> " << d.proposed;
    }
  // Western text in an ISO-8859-1 frame reads the same everywhere.
  for (const char* text : {"Café", "Motörhead", "Björk"})
    EXPECT_EQ(DiagnoseText(text, StoredForm::kLatin1Frame).verdict, TextVerdict::kFine) << text;
}

struct Damage {
  const char* name;
  std::string (*make)(const std::string&);
  StoredForm form;
  SourceEncoding source;
};

const Damage kDamages[] = {
    {"Shift-JIS as Windows-1252", [](const std::string& t) { return ReadAsSingleByte(*EncodeCp932(t), true); },
     StoredForm::kUnicode, SourceEncoding::kShiftJis},
    {"Shift-JIS as ISO-8859-1", [](const std::string& t) { return ReadAsSingleByte(*EncodeCp932(t), false); },
     StoredForm::kUnicode, SourceEncoding::kShiftJis},
    {"UTF-8 as Windows-1252", [](const std::string& t) { return ReadAsSingleByte(t, true); },
     StoredForm::kUnicode, SourceEncoding::kUtf8},
    {"EUC-JP as ISO-8859-1", [](const std::string& t) { return ReadAsSingleByte(Euc(t), false); },
     StoredForm::kUnicode, SourceEncoding::kEucJp},
    {"EUC-JP in a legacy field", [](const std::string& t) { return DecodeTagText(Euc(t)); },
     StoredForm::kLegacyBytes, SourceEncoding::kEucJp},
    {"EUC-JP in an ISO-8859-1 frame", [](const std::string& t) { return DecodeTagText(Euc(t)); },
     StoredForm::kLatin1Frame, SourceEncoding::kEucJp},
};

// The kanji levels of code page 932 by their first and last characters:
// first level 亜 (889F) to 腕 (9872), second level 弌 (989F) to 熙 (EAA4).
TEST(EncodingRepair, KanjiLevelsEndWhereCodePage932EndsThem) {
  struct Case {
    const char* text;
    int everyday, rare, implausible;
  };
  const Case cases[] = {{"亜", 1, 0, 0}, {"腕", 1, 0, 0}, {"弌", 0, 1, 0}, {"熙", 0, 1, 0}, {"纊", 0, 0, 1}};
  for (const Case& c : cases) {
    const JapaneseProfile p = ProfileText(c.text);
    EXPECT_EQ(p.everyday, c.everyday) << c.text;
    EXPECT_EQ(p.rare, c.rare) << c.text;
    EXPECT_EQ(p.implausible, c.implausible) << c.text;
  }
}

TEST(EncodingRepair, EachDamageIsUndone) {
  const char* texts[] = {"日本", "東京事変", "さくらの歌", "ハルジオン", "愛", "君の名は。", "夜に駆ける",
                         "残酷な天使のテーゼ", "ＹＯＡＳＯＢＩ", "Perfume の新曲"};
  for (const Damage& damage : kDamages)
    for (const char* text : texts) {
      std::string stored = damage.make(text);
      TextDiagnosis d = DiagnoseText(stored, damage.form);
      EXPECT_EQ(d.verdict, TextVerdict::kGarbled) << damage.name << ": " << text << " stored as " << stored;
      EXPECT_EQ(d.proposed, text) << damage.name << ": " << stored;
      EXPECT_EQ(d.source, damage.source) << damage.name << ": " << text;
      EXPECT_GT(d.confidence, 0.5) << damage.name << ": " << text;
    }
  // The examples everybody meets.
  EXPECT_EQ(DiagnoseText("“ú–{", StoredForm::kUnicode).proposed, "日本");
  EXPECT_EQ(DiagnoseText("æ—¥æœ¬", StoredForm::kUnicode).proposed, "日本");
  // UTF-8 damage of Western text is undone as well.
  EXPECT_EQ(DiagnoseText("CafÃ©", StoredForm::kUnicode).proposed, "Café");
}

TEST(EncodingRepair, ShiftJisInLatin1FrameIsLegacy) {
  TextDiagnosis d = DiagnoseText("東京事変", StoredForm::kLatin1Frame);
  EXPECT_EQ(d.verdict, TextVerdict::kLegacy);
  EXPECT_EQ(d.proposed, "東京事変");
  EXPECT_EQ(d.source, SourceEncoding::kShiftJis);
  // UTF-8 bytes in such a frame: readable here, not elsewhere.
  EXPECT_EQ(DiagnoseText("한국어", StoredForm::kLatin1Frame).source, SourceEncoding::kUtf8);
  // The same text in a Unicode field, or in a legacy field that has no
  // Unicode form, is fine.
  EXPECT_EQ(DiagnoseText("東京事変", StoredForm::kUnicode).verdict, TextVerdict::kFine);
  EXPECT_EQ(DiagnoseText("東京事変", StoredForm::kLegacyBytes).verdict, TextVerdict::kFine);
}

TEST(EncodingRepair, ReinterpretFollowsTheChosenSource) {
  std::string stored = ReadAsSingleByte(*EncodeCp932("日本"), true);
  EXPECT_EQ(ReinterpretText(stored, StoredForm::kUnicode, SourceEncoding::kShiftJis), "日本");
  EXPECT_EQ(ReinterpretText(stored, StoredForm::kUnicode, SourceEncoding::kKeep), stored);
  EXPECT_EQ(ReinterpretText(stored, StoredForm::kUnicode, SourceEncoding::kUtf8), std::nullopt);
  EXPECT_EQ(ReinterpretText("東京", StoredForm::kUnicode, SourceEncoding::kEucJp), std::nullopt);
  for (SourceEncoding s :
       {SourceEncoding::kKeep, SourceEncoding::kShiftJis, SourceEncoding::kUtf8, SourceEncoding::kEucJp})
    EXPECT_EQ(SourceEncodingFromName(SourceEncodingName(s)), s);
}

TEST(EncodingRepair, GeneratedCorpusMeetsTheGoals) {
  corpus::Generator generator(20261207);
  std::vector<corpus::Sample> samples = generator.Make(4000);
  corpus::Score score = corpus::Evaluate(samples);
  ASSERT_EQ(score.damaged, 2000u);
  double share = double(score.repaired + score.listed) / double(score.damaged);
  std::printf("encoding repair corpus: %zu of %zu damaged values repaired, %zu more listed as ambiguous with the "
              "right text (%.2f%% found), %zu of %zu clean changed\n",
              score.repaired, score.damaged, score.listed, share * 100, score.cleanChanged, score.clean);
  for (size_t i = 0; i < score.misses.size() && i < 10; ++i)
    std::printf("  missed (%s): %s -> expected %s, got %s\n", score.misses[i]->damage.c_str(),
                score.misses[i]->stored.c_str(), score.misses[i]->expected.c_str(),
                DiagnoseText(score.misses[i]->stored, score.misses[i]->form).proposed.c_str());
  for (const corpus::Sample* s : score.falseRepairs)
    ADD_FAILURE() << "clean value changed: " << s->stored << " -> " << DiagnoseText(s->stored, s->form).proposed;
  EXPECT_GE(share, 0.99);
  EXPECT_GE(double(score.repaired) / double(score.damaged), 0.98);
  EXPECT_EQ(score.cleanChanged, 0u);
}

}  // namespace
}  // namespace hozanki
