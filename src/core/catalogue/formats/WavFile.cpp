#include "core/catalogue/formats/WavFile.h"

#include <taglib/wavfile.h>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/catalogue/formats/RiffInfo.h"

namespace hozanki {

bool WavFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  std::string head = ReadFileBytes(path, 0, 12);
  if (head.size() < 12 || head.compare(0, 4, "RIFF") != 0 || head.compare(8, 4, "WAVE") != 0) {
    if (error) *error = "not a WAV file (no RIFF WAVE header)";
    return false;
  }
  InstallRiffInfoStringHandler();
  TagLib::RIFF::WAV::File file(path.c_str(), true, TagLib::AudioProperties::Average);
  if (!file.isValid()) {
    if (error) *error = "broken WAV file";
    return false;
  }
  const auto* props = file.audioProperties();
  if (!props || props->sampleRate() <= 0) {
    if (error) *error = "broken WAV file (no usable format chunk)";
    return false;
  }
  if (file.hasInfoTag()) {
    for (const auto& [id, text] : file.InfoTag()->fieldListMap()) {
      std::string name(id.data(), id.size());
      if (IsInfoFieldName(name)) values[name] = text.to8Bit(true);
    }
  }
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
  TagLib::RIFF::WAV::File file(CopyStream(), false);
  if (!file.isValid()) {
    if (error) *error = "broken WAV file";
    return false;
  }
  auto* info = file.InfoTag();
  for (const auto& [name, value] : changes)
    info->setFieldText(TagLib::ByteVector(name.data(), 4), TagLib::String(value, TagLib::String::UTF8));
  if (!file.save(TagLib::RIFF::WAV::File::Info, TagLib::File::StripNone)) {
    if (error) *error = "TagLib could not write the WAV file";
    return false;
  }
  return true;
}

}  // namespace hozanki
