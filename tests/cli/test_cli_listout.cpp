#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// Runs hozanki-cli with a private settings folder; stdout only.
class CliListoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("hozanki-cli-lst-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "config");
    fs::create_directories(dir_ / "media");
  }
  void TearDown() override { fs::remove_all(dir_); }

  Result Run(const std::vector<std::string>& args) {
    std::string command = "HOZANKI_CONFIG_DIR=" + Quote((dir_ / "config").string()) + " " + Quote(HOZANKI_CLI);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " 2>" + Quote((dir_ / "stderr.txt").string());
    Result r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.out.append(buffer, n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }
  std::string Stderr() const { return ReadFile(dir_ / "stderr.txt"); }

  fs::path dir_;
};

TEST_F(CliListoutTest, TemplateImportThenExportRoundTrips) {
  const fs::path text = dir_ / "m3u.txt";
  WriteFile(text, "#EXTM3U\r\n%LOOP_START%\r\n%F_FULL%%F_FILE%\r\n%LOOP_END%\r\n");
  Result r = Run({"template", "import", text.string(), "--name", "M3U", "--ext", "m3u"});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_EQ(ReadFile(dir_ / "config" / "NR284Lst.dat"),
            "[Total]\r\nVersion=101\r\nCount=1\r\n[Lst0]\r\nTitle=M3U(m3u)\r\nCount=4\r\nItem-0=1100,#EXTM3U/\r\n"
            "Item-1=9108,/\r\nItem-2=9111,/\r\nItem-3=9100,/\r\n");
  r = Run({"template", "export", "M3U(m3u)"});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_EQ(r.out, "#EXTM3U\n%LOOP_START%\n%F_FULL%%F_FILE%\n%LOOP_END%\n");
  r = Run({"template", "export", "M3U(m3u)", "--output", (dir_ / "out.txt").string()});
  ASSERT_EQ(r.status, 0) << Stderr();
  EXPECT_EQ(ReadFile(dir_ / "out.txt"), ReadFile(text));
  // A second import appends.
  ASSERT_EQ(Run({"template", "import", text.string(), "--name", "Again"}).status, 0);
  EXPECT_NE(ReadFile(dir_ / "config" / "NR284Lst.dat").find("[Lst1]\r\nTitle=Again\r\n"), std::string::npos);
}

TEST_F(CliListoutTest, TemplateUsageErrors) {
  EXPECT_EQ(Run({"template"}).status, 2);
  EXPECT_EQ(Run({"template", "export", "missing"}).status, 2);
  EXPECT_NE(Stderr().find("Templates:"), std::string::npos);
  EXPECT_EQ(Run({"template", "import", (dir_ / "t.txt").string()}).status, 2);  // no --name
  EXPECT_EQ(Run({"template", "import", (dir_ / "none.txt").string(), "--name", "x"}).status, 1);
  EXPECT_FALSE(fs::exists(dir_ / "config" / "NR284Lst.dat"));
  WriteFile(dir_ / "empty.txt", "");
  EXPECT_EQ(Run({"template", "import", (dir_ / "empty.txt").string(), "--name", "x"}).status, 1);
  EXPECT_NE(Stderr().find("リスト情報が未入力です"), std::string::npos);
}

}  // namespace
