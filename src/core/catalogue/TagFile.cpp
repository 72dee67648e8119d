#include "core/catalogue/TagFile.h"

#include <algorithm>
#include <cctype>

#include "core/catalogue/formats/Mp3Format.h"
#include "core/catalogue/formats/OtherFormats.h"

namespace hozanki {

StoredForm TagFile::StoredFormOf(std::string_view) const {
  FileType type = Type();
  return type == FileType::WAV || type == FileType::AVI || type == FileType::VQF ? StoredForm::kLegacyBytes
                                                                                : StoredForm::kUnicode;
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
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == ".mp3" || ext == ".mp2" || ext == ".mp1" || ext == ".rmp") return FileType::MP3;
  if (ext == ".wav") return FileType::WAV;
  if (ext == ".avi") return FileType::AVI;
  if (ext == ".vqf") return FileType::VQF;
  if (ext == ".wma" || ext == ".wmv" || ext == ".asf") return FileType::WMA;
  if (ext == ".ogg" || ext == ".oga") return FileType::OGG;
  if (ext == ".ape") return FileType::APE;
  if (ext == ".mp4" || ext == ".m4a" || ext == ".m4v" || ext == ".m4b") return FileType::MP4;
  return FileType::Unknown;
}

std::unique_ptr<TagFile> OpenTagFile(const std::filesystem::path& path, std::string* error) {
  FileType type = TypeFromExtension(path);
  switch (type) {
    case FileType::Unknown:
      if (error) *error = "not a supported media file";
      return nullptr;
    case FileType::MP3:
      return OpenMp3Format(path, error);
    default:
      return OpenOtherFormat(type, path, error);
  }
}

}  // namespace hozanki
