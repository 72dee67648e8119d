// hozanki-cli template export|import: list templates as %-token text.

#include <iostream>

#include "CliCommand.h"
#include "core/listout/TemplateLibrary.h"
#include "core/listout/TemplateText.h"
#include "core/settings/SettingsFolder.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage =
    "template export TITLE [--output FILE]         write a list template as text\n"
    "  template import FILE --name NAME [--ext EXT]  add a template read from text to the library";

int Usage(const std::string& message) {
  std::cerr << "hozanki-cli template: " << message << "\nUsage: hozanki-cli " << kUsage << "\n";
  return kExitUsage;
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
  std::string title;
  std::string output;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--output" && i + 1 < args.size())
      output = args[++i];
    else if (args[i].starts_with("--"))
      return Usage("unknown option " + args[i]);
    else if (title.empty())
      title = args[i];
    else
      return Usage("more than one title");
  }
  if (title.empty()) return Usage("no title");
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
  std::string file;
  std::string name;
  std::string extension;
  bool haveName = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--name" && i + 1 < args.size()) {
      name = args[++i];
      haveName = true;
    } else if (args[i] == "--ext" && i + 1 < args.size()) {
      extension = args[++i];
    } else if (args[i].starts_with("--")) {
      return Usage("unknown option " + args[i]);
    } else if (file.empty()) {
      file = args[i];
    } else {
      return Usage("more than one file");
    }
  }
  if (file.empty()) return Usage("no file");
  if (!haveName) return Usage("--name is required");
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
  std::cout << "registered \"" << library.Templates().back().title << "\" (" << rows.size() << " rows)\n";
  return kExitOk;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("export or import?");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "export") return Export(rest);
  if (args[0] == "import") return Import(rest);
  return Usage("unknown subcommand " + args[0]);
}

const CliCommandRegistration kRegistration({"template", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
