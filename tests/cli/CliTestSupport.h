#pragma once
// Helpers for the tests that run hozanki-cli: shell quoting, whole files, and
// a fresh folder per test with a private settings folder "config" in it.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

// TempDirTest with the settings folder "config" made in it.
class CliTempDirTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    std::filesystem::create_directories(dir_ / "config");
  }
};

}  // namespace hozanki::test
