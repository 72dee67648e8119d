#pragma once
// Helpers for the tag-editing tests: entries made in memory, and catalogues
// loaded from temporary copies of the fixtures.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/MediaReader.h"

namespace hozanki::test {

// An entry as the reader would make it, with empty values.
inline MediaFileEntry MakeEntry(MediaFormat format, const std::string& name) {
  MediaFileEntry entry;
  entry.format = format;
  entry.relativePath = name;
  entry.file.cells.resize(static_cast<size_t>(FileCellCount(format)));
  entry.file.cells[0].text = name;
  for (TagKind kind : TagKindsOf(format)) {
    TagRow row;
    row.cells.resize(ValueNamesOf(kind).size() + 1);
    row.cells[0].text = name;
    row.state = format == MediaFormat::MP3 ? kUnchecked : kChecked;
    entry.tags.push_back(std::move(row));
  }
  return entry;
}

// A catalogue of `count` in-memory files "f0.ext" ... of one format.
inline void FillCatalogue(Catalogue& catalogue, MediaFormat format, int count) {
  std::vector<MediaFileEntry> batch;
  for (int i = 0; i < count; ++i) batch.push_back(MakeEntry(format, "f" + std::to_string(i) + ".x"));
  catalogue.Append(format, std::move(batch));
}

inline const TagRow& Tag(const Catalogue& catalogue, TagKind kind, int row) {
  return catalogue.Entries(FormatOfTagKind(kind))[static_cast<size_t>(row)]
      .tags[static_cast<size_t>(TagRowIndex(kind))];
}

// Sets a tag row's check state and row image (test set-up).
inline void SetMarks(Catalogue& catalogue, TagKind kind, int row, int state, int image = kNoMark) {
  catalogue.EditRow(FormatOfTagKind(kind), row, [&](MediaFileEntry& entry) {
    TagRow& tag = entry.tags[static_cast<size_t>(TagRowIndex(kind))];
    tag.state = state;
    tag.image = image;
  });
}

inline void SetText(Catalogue& catalogue, TagKind kind, int row, int subItem, const std::string& text) {
  catalogue.EditRow(FormatOfTagKind(kind), row, [&](MediaFileEntry& entry) {
    entry.tags[static_cast<size_t>(TagRowIndex(kind))].cells[static_cast<size_t>(subItem)].text = text;
  });
}

inline const MediaFileEntry& EntryAt(const Catalogue& catalogue, MediaFormat format, int row) {
  return catalogue.Entries(format)[static_cast<size_t>(row)];
}

// A fresh temporary folder, removed when the object dies.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("hozanki-tagedit-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }

  // Copies tests/data/`fixture` into the folder as `name`.
  std::filesystem::path Copy(const std::string& fixture, const std::string& name) const {
    std::filesystem::path target = path_ / name;
    std::filesystem::copy_file(std::filesystem::path(HOZANKI_TEST_DATA) / fixture, target,
                               std::filesystem::copy_options::overwrite_existing);
    return target;
  }

  // Reads the files with the format readers and appends them to the catalogue.
  void Load(Catalogue& catalogue, const std::vector<std::string>& names) const {
    for (const std::string& name : names) {
      std::optional<MediaFileEntry> entry = ReadMediaFile(path_, name);
      if (!entry) throw std::runtime_error("cannot read " + name);
      MediaFormat format = entry->format;
      std::vector<MediaFileEntry> batch;
      batch.push_back(std::move(*entry));
      catalogue.Append(format, std::move(batch));
    }
  }

 private:
  std::filesystem::path path_;
};

// Records the rows the catalogue reports as changed.
class ChangeRecorder : public CatalogueObserver {
 public:
  void RowsAboutToBeInserted(MediaFormat, int, int) override {}
  void RowsInserted(MediaFormat, int, int) override {}
  void RowsAboutToBeRemoved(MediaFormat, int, int) override {}
  void RowsRemoved(MediaFormat, int, int) override {}
  void RowsAboutToBeReset(MediaFormat) override {}
  void RowsReset(MediaFormat) override {}
  void RowsChanged(MediaFormat format, int first, int last) override {
    for (int r = first; r <= last; ++r) changed.emplace_back(format, r);
  }
  std::vector<std::pair<MediaFormat, int>> changed;
};

}  // namespace hozanki::test
