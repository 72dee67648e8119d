#pragma once
// The data file "NR284Yomi.dat": the user's own readings of names, one
// "NAME<TAB>READING" a line in UTF-8, the reading in katakana. Read before
// the analyser when readings are filled in, and grown by the corrections the
// user makes in the reading preview. Written atomically through the recovery
// copy like the other data files.

#include <filesystem>
#include <string>
#include <vector>

#include "core/text/KanjiReading.h"

namespace hozanki {

inline constexpr const char* kReadingDictionaryFileName = "NR284Yomi.dat";

// Reads the file (a missing file gives an empty dictionary); false with
// `error` set when it exists but cannot be read.
bool ReadReadingDictionary(const std::filesystem::path& dataFile, ReadingDictionary& dictionary,
                           std::string* error = nullptr);

// A correction of the preview: the text read and the reading the user gave.
struct ReadingCorrection {
  std::string name;
  std::string reading;  // as typed: katakana or hiragana
};

// Learns the corrections whose reading is kana (romaji tells nothing about
// the kana and is skipped): the file is read again, the names set and the
// file written back; `dictionary` becomes what the file now holds. Returns
// how many names were learned, or -1 with `error` set when the file could
// not be read or written (it is then left as it was).
int LearnReadings(const std::filesystem::path& dataFile, const std::vector<ReadingCorrection>& corrections,
                  ReadingDictionary& dictionary, std::string* error = nullptr);

}  // namespace hozanki
