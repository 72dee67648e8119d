#include "core/catalogue/TagFile.h"

#include "core/catalogue/FormatOpeners.h"

namespace hozanki {

StoredForm TagFile::StoredFormOf(std::string_view) const {
  const TagKind kind = TagKindsOf(FormatOfType(Type())).front();
  return Describe(kind).legacyText ? StoredForm::kLegacyBytes : StoredForm::kUnicode;
}

bool TagFile::RemoveTag(Mp3Tag, std::string* error) {
  if (error) *error = "only MP3 files carry several tag kinds";
  return false;
}

bool TagFile::CreateTag(Mp3Tag, std::string* error) {
  if (error) *error = "only MP3 files carry several tag kinds";
  return false;
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

std::unique_ptr<TagFile> OpenTagFile(const std::filesystem::path& path, std::string* error) {
  const FileType type = TypeFromExtension(path);
  const FormatOpener open = OpenerOf(type);
  if (!open) {
    if (error) *error = "not a supported media file";
    return nullptr;
  }
  return open(type, path, error);
}

}  // namespace hozanki
