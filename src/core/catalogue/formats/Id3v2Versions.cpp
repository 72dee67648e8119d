#include "core/catalogue/formats/Id3v2Versions.h"

#include <taglib/tbytevector.h>
#include <taglib/tstring.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/catalogue/formats/Id3v2Bytes.h"
#include "core/common/Failure.h"

namespace hozanki {
namespace {

using id3v2::Be32;
using id3v2::Deunsync;
using id3v2::FrameSize24;
using id3v2::IsFrameId;
using id3v2::Syncsafe;

struct Frame {
  std::string id;
  uint8_t status = 0;  // as version 2.4 lays it out: 0x40 tag alter, 0x20 file alter, 0x10 read only
  std::string body;
};

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

void AppendSize(std::string& out, uint32_t v, bool syncsafe) {
  for (int i = 3; i >= 0; --i)
    out.push_back(static_cast<char>(syncsafe ? (v >> (7 * i)) & 0x7F : (v >> (8 * i)) & 0xFF));
}

// The frames of a frame area (a tag's body or a chapter's sub-frames).
bool ParseFrames(std::string_view data, int version, bool unsyncAll, std::vector<Frame>& out,
                 std::string* error) {
  size_t pos = 0;
  while (pos + 10 <= data.size() && data[pos] != '\0') {
    std::string_view id = data.substr(pos, 4);
    if (!IsFrameId(id)) break;
    size_t size = version == 4 ? FrameSize24(data, pos) : Be32(data, pos + 4);
    if (size > data.size() - pos - 10) break;
    const uint8_t status = uint8_t(data[pos + 8]), format = uint8_t(data[pos + 9]);
    std::string body(data.substr(pos + 10, size));
    pos += 10 + size;
    Frame f{std::string(id), 0, {}};
    const bool packed = version == 3 ? (format & 0xE0) != 0 : (format & 0x4C) != 0;
    if (packed)
      return FailWith(error, {FailureKind::kFrameNotConvertible, "", f.id, 0, 0, 0,
                              "the ID3v2 frame " + f.id +
                                  " is encrypted, compressed or grouped and cannot be converted to another version"});
    if (version == 3) {
      f.status = static_cast<uint8_t>((status >> 1) & 0x70);
    } else {
      f.status = status & 0x70;
      if ((format & 0x02) || unsyncAll) body = Deunsync(body);
      if (format & 0x01) {  // data length indicator
        if (body.size() < 4)
          return FailWith(error, {FailureKind::kDamagedFile, "", "ID3v2", 0, 0, 0,
                                  "the ID3v2 frame " + f.id + " is damaged"});
        body.erase(0, 4);
      }
    }
    f.body = std::move(body);
    out.push_back(std::move(f));
  }
  return true;
}

bool RenderFrames(const std::vector<Frame>& frames, int version, std::string& out, std::string* error) {
  for (const Frame& f : frames) {
    if (f.body.size() >= (version == 4 ? (1u << 28) : 0xFFFFFFFFu))
      return Fail(error, "the ID3v2 frame " + f.id + " is too large");
    out += f.id;
    AppendSize(out, static_cast<uint32_t>(f.body.size()), version == 4);
    out.push_back(static_cast<char>(version == 4 ? f.status : f.status << 1));
    out.push_back('\0');
    out += f.body;
  }
  return true;
}

// ---- text ----------------------------------------------------------------

bool WideEncoding(int enc) {
  return enc == 1 || enc == 2;
}

// The length of the string at the start of `s` and of its terminator (0
// when it runs to the end).
size_t StringLength(std::string_view s, int enc, size_t& terminator) {
  terminator = WideEncoding(enc) ? 2 : 1;
  if (WideEncoding(enc)) {
    for (size_t i = 0; i + 1 < s.size(); i += 2)
      if (s[i] == '\0' && s[i + 1] == '\0') return i;
  } else if (size_t z = s.find('\0'); z != std::string_view::npos) {
    return z;
  }
  terminator = 0;
  return s.size();
}

TagLib::String Decode(std::string_view s, int enc) {
  static constexpr TagLib::String::Type kTypes[] = {TagLib::String::Latin1, TagLib::String::UTF16,
                                                   TagLib::String::UTF16BE, TagLib::String::UTF8};
  return TagLib::String(TagLib::ByteVector(s.data(), static_cast<unsigned>(s.size())), kTypes[enc & 3]);
}

// UTF-16 with its byte-order mark, also for an empty string (readers such
// as FFmpeg refuse a UTF-16 string without one).
std::string Utf16Of(std::string_view s, int enc) {
  if (s.empty()) return "\xFF\xFE";
  TagLib::ByteVector v = Decode(s, enc).data(TagLib::String::UTF16);
  return std::string(v.data(), v.size());
}

// The strings of a text frame's body (after the encoding byte) as UTF-8.
std::vector<std::string> TextStrings(std::string_view s, int enc) {
  std::vector<std::string> out;
  while (!s.empty()) {
    size_t terminator = 0;
    size_t n = StringLength(s, enc, terminator);
    out.push_back(Decode(s.substr(0, n), enc).to8Bit(true));
    s.remove_prefix(n + terminator);
  }
  return out;
}

bool HasUnicodeOnly24(const Frame& f) {
  return !f.body.empty() && (f.body[0] == 2 || f.body[0] == 3);
}

// A body whose text is UTF-16BE or UTF-8 (version 2.4 only) with that text
// as UTF-16 with a byte-order mark. False when the frame's layout is not
// one we know.
bool ToUtf16Body(Frame& f, std::string* error) {
  const std::string& body = f.body;
  const int enc = body[0];
  std::string out(1, '\x01');
  size_t p = 1;
  auto raw = [&](size_t n) {
    n = std::min(n, body.size() - p);
    out.append(body, p, n);
    p += n;
  };
  auto latin1 = [&] {  // a string that is always ISO-8859-1
    size_t z = body.find('\0', p);
    raw(z == std::string::npos ? body.size() - p : z + 1 - p);
  };
  auto text = [&] {
    size_t terminator = 0;
    std::string_view rest = std::string_view(body).substr(p);
    size_t n = StringLength(rest, enc, terminator);
    out += Utf16Of(rest.substr(0, n), enc);
    if (terminator) out.append(2, '\0');
    p += n + terminator;
  };
  auto texts = [&] {
    while (p < body.size()) text();
  };
  const std::string& id = f.id;
  if (id[0] == 'T' || id == "IPLS" || id == "MVNM" || id == "MVIN" || id == "GRP1" || id == "WFED") {
    texts();
  } else if (id == "COMM" || id == "USLT" || id == "USER") {
    raw(3);
    texts();
  } else if (id == "WXXX") {
    text();
    raw(body.size());
  } else if (id == "APIC") {
    latin1();
    raw(1);
    text();
    raw(body.size());
  } else if (id == "GEOB") {
    latin1();
    text();
    text();
    raw(body.size());
  } else {
    return FailWith(error, {FailureKind::kFrameNotConvertible, "", id, 0, 0, 0,
                            "the ID3v2 frame " + id +
                                " holds UTF-8 or UTF-16BE text, which version 2.3 cannot hold, in a layout that "
                                "cannot be converted"});
  }
  f.body = std::move(out);
  return true;
}

Frame TextFrame(std::string id, uint8_t status, const std::string& utf8) {
  bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return uint8_t(c) < 0x80; });
  if (ascii) return Frame{std::move(id), status, std::string(1, '\0') + utf8};
  std::string body(1, '\x01');
  body += Utf16Of(utf8, 3);
  return Frame{std::move(id), status, std::move(body)};
}

bool AllDigits(std::string_view s, size_t from, size_t to) {
  if (s.size() < to) return false;
  for (size_t i = from; i < to; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// ---- frames --------------------------------------------------------------

bool ConvertFrames(const std::vector<Frame>& in, int from, int to, std::vector<Frame>& out, std::string* error,
                   int depth);

// CHAP and CTOC carry frames of their own after a fixed part.
bool ConvertChapter(Frame& f, int from, int to, std::string* error, int depth) {
  if (depth > 4) return Fail(error, "the ID3v2 chapter frames are nested too deeply to be converted");
  size_t z = f.body.find('\0');
  if (z == std::string::npos) return true;  // no sub-frames
  size_t head = z + 1;
  if (f.id == "CHAP") {
    head += 16;
  } else {
    if (head + 2 > f.body.size()) return true;
    size_t count = uint8_t(f.body[head + 1]);
    head += 2;
    for (size_t i = 0; i < count && head < f.body.size(); ++i) {
      size_t end = f.body.find('\0', head);
      head = end == std::string::npos ? f.body.size() : end + 1;
    }
  }
  if (head >= f.body.size()) return true;
  std::vector<Frame> subs, converted;
  if (!ParseFrames(std::string_view(f.body).substr(head), from, false, subs, error) ||
      !ConvertFrames(subs, from, to, converted, error, depth + 1))
    return false;
  std::string rendered;
  if (!RenderFrames(converted, to, rendered, error)) return false;
  f.body = f.body.substr(0, head) + rendered;
  return true;
}

bool ConvertFrames(const std::vector<Frame>& in, int from, int to, std::vector<Frame>& out, std::string* error,
                   int depth) {
  auto first = [&in](std::string_view id) -> const Frame* {
    for (const Frame& f : in)
      if (f.id == id) return &f;
    return nullptr;
  };
  auto firstText = [](const Frame& f) {
    std::vector<std::string> s = f.body.empty() ? std::vector<std::string>()
                                                : TextStrings(std::string_view(f.body).substr(1), f.body[0]);
    return s.size() == 1 ? s[0] : std::string();
  };
  // 2.3 → 2.4: TDAT and TIME join the year when they fit it.
  const Frame* tyer = from == 3 ? first("TYER") : nullptr;
  const Frame* tdat = from == 3 ? first("TDAT") : nullptr;
  const Frame* time = from == 3 ? first("TIME") : nullptr;
  std::string year = tyer ? firstText(*tyer) : std::string();
  std::string joined;
  bool dateJoined = false, timeJoined = false;
  if (tyer && year.size() == 4 && AllDigits(year, 0, 4)) {
    joined = year;
    std::string dm = tdat ? firstText(*tdat) : std::string();
    if (dm.size() == 4 && AllDigits(dm, 0, 4)) {
      joined.append(1, '-').append(dm, 2, 2).append(1, '-').append(dm, 0, 2);
      dateJoined = true;
      std::string hm = time ? firstText(*time) : std::string();
      if (hm.size() == 4 && AllDigits(hm, 0, 4)) {
        joined.append(1, 'T').append(hm, 0, 2).append(1, ':').append(hm, 2, 2);
        timeJoined = true;
      }
    }
  }

  // A 2.3 tag we wrote may carry the 2.4 date ahead of the 2.3 frames that
  // repeat part of it; back in 2.4 the date frame alone holds it.
  auto repeats = [&](const char* full, const Frame& part) {
    const Frame* f = from == 3 ? first(full) : nullptr;
    Id3v23Date date;
    if (!f || !SplitIsoDate(firstText(*f), date)) return false;
    const std::string text = firstText(part);
    if (part.id == "TYER" || part.id == "TORY") return text == date.year;
    return text == (part.id == "TDAT" ? date.dayMonth : date.hourMinute);
  };

  for (const Frame& original : in) {
    Frame f = original;
    if (to == 4 && (f.id == "TYER" || f.id == "TDAT" || f.id == "TIME") && repeats("TDRC", f)) continue;
    if (to == 4 && f.id == "TORY" && repeats("TDOR", f)) continue;
    if (f.id == "CHAP" || f.id == "CTOC") {
      if (!ConvertChapter(f, from, to, error, depth)) return false;
      out.push_back(std::move(f));
      continue;
    }
    if (to == 4) {
      if (&original == tdat && dateJoined) continue;
      if (&original == time && timeJoined) continue;
      if (&original == tyer && dateJoined) {
        out.push_back(TextFrame("TDRC", f.status, joined));
        continue;
      }
      if (f.id == "TYER") f.id = "TDRC";
      if (f.id == "TORY") f.id = "TDOR";
      if (f.id == "IPLS") f.id = "TIPL";
      out.push_back(std::move(f));
      continue;
    }
    // 2.4 → 2.3
    if (f.id == "TDRC" || f.id == "TDOR") {
      Id3v23Date date;
      const std::string text = firstText(f);
      if (SplitIsoDate(text, date)) {
        // What TYER, TDAT and TIME (or TORY) cannot hold stays in the 2.4
        // frame, carried ahead of them: readers that know it take it.
        if (JoinIsoDate(f.id == "TDRC" ? date : Id3v23Date{date.year, {}, {}}) != text) {
          Frame kept = f;
          if (HasUnicodeOnly24(kept) && !ToUtf16Body(kept, error)) return false;
          out.push_back(std::move(kept));
        }
        out.push_back(TextFrame(f.id == "TDRC" ? "TYER" : "TORY", f.status, date.year));
        if (f.id == "TDRC" && !date.dayMonth.empty()) out.push_back(TextFrame("TDAT", f.status, date.dayMonth));
        if (f.id == "TDRC" && !date.hourMinute.empty())
          out.push_back(TextFrame("TIME", f.status, date.hourMinute));
        continue;
      }
      f.id = f.id == "TDRC" ? "TYER" : "TORY";
    }
    if (f.id == "TIPL") f.id = "IPLS";
    if (HasUnicodeOnly24(f) && !ToUtf16Body(f, error)) return false;
    out.push_back(std::move(f));
  }
  return true;
}

}  // namespace

std::string JoinIsoDate(const Id3v23Date& date) {
  std::string out = date.year;
  if (!date.dayMonth.empty()) out.append(1, '-').append(date.dayMonth, 2, 2).append(1, '-').append(date.dayMonth, 0, 2);
  if (!date.dayMonth.empty() && !date.hourMinute.empty())
    out.append(1, 'T').append(date.hourMinute, 0, 2).append(1, ':').append(date.hourMinute, 2, 2);
  return out;
}

bool SplitIsoDate(std::string_view t, Id3v23Date& out) {
  out = {};
  if (t.size() < 4 || !AllDigits(t, 0, 4)) return false;
  out.year = std::string(t.substr(0, 4));
  if (t.size() == 4) return true;
  if (t[4] != '-' || !AllDigits(t, 5, 7)) return false;
  if (t.size() == 7) return true;
  if (t[7] != '-' || !AllDigits(t, 8, 10)) return false;
  out.dayMonth = std::string(t.substr(8, 2)) + std::string(t.substr(5, 2));
  if (t.size() == 10) return true;
  if ((t[10] != 'T' && t[10] != ' ') || !AllDigits(t, 11, 13)) return false;
  if (t.size() == 13) return true;
  if (t[13] != ':' || !AllDigits(t, 14, 16)) return false;
  out.hourMinute = std::string(t.substr(11, 2)) + std::string(t.substr(14, 2));
  if (t.size() == 16) return true;
  return t.size() == 19 && t[16] == ':' && AllDigits(t, 17, 19);
}

std::string ConvertId3v2Version(std::string_view tag, int version, std::string* error) {
  if (tag.size() < 10 || tag.substr(0, 3) != "ID3" || (tag[3] != 3 && tag[3] != 4) ||
      (version != 3 && version != 4)) {
    Fail(error, "not an ID3v2.3 or 2.4 tag");
    return {};
  }
  const int from = tag[3];
  const uint8_t flags = uint8_t(tag[5]);
  const size_t bodySize = std::min<size_t>(tag.size() - 10, Syncsafe(tag, 6));
  std::string body(tag.substr(10, bodySize));
  if (from == 3 && (flags & 0x80)) body = Deunsync(body);
  size_t pos = 0;
  if ((flags & 0x40) && body.size() >= 4) {  // extended header
    pos = from == 3 ? size_t{Be32(body, 0)} + 4 : size_t{Syncsafe(body, 0)};
    pos = std::min(pos, body.size());
  }
  std::vector<Frame> frames, converted;
  if (!ParseFrames(std::string_view(body).substr(pos), from, from == 4 && (flags & 0x80), frames, error)) return {};
  if (from == version) {
    converted = std::move(frames);
  } else if (!ConvertFrames(frames, from, version, converted, error, 0)) {
    return {};
  }
  std::string rendered;
  if (!RenderFrames(converted, version, rendered, error)) return {};
  const size_t padding = rendered.size() < bodySize ? bodySize - rendered.size() : 0;
  if (rendered.size() + padding >= (1u << 28)) {
    Fail(error, "the ID3v2 tag is too large");
    return {};
  }
  std::string out = "ID3";
  out.push_back(static_cast<char>(version));
  out.append(2, '\0');
  AppendSize(out, static_cast<uint32_t>(rendered.size() + padding), true);
  out += rendered;
  out.append(padding, '\0');
  return out;
}

}  // namespace hozanki
