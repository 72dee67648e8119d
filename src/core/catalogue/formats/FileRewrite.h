#pragma once
// Rewriting a media file from pieces: new bytes (tags) and byte ranges copied
// unchanged from the original (the audio). The result goes to a temporary
// file beside the original (a fresh "NAME.hozanki-XXXXXX"), is flushed, and
// renamed over it, so a crash leaves either the old or the new file.
// Permissions are kept; a read-only file is refused; through a symbolic link
// the file it points to is rewritten.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace hozanki {

class FileRewrite {
 public:
  explicit FileRewrite(std::filesystem::path source) : source_(std::move(source)) {}

  void AddBytes(std::string bytes);
  // A range of the original file, copied byte for byte.
  void AddRange(uint64_t offset, uint64_t length);

  // Writes the new file and replaces the original. False with `error` set on
  // failure; the original is then untouched.
  bool Commit(std::string* error);

 private:
  struct Piece {
    std::string bytes;
    uint64_t offset = 0;
    uint64_t length = 0;
    bool fromSource = false;
  };
  std::filesystem::path source_;
  std::vector<Piece> pieces_;
};

}  // namespace hozanki
