#pragma once
// Media folders the benchmarks work on, generated in the temporary folder,
// and what they measure besides time.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/catalogue/FolderScan.h"
#include "core/catalogue/MediaFileEntry.h"
#include "core/catalogue/ParallelReader.h"
#include "core/common/AtomicFile.h"

namespace hozanki::bench {

// A folder of this process in the temporary folder: "hozanki-bench-NAME-PID".
inline std::filesystem::path BenchFolder(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("hozanki-bench-" + name + "-" + std::to_string(::getpid()));
}

// `frames` silent MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz (77 frames
// are about two seconds).
inline std::string SilentMp3(int frames) {
  std::string frame(417, '\0');
  frame[0] = '\xFF';
  frame[1] = '\xFB';
  frame[2] = '\x90';
  frame[3] = '\x64';
  std::string bytes;
  bytes.reserve(frame.size() * static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) bytes += frame;
  return bytes;
}

// Writes `count` untagged MP3 files of two seconds, "曲 0.mp3", "曲 1.mp3",
// ..., into `folder`; returns their names.
inline std::vector<std::string> WriteSilentMp3Files(const std::filesystem::path& folder, int count) {
  const std::string bytes = SilentMp3(77);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back("曲 " + std::to_string(i) + ".mp3");
    WriteFileAtomic(folder / names.back(), bytes);
  }
  return names;
}

// BenchFolder(`name`) filled with `count` copies of the fixture with
// Shift_JIS ID3v2 tags (tests/data/mp3/sjis_id3v2.mp3), "曲 00000.mp3",
// "曲 00001.mp3", ...; returns the folder.
inline std::filesystem::path TaggedFixtureFolder(const std::string& name, int count) {
  const std::filesystem::path folder = BenchFolder(name);
  std::filesystem::create_directories(folder);
  const std::filesystem::path source =
      std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/data/mp3/sjis_id3v2.mp3";
  for (int i = 0; i < count; ++i) {
    char file[64];
    std::snprintf(file, sizeof file, "曲 %05d.mp3", i);
    std::filesystem::copy_file(source, folder / file, std::filesystem::copy_options::overwrite_existing);
  }
  return folder;
}

// What `hozanki-cli list` does with a folder: list it, then read the files on
// two threads (one on a single core). Returns the entries in listing order.
inline std::vector<std::optional<MediaFileEntry>> ReadLikeCliList(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files = ListMediaFiles(folder);
  std::vector<std::optional<MediaFileEntry>> rows(files.size());
  unsigned threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
  ReadMediaFiles(
      folder, files, threads,
      [&](size_t i, std::optional<MediaFileEntry>&& e, const std::string&) { rows[i] = std::move(e); });
  return rows;
}

// The resident memory of this process in MiB.
inline double ResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

}  // namespace hozanki::bench
