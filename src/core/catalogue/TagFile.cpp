#include "core/catalogue/TagFile.h"

#include "core/catalogue/FormatOpeners.h"
#include "core/common/Failure.h"

namespace hozanki {

StoredForm TagFile::StoredFormOf(std::string_view) const {
  const TagKind kind = TagKindsOf(FormatOfType(Type())).front();
  return Describe(kind).legacyText ? StoredForm::kLegacyBytes : StoredForm::kUnicode;
}

bool TagFile::RemoveTag(Mp3Tag, std::string* error) {
  return FailWith(error, {FailureKind::kInternal, "", "", 0, 0, 0, "only MP3 files carry several tag kinds"});
}

bool TagFile::CreateTag(Mp3Tag, std::string* error) {
  return FailWith(error, {FailureKind::kInternal, "", "", 0, 0, 0, "only MP3 files carry several tag kinds"});
}

bool TagFile::RemoveTagOnSave(Mp3Tag kind, std::string* error) {
  return TagFile::RemoveTag(kind, error);
}

bool TagFile::CreateTagOnSave(Mp3Tag kind, std::string* error) {
  return TagFile::CreateTag(kind, error);
}

FileType TypeFromExtension(const std::filesystem::path& path) {
  return TypeOfExtension(path.extension().string());
}

namespace {
thread_local const HeldOpenFile* innermostHeld = nullptr;
}  // namespace

HeldOpenFile::HeldOpenFile(std::filesystem::path path, int fd)
    : path_(std::move(path)), fd_(fd), outer_(innermostHeld) {
  innermostHeld = this;
}

HeldOpenFile::~HeldOpenFile() {
  innermostHeld = outer_;
}

int HeldOpenFile::HeldDescriptor(const std::filesystem::path& path) {
  for (const HeldOpenFile* held = innermostHeld; held; held = held->outer_)
    if (held->path_ == path) return held->fd_;
  return -1;
}

std::unique_ptr<TagFile> OpenTagFile(const std::filesystem::path& path, std::string* error) {
  const FileType type = TypeFromExtension(path);
  const FormatOpener open = OpenerOf(type);
  if (!open) {
    FailWith(error, PathFailure(FailureKind::kNotMediaFile, path.string()));
    return nullptr;
  }
  return open(type, path, error);
}

}  // namespace hozanki
