#include <gtest/gtest.h>

#include "core/listout/ListEngine.h"
#include "core/listout/StarterTemplates.h"
#include "core/listout/TemplateText.h"

namespace hozanki {
namespace {

TEST(StarterTemplates, ProduceTheirPlayLists) {
  std::vector<PickedFile> files(2);
  files[0].file[1] = "/m/";
  files[0].file[2] = "a.mp3";
  files[0].seconds = 61;
  files[0].tag[0] = "Art";
  files[0].tag[4] = "Song";
  files[1].file[1] = "/m/x/";
  files[1].file[2] = "b.mp3";
  files[1].seconds = 2;
  const ListTotals totals = UpdateListTotals(files);
  std::vector<std::vector<std::string>> expected = {
      {"#EXTM3U", "/m/a.mp3", "/m/x/b.mp3"},
      {"#EXTM3U", "#EXTINF:61,Art - Song", "/m/a.mp3", "#EXTINF:2, - ", "/m/x/b.mp3"},
      {"[playlist]", "File1=/m/a.mp3", "Title1=Song", "Length1=61", "File2=/m/x/b.mp3",
       "Title2=", "Length2=2", "NumberOfEntries=2", "Version=2"},
      {"通番,ファイル名,アーティスト,タイトル,アルバム,時間", "1,\"a.mp3\",\"Art\",\"Song\",\"\",",
       "2,\"b.mp3\",\"\",\"\",\"\","},
      {"<html>", "<body>", "<table>",
       "<tr><th>通番</th><th>アーティスト</th><th>タイトル</th><th>アルバム</th><th>時間</th></tr>",
       "<tr><td>1</td><td>Art</td><td>Song</td><td></td><td></td></tr>",
       "<tr><td>2</td><td></td><td></td><td></td><td></td></tr>", "</table>", "</body>", "</html>"},
  };
  const std::vector<ListTemplate> starters = StarterTemplates();
  ASSERT_EQ(starters.size(), expected.size());
  EXPECT_EQ(starters[0].title, "M3U(m3u)");
  for (size_t i = 0; i < starters.size(); ++i) {
    ListEngine engine(files, totals, {});
    EXPECT_EQ(engine.Generate(starters[i].rows, 0), expected[i]) << starters[i].title;
    // The rows survive the text form unchanged.
    EXPECT_EQ(ImportTemplate(ExportTemplate(starters[i].rows)), starters[i].rows) << starters[i].title;
  }
}

}  // namespace
}  // namespace hozanki
