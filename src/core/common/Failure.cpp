#include "core/common/Failure.h"

#include <array>
#include <charconv>
#include <cstring>

#include "core/common/AtomicFile.h"

namespace hozanki {
namespace {

// A record: RS kind US path US part US offset US limit US code US detail RS.
constexpr char kRecord = '\x1e';
constexpr char kField = '\x1f';

// The wording of each kind. {path}, {part}, {offset}, {limit} and {reason}
// (the system error's Japanese name) are filled in; a sentence whose fact is
// empty drops the clause in brackets "[...]".
struct Wording {
  FailureKind kind;
  std::string_view name;
  std::string_view japanese;
  std::string_view english;
};

constexpr std::array kWordings = {
    Wording{FailureKind::kSystem, "system", "[{path} を]読み書きできません（{reason}）。",
            "{reason}[ ({path})]"},
    Wording{FailureKind::kNoSuchFile, "no-such-file", "[{path} という]ファイルやフォルダーはありません。",
            "no such file or folder[ ({path})]"},
    Wording{FailureKind::kNotRegularFile, "not-regular-file",
            "[{path} は]通常のファイルではありません（名前付きパイプ、デバイスなど）。",
            "not a regular file (a pipe, device or socket)[ ({path})]"},
    Wording{FailureKind::kEmptyFile, "empty-file", "[{path} は]空のファイルです。", "empty file"},
    Wording{FailureKind::kNotMediaFile, "not-media-file",
            "[{path} は]対応している形式の音声・映像ファイルではありません。", "not a supported media file"},
    Wording{FailureKind::kNotFormat, "not-format", "[{path} は]{part} のファイルではありません。",
            "not a {part} file"},
    Wording{FailureKind::kChunkPastEnd, "chunk-past-end",
            "ファイルの構造が壊れているため扱えません：「{part}」がファイルの終わりを越えています[（{offset} "
            "バイト目から）]。",
            "the \"{part}\" chunk runs past the end of the file"},
    Wording{FailureKind::kDamagedFile, "damaged-file",
            "[{path} は]{part} ファイルの構造が壊れているため扱えません。", "damaged {part} file"},
    Wording{FailureKind::kValueTooLong, "value-too-long",
            "{part} の値が長すぎるため保存しません（この形式では {limit} バイトまでです）。",
            "the value of {part} is longer than {limit} bytes"},
    Wording{FailureKind::kPayloadChanged, "payload-changed",
            "書き込んだファイルの音声・映像データが元と一致しないため保存しません[（{path}）]。",
            "the audio or video data of the written file differs[ ({path})]"},
    Wording{FailureKind::kUnsupportedFile, "unsupported-file",
            "この {part} ファイルの作りには対応していないため保存しません[（{path}）]。",
            "this {part} file is laid out in a way that cannot be written safely"},
    Wording{FailureKind::kWriterFailed, "writer-failed",
            "{part} ファイルを書き込めませんでした[（{path}）]。", "could not write the {part} file"},
    Wording{FailureKind::kInputFieldType, "input-field-type", "[{path} の]項目「{part}」の値の型が違います。",
            "the field \"{part}\" has the wrong type"},
    Wording{FailureKind::kChangedSinceListed, "changed-since-listed",
            "一覧を作った後にファイルが変わっています（{part}）。",
            "the file changed since it was listed ({part})"},
    Wording{
        FailureKind::kNotInCodePage, "not-in-code-page",
        "{path} には「{part}」を保存できません（コードページ 932 で書けないか、同じ文字に読み戻せません）。",
        "{path} cannot store \"{part}\""},
    Wording{FailureKind::kTrackOutOfRange, "track-out-of-range",
            "トラック番号「{part}」は保存できません（1 から {limit} までです）。",
            "the track number \"{part}\" is not from 1 to {limit}"},
    Wording{FailureKind::kGenreNotListed, "genre-not-listed",
            "ジャンル「{part}」はこのタグのジャンル一覧にないため保存できません。",
            "the genre \"{part}\" is not in the tag's genre list"},
    Wording{FailureKind::kTagsExclude, "tags-exclude",
            "{part} タグはこのファイルのほかのタグと一緒に保存できません（RIFF 形式の MP3 には ID3v2 も APE "
            "も付けられません）。",
            "a RIFF-wrapped MP3 cannot also carry an ID3v2 or APE tag"},
    Wording{
        FailureKind::kFrameNotConvertible, "frame-not-convertible",
        "ID3v2 のフレーム「{part}」は保存する版で書けないため保存しません（ファイルは変更していません）。",
        "the ID3v2 frame {part} cannot be written in the version the tag is saved as"},
    Wording{FailureKind::kMatchTooHard, "match-too-hard",
            "正規表現の照合に手間がかかりすぎるため処理できません（式を単純にしてください）。",
            "matching needs more backtracking than allowed"},
    Wording{FailureKind::kNotUtf8, "not-utf8", "文字列が正しい UTF-8 ではないため処理できません。",
            "the text is not valid UTF-8"},
    Wording{FailureKind::kMatchFailed, "match-failed", "正規表現の照合に失敗しました。", "matching failed"},
    Wording{FailureKind::kInternal, "internal", "プログラム内部の誤りのため処理しません。", "internal error"},
};

constexpr bool EveryKindWordedInOrder() {
  for (size_t i = 0; i < kWordings.size(); ++i)
    if (static_cast<size_t>(kWordings[i].kind) != i) return false;
  return kWordings.back().kind == FailureKind::kInternal;
}
static_assert(EveryKindWordedInOrder(), "one wording per kind, in enum order");

constexpr std::array<FailureKind, kWordings.size()> kKinds = [] {
  std::array<FailureKind, kWordings.size()> kinds{};
  for (size_t i = 0; i < kWordings.size(); ++i) kinds[i] = kWordings[i].kind;
  return kinds;
}();

const Wording& WordingOf(FailureKind kind) {
  return kWordings[static_cast<size_t>(kind)];
}

// Fills the facts into `pattern`; a bracketed clause whose facts are all
// empty (or zero) is dropped, the brackets of the others are removed.
std::string Fill(std::string_view pattern, const Failure& f, bool english) {
  auto fact = [&](std::string_view name) -> std::string {
    if (name == "path") return f.path;
    if (name == "part") return f.part;
    if (name == "offset") return f.offset ? std::to_string(f.offset) : std::string();
    if (name == "limit") return std::to_string(f.limit);
    if (name == "reason") return english ? std::string(std::strerror(f.code)) : FileErrorReason(f.code);
    return {};
  };
  std::string out, clause;
  bool inClause = false, clauseHasFact = false;
  std::string* to = &out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '[') {
      inClause = true, clauseHasFact = false, clause.clear(), to = &clause;
    } else if (c == ']' && inClause) {
      if (clauseHasFact) out += clause;
      inClause = false, to = &out;
    } else if (c == '{') {
      const size_t end = pattern.find('}', i);
      const std::string value = fact(pattern.substr(i + 1, end - i - 1));
      clauseHasFact = clauseHasFact || !value.empty();
      *to += value;
      i = end;
    } else {
      *to += c;
    }
  }
  return out;
}

uint64_t Number(std::string_view text) {
  uint64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

Failure PathFailure(FailureKind kind, std::string path, int code) {
  Failure failure;
  failure.kind = kind;
  failure.path = std::move(path);
  failure.code = code;
  return failure;
}

std::string EncodeFailure(const Failure& f) {
  std::string out(1, kRecord);
  for (std::string_view field :
       {WordingOf(f.kind).name, std::string_view(f.path), std::string_view(f.part)}) {
    out += field;
    out += kField;
  }
  out +=
      std::to_string(f.offset) + kField + std::to_string(f.limit) + kField + std::to_string(f.code) + kField;
  out += f.detail;
  out += kRecord;
  return out;
}

std::optional<Failure> DecodeFailure(std::string_view text) {
  const size_t start = text.find(kRecord);
  if (start == std::string_view::npos) return std::nullopt;
  const size_t end = text.find(kRecord, start + 1);
  if (end == std::string_view::npos) return std::nullopt;
  std::string_view body = text.substr(start + 1, end - start - 1);
  std::array<std::string_view, 7> fields{};
  for (size_t i = 0; i < fields.size(); ++i) {
    const size_t cut = i + 1 < fields.size() ? body.find(kField) : body.size();
    if (cut == std::string_view::npos) return std::nullopt;
    fields[i] = body.substr(0, cut);
    body.remove_prefix(std::min(body.size(), cut + 1));
  }
  Failure f;
  const Wording* wording = nullptr;
  for (const Wording& w : kWordings)
    if (w.name == fields[0]) wording = &w;
  if (!wording) return std::nullopt;
  f.kind = wording->kind;
  f.path = fields[1];
  f.part = fields[2];
  f.offset = Number(fields[3]);
  f.limit = Number(fields[4]);
  f.code = static_cast<int>(Number(fields[5]));
  f.detail = fields[6];
  return f;
}

bool FailWith(std::string* error, const Failure& failure) {
  if (error) *error = EncodeFailure(failure);
  return false;
}

std::string FailureSentence(const Failure& failure) {
  return Fill(WordingOf(failure.kind).japanese, failure, false);
}

std::string FailureDetail(const Failure& failure) {
  return failure.detail.empty() ? Fill(WordingOf(failure.kind).english, failure, true) : failure.detail;
}

std::optional<std::string> ReasonAt(std::string_view reason, const std::string& path) {
  std::optional<Failure> failure = DecodeFailure(reason);
  if (!failure) return std::nullopt;
  if (failure->path.empty()) failure->path = path;
  return EncodeFailure(*failure);
}

std::string EnglishReason(std::string_view text) {
  const std::optional<Failure> failure = DecodeFailure(text);
  return failure ? FailureDetail(*failure) : std::string(text);
}

std::string WordReasons(std::string_view text, bool withDetail) {
  std::string out;
  while (true) {
    const size_t start = text.find(kRecord);
    const size_t end = start == std::string_view::npos ? start : text.find(kRecord, start + 1);
    const std::optional<Failure> failure = end == std::string_view::npos ? std::nullopt : DecodeFailure(text);
    if (!failure) {
      out += text;
      return out;
    }
    out += text.substr(0, start);
    out += FailureSentence(*failure);
    if (withDetail) out += " (" + FailureDetail(*failure) + ")";
    text.remove_prefix(end + 1);
  }
}

std::span<const FailureKind> AllFailureKinds() {
  return kKinds;
}

}  // namespace hozanki
