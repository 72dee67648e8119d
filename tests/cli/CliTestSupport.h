#pragma once
// Helpers for the tests that run hozanki-cli: shell quoting, whole files,
// running a shell command, and a fresh folder per test with a private
// settings folder "config" in it.

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "../core/TempDirTestSupport.h"

namespace hozanki::test {

// `s` as one word for the shell, whatever it holds.
inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// The entry of file `name` in a listing of "list --json" (a failure of the
// test, and an empty entry, when it is not listed).
inline nlohmann::json& FindListed(nlohmann::json& listing, const std::string& name) {
  for (auto& e : listing)
    if (e["name"] == name) return e;
  static nlohmann::json none;
  ADD_FAILURE() << name << " not listed";
  return none;
}

struct ShellResult {
  int status = -1;  // exit status; -1 when it could not run or did not exit
  std::string out;  // standard output
  std::string err;  // standard error, when RunShellWithErrors caught it
};

// Runs `command` with the shell.
inline ShellResult RunShell(const std::string& command) {
  ShellResult r;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return r;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) r.out.append(buffer, n);
  const int status = ::pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// Runs `command` with the shell, its standard error caught in `errFile`.
inline ShellResult RunShellWithErrors(const std::string& command, const std::filesystem::path& errFile) {
  ShellResult r = RunShell(command + " 2>" + Quote(errFile.string()));
  r.err = ReadFile(errFile);
  return r;
}

// TempDirTest with the settings folder "config" made in it.
class CliTempDirTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    std::filesystem::create_directories(dir_ / "config");
  }
};

// CliTempDirTest whose "config" is the settings folder of every command the
// test runs (HOZANKI_CONFIG_DIR).
class CliConfigTest : public CliTempDirTest {
 protected:
  void SetUp() override {
    CliTempDirTest::SetUp();
    ::setenv("HOZANKI_CONFIG_DIR", (dir_ / "config").c_str(), 1);
  }
  // Copies the mp3 test file `fixture` to `as` in the folder.
  std::filesystem::path Copy(const std::string& fixture, const std::filesystem::path& as) {
    std::filesystem::create_directories((dir_ / as).parent_path());
    std::filesystem::copy_file(std::filesystem::path(HOZANKI_TEST_DATA) / "mp3" / fixture, dir_ / as);
    return dir_ / as;
  }
};

}  // namespace hozanki::test
