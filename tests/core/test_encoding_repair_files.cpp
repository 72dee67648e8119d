// The encoding repair on real files: each kind of damage in each tag kind
// that can hold it is found, repaired through the write path, and read back
// as proper Unicode by us, mutagen and ffprobe.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "../../bench/EncodingCorpus.h"
#include "FormatTestSupport.h"
#include "MediaTestSupport.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/catalogue/TagFile.h"
#include "core/tagedit/EncodingRepairScan.h"

namespace hozanki {
namespace {

using corpus::Iconv;
using corpus::ReadAsSingleByte;

const std::string kTitle = "夜に駆ける";
const std::string kArtist = "東京事変";
const std::string kAlbum = "君の名は";
const std::string kComment = "コメント";

std::string SjisAs1252(const std::string& t) { return ReadAsSingleByte(*EncodeCp932(t), true); }
std::string Utf8As1252(const std::string& t) { return ReadAsSingleByte(t, true); }
std::string EucAsLatin1(const std::string& t) { return ReadAsSingleByte(*Iconv("EUC-JP", "UTF-8", t), false); }

class EncodingRepairFiles : public test::MediaTempDir {
 protected:
  // Writes `values` (cell index -> text) into tag row `k` of a copy of `fixture`.
  void Damage(const std::string& fixture, const std::string& name, size_t k,
              const std::map<size_t, std::string>& values, WriteSettings settings) {
    Copy(fixture, name);
    auto e = ReadMediaFile(dir_, name);
    ASSERT_TRUE(e);
    TagRow& row = e->tags[k];
    for (const auto& [cell, text] : values) row.cells[cell].text = text;
    row.state = kChecked;
    row.image = kChangedMark;
    std::string error;
    ASSERT_TRUE(WriteMediaFile(dir_, *e, settings, &error)) << error;
  }

  // Finds, applies every proposal and writes with the given settings; returns the findings.
  std::vector<RepairFinding> Repair(const std::string& name, WriteSettings settings) {
    auto e = ReadMediaFile(dir_, name);
    EXPECT_TRUE(e);
    if (!e) return {};
    auto file = OpenTagFile(dir_ / name);
    std::vector<RepairFinding> found = FindRepairs(*e, file.get());
    for (const RepairFinding& f : found) ApplyRepair(*e, f, f.diagnosis.proposed);
    std::string error;
    EXPECT_TRUE(WriteMediaFile(dir_, *e, settings, &error)) << error;
    return found;
  }

  std::vector<RepairFinding> FindNow(const std::string& name) {
    auto e = ReadMediaFile(dir_, name);
    auto file = OpenTagFile(dir_ / name);
    return e ? FindRepairs(*e, file.get()) : std::vector<RepairFinding>();
  }

  std::string Mutagen(const std::string& name, const std::string& key) {
    std::string script = dir_ / "m.py";
    test::WriteBytes(script,
                     "import sys,json\nfrom mutagen.id3 import ID3\nfrom mutagen.apev2 import APEv2\nout={}\n"
                     "try:\n  t=ID3(sys.argv[1])\n  [out.__setitem__(k,str(t[k])) for k in ('TIT2','TPE1','TALB') if k in t]\n"
                     "  c=t.getall('COMM')\n  out['COMM']=str(c[0]) if c else ''\n"
                     "  out['enc']=[int(t[k].encoding) for k in ('TIT2','TPE1','TALB') if k in t]+[int(x.encoding) for x in c]\n"
                     "except Exception: pass\n"
                     "try:\n  a=APEv2(sys.argv[1])\n  [out.__setitem__('APE:'+k,str(a[k])) for k in a.keys()]\nexcept Exception: pass\n"
                     "print(json.dumps(out))\n");
    std::string out = test::RunCommand("/usr/bin/python3 " + test::Quote(script) + " " + test::Quote(dir_ / name));
    if (out.empty()) return "(mutagen missing)";
    nlohmann::json j = nlohmann::json::parse(out);
    if (key == "enc") return j.contains("enc") ? j["enc"].dump() : "";
    return j.contains(key) ? j[key].get<std::string>() : "";
  }
};

TEST_F(EncodingRepairFiles, Id3v2EveryVersionEveryDamage) {
  for (int version : {1, 2, 3}) {
    SCOPED_TRACE("ID3v2 setting " + std::to_string(version));
    std::string name = "v" + std::to_string(version) + ".mp3";
    // "Unicode" left as it is: damaged text (outside code page 932) goes
    // into UTF-16 frames, the comment as code page 932 into an ISO-8859-1 one.
    Damage("plain.mp3", name, 1,
           {{2, SjisAs1252(kTitle)}, {1, Utf8As1252(kArtist)}, {3, EucAsLatin1(kAlbum)}, {7, kComment}},
           WriteSettings{0, 1, version, true});
    std::vector<RepairFinding> found = FindNow(name);
    ASSERT_EQ(found.size(), 4u);
    std::map<std::string, RepairFinding> by;
    for (const RepairFinding& f : found) by[f.field] = f;
    EXPECT_EQ(by["INAM"].diagnosis.source, SourceEncoding::kShiftJis);
    EXPECT_EQ(by["IART"].diagnosis.source, SourceEncoding::kUtf8);
    EXPECT_EQ(by["IPRD"].diagnosis.source, SourceEncoding::kEucJp);
    EXPECT_EQ(by["ICMT"].diagnosis.verdict, TextVerdict::kLegacy);
    EXPECT_EQ(by["ICMT"].form, StoredForm::kLatin1Frame);
    EXPECT_EQ(by["INAM"].form, StoredForm::kUnicode);

    // Saved with "Unicode" off and "Unsync" on: the repaired tag is Unicode
    // and not unsynchronised all the same.
    Repair(name, WriteSettings{1, 2, version, true});
    EXPECT_EQ(uint8_t(test::ReadBytes(dir_ / name)[5]) & 0x80, 0);
    auto e = ReadMediaFile(dir_, name);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->tags[1].cells[1].text, kArtist);
    EXPECT_EQ(e->tags[1].cells[2].text, kTitle);
    EXPECT_EQ(e->tags[1].cells[3].text, kAlbum);
    EXPECT_EQ(e->tags[1].cells[7].text, kComment);
    EXPECT_TRUE(FindNow(name).empty());

    std::string m = Mutagen(name, "TIT2");
    if (m == "(mutagen missing)") continue;
    EXPECT_EQ(m, kTitle);
    EXPECT_EQ(Mutagen(name, "TPE1"), kArtist);
    EXPECT_EQ(Mutagen(name, "TALB"), kAlbum);
    EXPECT_EQ(Mutagen(name, "COMM"), kComment);
    EXPECT_EQ(Mutagen(name, "enc").find('0'), std::string::npos) << "a frame is still ISO-8859-1";
    std::map<std::string, std::string> probe = test::ProbeTags(dir_ / name);
    EXPECT_EQ(probe["title"], kTitle);
    EXPECT_EQ(probe["artist"], kArtist);
    EXPECT_EQ(probe["album"], kAlbum);
  }
}

TEST_F(EncodingRepairFiles, Id3v1HoldingEucJp) {
  Copy("plain.mp3", "v1.mp3");
  std::string tag = "TAG";
  auto field = [](std::string bytes, size_t size) {
    bytes.resize(size, '\0');
    return bytes;
  };
  tag += field(*Iconv("EUC-JP", "UTF-8", kTitle), 30) + field("Artist", 30) + field("", 30) + "2004" +
         field("", 30) + std::string(1, '\xFF');
  std::string bytes = test::ReadBytes(dir_ / "v1.mp3") + tag;
  test::WriteBytes(dir_ / "v1.mp3", bytes);
  std::vector<RepairFinding> found = Repair("v1.mp3", WriteSettings{});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].kind, TagKind::MP3ID3v1);
  EXPECT_EQ(found[0].diagnosis.source, SourceEncoding::kEucJp);
  auto e = ReadMediaFile(dir_, "v1.mp3");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->tags[0].cells[2].text, kTitle);
  EXPECT_EQ(e->tags[0].cells[1].text, "Artist");
  // Stored as code page 932 now.
  std::string after = test::ReadBytes(dir_ / "v1.mp3");
  EXPECT_EQ(after.substr(after.size() - 125, EncodeCp932(kTitle)->size()), *EncodeCp932(kTitle));
}

TEST_F(EncodingRepairFiles, ApeAndRiffInfo) {
  Damage("plain.mp3", "ape.mp3", 3, {{2, Utf8As1252(kTitle)}, {1, SjisAs1252(kArtist)}}, WriteSettings{});
  std::vector<RepairFinding> found = Repair("ape.mp3", WriteSettings{});
  EXPECT_EQ(found.size(), 2u);
  auto e = ReadMediaFile(dir_, "ape.mp3");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->tags[3].cells[2].text, kTitle);
  EXPECT_EQ(e->tags[3].cells[1].text, kArtist);
  if (std::string m = Mutagen("ape.mp3", "APE:Title"); m != "(mutagen missing)") {
    EXPECT_EQ(m, kTitle);
    EXPECT_EQ(Mutagen("ape.mp3", "APE:Artist"), kArtist);
  }

  // RIFF INFO of a RIFF-wrapped MP3, with "Unicode" on (UTF-8 in the chunks).
  Damage("rmp3.rmp", "r.rmp", 2, {{2, SjisAs1252(kTitle)}, {1, EucAsLatin1(kArtist)}},
         WriteSettings{2, 1, 2, true});
  // Repaired with "Unicode" off: UTF-8 in the chunks all the same.
  found = Repair("r.rmp", WriteSettings{1, 1, 2, true});
  EXPECT_EQ(found.size(), 2u);
  EXPECT_NE(test::ReadBytes(dir_ / "r.rmp").find(kTitle), std::string::npos);
  e = ReadMediaFile(dir_, "r.rmp");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->tags[2].cells[2].text, kTitle);
  EXPECT_EQ(e->tags[2].cells[1].text, kArtist);
}

TEST_F(EncodingRepairFiles, WavInfoReadByFfprobe) {
  std::filesystem::copy_file(test::Fixture("wav/tagged.wav"), dir_ / "t.wav");
  auto e = ReadMediaFile(dir_, "t.wav");
  ASSERT_TRUE(e);
  std::span<const std::string_view> names = ValueNamesOf(TagKind::WAV);
  size_t title = std::find(names.begin(), names.end(), "INAM") - names.begin() + 1;
  e->tags[0].cells[title].text = Utf8As1252(kTitle);
  e->tags[0].image = kChangedMark;
  std::string error;
  ASSERT_TRUE(WriteMediaFile(dir_, *e, WriteSettings{2, 1, 2, true}, &error)) << error;
  // Saved with "Unicode" off: the repaired INFO text is UTF-8 all the same.
  std::vector<RepairFinding> found = Repair("t.wav", WriteSettings{1, 1, 2, true});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].field, "INAM");
  std::map<std::string, std::string> probe = test::ProbeTags(dir_ / "t.wav");
  if (!probe.empty()) EXPECT_EQ(probe["title"], kTitle);
}

TEST_F(EncodingRepairFiles, CleanFilesHaveNoFindings) {
  Damage("plain.mp3", "clean.mp3", 1, {{1, "Motörhead"}, {2, "Café del Mar"}, {3, "東京事変"}},
         WriteSettings{2, 1, 2, true});
  EXPECT_TRUE(FindNow("clean.mp3").empty());
}

}  // namespace
}  // namespace hozanki
