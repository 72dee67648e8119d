// list --json and apply over more files than they hold at once: the
// listing keeps the folder's order and every file's own values across the
// readers' window, and apply writes every batch, swaps names across batches
// and writes nothing when the listing's end is broken.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "core/catalogue/FolderScan.h"
#include "core/catalogue/formats/Id3v2Tag.h"

namespace {

namespace fs = std::filesystem;
using hozanki::test::Quote;
using hozanki::test::ReadFile;
using hozanki::test::WriteFile;

class CliStreaming : public hozanki::test::CliConfigTest {
 protected:
  // `count` MP3 files "NNNNN.mp3" in "music", each titled with its number.
  void MakeFiles(int count) {
    fs::create_directories(dir_ / "music");
    std::string frame(417, '\0');
    frame[0] = '\xFF', frame[1] = '\xFB', frame[2] = '\x90', frame[3] = '\x64';
    std::string audio;
    for (int i = 0; i < 4; ++i) audio += frame;
    for (int i = 0; i < count; ++i) {
      hozanki::Id3v2Tag tag;
      tag.Set("INAM", "題 " + std::to_string(i));
      WriteFile(dir_ / "music" / Name(i), tag.Render(3, false, 1) + audio);
    }
  }
  static std::string Name(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "%05d.mp3", i);
    return name;
  }
  hozanki::test::ShellResult Cli(const std::string& arguments) {
    return hozanki::test::RunShellWithErrors(std::string(HOZANKI_CLI) + " " + arguments, dir_ / "err.txt");
  }
  nlohmann::json List() {
    hozanki::test::ShellResult r = Cli("list --json " + Quote(dir_ / "music"));
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out, nullptr, false);
  }
};

TEST_F(CliStreaming, ListKeepsTheFolderOrderAndEachFilesValuesAcrossTheWindow) {
  MakeFiles(700);  // more than the readers run ahead, also on a network share
  // Files that cannot be read, between the others: skipped in their place.
  for (int i : {3, 350, 699}) WriteFile(dir_ / "music" / (Name(i).substr(0, 5) + "b.mp3"), "not audio");
  const nlohmann::json listing = List();
  ASSERT_TRUE(listing.is_array());
  const std::vector<fs::path> order = hozanki::ListMediaFiles(dir_ / "music");
  ASSERT_EQ(order.size(), 703u);
  std::vector<std::string> expected, skipped;
  for (const fs::path& p : order)
    (p.string().find('b') != std::string::npos ? skipped : expected).push_back(p.filename().string());
  ASSERT_EQ(listing.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(listing[i]["name"], expected[i]) << "entry " << i;
    EXPECT_EQ(listing[i]["tags"]["ID3v2"]["INAM_v2"], "題 " + std::to_string(std::stoi(expected[i])));
  }
  const std::string err = ReadFile(dir_ / "err.txt");
  size_t at = 0;
  for (const std::string& name : skipped) {
    at = err.find(name, at);
    ASSERT_NE(at, std::string::npos) << name << " not reported in order:\n" << err;
  }
}

TEST_F(CliStreaming, ApplyWritesEveryBatchSwapsAcrossBatchesAndChecksTheWholeListingFirst) {
  constexpr int kFiles = 1100;  // more than one batch
  MakeFiles(kFiles);
  nlohmann::json listing = List();
  ASSERT_EQ(listing.size(), size_t{kFiles});
  for (int i = 0; i < kFiles; ++i) listing[i]["tags"]["ID3v2"]["INAM_v2"] = "新 " + std::to_string(i);
  // The first and the last file swap names: a rename each way.
  listing[0]["name"] = Name(kFiles - 1);
  listing[kFiles - 1]["name"] = Name(0);

  // A listing cut short writes nothing, also of the batches before the cut.
  const std::string text = listing.dump();
  const std::string first = ReadFile(dir_ / "music" / Name(1));
  WriteFile(dir_ / "cut.json", text.substr(0, text.size() - 40));
  hozanki::test::ShellResult r = Cli("apply - < " + Quote(dir_ / "cut.json"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not a JSON array"), std::string::npos) << r.err;
  EXPECT_TRUE(ReadFile(dir_ / "music" / Name(1)) == first) << "written before the cut was found";

  WriteFile(dir_ / "edit.json", text);
  r = Cli("apply " + Quote(dir_ / "edit.json"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(std::to_string(kFiles) + " file(s), 0 unchanged, 0 refused"), std::string::npos)
      << r.err;
  const nlohmann::json now = List();
  ASSERT_EQ(now.size(), size_t{kFiles});
  for (int i = 0; i < kFiles; ++i) {
    // The names swapped, so the values of file 0 are under the last name.
    const int file = i == 0 ? kFiles - 1 : i == kFiles - 1 ? 0 : i;
    EXPECT_EQ(now[i]["tags"]["ID3v2"]["INAM_v2"], "新 " + std::to_string(file)) << now[i]["name"];
  }
}

}  // namespace
