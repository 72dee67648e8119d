// Runs the write check (WriteCheck.h) over media files as they are, each
// under its own extension: hozanki_write_check FILE|FOLDER...
// Prints every broken invariant and exits 1 when there was one.
#include <sanitizer/common_interface_defs.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "WriteCheck.h"
#include "core/catalogue/TagFile.h"

namespace {

namespace fs = std::filesystem;
std::string current;

void NameInput() {
  std::fprintf(stderr, "write check: the input was %s\n", current.c_str());
}

void OnFileSizeLimit(int) {
  static const char message[] = "write check: a save ran past the file size limit\n";
  (void)!::write(2, message, sizeof message - 1);
  NameInput();
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  __sanitizer_set_death_callback(NameInput);
  std::signal(SIGXFSZ, OnFileSizeLimit);
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
  int failed = 0, checked = 0;
  for (const fs::path& path : files) {
    if (hozanki::TypeFromExtension(path) == hozanki::FileType::Unknown) continue;
    current = path.string();
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string extension = path.extension().string().substr(1);
    std::string problem = hozanki::fuzz::CheckWrite(bytes, extension);
    ++checked;
    if (!problem.empty()) {
      ++failed;
      std::fprintf(stderr, "write check: %s\n%s", current.c_str(), problem.c_str());
    }
  }
  std::printf("write check: %d files, %d broken\n", checked, failed);
  return failed ? 1 : 0;
}
