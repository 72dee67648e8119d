#include "core/listout/StarterTemplates.h"

#include "core/listout/TemplateText.h"

namespace hozanki {

std::vector<ListTemplate> StarterTemplates() {
  struct Starter {
    const char* title;
    std::vector<std::string> lines;
  };
  const Starter starters[] = {
      {"M3U(m3u)", {"#EXTM3U", "%LOOP_START%", "%F_FULL%%F_FILE%", "%LOOP_END%"}},
      {"M3U 曲情報付き(m3u)",
       {"#EXTM3U", "%LOOP_START%", "#EXTINF:%F_SEC%,%T_ART% - %T_TIT%", "%F_FULL%%F_FILE%", "%LOOP_END%"}},
      {"PLS(pls)",
       {"[playlist]", "%LOOP_START%", "File%F_NUM%=%F_FULL%%F_FILE%", "Title%F_NUM%=%T_TIT%",
        "Length%F_NUM%=%F_SEC%", "%LOOP_END%", "NumberOfEntries=%S_COUNT%", "Version=2"}},
      {"CSV(csv)",
       {"通番,ファイル名,アーティスト,タイトル,アルバム,時間", "%LOOP_START%",
        "%F_NUM%,%F_FILE:csv%,%T_ART:csv%,%T_TIT:csv%,%T_ALB:csv%,%F_TIME%", "%LOOP_END%"}},
      {"HTML(html)",
       {"<html>", "<body>", "<table>",
        "<tr><th>通番</th><th>アーティスト</th><th>タイトル</th><th>アルバム</th><th>時間</th></tr>",
        "%LOOP_START%",
        "<tr><td>%F_NUM%</td><td>%T_ART:html%</td><td>%T_TIT:html%</td>"
        "<td>%T_ALB:html%</td><td>%F_TIME%</td></tr>",
        "%LOOP_END%", "</table>", "</body>", "</html>"}},
  };
  std::vector<ListTemplate> templates;
  for (const Starter& s : starters) templates.push_back({s.title, ImportTemplate(s.lines)});
  return templates;
}

}  // namespace hozanki
