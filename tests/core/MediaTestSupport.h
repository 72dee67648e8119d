#pragma once
// Helpers for tests that read and write media fixtures on temporary copies.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TempDirTestSupport.h"

namespace hozanki::test {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::filesystem::path Mp3Fixture(const std::string& name) {
  return std::filesystem::path(HOZANKI_TEST_DATA) / "mp3" / name;
}

// The MPEG stream every MP3 fixture is built from.
inline const std::string& PlainAudio() {
  static const std::string audio = ReadBytes(Mp3Fixture("plain.mp3"));
  return audio;
}

// True when the file holds the fixture stream exactly once, byte for byte.
inline bool HoldsAudioOnce(const std::filesystem::path& path) {
  std::string bytes = ReadBytes(path);
  size_t first = bytes.find(PlainAudio());
  return first != std::string::npos && bytes.find(PlainAudio(), first + 1) == std::string::npos;
}

// A fresh temporary folder per test, with the fixtures at hand.
class MediaTempDir : public TempDirTest {
 protected:
  // Copies a fixture into the folder; returns its name there.
  std::filesystem::path Copy(const std::string& fixture, const std::string& as = {}) {
    std::filesystem::path name = as.empty() ? fixture : as;
    std::filesystem::copy_file(Mp3Fixture(fixture), dir_ / name);
    return name;
  }
};

}  // namespace hozanki::test
