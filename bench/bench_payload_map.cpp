// Mapping and comparing the payload of large files (256 MiB by default, the
// argument in MiB), generated in the temporary folder: an MP3 stream, a WAV
// data chunk, an Ogg stream of 4 KiB pages (compared with a copy whose pages
// were renumbered, as after a grown comment) and an MP4 file with a chunk
// offset every 64 KiB. Reports MiB per second and the resident memory.

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "BenchMedia.h"
#include "core/catalogue/formats/PayloadMap.h"

namespace {

using namespace hozanki;
namespace fs = std::filesystem;

constexpr uint64_t kMiB = 1 << 20;

void PutLe32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}
std::string Box(const std::string& type, const std::string& body) {
  return Be32(static_cast<uint32_t>(body.size() + 8)) + type + body;
}

uint32_t OggCrc(std::string_view page) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int j = 0; j < 8; ++j) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
      t[i] = r;
    }
    return t;
  }();
  uint32_t crc = 0;
  for (char c : page) crc = (crc << 8) ^ table[((crc >> 24) ^ static_cast<unsigned char>(c)) & 0xFF];
  return crc;
}

// An Ogg page of one stream: `body` in 255-byte segments; `ends`: the last
// packet ends on this page.
std::string OggPage(uint32_t sequence, uint8_t flags, uint64_t granule, const std::string& body,
                    bool ends = true) {
  std::string page = "OggS";
  page += '\0';
  page += static_cast<char>(flags);
  for (int i = 0; i < 8; ++i) page += static_cast<char>((granule >> (8 * i)) & 0xFF);
  page += std::string("\x01\x02\x03\x04", 4);  // serial
  page += std::string(8, '\0');                // sequence, checksum
  size_t segments = body.size() / 255 + (ends ? 1 : 0);
  page += static_cast<char>(segments);
  page.append(body.size() / 255, '\xFF');
  if (ends) page += static_cast<char>(body.size() % 255);
  page += body;
  PutLe32(page, 18, sequence);
  PutLe32(page, 22, OggCrc(page));
  return page;
}

// Writes a header, `mib` MiB of payload made by `block(i)` and a trailer.
void WriteLarge(const fs::path& path, const std::string& header, uint64_t mib,
                const std::function<std::string(uint64_t)>& block, const std::string& trailer = {}) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << header;
  uint64_t written = 0;
  for (uint64_t i = 0; written < mib * kMiB; ++i) {
    std::string b = block(i);
    out << b;
    written += b.size();
  }
  out << trailer;
}

std::string Pattern(uint64_t i, size_t size) {
  std::string b(size, '\0');
  for (size_t k = 0; k < size; k += 64) b[k] = static_cast<char>(i + k);
  return b;
}

struct LargeFiles {
  fs::path folder = bench::BenchFolder("payload");
  fs::path mp3, wav, ogg, oggRenumbered, mp4;

  explicit LargeFiles(uint64_t mib) {
    fs::create_directories(folder);
    mp3 = folder / "large.mp3";
    std::string id3 = std::string("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
    const std::string frames = bench::SilentMp3(2514);  // about 1 MiB
    WriteLarge(mp3, id3, mib, [&](uint64_t) { return frames; });

    wav = folder / "large.wav";
    std::string head = "RIFF" + std::string(4, '\0') + "WAVEfmt " + std::string("\x10\0\0\0\x01\0\x02\0", 8) +
                       std::string("\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0", 12) + "data" +
                       std::string(4, '\0');
    PutLe32(head, 4, static_cast<uint32_t>(mib * kMiB + 36));
    PutLe32(head, 40, static_cast<uint32_t>(mib * kMiB));
    WriteLarge(wav, head, mib, [](uint64_t i) { return Pattern(i, kMiB); });

    // Vorbis-like headers (identification, comment and setup packets) and
    // 4 KiB audio pages; the copy numbers every audio page one higher.
    const std::string id = OggPage(0, 2, 0, "\x01vorbis" + std::string(23, '\0'));
    const std::string comment = "\x03vorbis" + std::string(503, 'c');
    const std::string setup = OggPage(2, 0, 0, "\x05vorbis" + std::string(3000, 's'));
    for (int shift : {0, 1}) {
      fs::path& path = shift ? oggRenumbered : ogg;
      path = folder / (shift ? "renumbered.ogg" : "large.ogg");
      std::string headers = shift ? id + OggPage(1, 0, 0, comment, false) +
                                        OggPage(2, 1, 0, comment.substr(510)) +
                                        OggPage(3, 0, 0, "\x05vorbis" + std::string(3000, 's'))
                                  : id + OggPage(1, 0, 0, comment) + setup;
      WriteLarge(path, headers, mib, [&](uint64_t i) {
        return OggPage(static_cast<uint32_t>(3 + shift + i), 0, 1024 * (i + 1), Pattern(i, 4000));
      });
    }

    // "moov" in front, one chunk offset every 64 KiB of "mdat".
    mp4 = folder / "large.mp4";
    uint64_t chunks = mib * 16;
    std::string stco = std::string(4, '\0') + Be32(static_cast<uint32_t>(chunks));
    std::string moovProbe =
        Box("moov",
            Box("trak",
                Box("mdia", Box("minf", Box("stbl", Box("stco", stco + std::string(4 * chunks, '\0')))))));
    uint64_t mdatStart = 24 + moovProbe.size() + 8;
    for (uint64_t i = 0; i < chunks; ++i) stco += Be32(static_cast<uint32_t>(mdatStart + i * 65536));
    std::string moov = Box("moov", Box("trak", Box("mdia", Box("minf", Box("stbl", Box("stco", stco))))));
    std::string ftyp = Box("ftyp", "isom" + std::string(4, '\0') + "isommp41");
    WriteLarge(mp4, ftyp + moov + Be32(static_cast<uint32_t>(mib * kMiB + 8)) + "mdat", mib,
               [](uint64_t i) { return Pattern(i, kMiB); });
  }
  ~LargeFiles() { fs::remove_all(folder); }
};

LargeFiles& Files(uint64_t mib) {
  static LargeFiles files(mib);
  return files;
}

void Run(benchmark::State& state, FileType type, fs::path LargeFiles::*before, fs::path LargeFiles::*after) {
  LargeFiles& files = Files(static_cast<uint64_t>(state.range(0)));
  PayloadMap a, b;
  std::string error;
  int64_t bytes = 0;
  for (auto _ : state) {
    if (!MapPayload(type, files.*before, a, &error) || !MapPayload(type, files.*after, b, &error) ||
        !SamePayload(files.*before, a, files.*after, b, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    bytes += static_cast<int64_t>(2 * fs::file_size(files.*before));
  }
  state.counters["MiB_per_second"] =
      benchmark::Counter(static_cast<double>(bytes) / kMiB, benchmark::Counter::kIsRate);
  state.counters["resident_MiB"] = bench::ResidentMiB();
}

void BM_MapAndCompareMp3(benchmark::State& s) {
  Run(s, FileType::MP3, &LargeFiles::mp3, &LargeFiles::mp3);
}
void BM_MapAndCompareWav(benchmark::State& s) {
  Run(s, FileType::WAV, &LargeFiles::wav, &LargeFiles::wav);
}
void BM_MapAndCompareRenumberedOgg(benchmark::State& s) {
  Run(s, FileType::OGG, &LargeFiles::ogg, &LargeFiles::oggRenumbered);
}
void BM_MapAndCompareMp4(benchmark::State& s) {
  Run(s, FileType::MP4, &LargeFiles::mp4, &LargeFiles::mp4);
}

// Mapping alone (what runs before every write).
void BM_MapOnly(benchmark::State& state) {
  LargeFiles& files = Files(static_cast<uint64_t>(state.range(0)));
  PayloadMap map;
  for (auto _ : state) {
    for (auto [type, path] : {std::pair{FileType::MP3, files.mp3},
                              {FileType::WAV, files.wav},
                              {FileType::OGG, files.ogg},
                              {FileType::MP4, files.mp4}})
      if (!MapPayload(type, path, map, nullptr)) state.SkipWithError("not mapped");
  }
  state.counters["resident_MiB"] = bench::ResidentMiB();
}

BENCHMARK(BM_MapAndCompareMp3)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_MapAndCompareWav)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_MapAndCompareRenumberedOgg)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_MapAndCompareMp4)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_MapOnly)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
