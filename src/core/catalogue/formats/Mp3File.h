#pragma once
// An MP3 file in the tag library layer: a plain MPEG stream with any of an
// ID3v2 tag in front, an APE tag and an ID3v1 tag at the end, or a
// RIFF-wrapped stream ("RMP3") with an INFO list (and an ID3v1 tag at the end
// of its "data" chunk).
//
// Tag kinds are created, removed and changed in memory; Save writes every
// change of the file in one replacement (one temporary file, one rename), so
// a crash leaves the old file or the new one. The audio bytes are copied
// unchanged, and the new file must parse with the same audio bytes and the
// new values before it replaces the old one.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/ApeTagData.h"
#include "core/catalogue/formats/Id3v1Tag.h"
#include "core/catalogue/formats/Id3v2Tag.h"
#include "core/catalogue/formats/MpegAudio.h"
#include "core/catalogue/formats/RiffMp3.h"

namespace hozanki {

class Mp3File : public TagFile {
 public:
  // Null with `error` set when the file is not an MP3 or is damaged beyond
  // reading (a tag size past the end of the file, a zero-length file).
  static std::unique_ptr<Mp3File> Open(const std::filesystem::path& path, std::string* error);

  FileType Type() const override { return FileType::MP3; }
  uint32_t TagMask() const override;
  std::string GetValue(std::string_view name) const override;
  // Values of tag kinds the file does not carry are ignored.
  void SetValue(std::string_view name, std::string_view value) override;
  void SetOption(std::string_view name, std::string_view value) override;
  StoredForm StoredFormOf(std::string_view name) const override;
  bool Save(std::string* error) override;
  // RIFF cannot be created while an ID3v2 or APE tag is present, nor ID3v2 or
  // APE while the file is RIFF-wrapped: the call fails and nothing changes.
  bool RemoveTag(Mp3Tag kind, std::string* error) override;
  bool CreateTag(Mp3Tag kind, std::string* error) override;
  bool RemoveTagOnSave(Mp3Tag kind, std::string* error) override;
  bool CreateTagOnSave(Mp3Tag kind, std::string* error) override;
  // In place when the file is not RIFF-wrapped, keeps its ID3v2 tag (or
  // keeps having none) and the new ID3v2 tag fits the old one with its
  // padding: then only the tag bytes at the front and the APE and ID3v1
  // tags at the end are written, and the file may grow or shrink at its end.
  InPlacePlan PlanInPlace(InPlaceEdit& edit, std::string* error) override;

 private:
  explicit Mp3File(std::filesystem::path path) : path_(std::move(path)) {}
  bool Load(std::string* error);

  // The file as it is to be written: each tag kind's bytes (absent = none).
  struct Plan {
    bool riff = false;
    std::optional<std::string> id3v1, id3v2, ape, info;
    std::vector<std::pair<std::string, std::string>> values;  // every value as meant
    bool id3v2Rendered = false;  // the ID3v2 tag written anew (else its bytes kept)
  };
  std::optional<Plan> planned_;  // made by PlanInPlace, for the Save that follows
  bool Dirty() const;
  bool MakePlan(Plan& plan, std::string* error) const;
  // Whether `copy` reads every value of the plan as meant.
  bool ValuesMatch(const Mp3File& copy, const Plan& plan, std::string* why) const;
  bool Write(const Plan& plan, std::string* error);
  bool Verify(const std::filesystem::path& written, const Plan& plan, std::string* error) const;
  std::string ReadRange(uint64_t offset, uint64_t length) const;
  bool Id3v2NeedsRender() const;
  // An ID3v2 tag created by this save takes the ID3v1 values for the fields
  // it leaves empty: players that read ID3v2 ignore ID3v1 once it exists.
  void FillNewId3v2FromId3v1();

  std::filesystem::path path_;
  uint64_t fileSize_ = 0;
  bool riff_ = false;      // RIFF-wrapped on disk
  bool wantRiff_ = false;  // RIFF-wrapped after the next save
  bool hadId3v1_ = false, hadId3v2_ = false, hadApe_ = false;  // on disk
  RiffMp3Layout riffLayout_;
  uint64_t id3v2Size_ = 0;  // complete tag at offset 0
  uint64_t audioOffset_ = 0, audioSize_ = 0;
  uint64_t apeOffset_ = 0, apeSize_ = 0;
  uint64_t id3v1Offset_ = 0;

  std::optional<Id3v1Tag> id3v1_;
  std::unique_ptr<Id3v2Tag> id3v2_;
  std::optional<ApeTagData> ape_;
  std::optional<RiffInfo> info_;  // present when RIFF-wrapped
  bool id3v1Dirty_ = false, apeDirty_ = false, infoDirty_ = false, id3v2Dirty_ = false;

  int unicode_ = -1, unsync_ = -1, version_ = 0;  // save options
  std::optional<MpegAudioInfo> audio_;
};

}  // namespace hozanki
