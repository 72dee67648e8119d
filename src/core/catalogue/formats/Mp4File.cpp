#include "core/catalogue/formats/Mp4File.h"

#include <taglib/mp4file.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/catalogue/formats/Mp4Movie.h"

namespace hozanki {
namespace {

struct TextItem {
  std::string_view value;
  const char* item;
};
constexpr std::array kTextItems = {
    TextItem{"IART", "\251ART"}, TextItem{"INAM", "\251nam"},     TextItem{"IPRD", "\251alb"},
    TextItem{"ICRD", "\251day"}, TextItem{"IGNR", "\251gen"},     TextItem{"ICMT", "\251cmt"},
    TextItem{"IGRP", "\251grp"}, TextItem{"COMPOSER", "\251wrt"}, TextItem{"TOOL", "\251too"},
    TextItem{"AART", "aART"},    TextItem{"SOAR", "soar"},        TextItem{"SOAA", "soaa"},
    TextItem{"SOAL", "soal"},    TextItem{"SONM", "sonm"},        TextItem{"LYRC", "\251lyr"}};

const char* TextItemOf(std::string_view name) {
  for (const auto& t : kTextItems)
    if (t.value == name) return t.item;
  return nullptr;
}

// Box types that may open an MP4/QuickTime file.
bool IsMp4Head(std::string_view head) {
  if (head.size() < 8) return false;
  std::string_view type = head.substr(4, 4);
  return type == "ftyp" || type == "moov" || type == "mdat" || type == "free" || type == "wide" ||
         type == "skip";
}

std::string NumberText(int n) {
  return n > 0 ? std::to_string(n) : std::string();
}

// A cell's number: blanks around it allowed, empty = 0. False when it is not
// a whole number from 0 to `max`.
bool ParseNumber(std::string_view text, int max, int& number) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  number = 0;
  if (text.empty()) return true;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  return ec == std::errc() && end == text.data() + text.size() && number >= 0 && number <= max;
}

std::string CodecName(TagLib::MP4::Properties::Codec codec) {
  switch (codec) {
    case TagLib::MP4::Properties::AAC:
      return "AAC";
    case TagLib::MP4::Properties::ALAC:
      return "ALAC";
    default:
      return "Unknown";
  }
}

// The children of the box bytes [start, end) of `data`: type and range.
struct Box {
  std::string_view type;
  size_t start, end;  // contents
};
std::vector<Box> Children(std::string_view data, size_t start, size_t end) {
  std::vector<Box> out;
  while (start + 8 <= end) {
    uint64_t size = ReadBE(data, start, 4);
    size_t header = 8;
    if (size == 1) size = ReadBE(data, start + 8, 8), header = 16;
    if (size == 0) size = end - start;
    if (size < header || size > end - start) break;
    out.push_back({data.substr(start + 4, 4), start + header, start + static_cast<size_t>(size)});
    start += static_cast<size_t>(size);
  }
  return out;
}

// Text items of the file whose UTF-8 data hold NUL bytes (some services end
// their own items with one): item name and the text of each data box.
// TagLib cuts such text at the NUL and would write it back shortened.
std::vector<std::pair<std::string, std::vector<std::string>>> TextItemsWithNul(const std::filesystem::path& path) {
  constexpr uint64_t kMaxMoov = 64u << 20;
  std::error_code ec;
  const uint64_t fileSize = std::filesystem::file_size(path, ec);
  std::vector<std::pair<std::string, std::vector<std::string>>> out;
  if (ec) return out;
  std::string moov;
  for (uint64_t pos = 0; pos + 8 <= fileSize;) {
    std::string head = ReadFileBytes(path, pos, 16);
    uint64_t size = ReadBE(head, 0, 4);
    uint64_t header = 8;
    if (size == 1) size = ReadBE(head, 8, 8), header = 16;
    if (size == 0) size = fileSize - pos;
    if (size < header || size > fileSize - pos) break;
    if (head.substr(4, 4) == "moov") {
      if (size <= kMaxMoov) moov = ReadFileBytes(path, pos, static_cast<size_t>(size));
      break;
    }
    pos += size;
  }
  if (moov.empty()) return out;
  auto child = [&moov](const Box& parent, std::string_view type, size_t skip) -> std::optional<Box> {
    for (const Box& b : Children(moov, parent.start + skip, parent.end))
      if (b.type == type) return b;
    return std::nullopt;
  };
  std::optional<Box> udta = child(Box{"", 8, moov.size()}, "udta", 0);
  std::optional<Box> meta = udta ? child(*udta, "meta", 0) : std::nullopt;
  std::optional<Box> ilst = meta ? child(*meta, "ilst", 4) : std::nullopt;
  if (!ilst) return out;
  for (const Box& item : Children(moov, ilst->start, ilst->end)) {
    if (item.type == "----") continue;
    std::vector<std::string> texts;
    bool nul = false, text = true;
    for (const Box& d : Children(moov, item.start, item.end)) {
      if (d.type != "data" || d.end - d.start < 8 || ReadBE(moov, d.start, 4) != 1) {
        text = false;
        break;
      }
      texts.push_back(moov.substr(d.start + 8, d.end - d.start - 8));
      nul = nul || texts.back().find('\0') != std::string::npos;
    }
    if (text && nul) out.emplace_back(std::string(item.type), std::move(texts));
  }
  return out;
}

// UTF-8 text with its NUL characters kept.
TagLib::String Utf8WithNul(std::string_view text) {
  std::wstring out;
  for (size_t start = 0;;) {
    size_t nul = text.find('\0', start);
    std::string_view part = text.substr(start, nul == std::string_view::npos ? std::string_view::npos : nul - start);
    out += TagLib::String(std::string(part), TagLib::String::UTF8).toWString();
    if (nul == std::string_view::npos) break;
    out.push_back(L'\0');
    start = nul + 1;
  }
  return TagLib::String(out, TagLib::String::UTF16BE);  // UTF16BE: the wide string's own byte order
}

}  // namespace

bool Mp4File::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  if (!IsMp4Head(ReadFileBytes(path, 0, 8))) {
    if (error) *error = "not an MP4 file (no ftyp box)";
    return false;
  }
  TagLib::MP4::File file(path.c_str(), true, TagLib::AudioProperties::Average);
  if (!file.isValid()) {
    if (error) *error = "broken MP4 file";
    return false;
  }
  if (const auto* tag = file.tag()) {
    for (const auto& t : kTextItems) {
      if (!tag->contains(t.item)) continue;
      std::vector<std::string> texts;
      for (const auto& s : tag->item(t.item).toStringList()) texts.push_back(s.to8Bit(true));
      values[std::string(t.value)] = JoinValues(texts);
    }
    for (auto [item, first, second] : {std::array<const char*, 3>{"trkn", "TRACK1", "TRACK2"},
                                       std::array<const char*, 3>{"disk", "DISC1", "DISC2"}}) {
      if (!tag->contains(item)) continue;
      auto pair = tag->item(item).toIntPair();
      values[first] = NumberText(pair.first);
      values[second] = NumberText(pair.second);
    }
    if (tag->contains("tmpo")) values["BPM"] = NumberText(tag->item("tmpo").toInt());
    if (tag->contains("cpil")) values["COMPILATION"] = tag->item("cpil").toBool() ? "1" : "0";
  }
  Mp4MovieInfo movie;
  bool haveMovie = ReadMp4Movie(path, movie);
  const auto* props = file.audioProperties();
  // The movie header's duration is the presented one (edit lists leave out
  // the encoder's priming samples that the track's own duration counts).
  double seconds = haveMovie && movie.seconds > 0 ? movie.seconds
                   : props                        ? props->lengthInMilliseconds() / 1000.0
                                                  : 0;
  std::string codec = props && props->sampleRate() > 0 ? CodecName(props->codec()) : "none";
  char lead[64];
  std::snprintf(lead, sizeof lead, "%s, %.3fsec", codec.c_str(), seconds);
  int channels = movie.audioChannels > 0 ? movie.audioChannels : (props ? props->channels() : 0);
  values["AFMT"] =
      props && props->sampleRate() > 0
          ? std::string(lead) + ", " + AudioFormatText("", props->bitrate(), props->sampleRate(), 0, channels)
          : std::string(lead);
  values["TIME"] = TimeText(WholeSeconds(seconds));
  if (haveMovie && movie.hasVideo)
    values["VFMT"] = VideoFormatText(movie.videoCodec, movie.width, movie.height, movie.fps);
  return true;
}

bool Mp4File::IsWritable(std::string_view name) const {
  return TextItemOf(name) || name == "TRACK1" || name == "TRACK2" || name == "DISC1" || name == "DISC2" ||
         name == "BPM" || name == "COMPILATION";
}

bool Mp4File::Write(const std::filesystem::path&, const ValueMap& changes, const ValueMap& current,
                    std::string* error) {
  auto valueOf = [&](std::string_view name) {
    if (auto it = changes.find(name); it != changes.end()) return it->second;
    if (auto it = current.find(name); it != current.end()) return it->second;
    return std::string();
  };
  auto fail = [error](const std::string& message) {
    if (error) *error = message;
    return false;
  };
  TagLib::MP4::File file(CopyStream(), false);
  if (!file.isValid() || !file.tag()) return fail("broken MP4 file");
  auto* tag = file.tag();
  // Text items TagLib read short are given back their NUL characters, so
  // that they are written as they were.
  for (const auto& [name, texts] : TextItemsWithNul(Path())) {
    const TagLib::String key(TagLib::ByteVector(name.data(), static_cast<unsigned>(name.size())), TagLib::String::Latin1);
    if (!tag->contains(key)) continue;
    TagLib::StringList list;
    for (const std::string& t : texts) list.append(Utf8WithNul(t));
    tag->setItem(key, TagLib::MP4::Item(list));
  }
  for (const auto& t : kTextItems) {
    auto it = changes.find(t.value);
    if (it == changes.end()) continue;
    if (it->second.empty())
      tag->removeItem(t.item);
    else
      tag->setItem(t.item, TagLib::StringList(TagLib::String(it->second, TagLib::String::UTF8)));
  }
  for (auto [item, first, second] : {std::array<const char*, 3>{"trkn", "TRACK1", "TRACK2"},
                                     std::array<const char*, 3>{"disk", "DISC1", "DISC2"}}) {
    if (!changes.count(first) && !changes.count(second)) continue;
    int a = 0, b = 0;
    if (!ParseNumber(valueOf(first), 0xFFFF, a))
      return fail(std::string(first) + " must be a number from 0 to 65535");
    if (!ParseNumber(valueOf(second), 0xFFFF, b))
      return fail(std::string(second) + " must be a number from 0 to 65535");
    if (a == 0 && b == 0)
      tag->removeItem(item);
    else
      tag->setItem(item, TagLib::MP4::Item(a, b));
  }
  if (auto it = changes.find("BPM"); it != changes.end()) {
    int bpm = 0;
    if (!ParseNumber(it->second, 0xFFFF, bpm)) return fail("BPM must be a number from 0 to 65535");
    if (bpm == 0)
      tag->removeItem("tmpo");
    else
      tag->setItem("tmpo", TagLib::MP4::Item(bpm));
  }
  if (auto it = changes.find("COMPILATION"); it != changes.end()) {
    int flag = 0;
    if (!ParseNumber(it->second, 1, flag)) return fail("COMPILATION must be 0, 1 or empty");
    if (it->second.find_first_not_of(' ') == std::string::npos)
      tag->removeItem("cpil");
    else
      tag->setItem("cpil", TagLib::MP4::Item(flag == 1));
  }
  if (!file.save()) return fail("TagLib could not write the MP4 file");
  return true;
}

}  // namespace hozanki
