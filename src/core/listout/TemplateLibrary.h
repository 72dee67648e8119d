#pragma once
// The library of list templates and its template file "NR284Lst.dat".

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/listout/TemplateRow.h"

namespace hozanki {

inline constexpr const char* kTemplateFileName = "NR284Lst.dat";

// Why a library command did nothing.
enum class LibraryWarning { None, NoName, NoRows, NoSelection };
// "登録名が入力されていません", "リスト情報が未入力です",
// "更新する登録名を選択してください"; empty for None.
std::string_view LibraryWarningText(LibraryWarning warning);

class TemplateLibrary {
 public:
  const std::vector<ListTemplate>& Templates() const { return templates_; }
  // True after a change (or after reading an older file) until saved.
  bool Dirty() const { return dirty_; }

  // Appends a template titled name(extension).
  LibraryWarning Register(std::string_view name, std::string_view extension,
                          const std::vector<TemplateRow>& rows);
  // Replaces the title and rows of entry `index` (-1: none selected); the
  // entry keeps its place.
  LibraryWarning Update(int index, std::string_view name, std::string_view extension,
                        const std::vector<TemplateRow>& rows);
  // Removes entry `index`; nothing when it is out of range.
  void Delete(int index);
  // Moves entry `from` onto entry `to`: before it when `to` lies above,
  // otherwise after it.
  void Move(int from, int to);
  // Appends templates offered to start from; they are not a change of the
  // library (Dirty() stays), so only a real change makes them worth saving.
  void Offer(const std::vector<ListTemplate>& templates);
  // Index of the first template titled `title`, or -1.
  int Find(std::string_view title) const;

  // Reads the template file (after recovering it from its recovery copy). A
  // missing file is an empty library; so is one that exists but cannot be
  // read, and then ReadError() says why.
  void Load(const std::filesystem::path& path);
  // Why the last Load could not read the file ("" when it could, or when it
  // was missing).
  const std::string& ReadError() const { return readError_; }
  // Erases the old "Lst" sections and writes every template, "Version" and
  // "Count" of "Total"; atomic, through the recovery copy. Clears Dirty().
  // Refused, leaving the file as it is, when the library was loaded from a
  // file that could not be read or the file cannot be read now: the
  // templates in it would be lost.
  bool Save(const std::filesystem::path& path, std::string* error = nullptr);

 private:
  std::vector<ListTemplate> templates_;
  bool dirty_ = false;
  std::string readError_;
};

}  // namespace hozanki
