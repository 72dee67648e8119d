#pragma once
// MP4: iTunes-style items ©ART ©nam ©alb trkn ©day ©gen ©cmt ©grp ©wrt disk
// tmpo ©too cpil. The number pairs are read and set as "TRACK1"/"TRACK2" and
// "DISC1"/"DISC2"; "AFMT" starts with the codec and the seconds
// ("AAC, 245.621sec, 128kbps, 44100Hz, 2ch").

#include "core/catalogue/formats/StagedTagFile.h"

namespace hozanki {

class Mp4File : public StagedTagFile {
 public:
  Mp4File() : StagedTagFile(FileType::MP4) {}

 protected:
  bool Read(const std::filesystem::path& path, ValueMap& values, std::string* error) override;
  bool IsWritable(std::string_view name) const override;
  bool Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap& current,
             std::string* error) override;
};

}  // namespace hozanki
