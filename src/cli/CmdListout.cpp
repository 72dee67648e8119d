// hozanki-cli listout: writes a list of files through a list template.

#include <iostream>

#include "CliArguments.h"
#include "CliCommand.h"
#include "core/catalogue/MediaReader.h"
#include "core/common/IoDepth.h"
#include "core/common/ParallelFor.h"
#include "core/listout/ListEngine.h"
#include "core/listout/ListOutput.h"
#include "core/listout/PickedFile.h"
#include "core/listout/TemplateLibrary.h"
#include "core/settings/SettingsFolder.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "listout TITLE [--base DIR] [--encoding sjis|utf16|utf8] [--output FILE] FILE...\n"
    "                                    write a list of the files through the list template TITLE";

const CliSyntax kSyntax{
    "listout", kUsage, {{"--base", "", true}, {"--encoding", "", true}, {"--output", "", true}}};

int Usage(const std::string& message) {
  return UsageError(kSyntax, message);
}

// An absolute folder as the lists show it, ending in "/".
std::string FolderText(const fs::path& folder) {
  std::string text = fs::absolute(folder).lexically_normal().string();
  if (!IsValidUtf8(text)) text = DecodeCp932(text);
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

int Run(const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(kSyntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.empty() || parsed->operands[0].empty()) return Usage("no template title");
  const std::string& title = parsed->operands[0];
  const std::vector<std::string> files(parsed->operands.begin() + 1, parsed->operands.end());
  const std::string output = parsed->Value("--output").value_or("");
  const std::string encodingName = parsed->Value("--encoding").value_or("sjis");
  BasePath base;
  if (std::optional<std::string> folder = parsed->Value("--base")) base = {true, FolderText(*folder)};
  ListEncoding encoding;
  if (encodingName == "sjis")
    encoding = ListEncoding::ShiftJis;
  else if (encodingName == "utf16")
    encoding = ListEncoding::Utf16;
  else if (encodingName == "utf8")
    encoding = ListEncoding::Utf8;
  else
    return Usage("unknown encoding " + encodingName);

  TemplateLibrary library;
  library.Load(SettingsFolder() / kTemplateFileName);
  if (!library.ReadError().empty()) {
    std::cerr << "hozanki-cli listout: cannot read the template library: " << library.ReadError() << "\n";
    return kExitFailed;
  }
  const int index = library.Find(title);
  if (index < 0) {
    std::cerr << "hozanki-cli listout: no template titled \"" << title << "\"\nTemplates:\n";
    for (const ListTemplate& t : library.Templates()) std::cerr << "  " << t.title << "\n";
    return kExitUsage;
  }

  bool allRead = true;
  std::vector<PickedFile> picked;
  // Read one at a time on a local disk, many at once on a network share.
  auto folderOf = [](const fs::path& path) {
    return path.parent_path().empty() ? fs::path(".") : path.parent_path();
  };
  std::vector<std::optional<MediaFileEntry>> entries(files.size());
  std::vector<std::string> errors(files.size());
  ParallelFor(files.size(), files.size() > 1 ? IoDepthFor(folderOf(fs::path(files.front())), 1) : 1,
              [&](size_t i) {
                const fs::path path(files[i]);
                entries[i] = ReadMediaFile(folderOf(path), path.filename(), &errors[i]);
              });
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string& file = files[i];
    const std::optional<MediaFileEntry>& entry = entries[i];
    const std::string& error = errors[i];
    if (!entry) {
      std::cerr << "hozanki-cli listout: " << file << ": "
                << (error.empty() ? std::string("not a readable media file") : error) << ", left out\n";
      allRead = false;
      continue;
    }
    picked.push_back(MakePickedFile(*entry, FolderText(folderOf(fs::path(file)))));
  }
  const ListTotals totals = UpdateListTotals(picked);
  ListEngine engine(picked, totals, base);
  // The lines as a preview holds them: a value with line breaks spans lines.
  const std::vector<std::string> lines =
      SplitPreviewLines(JoinPreviewLines(engine.Generate(library.Templates()[index].rows, 0)));
  if (output.empty()) {
    for (const std::string& line : lines) std::cout << line << "\n";
  } else {
    std::string error;
    if (!WriteListOutput(output, lines, encoding, &error)) {
      std::cerr << "hozanki-cli listout: " << output << ": " << error << "\n";
      return kExitFailed;
    }
  }
  return allRead ? kExitOk : kExitFailed;
}

const CliCommandRegistration kRegistration({"listout", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
