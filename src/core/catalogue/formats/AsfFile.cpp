#include "core/catalogue/formats/AsfFile.h"

#include <taglib/asffile.h>
#include <taglib/tiostream.h>

#include <array>
#include <optional>

#include "core/catalogue/formats/AsfVideo.h"
#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"

namespace hozanki {
namespace {

struct AttributeName {
  std::string_view value;
  const char* attribute;
};
constexpr std::array kAttributes = {
    AttributeName{"IPRD", "WM/AlbumTitle"},   AttributeName{"TRACK", "WM/TrackNumber"},
    AttributeName{"ICRD", "WM/Year"},         AttributeName{"IGNR", "WM/Genre"},
    AttributeName{"URL1", "WM/PromotionURL"}, AttributeName{"URL2", "WM/AuthorURL"},
    AttributeName{"AART", "WM/AlbumArtist"},  AttributeName{"DISC", "WM/PartOfSet"},
    AttributeName{"SOAR", "WM/ArtistSortOrder"}, AttributeName{"SOAA", "WM/AlbumArtistSortOrder"},
    AttributeName{"SOAL", "WM/AlbumSortOrder"},  AttributeName{"SONM", "WM/TitleSortOrder"},
    AttributeName{"LYRC", "WM/Lyrics"}};

std::string AttributeText(const TagLib::ASF::Attribute& a) {
  switch (a.type()) {
    case TagLib::ASF::Attribute::UnicodeType:
      return a.toString().to8Bit(true);
    case TagLib::ASF::Attribute::DWordType:
      return std::to_string(a.toUInt());
    case TagLib::ASF::Attribute::QWordType:
      return std::to_string(a.toULongLong());
    case TagLib::ASF::Attribute::WordType:
      return std::to_string(a.toUShort());
    case TagLib::ASF::Attribute::BoolType:
      return a.toBool() ? "1" : "0";
    default:
      return {};
  }
}

std::string Attributes(const TagLib::ASF::Tag& tag, const char* name) {
  std::vector<std::string> texts;
  for (const auto& a : tag.attribute(name)) texts.push_back(AttributeText(a));
  return JoinValues(texts);
}

std::string CodecName(TagLib::ASF::Properties::Codec codec) {
  switch (codec) {
    case TagLib::ASF::Properties::WMA1:
      return "WMA1";
    case TagLib::ASF::Properties::WMA2:
      return "WMA2";
    case TagLib::ASF::Properties::WMA9Pro:
      return "WMA9 Pro";
    case TagLib::ASF::Properties::WMA9Lossless:
      return "WMA9 Lossless";
    default:
      return "Unknown";
  }
}

// The content description object (title, author, copyright, description,
// rating) in an ASF header object.
constexpr std::string_view kContentDescriptionGuid{"\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16};
constexpr std::string_view kFilePropertiesGuid{"\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16};
constexpr uint64_t kMaxHeaderSize = 64u << 20;

struct HeaderObject {
  size_t offset = 0, size = 0;
};

std::optional<HeaderObject> FindObject(std::string_view header, std::string_view guid) {
  size_t pos = 30;
  while (pos + 24 <= header.size()) {
    uint64_t size = ReadLE(header, pos + 16, 8);
    if (size < 24 || size > header.size() - pos) break;
    if (header.substr(pos, 16) == guid) return HeaderObject{pos, static_cast<size_t>(size)};
    pos += static_cast<size_t>(size);
  }
  return std::nullopt;
}

void PutLE(std::string& out, size_t offset, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out[offset + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Mends TagLib's header after a save. TagLib writes every field of the
// content description, an empty one as a bare terminator, which readers then
// list as an empty attribute: an empty field gets length 0 again (unless the
// file had it as a bare terminator), and an object the file did not have is
// left out when it holds nothing. TagLib also leaves the file size in the
// file properties as it was: when it was right in the file read
// (`oldFileSize`), it is made right again. `before` is the header object as
// read.
bool MendHeader(TagLib::IOStream& stream, std::string_view before, uint64_t oldFileSize) {
  stream.seek(0);
  TagLib::ByteVector head = stream.readBlock(30);
  const uint64_t headerSize = ReadLE(std::string_view(head.data(), head.size()), 16, 8);
  if (head.size() < 30 || headerSize < 30 || headerSize > kMaxHeaderSize) return false;
  stream.seek(0);
  TagLib::ByteVector bytes = stream.readBlock(static_cast<unsigned long>(headerSize));
  std::string header(bytes.data(), bytes.size());
  if (header.size() != headerSize) return false;
  bool changed = false;
  std::optional<HeaderObject> now = FindObject(header, kContentDescriptionGuid);
  if (now && now->size >= 34) {
    std::optional<HeaderObject> old = FindObject(before, kContentDescriptionGuid);
    std::string fields;
    std::string rebuilt(header.substr(now->offset, 24 + 10));
    size_t pos = now->offset + 34;
    bool emptied = false, empty = true;
    for (size_t i = 0; i < 5; ++i) {
      size_t length = Le16(header, now->offset + 24 + 2 * i);
      if (pos + length > now->offset + now->size) return false;
      std::string_view text = std::string_view(header).substr(pos, length);
      pos += length;
      const bool wasTerminator = old && old->size >= 34 && Le16(before, old->offset + 24 + 2 * i) == 2;
      if (!wasTerminator && text == std::string_view("\0\0", 2)) {
        text = {};
        emptied = true;
      }
      empty = empty && text.empty();
      PutLE(rebuilt, 24 + 2 * i, text.size(), 2);
      fields += text;
    }
    if (emptied) {
      rebuilt += fields;
      rebuilt += header.substr(pos, now->offset + now->size - pos);
      PutLE(rebuilt, 16, rebuilt.size(), 8);
      if (empty && !old) {
        rebuilt.clear();
        PutLE(header, 24, Le32(header, 24) - 1, 4);
      }
      header.replace(now->offset, now->size, rebuilt);
      PutLE(header, 16, header.size(), 8);
      changed = true;
    }
  }
  const uint64_t fileSize = static_cast<uint64_t>(stream.length()) - headerSize + header.size();
  std::optional<HeaderObject> props = FindObject(header, kFilePropertiesGuid);
  std::optional<HeaderObject> oldProps = FindObject(before, kFilePropertiesGuid);
  if (props && props->size >= 48 && oldProps && oldProps->size >= 48 &&
      ReadLE(before, oldProps->offset + 40, 8) == oldFileSize && ReadLE(header, props->offset + 40, 8) != fileSize) {
    PutLE(header, props->offset + 40, fileSize, 8);
    changed = true;
  }
  if (changed)
    stream.insert(TagLib::ByteVector(header.data(), static_cast<unsigned>(header.size())), 0,
                  static_cast<unsigned long>(headerSize));
  return true;
}

}  // namespace

bool AsfFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  if (ReadFileBytes(path, 0, 16) != kAsfHeaderGuid) {
    if (error) *error = "not an ASF file (no header object)";
    return false;
  }
  TagLib::ASF::File file(path.c_str(), true, TagLib::AudioProperties::Average);
  if (!file.isValid() || !file.tag()) {
    if (error) *error = "broken ASF file";
    return false;
  }
  const auto& tag = *file.tag();
  values["IART"] = tag.artist().to8Bit(true);
  values["INAM"] = tag.title().to8Bit(true);
  values["ICMT"] = tag.comment().to8Bit(true);
  values["ICOP"] = tag.copyright().to8Bit(true);
  // Some writers (ffmpeg) put the comment in a "Description" attribute.
  if (values["ICMT"].empty()) values["ICMT"] = Attributes(tag, "Description");
  for (const auto& a : kAttributes) values[std::string(a.value)] = Attributes(tag, a.attribute);
  if (values["TRACK"].empty() && tag.contains("WM/Track")) {
    auto legacy = tag.attribute("WM/Track");
    unsigned zeroBased = legacy.front().type() == TagLib::ASF::Attribute::UnicodeType
                             ? static_cast<unsigned>(legacy.front().toString().toInt())
                             : legacy.front().toUInt();
    values["TRACK"] = std::to_string(zeroBased + 1);
  }
  const auto* props = file.audioProperties();
  if (props) {
    values["TIME"] = TimeText(props->lengthInMilliseconds() / 1000);
    if (props->sampleRate() > 0)
      values["AFMT"] = AudioFormatText(CodecName(props->codec()), props->bitrate(), props->sampleRate(),
                                       props->bitsPerSample(), props->channels());
  }
  AsfVideoInfo video;
  if (ReadAsfVideo(path, video) && video.hasVideo)
    values["VFMT"] = VideoFormatText(video.codec, video.width, video.height, video.fps);
  return true;
}

bool AsfFile::IsWritable(std::string_view name) const {
  if (name == "IART" || name == "INAM" || name == "ICMT" || name == "ICOP") return true;
  for (const auto& a : kAttributes)
    if (a.value == name) return true;
  return false;
}

bool AsfFile::Write(const std::filesystem::path&, const ValueMap& changes, const ValueMap&,
                    std::string* error) {
  const std::string head = ReadFileBytes(Path(), 0, 30);
  const uint64_t headerSize = ReadLE(head, 16, 8);
  const std::string before = headerSize <= kMaxHeaderSize ? ReadFileBytes(Path(), 0, headerSize) : std::string();
  std::error_code ec;
  const uint64_t oldFileSize = std::filesystem::file_size(Path(), ec);
  TagLib::ASF::File file(CopyStream(), false);
  if (!file.isValid() || !file.tag()) {
    if (error) *error = "broken ASF file";
    return false;
  }
  auto& tag = *file.tag();
  for (const auto& [name, value] : changes) {
    TagLib::String text(value, TagLib::String::UTF8);
    // Content description fields; some writers repeat them as attributes
    // ("title", "Description"), which other programs would then show instead.
    auto dropCopies = [&tag](const char* upper, const char* lower) {
      tag.removeItem(upper);
      tag.removeItem(lower);
    };
    if (name == "IART")
      tag.setArtist(text), dropCopies("Author", "author");
    else if (name == "INAM")
      tag.setTitle(text), dropCopies("Title", "title");
    else if (name == "ICMT")
      tag.setComment(text), dropCopies("Description", "description");
    else if (name == "ICOP")
      tag.setCopyright(text), dropCopies("Copyright", "copyright");
    for (const auto& a : kAttributes) {
      if (a.value != name) continue;
      tag.removeItem(a.attribute);
      // The legacy zero-based number would contradict the new one.
      if (name == "TRACK") tag.removeItem("WM/Track");
      if (!value.empty()) tag.setAttribute(a.attribute, TagLib::ASF::Attribute(text));
    }
  }
  if (!file.save() || !MendHeader(*CopyStream(), before, oldFileSize)) {
    if (error) *error = "TagLib could not write the ASF file";
    return false;
  }
  return true;
}

}  // namespace hozanki
