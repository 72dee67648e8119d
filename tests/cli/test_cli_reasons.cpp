// Each refusal names its real cause in one Japanese sentence, with the
// English detail after it for scripts; the file keeps its bytes.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "CliTestSupport.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

using test::Quote;
using test::ReadFile;

class CliReasons : public test::CliConfigTest {
 protected:
  test::ShellResult Cli(const std::string& arguments) {
    return test::RunShellWithErrors(Quote(HOZANKI_CLI) + " " + arguments, dir_ / "err");
  }
  fs::path Fixture(const std::string& relative, const std::string& as) {
    fs::copy_file(fs::path(HOZANKI_TEST_DATA) / relative, dir_ / as);
    return dir_ / as;
  }
};

struct ReasonCase {
  const char* what;
  std::function<std::string()> arguments;  // prepares the files, gives the command line
  const char* sentence;                    // the cause, as the Japanese sentence words it
  const char* notSaid;                     // the reason given before, which named the wrong cause
};

TEST_F(CliReasons, RefusalsNameTheirRealCause) {
  const std::vector<ReasonCase> cases = {
      {"a WMA value over 64 KiB",
       [this] {
         return "set " + Quote(Fixture("wma/tagged.wma", "long.wma").string()) +
                " INAM=" + std::string(40000, 'a');
       },
       "INAM の値が長すぎるため保存しません（この形式では 65535 バイトまでです）。", "一致しない"},
      {"a size that is text in apply's JSON",
       [this] {
         const fs::path file = Copy("sjis_id3v2.mp3", "typed.mp3");
         nlohmann::json listing = nlohmann::json::parse(Cli("list --json " + Quote(file.string())).out);
         listing[0]["size"] = std::to_string(listing[0]["size"].get<uint64_t>());
         listing[0]["tags"]["ID3v2"]["INAM_v2"] = "new";
         test::WriteFile(dir_ / "typed.json", listing.dump());
         return "apply " + Quote((dir_ / "typed.json").string());
       },
       "項目「size」の値の型が違います。", "changed since"},
      {"repair on a FIFO",
       [this] {
         ::mkfifo((dir_ / "pipe.mp3").c_str(), 0600);
         return "repair " + Quote((dir_ / "pipe.mp3").string());
       },
       "は通常のファイルではありません", "no such file"},
      {"a RIFF \"data\" chunk running past the end",
       [this] {
         return "set " + Quote(Fixture("mp3/riff_size_past_end.rmp", "past.rmp").string()) + " INAM_rmp=x";
       },
       "「data」がファイルの終わりを越えています", "\x1e"},
  };
  for (const ReasonCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string arguments = c.arguments();
    std::vector<std::pair<fs::path, std::string>> before;
    for (const auto& entry : fs::directory_iterator(dir_))
      if (entry.is_regular_file() && entry.path().filename() != "err")
        before.emplace_back(entry.path(), ReadFile(entry.path()));
    const test::ShellResult r = Cli(arguments);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(c.sentence), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(c.notSaid), std::string::npos) << r.err;
    for (const auto& [path, bytes] : before) EXPECT_EQ(ReadFile(path), bytes) << path;
  }
}

}  // namespace
}  // namespace hozanki
