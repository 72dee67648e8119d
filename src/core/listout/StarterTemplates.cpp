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
        "%F_NUM%,\"%F_FILE%\",\"%T_ART%\",\"%T_TIT%\",\"%T_ALB%\",%F_TIME%", "%LOOP_END%"}},
  };
  std::vector<ListTemplate> templates;
  for (const Starter& s : starters) templates.push_back({s.title, ImportTemplate(s.lines)});
  return templates;
}

}  // namespace hozanki
