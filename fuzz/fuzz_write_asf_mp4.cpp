// The write path for ASF and MP4 files, audio and video: the first byte picks the
// extension, the rest is the file; a value is set and saved, and the file
// on disk is checked (see WriteCheck.h).
#include "WriteCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return hozanki::fuzz::FuzzWrite(data, size, {"wma", "wmv", "m4a", "mp4"});
}
