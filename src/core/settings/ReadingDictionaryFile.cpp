#include "core/settings/ReadingDictionaryFile.h"

#include "core/common/AtomicFile.h"
#include "core/settings/DataFileRecovery.h"

namespace hozanki {

bool ReadReadingDictionary(const std::filesystem::path& dataFile, ReadingDictionary& dictionary,
                           std::string* error) {
  dictionary = {};
  if (IsMissingFile(dataFile)) return true;
  std::string bytes;
  if (!ReadWholeFile(dataFile, bytes, error)) return false;
  dictionary = ReadingDictionary::Parse(bytes);
  return true;
}

int LearnReadings(const std::filesystem::path& dataFile, const std::vector<ReadingCorrection>& corrections,
                  ReadingDictionary& dictionary, std::string* error) {
  ReadingDictionary stored;
  if (!ReadReadingDictionary(dataFile, stored, error)) return -1;
  int learned = 0;
  for (const ReadingCorrection& correction : corrections) {
    const std::optional<std::string> katakana = LearnableReading(correction.reading);
    if (!katakana || correction.name.empty()) continue;
    if (stored.Set(correction.name, *katakana)) ++learned;
  }
  if (learned > 0) {
    ReplaceOptions options;
    options.temporaryName = RecoveryCopyOf(dataFile).filename().string();
    options.keepIdentity = false;
    if (!WriteFileAtomic(dataFile, stored.Serialise(), error, options)) return -1;
  }
  dictionary = std::move(stored);
  return learned;
}

}  // namespace hozanki
