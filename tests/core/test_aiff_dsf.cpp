// AIFF and DSF: the ID3v2 tag in AIFF's "ID3 " chunk and at DSF's metadata
// pointer, read and written by the MP3 tag code. Every write leaves the
// sound, the other chunks and the frames no value touches as they were, and
// keeps the FORM size, DSF's file size and metadata pointer right; DSF is
// written in place however the tag grows (its tail only), AIFF in place
// unless a grown tag has to move the sound. Other programs read the result.

#include <gtest/gtest.h>

#include "FormatTestSupport.h"
#include "MediaTestSupport.h"
#include "TempDirTestSupport.h"
#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/PayloadMap.h"
#include "core/common/SaveJournal.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using Values = std::vector<std::pair<std::string, std::string>>;

uint64_t Be(const std::string& b, size_t at, int n) {
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}
uint64_t Le(const std::string& b, size_t at, int n) {
  uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}

// Where the tag of a file's bytes is: AIFF's ID3 chunk body (walking the
// chunks), DSF's metadata pointer; npos when there is none.
size_t TagOffset(const std::string& b) {
  if (b.compare(0, 4, "DSD ") == 0) return Le(b, 20, 8) ? Le(b, 20, 8) : std::string::npos;
  for (size_t pos = 12; pos + 8 <= b.size();) {
    const uint64_t size = Be(b, pos + 4, 4);
    if (b.compare(pos, 4, "ID3 ") == 0) return pos + 8;
    pos += 8 + size + (size & 1);
  }
  return std::string::npos;
}

// The frames (id and body) of the version 2.3 or 2.4 tag at `at`.
std::vector<std::pair<std::string, std::string>> FramesAt(const std::string& b, size_t at) {
  std::vector<std::pair<std::string, std::string>> frames;
  const size_t end = at + 10 + ((Be(b, at + 6, 1) << 21) | (Be(b, at + 7, 1) << 14) | (Be(b, at + 8, 1) << 7) | Be(b, at + 9, 1));
  const bool syncsafe = b[at + 3] == 4;
  for (size_t pos = at + 10; pos + 10 <= end && b[pos] != '\0';) {
    uint64_t size = Be(b, pos + 4, 4);
    if (syncsafe) size = (Be(b, pos + 4, 1) << 21) | (Be(b, pos + 5, 1) << 14) | (Be(b, pos + 6, 1) << 7) | Be(b, pos + 7, 1);
    frames.emplace_back(b.substr(pos, 4), b.substr(pos + 10, size));
    pos += 10 + size;
  }
  return frames;
}

std::string DecodedAudio(const fs::path& p) {
  return test::RunCommand("ffmpeg -v error -i " + test::Quote(p) + " -map 0:a -f md5 - 2>/dev/null");
}

std::string Mutagen(const fs::path& p) {
  return test::RunCommand(
      "/usr/bin/python3 -c 'import sys, mutagen; t = mutagen.File(sys.argv[1]).tags; "
      "print(\"|\".join([str(t[\"TIT2\"]), str(t[\"TPE1\"]), str(t.get(\"TALB\", \"\")), str(len(t.getall(\"APIC\"))), "
      "str(t.version[1])]))' " +
      test::Quote(p) + " 2>&1");
}

enum class Saved { InPlace, Rewritten };

class AiffDsf : public test::TempDirTest {
 protected:
  fs::path Copy(const std::string& fixture) {
    const fs::path p = dir_ / fs::path(fixture).filename();
    fs::copy_file(test::Fixture(fixture), p, fs::copy_options::overwrite_existing);
    return p;
  }

  // Saves as the save engine does; `edit` gets the in-place writes.
  Saved Save(const fs::path& p, const Values& values, const Values& options = {}, InPlaceEdit* planned = nullptr) {
    std::string error;
    std::unique_ptr<TagFile> file = OpenTagFile(p, &error);
    EXPECT_TRUE(file) << error;
    if (!file) return Saved::Rewritten;
    for (const auto& [name, value] : options) file->SetOption(name, value);
    for (const auto& [name, value] : values) file->SetValue(name, value);
    InPlaceEdit edit;
    const TagFile::InPlacePlan plan = file->PlanInPlace(edit, &error);
    EXPECT_NE(plan, TagFile::InPlacePlan::Failed) << error;
    if (plan != TagFile::InPlacePlan::InPlace) {
      EXPECT_TRUE(file->Save(&error)) << error;
      return Saved::Rewritten;
    }
    if (planned) *planned = edit;
    fs::create_directories(dir_ / "config");
    SaveJournal journal(dir_ / "config");
    journal.Add(std::move(edit));
    journal.Commit();
    EXPECT_TRUE(journal.Results()[0].ok) << journal.Results()[0].error;
    return Saved::InPlace;
  }
};

TEST_F(AiffDsf, ReadsTheTagAndTheSound) {
  struct Case {
    const char* fixture;
    Values values;
    const char* format;
  };
  const Case cases[] = {
      {"aiff/tagged.aiff",
       {{"INAM", "Song Title"}, {"IART", "Artist Name"}, {"IPRD", "アルバム"}, {"TRACK", "7"}, {"ICRD", "2001"},
        {"IGNR", "Rock"}, {"ICMT", "コメント"}, {"TIME", "0:00 (0sec)"}},
       "PCM, 1411kbps, 44100Hz, 16bit, 2ch"},
      {"aiff/front.aifc", {{"INAM", "Front"}, {"IART", ""}}, "fl32, 1536kbps, 48000Hz, 32bit, 1ch"},
      {"aiff/bare.aif", {{"INAM", ""}}, "PCM, 1411kbps, 44100Hz, 16bit, 2ch"},
      {"dsf/tagged.dsf", {{"INAM", "DSD Title"}, {"IPRD", "アルバム"}, {"TRACK", "3"}, {"ICMT", "コメント"}},
       "DSD, 5645kbps, 2822400Hz, 1bit, 2ch"},
      {"dsf/bare.dsf", {{"INAM", ""}}, "DSD, 5645kbps, 2822400Hz, 1bit, 2ch"},
  };
  for (const Case& c : cases) {
    std::string error;
    std::unique_ptr<TagFile> file = OpenTagFile(test::Fixture(c.fixture), &error);
    ASSERT_TRUE(file) << c.fixture << ": " << error;
    for (const auto& [name, value] : c.values) EXPECT_EQ(file->GetValue(name), value) << c.fixture << " " << name;
    EXPECT_EQ(file->GetValue("AFMT"), c.format) << c.fixture;
  }
}

// Each save: how it is made, and what must hold of the file afterwards.
TEST_F(AiffDsf, SavesKeepTheSoundTheSizesAndEveryUntouchedFrame) {
  const std::string title = "夜明け 새벽 Aurore éclatée";
  struct Case {
    const char* fixture;
    std::string title;
    Saved how;
  };
  const Case cases[] = {
      {"aiff/tagged.aiff", title, Saved::InPlace},                    // fits the chunk's padding
      {"aiff/tagged.aiff", title + std::string(3000, 'x'), Saved::InPlace},  // the last chunk grows
      {"aiff/front.aifc", title, Saved::Rewritten},                   // the chunk before the sound grows
      {"aiff/bare.aif", title, Saved::InPlace},                       // a chunk appended to the form
      {"dsf/tagged.dsf", title, Saved::InPlace},                      // fits the tag's padding
      {"dsf/tagged.dsf", title + std::string(3000, 'x'), Saved::InPlace},   // the tail grows
      {"dsf/bare.dsf", title, Saved::InPlace},                        // a tag appended
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " " + std::to_string(c.title.size()));
    const fs::path p = Copy(c.fixture);
    const std::string before = ReadBytes(p);
    const std::string audio = DecodedAudio(p);
    ASSERT_NE(audio, "");
    InPlaceEdit edit;
    EXPECT_EQ(Save(p, {{"INAM", c.title}, {"IART", "아이유"}}, {}, &edit), c.how);
    const std::string after = ReadBytes(p);
    EXPECT_EQ(DecodedAudio(p), audio);
    PayloadMap a, b;
    std::string why;
    ASSERT_TRUE(MapPayload(TypeFromExtension(p), test::Fixture(c.fixture), a, &why)) << why;
    ASSERT_TRUE(MapPayload(TypeFromExtension(p), p, b, &why)) << why;
    EXPECT_TRUE(SamePayload(test::Fixture(c.fixture), a, p, b, &why)) << why;
    const bool dsf = before.compare(0, 4, "DSD ") == 0;
    if (dsf) {
      EXPECT_EQ(Le(after, 12, 8), after.size()) << "total file size";
      // Only the header's two numbers and the tail from the old tag on are written.
      const size_t tail = TagOffset(before) == std::string::npos ? before.size() : TagOffset(before);
      EXPECT_EQ(TagOffset(after), tail);
      for (const InPlaceEdit::Write& w : edit.writes)
        EXPECT_TRUE((w.offset >= 12 && w.offset + w.bytes.size() <= 28) || w.offset >= tail) << w.offset;
    } else {
      EXPECT_EQ(Be(after, 4, 4) + 8, after.size()) << "FORM size";
    }
    // Only the two frames set differ, and keep their places.
    const size_t tagBefore = TagOffset(before), tagAfter = TagOffset(after);
    ASSERT_NE(tagAfter, std::string::npos);
    const auto framesAfter = FramesAt(after, tagAfter);
    if (tagBefore != std::string::npos) {
      const auto framesBefore = FramesAt(before, tagBefore);
      ASSERT_EQ(framesAfter.size(), framesBefore.size() + (c.fixture == std::string("aiff/front.aifc") ? 1 : 0));
      for (size_t i = 0; i < framesBefore.size(); ++i) {
        EXPECT_EQ(framesAfter[i].first, framesBefore[i].first);
        if (framesBefore[i].first != "TIT2" && framesBefore[i].first != "TPE1")
          EXPECT_EQ(framesAfter[i].second, framesBefore[i].second) << framesBefore[i].first;
      }
    }
    const std::string pictures = c.fixture == std::string("aiff/tagged.aiff") || c.fixture == std::string("dsf/tagged.dsf") ? "1" : "0";
    const std::string album = pictures == "1" ? "アルバム" : "";
    EXPECT_EQ(Mutagen(p), c.title + "|아이유|" + album + "|" + pictures + "|3\n");
    auto probed = test::ProbeTags(p);
    EXPECT_EQ(probed["title"], c.title);
    EXPECT_EQ(probed["artist"], "아이유");
  }
}

TEST_F(AiffDsf, TheVersionOptionConvertsEveryFrame) {
  for (const char* fixture : {"aiff/tagged.aiff", "dsf/tagged.dsf"}) {
    for (const auto& [option, version] : {std::pair{"2.4", "4"}, std::pair{"2.2", "2"}}) {
      SCOPED_TRACE(std::string(fixture) + " " + option);
      const fs::path p = Copy(fixture);
      Save(p, {}, {{"mp3_SaveID3v2Version", option}});
      const std::string out = Mutagen(p);
      EXPECT_EQ(out.substr(out.rfind('|') + 1), std::string(version) + "\n");
      EXPECT_NE(out.find("|アルバム|1|"), std::string::npos) << out;
      std::string error;
      auto file = OpenTagFile(p, &error);
      ASSERT_TRUE(file) << error;
      EXPECT_EQ(file->GetValue("ICMT"), "コメント");
    }
  }
}

TEST_F(AiffDsf, ADamagedFileIsNeitherListedNorWritten) {
  const std::string dsf = ReadBytes(test::Fixture("dsf/tagged.dsf"));
  const std::string aiff = ReadBytes(test::Fixture("aiff/tagged.aiff"));
  auto with = [](std::string b, size_t at, std::string bytes) { return b.replace(at, bytes.size(), bytes); };
  const size_t id3 = TagOffset(aiff) - 8;
  struct Case {
    const char* what;
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"metadata pointer past the end", "a.dsf", with(dsf, 20, std::string("\xFF\xFF\xFF\x00\x00\x00\x00\x00", 8))},
      {"metadata pointer into the samples", "b.dsf", with(dsf, 20, std::string("\x00\x01\x00\x00\x00\x00\x00\x00", 8))},
      {"data chunk past the end", "c.dsf", with(dsf, 84, std::string("\x00\x00\x00\x01", 4))},
      {"ID3 chunk smaller than its tag", "d.aiff", with(aiff, id3 + 4, std::string("\x00\x00\x00\x20", 4))},
      {"SSND chunk past the end", "e.aiff", with(aiff, 12 + 26 + 4, std::string("\x00\x10\x00\x00", 4))},
  };
  for (const Case& c : cases) {
    const fs::path p = dir_ / c.name;
    test::WriteBytes(p, c.bytes);
    std::string error;
    EXPECT_FALSE(OpenTagFile(p, &error)) << c.what;
    PayloadMap map;
    EXPECT_FALSE(MapPayload(TypeFromExtension(p), p, map, &error)) << c.what;
  }
}

}  // namespace
}  // namespace hozanki
