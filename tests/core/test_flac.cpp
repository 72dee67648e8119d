// FLAC: the Vorbis comments read from the metadata blocks, and every write
// leaving STREAMINFO, the audio frames, the other blocks and the untouched
// comments as they were: in place when the new comments fit the padding,
// as a new copy (the audio moved, not changed) when they do not. Other
// programs (flac, mutagen, ffprobe) read what was written.

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

struct Block {
  int type;
  std::string body;
};

// The metadata blocks of a FLAC file's bytes, and where its audio starts.
std::vector<Block> BlocksOf(const std::string& bytes, size_t* audio = nullptr) {
  std::vector<Block> blocks;
  size_t pos = 4;
  for (bool last = false; !last && pos + 4 <= bytes.size();) {
    const auto flags = static_cast<unsigned char>(bytes[pos]);
    const size_t length = (static_cast<size_t>(static_cast<unsigned char>(bytes[pos + 1])) << 16) |
                          (static_cast<size_t>(static_cast<unsigned char>(bytes[pos + 2])) << 8) |
                          static_cast<unsigned char>(bytes[pos + 3]);
    last = flags & 0x80;
    blocks.push_back({flags & 0x7F, bytes.substr(pos + 4, length)});
    pos += 4 + length;
  }
  if (audio) *audio = pos;
  return blocks;
}

// The comments of a Vorbis comment block's body.
std::vector<std::string> CommentsOf(const std::string& body) {
  auto le32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(body[at + static_cast<size_t>(i)]);
    return static_cast<size_t>(v);
  };
  size_t pos = 4 + le32(0);
  const size_t count = le32(pos);
  pos += 4;
  std::vector<std::string> out;
  for (size_t i = 0; i < count; ++i) {
    const size_t n = le32(pos);
    out.push_back(body.substr(pos + 4, n));
    pos += 4 + n;
  }
  return out;
}

const Block* Find(const std::vector<Block>& blocks, int type) {
  for (const Block& b : blocks)
    if (b.type == type) return &b;
  return nullptr;
}

bool HaveFlac() { return std::system("command -v flac >/dev/null 2>&1") == 0; }

// How the changes were saved.
enum class Saved { InPlace, Rewritten };

class Flac : public test::TempDirTest {
 protected:
  fs::path Copy(const std::string& fixture) {
    const fs::path p = dir_ / fs::path(fixture).filename();
    fs::copy_file(test::Fixture(fixture), p, fs::copy_options::overwrite_existing);
    return p;
  }

  // Saves `values` as the save engine does: in place under the journal when
  // the plan allows, else through a new copy.
  Saved Save(const fs::path& p, const std::vector<std::pair<std::string, std::string>>& values) {
    std::string error;
    std::unique_ptr<TagFile> file = OpenTagFile(p, &error);
    EXPECT_TRUE(file) << error;
    if (!file) return Saved::Rewritten;
    for (const auto& [name, value] : values) file->SetValue(name, value);
    InPlaceEdit edit;
    const TagFile::InPlacePlan plan = file->PlanInPlace(edit, &error);
    EXPECT_NE(plan, TagFile::InPlacePlan::Failed) << error;
    if (plan != TagFile::InPlacePlan::InPlace) {
      EXPECT_TRUE(file->Save(&error)) << error;
      return Saved::Rewritten;
    }
    fs::create_directories(dir_ / "config");
    SaveJournal journal(dir_ / "config");
    journal.Add(std::move(edit));
    journal.Commit();
    EXPECT_TRUE(journal.Results()[0].ok) << journal.Results()[0].error;
    return Saved::InPlace;
  }

  // STREAMINFO and the audio frames are those of `before`, and `flac -t`
  // verifies the stream's MD5 sum.
  void ExpectSameAudio(const std::string& before, const fs::path& p) {
    const std::string after = ReadBytes(p);
    size_t audioBefore = 0, audioAfter = 0;
    const auto a = BlocksOf(before, &audioBefore), b = BlocksOf(after, &audioAfter);
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b[0].type, 0);
    EXPECT_EQ(a[0].body, b[0].body) << "STREAMINFO";
    EXPECT_TRUE(before.compare(audioBefore, std::string::npos, after, audioAfter, std::string::npos) == 0)
        << "audio frames";
    if (HaveFlac()) {
      EXPECT_EQ(std::system(("flac -t -s " + test::Quote(p) + " 2>/dev/null").c_str()), 0);
    }
  }
};

TEST_F(Flac, ReadsTheCommentsAndTheStream) {
  std::string error;
  std::unique_ptr<TagFile> file = OpenTagFile(test::Fixture("flac/tagged.flac"), &error);
  ASSERT_TRUE(file) << error;
  EXPECT_EQ(file->Type(), FileType::FLAC);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"IART", "First Artist; Second Artist"}, {"INAM", "Song Title"}, {"IPRD", "Album Name"},
      {"TRACK", "7"}, {"ICRD", "2001"}, {"IGNR", "Rock"}, {"ICMT", ""}, {"TIME", "0:00 (0sec)"}};
  for (const auto& [name, value] : expected) EXPECT_EQ(file->GetValue(name), value) << name;
  const std::string format = file->GetValue("AFMT");
  EXPECT_EQ(format.rfind("FLAC, ", 0), 0u) << format;
  EXPECT_NE(format.find("kbps, 44100Hz, 16bit, 2ch"), std::string::npos) << format;
}

TEST_F(Flac, AChangeThatFitsThePaddingIsMadeInPlaceAndLeavesEveryOtherByte) {
  const fs::path p = Copy("flac/tagged.flac");
  const std::string before = ReadBytes(p);
  ASSERT_EQ(Save(p, {{"INAM", "タイトル 제목 Título"}}), Saved::InPlace);
  const std::string after = ReadBytes(p);
  EXPECT_EQ(after.size(), before.size());
  ExpectSameAudio(before, p);
  const auto a = BlocksOf(before), b = BlocksOf(after);
  // Every block but the comments and the padding, byte for byte and in order.
  std::vector<Block> kept_a, kept_b;
  for (const Block& x : a)
    if (x.type != 1 && x.type != 4) kept_a.push_back(x);
  for (const Block& x : b)
    if (x.type != 1 && x.type != 4) kept_b.push_back(x);
  ASSERT_EQ(kept_a.size(), 5u);  // STREAMINFO, SEEKTABLE, CUESHEET, PICTURE, APPLICATION
  ASSERT_EQ(kept_b.size(), kept_a.size());
  for (size_t i = 0; i < kept_a.size(); ++i) {
    EXPECT_EQ(kept_a[i].type, kept_b[i].type);
    EXPECT_EQ(kept_a[i].body, kept_b[i].body) << "block type " << kept_a[i].type;
  }
  // The comments: only the title changed, in its place; the vendor string kept.
  std::vector<std::string> comments = CommentsOf(Find(a, 4)->body);
  comments[0] = "TITLE=タイトル 제목 Título";
  EXPECT_EQ(CommentsOf(Find(b, 4)->body), comments);
  EXPECT_EQ(Find(b, 4)->body.substr(0, 40), Find(a, 4)->body.substr(0, 40));
}

TEST_F(Flac, RepeatedFieldsKeepTheirValuesUnlessTheirCellChanges) {
  struct Case {
    std::string value;  // the artist cell's new text; empty: the cell is left alone
    std::vector<std::string> artists;
  };
  const std::vector<Case> cases = {
      {"", {"ARTIST=First Artist", "ARTIST=Second Artist"}},
      {"First Artist; Third Artist; Fourth", {"ARTIST=First Artist", "ARTIST=Third Artist", "ARTIST=Fourth"}},
      {"Only One", {"ARTIST=Only One"}},
  };
  for (const Case& c : cases) {
    const fs::path p = Copy("flac/tagged.flac");
    std::vector<std::pair<std::string, std::string>> values = {{"IGNR", "Jazz"}};
    if (!c.value.empty()) values.push_back({"IART", c.value});
    Save(p, values);
    std::vector<std::string> artists;
    size_t first = std::string::npos;
    const auto comments = CommentsOf(Find(BlocksOf(ReadBytes(p)), 4)->body);
    for (size_t i = 0; i < comments.size(); ++i)
      if (comments[i].rfind("ARTIST=", 0) == 0) {
        if (first == std::string::npos) first = i;
        artists.push_back(comments[i]);
      }
    EXPECT_EQ(artists, c.artists) << c.value;
    EXPECT_EQ(first, 1u) << "the artists stay where the first one was";
    EXPECT_EQ(comments.back(), "REPLAYGAIN_TRACK_GAIN=-3.00 dB") << "a field no column shows";
    EXPECT_NE(std::find(comments.begin(), comments.end(), "Album=Album Name"), comments.end());
  }
}

TEST_F(Flac, CommentsThatDoNotFitMoveTheAudioUnchanged) {
  struct Case {
    const char* fixture;
    std::string title;
    size_t comments;  // after the save
  };
  for (const Case& c : {Case{"flac/tagged.flac", std::string(6000, 'x'), 8}, Case{"flac/bare.flac", "Title", 1}}) {
    const fs::path p = Copy(c.fixture);
    const std::string before = ReadBytes(p);
    EXPECT_EQ(Save(p, {{"INAM", c.title}}), Saved::Rewritten) << c.fixture;
    ExpectSameAudio(before, p);
    const auto blocks = BlocksOf(ReadBytes(p));
    ASSERT_TRUE(Find(blocks, 4)) << c.fixture;
    const auto comments = CommentsOf(Find(blocks, 4)->body);
    EXPECT_EQ(comments.size(), c.comments) << c.fixture;
    EXPECT_NE(std::find(comments.begin(), comments.end(), "TITLE=" + c.title), comments.end()) << c.fixture;
    ASSERT_TRUE(Find(blocks, 1)) << "fresh padding for the next save";
    // A second, shorter change now fits that padding.
    const std::string middle = ReadBytes(p);
    EXPECT_EQ(Save(p, {{"INAM", "Short"}}), Saved::InPlace) << c.fixture;
    ExpectSameAudio(middle, p);
  }
}

TEST_F(Flac, OtherProgramsReadWhatWasWritten) {
  const fs::path p = Copy("flac/tagged.flac");
  const std::string title = "夜明けの歌", artist = "아이유", album = "Café Crème", genre = "Ελληνικά";
  Save(p, {{"INAM", title}, {"IART", artist}, {"IPRD", album}, {"IGNR", genre}});
  auto probed = test::ProbeTags(p);
  EXPECT_EQ(probed["title"], title);
  EXPECT_EQ(probed["album"], album);
  EXPECT_EQ(probed["genre"], genre);
  const std::string mutagen = test::RunCommand(
      "/usr/bin/python3 -c 'import sys, mutagen.flac; f = mutagen.flac.FLAC(sys.argv[1]); "
      "print(\"|\".join([f[\"title\"][0], \"+\".join(f[\"artist\"]), f[\"album\"][0], "
      "str(len(f.pictures)), str(len(f[\"replaygain_track_gain\"]))]))' " +
      test::Quote(p) + " 2>&1");
  EXPECT_EQ(mutagen, title + "|" + artist + "|" + album + "|1|1\n");
}

TEST_F(Flac, ADamagedFileIsNeitherListedNorWritten) {
  const std::string good = ReadBytes(test::Fixture("flac/tagged.flac"));
  size_t audio = 0;
  BlocksOf(good, &audio);
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string longBlock = good;
  longBlock[4 + 38 + 1] = '\x7F';  // the block after STREAMINFO claims megabytes
  std::string noSync = good;
  noSync[audio] = 'x';
  for (const Case& c : {Case{"cut in the blocks", good.substr(0, 300)}, Case{"a block past the end", longBlock},
                        Case{"no frame after the blocks", noSync}, Case{"no magic", "fLaX" + good.substr(4)}}) {
    const fs::path p = dir_ / "damaged.flac";
    test::WriteBytes(p, c.bytes);
    std::string error;
    EXPECT_FALSE(OpenTagFile(p, &error)) << c.what;
    PayloadMap map;
    EXPECT_FALSE(MapPayload(FileType::FLAC, p, map, &error)) << c.what;
    EXPECT_EQ(ReadBytes(p), c.bytes) << c.what;
  }
}

}  // namespace
}  // namespace hozanki
