// The open-with entry as desktops read it: the names of the installed entry,
// and the media-type cache that makes file managers offer it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/tools/DesktopEntry.h"
#include "core/tools/MimeInfoCache.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

// The keys of the [Desktop Entry] group.
std::map<std::string, std::string> MainGroup(const std::string& text) {
  std::map<std::string, std::string> keys;
  bool inMain = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.front() == '[') inMain = line == "[Desktop Entry]";
    const size_t eq = line.find('=');
    if (inMain && eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return keys;
}

TEST(OpenWithEntry, CarriesTheNamesAndCommentsOfTheInstalledEntry) {
  std::string installed;
  ASSERT_TRUE(ReadWholeFile(fs::path(HOZANKI_TEST_DATA) / "../../resources/hozanki.desktop", installed));
  const auto want = MainGroup(installed);
  for (bool openWith : {true, false}) {
    const auto keys = MainGroup(ShortcutEntryText("/opt/hozanki/bin/hozanki", "hozanki", openWith));
    for (const char* key : {"Name", "GenericName", "GenericName[ja]", "Comment", "Comment[ja]"}) {
      ASSERT_TRUE(want.count(key)) << key;
      EXPECT_EQ(keys.count(key) ? keys.at(key) : "(none)", want.at(key)) << key;
    }
  }
}

class MimeCacheTest : public test::TempDirTest {
 protected:
  void Entry(const std::string& relative, const std::string& text) {
    fs::create_directories((dir_ / "apps" / relative).parent_path());
    ASSERT_TRUE(WriteFileAtomic(dir_ / "apps" / relative, text));
  }
};

TEST_F(MimeCacheTest, TheCacheListsEveryEntryByTypeAsTheDesktopToolDoes) {
  Entry("hozanki-open-with.desktop",
        ShortcutEntryText("/opt/hozanki/bin/hozanki", "hozanki", true));
  Entry("b-player.desktop", "[Desktop Entry]\nType=Application\nName=B\nExec=b %F\nMimeType=audio/mpeg;audio/ogg;\n");
  Entry("a-viewer.desktop",
        "[Desktop Entry]\nType=Application\nName=A\nExec=a\nMimeType= text/plain ;audio/ogg\n"
        "[Desktop Action x]\nName=X\nExec=x\nMimeType=foo/bar;\n");
  Entry("sub/nested.desktop", "[Desktop Entry]\nType=Application\nName=N\nExec=n\nMimeType=audio/mpeg;\n");
  Entry("gone.desktop", "[Desktop Entry]\nType=Application\nName=G\nExec=g\nHidden=true\nMimeType=audio/mpeg;\n");
  Entry("notes.txt", "MimeType=audio/mpeg;\n");
  const std::string text = MimeInfoCacheText(dir_ / "apps");
  EXPECT_EQ(text.rfind("[MIME Cache]\n", 0), 0u);
  EXPECT_NE(text.find("\naudio/mpeg=b-player.desktop;hozanki-open-with.desktop;sub-nested.desktop;\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\naudio/ogg=a-viewer.desktop;b-player.desktop;hozanki-open-with.desktop;\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\ntext/plain=a-viewer.desktop;\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nvideo/mp4=hozanki-open-with.desktop;\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("foo/bar"), std::string::npos);
  EXPECT_EQ(text.find("gone.desktop"), std::string::npos);

  ASSERT_TRUE(WriteMimeInfoCache(dir_ / "apps"));
  std::string written;
  ASSERT_TRUE(ReadWholeFile(dir_ / "apps" / kMimeInfoCacheName, written));
  EXPECT_EQ(written, text);

  // What the desktop's own tool writes for the same folder, when it is here.
  if (std::system("command -v update-desktop-database >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "update-desktop-database is not installed";
  const std::string command = "update-desktop-database '" + (dir_ / "apps").string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string theirs;
  ASSERT_TRUE(ReadWholeFile(dir_ / "apps" / kMimeInfoCacheName, theirs));
  EXPECT_EQ(text, theirs);
}

}  // namespace
}  // namespace hozanki
