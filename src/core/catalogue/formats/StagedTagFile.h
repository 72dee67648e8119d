#pragma once
// Shared base of the non-MP3 formats: the values are read once when the file
// is opened (no file handle is kept), SetValue stages changes, and Save
// writes only the values whose text differs from what the file holds, on a
// temporary copy beside the file that is then renamed over it. A crash
// therefore leaves either the old or the new file.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "core/catalogue/TagFile.h"

namespace hozanki {

class StagedTagFile : public TagFile {
 public:
  FileType Type() const override { return type_; }
  std::string GetValue(std::string_view name) const override;
  void SetValue(std::string_view name, std::string_view value) override;
  bool Save(std::string* error) override;

  // Reads the file (magic bytes first); false with `error` set when it is not
  // a readable file of this format.
  bool Open(const std::filesystem::path& path, std::string* error);

 protected:
  using ValueMap = std::map<std::string, std::string, std::less<>>;

  explicit StagedTagFile(FileType type) : type_(type) {}

  // Fills `values` (tag values and "TIME", "AFMT", "VFMT") from the file.
  virtual bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) = 0;
  // Whether a value name can be set for this format.
  virtual bool IsWritable(std::string_view name) const = 0;
  // Writes `changes` (name -> new text, "" = remove) into `copy`, a
  // temporary copy of the file; `current` holds the values as read.
  virtual bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
                     std::string* error) = 0;

  const std::filesystem::path& Path() const { return path_; }

 private:
  FileType type_;
  std::filesystem::path path_;
  ValueMap values_;
  ValueMap staged_;
};

// Copies `path` to a temporary file beside it, lets `edit` change the copy,
// flushes it to disk and renames it over `path`. On any failure the original
// is untouched and the copy removed.
template <typename Edit>
bool RewriteThroughCopy(const std::filesystem::path& path, std::string* error, Edit&& edit);

bool CopyForRewrite(const std::filesystem::path& path, std::filesystem::path& copy, std::string* error);
bool CommitRewrite(const std::filesystem::path& copy, const std::filesystem::path& path, std::string* error);
void DiscardRewrite(const std::filesystem::path& copy);

template <typename Edit>
bool RewriteThroughCopy(const std::filesystem::path& path, std::string* error, Edit&& edit) {
  std::filesystem::path copy;
  if (!CopyForRewrite(path, copy, error)) return false;
  if (!edit(copy)) {
    DiscardRewrite(copy);
    return false;
  }
  return CommitRewrite(copy, path, error);
}

}  // namespace hozanki
