#include "WriteCheck.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/catalogue/TagFile.h"

namespace hozanki::fuzz {
namespace {

namespace fs = std::filesystem;

struct Planned {
  std::string name;
  std::string before;  // the value as the file had it
  bool takes = true;   // false: the file has no tag of this kind, the value must stay as it was
};

constexpr std::string_view kValue = "試験ABC";  // code page 932 fits; UTF-16 in Unicode frames

std::vector<Planned> Plan(const TagFile& tag) {
  if (tag.Type() != FileType::MP3) return {{"INAM", tag.GetValue("INAM")}};
  uint32_t mask = tag.TagMask();
  std::vector<Planned> plan = {{"INAM_v2", {}, (mask & kMaskID3v2) != 0},
                               {"IART_v1", {}, (mask & kMaskID3v1) != 0},
                               {"ICMT_rmp", {}, (mask & kMaskRIFF) != 0},
                               {"INAM_APE", {}, (mask & kMaskAPE) != 0}};
  for (Planned& p : plan) p.before = tag.GetValue(p.name);
  return plan;
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder of this process's own, in memory when /dev/shm is there (every
// save syncs its file), removed at exit.
const fs::path& Folder() {
  static const fs::path folder = [] {
    std::error_code ec;
    fs::path f = WorkFolder(::getpid());
    fs::remove_all(f, ec);
    fs::create_directories(f);
    return f;
  }();
  static const bool cleanup = [] {
    return std::atexit([] {
             std::error_code ec;
             fs::remove_all(folder, ec);
           }) == 0;
  }();
  (void)cleanup;
  return folder;
}

// Sets RLIMIT_FSIZE for the lifetime of the object.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(uint64_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = old_.rlim_max == RLIM_INFINITY || bytes < old_.rlim_max ? bytes : old_.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }

 private:
  rlimit old_{};
};

}  // namespace

std::filesystem::path WorkFolder(int pid) {
  std::error_code ec;
  fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
  return base / ("hozanki-write-check-" + std::to_string(pid));
}

std::string_view PickExtension(uint8_t selector, const std::vector<std::string_view>& extensions) {
  return extensions[selector % extensions.size()];
}

std::string CheckWrite(std::string_view bytes, std::string_view extension) {
  const fs::path& folder = Folder();
  for (const auto& e : fs::directory_iterator(folder)) fs::remove_all(e.path());
  fs::path file = folder / ("input." + std::string(extension));
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  std::unique_ptr<TagFile> tag = OpenTagFile(file);
  if (!tag) return {};  // refused on reading: nothing to write
  for (const char* name : {"TIME", "AFMT", "VFMT", "IART", "INAM_v2", "IART_v1"}) tag->GetValue(name);
  std::vector<Planned> plan = Plan(*tag);
  uint64_t allowed = bytes.size() + kGrowthMargin;
  for (const Planned& p : plan) {
    tag->SetValue(p.name, kValue);
    allowed += 2 * kValue.size() + 2;
  }

  std::string error;
  bool saved;
  {
    FileSizeLimit limit(allowed + 1);
    saved = tag->Save(&error);
  }
  tag.reset();

  std::string problem;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path() != file) problem += "left behind: " + e.path().filename().string() + "\n";
  std::string after = Slurp(file);
  if (after.size() > allowed)
    problem +=
        "grew from " + std::to_string(bytes.size()) + " to " + std::to_string(after.size()) + " bytes\n";
  if (!saved) {
    if (after != bytes) problem += "save failed (" + error + ") but the file changed\n";
    return problem;
  }
  std::string reopenError;
  std::unique_ptr<TagFile> again = OpenTagFile(file, &reopenError);
  if (!again) return problem + "saved, but does not open again: " + reopenError + "\n";
  for (const Planned& p : plan) {
    std::string expected = p.takes ? std::string(kValue) : p.before;
    std::string got = again->GetValue(p.name);
    if (got != expected) problem += p.name + " reads \"" + got + "\", expected \"" + expected + "\"\n";
  }
  return problem;
}

int FuzzWrite(const uint8_t* data, size_t size, const std::vector<std::string_view>& extensions) {
  if (size < 1) return 0;
  std::string_view extension = PickExtension(data[0], extensions);
  std::string problem =
      CheckWrite(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), extension);
  if (!problem.empty()) {
    std::fprintf(stderr, "write check failed on .%.*s:\n%s", static_cast<int>(extension.size()),
                 extension.data(), problem.c_str());
    __builtin_trap();
  }
  return 0;
}

}  // namespace hozanki::fuzz
