#include "core/catalogue/formats/FlacFile.h"

#include <taglib/tbytevector.h>
#include <taglib/tiostream.h>

#include <array>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FlacStructure.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/common/AtomicFile.h"

namespace hozanki {
namespace {

struct FieldName {
  std::string_view value;
  std::string_view field;
};
constexpr std::array kFields = {FieldName{"IART", "ARTIST"}, FieldName{"INAM", "TITLE"},
                                FieldName{"IPRD", "ALBUM"},  FieldName{"TRACK", "TRACKNUMBER"},
                                FieldName{"ICRD", "DATE"},   FieldName{"IGNR", "GENRE"},
                                FieldName{"ICMT", "COMMENT"}, FieldName{"AART", "ALBUMARTIST"},
                                FieldName{"DISC1", "DISCNUMBER"}, FieldName{"DISC2", "DISCTOTAL"},
                                FieldName{"SOAR", "ARTISTSORT"}, FieldName{"SOAA", "ALBUMARTISTSORT"},
                                FieldName{"SOAL", "ALBUMSORT"}, FieldName{"SONM", "TITLESORT"},
                                FieldName{"LYRC", "LYRICS"}};
constexpr std::string_view kDescription = "DESCRIPTION";
constexpr std::string_view kSeparator = "; ";
constexpr uint32_t kFreshPadding = 8192;

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

size_t CountField(const VorbisComments& vc, std::string_view name) {
  size_t n = 0;
  for (const std::string& e : vc.entries) n += IsField(e, name) ? 1 : 0;
  return n;
}

// The field a cell shows: its own, or DESCRIPTION for a comment cell when
// the file has no COMMENT.
std::string_view ShownField(const VorbisComments& vc, const FieldName& f) {
  if (f.value == "ICMT" && CountField(vc, f.field) == 0) return kDescription;
  return f.field;
}

std::string ShownText(const VorbisComments& vc, const FieldName& f) {
  const std::string_view name = ShownField(vc, f);
  std::vector<std::string> texts;
  for (const std::string& e : vc.entries)
    if (IsField(e, name)) texts.emplace_back(FieldValue(e));
  return JoinValues(texts);
}

// The comments a changed cell becomes (see FlacFile.h).
std::vector<std::string> NewValues(std::string_view text, bool several) {
  std::vector<std::string> values;
  if (text.empty()) return values;
  if (!several) return {std::string(text)};
  for (size_t pos = 0;;) {
    const size_t end = text.find(kSeparator, pos);
    std::string_view part = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (!part.empty()) values.emplace_back(part);
    if (end == std::string_view::npos) break;
    pos = end + kSeparator.size();
  }
  if (values.empty()) values.emplace_back(text);
  return values;
}

void ApplyChange(VorbisComments& vc, const FieldName& f, std::string_view text) {
  const std::string_view shown = ShownField(vc, f);
  const bool several = CountField(vc, shown) >= 2;
  // A comment keeps the spelling of the name it had ("Artist=").
  std::string key(f.field);
  if (shown == f.field)
    for (const std::string& e : vc.entries)
      if (IsField(e, shown)) {
        key = e.substr(0, e.find('='));
        break;
      }
  std::vector<std::string> fresh;
  for (const std::string& v : NewValues(text, several)) fresh.push_back(key + "=" + v);
  std::vector<std::string> out;
  out.reserve(vc.entries.size() + fresh.size());
  bool placed = false;
  for (std::string& e : vc.entries) {
    if (!IsField(e, shown)) {
      out.push_back(std::move(e));
      continue;
    }
    if (!placed) out.insert(out.end(), fresh.begin(), fresh.end());
    placed = true;
  }
  if (!placed) out.insert(out.end(), fresh.begin(), fresh.end());
  vc.entries = std::move(out);
}

void PutBlockHeader(std::string& out, int type, bool last, uint32_t length) {
  out.push_back(static_cast<char>((last ? 0x80 : 0) | type));
  out.push_back(static_cast<char>((length >> 16) & 0xFF));
  out.push_back(static_cast<char>((length >> 8) & 0xFF));
  out.push_back(static_cast<char>(length & 0xFF));
}

}  // namespace

bool FlacFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  payload::Reader file;
  if (!file.Open(path, error)) return false;
  FlacLayout layout;
  if (!ReadFlacLayout(file, layout, error)) return false;
  VorbisComments vc;
  for (const FlacBlock& b : layout.blocks)
    if (b.type == kFlacVorbisComment && !ParseVorbisComments(file.Read(b.offset + 4, b.length), vc))
      return Fail(error, "damaged FLAC file (the Vorbis comment block does not add up)");
  for (const FieldName& f : kFields) values[std::string(f.value)] = ShownText(vc, f);
  SplitVorbisDisc(values["DISC1"], values["DISC2"]);

  const std::string info = file.Read(layout.blocks.front().offset + 4, 34);
  if (info.size() != 34) return Fail(error, "damaged FLAC file (short STREAMINFO)");
  const auto byte = [&info](size_t i) { return static_cast<uint64_t>(static_cast<unsigned char>(info[i])); };
  const int rate = static_cast<int>((byte(10) << 12) | (byte(11) << 4) | (byte(12) >> 4));
  const int channels = static_cast<int>(((byte(12) >> 1) & 7) + 1);
  const int bits = static_cast<int>((((byte(12) & 1) << 4) | (byte(13) >> 4)) + 1);
  const uint64_t samples = ((byte(13) & 0x0F) << 32) | Be32(info, 14);
  const double seconds = rate > 0 ? static_cast<double>(samples) / rate : 0.0;
  const double audioBits = static_cast<double>(file.Size() - layout.audioStart) * 8;
  const int kbps = seconds > 0 ? static_cast<int>(audioBits / seconds / 1000 + 0.5) : 0;
  values["TIME"] = TimeText(WholeSeconds(seconds));
  values["AFMT"] = AudioFormatText("FLAC", kbps, rate, bits, channels);
  return true;
}

bool FlacFile::IsWritable(std::string_view name) const {
  for (const FieldName& f : kFields)
    if (f.value == name) return true;
  return false;
}

bool FlacFile::Write(const std::filesystem::path& copy, const ValueMap& givenChanges, const ValueMap& current,
                     std::string* error) {
  const ValueMap changes = WithWholeDisc(givenChanges, current);
  payload::Reader file;
  if (!file.Open(copy, error)) return false;
  FlacLayout layout;
  if (!ReadFlacLayout(file, layout, error)) return false;
  const uint64_t start = layout.blocksStart;
  const uint64_t oldLength = layout.audioStart - start;
  const std::string old = file.Read(start, oldLength);
  if (old.size() != oldLength) return Fail(error, "cannot read the FLAC metadata blocks");

  VorbisComments vc;
  vc.vendor = "Hozanki";
  bool hadComments = false;
  for (const FlacBlock& b : layout.blocks)
    if (b.type == kFlacVorbisComment) {
      hadComments = true;
      if (!ParseVorbisComments(std::string_view(old).substr(b.offset + 4 - start, b.length), vc))
        return Fail(error, "damaged FLAC file (the Vorbis comment block does not add up)");
    }
  for (const FieldName& f : kFields)
    if (auto it = changes.find(f.value); it != changes.end()) ApplyChange(vc, f, it->second);
  const std::string body = RenderVorbisComments(vc);
  if (body.size() > kFlacMaxBlockLength) return Fail(error, "the Vorbis comments are too long for a FLAC block");

  // The blocks as they were, the comments replaced, the padding taken out
  // and put back as one block where the first one was (after the comments
  // when the file had none).
  struct Out {
    int type;
    std::string_view body;
  };
  std::vector<Out> blocks;
  size_t paddingAt = std::string::npos;
  for (const FlacBlock& b : layout.blocks) {
    if (b.type == kFlacPadding) {
      if (paddingAt == std::string::npos) paddingAt = blocks.size();
      continue;
    }
    if (b.type == kFlacVorbisComment)
      blocks.push_back({b.type, body});
    else
      blocks.push_back({b.type, std::string_view(old).substr(b.offset + 4 - start, b.length)});
  }
  if (!hadComments) {
    const size_t at = paddingAt == std::string::npos ? blocks.size() : paddingAt;
    blocks.insert(blocks.begin() + static_cast<std::ptrdiff_t>(at), {kFlacVorbisComment, body});
    if (paddingAt != std::string::npos) ++paddingAt;
  }
  uint64_t length = 0;
  for (const Out& b : blocks) length += 4 + b.body.size();
  uint64_t padding = 0;
  bool addPadding = false;
  if (length + 4 <= oldLength && oldLength - length - 4 <= kFlacMaxBlockLength) {
    padding = oldLength - length - 4;  // fits: the audio stays where it is
    addPadding = true;
  } else if (length != oldLength) {
    padding = kFreshPadding;
    addPadding = true;
  }
  const std::string zeros(static_cast<size_t>(padding), '\0');
  if (addPadding)
    blocks.insert(blocks.begin() + static_cast<std::ptrdiff_t>(std::min(paddingAt, blocks.size())),
                  {kFlacPadding, zeros});

  std::string rendered;
  rendered.reserve(static_cast<size_t>(length + 4 + padding));
  for (size_t i = 0; i < blocks.size(); ++i) {
    PutBlockHeader(rendered, blocks[i].type, i + 1 == blocks.size(), static_cast<uint32_t>(blocks[i].body.size()));
    rendered += blocks[i].body;
  }
  if (rendered.size() == oldLength) return CopyFile().WriteAt(start, rendered);
  CopyStream()->insert(TagLib::ByteVector(rendered.data(), static_cast<unsigned int>(rendered.size())),
                       static_cast<unsigned long>(start), static_cast<unsigned long>(oldLength));
  return !CopyFile().Failed();
}

}  // namespace hozanki
