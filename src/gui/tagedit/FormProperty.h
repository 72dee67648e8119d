#pragma once
// The property dialog of one file ("プロパティ(&R)"): a page per tag kind of
// its format with every value the tag library reads for that kind (the
// table's caption and the value name beside each), and a page with the
// technical details (path, type, size, time stamp, playing time, audio and
// video format, the MP3 tag kinds and versions). All fields are read-only
// and can be selected and copied. The file is read when the dialog opens;
// a file that cannot be read shows why.

#include <QDialog>
#include <filesystem>

#include "core/common/FormatRegistry.h"

class QTabWidget;

namespace hozanki {

class TagFile;

class FormProperty : public QDialog {
  Q_OBJECT

 public:
  // F1: the manual's section on this window.
  static constexpr int kHelpContext = 123;
  // `page`: the tag page to show first (0 .. number of tag kinds − 1).
  FormProperty(const std::filesystem::path& path, MediaFormat format, int page, QWidget* parent = nullptr);

  QTabWidget* Pages() const { return pages_; }

 private:
  QWidget* TagPage(const TagFile& file, TagKind kind);
  QWidget* DetailsPage(const TagFile* file, const std::string& error);

  std::filesystem::path path_;
  MediaFormat format_;
  QTabWidget* pages_;
};

}  // namespace hozanki
