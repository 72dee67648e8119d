// The project's own AVI and VQF writers: INFO written in place without
// moving the movie data, refusal when there is no room, and VQF headers
// rebuilt around an untouched bit stream.
#include <gtest/gtest.h>

#include "FormatTestSupport.h"
#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/AviStructure.h"
#include "core/catalogue/formats/VqfStructure.h"

namespace hozanki {
namespace {

using namespace test;
namespace fs = std::filesystem;

size_t MoviOffset(const std::string& bytes) {
  return bytes.find("movi");
}

TEST(AviWrite, InfoIsWrittenInPlaceAndTheMovieDataNeverMoves) {
  for (const char* f : {"avi/tagged.avi", "avi/cp932_info.avi", "avi/avix.avi", "avi/isbj_only.avi"}) {
    SCOPED_TRACE(f);
    auto path = TempCopy(f);
    std::string before = FileBytes(path);
    auto file = OpenTagFile(path);
    ASSERT_TRUE(file);
    file->SetValue("INAM", "新しいタイトル");
    file->SetValue("ISBJ", "");
    file->SetValue("ICMT", "x");
    std::string error;
    ASSERT_TRUE(file->Save(&error)) << error;
    std::string after = FileBytes(path);
    ASSERT_EQ(after.size(), before.size());
    size_t movi = MoviOffset(before);
    EXPECT_EQ(MoviOffset(after), movi);
    EXPECT_EQ(after.substr(movi - 8), before.substr(movi - 8));  // movi, idx1 and any RIFF AVIX part
    EXPECT_EQ(after.substr(0, 4 + 8), before.substr(0, 4 + 8));  // the RIFF size is untouched
    auto again = OpenTagFile(path);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetValue("INAM"), "新しいタイトル");
    EXPECT_EQ(again->GetValue("ISBJ"), "");
    EXPECT_EQ(again->GetValue("ICMT"), "x");
  }
}

TEST(AviWrite, AnInfoListAfterTheMovieDataMovesIntoThePaddingBeforeIt) {
  auto path = TempCopy("avi/info_at_end.avi");
  std::string before = FileBytes(path);
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->GetValue("INAM"), "Late Title");
  file->SetValue("INAM", "Early Title");
  ASSERT_TRUE(file->Save(nullptr));
  std::string after = FileBytes(path);
  ASSERT_EQ(after.size(), before.size());
  size_t movi = MoviOffset(before);
  EXPECT_LT(after.find("Early Title"), movi);
  EXPECT_EQ(after.find("Late Title"), before.find("Late Title"));  // still there, inside JUNK
  EXPECT_EQ(after.substr(after.find("Late Title") - 20, 4), "JUNK");
  auto again = OpenTagFile(path);
  EXPECT_EQ(again->GetValue("INAM"), "Early Title");
  EXPECT_EQ(again->GetValue("IART"), "Late Artist");  // fields the row does not show are kept
}

TEST(AviWrite, WithoutRoomTheFileIsRefusedAndLeftAlone) {
  auto path = TempCopy("avi/no_junk.avi");
  std::string before = FileBytes(path);
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->GetValue("INAM"), "Fixed");
  file->SetValue("INAM", "A title longer than the list that holds the old one");
  std::string error;
  EXPECT_FALSE(file->Save(&error));
  EXPECT_NE(error.find("no room"), std::string::npos) << error;
  EXPECT_EQ(FileBytes(path), before);
  EXPECT_FALSE(fs::exists(path.string() + ".tmp~"));

  // A text of the same size still fits in the list it replaces.
  file->SetValue("INAM", "Fixes");
  EXPECT_TRUE(file->Save(&error)) << error;
  EXPECT_EQ(OpenTagFile(path)->GetValue("INAM"), "Fixes");

  // More than the JUNK padding can take.
  auto padded = TempCopy("avi/isbj_only.avi");
  before = FileBytes(padded);
  file = OpenTagFile(padded);
  file->SetValue("ICMT", std::string(400, 'c'));
  EXPECT_FALSE(file->Save(&error));
  EXPECT_EQ(FileBytes(padded), before);
}

TEST(AviWrite, RegionIsFilledExactlyWhateverIsLeftOver) {
  // Leftovers of 0 to 8 bytes: none, too little for a JUNK chunk (a changed
  // field takes it), or an empty JUNK chunk.
  InfoList info;
  info.Set("INAM", "abc");
  info.Set("IART", "de");
  std::string base = info.Render(InfoTextMode::kLegacy);
  for (uint64_t extra = 0; extra <= 12; extra += 2) {
    std::string bytes, error;
    ASSERT_TRUE(RenderInfoRegion(info, InfoTextMode::kLegacy, base.size() + extra, bytes, &error)) << extra;
    ASSERT_EQ(bytes.size(), base.size() + extra);
    auto parsed = ParseInfoList(std::string_view(bytes).substr(12, bytes.size() - 12)).Fields();
    ASSERT_GE(parsed.size(), 2u);
    EXPECT_EQ(parsed[0], (std::pair<std::string, std::string>("INAM", "abc")));
    EXPECT_EQ(parsed[1], (std::pair<std::string, std::string>("IART", "de")));
    if (extra >= 8) EXPECT_EQ(bytes.substr(base.size(), 4), "JUNK");
  }
  std::string bytes, error;
  EXPECT_FALSE(RenderInfoRegion(info, InfoTextMode::kLegacy, base.size() - 2, bytes, &error));
  // No fields at all: the whole region becomes JUNK.
  ASSERT_TRUE(RenderInfoRegion(InfoList(), InfoTextMode::kLegacy, 64, bytes, &error));
  EXPECT_EQ(bytes.substr(0, 4), "JUNK");
  EXPECT_EQ(bytes.size(), 64u);
}

TEST(VqfWrite, HeaderIsRebuiltAroundTheUntouchedBitStream) {
  auto path = TempCopy("vqf/tagged.vqf");
  std::string before = FileBytes(path);
  std::string stream = before.substr(before.find("DATA"));
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  file->SetValue("INAM", "");
  file->SetValue("ICMT", "A much longer comment than the one before it");
  ASSERT_TRUE(file->Save(nullptr));
  std::string after = FileBytes(path);
  EXPECT_EQ(after.substr(after.find("DATA")), stream);
  VqfStructure vqf;
  std::string error;
  ASSERT_TRUE(ParseVqf(after, vqf, &error)) << error;
  EXPECT_EQ(vqf.chunks.front().id, "COMM");  // kept first, as players expect
  for (const auto& c : vqf.chunks) EXPECT_NE(c.id, "NAME");
  EXPECT_EQ(OpenTagFile(path)->GetValue("ICMT"), "A much longer comment than the one before it");
  EXPECT_EQ(OpenTagFile(path)->GetValue("TIME"), "0:01 (1sec)");
}

TEST(VqfRead, HeaderSizesThatLieAreRejected) {
  std::string good = FileBytes(Fixture("vqf/tagged.vqf"));
  VqfStructure vqf;
  std::string error;
  ASSERT_TRUE(ParseVqf(good, vqf, &error));
  for (size_t cut : {size_t{0}, size_t{15}, size_t{16}, size_t{40}, vqf.dataOffset + 3}) {
    EXPECT_FALSE(ParseVqf(std::string_view(good).substr(0, cut), vqf, &error)) << cut;
  }
  std::string noData = good;
  noData.replace(noData.find("DATA"), 4, "XXXX");
  EXPECT_FALSE(ParseVqf(noData, vqf, &error));
}

}  // namespace
}  // namespace hozanki
