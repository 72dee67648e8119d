// Inputs that once crashed a fuzz target (tests/data/fuzz/<target>/) go
// through the same parsers again; each must simply return.
#include <gtest/gtest.h>

#include "FormatTestSupport.h"
#include "core/catalogue/formats/AsfVideo.h"
#include "core/catalogue/formats/AviStructure.h"
#include "core/catalogue/formats/Mp4Movie.h"
#include "core/catalogue/formats/VqfStructure.h"

namespace hozanki {
namespace {

using namespace test;
namespace fs = std::filesystem;

std::vector<std::string> Inputs(const std::string& target) {
  std::vector<std::string> inputs;
  fs::path folder = Fixture("fuzz/" + target);
  if (fs::exists(folder))
    for (const auto& e : fs::directory_iterator(folder)) inputs.push_back(FileBytes(e.path()));
  return inputs;
}

TEST(FormatFuzzRegressions, AviReader) {
  for (const auto& bytes : Inputs("riff_avi")) {
    std::string_view view(bytes);
    auto read = [view](uint64_t offset, size_t count) {
      return offset >= view.size() ? std::string() : std::string(view.substr(offset, count));
    };
    AviStructure avi;
    std::string error;
    ParseAviStructure(read, view.size(), avi, &error);
    ParseInfoList(view);
  }
}

TEST(FormatFuzzRegressions, VqfAsfAndMp4Readers) {
  for (const auto& bytes : Inputs("vqf")) {
    VqfStructure vqf;
    ParseVqf(bytes, vqf, nullptr);
  }
  for (const auto& bytes : Inputs("asf_video")) ParseAsfHeader(bytes);
  for (const auto& bytes : Inputs("mp4_video")) ParseMp4Movie(bytes);
}

TEST(FormatFuzzRegressions, InfoFieldOfOddSizeWithoutItsPadByte) {
  std::string body = "INAM";
  body += std::string("\x03\x00\x00\x00", 4) + "ab";  // declared 3, 2 bytes there
  EXPECT_TRUE(ParseInfoList(body).Fields().empty());
  body = "INAM" + std::string("\x03\x00\x00\x00", 4) + "abc";  // odd, no pad byte at the end
  auto fields = ParseInfoList(body).Fields();
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].second, "abc");
}

}  // namespace
}  // namespace hozanki
