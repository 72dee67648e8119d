// hozanki-cli reading: the readings of kanji (katakana, hiragana or romaji) as
// a line filter. The user's dictionary of readings in the settings folder
// goes first; a word without a reading stays as written and is reported.

#include <iostream>
#include <memory>

#include "CliArguments.h"
#include "CliCommand.h"
#include "TextFilter.h"
#include "core/settings/ReadingDictionaryFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/text/KanjiReading.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage =
    "reading SCRIPT [--spacing words|none] [--case words|first|lower|upper] [--long-vowels plain|macron|kana]\n"
    "        [--no-user-dictionary]   read the kanji of each line; SCRIPT is katakana, hiragana or romaji";

template <typename T>
struct Choice {
  const char* name;
  T value;
};

template <typename T, size_t N>
std::optional<T> Choose(const Choice<T> (&choices)[N], const std::string& text) {
  for (const Choice<T>& choice : choices)
    if (text == choice.name) return choice.value;
  return std::nullopt;
}

constexpr Choice<ReadingScript> kScripts[] = {
    {"katakana", ReadingScript::Katakana}, {"hiragana", ReadingScript::Hiragana}, {"romaji", ReadingScript::Romaji}};
constexpr Choice<bool> kSpacings[] = {{"words", true}, {"none", false}};
constexpr Choice<RomajiCase> kCases[] = {{"words", RomajiCase::Words},
                                         {"first", RomajiCase::First},
                                         {"lower", RomajiCase::Lower},
                                         {"upper", RomajiCase::Upper}};
constexpr Choice<LongVowels> kLongVowels[] = {
    {"plain", LongVowels::Plain}, {"macron", LongVowels::Macron}, {"kana", LongVowels::Kana}};

int Run(const std::vector<std::string>& args) {
  const CliSyntax syntax{"reading",
                         kUsage,
                         {{"--spacing", "", true},
                          {"--case", "", true},
                          {"--long-vowels", "", true},
                          {"--no-user-dictionary", "", false}},
                         false,
                         true};
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(syntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.size() > 1)
    return UsageError(syntax, "unexpected argument \"" + parsed->operands[1] + "\"");
  ReadingOptions options;
  const std::optional<ReadingScript> script =
      parsed->operands.empty() ? std::nullopt : Choose(kScripts, parsed->operands[0]);
  if (!script) return UsageError(syntax, "SCRIPT must be katakana, hiragana or romaji");
  options.script = *script;
  if (const std::optional<std::string> value = parsed->Value("--spacing")) {
    const std::optional<bool> spacing = Choose(kSpacings, *value);
    if (!spacing) return UsageError(syntax, "--spacing must be words or none");
    options.spaceWords = *spacing;
  }
  if (const std::optional<std::string> value = parsed->Value("--case")) {
    const std::optional<RomajiCase> letterCase = Choose(kCases, *value);
    if (!letterCase) return UsageError(syntax, "--case must be words, first, lower or upper");
    options.letterCase = *letterCase;
  }
  if (const std::optional<std::string> value = parsed->Value("--long-vowels")) {
    const std::optional<LongVowels> longVowels = Choose(kLongVowels, *value);
    if (!longVowels) return UsageError(syntax, "--long-vowels must be plain, macron or kana");
    options.longVowels = *longVowels;
  }

  ReadingDictionary user;
  if (!parsed->Has("--no-user-dictionary")) {
    std::string error;
    const std::filesystem::path file = SettingsFolder() / kReadingDictionaryFileName;
    if (!ReadReadingDictionary(file, user, &error)) {
      std::cerr << "hozanki-cli reading: " << file.string() << ": " << error << "\n";
      return kExitFailed;
    }
  }
  std::string error;
  const std::unique_ptr<KanjiReader> reader = KanjiReader::Open(&error);
  if (!reader) {
    std::cerr << "hozanki-cli reading: " << error << "\n";
    return kExitFailed;
  }

  long long number = 0;
  bool unread = false;
  const int filtered = RunLineFilter("reading", [&](std::string_view line) {
    ++number;
    TextReading reading = reader->Read(line, options, &user);
    for (const std::string& word : reading.unknown) {
      std::cerr << "hozanki-cli reading: line " << number << ": no reading for \"" << word
                << "\" (kept as written)\n";
      unread = true;
    }
    return std::move(reading.text);
  });
  return filtered != kExitOk ? filtered : unread ? kExitFailed : kExitOk;
}

const CliCommandRegistration kRegistration({"reading", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
