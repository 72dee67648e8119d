// Every command that changes files goes through the one guarded save: an
// apply killed at any step of its renames and writes leaves every file
// under its old or new name with its old or new content once the next run
// has recovered; names of our own temporary files are refused; a file
// another program changed since it was listed is left alone.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <nlohmann/json.hpp>

#include "CliTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/common/SaveJournal.h"
#include "core/rename/RenameBatch.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;
using test::FindListed;
using test::Quote;
using test::ReadFile;
using test::WriteFile;

// Runs `program args...` with the settings folder `config` (and the step
// at which the stepped build ends itself, 0: none); returns the wait status.
int RunCli(const char* program, const fs::path& config, const std::vector<std::string>& args, long stopAt = 0) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("HOZANKI_CONFIG_DIR", config.c_str(), 1);
    if (stopAt > 0) ::setenv("HOZANKI_TEST_STOP_AT", std::to_string(stopAt).c_str(), 1);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program, argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

class CliGuarded : public test::CliConfigTest {
 protected:
  void SetUp() override {
    CliConfigTest::SetUp();
    music_ = dir_ / "music";
    fs::create_directories(music_);
  }
  test::ShellResult Cli(const std::string& arguments) {
    return test::RunShell(std::string(HOZANKI_CLI) + " " + arguments + " 2>&1");
  }
  nlohmann::json List() {
    test::ShellResult r = Cli("list --json " + Quote(music_.string()));
    return nlohmann::json::parse(r.out.substr(r.out.find('[')));
  }
  test::ShellResult Apply(const nlohmann::json& listing) {
    WriteFile(dir_ / "edit.json", listing.dump());
    return Cli("apply " + Quote((dir_ / "edit.json").string()));
  }
  // Files of the music folder by name, our temporary copies left out.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(music_))
      if (!IsTemporaryFileName(e.path().filename().string())) files[e.path().filename().string()] = ReadFile(e.path());
    return files;
  }
  void Put(const std::string& name, const std::string& title) {
    fs::copy_file(fs::path(HOZANKI_TEST_DATA) / "mp3" / "sjis_id3v2.mp3", music_ / name);
    ASSERT_EQ(Cli("set " + Quote((music_ / name).string()) + " INAM_v2=" + Quote(title)).status, 0);
  }
  fs::path music_;
};

TEST_F(CliGuarded, AnApplyKilledAtAnyStepLeavesEveryContentUnderOneExpectedName) {
  // A swap, a cycle of three, a rename with a new title and a title alone.
  struct Move {
    const char* from;
    const char* to;
    const char* title;  // a new title, or none
  };
  const Move moves[] = {{"a.mp3", "b.mp3", ""},      {"b.mp3", "a.mp3", ""},      {"c.mp3", "d.mp3", ""},
                        {"d.mp3", "e.mp3", ""},      {"e.mp3", "c.mp3", ""},      {"f.mp3", "g.mp3", "新しい f"},
                        {"h.mp3", "h.mp3", "新しい h"}};
  std::map<std::string, std::string> old, meant;  // by old name
  for (const Move& m : moves) Put(m.from, std::string("題名 ") + m.from);
  for (const Move& m : moves) old[m.from] = ReadFile(music_ / m.from);
  const fs::path originals = dir_ / "originals";
  fs::create_directories(originals);
  for (const Move& m : moves) fs::copy_file(music_ / m.from, originals / m.from);
  auto reset = [&] {
    for (const auto& e : fs::directory_iterator(music_)) fs::remove(e.path());
    for (const Move& m : moves) fs::copy_file(originals / m.from, music_ / m.from);
  };
  auto edited = [&] {
    nlohmann::json listing = List();
    std::vector<nlohmann::json*> entries;  // found before any name changes
    for (const Move& m : moves) entries.push_back(&FindListed(listing, m.from));
    for (size_t i = 0; i < entries.size(); ++i) {
      (*entries[i])["name"] = moves[i].to;
      if (*moves[i].title) (*entries[i])["tags"]["ID3v2"]["INAM_v2"] = moves[i].title;
    }
    WriteFile(dir_ / "edit.json", listing.dump());
    return (dir_ / "edit.json").string();
  };
  // What each content is meant to become, from a run left alone.
  ASSERT_EQ(WEXITSTATUS(RunCli(HOZANKI_CLI, dir_ / "config", {"apply", edited()})), 0);
  for (const Move& m : moves) meant[m.from] = ReadFile(music_ / m.to);
  ASSERT_NE(meant["f.mp3"], old["f.mp3"]);
  ASSERT_NE(meant["h.mp3"], old["h.mp3"]);

  int aside = 0, journalled = 0, step = 1;
  for (; step < 400; ++step) {
    SCOPED_TRACE("killed after step " + std::to_string(step));
    reset();
    const int status = RunCli(HOZANKI_CLI_STEPPED, dir_ / "config", {"apply", edited()}, step);
    if (!WIFSIGNALED(status)) {
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      break;  // past the last step
    }
    for (const auto& e : fs::directory_iterator(music_)) aside += IsRenameTemporaryName(e.path().filename().string());
    for (const auto& e : fs::directory_iterator(dir_ / "config"))
      journalled += SaveJournal::IsJournalName(e.path().filename().string());

    // The next run recovers first.
    ASSERT_TRUE(WIFEXITED(RunCli(HOZANKI_CLI, dir_ / "config", {"list", music_.string()})));
    EXPECT_FALSE(fs::exists(dir_ / "config" / kRenameLogFileName));
    const std::map<std::string, std::string> files = Files();
    EXPECT_EQ(files.size(), std::size(moves));
    for (const Move& m : moves) {
      int found = 0;
      for (const auto& [name, bytes] : files) {
        if (bytes != old[m.from] && bytes != meant[m.from]) continue;
        ++found;
        EXPECT_TRUE(name == m.from || name == m.to) << m.from << " is under " << name;
      }
      EXPECT_EQ(found, 1) << m.from << " is under " << found << " names";
    }
  }
  EXPECT_GT(step, 10);
  EXPECT_LT(step, 400) << "the apply never ran to its end";
  // The kills hit the moments that matter.
  EXPECT_GT(aside, 0) << "no kill found a file under its temporary name";
  EXPECT_GT(journalled, 0) << "no kill found a journal";
}

TEST_F(CliGuarded, OurTemporaryNamesAreRefusedAsNewNames) {
  Put("a.mp3", "a");
  for (const char* name : {".hozanki-AAAAAAAA.tmp", ".hozanki-Ab3dEf7h.ren"}) {
    nlohmann::json listing = List();
    FindListed(listing, "a.mp3")["name"] = name;
    test::ShellResult r = Apply(listing);
    EXPECT_NE(r.out.find("bad file name"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(music_ / "a.mp3")) << name;
  }
}

TEST_F(CliGuarded, AFileChangedSinceItWasListedIsRefusedEvenWithItsSizeAndTimeKept) {
  Put("a.mp3", "listed title");
  nlohmann::json listing = List();
  ASSERT_TRUE(FindListed(listing, "a.mp3").contains("identity"));
  // Another program's edit in place, keeping size and time stamp (as a save
  // of ours with "TimeStamp" on does).
  const auto size = fs::file_size(music_ / "a.mp3");
  ASSERT_EQ(Cli("set " + Quote((music_ / "a.mp3").string()) + " INAM_v2=" + Quote("other title")).status, 0);
  ASSERT_EQ(fs::file_size(music_ / "a.mp3"), size) << "the other edit was meant to be in place";
  nlohmann::json now = List();
  ASSERT_EQ(FindListed(listing, "a.mp3")["timestamp"], FindListed(now, "a.mp3")["timestamp"]);
  const std::string changed = ReadFile(music_ / "a.mp3");

  FindListed(listing, "a.mp3")["tags"]["ID3v2"]["IART_v2"] = "an artist";
  test::ShellResult r = Apply(listing);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("changed since it was listed (identity)"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(music_ / "a.mp3"), changed);

  // A listing of an older version (no identity) is still applied, with a
  // warning that such changes go unnoticed.
  nlohmann::json older = List();
  FindListed(older, "a.mp3").erase("identity");
  FindListed(older, "a.mp3")["tags"]["ID3v2"]["IART_v2"] = "an artist";
  r = Apply(older);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("older version"), std::string::npos) << r.out;
  now = List();
  EXPECT_EQ(FindListed(now, "a.mp3")["tags"]["ID3v2"]["IART_v2"], "an artist");
}

TEST_F(CliGuarded, ATagRemovedAndChangedAtOnceIsRefused) {
  Put("a.mp3", "a");
  const std::string before = ReadFile(music_ / "a.mp3");
  nlohmann::json listing = List();
  nlohmann::json& v2 = FindListed(listing, "a.mp3")["tags"]["ID3v2"];
  ASSERT_EQ(v2["state"], 1);
  v2["state"] = 0;
  v2["INAM_v2"] = "changed";
  test::ShellResult r = Apply(listing);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("removed (state 0) and changed at once"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(music_ / "a.mp3"), before);
}

}  // namespace
}  // namespace hozanki
