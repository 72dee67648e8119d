#pragma once
// A TagLib stream over the temporary file of a FileReplacement, so that
// TagLib's writers go through the same checked, bounded write path as ours.
// TagLib's own streams report no write errors; this one records the first
// failure (a full disk, an I/O error, growth past the size limit) in the
// replacement and then stops the writer by throwing WriteAborted, so that a
// damaged file is never taken for a saved one.

#include <taglib/tiostream.h>

#include <stdexcept>

#include "core/common/AtomicFile.h"

namespace hozanki {

struct WriteAborted : std::runtime_error {
  WriteAborted() : std::runtime_error("write aborted") {}
};

class ReplacementStream : public TagLib::IOStream {
 public:
  explicit ReplacementStream(FileReplacement& file) : file_(file) {}

  TagLib::FileName name() const override;
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector& data) override;
  void insert(const TagLib::ByteVector& data, unsigned long start = 0, unsigned long replace = 0) override;
  void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
  bool readOnly() const override { return false; }
  bool isOpen() const override { return file_.Fd() >= 0; }
  void seek(long offset, Position p = Beginning) override;
  long tell() const override { return static_cast<long>(position_); }
  long length() override { return static_cast<long>(file_.Size()); }
  void truncate(long length) override;

 private:
  [[noreturn]] void Abort();
  void Check(bool ok) {
    if (!ok) Abort();
  }
  // Moves [from, size) to start at `to`.
  void MoveTail(uint64_t from, uint64_t to);

  FileReplacement& file_;
  uint64_t position_ = 0;
};

}  // namespace hozanki
