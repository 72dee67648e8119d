#include "core/catalogue/FormatOpeners.h"

#include <array>

#include "core/catalogue/formats/ApeFile.h"
#include "core/catalogue/formats/AsfFile.h"
#include "core/catalogue/formats/AviFile.h"
#include "core/catalogue/formats/FlacFile.h"
#include "core/catalogue/formats/Id3ChunkFiles.h"
#include "core/catalogue/formats/Mp3Format.h"
#include "core/catalogue/formats/Mp4File.h"
#include "core/catalogue/formats/OggFile.h"
#include "core/catalogue/formats/OtherFormats.h"
#include "core/catalogue/formats/PayloadFormats.h"
#include "core/catalogue/formats/VqfFile.h"
#include "core/catalogue/formats/WavFile.h"

namespace hozanki {
namespace {

std::unique_ptr<TagFile> OpenMp3(FileType, const std::filesystem::path& path, std::string* error) {
  return OpenMp3Format(path, error);
}

// No default constructor: a row without its opener or mapper, or a format
// without a row, does not compile.
struct FormatHandlers {
  constexpr FormatHandlers(MediaFormat f, FormatOpener o, PayloadMapper m) : format(f), open(o), map(m) {}
  MediaFormat format;
  FormatOpener open;
  PayloadMapper map;
};

using MF = MediaFormat;
using namespace payload;

// Row n is format n (checked below).
constexpr std::array<FormatHandlers, kFormatCount> kHandlers = {{
    {MF::MP3, OpenMp3, MapMp3},
    {MF::WAV, OpenStagedFormat<WavFile>, MapWav},
    {MF::AVI, OpenStagedFormat<AviFile>, MapAvi},
    {MF::VQF, OpenStagedFormat<VqfFile>, MapVqf},
    {MF::WMA, OpenStagedFormat<AsfFile>, MapAsf},
    {MF::OGG, OpenStagedFormat<OggFile>, MapOgg},
    {MF::APE, OpenStagedFormat<ApeFile>, MapApe},
    {MF::MP4, OpenStagedFormat<Mp4File>, MapMp4},
    {MF::FLAC, OpenStagedFormat<FlacFile>, MapFlac},
    {MF::AIFF, OpenStagedFormat<AiffFile>, MapAiff},
    {MF::DSF, OpenStagedFormat<DsfFile>, MapDsf},
}};

constexpr int FirstBadRow() {
  for (int n = 0; n < kFormatCount; ++n) {
    const FormatHandlers& h = kHandlers[static_cast<size_t>(n)];
    if (h.format != static_cast<MediaFormat>(n)) return n;
  }
  return -1;
}
static_assert(FirstBadRow() == -1, "kHandlers: a format's row is out of order");

const FormatHandlers* HandlersOf(FileType type) {
  if (type == FileType::Unknown) return nullptr;
  const FormatHandlers& h = kHandlers[static_cast<size_t>(FormatOfType(type))];
  return TypeOfFormat(h.format) == type ? &h : nullptr;
}

}  // namespace

FormatOpener OpenerOf(FileType type) {
  const FormatHandlers* h = HandlersOf(type);
  return h ? h->open : nullptr;
}

PayloadMapper PayloadMapperOf(FileType type) {
  const FormatHandlers* h = HandlersOf(type);
  return h ? h->map : nullptr;
}

}  // namespace hozanki
