#include "core/catalogue/ColumnTables.h"

#include <array>

namespace hozanki {
namespace {

using namespace std::string_view_literals;
constexpr auto L = ColumnAlignment::Left;
constexpr auto R = ColumnAlignment::Right;
constexpr auto C = ColumnAlignment::Center;

// clang-format off
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
constexpr std::array kTagId3v2 = {
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
constexpr std::array kTagApe = {
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
constexpr std::array kTagWma = {
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
constexpr std::array kTagOgg = {
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
constexpr std::array kTagMp4 = {
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
// clang-format on

}  // namespace

std::span<const ColumnSpec> FileListColumns(MediaFormat format) {
  switch (format) {
    case MediaFormat::MP3:
      return kFileMp3;
    case MediaFormat::AVI:
    case MediaFormat::WMA:
    case MediaFormat::MP4:
      return kFileVideo;
    default:
      return kFileAudio;
  }
}

std::span<const ColumnSpec> TagTableColumns(TagKind kind) {
  switch (kind) {
    case TagKind::MP3ID3v1:
      return kTagId3v1;
    case TagKind::MP3ID3v2:
      return kTagId3v2;
    case TagKind::MP3RIFF:
      return kTagRiff;
    case TagKind::MP3APE:
      return kTagApe;
    case TagKind::WAV:
      return kTagWav;
    case TagKind::AVI:
      return kTagAvi;
    case TagKind::VQF:
      return kTagVqf;
    case TagKind::WMA:
      return kTagWma;
    case TagKind::OGG:
    case TagKind::APE:
      return kTagOgg;
    case TagKind::MP4:
      return kTagMp4;
  }
  return {};
}

int SortMarkPosition(const ColumnSpec& column) {
  const std::string_view caption = column.caption;
  if (caption.empty()) return -1;
  if (column.alignment == ColumnAlignment::Right && caption.front() == ' ') return 0;
  if (column.alignment == ColumnAlignment::Left && caption.back() == ' ') {
    // Index in characters, not bytes: count UTF-8 lead bytes before the blank.
    int index = 0;
    for (size_t i = 0; i + 1 < caption.size(); ++i)
      if ((static_cast<unsigned char>(caption[i]) & 0xC0) != 0x80) ++index;
    return index;
  }
  return -1;
}

}  // namespace hozanki
