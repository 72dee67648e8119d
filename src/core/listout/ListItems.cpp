#include "core/listout/ListItems.h"

#include <string>
#include <unordered_map>

namespace hozanki {
namespace {

using S = ListItemSource;

constexpr std::array<ListItem, kListItemCount> kItems = {{
    {"テキスト", "", S::Text, 0},
    {"-----", "", S::None, 0},
    {"トータル件数", "%S_COUNT", S::Total, 0},
    {"トータルサイズ", "%S_SIZE", S::Total, 1},
    {"トータル時間", "%S_TIME", S::Total, 2},
    {"トータル時間（秒）", "%S_SEC", S::Total, 3},
    {"-----", "", S::None, 0},
    {"通番", "%F_NUM", S::File, 0},
    {"ファイルパス", "%F_FULL", S::File, 1},
    {"相対パス1", "%F_PATH1", S::RelativePath1, 1},
    {"相対パス2", "%F_PATH2", S::RelativePath2, 1},
    {"ファイル名", "%F_FILE", S::File, 2},
    {"ファイルサイズ", "%F_SIZE", S::File, 3},
    {"タイムスタンプ", "%F_DATE", S::File, 4},
    {"再生時間", "%F_TIME", S::File, 5},
    {"再生時間（秒）", "%F_SEC", S::Seconds, 5},
    {"集計時間1", "%F_INDEX1", S::RunningTime1, 5},
    {"集計時間2", "%F_INDEX2", S::RunningTime2, 5},
    {"種別", "%F_KIND", S::File, 6},
    {"種別（ID3v1）", "%F_ID3v1", S::File, 7},
    {"種別（ID3v2）", "%F_ID3v2", S::File, 8},
    {"種別（RIFF）", "%F_RIFF", S::File, 9},
    {"種別（APE）", "%F_APE", S::File, 10},
    {"音声形式", "%F_AFMT", S::File, 11},
    {"映像形式", "%F_VFMT", S::File, 12},
    {"-----", "", S::None, 0},
    {"アーティスト", "%T_ART", S::Tag, 0},
    {"アーティスト（ID3v1）", "%T_ART1", S::Tag, 1},
    {"アーティスト（ID3v2/RIFF）", "%T_ART2", S::Tag, 2},
    {"アーティスト（APE）", "%T_ARTA", S::Tag, 3},
    {"タイトル", "%T_TIT", S::Tag, 4},
    {"タイトル（ID3v1）", "%T_TIT1", S::Tag, 5},
    {"タイトル（ID3v2/RIFF）", "%T_TIT2", S::Tag, 6},
    {"タイトル（APE）", "%T_TITA", S::Tag, 7},
    {"アルバム", "%T_ALB", S::Tag, 8},
    {"アルバム（ID3v1）", "%T_ALB1", S::Tag, 9},
    {"アルバム（ID3v2/RIFF）", "%T_ALB2", S::Tag, 10},
    {"アルバム（APE）", "%T_ALBA", S::Tag, 11},
    {"トラック№", "%T_NUM", S::Tag, 12},
    {"トラック№（ID3v1）", "%T_NUM1", S::Tag, 13},
    {"トラック№（ID3v2）", "%T_NUM2", S::Tag, 14},
    {"トラック№（APE）", "%T_NUMA", S::Tag, 15},
    {"リリース年", "%T_YEA", S::Tag, 16},
    {"リリース年（ID3v1）", "%T_YEA1", S::Tag, 17},
    {"リリース年（ID3v2/RIFF）", "%T_YEA2", S::Tag, 18},
    {"リリース年（APE）", "%T_YEAA", S::Tag, 19},
    {"ジャンル", "%T_GEN", S::Tag, 20},
    {"ジャンル（ID3v1）", "%T_GEN1", S::Tag, 21},
    {"ジャンル（ID3v2/RIFF）", "%T_GEN2", S::Tag, 22},
    {"ジャンル（APE）", "%T_GENA", S::Tag, 23},
    {"コメント", "%T_COM", S::Tag, 24},
    {"コメント（ID3v1）", "%T_COM1", S::Tag, 25},
    {"コメント（ID3v2/RIFF）", "%T_COM2", S::Tag, 26},
    {"コメント（APE）", "%T_COMA", S::Tag, 27},
    {"-----", "", S::None, 0},
    {"作曲者", "%T_COMP", S::Tag, 28},
    {"著作権", "%T_COPY", S::Tag, 29},
    {"URL", "%T_URL", S::Tag, 30},
    {"オリジナル", "%T_ORIG", S::Tag, 31},
    {"製作者", "%T_ENCD", S::Tag, 32},
    {"ソース/保存名", "%T_SORC", S::Tag, 33},
    {"ソフトウェア", "%T_SOFT", S::Tag, 34},
    {"-----", "", S::None, 0},
    {"アルバムアーティスト", "%T_AART", S::Tag, 35},
    {"ディスク№", "%T_DISC", S::Tag, 36},
    {"読み（アーティスト）", "%T_SOAR", S::Tag, 37},
    {"読み（アルバムアーティスト）", "%T_SOAA", S::Tag, 38},
    {"読み（アルバム）", "%T_SOAL", S::Tag, 39},
    {"読み（タイトル）", "%T_SONM", S::Tag, 40},
    {"歌詞", "%T_LYR", S::Tag, 41},
}};

}  // namespace

const std::array<ListItem, kListItemCount>& ListItems() {
  return kItems;
}

int ListItemNumber(std::string_view name) {
  static const std::unordered_map<std::string_view, int> numbers = [] {
    std::unordered_map<std::string_view, int> map;
    for (int i = 0; i < kListItemCount; ++i) map.emplace(kItems[i].name, i);  // first separator wins
    return map;
  }();
  auto it = numbers.find(name);
  return it == numbers.end() ? -1 : it->second;
}

int ListOptionNumber(std::string_view name) {
  for (int i = 0; i < static_cast<int>(kListOptionNames.size()); ++i)
    if (kListOptionNames[i] == name) return i;
  return -1;
}

}  // namespace hozanki
