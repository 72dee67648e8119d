// Exit statuses and where messages go, for every command: 0 done; 1 a file
// could not be handled; 2 a usage error or a request the rules refuse, with
// nothing touched. Messages go to standard error, results alone to standard
// output.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "CliTestSupport.h"
#include "core/text/ConvertText.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

using test::Quote;
using test::ReadFile;

class CliStatus : public test::CliConfigTest {
 protected:
  void TearDown() override {
    if (immutable_) std::system(("chattr -i " + Quote(immutable_->string()) + " 2>/dev/null").c_str());
    CliConfigTest::TearDown();
  }
  // Runs hozanki-cli with `arguments` (already quoted) and `input` on standard input.
  test::ShellResult Cli(const std::string& arguments, const std::string& input = "") {
    test::WriteFile(dir_ / "in", input);
    return test::RunShellWithErrors(
        Quote(HOZANKI_CLI) + " " + arguments + " <" + Quote((dir_ / "in").string()), dir_ / "err");
  }
  std::optional<fs::path> immutable_;
};

struct StatusCase {
  const char* what;
  std::string arguments;  // after "hozanki-cli"; FILE, JUNK and MISSING stand for paths
  int status;
  bool output;  // the command writes results to standard output
};

TEST_F(CliStatus, EveryCommandAnswersWithItsStatusAndMessagesOnStandardError) {
  const fs::path file = Copy("sjis_id3v2.mp3", "a.mp3");
  test::WriteFile(dir_ / "junk.mp3", "not audio at all");
  const std::string before = ReadFile(file);
  const std::vector<StatusCase> cases = {
      // Usage errors, the same for every command through the one parser.
      {"no command", "", 2, false},
      {"unknown command", "bogus", 2, false},
      {"unknown option", "list --bogus FILE", 2, false},
      {"unknown single-dash option", "apply -x", 2, false},
      {"option without its value", "listout T --output", 2, false},
      {"missing operand", "rename --dry-run", 2, false},
      {"extra operand", "convert lower upper", 2, false},
      {"unknown kind", "convert lowercase", 2, false},
      {"kind out of range", "convert 14", 2, false},
      {"not UTF-8", "regexp " + Quote("s/a/\xff/"), 2, false},
      {"unknown subcommand", "template bogus", 2, false},
      {"set without values", "set FILE", 2, false},
      {"set value without a name", "set FILE =x", 2, false},
      // Requests the rules refuse: the file is not touched.
      {"unknown value name", "set FILE NOPE_v2=x", 2, false},
      {"unknown tag kind", "set FILE --remove NOPE", 2, false},
      {"kind excluded by the file's tags", "set FILE IART_rmp=x", 2, false},
      {"value of a kind being removed", "set FILE INAM_v2=x --remove ID3v2", 2, false},
      {"value the tag cannot hold", "set FILE IART_v1=é", 2, false},
      {"file that names nothing", "set MISSING INAM_v2=x", 2, false},
      {"title that names nothing", "compound Nothing", 2, false},
      // A file that could not be handled.
      {"set on a file that is no media", "set JUNK INAM_v2=x", 1, false},
      {"list of a file that is no media", "list JUNK", 1, false},
      {"repair of a file that is no media", "repair --dry-run JUNK", 1, false},
      {"pattern title that names nothing", "rename T JUNK", 2, false},
      // Done.
      {"help of a command", "convert --help", 0, true},
      {"convert by name", "convert upper", 0, true},
      {"convert by number", "convert 1", 0, true},
      {"list", "list FILE", 0, true},
      {"set with nothing to change", "set FILE IART_v2=松任谷由実", 0, false},
  };
  for (const StatusCase& c : cases) {
    std::string arguments = c.arguments;
    for (const auto& [token, path] : {std::pair<std::string, fs::path>{"FILE", file},
                                      {"JUNK", dir_ / "junk.mp3"},
                                      {"MISSING", dir_ / "missing.mp3"}})
      for (size_t at; (at = arguments.find(token)) != std::string::npos;)
        arguments.replace(at, token.size(), Quote(path.string()));
    const test::ShellResult r = Cli(arguments, "abc\n");
    EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.err;
    if (c.output)
      EXPECT_FALSE(r.out.empty()) << c.what;
    else
      EXPECT_EQ(r.out, "") << c.what;
    // Every failure says why, on standard error, naming the program.
    if (c.status != 0)
      EXPECT_TRUE(r.err.starts_with("hozanki-cli") || r.err.starts_with("Usage")) << c.what << "\n" << r.err;
    if (c.status == 0 && c.output) EXPECT_EQ(r.err, "") << c.what;
  }
  EXPECT_EQ(ReadFile(file), before);
  EXPECT_EQ(ReadFile(dir_ / "junk.mp3"), "not audio at all");
}

// A write that fails is a file that could not be handled (1), never a usage
// error, and the file keeps its bytes.
TEST_F(CliStatus, AFailedWriteIsStatusOne) {
  const fs::path file = Copy("sjis_id3v2.mp3", "a.mp3");
  const std::string before = ReadFile(file);
  if (std::system(("chattr +i " + Quote(file.string()) + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "this file system cannot make a file immutable";
  immutable_ = file;
  const test::ShellResult r = Cli("set " + Quote(file.string()) + " INAM_v2=new");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("hozanki-cli set: " + file.string() + ": "), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(file), before);
}

// The help lists every kind by name and number; a name converts as its number.
TEST_F(CliStatus, ConvertTakesEveryKindByNameAndByNumber) {
  const test::ShellResult help = Cli("convert --help");
  const std::string input = "  aB cD ｶﾞか カＸ１  x\n";
  for (const ConvertKindInfo& info : ConvertKindTable()) {
    const std::string number = std::to_string(info.number);
    EXPECT_NE(help.out.find(std::string(info.cliName) + " (" + number + ") " + std::string(info.caption)),
              std::string::npos)
        << info.cliName;
    const test::ShellResult byName = Cli("convert " + std::string(info.cliName), input);
    EXPECT_EQ(byName.status, 0);
    EXPECT_EQ(byName.out, ConvertText(info.kind, input.substr(0, input.size() - 1)) + "\n") << info.cliName;
    EXPECT_EQ(Cli("convert " + number, input).out, byName.out) << info.cliName;
  }
}

}  // namespace
}  // namespace hozanki
