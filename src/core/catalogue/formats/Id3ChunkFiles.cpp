#include "core/catalogue/formats/Id3ChunkFiles.h"

#include <taglib/tbytevector.h>
#include <taglib/tiostream.h>

#include <cmath>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/catalogue/formats/Id3v2QuickReader.h"
#include "core/catalogue/formats/Id3v2Room.h"
#include "core/catalogue/formats/Id3v2Tag.h"
#include "core/common/AtomicFile.h"

namespace hozanki {
namespace {

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

int Kbps(uint64_t bytes, double seconds) {
  return seconds > 0 ? static_cast<int>(static_cast<double>(bytes) * 8 / seconds / 1000 + 0.5) : 0;
}

// Replaces bytes [start, start + replace) of the copy being written with `bytes`.
bool Splice(TagLib::IOStream* stream, const std::string& bytes, uint64_t start, uint64_t replace) {
  stream->insert(TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size())),
                 static_cast<unsigned long>(start), static_cast<unsigned long>(replace));
  return true;
}

std::string Le64(uint64_t v) {
  std::string out;
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return out;
}

// An 80-bit IEEE 754 extended number (AIFF's sample rate).
double Extended80(std::string_view b) {
  if (b.size() < 10) return 0;
  const int exponent = static_cast<int>(ReadBE(b, 0, 2) & 0x7FFF);
  const uint64_t mantissa = ReadBE(b, 2, 8);
  if (exponent == 0 || exponent == 0x7FFF) return 0;
  return std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
}

}  // namespace

Id3ChunkFile::Id3ChunkFile(FileType type) : StagedTagFile(type) {}
Id3ChunkFile::~Id3ChunkFile() = default;

void Id3ChunkFile::SetOption(std::string_view name, std::string_view value) {
  Id3v2SaveOptions options{unicode_, unsync_, version_};
  options.Set(name, value);
  unicode_ = options.unicode, unsync_ = options.unsync, version_ = options.version;
}

StoredForm Id3ChunkFile::StoredFormOf(std::string_view name) const {
  if (!tag_ || tag_->StoredEncoding(name) != 0) return StoredForm::kUnicode;
  return tag_->StoredAsUtf8(name) ? StoredForm::kUtf8InLatin1Frame : StoredForm::kLatin1Frame;
}

bool Id3ChunkFile::IsWritable(std::string_view name) const { return Id3v2Tag::IsValueStem(name); }

bool Id3ChunkFile::ForcesWrite() const { return tag_ && (unicode_ >= 0 || unsync_ >= 0 || version_ != 0); }

bool Id3ChunkFile::ReadTag(std::string_view bytes, bool own, ValueMap& values, std::string* error) {
  std::unique_ptr<Id3v2Tag> tag;
  if (!bytes.empty()) {
    tag = Id3v2Tag::Parse(bytes);
    if (!tag) return Fail(error, "damaged ID3v2 tag");
  }
  for (std::string_view stem : kId3v2Stems) values[std::string(stem)] = tag ? tag->Get(stem) : std::string();
  if (own) tag_ = std::move(tag);
  return true;
}

std::string Id3ChunkFile::RenderTag(std::string_view old, const ValueMap& changes, std::string* error) const {
  std::unique_ptr<Id3v2Tag> tag = old.empty() ? std::make_unique<Id3v2Tag>() : Id3v2Tag::Parse(old);
  if (!tag) return Fail(error, "damaged ID3v2 tag"), std::string();
  for (const auto& [stem, value] : changes) tag->Set(stem, value);
  const int version = version_ ? version_ : tag->Version();
  const bool unsync = unsync_ >= 0 ? unsync_ == 1 : tag->Unsynchronised();
  std::string rendered = tag->Render(version, unsync, unicode_, error);
  if (rendered.empty() && error && error->empty()) *error = "ID3v2 タグを書き出せません";
  return rendered;
}

bool AiffFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  payload::Reader file;
  if (!file.Open(path, error)) return false;
  AiffLayout layout;
  if (!ReadAiffLayout(file, layout, error)) return false;
  std::string tag;
  if (layout.id3 >= 0) {
    const AiffChunk& c = layout.chunks[static_cast<size_t>(layout.id3)];
    tag = file.Read(c.offset + 8, Id3v2TagSize(file.Read(c.offset + 8, 10)));
  }
  if (!ReadTag(tag, path == Path(), values, error)) return false;

  const AiffChunk& comm = layout.chunks[static_cast<size_t>(layout.comm)];
  const std::string info = file.Read(comm.offset + 8, std::min<uint64_t>(comm.size, 22));
  const int channels = static_cast<int>(ReadBE(info, 0, 2));
  const uint64_t frames = ReadBE(info, 2, 4);
  const int bits = static_cast<int>(ReadBE(info, 6, 2));
  const double rate = Extended80(Slice(info, 8, 10));
  std::string codec = "PCM";
  if (layout.aifc && info.size() >= 22) {
    const std::string_view compression = std::string_view(info).substr(18, 4);
    if (compression != "NONE" && compression != "twos" && compression != "sowt") codec = FourCcText(compression);
  }
  const double seconds = rate > 0 ? static_cast<double>(frames) / rate : 0.0;
  const uint64_t sound = layout.chunks[static_cast<size_t>(layout.ssnd)].size - 8;
  values["TIME"] = TimeText(WholeSeconds(seconds));
  values["AFMT"] = AudioFormatText(codec, Kbps(sound, seconds), static_cast<int>(rate + 0.5), bits, channels);
  return true;
}

bool AiffFile::Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap&, std::string* error) {
  payload::Reader file;
  if (!file.Open(copy, error)) return false;
  AiffLayout layout;
  if (!ReadAiffLayout(file, layout, error)) return false;
  const AiffChunk* chunk = layout.id3 >= 0 ? &layout.chunks[static_cast<size_t>(layout.id3)] : nullptr;
  const std::string old = chunk ? file.Read(chunk->offset + 8, Id3v2TagSize(file.Read(chunk->offset + 8, 10))) : "";
  const std::string tag = RenderTag(old, changes, error);
  if (tag.empty()) return false;
  if (chunk) {
    const std::string fit = FitId3v2(tag, chunk->size);
    if (!fit.empty()) return CopyFile().WriteAt(chunk->offset + 8, fit);
  }
  std::string body = PadNewId3v2(tag);
  if (body.size() & 1) body.push_back('\0');
  std::string bytes = chunk ? chunk->id : "ID3 ";
  PutBE32(bytes, static_cast<uint32_t>(body.size()));
  bytes += body;
  // The old chunk is replaced where it was (its pad byte may be missing at
  // the very end of the file); a new one goes at the end of the form.
  const uint64_t start = chunk ? chunk->offset : layout.end;
  const uint64_t replace = chunk ? std::min(chunk->Span(), file.Size() - chunk->offset) : 0;
  const uint64_t end = layout.end - replace + bytes.size();
  if (end - 8 > 0xFFFFFFFFu) return Fail(error, "AIFF 形式には大きすぎるファイルです");
  Splice(CopyStream(), bytes, start, replace);
  std::string size;
  PutBE32(size, static_cast<uint32_t>(end - 8));
  return !CopyFile().Failed() && CopyFile().WriteAt(4, size);
}

bool DsfFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  payload::Reader file;
  if (!file.Open(path, error)) return false;
  DsfLayout layout;
  if (!ReadDsfLayout(file, layout, error)) return false;
  if (!ReadTag(layout.tagSize ? file.Read(layout.tagOffset, layout.tagSize) : "", path == Path(), values, error))
    return false;
  const double seconds =
      layout.sampleRate > 0 ? static_cast<double>(layout.samples) / layout.sampleRate : 0.0;
  const int kbps = static_cast<int>((uint64_t(layout.sampleRate) * layout.bits * layout.channels + 500) / 1000);
  values["TIME"] = TimeText(WholeSeconds(seconds));
  values["AFMT"] = AudioFormatText("DSD", kbps, static_cast<int>(layout.sampleRate), static_cast<int>(layout.bits),
                                   static_cast<int>(layout.channels));
  return true;
}

bool DsfFile::Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap&, std::string* error) {
  payload::Reader file;
  if (!file.Open(copy, error)) return false;
  DsfLayout layout;
  if (!ReadDsfLayout(file, layout, error)) return false;
  const std::string old = layout.tagSize ? file.Read(layout.tagOffset, layout.tagSize) : "";
  const std::string tag = RenderTag(old, changes, error);
  if (tag.empty()) return false;
  // The tag as long as the old one when it fits, else exactly as long as
  // its frames: it is the end of the file, and grows by appending.
  std::string bytes = layout.tagSize ? FitId3v2(tag, layout.tagSize) : "";
  if (bytes.empty()) bytes = FitId3v2(tag, Id3v2UsedSize(tag));
  if (bytes.empty()) bytes = tag;
  const uint64_t start = layout.tagSize ? layout.tagOffset : file.Size();
  if (bytes.size() == layout.tagSize) {
    if (!CopyFile().WriteAt(start, bytes)) return false;
  } else {
    Splice(CopyStream(), bytes, start, layout.tagSize);
  }
  const uint64_t size = file.Size() - layout.tagSize + bytes.size();
  return !CopyFile().Failed() && CopyFile().WriteAt(12, Le64(size) + Le64(start));
}

}  // namespace hozanki
