#pragma once
// One iconv conversion descriptor, strict: an invalid, unconvertible or
// cut-short sequence fails the whole conversion. Keep one per thread and
// direction (thread_local): iconv_open costs far more than a conversion, and
// a descriptor must not be shared by threads.

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace hozanki {

class IconvConverter {
 public:
  IconvConverter(const char* to, const char* from);
  ~IconvConverter();
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  // Converts the whole input into `out`. False on any failure; `stop` then
  // receives the offset of the failing input byte.
  bool Convert(std::string_view in, std::string& out, size_t* stop = nullptr);
  std::optional<std::string> Convert(std::string_view in);

 private:
  iconv_t cd_;
};

}  // namespace hozanki
