// Undo takes the values a file held back from the entry, without parsing the
// file again, only while the file is still the one that was read: unchanged
// since, and read well after its last change. Any other file is read again.

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "TagEditTestSupport.h"
#include "core/tagedit/SetCellValue.h"
#include "core/tagedit/Undo.h"

namespace hozanki {
namespace {

constexpr TagKind V2 = TagKind::MP3ID3v2;
constexpr int kTitle = 2;

TEST(UndoStoredValues, OnlyFilesChangedOrReadTooSoonAreParsedAgain) {
  struct Case {
    const char* name;
    bool settled;     // read well after the file's last change
    bool rewritten;   // another tag written over the file after the read
    bool parsed;      // read again by the undo
  };
  const Case cases[] = {
      {"kept.mp3", true, false, false},
      {"rewritten.mp3", true, true, true},
      {"fresh.mp3", false, false, true},
  };
  test::TempFolder folder;
  Catalogue c;
  std::vector<std::string> names;
  for (const Case& k : cases) {
    folder.Copy("mp3/sjis_id3v2.mp3", k.name);
    names.push_back(k.name);
  }
  folder.Load(c, names);
  std::vector<std::string> loaded;
  std::vector<int> rows;
  for (size_t i = 0; i < std::size(cases); ++i) {
    // As if read ten seconds after the copy: the stamp is settled.
    if (cases[i].settled)
      c.EditRow(MediaFormat::MP3, static_cast<int>(i), [](MediaFileEntry& e) { e.stamp.taken += 10'000'000'000; });
    loaded.push_back(test::Tag(c, V2, static_cast<int>(i)).cells[kTitle].text);
    SetCellValue(c, EditTarget::TagColumn(V2, kTitle), static_cast<int>(i), "changed", ValueSource::Other, false);
    if (cases[i].rewritten) folder.Copy("mp3/utf16_id3v2.mp3", cases[i].name);
    rows.push_back(static_cast<int>(i));
  }
  const std::string rewrittenTitle = ReadMediaFile(folder.Path(), "rewritten.mp3")->tags[1].cells[kTitle].text;
  ASSERT_NE(rewrittenTitle, loaded[1]);

  std::mutex lock;
  std::set<std::string> parsed;
  auto counting = [&](const std::filesystem::path& f, const std::filesystem::path& relative) {
    std::lock_guard<std::mutex> hold(lock);
    parsed.insert(relative.string());
    return ReadMediaFile(f, relative);
  };
  EXPECT_EQ(UndoTagRows(c, folder.Path(), V2, rows, 0, counting), 3);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    const MediaFileEntry& e = test::EntryAt(c, MediaFormat::MP3, static_cast<int>(i));
    EXPECT_EQ(parsed.count(cases[i].name) == 1, cases[i].parsed);
    EXPECT_EQ(e.tags[1].cells[kTitle].text, cases[i].rewritten ? rewrittenTitle : loaded[i]);
    EXPECT_EQ(e.tags[1].cells[kTitle].value, 0);
    EXPECT_EQ(e.tags[1].image, kNoMark);
    EXPECT_TRUE(e.storedCells.empty());
  }
}

}  // namespace
}  // namespace hozanki
