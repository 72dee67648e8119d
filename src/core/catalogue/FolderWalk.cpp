#include "core/catalogue/FolderWalk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

namespace hozanki {
namespace {

void Walk(const std::filesystem::path& root, const std::filesystem::path& relative, bool recursive,
          std::set<std::pair<dev_t, ino_t>>& seen, std::vector<std::filesystem::path>& out) {
  std::filesystem::path dir = relative.empty() ? root : root / relative;
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || !seen.insert({st.st_dev, st.st_ino}).second) return;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  std::vector<std::string> files, folders;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
      struct stat es {};
      if (::stat((dir / name).c_str(), &es) != 0) continue;
      type = S_ISDIR(es.st_mode) ? DT_DIR : S_ISREG(es.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    if (type == DT_DIR)
      folders.push_back(std::move(name));
    else if (type == DT_REG)
      files.push_back(std::move(name));
  }
  ::closedir(d);
  std::sort(files.begin(), files.end(), FolderNameLess);
  for (const std::string& f : files)
    out.push_back(relative.empty() ? std::filesystem::path(f) : relative / f);
  if (!recursive) return;
  std::sort(folders.begin(), folders.end(), FolderNameLess);
  for (const std::string& f : folders)
    Walk(root, relative.empty() ? std::filesystem::path(f) : relative / f, true, seen, out);
}

}  // namespace

bool FolderNameLess(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i]));
    int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

std::vector<std::filesystem::path> ListFolderFiles(const std::filesystem::path& folder, bool recursive) {
  std::vector<std::filesystem::path> out;
  std::set<std::pair<dev_t, ino_t>> seen;
  Walk(folder, {}, recursive, seen, out);
  return out;
}

}  // namespace hozanki
