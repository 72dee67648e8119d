// Runs a fuzz target's entry point over files and folders given on the command
// line, for builds without libFuzzer (the gcc sanitizer build replays the fuzz
// corpus and the fixtures this way). A sanitizer report names the input.
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string current;

void NameInput() {
  std::fprintf(stderr, "replay: the input was %s\n", current.c_str());
}

void OnFileSizeLimit(int) {
  static const char message[] = "replay: a write ran past the file size limit\n";
  (void)!::write(2, message, sizeof message - 1);
  NameInput();
  std::_Exit(1);
}

void Run(const std::filesystem::path& path) {
  current = path.string();
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  __sanitizer_set_death_callback(NameInput);
  std::signal(SIGXFSZ, OnFileSizeLimit);
  // A target's own check fails with __builtin_trap (SIGILL) or abort().
  for (int sig : {SIGILL, SIGABRT, SIGTRAP})
    std::signal(sig, [](int) {
      NameInput();
      std::_Exit(1);
    });
  size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path arg = argv[i];
    if (std::filesystem::is_directory(arg)) {
      for (const auto& e : std::filesystem::recursive_directory_iterator(arg))
        if (e.is_regular_file()) Run(e.path()), ++count;
    } else if (std::filesystem::is_regular_file(arg)) {
      Run(arg), ++count;
    }
  }
  std::printf("%s: %zu inputs\n", std::filesystem::path(argv[0]).filename().c_str(), count);
  return 0;
}
