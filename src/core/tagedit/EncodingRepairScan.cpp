#include "core/tagedit/EncodingRepairScan.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/TagFile.h"
#include "core/tagedit/CheckStates.h"

namespace hozanki {
namespace {

StoredForm UsualForm(TagKind kind) {
  return Describe(kind).legacyText ? StoredForm::kLegacyBytes : StoredForm::kUnicode;
}

std::string StemOf(std::string_view name) {
  size_t underscore = name.find('_');
  return std::string(name.substr(0, underscore));
}

}  // namespace

std::vector<RepairFinding> FindRepairs(const MediaFileEntry& entry, const TagFile* file) {
  std::vector<RepairFinding> out;
  std::span<const TagKind> kinds = TagKindsOf(entry.format);
  for (size_t k = 0; k < kinds.size() && k < entry.tags.size(); ++k) {
    const TagRow& row = entry.tags[k];
    if (row.state != kChecked) continue;
    std::span<const std::string_view> names = ValueNamesOf(kinds[k]);
    for (size_t i = 0; i < names.size() && i + 1 < row.cells.size(); ++i) {
      const std::string& text = row.cells[i + 1].text;
      bool ascii = true;
      for (unsigned char ch : text) ascii = ascii && ch < 0x80;
      if (ascii) continue;
      StoredForm form = file ? file->StoredFormOf(names[i]) : UsualForm(kinds[k]);
      TextDiagnosis d = DiagnoseText(text, form);
      if (d.verdict == TextVerdict::kFine) continue;
      RepairFinding f;
      f.tagIndex = k;
      f.kind = kinds[k];
      f.subItem = static_cast<int>(i + 1);
      f.field = StemOf(names[i]);
      f.current = text;
      f.form = form;
      f.diagnosis = std::move(d);
      out.push_back(std::move(f));
    }
  }
  return out;
}

std::optional<std::string> RepairedText(const RepairFinding& finding, SourceEncoding source) {
  if (source == finding.diagnosis.source) return finding.diagnosis.proposed;
  if (finding.diagnosis.verdict == TextVerdict::kLegacy && source == SourceEncoding::kKeep) return finding.current;
  return ReinterpretText(finding.current, finding.form, source);
}

void ApplyRepair(MediaFileEntry& entry, const RepairFinding& finding, std::string_view text) {
  if (finding.tagIndex >= entry.tags.size()) return;
  TagRow& row = entry.tags[finding.tagIndex];
  if (static_cast<size_t>(finding.subItem) >= row.cells.size()) return;
  KeepStoredValue(entry, finding.tagIndex, static_cast<size_t>(finding.subItem));
  row.cells[static_cast<size_t>(finding.subItem)] = Cell{std::string(text), 1};
  row.image = kChangedMark;
  if (row.state == kUnchecked) {
    row.state = kChecked;
    ApplyExclusionRule(entry, finding.kind);
  }
  entry.forceUnicode = true;
}

std::vector<RowRepairFinding> ScanForRepairs(const Catalogue& catalogue, MediaFormat format,
                                             std::span<const int> rows, const std::filesystem::path& folder) {
  std::vector<RowRepairFinding> found;
  const auto& entries = catalogue.Entries(format);
  auto scan = [&](int row) {
    if (row < 0 || static_cast<size_t>(row) >= entries.size()) return;
    const MediaFileEntry& entry = entries[static_cast<size_t>(row)];
    const std::unique_ptr<TagFile> file = OpenTagFile(folder / entry.relativePath);
    for (RepairFinding& f : FindRepairs(entry, file.get())) found.push_back({row, std::move(f)});
  };
  if (rows.empty())
    for (int row = 0; row < static_cast<int>(entries.size()); ++row) scan(row);
  else
    for (int row : rows) scan(row);
  return found;
}

}  // namespace hozanki
