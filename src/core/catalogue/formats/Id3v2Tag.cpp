#include "core/catalogue/formats/Id3v2Tag.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/tfile.h>
#include <taglib/urllinkframe.h>

#include <algorithm>
#include <array>
#include <charconv>

#include "core/catalogue/GenreList.h"
#include "core/common/Failure.h"
#include "core/catalogue/formats/Id3v2Bytes.h"
#include "core/catalogue/formats/Id3v2QuickReader.h"
#include "core/catalogue/formats/Id3v2Versions.h"
#include "core/text/Cp932.h"
#include "core/text/EncodingRepair.h"

namespace hozanki {

// A TagLib file over bytes in memory, so that TagLib parses a tag that we
// read ourselves.
struct Id3v2StreamHolder {
  explicit Id3v2StreamHolder(std::string_view bytes)
      : stream(TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()))) {}
  TagLib::ByteVectorStream stream;
};

class Id3v2MemoryFile : private Id3v2StreamHolder, public TagLib::File {
 public:
  explicit Id3v2MemoryFile(std::string_view bytes) : Id3v2StreamHolder(bytes), TagLib::File(&stream) {}
  TagLib::Tag* tag() const override { return nullptr; }
  TagLib::AudioProperties* audioProperties() const override { return nullptr; }
  bool save() override { return false; }
};

namespace {

using TagLib::ByteVector;
using TagLib::String;
namespace ID3v2 = TagLib::ID3v2;
using id3v2::Be32;
using id3v2::Deunsync;
using id3v2::FrameSize24;
using id3v2::IsFrameId;
using id3v2::Syncsafe;

struct StemFrame {
  std::string_view stem;
  const char* frame;
};
constexpr std::array<StemFrame, kId3v2StemCount> kStemFrames = {{{"IART", "TPE1"},
                                                    {"INAM", "TIT2"},
                                                    {"IPRD", "TALB"},
                                                    {"TRACK", "TRCK"},
                                                    {"ICRD", "TDRC"},
                                                    {"IGNR", "TCON"},
                                                    {"ICMT", "COMM"},
                                                    {"COMP", "TCOM"},
                                                    {"ICOP", "TCOP"},
                                                    {"URL", "WXXX"},
                                                    {"OART", "TOPE"},
                                                    {"ENC2", "TENC"},
                                                    {"ISFT", "TSSE"},
                                                    {"AART", "TPE2"},
                                                    {"DISC", "TPOS"},
                                                    {"SOAR", "TSOP"},
                                                    {"SOAA", "TSO2"},
                                                    {"SOAL", "TSOA"},
                                                    {"SONM", "TSOT"},
                                                    {"LYRC", "USLT"}}};

const char* FrameOf(std::string_view stem) {
  for (const StemFrame& s : kStemFrames)
    if (s.stem == stem) return s.frame;
  return nullptr;
}

std::string ToUtf8(const String& s, String::Type encoding) {
  if (encoding == String::Latin1) {
    ByteVector bytes = s.data(String::Latin1);
    return DecodeTagText(std::string_view(bytes.data(), bytes.size()));
  }
  return s.to8Bit(true);
}

// The TagLib string for `utf8` in frames of `encoding`: code page 932 bytes
// carried as ISO-8859-1 characters, or the Unicode text.
String FromUtf8(std::string_view utf8, String::Type encoding) {
  if (encoding == String::Latin1) {
    std::string bytes = EncodeTagTextCp932(utf8).value_or(std::string(utf8));
    return String(ByteVector(bytes.data(), static_cast<unsigned>(bytes.size())), String::Latin1);
  }
  return String(std::string(utf8), String::UTF8);
}

// The comment frame we show: the one with an empty description, else the
// first that is not a player's private data.
ID3v2::CommentsFrame* CommentFrame(const ID3v2::Tag& tag) {
  ID3v2::CommentsFrame* fallback = nullptr;
  for (ID3v2::Frame* f : tag.frameList("COMM")) {
    auto* c = dynamic_cast<ID3v2::CommentsFrame*>(f);
    if (!c) continue;
    if (c->description().isEmpty()) return c;
    if (!fallback && !c->description().startsWith("iTun")) fallback = c;
  }
  return fallback;
}

// The lyrics we show: the frame with an empty description, else the first.
ID3v2::UnsynchronizedLyricsFrame* LyricsFrame(const ID3v2::Tag& tag) {
  ID3v2::UnsynchronizedLyricsFrame* fallback = nullptr;
  for (ID3v2::Frame* f : tag.frameList("USLT")) {
    auto* l = dynamic_cast<ID3v2::UnsynchronizedLyricsFrame*>(f);
    if (!l) continue;
    if (l->description().isEmpty()) return l;
    if (!fallback) fallback = l;
  }
  return fallback;
}

// A comment or lyrics frame (language, description, text), by stem.
template <typename Visit>
auto WithDescribedFrame(const ID3v2::Tag& tag, std::string_view stem, Visit&& visit) {
  if (stem == "LYRC") return visit(LyricsFrame(tag));
  return visit(CommentFrame(tag));
}

bool IsDescribedStem(std::string_view stem) { return stem == "ICMT" || stem == "LYRC"; }

ID3v2::UserUrlLinkFrame* UrlFrame(const ID3v2::Tag& tag) {
  ID3v2::UserUrlLinkFrame* fallback = nullptr;
  for (ID3v2::Frame* f : tag.frameList("WXXX")) {
    auto* u = dynamic_cast<ID3v2::UserUrlLinkFrame*>(f);
    if (!u) continue;
    if (u->description().isEmpty()) return u;
    if (!fallback) fallback = u;
  }
  return fallback;
}

ID3v2::TextIdentificationFrame* TextFrame(const ID3v2::Tag& tag, const char* id) {
  for (ID3v2::Frame* f : tag.frameList(id))
    if (auto* t = dynamic_cast<ID3v2::TextIdentificationFrame*>(f)) return t;
  return nullptr;
}

String::Type ChosenEncoding(std::string_view value, int unicode, const ID3v2::Frame* existing,
                            String::Type existingEncoding) {
  bool fits = EncodeTagTextCp932(value).has_value();
  if (unicode == 1) return String::UTF16;
  if (unicode == 0 || !existing) return fits ? String::Latin1 : String::UTF16;
  if (existingEncoding == String::Latin1) return fits ? String::Latin1 : String::UTF16;
  return existingEncoding;
}

void PutSyncsafe(std::string& out, size_t pos, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out[pos + static_cast<size_t>(i)] = static_cast<char>((v >> (7 * (3 - i))) & 0x7F);
}

std::string Unsync(std::string_view body) {
  std::string out;
  out.reserve(body.size() + body.size() / 64 + 1);
  for (size_t i = 0; i < body.size(); ++i) {
    out.push_back(body[i]);
    if (uint8_t(body[i]) == 0xFF &&
        (i + 1 == body.size() || uint8_t(body[i + 1]) >= 0xE0 || body[i + 1] == 0))
      out.push_back('\0');
  }
  return out;
}

// Version 2.2 ids and their later forms; the last rows are the ones iTunes
// writes (compilation, sort orders, podcasts, grouping).
constexpr std::array<std::pair<std::string_view, std::string_view>, 78> k22Ids = {{
    {"AENC", "CRA"}, {"APIC", "PIC"}, {"COMM", "COM"}, {"EQUA", "EQU"}, {"ETCO", "ETC"}, {"GEOB", "GEO"},
    {"IPLS", "IPL"}, {"MCDI", "MCI"}, {"MLLT", "MLL"}, {"PCNT", "CNT"}, {"POPM", "POP"}, {"RBUF", "BUF"},
    {"RVAD", "RVA"}, {"RVRB", "REV"}, {"SYLT", "SLT"}, {"SYTC", "STC"}, {"TALB", "TAL"}, {"TBPM", "TBP"},
    {"TCOM", "TCM"}, {"TCON", "TCO"}, {"TCOP", "TCR"}, {"TDAT", "TDA"}, {"TDLY", "TDY"}, {"TENC", "TEN"},
    {"TFLT", "TFT"}, {"TIME", "TIM"}, {"TKEY", "TKE"}, {"TLAN", "TLA"}, {"TLEN", "TLE"}, {"TMED", "TMT"},
    {"TOAL", "TOT"}, {"TOFN", "TOF"}, {"TOLY", "TOL"}, {"TOPE", "TOA"}, {"TORY", "TOR"}, {"TPE1", "TP1"},
    {"TPE2", "TP2"}, {"TPE3", "TP3"}, {"TPE4", "TP4"}, {"TPOS", "TPA"}, {"TPUB", "TPB"}, {"TRCK", "TRK"},
    {"TRDA", "TRD"}, {"TSIZ", "TSI"}, {"TSRC", "TRC"}, {"TSSE", "TSS"}, {"TIT1", "TT1"}, {"TIT2", "TT2"},
    {"TIT3", "TT3"}, {"TEXT", "TXT"}, {"TXXX", "TXX"}, {"TYER", "TYE"}, {"UFID", "UFI"}, {"USLT", "ULT"},
    {"WCOM", "WCM"}, {"WCOP", "WCP"}, {"WOAR", "WAR"}, {"WXXX", "WXX"}, {"WOAF", "WAF"}, {"WOAS", "WAS"},
    {"WPUB", "WPB"}, {"LINK", "LNK"}, {"TCMP", "TCP"}, {"TSO2", "TS2"}, {"TSOA", "TSA"}, {"TSOC", "TSC"},
    {"TSOP", "TSP"}, {"TSOT", "TST"}, {"PCST", "PCS"}, {"TCAT", "TCT"}, {"TDES", "TDS"}, {"TGID", "TID"},
    {"WFED", "WFD"}, {"MVNM", "MVN"}, {"MVIN", "MVI"}, {"GRP1", "GP1"}, {"TDRL", "TDR"}, {"TKWD", "TKW"},
}};

// APIC body (encoding, MIME, type, description, data) as PIC (encoding,
// three-letter format, type, description, data). The image format of a 2.2
// picture travels in the MIME type as "image/<format>" ("JPG" and "PNG" as
// their usual types), so that it comes back as it was.
std::string PictureBodyTo22(std::string_view body) {
  if (body.empty()) return {};
  size_t nul = body.find('\0', 1);
  if (nul == std::string_view::npos) return {};
  std::string mime(body.substr(1, nul - 1));
  std::string format;
  if (mime.size() == 9 && mime.compare(0, 6, "image/") == 0 && mime != "image/png") {
    format = mime.substr(6);
  } else {
    for (char& c : mime) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    format = mime.find("png") != std::string::npos ? "PNG" : "JPG";
  }
  return std::string(1, body[0]) + format + std::string(body.substr(nul + 1));
}

// PIC body (encoding, three-letter format, type, description, data) as APIC.
std::string PictureBodyTo23(std::string_view body) {
  if (body.size() < 4) return {};
  std::string format(body.substr(1, 3));
  std::string mime = format == "PNG" ? "image/png" : format == "JPG" ? "image/jpeg" : "image/" + format;
  return std::string(1, body[0]) + mime + '\0' + std::string(body.substr(4));
}

void Put24(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>((v >> 16) & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
  out.push_back(static_cast<char>(v & 0xFF));
}

// Calls visit(id, frameBytes, formatFlags) for each frame of a complete
// version 2.3 or 2.4 tag (whole-tag unsynchronisation of 2.3 undone, an
// extended header skipped). Returns the tag's version, 0 for other tags.
template <typename Visit>
int ForEachFrame(std::string_view tag, Visit&& visit) {
  if (tag.size() < 10 || tag.substr(0, 3) != "ID3") return 0;
  int version = uint8_t(tag[3]);
  uint8_t flags = uint8_t(tag[5]);
  if (version != 3 && version != 4) return 0;
  size_t end = std::min<size_t>(tag.size(), 10 + Syncsafe(tag, 6));
  std::string body(tag.substr(10, end - 10));
  if (version == 3 && (flags & 0x80)) body = Deunsync(body);
  size_t pos = 0;
  if ((flags & 0x40) && body.size() >= 4)
    pos = version == 3 ? size_t{Be32(body, 0)} + 4 : size_t{Syncsafe(body, 0)};
  while (pos + 10 <= body.size() && body[pos] != '\0') {
    size_t size = version == 4 ? Syncsafe(body, pos + 4) : Be32(body, pos + 4);
    if (size > body.size() - pos - 10) break;
    std::string frame = body.substr(pos, 10 + size);
    // In a 2.4 tag unsynchronised as a whole, each frame says so itself.
    if (version == 4 && (flags & 0x80)) frame[9] = static_cast<char>(uint8_t(frame[9]) | 0x02);
    visit(std::string_view(frame).substr(0, 4), frame, uint8_t(body[pos + 9]));
    pos += 10 + size;
  }
  return version;
}

// TagLib keeps a frame's header flags behind a protected accessor.
struct FrameFlags : ID3v2::Frame {
  static bool Packed(const ID3v2::Frame* frame) {
    Header* (ID3v2::Frame::*get)() const = &FrameFlags::header;
    const Header* h = (frame->*get)();
    return h && (h->encryption() || h->compression() || h->groupingIdentity());
  }
};

struct RawFrame {
  std::string id;       // as TagLib names it in memory (TYER is TDRC)
  std::string bytes;    // header and body
  bool packed = false;  // encrypted, compressed or grouped
};

// Every frame of a complete version 2.3 or 2.4 tag, named as TagLib names
// it in memory (TYER is TDRC).
std::vector<RawFrame> AllFrames(std::string_view tag) {
  std::vector<RawFrame> out;
  ForEachFrame(tag, [&](std::string_view id, const std::string& frame, uint8_t format) {
    bool v4 = uint8_t(tag[3]) == 4;
    std::string name(id);
    if (!v4) {
      if (name == "TYER") name = "TDRC";
      if (name == "TORY") name = "TDOR";
      if (name == "IPLS") name = "TIPL";
    }
    out.push_back({name, frame, v4 ? (format & 0x4C) != 0 : (format & 0xE0) != 0});
  });
  return out;
}

// The frames whose format flags TagLib drops on writing: encrypted,
// compressed or grouped ones.
std::vector<RawFrame> PackedFrames(std::string_view tag) {
  std::vector<RawFrame> out = AllFrames(tag);
  out.erase(std::remove_if(out.begin(), out.end(), [](const RawFrame& f) { return !f.packed; }), out.end());
  return out;
}

// Version 2.3 frames that TagLib reads but never writes.
std::vector<RawFrame> DroppedFrames23(std::string_view tag) {
  static constexpr std::string_view kIds[] = {"EQUA", "RVAD", "TIME", "TRDA", "TSIZ", "TDAT"};
  std::vector<RawFrame> out;
  ForEachFrame(tag, [&](std::string_view id, const std::string& frame, uint8_t format) {
    if ((format & 0xE0) == 0 && std::find(std::begin(kIds), std::end(kIds), id) != std::end(kIds))
      out.push_back({std::string(id), frame, false});
  });
  return out;
}

// A 2.3 date that TYER, TDAT and TIME hold: written in ISO-8859-1 whatever
// the Unicode option says, so the option alone never rewrites it.
bool IsIsoDate(const std::string& value) {
  Id3v23Date date;
  return SplitIsoDate(value, date);
}

// The id TagLib gives a frame of a 2.3 tag it reads: it reads the year
// (joined with TDAT and TIME), the original year and the people list as
// their 2.4 frames, and writes them back as 2.3 frames of their own.
std::string_view TagLibIdOf23(std::string_view id) {
  if (id == "TYER") return "TDRC";
  if (id == "TORY") return "TDOR";
  if (id == "IPLS") return "TIPL";
  return id;
}

// Puts TagLib's frames in the order of `raw` (the k-th raw frame of an id
// with the k-th TagLib frame of that id; with `as23`, a 2.3 frame with the
// frame TagLib read it as); false when the ids do not match up.
bool PairById(const std::vector<RawFrame>& raw, std::vector<ID3v2::Frame*>& frames, bool as23 = false) {
  if (raw.size() != frames.size()) return false;
  std::vector<ID3v2::Frame*> paired;
  std::vector<bool> used(frames.size(), false);
  for (const RawFrame& r : raw) {
    const std::string_view id = as23 ? TagLibIdOf23(r.id) : std::string_view(r.id);
    size_t i = 0;
    while (i < frames.size() &&
           (used[i] || std::string_view(frames[i]->frameID().data(), frames[i]->frameID().size()) != id))
      ++i;
    if (i == frames.size()) return false;
    used[i] = true;
    paired.push_back(frames[i]);
  }
  frames = std::move(paired);
  return true;
}

// A complete 2.3/2.4 tag (no extended header) with `frames` added after its
// frames, before the padding; a footer is rewritten for the new size.
std::string AppendFrames(std::string_view tag, const std::vector<std::string>& frames) {
  int version = uint8_t(tag[3]);
  bool footer = version == 4 && (uint8_t(tag[5]) & 0x10);
  size_t end = std::min<size_t>(tag.size(), 10 + Syncsafe(tag, 6));
  size_t pos = 10;
  while (pos + 10 <= end && tag[pos] != '\0') {
    size_t size = version == 4 ? Syncsafe(tag, pos + 4) : Be32(tag, pos + 4);
    if (size > end - pos - 10) break;
    pos += 10 + size;
  }
  std::string out(tag.substr(0, pos));
  for (const std::string& f : frames) out += f;
  out += tag.substr(pos, end - pos);
  PutSyncsafe(out, 6, static_cast<uint32_t>(out.size() - 10));
  if (footer) out += "3DI" + out.substr(3, 7);
  return out;
}

// The frames (without header and padding) of a complete 2.3/2.4 tag.
std::string FramesOf(std::string_view tag) {
  if (tag.size() < 10) return {};
  int version = uint8_t(tag[3]);
  size_t end = std::min<size_t>(tag.size(), 10 + Syncsafe(tag, 6));
  size_t pos = 10;
  while (pos + 10 <= end && tag[pos] != '\0') {
    size_t size = version == 4 ? Syncsafe(tag, pos + 4) : Be32(tag, pos + 4);
    if (size > end - pos - 10) break;
    pos += 10 + size;
  }
  return std::string(tag.substr(10, pos - 10));
}

// TagLib's bytes of `frames` (frames of `tag`) as a version 2.3 or 2.4 tag
// writes them; the frames stay in `tag`.
std::string RenderWithTagLib(ID3v2::Tag& tag, const std::vector<ID3v2::Frame*>& frames, int version) {
  if (frames.empty()) return {};
  ID3v2::Tag scratch;
  for (ID3v2::Frame* f : frames) {
    tag.removeFrame(f, false);
    scratch.addFrame(f);
  }
  ByteVector rendered = scratch.render(version == 4 ? ID3v2::v4 : ID3v2::v3);
  for (ID3v2::Frame* f : frames) {
    scratch.removeFrame(f, false);
    tag.addFrame(f);
  }
  return FramesOf(std::string_view(rendered.data(), rendered.size()));
}

// A complete tag of `frames`: padded to the old tag's size when they fit,
// a footer when the old 2.4 tag had one.
std::string AssembleTag(const std::string& frames, int version, std::string_view old) {
  bool footer = version == 4 && old.size() >= 10 && (uint8_t(old[5]) & 0x10);
  size_t oldBody = old.size() >= 10 ? Syncsafe(old, 6) : 0;
  size_t padding = footer ? 0 : frames.size() <= oldBody ? oldBody - frames.size() : 1024;
  std::string out = "ID3";
  out.push_back(static_cast<char>(version));
  out.push_back('\0');
  out.push_back(static_cast<char>(footer ? 0x10 : 0));
  out.append(4, '\0');
  PutSyncsafe(out, 6, static_cast<uint32_t>(frames.size() + padding));
  out += frames;
  out.append(padding, '\0');
  if (footer) out += "3DI" + out.substr(3, 7);
  return out;
}

// Frames whose body starts with a text-encoding byte, as TagLib parses them.
bool HasEncodingByte(std::string_view id) {
  return id[0] == 'T' || id == "COMM" || id == "APIC" || id == "GEOB" || id == "USLT" || id == "SYLT" ||
         id == "WXXX" || id == "OWNE" || id == "WFED" || id == "MVNM" || id == "MVIN" || id == "GRP1";
}

// Offsets (in `tag`, a version 2.3 or 2.4 tag without whole-tag
// unsynchronisation) of encoding bytes that name none of the four ID3v2
// encodings.
std::vector<size_t> BadEncodingBytes(std::string_view tag) {
  std::vector<size_t> out;
  int version = uint8_t(tag[3]);
  size_t end = std::min<size_t>(tag.size(), 10 + Syncsafe(tag, 6));
  size_t pos = 10;
  if (uint8_t(tag[5]) & 0x40) pos += tag.size() >= 14 ? Syncsafe(tag, 10) : end;  // as TagLib reads it
  while (pos + 10 < end && tag[pos] != '\0') {
    std::string_view id = tag.substr(pos, 4);
    if (!IsFrameId(id)) break;
    size_t size = version == 4 ? FrameSize24(tag, pos) : Be32(tag, pos + 4);
    if (size == 0 || size > end - pos - 10) break;
    uint8_t flags = uint8_t(tag[pos + 9]);
    bool packed = version == 4 ? (flags & 0x0C) != 0 : (flags & 0xC0) != 0;  // compressed or encrypted
    size_t body = pos + 10 + (version == 4 && (flags & 0x01) ? 4 : 0);
    if (!packed && HasEncodingByte(id) && body < pos + 10 + size && uint8_t(tag[body]) > 3)
      out.push_back(body);
    pos += 10 + size;
  }
  return out;
}

// The tag as TagLib may parse it. TagLib keeps a frame's encoding byte as a
// String::Type whatever its value: bytes above 3 are values that enum cannot
// hold, and TagLib renders such a frame's text as nothing. Those frames are
// handed over as ISO-8859-1 (code page 932 to us), so their text survives.
std::string WithValidEncodings(const std::string& tag) {
  if (tag.size() < 10 || (tag[3] != 3 && tag[3] != 4)) return tag;
  std::string out = tag;
  if (tag[3] == 3 && (uint8_t(tag[5]) & 0x80)) {
    size_t end = std::min<size_t>(tag.size(), 10 + Syncsafe(tag, 6));
    std::string plain = tag.substr(0, 10) + Deunsync(std::string_view(tag).substr(10, end - 10));
    if (BadEncodingBytes(plain).empty()) return tag;
    plain[5] = static_cast<char>(uint8_t(plain[5]) & ~0x80);
    PutSyncsafe(plain, 6, static_cast<uint32_t>(plain.size() - 10));
    out = std::move(plain);
  }
  for (size_t at : BadEncodingBytes(out)) out[at] = '\0';
  return out;
}

// A frame's encoding, one of the four ID3v2 has. WithValidEncodings leaves
// compressed frames alone, so whatever TagLib holds is checked once more.
template <typename Frame>
String::Type EncodingOf(const Frame& frame) {
  const auto raw = static_cast<unsigned>(frame.textEncoding());
  return raw <= String::UTF8 ? static_cast<String::Type>(raw) : String::Latin1;
}

}  // namespace

Id3v2Tag::Id3v2Tag()
    : file_(std::make_unique<Id3v2MemoryFile>(std::string_view())), tag_(std::make_unique<ID3v2::Tag>()) {}

Id3v2Tag::~Id3v2Tag() {
  tag_.reset();  // the tag refers to the memory file
}

std::unique_ptr<Id3v2Tag> Id3v2Tag::Parse(std::string_view bytes) {
  if (bytes.size() < 10 || bytes.substr(0, 3) != "ID3") return nullptr;
  auto result = std::unique_ptr<Id3v2Tag>(new Id3v2Tag());
  result->version_ = static_cast<uint8_t>(bytes[3]);
  result->unsync_ = (static_cast<uint8_t>(bytes[5]) & 0x80) != 0;
  if (result->version_ < 2 || result->version_ > 4) return nullptr;
  // Version 2.2 is read through our own conversion to 2.3, whose frame table
  // is complete (TagLib reads "TOA" as the original album).
  result->raw_ = result->version_ == 2 ? ConvertTagTo23(bytes, &result->extra22_) : std::string(bytes);
  result->quick_ = QuickReadId3v2(result->raw_);
  if (!result->quick_) result->EnsureParsed();
  return result;
}

void Id3v2Tag::Reload(std::string tag) {
  tag_.reset();
  raw_ = std::move(tag);
  quick_ = QuickReadId3v2(raw_);
  parsed_ = false;
  EnsureParsed();
}

void Id3v2Tag::EnsureParsed() {
  if (parsed_ || raw_.empty()) return;  // parsed already, or a new empty tag
  parsed_ = true;
  tag_.reset();
  file_ = std::make_unique<Id3v2MemoryFile>(WithValidEncodings(raw_));
  tag_ = std::make_unique<ID3v2::Tag>(file_.get(), 0);
}

bool Id3v2Tag::IsValueStem(std::string_view stem) {
  return FrameOf(stem) != nullptr;
}

std::string Id3v2Tag::Get(std::string_view stem) const {
  if (auto it = pending_.find(stem); it != pending_.end()) return it->second;
  return Stored(stem);
}

std::string Id3v2Tag::Stored(std::string_view stem) const {
  if (quick_) {
    auto at = std::find(kId3v2Stems.begin(), kId3v2Stems.end(), stem);
    return at == kId3v2Stems.end() ? std::string() : (*quick_)[static_cast<size_t>(at - kId3v2Stems.begin())];
  }
  return TagLibValue(stem);
}

int Id3v2Tag::StoredEncoding(std::string_view stem) {
  const char* id = FrameOf(stem);
  if (!id) return -1;
  EnsureParsed();
  const ID3v2::Tag& tag = *tag_;
  if (IsDescribedStem(stem))
    return WithDescribedFrame(tag, stem, [](auto* c) { return c ? static_cast<int>(c->textEncoding()) : -1; });
  if (stem == "URL") return UrlFrame(tag) ? 0 : -1;
  ID3v2::TextIdentificationFrame* t = TextFrame(tag, id);
  if (!t && stem == "ICRD") t = TextFrame(tag, "TYER");
  return t ? static_cast<int>(t->textEncoding()) : -1;
}

bool Id3v2Tag::StoredAsUtf8(std::string_view stem) {
  if (StoredEncoding(stem) != 0) return false;
  const ID3v2::Tag& tag = *tag_;
  auto utf8 = [](const String& s) {
    ByteVector bytes = s.data(String::Latin1);
    return ReadLegacyBytes(std::string_view(bytes.data(), bytes.size())).source == SourceEncoding::kUtf8;
  };
  if (IsDescribedStem(stem)) return WithDescribedFrame(tag, stem, [&](auto* c) { return utf8(c->text()); });
  if (stem == "URL") return utf8(UrlFrame(tag)->url());
  ID3v2::TextIdentificationFrame* t = TextFrame(tag, FrameOf(stem));
  if (!t && stem == "ICRD") t = TextFrame(tag, "TYER");
  for (const String& field : t->fieldList())
    if (utf8(field)) return true;
  return false;
}

std::string Id3v2Tag::TagLibValue(std::string_view stem) const {
  const char* id = FrameOf(stem);
  if (!id) return {};
  const ID3v2::Tag& tag = *tag_;
  if (IsDescribedStem(stem))
    return WithDescribedFrame(tag, stem, [](auto* c) { return c ? ToUtf8(c->text(), EncodingOf(*c)) : std::string(); });
  if (stem == "URL") {
    ID3v2::UserUrlLinkFrame* u = UrlFrame(tag);
    return u ? ToUtf8(u->url(), String::Latin1) : std::string();
  }
  ID3v2::TextIdentificationFrame* t = TextFrame(tag, id);
  if (!t && stem == "ICRD") t = TextFrame(tag, "TYER");
  if (!t) return {};
  std::string out;
  std::vector<std::string> seen;
  for (const String& field : t->fieldList()) {
    std::string text = ToUtf8(field, EncodingOf(*t));
    if (stem == "IGNR") text = Id3v2GenreField(text);
    if (text.empty() || std::find(seen.begin(), seen.end(), text) != seen.end()) continue;
    seen.push_back(text);
    if (!out.empty()) out += "/";
    out += text;
  }
  return out;
}

void Id3v2Tag::Set(std::string_view stem, std::string_view value) {
  if (!IsValueStem(stem)) return;
  EnsureParsed();
  if (Stored(stem) == value) {
    if (auto it = pending_.find(stem); it != pending_.end()) pending_.erase(it);
    return;
  }
  pending_[std::string(stem)] = std::string(value);
}

void Id3v2Tag::EncodeDate23(std::string_view value, int unicode) {
  ID3v2::Tag& tag = *tag_;
  const ID3v2::TextIdentificationFrame* old = TextFrame(tag, "TDRC");
  const String::Type oldEncoding = old ? EncodingOf(*old) : String::Latin1;
  const String::Type enc = ChosenEncoding(value, unicode, old, oldEncoding);
  for (const char* id : {"TDRC", "TYER", "TDAT", "TIME"}) {
    for (ID3v2::Frame* f : tag.frameList(id)) Touch(f);
    tag.removeFrames(id);
  }
  if (value.empty()) return;
  auto add = [&](const char* id, std::string_view text, String::Type encoding) {
    auto* t = new ID3v2::TextIdentificationFrame(id, encoding);
    t->setText(FromUtf8(text, encoding));
    tag.addFrame(t);
  };
  Id3v23Date date;
  if (!SplitIsoDate(value, date)) {
    add("TYER", value, enc);  // not a date: kept as it was typed
    return;
  }
  if (JoinIsoDate(date) != value) {
    // More than TYER, TDAT and TIME can hold (a month without a day,
    // seconds): a TDRC frame ahead of them holds all of it for the readers
    // that know it; TagLib would turn it into TYER on writing.
    std::string frame = "TDRC";
    const std::string body = std::string(1, '\0') + std::string(value);
    for (int i = 3; i >= 0; --i) frame.push_back(static_cast<char>((body.size() >> (8 * i)) & 0xFF));
    frame.append(2, '\0');
    rawAdded_.push_back(frame + body);
  }
  add("TYER", date.year, String::Latin1);
  if (!date.dayMonth.empty()) add("TDAT", date.dayMonth, String::Latin1);
  if (!date.hourMinute.empty()) add("TIME", date.hourMinute, String::Latin1);
}

template <typename Frame>
void Id3v2Tag::EncodeDescribed(Frame* c, std::string_view value, int unicode) {
  ID3v2::Tag& tag = *tag_;
  if (value.empty()) {
    if (c) Touch(c), tag.removeFrame(c);
    return;
  }
  String::Type enc = ChosenEncoding(value, unicode, c, c ? EncodingOf(*c) : String::Latin1);
  if (!c) {
    c = new Frame(enc);
    c->setLanguage("jpn");
    tag.addFrame(c);
  } else if (enc != EncodingOf(*c)) {
    std::string description = ToUtf8(c->description(), EncodingOf(*c));
    c->setTextEncoding(enc);
    c->setDescription(FromUtf8(description, enc));
  }
  Touch(c);
  c->setText(FromUtf8(value, enc));
}

void Id3v2Tag::Encode(std::string_view stem, std::string_view value, int unicode, int family, bool reencode) {
  ID3v2::Tag& tag = *tag_;
  const char* id = FrameOf(stem);
  if (stem == "ICRD" && family == 3) return EncodeDate23(value, unicode);
  if (IsDescribedStem(stem)) {
    return WithDescribedFrame(tag, stem, [&](auto* c) { EncodeDescribed(c, value, unicode); });
  }
  if (stem == "URL") {
    ID3v2::UserUrlLinkFrame* u = UrlFrame(tag);
    if (value.empty()) {
      if (u) Touch(u), tag.removeFrame(u);
      return;
    }
    if (!u) {
      u = new ID3v2::UserUrlLinkFrame(String::Latin1);
      tag.addFrame(u);
    }
    std::string raw = EncodeTagTextCp932(value).value_or(EncodeTagTextUtf8(value));
    Touch(u);
    u->setUrl(String(ByteVector(raw.data(), static_cast<unsigned>(raw.size())), String::Latin1));
    return;
  }
  ID3v2::TextIdentificationFrame* t = TextFrame(tag, id);
  if (stem == "ICRD" && !t) t = TextFrame(tag, "TYER");
  if (value.empty()) {
    for (ID3v2::Frame* f : tag.frameList(id)) Touch(f);
    tag.removeFrames(id);
    if (stem == "ICRD") {
      for (ID3v2::Frame* f : tag.frameList("TYER")) Touch(f);
      tag.removeFrames("TYER");
    }
    return;
  }
  String::Type enc = ChosenEncoding(value, unicode, t, t ? EncodingOf(*t) : String::Latin1);
  if (!t) {
    t = new ID3v2::TextIdentificationFrame(id, enc);
    tag.addFrame(t);
  }
  Touch(t);
  // A value written again only for its encoding keeps its fields as they
  // were (several artists stay several, a genre "(17)" stays so).
  if (reencode && t->fieldList().size() > 0) {
    TagLib::StringList fields;
    for (const String& field : t->fieldList()) fields.append(FromUtf8(ToUtf8(field, EncodingOf(*t)), enc));
    t->setTextEncoding(enc);
    t->setText(fields);
    return;
  }
  t->setTextEncoding(enc);
  t->setText(FromUtf8(value, enc));
}

bool Id3v2Tag::EncodedAsWanted(std::string_view stem, std::string_view value, int unicode) const {
  const ID3v2::Tag& tag = *tag_;
  const ID3v2::Frame* frame = nullptr;
  String::Type encoding = String::Latin1;
  if (stem == "URL") return true;  // always ISO-8859-1
  if (IsDescribedStem(stem)) {
    WithDescribedFrame(tag, stem, [&](const auto* c) {
      if (c) frame = c, encoding = EncodingOf(*c);
    });
  } else {
    const ID3v2::TextIdentificationFrame* t = TextFrame(tag, FrameOf(stem));
    if (!t && stem == "ICRD") t = TextFrame(tag, "TYER");
    if (t) frame = t, encoding = EncodingOf(*t);
  }
  return !frame || ChosenEncoding(value, unicode, frame, encoding) == encoding;
}

void Id3v2Tag::FixDateFrame(int version) {
  const char* from = version == 4 ? "TYER" : "TDRC";
  const char* to = version == 4 ? "TDRC" : "TYER";
  ID3v2::TextIdentificationFrame* t = TextFrame(*tag_, from);
  if (!t || TextFrame(*tag_, to)) return;
  auto* replacement = new ID3v2::TextIdentificationFrame(to, EncodingOf(*t));
  replacement->setText(t->fieldList());
  // TagLib joins TDAT and TIME to the year it reads; they stay frames of
  // their own in a 2.3 tag, and the year alone is TYER.
  Id3v23Date date;
  if (version != 4 && SplitIsoDate(t->toString().to8Bit(true), date))
    replacement->setText(String(date.year, String::Latin1));
  for (ID3v2::Frame* f : tag_->frameList(from)) Touch(f);
  tag_->removeFrames(from);
  tag_->addFrame(replacement);
}

std::string Id3v2Tag::Render(int version, bool unsync, int unicode, std::string* error) {
  if (version < 2 || version > 4) version = 3;
  EnsureParsed();
  const int family = version == 4 ? 4 : 3;
  if (version != 2 && !extra22_.empty()) {
    FailWith(error, {FailureKind::kFrameNotConvertible, "", extra22_.front().substr(0, 3), 0, 0, 0,
                     "the ID3v2.2 frame " + extra22_.front().substr(0, 3) + " has no form in version 2." +
                         std::to_string(version) + "; save the tag as version 2.2 (the file is left unchanged)"});
    return {};
  }
  // Another version is reached frame by frame before any value is written,
  // so that every frame is kept and the tag is then written as its own.
  if (raw_.size() >= 10 && uint8_t(raw_[3]) != family) {
    std::string why;
    std::string converted = ConvertId3v2Version(raw_, family, &why);
    if (converted.empty()) {
      if (error) *error = DecodeFailure(why) ? why : why + " (the file is left unchanged)";
      return {};
    }
    Reload(std::move(converted));
  }
  const int rawVersion = raw_.size() >= 10 ? uint8_t(raw_[3]) : version;
  std::vector<std::pair<std::string, std::string>> values;
  for (const StemFrame& s : kStemFrames) {
    auto it = pending_.find(s.stem);
    if (it != pending_.end())
      values.emplace_back(it->first, it->second);
    else if (std::string stored = Stored(s.stem); unicode >= 0 && !stored.empty() &&
                                                   !EncodedAsWanted(s.stem, stored, unicode) &&
                                                   !(family == 3 && s.stem == "ICRD" && IsIsoDate(stored)))
      values.emplace_back(std::string(s.stem), std::move(stored));  // re-encoded for the Unicode option
  }
  const bool dateWritten =
      std::any_of(values.begin(), values.end(), [](const auto& v) { return v.first == "ICRD"; });
  // In the file's own version every frame of the tag is paired with TagLib's
  // frame of the same id, in order: frames that no value touches are then
  // written with their bytes as read, and only the touched ones by TagLib.
  std::vector<RawFrame> all = raw_.empty() ? std::vector<RawFrame>() : AllFrames(raw_);
  const std::vector<ID3v2::Frame*> before(tag_->frameList().begin(), tag_->frameList().end());
  std::vector<ID3v2::Frame*> paired = before;
  // A 2.3 tag's dates are paired with the frames TagLib read them as only
  // while no date is written: an edited date is written by TagLib as a
  // whole (TYER, and TDAT and TIME when it has them) in place of the old.
  const bool splice = family == rawVersion && !raw_.empty() &&
                      PairById(all, paired, /*as23=*/family == 3 && !dateWritten);
  // Otherwise TagLib writes the whole tag, and frames it would write without
  // their format flags (encrypted, compressed, grouped) must be paired alone.
  std::vector<RawFrame> packed;
  std::vector<ID3v2::Frame*> packedFrames;
  if (!splice) {
    packed = PackedFrames(raw_);
    for (ID3v2::Frame* f : before)
      if (FrameFlags::Packed(f)) packedFrames.push_back(f);
    if (!PairById(packed, packedFrames)) {
      if (error)
        *error =
            "the ID3v2 tag holds encrypted, compressed or grouped frames that cannot be kept as they are "
            "(the file is left unchanged)";
      return {};
    }
  }
  touched_.clear();
  rawAdded_.clear();
  for (const auto& [stem, value] : values) Encode(stem, value, unicode, family, pending_.count(stem) == 0);
  pending_.clear();

  if (splice) {
    if (dateWritten && family == 4) FixDateFrame(version);
    const int renderVersion = version == 4 ? 4 : 3;
    std::set<const ID3v2::Frame*> alive(tag_->frameList().begin(), tag_->frameList().end());
    std::set<const ID3v2::Frame*> old(before.begin(), before.end());
    std::string frames;
    for (size_t i = 0; i < all.size(); ++i) {
      if (!touched_.count(paired[i]))
        frames += all[i].bytes;
      else if (alive.count(paired[i]))
        frames += RenderWithTagLib(*tag_, {paired[i]}, renderVersion);
    }
    std::vector<ID3v2::Frame*> added;
    for (ID3v2::Frame* f : tag_->frameList())
      if (!old.count(f)) added.push_back(f);
    for (const std::string& f : rawAdded_) frames += f;
    frames += RenderWithTagLib(*tag_, added, renderVersion);
    touched_.clear();
    if (frames.empty()) {
      version_ = version;
      unsync_ = unsync;
      return RenderEmpty(version, unsync);
    }
    std::string out = AssembleTag(frames, renderVersion, raw_);
    if (version == 2) out = ConvertTagTo22(out, extra22_, error);
    if (out.empty()) return {};
    version_ = version;
    unsync_ = unsync;
    if (unsync) out = UnsynchroniseTag(out);
    return out;
  }

  FixDateFrame(version);
  // A packed frame that no value touched keeps its bytes; TagLib's copy is
  // taken out while the tag is rendered.
  std::vector<std::string> kept;
  std::vector<ID3v2::Frame*> takenOut;
  for (size_t i = 0; i < packed.size(); ++i) {
    if (touched_.count(packedFrames[i])) continue;
    tag_->removeFrame(packedFrames[i], false);
    takenOut.push_back(packedFrames[i]);
    kept.push_back(packed[i].bytes);
  }
  touched_.clear();
  auto putBack = [&] {
    for (ID3v2::Frame* f : takenOut) tag_->addFrame(f);
  };
  if (!kept.empty() && version != rawVersion) {
    putBack();
    if (error)
      *error =
          "the ID3v2 tag holds encrypted, compressed or grouped frames that cannot be converted to "
          "version 2." +
          std::to_string(version) + "; save it as version 2." + std::to_string(rawVersion) +
          " (the file is left unchanged)";
    return {};
  }
  // Version 2.3 frames that TagLib drops on reading (TDAT, TIME, RVAD, ...)
  // are kept in a version 2.3 tag; the date parts only while the date stays.
  if (version == 3 && rawVersion == 3) {
    for (const RawFrame& f : DroppedFrames23(raw_)) {
      bool datePart = f.id == "TDAT" || f.id == "TIME" || f.id == "TRDA";
      if (!(datePart && dateWritten)) kept.push_back(f.bytes);
    }
  }
  for (const std::string& f : rawAdded_) kept.push_back(f);
  version_ = version;
  unsync_ = unsync;
  if (tag_->frameList().isEmpty() && kept.empty()) return RenderEmpty(version, unsync);
  std::string out;
  if (tag_->frameList().isEmpty()) {
    out = RenderEmpty(version, false);
  } else {
    ByteVector rendered = tag_->render(version == 4 ? ID3v2::v4 : ID3v2::v3);
    out.assign(rendered.data(), rendered.size());
  }
  putBack();
  if (!kept.empty()) out = AppendFrames(out, kept);
  if (version == 2) out = ConvertTagTo22(out, extra22_, error);
  if (unsync) out = UnsynchroniseTag(out);
  return out;
}

std::string Id3v2Tag::RenderEmpty(int version, bool unsync) {
  constexpr uint32_t kPadding = 256;
  std::string out = "ID3";
  out.push_back(static_cast<char>(version));
  out.push_back('\0');
  out.push_back(static_cast<char>(unsync ? 0x80 : 0));
  out.append(4, '\0');
  PutSyncsafe(out, 6, kPadding);
  out.append(kPadding, '\0');
  return out;
}

std::string UnsynchroniseTag(std::string_view tag) {
  if (tag.size() < 10) return std::string(tag);
  int version = uint8_t(tag[3]);
  size_t end = std::min<size_t>(tag.size(), 10 + Syncsafe(tag, 6));
  std::string out(tag.substr(0, 10));
  out[5] = static_cast<char>(uint8_t(out[5]) | 0x80);
  if (version <= 3) {
    out += Unsync(tag.substr(10, end - 10));
  } else {
    size_t pos = 10;
    while (pos + 10 <= end && tag[pos] != '\0') {
      size_t size = std::min<size_t>(Syncsafe(tag, pos + 4), end - pos - 10);
      if (uint8_t(tag[pos + 9]) & 0x02) {  // unsynchronised already (a frame kept as it was)
        out += tag.substr(pos, 10 + size);
        pos += 10 + size;
        continue;
      }
      std::string body = Unsync(tag.substr(pos + 10, size));
      std::string header(tag.substr(pos, 10));
      header[9] = static_cast<char>(uint8_t(header[9]) | 0x02);
      PutSyncsafe(header, 4, static_cast<uint32_t>(body.size()));
      out += header + body;
      pos += 10 + size;
    }
    out += tag.substr(pos, end - pos);  // padding
  }
  PutSyncsafe(out, 6, static_cast<uint32_t>(out.size() - 10));
  return out;
}

std::string ConvertTagTo23(std::string_view tag, std::vector<std::string>* unknown) {
  std::string frames;
  if (tag.size() >= 10) {
    size_t end = std::min<size_t>(tag.size(), 10 + Syncsafe(tag, 6));
    std::string body(tag.substr(10, end - 10));
    if (uint8_t(tag[5]) & 0x80) body = Deunsync(body);
    size_t pos = 0;
    while (pos + 6 <= body.size() && body[pos] != '\0') {
      std::string_view id = std::string_view(body).substr(pos, 3);
      size_t size = (size_t(uint8_t(body[pos + 3])) << 16) | (size_t(uint8_t(body[pos + 4])) << 8) |
                    size_t(uint8_t(body[pos + 5]));
      if (size > body.size() - pos - 6) break;
      std::string_view data = std::string_view(body).substr(pos + 6, size);
      std::string_view frame = std::string_view(body).substr(pos, 6 + size);
      pos += 6 + size;
      auto it = std::find_if(k22Ids.begin(), k22Ids.end(), [&](const auto& p) { return p.second == id; });
      if (it == k22Ids.end() || id == "LNK") {  // a link names 2.2 frames inside
        if (unknown) unknown->emplace_back(frame);
        continue;
      }
      std::string converted = id == "PIC" ? PictureBodyTo23(data) : std::string(data);
      if (converted.empty()) continue;
      frames += it->first;
      frames.push_back(static_cast<char>((converted.size() >> 24) & 0xFF));
      Put24(frames, static_cast<uint32_t>(converted.size() & 0xFFFFFF));
      frames.append(2, '\0');
      frames += converted;
    }
  }
  std::string out = "ID3";
  out += std::string("\x03\x00\x00", 3);
  out.append(4, '\0');
  PutSyncsafe(out, 6, static_cast<uint32_t>(frames.size()));
  return out + frames;
}

std::string ConvertTagTo22(std::string_view tag, const std::vector<std::string>& extra, std::string* error) {
  std::string frames;
  if (tag.size() >= 10) {
    size_t end = std::min<size_t>(tag.size(), 10 + Syncsafe(tag, 6));
    size_t pos = 10;
    while (pos + 10 <= end && tag[pos] != '\0') {
      std::string_view id = tag.substr(pos, 4);
      size_t size = Be32(tag, pos + 4);
      if (size > end - pos - 10) break;
      std::string_view body = tag.substr(pos + 10, size);
      bool packed = (uint8_t(tag[pos + 9]) & 0xE0) != 0;
      pos += 10 + size;
      auto it = std::find_if(k22Ids.begin(), k22Ids.end(), [&](const auto& p) { return p.first == id; });
      std::string converted = packed || it == k22Ids.end() || id == "LINK" ? std::string()
                              : id == "APIC"                               ? PictureBodyTo22(body)
                                                                           : std::string(body);
      if (converted.empty() || converted.size() > 0xFFFFFF) {
        if (!error) continue;
        FailWith(error, {FailureKind::kFrameNotConvertible, "", std::string(id), 0, 0, 0,
                         "the ID3v2 frame " + std::string(id) +
                             (packed ? " is encrypted, compressed or grouped and" : "") +
                             " cannot be written in version 2.2; save the tag as version 2.3 or 2.4 (the file is "
                             "left unchanged)"});
        return {};
      }
      frames += it->second;
      Put24(frames, static_cast<uint32_t>(converted.size()));
      frames += converted;
    }
  }
  for (const std::string& f : extra) frames += f;
  std::string out = "ID3";
  out += std::string("\x02\x00\x00", 3);
  out.append(4, '\0');
  PutSyncsafe(out, 6, static_cast<uint32_t>(frames.size()));
  return out + frames;
}

}  // namespace hozanki
