#include "core/tools/ProgramStart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace hozanki {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string ResolveProgram(std::string_view program, std::string_view searchPath) {
  if (program.empty()) return {};
  if (program.find('/') != std::string_view::npos) {
    std::string path(program);
    return IsExecutableFile(path) ? path : std::string();
  }
  size_t pos = 0;
  while (pos <= searchPath.size()) {
    size_t end = searchPath.find(':', pos);
    if (end == std::string_view::npos) end = searchPath.size();
    std::string_view folder = searchPath.substr(pos, end - pos);
    pos = end + 1;
    if (folder.empty()) continue;
    std::string candidate(folder);
    if (candidate.back() != '/') candidate += '/';
    candidate.append(program);
    if (IsExecutableFile(candidate)) return candidate;
  }
  return {};
}

std::string ResolveProgram(std::string_view program) {
  const char* path = std::getenv("PATH");
  return ResolveProgram(program, path ? std::string_view(path) : std::string_view("/usr/local/bin:/usr/bin:/bin"));
}

int StartDetached(const ProgramCall& call) {
  const std::string program = ResolveProgram(call.program);
  if (program.empty()) {
    if (call.program.empty()) return ENOENT;
    struct stat info {};
    const std::string given = call.program.find('/') != std::string::npos ? call.program : std::string();
    return !given.empty() && ::stat(given.c_str(), &info) == 0 ? EACCES : ENOENT;
  }
  // Everything the children need is made before the fork: after it only
  // async-signal-safe calls are allowed.
  std::vector<std::string> words{call.program};
  words.insert(words.end(), call.arguments.begin(), call.arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return errno;
  // The child starts a new session and forks the program, then ends at once:
  // the program is nobody's child here, so nothing has to wait for it.
  const pid_t child = ::fork();
  if (child < 0) {
    const int error = errno;
    ::close(report[0]);
    ::close(report[1]);
    return error;
  }
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execv(program.c_str(), argv.data());
      const int error = errno;
      [[maybe_unused]] ssize_t n = ::write(report[1], &error, sizeof error);
      ::_exit(127);
    }
    if (grandchild < 0) {
      const int error = errno;
      [[maybe_unused]] ssize_t n = ::write(report[1], &error, sizeof error);
    }
    ::_exit(0);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // The write end closes when the program has started (close on exec) or
  // carries the reason it did not.
  int error = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace hozanki
