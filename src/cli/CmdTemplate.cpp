// hozanki-cli template export|import: list templates as %-token text.

#include <iostream>

#include "CliArguments.h"
#include "CliCommand.h"
#include "core/listout/TemplateLibrary.h"
#include "core/listout/TemplateText.h"
#include "core/settings/SettingsFolder.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage =
    "template export TITLE [--output FILE]         write a list template as text\n"
    "  template import FILE --name NAME [--ext EXT]  add a template read from text to the library";

const CliSyntax kExportSyntax{"template", kUsage, {{"--output", "", true}}};
const CliSyntax kImportSyntax{"template", kUsage, {{"--name", "", true}, {"--ext", "", true}}};

int Usage(const std::string& message) {
  return UsageError(kExportSyntax, message);
}

// The library, or an explanation on standard error when its file exists but
// cannot be read.
bool LoadLibrary(TemplateLibrary& library, const std::filesystem::path& path) {
  library.Load(path);
  if (library.ReadError().empty()) return true;
  std::cerr << "hozanki-cli template: cannot read the template library: " << library.ReadError() << "\n";
  return false;
}

void ListTitles(const TemplateLibrary& library) {
  std::cerr << "Templates:";
  if (library.Templates().empty()) std::cerr << " (none)";
  std::cerr << "\n";
  for (const ListTemplate& t : library.Templates()) std::cerr << "  " << t.title << "\n";
}

int Export(const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(kExportSyntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.size() > 1) return Usage("more than one title");
  if (parsed->operands.empty() || parsed->operands[0].empty()) return Usage("no title");
  const std::string& title = parsed->operands[0];
  const std::string output = parsed->Value("--output").value_or("");
  TemplateLibrary library;
  if (!LoadLibrary(library, SettingsFolder() / kTemplateFileName)) return kExitFailed;
  const int index = library.Find(title);
  if (index < 0) {
    std::cerr << "hozanki-cli template: no template titled \"" << title << "\"\n";
    ListTitles(library);
    return kExitUsage;
  }
  const std::vector<std::string> lines = ExportTemplate(library.Templates()[index].rows);
  if (output.empty()) {
    for (const std::string& line : lines) std::cout << line << "\n";
    return kExitOk;
  }
  std::string error;
  if (!WriteTemplateFile(output, lines, &error)) {
    std::cerr << "hozanki-cli template: cannot write " << output << ": " << error << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

int Import(const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(kImportSyntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.size() > 1) return Usage("more than one file");
  if (parsed->operands.empty() || parsed->operands[0].empty()) return Usage("no file");
  if (!parsed->Has("--name")) return Usage("--name is required");
  const std::string& file = parsed->operands[0];
  const std::string name = *parsed->Value("--name");
  const std::string extension = parsed->Value("--ext").value_or("");
  std::vector<std::string> lines;
  std::string error;
  if (!ReadTemplateFile(file, lines, &error)) {
    std::cerr << "hozanki-cli template: " << error << "\n";
    return kExitFailed;
  }
  const std::vector<TemplateRow> rows = ImportTemplate(lines);
  const std::filesystem::path path = SettingsFolder() / kTemplateFileName;
  TemplateLibrary library;
  if (!LoadLibrary(library, path)) {
    // Registering now would replace the templates it holds with this one.
    std::cerr << "hozanki-cli template: \"" << name << "\" not registered; " << path.string()
              << " is left as it is\n";
    return kExitFailed;
  }
  if (LibraryWarning w = library.Register(name, extension, rows); w != LibraryWarning::None) {
    std::cerr << "hozanki-cli template: " << LibraryWarningText(w) << "\n";
    return w == LibraryWarning::NoName ? kExitUsage : kExitFailed;
  }
  if (!library.Save(path, &error)) {
    std::cerr << "hozanki-cli template: cannot write " << path.string() << ": " << error << "\n";
    return kExitFailed;
  }
  std::cerr << "hozanki-cli template: registered \"" << library.Templates().back().title << "\" ("
            << rows.size() << " rows)\n";
  return kExitOk;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("export or import?");
  if (args[0] == "--help" || args[0] == "-h") {
    int status = kExitOk;
    ParseArguments(kExportSyntax, args, status);
    return status;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "export") return Export(rest);
  if (args[0] == "import") return Import(rest);
  return Usage("unknown subcommand " + args[0]);
}

const CliCommandRegistration kRegistration({"template", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
