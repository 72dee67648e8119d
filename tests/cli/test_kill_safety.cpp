// A save killed at any moment leaves every file as it was or as it was
// meant to be, never a mix, and the next run clears what the dead writer
// left behind. Large files of every format, so that most kills land in the
// middle of a write.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <random>
#include <thread>

#include "CliTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/common/SaveJournal.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

constexpr size_t kBigSize = 8 << 20;

std::string NoiseBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

// Starts `hozanki-cli args...` with its own settings folder; returns the pid.
pid_t Start(const fs::path& config, const std::vector<std::string>& args) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("HOZANKI_CONFIG_DIR", config.c_str(), 1);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(HOZANKI_CLI));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(HOZANKI_CLI, argv.data());
    ::_exit(127);
  }
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

class KillSafety : public test::CliTempDirTest {
 protected:
  // Makes `name` from a fixture or with ffmpeg; false when it cannot be made here.
  bool Make(const std::string& name) {
    const fs::path data = HOZANKI_TEST_DATA;
    const fs::path out = dir_ / "originals" / name;
    fs::create_directories(out.parent_path());
    std::string ext = fs::path(name).extension().string();
    if (ext == ".mp3") {
      // A plain MPEG stream, many times over, with no ID3v2 tag yet: the
      // tag is created and filled in one write.
      std::string stream = ReadFile(data / "mp3" / "plain.mp3"), bytes;
      while (bytes.size() < kBigSize) bytes += stream;
      WriteFile(out, bytes);
    } else if (ext == ".wav") {
      std::string pcm = NoiseBytes(kBigSize, 1);
      std::string fmt = std::string("\x01\x00\x02\x00", 4) + Le32(44100) + Le32(44100 * 4) + std::string("\x04\x00\x10\x00", 4);
      std::string body = "WAVE" + std::string("fmt ") + Le32(16) + fmt + "data" + Le32(static_cast<uint32_t>(pcm.size())) + pcm;
      WriteFile(out, "RIFF" + Le32(static_cast<uint32_t>(body.size())) + body);
    } else if (ext == ".ape") {
      // Frame data is opaque to the tag writer: more of it before the tag.
      std::string bytes = ReadFile(data / "ape" / "tagged.ape");
      size_t tag = bytes.find("APETAGEX");
      if (tag == std::string::npos) return false;
      WriteFile(out, bytes.substr(0, tag) + NoiseBytes(kBigSize, 2) + bytes.substr(tag));
    } else if (ext == ".tak") {
      // Made by hand as the fixture is: its header, more frame bytes, its tag.
      std::string bytes = ReadFile(data / "ape" / "tagged.tak");
      size_t tag = bytes.find("APETAGEX");
      if (tag == std::string::npos) return false;
      WriteFile(out, bytes.substr(0, tag) + NoiseBytes(kBigSize, 4) + bytes.substr(tag));
    } else if (ext == ".vqf") {
      WriteFile(out, ReadFile(data / "vqf" / "tagged.vqf") + NoiseBytes(kBigSize, 3));
    } else {
      // Encoded by ffmpeg: noise does not compress, so the files are large.
      std::string codec = ext == ".ogg"    ? "-c:a libvorbis -q:a 10"
                          : ext == ".opus" ? "-ac 2 -c:a libopus -b:a 510k"
                          : ext == ".oga"  ? "-c:a flac -f ogg"
                          : ext == ".wv"   ? "-c:a wavpack"
                          : ext == ".wma"  ? "-c:a wmav2 -b:a 320k"
                          : ext == ".m4a"  ? "-c:a alac"
                                           : "-c:a pcm_s16le";
      std::string video = ext == ".avi" ? "-f lavfi -i testsrc=size=320x240:rate=25:duration=20 -c:v mpeg4 -q:v 1 " : "";
      std::string command = "ffmpeg -v error -y -f lavfi -i anoisesrc=d=20:a=0.5 " + video + codec +
                            " -metadata title=old " + test::Quote(out.string()) + " </dev/null";
      if (std::system(command.c_str()) != 0) return false;
    }
    return fs::file_size(out) > 0;
  }
};

TEST_F(KillSafety, EveryFileIsOldOrNewAfterAKillAndNothingIsLeftBehind) {
  struct Case {
    const char* name;
    const char* value;
  };
  const Case cases[] = {{"a.mp3", "INAM_v2"}, {"b.wav", "INAM"}, {"c.avi", "INAM"}, {"d.vqf", "INAM"},
                        {"e.wma", "INAM"},    {"f.ogg", "INAM"}, {"g.ape", "INAM"}, {"h.m4a", "INAM"},
                        {"i.opus", "INAM"},   {"j.oga", "INAM"}, {"k.wv", "INAM"},  {"l.tak", "INAM"}};
  constexpr int kKillsPerFile = 7;
  std::mt19937 rng(7);
  int kills = 0, midway = 0;
  const fs::path work = dir_ / "work";
  fs::create_directories(work);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Make(c.name)) << "cannot make the large test file " << c.name << " (ffmpeg missing?)";
    const fs::path original = dir_ / "originals" / c.name;
    const std::string old = ReadFile(original);
    const std::string setting = std::string(c.value) + "=新しい題名 " + std::string(600, 'x');

    // The file as it is meant to be, and how long a whole save takes.
    const fs::path target = work / c.name;
    fs::copy_file(original, target, fs::copy_options::overwrite_existing);
    auto t0 = std::chrono::steady_clock::now();
    int status = Wait(Start(dir_ / "config", {"set", target.string(), setting}));
    auto took = std::chrono::steady_clock::now() - t0;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the uninterrupted save failed";
    const std::string meant = ReadFile(target);
    ASSERT_NE(meant, old);
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(took).count();

    for (int k = 0; k < kKillsPerFile; ++k) {
      fs::copy_file(original, target, fs::copy_options::overwrite_existing);
      pid_t pid = Start(dir_ / "config", {"set", target.string(), setting});
      std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<long>(0, span)(rng)));
      ::kill(pid, SIGKILL);
      status = Wait(pid);
      ++kills;
      const std::string now = ReadFile(target);
      bool isOld = now == old, isNew = now == meant;
      EXPECT_TRUE(isOld || isNew) << "kill " << k << " left a file that is neither old nor new";
      if (WIFSIGNALED(status) && isOld) ++midway;
    }
  }
  EXPECT_GE(kills, 50);
  // Most kills must have hit a running save, or the test proves little.
  EXPECT_GE(midway, kills / 4) << "kills landed mostly after the saves ended";

  // The next run clears the temporary files of the killed writers (those
  // older than a moment: a fresh one may belong to a writer just starting).
  int leftovers = 0;
  for (const auto& e : fs::directory_iterator(work)) leftovers += IsTemporaryFileName(e.path().filename().string());
  std::cout << kills << " kills, " << midway << " while a save ran, " << leftovers << " temporary files left\n";
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  int status = Wait(Start(dir_ / "config", {"list", work.string()}));
  EXPECT_TRUE(WIFEXITED(status));
  for (const auto& e : fs::directory_iterator(work))
    EXPECT_FALSE(IsTemporaryFileName(e.path().filename().string())) << e.path();
}

}  // namespace
}  // namespace hozanki

namespace hozanki {
namespace {

// In-place writes of a batch of files, killed at random moments: after the
// next run has played the journal back, every file is old or new (all old
// when the kill left a journal), and no journal or temporary file is left.
TEST_F(KillSafety, InPlaceBatchesAreOldOrNewOnceTheNextRunHasPlayedBackTheJournal) {
  constexpr int kFiles = 24;
  constexpr int kKills = 60;
  const fs::path work = dir_ / "batch", originals = dir_ / "batch-originals";
  fs::create_directories(work);
  fs::create_directories(originals);
  std::string stream = ReadFile(fs::path(HOZANKI_TEST_DATA) / "mp3" / "plain.mp3"), bytes;
  while (bytes.size() < (512u << 10)) bytes += stream;
  for (int i = 0; i < kFiles; ++i) WriteFile(work / ("t" + std::to_string(i) + ".mp3"), bytes);
  // First tags (written as new copies, with room to grow), through apply.
  auto listing = [&](const std::string& title, bool create) {
    std::string json = "[";
    for (int i = 0; i < kFiles; ++i) {
      std::string path = (work / ("t" + std::to_string(i) + ".mp3")).string();
      json += std::string(i ? "," : "") + "{\"path\":\"" + path + "\",\"tags\":{\"ID3v2\":{" +
              (create ? "\"state\":1," : "") + "\"INAM_v2\":\"" + title + " " + std::to_string(i) +
              "\"},\"ID3v1\":{" + (create ? "\"state\":1," : "") + "\"INAM_v1\":\"" + title + "\"}}}";
    }
    return json + "]";
  };
  WriteFile(dir_ / "first.json", listing("old", true));
  ASSERT_EQ(WEXITSTATUS(Wait(Start(dir_ / "config", {"apply", (dir_ / "first.json").string()}))), 0);
  std::vector<std::string> old(kFiles), meant(kFiles);
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "t" + std::to_string(i) + ".mp3";
    fs::copy_file(work / name, originals / name);
    old[static_cast<size_t>(i)] = ReadFile(work / name);
  }
  WriteFile(dir_ / "second.json", listing("新しい題名", false));
  auto reset = [&] {
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = "t" + std::to_string(i) + ".mp3";
      // Written over, not replaced: the same inodes, as a user's files are.
      WriteFile(work / name, old[static_cast<size_t>(i)]);
    }
  };
  auto journals = [&] {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir_ / "config"))
      n += SaveJournal::IsJournalName(e.path().filename().string());
    return n;
  };
  auto t0 = std::chrono::steady_clock::now();
  ASSERT_EQ(WEXITSTATUS(Wait(Start(dir_ / "config", {"apply", (dir_ / "second.json").string()}))), 0);
  const auto span =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count();
  for (int i = 0; i < kFiles; ++i) {
    meant[static_cast<size_t>(i)] = ReadFile(work / ("t" + std::to_string(i) + ".mp3"));
    ASSERT_NE(meant[static_cast<size_t>(i)], old[static_cast<size_t>(i)]);
    ASSERT_EQ(meant[static_cast<size_t>(i)].size(), old[static_cast<size_t>(i)].size()) << "not in place";
  }

  std::mt19937 rng(11);
  int journalled = 0, mixed = 0;
  for (int k = 0; k < kKills; ++k) {
    reset();
    pid_t pid = Start(dir_ / "config", {"apply", (dir_ / "second.json").string()});
    if (k % 2 == 0) {
      // At a random moment of the later part of a run, where the journal lives.
      std::this_thread::sleep_for(
          std::chrono::microseconds(std::uniform_int_distribution<long>(span / 3, span)(rng)));
    } else {
      // Right after the journal appears, plus a little: timing alone misses
      // its short life on a busy machine.
      int status = 0;
      while (journals() == 0 && ::waitpid(pid, &status, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
      std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<long>(0, 2000)(rng)));
    }
    ::kill(pid, SIGKILL);
    Wait(pid);
    const bool left = journals() > 0;
    journalled += left;
    int news = 0;
    for (int i = 0; i < kFiles; ++i) news += ReadFile(work / ("t" + std::to_string(i) + ".mp3")) == meant[static_cast<size_t>(i)];
    mixed += left && news > 0;
    // The next run plays the journal back before anything else.
    ASSERT_TRUE(WIFEXITED(Wait(Start(dir_ / "config", {"list", work.string()}))));
    EXPECT_EQ(journals(), 0) << "kill " << k << " left a journal the next run did not clear";
    for (int i = 0; i < kFiles; ++i) {
      const std::string now = ReadFile(work / ("t" + std::to_string(i) + ".mp3"));
      const bool isOld = now == old[static_cast<size_t>(i)], isNew = now == meant[static_cast<size_t>(i)];
      EXPECT_TRUE(isOld || isNew) << "kill " << k << " file " << i << " is neither old nor new";
      if (left) EXPECT_TRUE(isOld) << "kill " << k << " file " << i << ": a journal was left, so all go back";
    }
  }
  std::cout << kKills << " kills of in-place batches, " << journalled << " left a journal (" << mixed
            << " with files already overwritten), span " << span << " us\n";
  // Enough kills must land while the journal is live to prove anything.
  EXPECT_GE(journalled, kKills / 10);
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  Wait(Start(dir_ / "config", {"list", work.string()}));
  for (const auto& e : fs::directory_iterator(work))
    EXPECT_FALSE(IsTemporaryFileName(e.path().filename().string())) << e.path();
}

}  // namespace
}  // namespace hozanki
