// The write path for Ogg (Vorbis, Opus, Speex, FLAC), APE (Monkey's Audio,
// WavPack, TAK, Musepack), VQF and FLAC files: the first byte picks the
// extension, the rest is the file; a value is set and saved, and the file
// on disk is checked (see WriteCheck.h).
#include "WriteCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return hozanki::fuzz::FuzzWrite(data, size,
                                  {"ogg", "ape", "vqf", "flac", "opus", "spx", "oga", "wv", "tak", "mpc"});
}
