// Linked into hozanki-cli-stepped, a build of hozanki-cli for the kill
// tests: with HOZANKI_TEST_STOP_AT=N in its environment the program kills
// itself right after the Nth durable step of its writes (a flush, a rename
// or an in-place overwrite, see core/common/AtomicFile.h), so that a test
// can end a save at every one of its steps in turn.

#include <signal.h>

#include <cstdlib>

#include "core/common/AtomicFile.h"

namespace {

[[maybe_unused]] const bool installed = [] {
  const char* text = std::getenv("HOZANKI_TEST_STOP_AT");
  const long stopAt = text ? std::strtol(text, nullptr, 10) : 0;
  if (stopAt <= 0) return false;
  hozanki::SetDiskStepHookForTest([stopAt, seen = 0L](const hozanki::DiskStepEvent&) mutable {
    if (++seen == stopAt) ::raise(SIGKILL);
  });
  return true;
}();

}  // namespace
