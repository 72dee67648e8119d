// hozanki-cli apply: the listing of `list --json`, edited, written back in
// one run; files that cannot be applied are refused on their own.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>

#include "CliTestSupport.h"

namespace {

namespace fs = std::filesystem;
using hozanki::test::FindListed;
using hozanki::test::Quote;
using hozanki::test::ReadFile;
using hozanki::test::WriteFile;

using CliRun = hozanki::test::ShellResult;

// Standard output and error together.
CliRun Cli(const std::string& arguments) {
  return hozanki::test::RunShell(std::string(HOZANKI_CLI) + " " + arguments + " 2>&1");
}

class CliApply : public hozanki::test::CliConfigTest {
 protected:
  void SetUp() override {
    CliConfigTest::SetUp();
    fs::create_directories(dir_ / "music");
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
      fs::copy_file(fs::path(HOZANKI_TEST_DATA) / "mp3" / "sjis_id3v2.mp3", dir_ / "music" / name);
  }
  nlohmann::json List() {
    CliRun r = Cli("list --json " + Quote(dir_ / "music"));
    return nlohmann::json::parse(r.out.substr(r.out.find('[')));
  }
  CliRun Apply(const nlohmann::json& listing, const std::string& options = {}) {
    WriteFile(dir_ / "edit.json", listing.dump());
    return Cli("apply " + options + " - < " + Quote(dir_ / "edit.json"));
  }
};

TEST_F(CliApply, EditedValuesAndNamesAreWrittenAndADryRunWritesNothing) {
  nlohmann::json listing = List();
  ASSERT_EQ(listing.size(), 3u);
  FindListed(listing, "a.mp3")["tags"]["ID3v2"]["INAM_v2"] = "新しい題名";
  FindListed(listing, "b.mp3")["tags"]["APE"]["state"] = 1;  // created
  FindListed(listing, "b.mp3")["name"] = "b2.mp3";

  const std::string before = ReadFile(dir_ / "music" / "a.mp3");
  CliRun dry = Apply(listing, "--dry-run");
  EXPECT_EQ(dry.status, 0) << dry.out;
  EXPECT_NE(dry.out.find("ID3v2 INAM_v2"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("新しい題名"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("b2.mp3"), std::string::npos) << dry.out;
  EXPECT_EQ(ReadFile(dir_ / "music" / "a.mp3"), before);
  EXPECT_TRUE(fs::exists(dir_ / "music" / "b.mp3"));

  CliRun r = Apply(listing);
  ASSERT_EQ(r.status, 0) << r.out;
  nlohmann::json now = List();
  EXPECT_EQ(FindListed(now, "a.mp3")["tags"]["ID3v2"]["INAM_v2"], "新しい題名");
  EXPECT_EQ(FindListed(now, "b2.mp3")["tags"]["APE"]["state"], 1);
  EXPECT_FALSE(fs::exists(dir_ / "music" / "b.mp3"));
  EXPECT_EQ(ReadFile(dir_ / "music" / "c.mp3"), ReadFile(fs::path(HOZANKI_TEST_DATA) / "mp3" / "sjis_id3v2.mp3"));

  // Applying the same listing again changes nothing and touches nothing.
  struct stat st {};
  ::stat((dir_ / "music" / "a.mp3").c_str(), &st);
  CliRun again = Apply(now);
  EXPECT_EQ(again.status, 0) << again.out;
  struct stat st2 {};
  ::stat((dir_ / "music" / "a.mp3").c_str(), &st2);
  EXPECT_EQ(st2.st_ctim.tv_nsec, st.st_ctim.tv_nsec);
}

TEST_F(CliApply, BadEntriesAreRefusedOneByOneAndTheRestIsWritten) {
  struct Case {
    const char* name;
    std::function<void(nlohmann::json&, const fs::path&)> spoil;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"a.mp3", [](nlohmann::json& e, const fs::path&) { e["tags"]["ID3v2"]["NOPE_v2"] = "x"; },
       "unknown value name \"NOPE_v2\""},
      {"b.mp3", [](nlohmann::json& e, const fs::path&) { e["tags"]["Vorbis"] = nlohmann::json::object(); },
       "unknown tag kind \"Vorbis\""},
      {"c.mp3",
       [](nlohmann::json& e, const fs::path& file) {
         e["tags"]["ID3v2"]["INAM_v2"] = "late";
         WriteFile(file, ReadFile(file) + "grown");  // changed since listed
       },
       "changed since it was listed (size)"},
  };
  fs::copy_file(fs::path(HOZANKI_TEST_DATA) / "mp3" / "sjis_id3v2.mp3", dir_ / "music" / "d.mp3");
  nlohmann::json listing = List();
  for (const Case& c : cases) c.spoil(FindListed(listing, c.name), dir_ / "music" / c.name);
  FindListed(listing, "d.mp3")["tags"]["ID3v2"]["INAM_v2"] = "ok";
  listing.push_back(nlohmann::json::array());  // not an object
  const std::string a = ReadFile(dir_ / "music" / "a.mp3");
  const std::string c = ReadFile(dir_ / "music" / "c.mp3");

  CliRun r = Apply(listing);
  EXPECT_EQ(r.status, 1);
  for (const Case& k : cases) EXPECT_NE(r.out.find(k.message), std::string::npos) << k.message << "\n" << r.out;
  EXPECT_NE(r.out.find("not an object"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(dir_ / "music" / "a.mp3"), a);
  EXPECT_EQ(ReadFile(dir_ / "music" / "c.mp3"), c);
  nlohmann::json after = List();
  EXPECT_EQ(FindListed(after, "d.mp3")["tags"]["ID3v2"]["INAM_v2"], "ok");

  // A time stamp that moved is a change too.
  nlohmann::json fresh = List();
  FindListed(fresh, "a.mp3")["tags"]["ID3v2"]["INAM_v2"] = "late";
  struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, (dir_ / "music" / "a.mp3").c_str(), times, 0);
  r = Apply(fresh);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("changed since it was listed (time stamp)"), std::string::npos) << r.out;

  // Not JSON at all: nothing written.
  WriteFile(dir_ / "bad.json", "[{\"path\": ");
  r = Cli("apply " + Quote(dir_ / "bad.json"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("not a JSON array"), std::string::npos) << r.out;
}

}  // namespace
