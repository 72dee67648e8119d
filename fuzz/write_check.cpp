// Runs the write check (WriteCheck.h) over media files as they are, each
// under its own extension: hozanki_write_check FILE|FOLDER...
// Each file is checked in a child process (a runaway write or a sanitizer
// report ends that child only); every broken invariant is printed and the
// exit status is 1 when there was one.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "WriteCheck.h"
#include "core/catalogue/TagFile.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned kSecondsPerFile = 120;

void OnFileSizeLimit(int) {
  static const char message[] = "  a save ran past the file size limit (the file grew without bound)\n";
  (void)!::write(2, message, sizeof message - 1);
  ::_exit(1);
}

// The check of one file, in this (child) process: 0 when it holds.
int CheckOne(const fs::path& path) {
  std::signal(SIGXFSZ, OnFileSizeLimit);
  ::alarm(kSecondsPerFile);
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string problem = hozanki::fuzz::CheckWrite(bytes, path.extension().string().substr(1));
  if (problem.empty()) return 0;
  std::fprintf(stderr, "%s", problem.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    fs::path arg = argv[i];
    if (fs::is_directory(arg)) {
      for (const auto& e : fs::recursive_directory_iterator(arg))
        if (e.is_regular_file()) files.push_back(e.path());
    } else if (fs::is_regular_file(arg)) {
      files.push_back(arg);
    }
  }
  std::sort(files.begin(), files.end());
  int failed = 0, checked = 0;
  for (const fs::path& path : files) {
    if (hozanki::TypeFromExtension(path) == hozanki::FileType::Unknown) continue;
    ++checked;
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
      int status = CheckOne(path);
      std::fflush(nullptr);
      std::exit(status);  // runs the folder's clean-up
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) status = -1;
    if (child > 0) {
      std::error_code ec;
      fs::remove_all(hozanki::fuzz::WorkFolder(child), ec);
    }
    if (status != 0) {
      ++failed;
      std::string how =
          WIFSIGNALED(status) ? std::string(" (ended by signal ") + strsignal(WTERMSIG(status)) + ")" : "";
      std::fprintf(stderr, "write check: broken on %s%s\n", path.c_str(), how.c_str());
    }
  }
  std::printf("write check: %d files, %d broken\n", checked, failed);
  return failed ? 1 : 0;
}
