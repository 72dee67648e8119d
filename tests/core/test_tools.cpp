// User tools, players, the external editor's exchange file, the desktop
// shortcuts and dragging rows: the parts that need no window.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "TagEditTestSupport.h"
#include "TempDirTestSupport.h"
#include "core/catalogue/ColumnTables.h"
#include "core/common/AtomicFile.h"
#include "core/tagedit/RowDrag.h"
#include "core/tools/CommandLine.h"
#include "core/tools/DesktopEntry.h"
#include "core/tools/EditorExchange.h"

namespace hozanki {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Words = std::vector<std::string>;

TEST(ToolCommandLine, ParametersSplitAsAShellWould) {
  struct Case {
    const char* text;
    Words words;
  };
  const Case cases[] = {
      {"", {}},
      {"   ", {}},
      {"-a  -b\t-c", {"-a", "-b", "-c"}},
      {"\"two words\" 'single \"x\"'", {"two words", "single \"x\""}},
      {"a\\ b \\\"q\\\"", {"a b", "\"q\""}},
      {"\"in \\\"dq\\\" \\$HOME \\n\"", {"in \"dq\" $HOME \\n"}},
      {"--title=\"曲 名\" 日本語", {"--title=曲 名", "日本語"}},
      {"$HOME *.mp3 ~", {"$HOME", "*.mp3", "~"}},
      {"''  \"\"", {"", ""}},
      {"pre'mid dle'post", {"premid dlepost"}},
      {"\"unterminated rest", {"unterminated rest"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitShellWords(c.text), c.words) << c.text;
}

TEST(ToolCommandLine, EntryTextSplitsAtTheFirstTab) {
  EXPECT_EQ(SplitToolText("/usr/bin/x\t-a\t-b"), std::make_pair(std::string("/usr/bin/x"), std::string("-a\t-b")));
  EXPECT_EQ(SplitToolText("/usr/bin/x\t"), std::make_pair(std::string("/usr/bin/x"), std::string()));
  EXPECT_EQ(SplitToolText("/usr/bin/x"), std::make_pair(std::string("/usr/bin/x"), std::string()));
  const auto [program, parameters] = SplitToolText(JoinToolText("/opt/a b/p", "-x 'y z'"));
  EXPECT_EQ(program, "/opt/a b/p");
  EXPECT_EQ(parameters, "-x 'y z'");
}

TEST(ToolCommandLine, EveryFileIsOneArgumentAfterTheParameters) {
  const Words names{"a b.mp3", "sub/\"q\".mp3", "日本 語.mp3"};
  EXPECT_EQ(BuildToolCall("/p", "", "/m/dir", names),
            (ProgramCall{"/p", {"/m/dir/a b.mp3", "/m/dir/sub/\"q\".mp3", "/m/dir/日本 語.mp3"}}));
  EXPECT_EQ(BuildToolCall("/p", "-v 'x y'", "/m/dir/", {"a.mp3"}),
            (ProgramCall{"/p", {"-v", "x y", "/m/dir/a.mp3"}}));
  // No file selected: the program and its parameters only.
  EXPECT_EQ(BuildToolCall("/p", "-v", "/m", {}), (ProgramCall{"/p", {"-v"}}));
}

class EnvironmentTest : public test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
      const char* value = std::getenv(name);
      saved_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
      ::unsetenv(name);
    }
    ::setenv("HOME", (dir_ / "home").c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value)
        ::setenv(name, value->c_str(), 1);
      else
        ::unsetenv(name);
    }
    TempDirTest::TearDown();
  }
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(EnvironmentTest, DesktopFolderFollowsUserDirsAndFallsBackToDesktop) {
  EXPECT_EQ(DesktopFolder(), dir_ / "home" / "Desktop");
  std::filesystem::create_directories(dir_ / "home" / ".config");
  ASSERT_TRUE(WriteFileAtomic(dir_ / "home" / ".config" / "user-dirs.dirs",
                              "# comment\nXDG_MUSIC_DIR=\"$HOME/x\"\nXDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n"));
  EXPECT_EQ(DesktopFolder(), dir_ / "home" / "デスクトップ");
  ::setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
  std::filesystem::create_directories(dir_ / "cfg");
  ASSERT_TRUE(WriteFileAtomic(dir_ / "cfg" / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"/abs/desk\"\n"));
  EXPECT_EQ(DesktopShortcutPath(), std::filesystem::path("/abs/desk") / "Hozanki.desktop");

  EXPECT_EQ(OpenWithEntryPath(), dir_ / "home" / ".local/share/applications" / kOpenWithEntryName);
  ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
  EXPECT_EQ(UserApplicationsFolder(), dir_ / "data" / "applications");
}

TEST_F(EnvironmentTest, ShortcutStartsTheProgramWhateverItsPath) {
  const std::filesystem::path program = dir_ / "my \"bin\" $x\\y %z" / "hozanki";
  for (bool openWith : {false, true}) {
    const std::string text = ShortcutEntryText(program, "hozanki", openWith);
    const auto exec = DesktopEntryExec(text);
    ASSERT_TRUE(exec.has_value());
    EXPECT_THAT(SplitExecValue(*exec), ElementsAre(program.string()));
    EXPECT_NE(text.find("\nName=Hozanki\n"), std::string::npos);
    EXPECT_EQ(text.find("MimeType=audio/mpeg;") != std::string::npos, openWith);
  }
  const std::filesystem::path path = DesktopFolder() / kDesktopShortcutName;
  ASSERT_TRUE(CreateShortcut(path, "old"));
  ASSERT_TRUE(CreateShortcut(path, ShortcutEntryText(program, "hozanki", false)));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, ShortcutEntryText(program, "hozanki", false));
  EXPECT_NE(std::filesystem::status(path).permissions() & std::filesystem::perms::owner_exec,
            std::filesystem::perms::none);
  EXPECT_TRUE(RemoveShortcut(path));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(RemoveShortcut(path));  // already gone: no failure
}

TEST_F(EnvironmentTest, InstalledEntryCommandDropsFieldCodes) {
  EXPECT_THAT(SplitExecValue("gedit %U"), ElementsAre("gedit"));
  EXPECT_THAT(SplitExecValue("\"/opt/my editor/ed\" --new-window %f --x=100%%"),
              ElementsAre("/opt/my editor/ed", "--new-window", "--x=100%"));
  EXPECT_THAT(SplitExecValue("sh -c \"echo \\\\\\\\ \\\\$HOME\""), ElementsAre("sh", "-c", "echo \\ $HOME"));
  EXPECT_EQ(DesktopEntryExec("[Desktop Action new]\nExec=no\n[Desktop Entry]\nName=x\nExec = ed %F\r\n"),
            std::optional<std::string>("ed %F"));

  ::setenv("XDG_DATA_DIRS", (dir_ / "sys").c_str(), 1);
  std::filesystem::create_directories(dir_ / "sys/applications/kde4");
  ASSERT_TRUE(WriteFileAtomic(dir_ / "sys/applications/kde4/kate.desktop", "[Desktop Entry]\nExec=kate %U\n"));
  EXPECT_EQ(FindDesktopEntry("kde4-kate.desktop"), dir_ / "sys/applications/kde4/kate.desktop");
  EXPECT_EQ(FindDesktopEntry("../kate.desktop"), std::nullopt);
  std::filesystem::create_directories(dir_ / "home/.local/share/applications");
  ASSERT_TRUE(WriteFileAtomic(dir_ / "home/.local/share/applications/kde4-kate.desktop", "x"));
  EXPECT_EQ(FindDesktopEntry("kde4-kate.desktop"), dir_ / "home/.local/share/applications/kde4-kate.desktop");
}

TEST(EditorExchange, CellsGoOutOnePerLineAndComeBackByPosition) {
  const Words cells{"one", "two\r\nlines", "", "日本語"};
  const std::string text = ExchangeText(cells);
  EXPECT_EQ(text, "one\r\ntwo\\nlines\r\n\r\n日本語\r\n");
  EXPECT_THAT(ExchangeLines(text), ElementsAre("one", "two\\nlines", "", "日本語"));
  EXPECT_THAT(ExchangeLines("\xEF\xBB\xBF" "a\nb\rc"), ElementsAre("a", "b", "c"));
  EXPECT_THAT(ExchangeLines(""), ElementsAre());
}

TEST(EditorExchange, OnlyChangedLinesOfOpenRowsAreStored) {
  Catalogue catalogue;
  test::FillCatalogue(catalogue, MediaFormat::MP3, 4);
  const TagKind kind = TagKind::MP3ID3v2;
  const int title = 2;  // a value column
  for (int row = 0; row < 4; ++row) test::SetText(catalogue, kind, row, title, "t" + std::to_string(row));
  test::SetMarks(catalogue, kind, 1, kUnavailable);
  const EditTarget target = EditTarget::TagColumn(kind, title);

  const ExchangeRows out = CollectExchangeRows(catalogue, target, std::vector<int>{0, 1, 2, 3});
  EXPECT_THAT(out.rows, ElementsAre(0, 2, 3));
  EXPECT_THAT(out.cells, ElementsAre("t0", "t2", "t3"));

  // Line 2 of 3 edited: only the second open row changes.
  EXPECT_EQ(ApplyExchangeLines(catalogue, target, out.rows, Words{"t0", "new", "t3", "extra"}), 1);
  EXPECT_EQ(test::Tag(catalogue, kind, 2).cells[title].text, "new");
  EXPECT_EQ(test::Tag(catalogue, kind, 2).image, kChangedMark);
  for (int row : {0, 1, 3}) EXPECT_EQ(test::Tag(catalogue, kind, row).image, kNoMark);
  EXPECT_EQ(test::Tag(catalogue, kind, 3).cells[title].text, "t3");

  // Every line deleted: nothing changes.
  EXPECT_EQ(ApplyExchangeLines(catalogue, target, out.rows, Words{}), 0);
  EXPECT_EQ(test::Tag(catalogue, kind, 0).cells[title].text, "t0");
}

TEST(EditorExchange, LineBreaksComeBackOnlyInMultiLineColumns) {
  Catalogue catalogue;
  test::FillCatalogue(catalogue, MediaFormat::MP3, 1);
  const TagKind kind = TagKind::MP3ID3v2;
  const auto columns = TagTableColumns(kind);
  int memo = -1;
  int line = -1;
  for (size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].tag == kColumnMemo && memo < 0) memo = static_cast<int>(c) - 1;
    if (columns[c].tag == 0 && c >= 2 && line < 0) line = static_cast<int>(c) - 1;
  }
  ASSERT_GT(memo, 0);
  ASSERT_GT(line, 0);
  const std::vector<int> rows{0};
  ApplyExchangeLines(catalogue, EditTarget::TagColumn(kind, memo), rows, Words{"a\\nb"});
  ApplyExchangeLines(catalogue, EditTarget::TagColumn(kind, line), rows, Words{"a\\nb"});
  EXPECT_EQ(test::Tag(catalogue, kind, 0).cells[static_cast<size_t>(memo)].text, "a\r\nb");
  EXPECT_EQ(test::Tag(catalogue, kind, 0).cells[static_cast<size_t>(line)].text, "ab");
  // A line break in a one-line cell survives an untouched line.
  test::SetText(catalogue, kind, 0, line, "c\r\nd");
  const EditTarget target = EditTarget::TagColumn(kind, line);
  EXPECT_EQ(ApplyExchangeLines(catalogue, target, rows, ExchangeLines(ExchangeText(Words{"c\r\nd"}))), 0);
  EXPECT_EQ(test::Tag(catalogue, kind, 0).cells[static_cast<size_t>(line)].text, "c\r\nd");
}

TEST(EditorExchange, SingleInstanceEditorsAreMadeToWait) {
  EXPECT_EQ(EditorCall({"/usr/bin/gedit"}, "/c/~NR284~.txt"),
            (ProgramCall{"/usr/bin/gedit", {"--wait", "/c/~NR284~.txt"}}));
  EXPECT_EQ(EditorCall({"kate", "--block"}, "/f"), (ProgramCall{"kate", {"--block", "/f"}}));
  EXPECT_EQ(EditorCall({"/usr/bin/mousepad"}, "/f"), (ProgramCall{"/usr/bin/mousepad", {"/f"}}));
  EXPECT_EQ(EditorCall({}, "/f"), ProgramCall{});
}

TEST(RowDrag, SelectedRowsLandBeforeOrAfterTheTarget) {
  struct Case {
    int count;
    std::vector<int> selected;
    int target;
    std::optional<std::vector<int>> order;
  };
  const Case cases[] = {
      {5, {2, 3}, 0, std::vector<int>{2, 3, 0, 1, 4}},  // rows 3-4 onto row 1
      {5, {0, 1}, 3, std::vector<int>{2, 3, 0, 1, 4}},  // rows 1-2 onto row 4
      {5, {4}, 0, std::vector<int>{4, 0, 1, 2, 3}},
      {5, {0}, 4, std::vector<int>{1, 2, 3, 4, 0}},
      {7, {3, 5}, 1, std::vector<int>{0, 3, 1, 5, 2, 4, 6}},  // a gap keeps its distance
      {7, {0, 2}, 5, std::vector<int>{1, 3, 4, 0, 5, 2, 6}},
      {5, {1, 3}, 2, std::nullopt},  // the target inside the selection (moving down)
      {5, {2, 3}, 2, std::nullopt},  // onto the first selected row
      {5, {2, 3}, 3, std::nullopt},
      {5, {2}, 5, std::nullopt},
      {5, {}, 1, std::nullopt},
      {5, {7}, 1, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(DraggedRowOrder(c.count, c.selected, c.target), c.order) << c.target;
}

}  // namespace
}  // namespace hozanki
