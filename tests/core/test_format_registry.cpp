// Every format walked through the format registry: its description agrees
// with itself, with the page mapping, with the file layer that opens a
// fixture of it, and every value name of every tag kind travels from a cell
// to the file and back.
#include <gtest/gtest.h>

#include <set>

#include "FormatTestSupport.h"
#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/FormatOpeners.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/catalogue/TagFile.h"
#include "core/common/FormatRegistry.h"
#include "core/rename/RenamePattern.h"
#include "core/settings/SettingsKeys.h"

namespace hozanki {
namespace {

using namespace test;
namespace fs = std::filesystem;

// One fixture per format, of the plainest kind the format has, and the tag
// under which ffprobe shows the artist (null when it reads no tags of the format).
struct FormatFixture {
  MediaFormat format;
  const char* fixture;
  const char* probedArtist;
};
const std::vector<FormatFixture> kFixtures = {
    {MediaFormat::MP3, "mp3/plain.mp3", "artist"},  {MediaFormat::WAV, "wav/plain.wav", "artist"},
    {MediaFormat::AVI, "avi/tagged.avi", "artist"}, {MediaFormat::VQF, "vqf/plain.vqf", "author"},
    {MediaFormat::WMA, "wma/tagged.wma", "artist"}, {MediaFormat::OGG, "ogg/tagged.ogg", "artist"},
    {MediaFormat::APE, "ape/plain.ape", "artist"},  {MediaFormat::MP4, "mp4/tagged.m4a", "artist"},
    {MediaFormat::FLAC, "flac/tagged.flac", "artist"},
    {MediaFormat::AIFF, "aiff/tagged.aiff", "artist"},
    {MediaFormat::DSF, "dsf/tagged.dsf", "artist"},
};

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

TEST(FormatRegistry, EveryFormatHasAFixtureAndEveryTagKindOneFormat) {
  ASSERT_EQ(AllFormats().size(), static_cast<size_t>(kFormatCount));
  ASSERT_EQ(AllTagKinds().size(), static_cast<size_t>(kTagKindCount));
  std::set<MediaFormat> fixtures;
  for (const FormatFixture& f : kFixtures) fixtures.insert(f.format);
  EXPECT_EQ(fixtures.size(), static_cast<size_t>(kFormatCount)) << "a format without a fixture in this test";

  // The tag kinds of the formats, one after the other, are the tag pages in order.
  int nextPage = 0;
  for (const FormatDescription& d : AllFormats()) {
    EXPECT_EQ(&Describe(d.format), &d) << d.name << " sits in another format's slot";
    ASSERT_FALSE(d.kinds.empty()) << d.name;
    for (TagKind kind : d.kinds) {
      EXPECT_EQ(static_cast<int>(kind), nextPage++) << d.name << ": tag kinds not consecutive";
      EXPECT_EQ(Describe(kind).kind, kind) << TagKindKey(kind) << " sits in another kind's slot";
      EXPECT_EQ(Describe(kind).format, d.format) << TagKindKey(kind);
    }
  }
  EXPECT_EQ(nextPage, kTagKindCount);
}

TEST(FormatRegistry, PagesMapBothWays) {
  for (int filePage = 0; filePage < kFormatCount; ++filePage) {
    const int tagPage = TagPageOf(filePage);
    EXPECT_EQ(FilePageOf(tagPage), filePage);
    const auto sisters = SisterTagKinds(tagPage);
    ASSERT_FALSE(sisters.empty());
    EXPECT_EQ(static_cast<int>(sisters.front()), tagPage) << "a file page shows its first tag page";
    for (size_t i = 0; i < sisters.size(); ++i) {
      const int page = static_cast<int>(sisters[i]);
      EXPECT_EQ(FilePageOf(page), filePage);
      EXPECT_EQ(TagRowIndex(sisters[i]), static_cast<int>(i));
      EXPECT_EQ(TagPageOf(FilePageOf(page)), tagPage);
    }
  }
  EXPECT_EQ(SisterTagKinds(static_cast<int>(TagKind::MP3RIFF)).size(), 4u);
  EXPECT_EQ(SisterTagKinds(static_cast<int>(TagKind::WMA)).size(), 1u);
}

TEST(FormatRegistry, ExtensionsNameOneFormatEach) {
  std::set<std::string> seen;
  for (const FormatDescription& d : AllFormats()) {
    EXPECT_FALSE(d.extensions.empty()) << d.name;
    EXPECT_EQ(FormatOfType(d.type), d.format) << d.name;
    EXPECT_EQ(TypeOfFormat(d.format), d.type) << d.name;
    for (std::string_view ext : d.extensions) {
      EXPECT_TRUE(seen.insert(std::string(ext)).second) << ext << " listed twice";
      EXPECT_EQ(TypeOfExtension(ext), d.type) << ext;
      EXPECT_EQ(TypeOfExtension(Upper(ext)), d.type) << ext;
      EXPECT_EQ(TypeFromExtension(fs::path("dir.x") / ("song" + Upper(ext))), d.type) << ext;
    }
  }
  for (const char* other : {"", ".", ".txt", ".mp", ".mp33", "mp3"})
    EXPECT_EQ(TypeOfExtension(other), FileType::Unknown) << other;
}

TEST(FormatRegistry, TablesOfEveryKindHaveOneColumnAndWidthPerValue) {
  for (const FormatDescription& d : AllFormats()) {
    EXPECT_EQ(d.fileColumns.size(), d.fileWidths.size() + 1) << d.name;
    EXPECT_EQ(settings::FileColumnDefaults(d.format).size(), d.fileWidths.size()) << d.name;
    EXPECT_EQ(d.fileColumns.back().caption == "映像形式", d.hasVideo) << d.name;
    const auto items = RenameItemNames(d.format);
    ASSERT_FALSE(items.empty()) << d.name;
    const int last = static_cast<int>(items.size()) - 1;
    const PatternFieldOf lastField = FieldOfKind(d.format, last);
    EXPECT_EQ(lastField.field, PatternField::Tag) << d.name << ": last rename item";
    EXPECT_EQ(lastField.tagField, static_cast<int>(d.renameTagItems.size())) << d.name;
    const int separator = last - static_cast<int>(d.renameTagItems.size());
    EXPECT_EQ(items[static_cast<size_t>(separator)], "-----") << d.name;
    EXPECT_EQ(FieldOfKind(d.format, separator).field, PatternField::Separator) << d.name;
    EXPECT_EQ(FieldOfKind(d.format, separator - 1).field,
              d.hasVideo ? PatternField::VideoFormat : PatternField::AudioFormat)
        << d.name;
  }
  for (const TagKindDescription& k : AllTagKinds()) {
    const size_t n = k.valueNames.size();
    EXPECT_EQ(k.columns.size(), n + 2) << k.key;
    EXPECT_EQ(TagTableColumns(k.kind).size(), n + 2) << k.key;
    EXPECT_EQ(k.widths.size(), n + 1) << k.key;
    EXPECT_EQ(std::set<std::string_view>(k.valueNames.begin(), k.valueNames.end()).size(), n)
        << k.key << ": a value name twice";
    for (int column : k.listColumns) EXPECT_LE(column, static_cast<int>(n)) << k.key;
    for (const ValueNameRule& rule : k.valueRules) {
      EXPECT_NE(std::find(k.valueNames.begin(), k.valueNames.end(), rule.cell), k.valueNames.end())
          << k.key << ": rule for a value it has not: " << rule.cell;
      EXPECT_EQ(rule.quirk == ValueQuirk::Pair, !rule.second.empty()) << k.key << " " << rule.cell;
    }
  }
}

TEST(FormatRegistry, ValueNamesAsUsersGiveThemFindTheirCell) {
  for (const TagKindDescription& k : AllTagKinds()) {
    for (size_t i = 0; i < k.valueNames.size(); ++i) {
      const ValueNameTarget whole = FindValueName(k.kind, k.valueNames[i]);
      EXPECT_EQ(whole.cell, static_cast<int>(i) + 1) << k.key << " " << k.valueNames[i];
      EXPECT_EQ(whole.part, 0);
      const auto stored = StoredNamesOf(k.kind, k.valueNames[i]);
      const ValueNameRule* rule = ValueRuleOf(k.kind, k.valueNames[i]);
      if (!rule || rule->quirk != ValueQuirk::Pair) {
        EXPECT_EQ(stored.front(), k.valueNames[i]) << "the cell's own name is read first";
        continue;
      }
      ASSERT_EQ(stored.size(), 2u);
      for (int part = 1; part <= 2; ++part) {
        const ValueNameTarget half = FindValueName(k.kind, stored[static_cast<size_t>(part - 1)]);
        EXPECT_EQ(half.cell, static_cast<int>(i) + 1) << stored[static_cast<size_t>(part - 1)];
        EXPECT_EQ(half.part, part);
      }
    }
    EXPECT_EQ(FindValueName(k.kind, "NOSUCHVALUE").cell, 0);
  }
  // The quirks are the formats' own: only MP4 has pairs, only WAV and AVI a fallback.
  EXPECT_EQ(FindValueName(TagKind::MP4, "DISC2").part, 2);
  EXPECT_EQ(FindValueName(TagKind::WMA, "TRACK2").cell, 0);
  EXPECT_EQ(StoredNamesOf(TagKind::AVI, "INAM"), (std::vector<std::string_view>{"INAM", "ISBJ"}));
  EXPECT_EQ(StoredNamesOf(TagKind::VQF, "INAM"), (std::vector<std::string_view>{"INAM"}));
}

TEST(FormatRegistry, PairCellTextSplitsAndJoins) {
  struct Case {
    std::string_view text;
    int part;
    std::string_view value;
    std::string_view expected;
  };
  const std::vector<Case> cases = {
      {"3/12", 1, "4", "4/12"}, {"3/12", 2, "", "3"}, {"3", 2, "9", "3/9"},
      {"", 1, "7", "7"},        {"1/2/3", 2, "x", "1/x"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithPairPart(c.text, c.part, c.value), c.expected) << c.text;
  for (std::string_view text : {"3/12", "3", "", "0/5"}) {
    const auto [first, second] = SplitPairCell(text);
    EXPECT_EQ(PairCellText(first, second), text);
  }
}

// A value for every cell that each format keeps as given: numbers where the
// format stores numbers, a genre name where it keeps a genre list.
std::string ValueFor(const TagKindDescription& k, size_t i) {
  const ColumnSpec& column = k.columns[i + 2];
  const ValueNameRule* rule = ValueRuleOf(k.kind, k.valueNames[i]);
  if (rule && rule->quirk == ValueQuirk::Pair) return std::to_string(i + 1) + "/" + std::to_string(i + 20);
  if (column.tag == kColumnGenre) return "Rock";
  if (column.tag > 0 && column.tag < 4) return column.tag == 1 ? "1" : std::to_string(i + 1);
  if (column.alignment == ColumnAlignment::Right) return std::to_string(1990 + i);
  return "v" + std::to_string(i + 1);
}

TEST(FormatRegistry, EveryFormatOpensAndEveryValueNameTravelsToTheFileAndBack) {
  for (const FormatFixture& f : kFixtures) {
    const FormatDescription& d = Describe(f.format);
    ASSERT_NE(OpenerOf(d.type), nullptr) << d.name << " has no opener";
    std::string error;
    std::unique_ptr<TagFile> opened = OpenTagFile(Fixture(f.fixture), &error);
    ASSERT_TRUE(opened) << f.fixture << ": " << error;
    EXPECT_EQ(opened->Type(), d.type) << f.fixture;

    const auto read = ReadMediaFile(Fixture(f.fixture).parent_path(), Fixture(f.fixture).filename(), &error);
    ASSERT_TRUE(read) << f.fixture << ": " << error;
    EXPECT_EQ(read->format, d.format);
    EXPECT_EQ(read->file.cells.size(), static_cast<size_t>(FileCellCount(d.format))) << d.name;
    ASSERT_EQ(read->tags.size(), d.kinds.size()) << d.name;

    for (TagKind kind : d.kinds) {
      const TagKindDescription& k = Describe(kind);
      const size_t row = static_cast<size_t>(TagRowIndex(kind));
      EXPECT_EQ(read->tags[row].cells.size(), k.valueNames.size() + 1) << k.key;
      if (kind == TagKind::MP3RIFF) continue;  // RIFF-wrapped MP3: its own tests

      const fs::path copy = TempCopy(f.fixture);
      MediaFileEntry entry = *read;
      entry.relativePath = copy.filename();
      for (TagRow& other : entry.tags) other.image = 0;
      TagRow& tags = entry.tags[row];
      tags.state = kChecked;
      tags.image = kChangedMark;
      for (size_t i = 0; i < k.valueNames.size(); ++i) tags.cells[i + 1].text = ValueFor(k, i);
      WriteSettings settings;
      ASSERT_TRUE(WriteMediaFile(copy.parent_path(), entry, settings, &error)) << k.key << ": " << error;

      const auto back = ReadMediaFile(copy.parent_path(), copy.filename(), &error);
      // Another reader finds the artist and title columns' values as its
      // artist and title. It does not read APE tags in MP3 files.
      const bool probe = f.probedArtist && kind != TagKind::MP3APE;
      const auto probed = probe ? ProbeTags(copy) : std::map<std::string, std::string>();
      fs::remove_all(copy.parent_path());
      ASSERT_TRUE(back) << k.key << ": " << error;
      for (size_t i = 0; i < k.valueNames.size(); ++i)
        EXPECT_EQ(back->tags[row].cells[i + 1].text, ValueFor(k, i)) << k.key << " " << k.valueNames[i];
      if (!probe) continue;
      for (const auto& [caption, tag] : {std::pair{"ｱｰﾃｨｽﾄ ", f.probedArtist}, std::pair{"ﾀｲﾄﾙ ", "title"}}) {
        const auto column = std::find_if(k.columns.begin(), k.columns.end(),
                                         [&](const ColumnSpec& c) { return c.caption == caption; });
        ASSERT_NE(column, k.columns.end()) << k.key;
        const size_t i = static_cast<size_t>(column - k.columns.begin()) - 2;
        const auto found = probed.find(tag);
        EXPECT_TRUE(found != probed.end() && found->second == ValueFor(k, i)) << k.key << " " << tag;
      }
    }
  }
}

}  // namespace
}  // namespace hozanki
