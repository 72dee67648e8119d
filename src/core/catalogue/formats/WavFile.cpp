#include "core/catalogue/formats/WavFile.h"

#include <taglib/wavfile.h>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/common/Failure.h"

namespace hozanki {
namespace {

// A WAV file with TagLib's RIFF chunk functions opened up: the INFO list is
// ours, TagLib only moves the bytes.
class WavChunks : public TagLib::RIFF::WAV::File {
 public:
  using TagLib::RIFF::File::chunkCount;
  using TagLib::RIFF::File::chunkData;
  using TagLib::RIFF::File::chunkDataSize;
  using TagLib::RIFF::File::chunkName;
  using TagLib::RIFF::File::removeChunk;
  using TagLib::RIFF::File::setChunkData;
  using TagLib::RIFF::WAV::File::File;

  // The first "LIST" "INFO" chunk, or -1.
  int InfoIndex() {
    for (unsigned i = 0; i < chunkCount(); ++i) {
      if (chunkName(i) != "LIST" || chunkDataSize(i) < 4) continue;
      if (chunkData(i).startsWith("INFO")) return static_cast<int>(i);
    }
    return -1;
  }

  // The fields of that list; empty when there is none.
  InfoList Info(int index) {
    if (index < 0) return {};
    TagLib::ByteVector data = chunkData(static_cast<unsigned>(index));
    return InfoList::Parse(std::string_view(data.data(), data.size()).substr(4));
  }
};

}  // namespace

void WavFile::SetOption(std::string_view name, std::string_view value) {
  mode_ = InfoTextModeFromOption(name, value, mode_);
}

bool WavFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  std::string head = ReadFileBytes(path, 0, 12);
  if (head.size() < 12 || head.compare(0, 4, "RIFF") != 0 || head.compare(8, 4, "WAVE") != 0) {
    FailWith(error, {FailureKind::kNotFormat, "", "WAV", 0, 0, 0, "not a WAV file (no RIFF WAVE header)"});
    return false;
  }
  InstallRiffInfoStringHandler();
  WavChunks file(path.c_str(), true, TagLib::AudioProperties::Average);
  if (!file.isValid()) {
    FailWith(error, {FailureKind::kDamagedFile, "", "WAV", 0, 0, 0, "broken WAV file"});
    return false;
  }
  const auto* props = file.audioProperties();
  if (!props || props->sampleRate() <= 0) {
    FailWith(error,
             {FailureKind::kDamagedFile, "", "WAV", 0, 0, 0, "broken WAV file (no usable format chunk)"});
    return false;
  }
  for (const auto& [id, text] : file.Info(file.InfoIndex()).Fields())
    if (!values.count(id)) values[id] = text;
  values["TIME"] = TimeText(props->lengthInMilliseconds() / 1000);
  values["AFMT"] = AudioFormatText(WaveFormatName(props->format()), props->bitrate(), props->sampleRate(),
                                   props->bitsPerSample(), props->channels());
  return true;
}

bool WavFile::IsWritable(std::string_view name) const {
  return IsInfoFieldName(name);
}

bool WavFile::Write(const std::filesystem::path&, const ValueMap& changes, const ValueMap&,
                    std::string* error) {
  InstallRiffInfoStringHandler();
  WavChunks file(CopyStream(), false);
  if (!file.isValid() || file.readOnly()) {
    FailWith(error, {FailureKind::kDamagedFile, "", "WAV", 0, 0, 0, "broken WAV file"});
    return false;
  }
  int index = file.InfoIndex();
  InfoList info = file.Info(index);
  for (const auto& [name, value] : changes) info.Set(name, value);
  if (!info.Changed()) return true;
  if (info.Empty()) {
    if (index >= 0) file.removeChunk(static_cast<unsigned>(index));
    return true;
  }
  std::string body = info.RenderBody(mode_);
  TagLib::ByteVector data(body.data(), static_cast<unsigned>(body.size()));
  if (index >= 0)
    file.setChunkData(static_cast<unsigned>(index), data);
  else
    file.setChunkData("LIST", data, true);
  return true;
}

}  // namespace hozanki
