#include "core/catalogue/formats/ReplacementStream.h"

#include <algorithm>
#include <cerrno>
#include <string>

namespace hozanki {
namespace {

constexpr uint64_t kBlock = 1u << 20;

}  // namespace

TagLib::FileName ReplacementStream::name() const {
  return file_.Temporary().c_str();
}

void ReplacementStream::Abort() {
  if (!file_.Failed()) file_.Fail(EIO);
  throw WriteAborted();
}

TagLib::ByteVector ReplacementStream::readBlock(unsigned long length) {
  if (file_.Failed()) Abort();
  if (position_ >= file_.Size()) return {};
  size_t want = static_cast<size_t>(std::min<uint64_t>(length, file_.Size() - position_));
  std::string bytes;
  Check(file_.ReadAt(position_, want, bytes));
  position_ += bytes.size();
  return TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size()));
}

void ReplacementStream::writeBlock(const TagLib::ByteVector& data) {
  Check(file_.WriteAt(position_, std::string_view(data.data(), data.size())));
  position_ += data.size();
}

void ReplacementStream::MoveTail(uint64_t from, uint64_t to) {
  uint64_t size = file_.Size();
  if (from == to) return;
  uint64_t length = from < size ? size - from : 0;
  std::string block;
  if (to > from) {
    // Growing: copy from the end backwards so that nothing is overwritten
    // before it has been moved.
    uint64_t left = length;
    while (left > 0) {
      uint64_t n = std::min(left, kBlock);
      left -= n;
      Check(file_.ReadAt(from + left, static_cast<size_t>(n), block) && block.size() == n);
      Check(file_.WriteAt(to + left, block));
    }
  } else {
    for (uint64_t done = 0; done < length;) {
      uint64_t n = std::min(length - done, kBlock);
      Check(file_.ReadAt(from + done, static_cast<size_t>(n), block) && block.size() == n);
      Check(file_.WriteAt(to + done, block));
      done += n;
    }
    Check(file_.Truncate(to + length));
  }
}

void ReplacementStream::insert(const TagLib::ByteVector& data, unsigned long start, unsigned long replace) {
  uint64_t size = file_.Size();
  if (start > size) Abort();
  uint64_t end = std::min<uint64_t>(start + replace, size);
  MoveTail(end, start + data.size());
  Check(file_.WriteAt(start, std::string_view(data.data(), data.size())));
  position_ = start + data.size();
}

void ReplacementStream::removeBlock(unsigned long start, unsigned long length) {
  uint64_t size = file_.Size();
  if (start >= size) return;
  uint64_t end = std::min<uint64_t>(start + length, size);
  if (end >= size)
    Check(file_.Truncate(start));
  else
    MoveTail(end, start);
}

void ReplacementStream::seek(long offset, Position p) {
  int64_t base = p == Beginning ? 0 : p == Current ? static_cast<int64_t>(position_) : static_cast<int64_t>(file_.Size());
  int64_t target = base + offset;
  position_ = target < 0 ? 0 : static_cast<uint64_t>(target);
}

void ReplacementStream::truncate(long length) {
  if (length < 0) Abort();
  Check(file_.Truncate(static_cast<uint64_t>(length)));
}

}  // namespace hozanki
