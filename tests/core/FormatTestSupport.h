#pragma once
// Helpers for the format tests: temporary copies of fixtures, payload hashes
// and other programs' view of a file (ffprobe).

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "core/common/AtomicFile.h"

namespace hozanki::test {

inline std::filesystem::path Fixture(const std::string& relative) {
  return std::filesystem::path(HOZANKI_TEST_DATA) / relative;
}

// A fresh copy of a fixture in a temporary folder, under `name` when given.
inline std::filesystem::path TempCopy(const std::string& relative, const std::string& name = {}) {
  static int counter = 0;
  auto folder = std::filesystem::temp_directory_path() /
                ("hozanki-formats-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  std::filesystem::create_directories(folder);
  auto target = folder / (name.empty() ? Fixture(relative).filename().string() : name);
  std::filesystem::copy_file(Fixture(relative), target, std::filesystem::copy_options::overwrite_existing);
  return target;
}

inline std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    ::pclose(pipe);
  }
  return out;
}

inline std::string Quote(const std::filesystem::path& p) {
  std::string q = "'";
  for (char c : p.string()) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// MD5 of every stream's packets as ffmpeg demuxes them (no decoding): the
// audio and video data, whatever the container's tag bytes are.
inline std::string StreamHash(const std::filesystem::path& p) {
  return RunCommand("ffmpeg -v error -i " + Quote(p) + " -map 0 -c copy -f md5 - 2>/dev/null");
}

// The container and stream tags ffprobe reads, keys in lower case.
inline std::map<std::string, std::string> ProbeTags(const std::filesystem::path& p) {
  std::string out = RunCommand("ffprobe -v error -show_entries format_tags:stream_tags -of default=nw=1 " + Quote(p));
  std::map<std::string, std::string> tags;
  size_t pos = 0;
  while (pos < out.size()) {
    size_t end = out.find('\n', pos);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(pos, end - pos);
    pos = end + 1;
    if (line.rfind("TAG:", 0) != 0) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(4, eq - 4);
    for (auto& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    tags[key] = line.substr(eq + 1);
  }
  return tags;
}

inline std::string FileBytes(const std::filesystem::path& p) {
  std::string bytes;
  ReadWholeFile(p, bytes);
  return bytes;
}

}  // namespace hozanki::test
