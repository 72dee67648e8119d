#include "core/common/FormatRegistry.h"

#include <algorithm>

namespace hozanki {
namespace {

using namespace std::string_view_literals;
constexpr auto L = ColumnAlignment::Left;
constexpr auto R = ColumnAlignment::Right;
constexpr auto C = ColumnAlignment::Center;

// clang-format off

// Value names.
constexpr std::array kNamesId3v1 = {"IART_v1"sv, "INAM_v1"sv, "IPRD_v1"sv, "TRACK_v1"sv,
                                    "ICRD_v1"sv, "IGNR_v1"sv, "ICMT_v1"sv};
constexpr std::array kNamesId3v2 = {"IART_v2"sv, "INAM_v2"sv, "IPRD_v2"sv, "TRACK_v2"sv, "ICRD_v2"sv,
                                    "IGNR_v2"sv, "ICMT_v2"sv, "COMP_v2"sv, "ICOP_v2"sv, "URL_v2"sv,
                                    "OART_v2"sv, "ENC2_v2"sv, "ISFT_v2"sv, "AART_v2"sv, "DISC_v2"sv,
                                    "SOAR_v2"sv, "SOAA_v2"sv, "SOAL_v2"sv, "SONM_v2"sv, "LYRC_v2"sv};
constexpr std::array kNamesRiff = {"IART_rmp"sv, "INAM_rmp"sv, "IPRD_rmp"sv, "ICRD_rmp"sv, "IGNR_rmp"sv,
                                   "ICMT_rmp"sv, "ICOP_rmp"sv, "IENG_rmp"sv, "ISRC_rmp"sv, "ISFT_rmp"sv};
constexpr std::array kNamesApe = {"IART_APE"sv, "INAM_APE"sv, "IPRD_APE"sv, "TRACK_APE"sv, "ICRD_APE"sv,
                                  "IGNR_APE"sv, "ICMT_APE"sv, "AART_APE"sv, "DISC_APE"sv, "SOAR_APE"sv,
                                  "SOAA_APE"sv, "SOAL_APE"sv, "SONM_APE"sv, "LYRC_APE"sv};
constexpr std::array kNamesWav = {"IART"sv, "INAM"sv, "IPRD"sv, "ICRD"sv, "IGNR"sv,
                                  "ICMT"sv, "ICOP"sv, "IENG"sv, "ISRC"sv, "ISFT"sv};
constexpr std::array kNamesAvi = {"IART"sv, "INAM"sv, "ICRD"sv, "IGNR"sv, "ICMT"sv,
                                  "ICOP"sv, "IENG"sv, "ISRC"sv, "ISFT"sv};
constexpr std::array kNamesVqf = {"IART"sv, "INAM"sv, "FILE"sv, "ICOP"sv, "ICMT"sv};
constexpr std::array kNamesWma = {"IART"sv, "INAM"sv, "IPRD"sv, "TRACK"sv, "ICRD"sv,
                                  "IGNR"sv, "ICMT"sv, "ICOP"sv, "URL1"sv, "URL2"sv, "AART"sv, "DISC"sv,
                                  "SOAR"sv, "SOAA"sv, "SOAL"sv, "SONM"sv, "LYRC"sv};
constexpr std::array kNamesOgg = {"IART"sv, "INAM"sv, "IPRD"sv, "TRACK"sv, "ICRD"sv, "IGNR"sv, "ICMT"sv,
                                  "AART"sv, "DISC"sv, "SOAR"sv, "SOAA"sv, "SOAL"sv, "SONM"sv, "LYRC"sv};
constexpr std::array kNamesMp4 = {"IART"sv, "INAM"sv, "IPRD"sv, "TRACK"sv, "ICRD"sv, "IGNR"sv, "ICMT"sv,
                                  "IGRP"sv, "COMPOSER"sv, "DISC"sv, "BPM"sv, "TOOL"sv, "COMPILATION"sv,
                                  "AART"sv, "SOAR"sv, "SOAA"sv, "SOAL"sv, "SONM"sv, "LYRC"sv};
// An ID3v2 tag in a chunk (AIFF, DSF): the cells of MP3 ID3v2 by their stems.
constexpr std::array kNamesId3Chunk = {"IART"sv, "INAM"sv, "IPRD"sv, "TRACK"sv, "ICRD"sv, "IGNR"sv, "ICMT"sv,
                                       "COMP"sv, "ICOP"sv, "URL"sv,  "OART"sv, "ENC2"sv, "ISFT"sv, "AART"sv,
                                       "DISC"sv, "SOAR"sv, "SOAA"sv, "SOAL"sv, "SONM"sv, "LYRC"sv};

// Value-name quirks: a RIFF INFO title may sit in "ISBJ"; MP4 numbers are pairs.
constexpr std::array kRulesRiffTitle = {ValueNameRule{"INAM"sv, ValueQuirk::Fallback, "ISBJ"sv, ""sv}};
constexpr std::array kRulesMp4 = {ValueNameRule{"TRACK"sv, ValueQuirk::Pair, "TRACK1"sv, "TRACK2"sv},
                                  ValueNameRule{"DISC"sv, ValueQuirk::Pair, "DISC1"sv, "DISC2"sv}};
// Vorbis comments hold the disc number and count in DISCNUMBER and DISCTOTAL.
constexpr std::array kRulesVorbis = {ValueNameRule{"DISC"sv, ValueQuirk::Pair, "DISC1"sv, "DISC2"sv}};

// File-list columns.
constexpr std::array kFileMp3 = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{" ｻｲｽﾞ"sv, R, 0},
    ColumnSpec{"ﾀｲﾑｽﾀﾝﾌﾟ "sv, L, 0},
    ColumnSpec{" 時間"sv, R, 0},
    ColumnSpec{"ID3v1"sv, C, 0},
    ColumnSpec{"ID3v2"sv, C, 0},
    ColumnSpec{"RIFF"sv, C, 0},
    ColumnSpec{"APE"sv, C, 0},
    ColumnSpec{"音声形式"sv, L, 0},
};
constexpr std::array kFileAudio = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{" ｻｲｽﾞ"sv, R, 0},
    ColumnSpec{"ﾀｲﾑｽﾀﾝﾌﾟ "sv, L, 0},
    ColumnSpec{" 時間"sv, R, 0},
    ColumnSpec{"音声形式"sv, L, 0},
};
constexpr std::array kFileVideo = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{" ｻｲｽﾞ"sv, R, 0},
    ColumnSpec{"ﾀｲﾑｽﾀﾝﾌﾟ "sv, L, 0},
    ColumnSpec{" 時間"sv, R, 0},
    ColumnSpec{"音声形式"sv, L, 0},
    ColumnSpec{"映像形式"sv, L, 0},
};

// Tag-table columns.
// The collectors' columns, after a table's own: album artist, disc (which
// MP4 has among its own), the four readings and the lyrics.
constexpr std::array kAlbumArtistColumn = {ColumnSpec{"ｱﾙﾊﾞﾑｱｰﾃｨｽﾄ "sv, L, 0}};
constexpr std::array kDiscColumn = {ColumnSpec{" ﾃﾞｨｽｸ"sv, R, kColumnNumberPair}};
constexpr std::array kReadingAndLyricsColumns = {
    ColumnSpec{"ｱｰﾃｨｽﾄ読み "sv, L, 0},
    ColumnSpec{"Aｱｰﾃｨｽﾄ読み "sv, L, 0},
    ColumnSpec{"ｱﾙﾊﾞﾑ読み "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ読み "sv, L, 0},
    ColumnSpec{"歌詞 "sv, L, kColumnMemo},
};

// The column arrays one after the other.
template <size_t... N>
constexpr std::array<ColumnSpec, (N + ...)> Joined(const std::array<ColumnSpec, N>&... parts) {
  std::array<ColumnSpec, (N + ...)> out{};
  size_t i = 0;
  ((std::copy(parts.begin(), parts.end(), out.begin() + i), i += N), ...);
  return out;
}

constexpr std::array kTagId3v1 = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 30},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, 30},
    ColumnSpec{"ｱﾙﾊﾞﾑ "sv, L, 30},
    ColumnSpec{" №"sv, R, 2},
    ColumnSpec{" 年"sv, R, 4},
    ColumnSpec{"ｼﾞｬﾝﾙ "sv, L, kColumnGenre},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, 28},
};
constexpr std::array kTagId3v2Own = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, 0},
    ColumnSpec{"ｱﾙﾊﾞﾑ "sv, L, 0},
    ColumnSpec{" №"sv, R, 0},
    ColumnSpec{" 年"sv, R, 0},
    ColumnSpec{"ｼﾞｬﾝﾙ "sv, L, kColumnGenre},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, kColumnMemo},
    ColumnSpec{"作曲者 "sv, L, 0},
    ColumnSpec{"著作権 "sv, L, 0},
    ColumnSpec{"URL "sv, L, 0},
    ColumnSpec{"ｵﾘｼﾞﾅﾙ "sv, L, 0},
    ColumnSpec{"製作者 "sv, L, 0},
    ColumnSpec{"ｿﾌﾄｳｪｱ "sv, L, 0},
};
constexpr std::array kTagRiff = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, 0},
    ColumnSpec{"ｱﾙﾊﾞﾑ "sv, L, 0},
    ColumnSpec{" 年"sv, R, 0},
    ColumnSpec{"ｼﾞｬﾝﾙ "sv, L, kColumnGenre},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, kColumnMemo},
    ColumnSpec{"著作権 "sv, L, 0},
    ColumnSpec{"製作者 "sv, L, 0},
    ColumnSpec{"ｿｰｽ "sv, L, 0},
    ColumnSpec{"ｿﾌﾄｳｪｱ "sv, L, 0},
};
constexpr std::array kTagApeOwn = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, 0},
    ColumnSpec{"ｱﾙﾊﾞﾑ "sv, L, 0},
    ColumnSpec{" №"sv, R, 0},
    ColumnSpec{" 年"sv, R, 0},
    ColumnSpec{"ｼﾞｬﾝﾙ "sv, L, kColumnGenre},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, 0},
};
// WAV has the columns of MP3 RIFF, but a single-line comment.
constexpr std::array kTagWav = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, 0},
    ColumnSpec{"ｱﾙﾊﾞﾑ "sv, L, 0},
    ColumnSpec{" 年"sv, R, 0},
    ColumnSpec{"ｼﾞｬﾝﾙ "sv, L, kColumnGenre},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, 0},
    ColumnSpec{"著作権 "sv, L, 0},
    ColumnSpec{"製作者 "sv, L, 0},
    ColumnSpec{"ｿｰｽ "sv, L, 0},
    ColumnSpec{"ｿﾌﾄｳｪｱ "sv, L, 0},
};
constexpr std::array kTagAvi = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, kColumnMemo},
    ColumnSpec{" 年"sv, R, 0},
    ColumnSpec{"ｼﾞｬﾝﾙ "sv, L, kColumnGenre},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, kColumnMemo},
    ColumnSpec{"著作権 "sv, L, 0},
    ColumnSpec{"製作者 "sv, L, 0},
    ColumnSpec{"ｿｰｽ "sv, L, 0},
    ColumnSpec{"ｿﾌﾄｳｪｱ "sv, L, 0},
};
constexpr std::array kTagVqf = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, 0},
    ColumnSpec{"保存名 "sv, L, 0},
    ColumnSpec{"著作権 "sv, L, 0},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, kColumnMemo},
};
// The WMA genre is free text.
constexpr std::array kTagWmaOwn = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, 0},
    ColumnSpec{"ｱﾙﾊﾞﾑ "sv, L, 0},
    ColumnSpec{" №"sv, R, 0},
    ColumnSpec{" 年"sv, R, 0},
    ColumnSpec{"ｼﾞｬﾝﾙ "sv, L, 0},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, 0},
    ColumnSpec{"著作権 "sv, L, 0},
    ColumnSpec{"ｱﾙﾊﾞﾑURL "sv, L, 0},
    ColumnSpec{"関連URL "sv, L, 0},
};
constexpr std::array kTagOggOwn = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, 0},
    ColumnSpec{"ｱﾙﾊﾞﾑ "sv, L, 0},
    ColumnSpec{" №"sv, R, 0},
    ColumnSpec{" 年"sv, R, 0},
    ColumnSpec{"ｼﾞｬﾝﾙ "sv, L, kColumnGenre},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, kColumnMemo},
};
constexpr std::array kTagMp4Own = {
    ColumnSpec{""sv, L, 0},
    ColumnSpec{"ﾌｧｲﾙ名 "sv, L, 0},
    ColumnSpec{"ｱｰﾃｨｽﾄ "sv, L, 0},
    ColumnSpec{"ﾀｲﾄﾙ "sv, L, 0},
    ColumnSpec{"ｱﾙﾊﾞﾑ "sv, L, 0},
    ColumnSpec{" №"sv, R, kColumnNumberPair},
    ColumnSpec{" 年"sv, R, 4},
    ColumnSpec{"ｼﾞｬﾝﾙ "sv, L, kColumnGenre},
    ColumnSpec{"ｺﾒﾝﾄ "sv, L, kColumnMemo},
    ColumnSpec{"ｸﾞﾙｰﾌﾟ "sv, L, 0},
    ColumnSpec{"作曲者 "sv, L, 0},
    ColumnSpec{" ﾃﾞｨｽｸ"sv, R, kColumnNumberPair},
    ColumnSpec{" ﾃﾝﾎﾟ"sv, R, 0},
    ColumnSpec{"ｿﾌﾄｳｪｱ "sv, L, 0},
    ColumnSpec{"ｺﾝﾋﾟﾚｰｼｮﾝ "sv, L, 1},
};

constexpr auto kTagId3v2 = Joined(kTagId3v2Own, kAlbumArtistColumn, kDiscColumn, kReadingAndLyricsColumns);
constexpr auto kTagApe = Joined(kTagApeOwn, kAlbumArtistColumn, kDiscColumn, kReadingAndLyricsColumns);
constexpr auto kTagWma = Joined(kTagWmaOwn, kAlbumArtistColumn, kDiscColumn, kReadingAndLyricsColumns);
constexpr auto kTagOgg = Joined(kTagOggOwn, kAlbumArtistColumn, kDiscColumn, kReadingAndLyricsColumns);
constexpr auto kTagMp4 = Joined(kTagMp4Own, kAlbumArtistColumn, kReadingAndLyricsColumns);

// Default column widths (columns 1..n; column 0 is never stored).
constexpr std::array kWidthsFileMp3 = {110, 75, 127, 43, 43, 43, 38, 33, 200};
constexpr std::array kWidthsFileAudio = {110, 75, 127, 43, 200};
constexpr std::array kWidthsFileVideo = {110, 75, 127, 43, 200, 200};
constexpr std::array kWidthsId3v1 = {110, 90, 90, 90, 25, 38, 50, 50};
constexpr std::array kWidthsId3v2 = {110, 90, 90, 90, 25, 60, 50, 50, 50, 50, 50, 50, 50, 50,
                                     90, 38, 90, 90, 90, 90, 90};
constexpr std::array kWidthsRiff = {110, 90, 90, 90, 60, 50, 50, 50, 50, 50, 50};
constexpr std::array kWidthsApe = {110, 90, 90, 90, 25, 60, 50, 50, 90, 38, 90, 90, 90, 90, 90};
constexpr std::array kWidthsAvi = {110, 90, 90, 90, 60, 50, 50, 50, 50, 50};
constexpr std::array kWidthsVqf = {110, 90, 90, 50, 50, 50};
constexpr std::array kWidthsWma = {110, 90, 90, 90, 25, 60, 50, 50, 50, 50, 50, 90, 38, 90, 90, 90, 90, 90};
constexpr std::array kWidthsMp4 = {110, 90, 90, 90, 25, 38, 50, 50, 50, 50, 50, 50, 50, 38,
                                    90, 90, 90, 90, 90, 90};

// List-output fields (see ListColumns).
constexpr ListColumns kListId3v1 = {1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr ListColumns kListGrouped = {1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 8, 9, 10, 11, 12, 13, 14};
constexpr ListColumns kListId3v2 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 13, 14, 15, 16, 17, 18, 19, 20};
constexpr ListColumns kListRiff = {1, 2, 3, 0, 4, 5, 6, 0, 7, 0, 0, 8, 9, 10, 0, 0, 0, 0, 0, 0, 0};
constexpr ListColumns kListAvi = {1, 2, 0, 0, 3, 4, 5, 0, 6, 0, 0, 7, 8, 9, 0, 0, 0, 0, 0, 0, 0};
constexpr ListColumns kListVqf = {1, 2, 0, 0, 0, 0, 5, 0, 4, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0};
// URL: both URLs joined.
constexpr ListColumns kListWma = {1, 2, 3, 4, 5, 6, 7, 0, 8, 0, 0, 0, 0, 0, 11, 12, 13, 14, 15, 16, 17};
constexpr ListColumns kListMp4 = {1, 2, 3, 4, 5, 6, 7, 9, 0, 0, 0, 0, 0, 12, 14, 10, 15, 16, 17, 18, 19};

// Rename items of the tag values.
constexpr std::array kRenameMp3 = {"アーティスト"sv, "タイトル"sv, "アルバム"sv, "トラック№"sv,
                                   "リリース年"sv,   "ジャンル"sv, "コメント"sv, "作曲者"sv,
                                   "著作権"sv,       "URL"sv,      "オリジナル"sv, "製作者"sv,
                                   "ソース"sv,       "ソフトウェア"sv, "アルバムアーティスト"sv,
                                   "ディスク№"sv,    "読み（アーティスト）"sv, "読み（アルバムアーティスト）"sv,
                                   "読み（アルバム）"sv, "読み（タイトル）"sv, "歌詞"sv};
constexpr std::array kRenameId3v2 = {"アーティスト"sv, "タイトル"sv, "アルバム"sv, "トラック№"sv,
                                     "リリース年"sv,   "ジャンル"sv, "コメント"sv, "作曲者"sv,
                                     "著作権"sv,       "URL"sv,      "オリジナル"sv, "製作者"sv,
                                     "ソフトウェア"sv, "アルバムアーティスト"sv, "ディスク№"sv,
                                     "読み（アーティスト）"sv, "読み（アルバムアーティスト）"sv,
                                     "読み（アルバム）"sv, "読み（タイトル）"sv, "歌詞"sv};
constexpr std::array kRenameRiff = {"アーティスト"sv, "タイトル"sv, "アルバム"sv, "リリース年"sv,
                                    "ジャンル"sv,     "コメント"sv, "著作権"sv,   "製作者"sv,
                                    "ソース"sv,       "ソフトウェア"sv};
constexpr std::array kRenameAvi = {"アーティスト"sv, "タイトル"sv, "リリース年"sv, "ジャンル"sv, "コメント"sv,
                                   "著作権"sv,       "製作者"sv,   "ソース"sv,     "ソフトウェア"sv};
constexpr std::array kRenameVqf = {"アーティスト"sv, "タイトル"sv, "保存名"sv, "著作権"sv, "コメント"sv};
constexpr std::array kRenameWma = {"アーティスト"sv, "タイトル"sv, "アルバム"sv, "トラック№"sv,
                                   "リリース年"sv,   "ジャンル"sv, "コメント"sv, "著作権"sv,
                                   "アルバムURL"sv,  "関連URL"sv,  "アルバムアーティスト"sv,
                                   "ディスク№"sv,    "読み（アーティスト）"sv, "読み（アルバムアーティスト）"sv,
                                   "読み（アルバム）"sv, "読み（タイトル）"sv, "歌詞"sv};
constexpr std::array kRenameOgg = {"アーティスト"sv, "タイトル"sv, "アルバム"sv, "トラック№"sv,
                                   "リリース年"sv,   "ジャンル"sv, "コメント"sv, "アルバムアーティスト"sv,
                                   "ディスク№"sv,    "読み（アーティスト）"sv, "読み（アルバムアーティスト）"sv,
                                   "読み（アルバム）"sv, "読み（タイトル）"sv, "歌詞"sv};
constexpr std::array kRenameMp4 = {"アーティスト"sv, "タイトル"sv, "アルバム"sv, "トラック№"sv,
                                   "リリース年"sv,   "ジャンル"sv, "コメント"sv, "グループ"sv,
                                   "作曲者"sv,       "ディスク№"sv, "テンポ"sv,  "ソフトウェア"sv,
                                   "コンピレーション"sv, "アルバムアーティスト"sv, "読み（アーティスト）"sv,
                                   "読み（アルバムアーティスト）"sv, "読み（アルバム）"sv, "読み（タイトル）"sv,
                                   "歌詞"sv};

// Extensions.
constexpr std::array kExtMp3 = {".mp3"sv, ".mp2"sv, ".mp1"sv, ".rmp"sv};
constexpr std::array kExtWav = {".wav"sv};
constexpr std::array kExtAvi = {".avi"sv};
constexpr std::array kExtVqf = {".vqf"sv};
constexpr std::array kExtWma = {".wma"sv, ".wmv"sv, ".asf"sv};
constexpr std::array kExtOgg = {".ogg"sv, ".oga"sv, ".opus"sv, ".spx"sv};
constexpr std::array kExtApe = {".ape"sv, ".wv"sv, ".tak"sv, ".mpc"sv};
constexpr std::array kExtMp4 = {".mp4"sv, ".m4a"sv, ".m4v"sv, ".m4b"sv};
constexpr std::array kExtFlac = {".flac"sv};
constexpr std::array kExtAiff = {".aif"sv, ".aiff"sv, ".aifc"sv};
constexpr std::array kExtDsf = {".dsf"sv};

// clang-format on

constexpr std::array<TagKind, kTagKindCount> kAllKinds = [] {
  std::array<TagKind, kTagKindCount> kinds{};
  for (int k = 0; k < kTagKindCount; ++k) kinds[static_cast<size_t>(k)] = static_cast<TagKind>(k);
  return kinds;
}();

constexpr std::span<const TagKind> KindsFrom(TagKind first, size_t count) {
  return std::span<const TagKind>(kAllKinds).subspan(static_cast<size_t>(first), count);
}

constexpr std::span<const ValueNameRule> kNoRules;

using MF = MediaFormat;
using TK = TagKind;

constexpr std::array<TagKindDescription, kTagKindCount> kTagKinds = {{
    {TK::MP3ID3v1, MF::MP3, "MP1", "ID3v1",
     kNamesId3v1, kTagId3v1, kWidthsId3v1, kNoRules, true, kListId3v1},
    {TK::MP3ID3v2, MF::MP3, "MP2", "ID3v2",
     kNamesId3v2, kTagId3v2, kWidthsId3v2, kNoRules, false, kListId3v2},
    {TK::MP3RIFF, MF::MP3, "MPR", "RIFF",
     kNamesRiff, kTagRiff, kWidthsRiff, kNoRules, true, kListRiff},
    {TK::MP3APE, MF::MP3, "MPA", "APE",
     kNamesApe, kTagApe, kWidthsApe, kNoRules, false, kListGrouped},
    {TK::WAV, MF::WAV, "WAV", "WAV",
     kNamesWav, kTagWav, kWidthsRiff, kRulesRiffTitle, true, kListRiff},
    {TK::AVI, MF::AVI, "AVI", "AVI",
     kNamesAvi, kTagAvi, kWidthsAvi, kRulesRiffTitle, true, kListAvi},
    {TK::VQF, MF::VQF, "VQF", "VQF",
     kNamesVqf, kTagVqf, kWidthsVqf, kNoRules, true, kListVqf},
    {TK::WMA, MF::WMA, "WMA", "WMA",
     kNamesWma, kTagWma, kWidthsWma, kNoRules, false, kListWma},
    {TK::OGG, MF::OGG, "OGG", "OGG",
     kNamesOgg, kTagOgg, kWidthsApe, kRulesVorbis, false, kListGrouped},
    {TK::APE, MF::APE, "APE", "APE",
     kNamesOgg, kTagOgg, kWidthsApe, kNoRules, false, kListGrouped},
    {TK::MP4, MF::MP4, "MP4", "MP4",
     kNamesMp4, kTagMp4, kWidthsMp4, kRulesMp4, false, kListMp4},
    {TK::FLAC, MF::FLAC, "FLAC", "FLAC",
     kNamesOgg, kTagOgg, kWidthsApe, kRulesVorbis, false, kListGrouped},
    {TK::AIFF, MF::AIFF, "AIFF", "AIFF",
     kNamesId3Chunk, kTagId3v2, kWidthsId3v2, kNoRules, false, kListId3v2},
    {TK::DSF, MF::DSF, "DSF", "DSF",
     kNamesId3Chunk, kTagId3v2, kWidthsId3v2, kNoRules, false, kListId3v2},
}};

constexpr std::array<FormatDescription, kFormatCount> kFormats = {{
    {MF::MP3, "MP3", FileType::MP3, kExtMp3, KindsFrom(TK::MP3ID3v1, 4), kFileMp3, kWidthsFileMp3, false,
     kRenameMp3},
    {MF::WAV, "WAV", FileType::WAV, kExtWav, KindsFrom(TK::WAV, 1), kFileAudio, kWidthsFileAudio, false,
     kRenameRiff},
    {MF::AVI, "AVI", FileType::AVI, kExtAvi, KindsFrom(TK::AVI, 1), kFileVideo, kWidthsFileVideo, true,
     kRenameAvi},
    {MF::VQF, "VQF", FileType::VQF, kExtVqf, KindsFrom(TK::VQF, 1), kFileAudio, kWidthsFileAudio, false,
     kRenameVqf},
    {MF::WMA, "WMA", FileType::WMA, kExtWma, KindsFrom(TK::WMA, 1), kFileVideo, kWidthsFileVideo, true,
     kRenameWma},
    {MF::OGG, "OGG", FileType::OGG, kExtOgg, KindsFrom(TK::OGG, 1), kFileAudio, kWidthsFileAudio, false,
     kRenameOgg},
    {MF::APE, "APE", FileType::APE, kExtApe, KindsFrom(TK::APE, 1), kFileAudio, kWidthsFileAudio, false,
     kRenameOgg},
    {MF::MP4, "MP4", FileType::MP4, kExtMp4, KindsFrom(TK::MP4, 1), kFileVideo, kWidthsFileVideo, true,
     kRenameMp4},
    {MF::FLAC, "FLAC", FileType::FLAC, kExtFlac, KindsFrom(TK::FLAC, 1), kFileAudio, kWidthsFileAudio, false,
     kRenameOgg},
    {MF::AIFF, "AIFF", FileType::AIFF, kExtAiff, KindsFrom(TK::AIFF, 1), kFileAudio, kWidthsFileAudio, false,
     kRenameId3v2},
    {MF::DSF, "DSF", FileType::DSF, kExtDsf, KindsFrom(TK::DSF, 1), kFileAudio, kWidthsFileAudio, false,
     kRenameId3v2},
}};

// The tables checked when compiling: row n describes value n of its enum,
// a format's tag kinds are exactly the consecutive kinds of its page, and
// every list a row points to has the length its columns need. Each returns
// the first bad row, -1 when all are right.
constexpr int FirstBadTagKindRow() {
  for (int n = 0; n < kTagKindCount; ++n) {
    const TagKindDescription& d = kTagKinds[static_cast<size_t>(n)];
    if (d.kind != static_cast<TagKind>(n) || d.format != FormatOfTagKind(d.kind) || d.key.empty() ||
        d.name.empty() || d.valueNames.empty() || d.columns.size() != d.valueNames.size() + 2 ||
        d.widths.size() != d.valueNames.size() + 1 ||
        (n > 0 && FormatIndexOfKind(d.kind) < FormatIndexOfKind(static_cast<TagKind>(n - 1))))
      return n;
    for (int cell : d.listColumns)
      if (cell < 0 || cell > static_cast<int>(d.valueNames.size())) return n;
    // The extra fields point at cells of their own value names.
    constexpr std::array kExtraStems = {"AART"sv, "DISC"sv, "SOAR"sv, "SOAA"sv, "SOAL"sv, "SONM"sv, "LYRC"sv};
    for (size_t e = 0; e < kExtraStems.size(); ++e) {
      const int cell = d.listColumns[kExtraFieldFirst + e];
      if (cell == 0) continue;
      const std::string_view name = d.valueNames[static_cast<size_t>(cell - 1)];
      if (name.substr(0, name.find('_')) != kExtraStems[e]) return n;
    }
  }
  return -1;
}
constexpr int FirstBadFormatRow() {
  for (int n = 0; n < kFormatCount; ++n) {
    const FormatDescription& d = kFormats[static_cast<size_t>(n)];
    if (d.format != static_cast<MediaFormat>(n) || d.type != TypeOfFormat(d.format) || d.name.empty() ||
        d.extensions.empty() || d.kinds.empty() || d.fileColumns.size() != d.fileWidths.size() + 1 ||
        d.renameTagItems.empty())
      return n;
    size_t ownKinds = 0;
    for (TagKind k : kAllKinds) ownKinds += FormatOfTagKind(k) == d.format ? 1 : 0;
    if (d.kinds.size() != ownKinds) return n;
    for (size_t i = 0; i < d.kinds.size(); ++i)
      if (FormatOfTagKind(d.kinds[i]) != d.format ||
          static_cast<int>(d.kinds[i]) != static_cast<int>(d.kinds[0]) + static_cast<int>(i))
        return n;
  }
  return -1;
}
static_assert(FirstBadTagKindRow() == -1, "kTagKinds: a row is missing, out of order or incomplete");
static_assert(FirstBadFormatRow() == -1, "kFormats: a row is missing, out of order or incomplete");

}  // namespace

const FormatDescription& Describe(MediaFormat format) { return kFormats[static_cast<size_t>(format)]; }
const TagKindDescription& Describe(TagKind kind) { return kTagKinds[static_cast<size_t>(kind)]; }
std::span<const FormatDescription> AllFormats() { return kFormats; }
std::span<const TagKindDescription> AllTagKinds() { return kTagKinds; }

std::string_view FormatName(MediaFormat format) { return Describe(format).name; }
std::string_view TagKindKey(TagKind kind) { return Describe(kind).key; }
std::string_view TagKindName(TagKind kind) { return Describe(kind).name; }

MediaFormat FormatOfType(FileType type) {
  for (const FormatDescription& d : kFormats)
    if (d.type == type) return d.format;
  return MediaFormat::MP3;
}

std::span<const TagKind> TagKindsOf(MediaFormat format) { return Describe(format).kinds; }

int TagRowIndex(TagKind kind) {
  return static_cast<int>(kind) - static_cast<int>(TagKindsOf(FormatOfTagKind(kind)).front());
}

FileType TypeOfExtension(std::string_view extension) {
  std::string lower(extension);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  for (const FormatDescription& d : kFormats)
    if (std::find(d.extensions.begin(), d.extensions.end(), lower) != d.extensions.end()) return d.type;
  return FileType::Unknown;
}

int FilePageOf(int tagPage) { return static_cast<int>(FormatOfTagKind(static_cast<TagKind>(tagPage))); }
int TagPageOf(int filePage) {
  return static_cast<int>(TagKindsOf(static_cast<MediaFormat>(filePage)).front());
}
std::span<const TagKind> SisterTagKinds(int tagPage) {
  return TagKindsOf(FormatOfTagKind(static_cast<TagKind>(tagPage)));
}

std::span<const std::string_view> ValueNamesOf(TagKind kind) { return Describe(kind).valueNames; }

const ValueNameRule* ValueRuleOf(TagKind kind, std::string_view cellName) {
  for (const ValueNameRule& rule : Describe(kind).valueRules)
    if (rule.cell == cellName) return &rule;
  return nullptr;
}

std::vector<std::string_view> StoredNamesOf(TagKind kind, std::string_view cellName) {
  const ValueNameRule* rule = ValueRuleOf(kind, cellName);
  if (!rule) return {cellName};
  if (rule->quirk == ValueQuirk::Pair) return {rule->first, rule->second};
  return {cellName, rule->first};
}

ValueNameTarget FindValueName(TagKind kind, std::string_view name) {
  const auto names = ValueNamesOf(kind);
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return {static_cast<int>(i) + 1, 0};
    const ValueNameRule* rule = ValueRuleOf(kind, names[i]);
    if (rule && rule->quirk == ValueQuirk::Pair) {
      if (rule->first == name) return {static_cast<int>(i) + 1, 1};
      if (rule->second == name) return {static_cast<int>(i) + 1, 2};
    }
  }
  return {};
}

std::string PairCellText(std::string_view first, std::string_view second) {
  if (second.empty()) return std::string(first);
  return (first.empty() ? std::string("0") : std::string(first)) + "/" + std::string(second);
}

std::pair<std::string, std::string> SplitPairCell(std::string_view text) {
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos) return {std::string(text), std::string()};
  return {std::string(text.substr(0, slash)), std::string(text.substr(slash + 1))};
}

std::string WithPairPart(std::string_view text, int part, std::string_view value) {
  auto [first, second] = SplitPairCell(text);
  (part == 1 ? first : second) = std::string(value);
  return second.empty() ? first : first + "/" + second;
}

int CellOfExtraField(TagKind kind, ExtraField field) {
  return Describe(kind).listColumns[kExtraFieldFirst + static_cast<size_t>(field)];
}

int FileCellCount(MediaFormat format) { return static_cast<int>(Describe(format).fileColumns.size()) - 1; }

}  // namespace hozanki
