// Feeds arbitrary bytes to the MP3 parsers of our own: ID3v1, RIFF "RMP3"
// chunks and INFO lists, APE tags, the quick ID3v2 reader, ID3v2.2 and
// unsynchronisation conversions, the 2.3/2.4 conversion, MPEG frame headers.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/catalogue/formats/ApeTagData.h"
#include "core/catalogue/formats/Id3v1Tag.h"
#include "core/catalogue/formats/Id3v2QuickReader.h"
#include "core/catalogue/formats/Id3v2Tag.h"
#include "core/catalogue/formats/Id3v2Versions.h"
#include "core/catalogue/formats/MpegAudio.h"
#include "core/catalogue/formats/RiffMp3.h"

using namespace hozanki;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (size >= kId3v1Size) {
    if (auto tag = Id3v1Tag::Parse(bytes.substr(size - kId3v1Size))) tag->Render(nullptr);
  }
  if (IsRiffMp3(bytes)) {
    auto layout = ParseRiffMp3(size, [&](uint64_t offset, uint64_t length) {
      return offset >= size ? std::string() : std::string(bytes.substr(offset, length));
    });
    if (layout && layout->infoIndex >= 0) {
      const RiffChunk& list = layout->chunks[static_cast<size_t>(layout->infoIndex)];
      RenderRiffInfo(ParseRiffInfo(bytes.substr(list.offset + 8, list.size)));
    }
  }
  if (auto ape = ApeTagData::Parse(bytes)) {
    ape->Get("Title");
    ape->Render();
  }
  QuickReadId3v2(bytes);
  if (size >= 10 && bytes.substr(0, 3) == "ID3") {
    UnsynchroniseTag(bytes);
    ConvertTagTo22(bytes);
    ConvertTagTo23(bytes);
    std::string error;
    ConvertId3v2Version(bytes, 3, &error);
    ConvertId3v2Version(bytes, 4, &error);
  }
  if (auto info = ReadMpegAudio(bytes, size)) AudioFormatText(*info);

  return 0;
}
