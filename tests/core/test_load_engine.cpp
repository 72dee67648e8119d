#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TempDirTestSupport.h"
#include "core/catalogue/LoadEngine.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

// A stand-in for the tag layer: each file holds "<format> <milliseconds>";
// "bad" files are not media. The delay makes later files finish first.
std::optional<MediaFileEntry> FakeRead(const fs::path& folder, const fs::path& relative) {
  std::ifstream in(folder / relative);
  std::string format;
  int delay = 0;
  in >> format >> delay;
  std::this_thread::sleep_for(std::chrono::milliseconds(delay));
  if (format != "MP3" && format != "WAV") return std::nullopt;
  MediaFileEntry e;
  e.format = format == "MP3" ? MediaFormat::MP3 : MediaFormat::WAV;
  e.relativePath = relative;
  e.file.cells = {{relative.filename().native()}, {"1"}, {""}, {""}, {""}};
  e.tags.resize(format == "MP3" ? 4 : 1);
  e.tags[0].cells = {{relative.native()}, {"read " + format}};
  return e;
}

bool FakeReread(const fs::path& folder, MediaFileEntry& entry) {
  std::optional<MediaFileEntry> fresh = FakeRead(folder, entry.relativePath);
  if (!fresh) return false;
  entry = std::move(*fresh);  // may now be another format: the engine must notice
  return true;
}

class LoadEngineTest : public test::TempDirTest {
 protected:
  void Write(const fs::path& relative, const std::string& content) {
    fs::create_directories((dir_ / relative).parent_path());
    std::ofstream(dir_ / relative) << content;
  }
  LoadEngine Engine(unsigned threads = 2) { return LoadEngine(MediaReaders{FakeRead, FakeReread}, threads); }
};

std::vector<std::string> Paths(const std::vector<LoadBatch>& batches) {
  std::vector<std::string> out;
  for (const LoadBatch& b : batches)
    for (const MediaFileEntry& e : b.entries) out.push_back(e.relativePath.native());
  return out;
}

TEST_F(LoadEngineTest, TwoThreadsDeliverInListingOrderWithARunningCount) {
  Write("a.mp3", "MP3 40");  // slowest first: the others finish before it
  Write("b.wav", "WAV 0");
  Write("c.mp3", "bad 0");  // handled and counted, not listed
  Write("d.mp3", "MP3 5");
  Write("e.txt", "MP3 0");  // not a media extension: never read, but counted as a file entry
  LoadEngine engine = Engine(2);
  engine.SetBatchLimits(1, std::chrono::milliseconds(1));
  std::vector<LoadBatch> batches;
  LoadResult result =
      engine.Load({dir_, false, std::nullopt}, [&](LoadBatch&& b) { batches.push_back(std::move(b)); });
  EXPECT_EQ(Paths(batches), (std::vector<std::string>{"a.mp3", "b.wav", "d.mp3"}));
  EXPECT_EQ(result.count, 5u);
  EXPECT_EQ(result.listed, 3u);
  EXPECT_FALSE(result.cancelled);
  ASSERT_FALSE(batches.empty());
  EXPECT_EQ(batches.back().count, 5u);
  for (size_t i = 1; i < batches.size(); ++i) EXPECT_LE(batches[i - 1].count, batches[i].count);
}

TEST_F(LoadEngineTest, RecursiveAndPathListLoads) {
  Write("z.mp3", "MP3 0");
  Write("A/B/song.mp3", "MP3 0");
  Write("A/x.wav", "WAV 3");
  Write("Other/o.mp3", "MP3 0");
  Write("A/B/cover.jpg", "JPG");  // a file entry: counted, never listed
  std::vector<LoadBatch> batches;
  auto sink = [&](LoadBatch&& b) { batches.push_back(std::move(b)); };
  LoadResult recursive = Engine().Load({dir_, true, std::nullopt}, sink);
  EXPECT_EQ(Paths(batches), (std::vector<std::string>{"z.mp3", "A/x.wav", "A/B/song.mp3", "Other/o.mp3"}));
  EXPECT_EQ(recursive.count, 5u);
  // The running count shown with each batch counts the entries before it too.
  EXPECT_EQ(batches.back().count, 5u);

  batches.clear();
  std::vector<fs::path> list = {dir_ / "A/x.wav", dir_ / "A", dir_ / "Other/o.mp3", dir_ / "A/missing.mp3",
                                dir_ / "A/B/cover.jpg"};
  LoadResult result = Engine().Load({dir_ / "A", false, list}, sink);
  EXPECT_EQ(Paths(batches), (std::vector<std::string>{"x.wav", "../Other/o.mp3"}));
  EXPECT_EQ(result.count, 3u);
}

TEST_F(LoadEngineTest, PathListRequestOpensTheFirstEntrysFolder) {
  Write("A/x.wav", "WAV 0");
  Write("B/y.mp3", "MP3 0");
  std::optional<LoadRequest> request = PathListRequest({"A/x.wav", dir_ / "B/y.mp3"}, dir_);
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->folder, dir_ / "A");
  ASSERT_TRUE(request->pathList.has_value());
  EXPECT_EQ(*request->pathList, (std::vector<fs::path>{dir_ / "A/x.wav", dir_ / "B/y.mp3"}));
  std::vector<LoadBatch> batches;
  Engine().Load(*request, [&](LoadBatch&& b) { batches.push_back(std::move(b)); });
  EXPECT_EQ(Paths(batches), (std::vector<std::string>{"x.wav", "../B/y.mp3"}));
  EXPECT_FALSE(PathListRequest({}, dir_).has_value());
  EXPECT_FALSE(PathListRequest({dir_ / "none/z.mp3"}, dir_).has_value());
}

TEST_F(LoadEngineTest, ArgumentRequestOpensAFolderItselfAndFilesAsAPathList) {
  Write("Music/x.wav", "WAV 0");
  Write("Music/sub/y.mp3", "MP3 0");
  for (fs::path folder : {dir_ / "Music", fs::path("Music/"), dir_ / "Music/sub/.."}) {
    SCOPED_TRACE(folder.string());
    std::optional<LoadRequest> request = ArgumentRequest({folder, dir_ / "Music/sub/y.mp3"}, dir_);
    ASSERT_TRUE(request.has_value());
    std::vector<LoadBatch> batches;
    Engine().Load(*request, [&](LoadBatch&& b) { batches.push_back(std::move(b)); });
    EXPECT_EQ(Paths(batches), (std::vector<std::string>{"x.wav"}));  // listed as a double click would
    EXPECT_FALSE(request->recursive);
  }
  std::optional<LoadRequest> files = ArgumentRequest({"Music/sub/y.mp3", dir_ / "Music/x.wav"}, dir_);
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ(files->folder, dir_ / "Music/sub");
  EXPECT_TRUE(files->pathList.has_value());
  EXPECT_FALSE(ArgumentRequest({dir_ / "nowhere/deeper"}, dir_).has_value());
  EXPECT_FALSE(ArgumentRequest({}, dir_).has_value());
}

TEST_F(LoadEngineTest, CancelKeepsAPrefixOfTheListing) {
  std::vector<std::string> all;
  for (int i = 0; i < 40; ++i) {
    std::string name = "f" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".mp3";
    Write(name, "MP3 3");
    all.push_back(name);
  }
  LoadEngine engine = Engine(2);
  engine.SetBatchLimits(1, std::chrono::milliseconds(1));
  std::vector<LoadBatch> batches;
  LoadResult result = engine.Load({dir_, false, std::nullopt}, [&](LoadBatch&& b) {
    batches.push_back(std::move(b));
    engine.Cancel();
  });
  std::vector<std::string> got = Paths(batches);
  EXPECT_TRUE(result.cancelled);
  ASSERT_FALSE(got.empty());
  EXPECT_LT(got.size(), all.size());
  EXPECT_EQ(got, std::vector<std::string>(all.begin(), all.begin() + static_cast<long>(got.size())));
  EXPECT_EQ(result.count, got.size());
}

TEST_F(LoadEngineTest, ReloadOverwritesRowsInPlaceAndKeepsMissingOrChangedFormatRows) {
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) Write(name, "MP3 0");
  std::vector<LoadBatch> loaded;
  Engine().Load({dir_, false, std::nullopt}, [&](LoadBatch&& b) { loaded.push_back(std::move(b)); });
  std::vector<MediaFileEntry> mp3;
  for (LoadBatch& b : loaded)
    for (MediaFileEntry& e : b.entries) mp3.push_back(std::move(e));
  ASSERT_EQ(mp3.size(), 4u);
  for (MediaFileEntry& e : mp3) {
    e.tags[0].cells[1].text = "edited";
    e.tags[0].image = kChangedMark;
  }
  mp3[0].tags[0].image = kNoMark;  // a: unchanged, so not reread with changed-only
  fs::remove(dir_ / "b.mp3");      // b: gone, keeps its row
  Write("c.mp3", "WAV 0");         // c: now another format, keeps its row
  std::vector<ReloadItem> items;
  CollectReloadItems(MediaFormat::MP3, mp3, true, items);
  ASSERT_EQ(items.size(), 3u);

  std::vector<ReloadBatch> batches;
  LoadResult result = Engine().Reload(dir_, items, [&](ReloadBatch&& b) { batches.push_back(std::move(b)); });
  EXPECT_EQ(result.count, 2u);  // c and d exist
  EXPECT_EQ(result.listed, 1u);
  for (ReloadBatch& b : batches)
    for (ReloadItem& item : b.items) {
      ASSERT_LT(item.row, mp3.size());
      EXPECT_TRUE(ApplyReloadedItem(mp3[item.row], std::move(item)));
    }
  EXPECT_EQ(mp3[0].tags[0].cells[1].text, "edited");
  EXPECT_EQ(mp3[1].tags[0].cells[1].text, "edited");
  EXPECT_EQ(mp3[2].tags[0].cells[1].text, "edited");
  EXPECT_EQ(mp3[3].tags[0].cells[1].text, "read MP3");
  EXPECT_EQ(mp3[3].tags[0].image, kNoMark);

  // Reloading all rows reads the unchanged one too.
  items.clear();
  CollectReloadItems(MediaFormat::MP3, mp3, false, items);
  EXPECT_EQ(items.size(), 4u);
  // A stale item (rows changed meanwhile) is never written over another file.
  ReloadItem stale{MediaFormat::MP3, 0, mp3[1]};
  EXPECT_FALSE(ApplyReloadedItem(mp3[0], std::move(stale)));
  ReloadItem otherFormat{MediaFormat::WAV, 0, mp3[0]};
  otherFormat.entry.format = MediaFormat::WAV;
  EXPECT_FALSE(ApplyReloadedItem(mp3[0], std::move(otherFormat)));
  EXPECT_EQ(mp3[0].format, MediaFormat::MP3);
}

// The real readers over the MP3 fixtures.
TEST_F(LoadEngineTest, RealReadersLoadInOrderAndReloadKeepsRowsOfUnreadableFiles) {
  const fs::path data = fs::path(HOZANKI_TEST_DATA) / "mp3";
  fs::copy_file(data / "sjis_id3v1.mp3", dir_ / "b.mp3");
  fs::copy_file(data / "plain.mp3", dir_ / "A.mp3");
  fs::copy_file(data / "not_mpeg.mp3", dir_ / "c.mp3");  // not listed
  fs::copy_file(data / "utf8_id3v24.mp3", dir_ / "d.mp3");
  LoadEngine engine(DefaultMediaReaders(), 2);
  std::vector<LoadBatch> batches;
  LoadResult result =
      engine.Load({dir_, false, std::nullopt}, [&](LoadBatch&& b) { batches.push_back(std::move(b)); });
  EXPECT_EQ(Paths(batches), (std::vector<std::string>{"A.mp3", "b.mp3", "d.mp3"}));
  EXPECT_EQ(result.count, 4u);
  std::vector<MediaFileEntry> rows;
  for (LoadBatch& b : batches)
    for (MediaFileEntry& e : b.entries) rows.push_back(std::move(e));
  ASSERT_EQ(rows.size(), 3u);
  for (MediaFileEntry& e : rows) {
    EXPECT_EQ(e.format, MediaFormat::MP3);
    ASSERT_EQ(e.tags.size(), 4u);
    e.tags[0].image = kChangedMark;
  }
  const std::string before = rows[1].tags[0].cells[1].text;
  rows[1].tags[0].cells[1].text = "staged edit";
  rows[2].tags[0].cells[1].text = "staged edit";
  fs::copy_file(data / "not_mpeg.mp3", dir_ / "d.mp3", fs::copy_options::overwrite_existing);

  std::vector<ReloadItem> items;
  CollectReloadItems(MediaFormat::MP3, rows, true, items);
  std::vector<ReloadBatch> reloaded;
  LoadEngine(DefaultMediaReaders(), 2).Reload(dir_, items, [&](ReloadBatch&& b) {
    reloaded.push_back(std::move(b));
  });
  for (ReloadBatch& b : reloaded)
    for (ReloadItem& item : b.items) ApplyReloadedItem(rows[item.row], std::move(item));
  EXPECT_EQ(rows[1].tags[0].cells[1].text, before);  // read again: the edit is gone
  EXPECT_EQ(rows[1].tags[0].image, kNoMark);
  EXPECT_EQ(rows[2].tags[0].cells[1].text, "staged edit");  // d.mp3 no longer reads: row kept
}

TEST_F(LoadEngineTest, RecursiveLoadOfNamesThatAreNotUtf8) {
  const std::string folder = "\x83\x65";  // テ in code page 932
  fs::create_directories(dir_ / folder);
  fs::copy_file(fs::path(HOZANKI_TEST_DATA) / "mp3" / "plain.mp3", dir_ / folder / "x.mp3");
  std::vector<LoadBatch> batches;
  LoadEngine(DefaultMediaReaders(), 2).Load({dir_, true, std::nullopt}, [&](LoadBatch&& b) {
    batches.push_back(std::move(b));
  });
  ASSERT_EQ(Paths(batches), (std::vector<std::string>{folder + "/x.mp3"}));
  const MediaFileEntry& e = batches.front().entries.front();
  EXPECT_EQ(e.file.cells[0].text, "x.mp3");
  EXPECT_EQ(e.tags[0].cells[0].text, "テ/x.mp3");
}

TEST_F(LoadEngineTest, AFolderDroppedAloneOpensItsParentAndLoadsNothing) {
  Write("Album/a.mp3", "MP3 0");
  std::optional<LoadRequest> request = PathListRequest({dir_ / "Album"}, "/");
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->folder, dir_);
  std::vector<LoadBatch> batches;
  LoadResult result = Engine().Load(*request, [&](LoadBatch&& b) { batches.push_back(std::move(b)); });
  EXPECT_TRUE(Paths(batches).empty());
  EXPECT_EQ(result.count, 0u);
}

}  // namespace
}  // namespace hozanki
