#include "core/text/IconvConverter.h"

#include <cerrno>

namespace hozanki {

namespace {
const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
}

IconvConverter::IconvConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}

IconvConverter::~IconvConverter() {
  if (cd_ != kNoDescriptor) iconv_close(cd_);
}

bool IconvConverter::Convert(std::string_view in, std::string& out, size_t* stop) {
  out.clear();
  if (cd_ == kNoDescriptor) return false;
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  out.resize(in.size() * 3 + 8);
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  auto grow = [&] {
    const size_t used = static_cast<size_t>(outPtr - out.data());
    out.resize(out.size() * 2);
    outPtr = out.data() + used;
    outLeft = out.size() - used;
  };
  while (inLeft > 0) {
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) {
      grow();
      continue;
    }
    if (stop) *stop = static_cast<size_t>(inPtr - in.data());
    return false;
  }
  // A sequence cut short at the end is an error too.
  if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
    if (stop) *stop = in.size();
    return false;
  }
  out.resize(static_cast<size_t>(outPtr - out.data()));
  return true;
}

std::optional<std::string> IconvConverter::Convert(std::string_view in) {
  std::string out;
  if (!Convert(in, out)) return std::nullopt;
  return out;
}

}  // namespace hozanki
