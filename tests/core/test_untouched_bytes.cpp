// A save rewrites only the values the user changed: every other field, chunk,
// item and frame keeps its exact bytes. And the legacy tag texts are read by
// one rule: a UTF-8 byte-order mark, or strictly valid UTF-8 with a multi-byte
// sequence, is UTF-8; else code page 932 when the bytes read as Japanese;
// else ISO-8859-1.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "FormatTestSupport.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/ApeTagData.h"
#include "core/catalogue/formats/AviStructure.h"
#include "core/catalogue/formats/Id3v2Tag.h"
#include "core/catalogue/formats/VqfStructure.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;
using test::FileBytes;
using test::Fixture;
using test::ProbeTags;
using test::Quote;
using test::RunCommand;
using test::TempCopy;

// "Café à la Mode" as FFmpeg writes it (UTF-8), and Japanese in code page 932.
const std::string kCafe = "Caf\xC3\xA9 \xC3\xA0 la Mode";
const std::string kTitleCp932 =
    "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x5E\x83\x43\x83\x67\x83\x8B";  // 日本語のタイトル

std::string Le32Bytes(uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return out;
}
std::string Be32Bytes(uint32_t v) {
  std::string out;
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return out;
}

// A RIFF chunk with its pad byte.
std::string Chunk(std::string_view id, std::string_view data) {
  std::string out = std::string(id) + Le32Bytes(static_cast<uint32_t>(data.size())) + std::string(data);
  if (data.size() & 1) out.push_back('\0');
  return out;
}

std::string InfoList(const std::vector<std::string>& chunks) {
  std::string body = "INFO";
  for (const auto& c : chunks) body += c;
  return Chunk("LIST", body);
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The fixture's RIFF form with `list` in place of its INFO list, before
// the "data" chunk.
fs::path WavWithList(const std::string& list) {
  fs::path path = TempCopy("wav/plain.wav", "info.wav");
  std::string bytes = FileBytes(path);
  std::string body = "WAVE";
  for (size_t pos = 12; pos + 8 <= bytes.size();) {
    uint32_t size = static_cast<uint32_t>(static_cast<unsigned char>(bytes[pos + 4])) |
                    static_cast<uint32_t>(static_cast<unsigned char>(bytes[pos + 5])) << 8 |
                    static_cast<uint32_t>(static_cast<unsigned char>(bytes[pos + 6])) << 16;
    std::string chunk = bytes.substr(pos, 8 + size + (size & 1));
    if (chunk.compare(0, 4, "data") == 0) body += list;
    if (chunk.compare(0, 4, "LIST") != 0) body += chunk;
    pos += chunk.size();
  }
  WriteBytes(path, "RIFF" + Le32Bytes(static_cast<uint32_t>(body.size())) + body);
  return path;
}

// An AVI file whose INFO and JUNK run before the movie data holds `list`.
fs::path AviWithList(const std::string& list) {
  fs::path path = TempCopy("avi/cp932_info.avi", "info.avi");
  std::string bytes = FileBytes(path);
  AviStructure avi;
  auto read = [&bytes](uint64_t offset, size_t count) {
    return offset >= bytes.size() ? std::string() : bytes.substr(offset, count);
  };
  EXPECT_TRUE(ParseAviStructure(read, bytes.size(), avi, nullptr));
  uint64_t first = 0, size = 0;
  for (const AviChunk& c : avi.chunks) {
    if (c.id == "JUNK" || c.listType == "INFO") {
      if (size == 0) first = c.offset;
      size += c.Span();
    } else if (size) {
      break;
    }
  }
  EXPECT_GE(size, list.size() + 8);
  std::string region = list + "JUNK" + Le32Bytes(static_cast<uint32_t>(size - list.size() - 8));
  region.resize(size, '\0');
  bytes.replace(first, size, region);
  WriteBytes(path, bytes);
  return path;
}

// A RIFF-wrapped MP3: the fixture's "data" chunk, then `list`.
fs::path RmpWithList(const std::string& list) {
  fs::path path = TempCopy("mp3/rmp3.rmp", "info.rmp");
  std::string bytes = FileBytes(path);
  uint32_t dataSize = static_cast<uint32_t>(static_cast<unsigned char>(bytes[16])) |
                      static_cast<uint32_t>(static_cast<unsigned char>(bytes[17])) << 8 |
                      static_cast<uint32_t>(static_cast<unsigned char>(bytes[18])) << 16;
  std::string body = "RMP3" + bytes.substr(12, 8 + dataSize + (dataSize & 1)) + list;
  WriteBytes(path, "RIFF" + Le32Bytes(static_cast<uint32_t>(body.size())) + body);
  return path;
}

// The fixture VQF with `extra` chunks added to its header.
fs::path VqfWith(const std::vector<VqfChunk>& extra) {
  fs::path path = TempCopy("vqf/cp932.vqf", "text.vqf");
  std::string bytes = FileBytes(path);
  VqfStructure vqf;
  EXPECT_TRUE(ParseVqf(bytes, vqf, nullptr));
  std::string stream = bytes.substr(static_cast<size_t>(vqf.dataOffset) + 4);
  for (const auto& c : extra) vqf.chunks.push_back(c);
  WriteBytes(path, RenderVqfHeader(vqf) + stream);
  return path;
}

// An MP3 with an ID3v1 tag whose title field holds `title` (30 bytes).
fs::path Mp3WithId3v1Title(const std::string& title) {
  fs::path path = TempCopy("mp3/sjis_id3v1.mp3", "v1.mp3");
  std::string bytes = FileBytes(path);
  std::string field = title;
  field.resize(30, '\0');
  bytes.replace(bytes.size() - 128 + 3, 30, field);
  WriteBytes(path, bytes);
  return path;
}

// A version 2.3 ID3v2 tag with one ISO-8859-1 TIT2 frame holding `bytes`.
std::string Id3v2WithLatin1Title(const std::string& bytes) {
  std::string body = std::string(1, '\0') + bytes;
  std::string frame = "TIT2" + Be32Bytes(static_cast<uint32_t>(body.size())) + std::string(2, '\0') + body;
  std::string tag = std::string("ID3\x03\x00\x00", 6);
  size_t size = frame.size();
  for (int i = 3; i >= 0; --i) tag.push_back(static_cast<char>((size >> (7 * i)) & 0x7F));
  return tag + frame;
}

// An APE version 1 tag (footer only) with one Title item holding `bytes`.
std::string ApeV1WithTitle(const std::string& bytes) {
  std::string item = Le32Bytes(static_cast<uint32_t>(bytes.size())) + Le32Bytes(0) + "Title" + '\0' + bytes;
  std::string footer = "APETAGEX" + Le32Bytes(1000) + Le32Bytes(static_cast<uint32_t>(item.size() + 32)) +
                       Le32Bytes(1) + Le32Bytes(0) + std::string(8, '\0');
  return item + footer;
}

std::string Saved(TagFile& file) {
  std::string error;
  EXPECT_TRUE(file.Save(&error)) << error;
  return error;
}

// ---- The reading rule -------------------------------------------------------

struct ReadCase {
  const char* what;
  std::string bytes;
  std::string text;
};

const std::vector<ReadCase>& ReadCases() {
  static const std::vector<ReadCase> cases = {
      {"UTF-8 as FFmpeg writes it", kCafe, "Café à la Mode"},
      {"UTF-8 behind a byte-order mark", "\xEF\xBB\xBF" + kCafe, "Café à la Mode"},
      {"code page 932", kTitleCp932, "日本語のタイトル"},
      {"plain ASCII", "Plain", "Plain"},
      {"overlong UTF-8 is not UTF-8 (and no Japanese)", "\xC0\xAF", "À¯"},
      {"a UTF-16 surrogate in UTF-8 is not UTF-8 (nor code page 932)", "\xED\xA0\x80", "í\xC2\xA0\xC2\x80"},
      {"neither: ISO-8859-1", "\x80\xA0", "\xC2\x80\xC2\xA0"},
      {"ISO-8859-1 that is a user-defined code in code page 932", "Mot\xF6rhead", "Motörhead"},
      {"ISO-8859-1 that is a rare kanji between letters in code page 932", "P\xE8re Ubu", "Père Ubu"},
      {"half-width katakana", "\xBB\xBB\xDE\xDD", "ｻｻﾞﾝ"},
  };
  return cases;
}

TEST(TagTextReading, OneRuleForEveryLegacyTagKind) {
  using Reader = std::function<std::string(const std::string& bytes)>;
  const std::vector<std::pair<const char*, Reader>> kinds = {
      {"rule", [](const std::string& b) { return DecodeTagText(b); }},
      {"WAV INFO",
       [](const std::string& b) {
         auto file = OpenTagFile(WavWithList(InfoList({Chunk("INAM", b + '\0')})));
         return file ? file->GetValue("INAM") : "(not opened)";
       }},
      {"AVI INFO",
       [](const std::string& b) {
         auto file = OpenTagFile(AviWithList(InfoList({Chunk("INAM", b + '\0')})));
         return file ? file->GetValue("INAM") : "(not opened)";
       }},
      {"RMP3 INFO",
       [](const std::string& b) {
         auto file = OpenTagFile(RmpWithList(InfoList({Chunk("INAM", b + '\0')})));
         return file ? file->GetValue("INAM_rmp") : "(not opened)";
       }},
      {"VQF",
       [](const std::string& b) {
         auto file = OpenTagFile(VqfWith({{"COMT", b}}));
         return file ? file->GetValue("ICMT") : "(not opened)";
       }},
      {"ID3v1",
       [](const std::string& b) {
         auto file = OpenTagFile(Mp3WithId3v1Title(b));
         return file ? file->GetValue("INAM_v1") : "(not opened)";
       }},
      {"APE v1", [](const std::string& b) { return ApeTagData::Parse(ApeV1WithTitle(b))->Get("Title"); }},
      {"ID3v2 ISO-8859-1 frame",
       [](const std::string& b) { return Id3v2Tag::Parse(Id3v2WithLatin1Title(b))->Get("INAM"); }},
      {"ID3v2 ISO-8859-1 frame through TagLib",
       [](const std::string& b) {
         return Id3v2Tag::Parse(Id3v2WithLatin1Title(b))->TagLibValueForTest("INAM");
       }},
  };
  for (const auto& [kind, read] : kinds)
    for (const ReadCase& c : ReadCases()) EXPECT_EQ(read(c.bytes), c.text) << kind << ": " << c.what;
}

TEST(TagTextWriting, CodePage932OnlyWhenItReadsBackTheSame) {
  EXPECT_EQ(EncodeTagTextCp932("日本語"), "\x93\xFA\x96\x7B\x8C\xEA");
  // Half-width ﾃｩ is C3 A9 in code page 932: the bytes of UTF-8 "é".
  EXPECT_EQ(EncodeTagTextCp932("ﾃｩ"), std::nullopt);
  EXPECT_EQ(DecodeTagText(EncodeTagTextUtf8("ﾃｩ")), "ﾃｩ");
  EXPECT_EQ(EncodeTagTextCp932("é"), std::nullopt);
  EXPECT_EQ(EncodeTagTextUtf8("é"), "\xC3\xA9");
  // A text that itself starts with U+FEFF survives the mark the reader removes.
  EXPECT_EQ(DecodeTagText(EncodeTagTextUtf8("\xEF\xBB\xBFx")), "\xEF\xBB\xBFx");
}

// ID3v1 has no Unicode form: a field as read keeps its bytes, ISO-8859-1
// ones too, when another value is saved; a value set that code page 932
// cannot hold, or whose bytes would read back as something else, is refused
// and the file left alone.
TEST(TagTextWriting, Id3v1KeepsUntouchedIso88591BytesAndRefusesWhatItCannotHold) {
  const fs::path path = Mp3WithId3v1Title("Mot\xF6rhead");
  const fs::path folder = path.parent_path(), name = path.filename();
  const std::string before = FileBytes(path);
  constexpr size_t kArtist = 1, kTitle = 2;  // cells of IART_v1 and INAM_v1
  auto setArtist = [&](const std::string& text) {
    std::optional<MediaFileEntry> e = ReadMediaFile(folder, name);
    EXPECT_TRUE(e);
    if (!e) return MediaFileEntry{};
    e->tags[0].cells[kArtist] = {text, 1};
    e->tags[0].state = kChecked;
    e->tags[0].image = kChangedMark;
    return *e;
  };
  MediaFileEntry e = setArtist("東京事変");
  EXPECT_EQ(e.tags[0].cells[kTitle].text, "Motörhead");
  std::string error;
  ASSERT_TRUE(WriteMediaFile(folder, e, WriteSettings{}, &error)) << error;
  const std::string after = FileBytes(path);
  const std::string_view tag = std::string_view(after).substr(after.size() - 128);
  EXPECT_EQ(tag.substr(3, 30), std::string_view(before).substr(before.size() - 125, 30));
  EXPECT_EQ(tag.substr(33, 9), std::string("\x93\x8C\x8B\x9E\x8E\x96\x95\xCF\0", 9));
  for (const char* text : {"Café", "ﾃｩ"}) {
    error.clear();
    EXPECT_FALSE(WriteMediaFile(folder, setArtist(text), WriteSettings{}, &error)) << text;
    EXPECT_NE(error.find("ID3v1"), std::string::npos) << error;
    EXPECT_EQ(FileBytes(path), after) << text;
  }
}

// An ISO-8859-1 frame holding Western text keeps its bytes when another value
// is saved: it is neither stored as the code page 932 reading nor
// re-encoded.
TEST(UntouchedBytes, Iso88591FrameWithWesternTextKeepsItsBytes) {
  fs::path path = TempCopy("mp3/plain.mp3", "latin1.mp3");
  const std::string tag = Id3v2WithLatin1Title("P\xE8re Ubu");
  WriteBytes(path, tag + FileBytes(path));
  const std::string frame = tag.substr(10);
  {
    auto file = OpenTagFile(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->GetValue("INAM_v2"), "Père Ubu");
    file->SetValue("IART_v2", "Ubu");
    Saved(*file);
  }
  EXPECT_NE(FileBytes(path).find(frame), std::string::npos);
  EXPECT_EQ(OpenTagFile(path)->GetValue("INAM_v2"), "Père Ubu");
}

// ---- RIFF INFO in WAV, AVI and RMP3 ----------------------------------------

struct RiffKind {
  const char* name;
  std::function<fs::path(const std::string& list)> make;
  std::string suffix;  // of the value names
};

const std::vector<RiffKind>& RiffKinds() {
  static const std::vector<RiffKind> kinds = {
      {"WAV", WavWithList, ""}, {"AVI", AviWithList, ""}, {"RMP3", RmpWithList, "_rmp"}};
  return kinds;
}

// The INFO list body of a written file (from "INFO" to the end of the list).
std::string ListOf(const std::string& bytes) {
  size_t at = bytes.find("INFO");
  if (at == std::string::npos || at < 8) return {};
  uint32_t size = static_cast<uint32_t>(static_cast<unsigned char>(bytes[at - 4])) |
                  static_cast<uint32_t>(static_cast<unsigned char>(bytes[at - 3])) << 8;
  return bytes.substr(at, size);
}

TEST(UntouchedBytes, RiffInfoKeepsEveryChunkThatWasNotChanged) {
  const std::string title = Chunk("INAM", kTitleCp932 + '\0');
  const std::string artist = Chunk("IART", kCafe + '\0');
  const std::string unknown = Chunk("IXYZ", std::string("\x01\xFF\x00", 3));       // odd size, pad byte
  const std::string unterminated = Chunk("ICMT", "no terminator");                 // no NUL, odd size
  const std::string comment2 = Chunk("ISBJ", std::string("Subject\0junk\0", 13));  // bytes after the NUL
  for (const RiffKind& kind : RiffKinds()) {
    SCOPED_TRACE(kind.name);
    fs::path path = kind.make(InfoList({title, unknown, artist, unterminated, comment2}));
    auto file = OpenTagFile(path);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->GetValue("IART" + kind.suffix), "Café à la Mode");
    file->SetValue("ICRD" + kind.suffix, "2024");
    file->SetValue("INAM" + kind.suffix, "日本語のタイトル");  // the same text: not a change
    Saved(*file);
    std::string list = ListOf(FileBytes(path));
    // Every chunk as it was, in its order; the new field after them.
    std::string expected = "INFO" + title + unknown + artist + unterminated + comment2;
    EXPECT_EQ(list.substr(0, expected.size()), expected);
    EXPECT_EQ(list.substr(expected.size()), Chunk("ICRD", std::string("2024\0", 5)));
    auto back = OpenTagFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetValue("IART" + kind.suffix), "Café à la Mode");
    EXPECT_EQ(back->GetValue("ICRD" + kind.suffix), "2024");

    // Changing the title renders only the title; removing the artist drops only it.
    back->SetValue("INAM" + kind.suffix, "Ｎｅｗ");
    back->SetValue("IART" + kind.suffix, "");
    Saved(*back);
    list = ListOf(FileBytes(path));
    EXPECT_EQ(list.find("IART"), std::string::npos);
    EXPECT_NE(list.find(unknown + unterminated + comment2 + Chunk("ICRD", std::string("2024\0", 5))),
              std::string::npos);
  }
}

TEST(UntouchedBytes, RiffInfoTextFollowsTheUnicodeOption) {
  struct Case {
    const char* option;  // "mp3_ID3v2Unicode" value; nullptr: not sent
    const char* list;    // the list's other field: "utf8", "cp932" or "none"
    std::string text;
    std::string bytes;
  };
  const std::string utf8 = "\xE6\x96\xB0\xE6\x9B\xB2";  // 新曲
  const std::string cp932 = "\x90\x56\x8B\xC8";
  const std::vector<Case> cases = {
      {"1", "cp932", "新曲", utf8},                     // on: UTF-8 whatever the file holds
      {"0", "utf8", "新曲", cp932},                     // off: code page 932 when it fits
      {"0", "none", "Café", "Caf\xC3\xA9"},             // ... else UTF-8, never a byte-order mark
      {"0", "none", "ﾃｩ", "\xEF\xBE\x83\xEF\xBD\xA9"},  // its code page 932 bytes would read as "é"
      {nullptr, "utf8", "新曲", utf8},                  // not sent: as the list holds text
      {nullptr, "cp932", "新曲", cp932},
      {"1", "none", "ASCII", "ASCII"},
  };
  for (const RiffKind& kind : RiffKinds()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(kind.name) + " option " + (c.option ? c.option : "-") + " list " + c.list +
                   " " + c.text);
      std::vector<std::string> chunks;
      if (std::string(c.list) == "utf8") chunks.push_back(Chunk("IART", kCafe + '\0'));
      if (std::string(c.list) == "cp932") chunks.push_back(Chunk("IART", kTitleCp932 + '\0'));
      fs::path path = kind.make(InfoList(chunks));
      auto file = OpenTagFile(path);
      ASSERT_TRUE(file);
      if (c.option) file->SetOption("mp3_ID3v2Unicode", c.option);
      file->SetValue("INAM" + kind.suffix, c.text);
      Saved(*file);
      std::string list = ListOf(FileBytes(path));
      EXPECT_NE(list.find(Chunk("INAM", c.bytes + '\0')), std::string::npos);
      EXPECT_EQ(OpenTagFile(path)->GetValue("INAM" + kind.suffix), c.text);
    }
  }
}

TEST(UntouchedBytes, FfprobeReadsTheWrittenUtf8Texts) {
  for (const RiffKind& kind : RiffKinds()) {
    if (!kind.suffix.empty()) continue;  // FFmpeg does not read RMP3's list
    SCOPED_TRACE(kind.name);
    fs::path path = kind.make(InfoList({Chunk("IART", kCafe + '\0')}));
    auto file = OpenTagFile(path);
    ASSERT_TRUE(file);
    file->SetOption("mp3_ID3v2Unicode", "1");
    file->SetValue("INAM", "日本語のタイトル 〜");
    Saved(*file);
    auto tags = ProbeTags(path);
    EXPECT_EQ(tags["title"], "日本語のタイトル 〜");
    EXPECT_EQ(tags["artist"], "Café à la Mode");
    std::string probed = RunCommand("ffprobe -v error -show_format " + Quote(path));
    EXPECT_NE(probed.find("TAG:artist=Café à la Mode"), std::string::npos) << probed;
  }
}

TEST(UntouchedBytes, WavDataChunkIsNotTouched) {
  fs::path path = WavWithList(InfoList({Chunk("IART", kCafe + '\0')}));
  std::string before = FileBytes(path);
  size_t data = before.find("data");
  ASSERT_NE(data, std::string::npos);
  std::string audio = before.substr(data, before.find("LIST") - data);
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  file->SetValue("INAM", std::string(300, 'x'));  // the list grows
  Saved(*file);
  EXPECT_NE(FileBytes(path).find(audio), std::string::npos);
  EXPECT_EQ(test::StreamHash(path), test::StreamHash(Fixture("wav/plain.wav")));
}

// ---- VQF, APE, ID3v1 -------------------------------------------------------

TEST(UntouchedBytes, VqfChunksThatWereNotChangedKeepTheirBytes) {
  fs::path path = VqfWith({{"COMT", kCafe}, {"XTRA", std::string("\x00\xFF", 2)}});
  std::string before = FileBytes(path);
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->GetValue("ICMT"), "Café à la Mode");
  file->SetValue("IART", "作者２");
  Saved(*file);
  std::string after = FileBytes(path);
  VqfStructure old, now;
  ASSERT_TRUE(ParseVqf(before, old, nullptr));
  ASSERT_TRUE(ParseVqf(after, now, nullptr));
  ASSERT_EQ(old.chunks.size(), now.chunks.size());
  for (size_t i = 0; i < old.chunks.size(); ++i) {
    EXPECT_EQ(old.chunks[i].id, now.chunks[i].id);
    if (old.chunks[i].id != "AUTH") EXPECT_EQ(old.chunks[i].data, now.chunks[i].data) << old.chunks[i].id;
  }
  EXPECT_EQ(OpenTagFile(path)->GetValue("IART"), "作者２");
}

TEST(UntouchedBytes, ApeItemsThatWereNotChangedKeepBytesAndFlags) {
  // A version 2 tag with a read-only text item, a binary item and an item
  // in code page 932.
  ApeTagData tag;
  tag.items = {{"Title", 0, kTitleCp932},
               {"Artist", 1, "Read Only"},
               {"Cover Art (Front)", 2, std::string("cover.jpg\0\xFF\xD8\xFF", 13)},
               {"Album", 0, kCafe}};
  tag.version = 2000;
  auto parsed = ApeTagData::Parse(tag.Render());
  ASSERT_TRUE(parsed);
  parsed->Set("Album", "New Album");
  std::string rendered = parsed->Render();
  auto item = [](const ApeItem& i) {
    return Le32Bytes(static_cast<uint32_t>(i.value.size())) + Le32Bytes(i.flags) + i.key + '\0' + i.value;
  };
  for (size_t i = 0; i < 3; ++i) EXPECT_NE(rendered.find(item(tag.items[i])), std::string::npos) << i;
  EXPECT_EQ(ApeTagData::Parse(rendered)->Get("Album"), "New Album");

  // In an MP3 file: a version 1 tag's code page 932 title keeps its bytes
  // when only the artist changes.
  fs::path path = TempCopy("mp3/apev1.mp3");
  std::string before = FileBytes(path);
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  std::string title = file->GetValue("INAM_APE");
  file->SetValue("IART_APE", "APE Two");
  Saved(*file);
  auto ape = ApeTagData::Parse(FileBytes(path));
  ASSERT_TRUE(ape);
  auto old = ApeTagData::Parse(before);
  ASSERT_TRUE(old);
  ASSERT_EQ(ape->items.size(), old->items.size());
  EXPECT_EQ(ape->items[0].key, old->items[0].key);
  EXPECT_EQ(ape->items[0].value, old->items[0].value);
  EXPECT_EQ(ape->items[0].flags, old->items[0].flags);
  EXPECT_EQ(OpenTagFile(path)->GetValue("INAM_APE"), title);
}

TEST(UntouchedBytes, Id3v1FieldsThatWereNotChangedKeepTheirBytes) {
  struct Case {
    const char* what;
    std::string title;  // raw bytes of the title field
    std::string stem;   // the value changed
    std::string value;
  };
  const std::vector<Case> cases = {
      // 0xEEEF and 0xFA40 are both "ⅰ": re-encoding would give 0xFA40.
      {"NEC-selected code", "\xEE\xEF\x93\xFA", "ICRD", "1999"},
      {"bytes after the terminator", std::string("Title\0junk", 10), "IART", "Someone"},
      {"UTF-8 written by another program", kCafe, "ICMT", "コメント"},
      {"padded with blanks", "Blank padded                  ", "TRACK", "9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path path = Mp3WithId3v1Title(c.title);
    std::string field = FileBytes(path).substr(FileBytes(path).size() - 125, 30);
    auto file = OpenTagFile(path);
    ASSERT_TRUE(file);
    std::string title = file->GetValue("INAM_v1");
    file->SetValue(c.stem + "_v1", c.value);
    Saved(*file);
    std::string bytes = FileBytes(path);
    EXPECT_EQ(bytes.substr(bytes.size() - 125, 30), field);
    auto back = OpenTagFile(path);
    EXPECT_EQ(back->GetValue("INAM_v1"), title);
    EXPECT_EQ(back->GetValue(c.stem + "_v1"), c.value);
  }
}

// ---- ID3v2 -----------------------------------------------------------------

// The first frame `id` of a version 2.3 tag at the start of `bytes`, header included.
std::string Frame23(const std::string& bytes, std::string_view id) {
  size_t end = 10;
  for (int i = 6; i < 10; ++i)
    end += static_cast<size_t>(bytes[static_cast<size_t>(i)] & 0x7F) << (7 * (9 - i));
  size_t pos = 10;
  while (pos + 10 <= end && bytes[pos] != '\0') {
    size_t size = 0;
    for (size_t i = 4; i < 8; ++i) size = (size << 8) | static_cast<unsigned char>(bytes[pos + i]);
    if (bytes.compare(pos, 4, id) == 0) return bytes.substr(pos, 10 + size);
    pos += 10 + size;
  }
  return {};
}

TEST(UntouchedBytes, Id3v2FramesThatWereNotChangedKeepTheirBytes) {
  fs::path path = TempCopy("mp3/sjis_id3v2.mp3");
  std::string before = FileBytes(path);
  std::string title = Frame23(before, "TIT2");
  ASSERT_FALSE(title.empty());
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  file->SetValue("IART_v2", "新しいアーティスト");
  Saved(*file);
  EXPECT_EQ(Frame23(FileBytes(path), "TIT2"), title);
}

// The frames of the ID3v2 tag (2.3 or 2.4) at the start of `bytes`, in
// order; whole-tag unsynchronisation undone.
std::vector<std::string> Frames(const std::string& bytes) {
  std::vector<std::string> frames;
  if (bytes.compare(0, 3, "ID3") != 0) return frames;
  int version = bytes[3];
  size_t end = 10;
  for (int i = 6; i < 10; ++i)
    end += static_cast<size_t>(bytes[static_cast<size_t>(i)] & 0x7F) << (7 * (9 - i));
  std::string body = bytes.substr(10, end - 10);
  if (version == 3 && (bytes[5] & 0x80)) {
    std::string plain;
    for (size_t i = 0; i < body.size(); ++i) {
      plain.push_back(body[i]);
      if (static_cast<unsigned char>(body[i]) == 0xFF && i + 1 < body.size() && body[i + 1] == '\0') ++i;
    }
    body = plain;
  }
  size_t pos = 0;
  while (pos + 10 <= body.size() && body[pos] != '\0') {
    size_t size = 0;
    for (size_t i = 4; i < 8; ++i)
      size = version == 4 ? (size << 7) | (static_cast<unsigned char>(body[pos + i]) & 0x7F)
                          : (size << 8) | static_cast<unsigned char>(body[pos + i]);
    frames.push_back(body.substr(pos, 10 + size));
    pos += 10 + size;
  }
  return frames;
}

TEST(UntouchedBytes, Id3v2FramesOfOtherValuesKeepTheirBytes) {
  for (const char* fixture :
       {"mp3/sjis_id3v2.mp3", "mp3/utf16_id3v2.mp3", "mp3/utf8_id3v24.mp3", "mp3/unsync_id3v23.mp3"}) {
    SCOPED_TRACE(fixture);
    fs::path path = TempCopy(fixture);
    std::vector<std::string> before = Frames(FileBytes(path));
    ASSERT_FALSE(before.empty());
    auto file = OpenTagFile(path);
    ASSERT_TRUE(file);
    file->SetValue("IART_v2", "新しいアーティスト");
    Saved(*file);
    std::vector<std::string> after = Frames(FileBytes(path));
    auto others = [](std::vector<std::string> frames) {
      frames.erase(std::remove_if(frames.begin(), frames.end(),
                                  [](const std::string& f) { return f.compare(0, 4, "TPE1") == 0; }),
                   frames.end());
      return frames;
    };
    EXPECT_EQ(others(after), others(before));
  }
}

class EncryptedFrame : public ::testing::TestWithParam<const char*> {};

// The repro file's TIT2 frame is encrypted (format flag 0x40): it can be
// neither read nor re-rendered, so it is kept as it is, flags and all.
TEST_P(EncryptedFrame, IsKeptByteForByteAndOthersReadTheFile) {
  fs::path path = TempCopy("repro/id3v2_encrypted_frame_kept.mp3");
  std::string encrypted = Frame23(FileBytes(path), "TIT2");
  ASSERT_EQ(encrypted.substr(8, 2), std::string("\x00\x40", 2));
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  const std::string stem = GetParam();
  file->SetOption("mp3_ID3v2Unicode", "1");  // every value re-encoded: the encrypted frame stays all the same
  file->SetValue(stem + "_v2", "平文の値");
  Saved(*file);
  std::string after = FileBytes(path);
  EXPECT_NE(after.find(encrypted), std::string::npos);
  EXPECT_EQ(OpenTagFile(path)->GetValue(stem + "_v2"), "平文の値");
  // mutagen keeps the encrypted frame aside as one it cannot read, and
  // reads the plain frames.
  std::string out = RunCommand(
      "/usr/bin/python3 -c 'import sys; from mutagen.id3 import ID3; t = ID3(sys.argv[1]); "
      "print(t.version, [f[:4] for f in t.unknown_frames if b\"secret\" in f], "
      "t.getall(\"TPE1\")[0].text[0] if t.getall(\"TPE1\") else \"-\", "
      "t.getall(\"TIT2\")[0].text[0] if t.getall(\"TIT2\") else \"-\")' " +
      Quote(path));
  std::string artist = stem == "IART" ? "平文の値" : "Keep";
  std::string plainTitle = stem == "INAM" ? "平文の値" : "-";
  EXPECT_EQ(out, "(2, 3, 0) [b'TIT2'] " + artist + " " + plainTitle + "\n");
}

INSTANTIATE_TEST_SUITE_P(UntouchedBytes, EncryptedFrame, ::testing::Values("IART", "INAM"));

TEST(UntouchedBytes, EncryptedFrameRefusesAnotherVersionAndLeavesTheFile) {
  fs::path path = TempCopy("repro/id3v2_encrypted_frame_kept.mp3");
  std::string before = FileBytes(path);
  auto file = OpenTagFile(path);
  ASSERT_TRUE(file);
  file->SetOption("mp3_SaveID3v2Version", "2.4");
  file->SetValue("IART_v2", "x");
  std::string error;
  EXPECT_FALSE(file->Save(&error));
  EXPECT_NE(error.find("encrypted"), std::string::npos) << error;
  EXPECT_EQ(FileBytes(path), before);
}

// Monkey's Audio and TAK: the APE tag at the end is our own writing for both.
TEST(UntouchedBytes, ApeFileItemsThatWereNotChangedKeepBytesAndFlags) {
  ApeTagData tag;
  tag.items = {{"Title", 0, kTitleCp932},
               {"Artist", 1, kCafe},
               {"Cover Art (Front)", 2, std::string("cover.jpg\0\xFF\xD8\xFF", 13)},
               {"Year", 0, "1999"}};
  for (const char* fixture : {"ape/plain.ape", "ape/plain.tak"}) {
    SCOPED_TRACE(fixture);
    fs::path path = TempCopy(fixture, "items" + fs::path(fixture).extension().string());
    const std::string audio = FileBytes(path);
    WriteBytes(path, audio + tag.Render());
    auto file = OpenTagFile(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->GetValue("INAM"), "日本語のタイトル");
    EXPECT_EQ(file->GetValue("IART"), "Café à la Mode");
    file->SetValue("ICRD", "2001");
    Saved(*file);
    std::string after = FileBytes(path);
    auto item = [](const ApeItem& i) {
      return Le32Bytes(static_cast<uint32_t>(i.value.size())) + Le32Bytes(i.flags) + i.key + '\0' + i.value;
    };
    for (size_t i = 0; i < 3; ++i) EXPECT_NE(after.find(item(tag.items[i])), std::string::npos) << i;
    EXPECT_EQ(after.substr(0, audio.size()), audio);
    auto back = OpenTagFile(path);
    EXPECT_EQ(back->GetValue("ICRD"), "2001");
    EXPECT_EQ(back->GetValue("INAM"), "日本語のタイトル");
  }
}

}  // namespace
}  // namespace hozanki
