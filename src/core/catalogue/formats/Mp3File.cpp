#include "core/catalogue/formats/Mp3File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/catalogue/formats/Id3v2Room.h"
#include "core/catalogue/formats/PayloadMap.h"
#include "core/common/AtomicFile.h"
#include "core/common/Failure.h"
#include "core/common/Mp3TagRule.h"

namespace hozanki {
namespace {

constexpr uint64_t kHeadSize = 4096;
constexpr uint64_t kMaxInfoSize = 16u << 20;
constexpr uint64_t kMaxRiffSize = 0xFFFFFFF0ull;

std::string PRead(int fd, uint64_t offset, uint64_t length) {
  std::string out(static_cast<size_t>(length), '\0');
  size_t done = 0;
  while (done < out.size()) {
    ssize_t r = ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += static_cast<size_t>(r);
  }
  out.resize(done);
  return out;
}

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

// Splits "IART_v2" into "IART" and "v2".
std::pair<std::string_view, std::string_view> SplitName(std::string_view name) {
  size_t pos = name.rfind('_');
  if (pos == std::string_view::npos) return {name, {}};
  return {name.substr(0, pos), name.substr(pos + 1)};
}

bool IsRiffInfoStem(std::string_view stem) {
  static constexpr std::string_view kStems[] = {"IART", "INAM", "IPRD", "ICRD", "IGNR",
                                                "ICMT", "ICOP", "IENG", "ISRC", "ISFT"};
  return std::find(std::begin(kStems), std::end(kStems), stem) != std::end(kStems);
}

// Other formats whose bytes may hold something like an MPEG frame header:
// never taken for MP3 (a tag put in front of them would break them).
bool IsOtherContainer(std::string_view head) {
  static constexpr std::string_view kMagics[] = {"RIFF",
                                                 "OggS",
                                                 "fLaC",
                                                 "MAC ",
                                                 "FORM",
                                                 "TTA1",
                                                 "wvpk",
                                                 "MPCK",
                                                 "MP+",
                                                 "\x30\x26\xB2\x75",
                                                 "\x1A\x45\xDF\xA3"};
  for (std::string_view magic : kMagics)
    if (head.substr(0, magic.size()) == magic) return true;
  return head.size() >= 8 && head.substr(4, 4) == "ftyp";
}

void Pad(std::string& s) {
  if (s.size() & 1) s.push_back('\0');
}

}  // namespace

std::unique_ptr<Mp3File> Mp3File::Open(const std::filesystem::path& path, std::string* error) {
  auto file = std::unique_ptr<Mp3File>(new Mp3File(path));
  if (!file->Load(error)) return nullptr;
  return file;
}

std::string Mp3File::ReadRange(uint64_t offset, uint64_t length) const {
  if (int held = HeldOpenFile::HeldDescriptor(path_); held >= 0) return PRead(held, offset, length);
  int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string out = PRead(fd, offset, length);
  ::close(fd);
  return out;
}

bool Mp3File::Load(std::string* error) {
  *this = Mp3File(std::move(path_));
  const int held = HeldOpenFile::HeldDescriptor(path_);
  int fd = held >= 0 ? held : ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return FailWith(error, {FailureKind::kSystem, path_.string(), "", 0, 0, errno,
                            "cannot open " + path_.string() + ": " + std::strerror(errno)});
  struct Closer {
    int fd;
    ~Closer() {
      if (fd >= 0) ::close(fd);
    }
  } closer{held >= 0 ? -1 : fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    return FailWith(error, {FailureKind::kNotRegularFile, "", "MP3", 0, 0, 0, "not a regular file"});
  fileSize_ = static_cast<uint64_t>(st.st_size);
  if (fileSize_ == 0) return FailWith(error, {FailureKind::kEmptyFile, "", "MP3", 0, 0, 0, "empty file"});
  std::string head = PRead(fd, 0, std::min(fileSize_, kHeadSize));

  if (IsRiffMp3(head)) {
    std::optional<RiffMp3Layout> layout =
        ParseRiffMp3(fileSize_, [&](uint64_t offset, uint64_t length) { return PRead(fd, offset, length); });
    if (!layout)
      return FailWith(error,
                      {FailureKind::kDamagedFile, "", "RIFF", 0, 0, 0, "RIFF MP3 without a data chunk"});
    riff_ = true;
    riffLayout_ = *layout;
    const RiffChunk& data = riffLayout_.chunks[static_cast<size_t>(riffLayout_.dataIndex)];
    audioOffset_ = data.offset + 8;
    audioSize_ = data.size;
    if (audioSize_ >= kId3v1Size) {
      id3v1_ = Id3v1Tag::Parse(PRead(fd, audioOffset_ + audioSize_ - kId3v1Size, kId3v1Size));
      if (id3v1_) {
        audioSize_ -= kId3v1Size;
        id3v1Offset_ = audioOffset_ + audioSize_;
      }
    }
    info_.emplace();
    if (riffLayout_.infoIndex >= 0) {
      const RiffChunk& list = riffLayout_.chunks[static_cast<size_t>(riffLayout_.infoIndex)];
      if (list.size <= kMaxInfoSize) *info_ = ParseRiffInfo(PRead(fd, list.offset + 8, list.size));
    }
  } else {
    if (head.size() >= 10 && head.compare(0, 3, "ID3") == 0) {
      auto version = static_cast<uint8_t>(head[3]);
      auto flags = static_cast<uint8_t>(head[5]);
      uint32_t size = 0;
      for (int i = 6; i < 10; ++i) {
        auto b = static_cast<uint8_t>(head[static_cast<size_t>(i)]);
        if (b & 0x80)
          return FailWith(error, {FailureKind::kDamagedFile, "", "ID3v2", 0, 0, 0, "damaged ID3v2 header"});
        size = (size << 7) | b;
      }
      if (version < 2 || version > 4)
        return FailWith(error, {FailureKind::kDamagedFile, "", "ID3v2", 0, 0, 0, "unknown ID3v2 version"});
      id3v2Size_ = 10 + uint64_t(size) + ((version == 4 && (flags & 0x10)) ? 10 : 0);
      if (id3v2Size_ > fileSize_)
        return FailWith(error, {FailureKind::kChunkPastEnd, "", "ID3v2", 0, 0, 0,
                                "the ID3v2 tag runs past the end of the file"});
      std::string tag = id3v2Size_ <= head.size() ? head.substr(0, id3v2Size_) : PRead(fd, 0, id3v2Size_);
      id3v2_ = Id3v2Tag::Parse(tag);
      if (!id3v2_)
        return FailWith(error, {FailureKind::kDamagedFile, "", "ID3v2", 0, 0, 0, "damaged ID3v2 tag"});
    } else if (IsOtherContainer(head) || !LooksLikeMpegAudio(head)) {
      return FailWith(error, {FailureKind::kNotFormat, "", "MP3", 0, 0, 0, "not an MPEG audio file"});
    }
    audioOffset_ = id3v2Size_;
    uint64_t end = fileSize_;
    // One read for the ID3v1 tag and the APE footer before it.
    uint64_t tailSize = std::min<uint64_t>(end - audioOffset_, kId3v1Size + kApeFooterSize);
    std::string tail = PRead(fd, end - tailSize, tailSize);
    std::string_view rest = tail;
    if (rest.size() >= kId3v1Size) {
      id3v1_ = Id3v1Tag::Parse(rest.substr(rest.size() - kId3v1Size));
      if (id3v1_) {
        end -= kId3v1Size;
        id3v1Offset_ = end;
        rest.remove_suffix(kId3v1Size);
      }
    }
    if (rest.size() >= kApeFooterSize) {
      uint64_t size = ApeTagData::TagSizeAtEnd(rest.substr(rest.size() - kApeFooterSize));
      if (size > 0 && end - audioOffset_ >= size) {
        ape_ = ApeTagData::Parse(PRead(fd, end - size, size));
        if (ape_) {
          apeOffset_ = end - size;
          apeSize_ = size;
          end = apeOffset_;
        }
      }
    }
    audioSize_ = end - audioOffset_;
  }

  // The first frames of the audio, with a Xing or VBRI header: usually
  // already in the head.
  constexpr uint64_t kAudioHead = 2048;
  std::string read;
  std::string_view audioHead;
  if (audioOffset_ + kAudioHead <= head.size()) {
    audioHead = std::string_view(head).substr(audioOffset_, kAudioHead);
  } else {
    read = PRead(fd, audioOffset_, std::min<uint64_t>(audioSize_, kAudioHead));
    audioHead = read;
  }
  audio_ = ReadMpegAudio(audioHead.substr(0, std::min<uint64_t>(audioHead.size(), audioSize_)), audioSize_);
  wantRiff_ = riff_;
  hadId3v1_ = id3v1_.has_value();
  hadId3v2_ = id3v2_ != nullptr;
  hadApe_ = ape_.has_value();
  return true;
}

uint32_t Mp3File::TagMask() const {
  uint32_t mask = 0;
  if (id3v1_) mask |= kMaskID3v1 | (id3v1_->v11 ? kMaskID3v1_1 : kMaskID3v1_0);
  if (id3v2_) {
    mask |= kMaskID3v2;
    mask |= id3v2_->Version() == 2 ? kMaskID3v2_2 : id3v2_->Version() == 3 ? kMaskID3v2_3 : kMaskID3v2_4;
  }
  if (riff_) mask |= kMaskRIFF;
  if (ape_) mask |= ape_->version == 1000 ? kMaskAPEv1 : kMaskAPEv2;
  return mask;
}

std::string Mp3File::GetValue(std::string_view name) const {
  if (name == "TIME") return PlayingTimeText(audio_ ? audio_->seconds : 0);
  if (name == "AFMT") return audio_ ? AudioFormatText(*audio_) : std::string();
  auto [stem, kind] = SplitName(name);
  if (kind == "v1") {
    if (!id3v1_) return {};
    const std::string* field = id3v1_->Field(stem);
    return field ? *field : std::string();
  }
  if (kind == "v2") return id3v2_ ? id3v2_->Get(stem) : std::string();
  if (kind == "APE") {
    std::string_view key = ApeKeyOf(stem);
    return ape_ && !key.empty() ? ape_->Get(key) : std::string();
  }
  if (kind == "rmp" && info_ && IsRiffInfoStem(stem)) return info_->Get(stem);
  return {};
}

StoredForm Mp3File::StoredFormOf(std::string_view name) const {
  auto [stem, kind] = SplitName(name);
  if (kind == "v2") {
    if (!id3v2_ || id3v2_->StoredEncoding(stem) != 0) return StoredForm::kUnicode;
    return id3v2_->StoredAsUtf8(stem) ? StoredForm::kUtf8InLatin1Frame : StoredForm::kLatin1Frame;
  }
  if (kind == "APE") return ape_ && ape_->version == 1000 ? StoredForm::kLegacyBytes : StoredForm::kUnicode;
  return StoredForm::kLegacyBytes;  // ID3v1, RIFF INFO
}

void Mp3File::SetValue(std::string_view name, std::string_view value) {
  const auto [stemPart, kind] = SplitName(name);
  std::string_view stem = stemPart;
  if (kind == "v1" && id3v1_) {
    if (std::string* field = id3v1_->Field(stem); field && *field != value) {
      *field = std::string(value);
      id3v1Dirty_ = true;
    }
  } else if (kind == "v2" && id3v2_) {
    id3v2_->Set(stem, value);
  } else if (kind == "APE" && ape_) {
    std::string_view key = ApeKeyOf(stem);
    if (!key.empty() && ape_->Get(key) != value) {
      ape_->Set(key, value);
      apeDirty_ = true;
    }
  } else if (kind == "rmp" && info_ && IsRiffInfoStem(stem)) {
    if (info_->Set(stem, value)) infoDirty_ = true;
  }
}

void Mp3File::SetOption(std::string_view name, std::string_view value) {
  Id3v2SaveOptions options{unicode_, unsync_, version_};
  options.Set(name, value);
  unicode_ = options.unicode, unsync_ = options.unsync, version_ = options.version;
}

bool Mp3File::Id3v2NeedsRender() const {
  if (!id3v2_) return false;
  return id3v2Dirty_ || id3v2_->Changed() || unicode_ >= 0 ||
         (unsync_ >= 0 && (unsync_ == 1) != id3v2_->Unsynchronised()) || (version_ && version_ != id3v2_->Version());
}

bool Mp3File::MakePlan(Plan& plan, std::string* error) const {
  plan.riff = wantRiff_;
  // Kinds left as they are keep their exact bytes.
  if (id3v1_) {
    plan.id3v1 = (id3v1Dirty_ || !hadId3v1_) ? id3v1_->Render(error) : ReadRange(id3v1Offset_, kId3v1Size);
    if (plan.id3v1->size() != kId3v1Size) {
      if (error && error->empty()) *error = "ID3v1 タグを読めません";
      return false;
    }
  }
  if (id3v2_) {
    if (Id3v2NeedsRender() || !hadId3v2_) {
      int version = version_ ? version_ : id3v2_->Version();
      bool unsync = unsync_ >= 0 ? unsync_ == 1 : id3v2_->Unsynchronised();
      plan.id3v2 = id3v2_->Render(version, unsync, unicode_, error);
      plan.id3v2Rendered = true;
    } else {
      plan.id3v2 = ReadRange(0, id3v2Size_);
    }
    if (plan.id3v2->empty()) return error && !error->empty() ? false : Fail(error, "ID3v2 タグを書き出せません");
  }
  if (ape_) plan.ape = (apeDirty_ || !hadApe_) ? ape_->Render() : ReadRange(apeOffset_, apeSize_);
  if (wantRiff_ && info_) {
    if (infoDirty_) {
      plan.info = RenderRiffInfo(*info_, InfoTextModeOf(unicode_));
    } else if (riff_ && riffLayout_.infoIndex >= 0) {
      const RiffChunk& list = riffLayout_.chunks[static_cast<size_t>(riffLayout_.infoIndex)];
      plan.info = ChunkHeader("LIST", list.size) + ReadRange(list.offset + 8, list.size);
      Pad(*plan.info);
    }
  }
  return true;
}

void Mp3File::FillNewId3v2FromId3v1() {
  if (hadId3v2_ || !id3v2_ || !id3v1_) return;
  for (std::string_view stem : {"IART", "INAM", "IPRD", "TRACK", "ICRD", "IGNR", "ICMT"}) {
    const std::string* value = id3v1_->Field(stem);
    if (value && !value->empty() && id3v2_->Get(stem).empty()) id3v2_->Set(stem, *value);
  }
}

bool Mp3File::Dirty() const {
  return id3v1Dirty_ || apeDirty_ || infoDirty_ || Id3v2NeedsRender() || wantRiff_ != riff_ ||
         hadId3v1_ != id3v1_.has_value() || hadId3v2_ != (id3v2_ != nullptr) || hadApe_ != ape_.has_value();
}

bool Mp3File::Save(std::string* error) {
  Plan plan;
  if (planned_) {
    // Rendered by PlanInPlace already (rendering consumes the staged values).
    plan = std::move(*planned_);
    planned_.reset();
  } else {
    FillNewId3v2FromId3v1();
    if (!Dirty()) return true;
    // The values meant, taken before rendering.
    for (TagKind kind : TagKindsOf(MediaFormat::MP3))
      for (std::string_view name : ValueNamesOf(kind)) plan.values.emplace_back(name, GetValue(name));
    if (!MakePlan(plan, error)) return false;
  }
  return Write(plan, error);
}

bool Mp3File::Write(const Plan& plan, std::string* error) {
  FileReplacement out;
  if (!out.Begin(path_, error)) return false;
  int in = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    out.Fail(errno);
    return out.Commit(error);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{in};
  struct stat st {};
  if (::fstat(in, &st) != 0 || static_cast<uint64_t>(st.st_size) != fileSize_)
    return Fail(error, "読み込んだ後にファイルが変更されたため保存しません (" + path_.string() + ")");
  // A file whose structure does not add up is never written.
  PayloadMap before;
  std::string why;
  if (!MapPayload(FileType::MP3, path_, before, &why))
    return Fail(error, ReasonAt(why, path_.string())
                           .value_or("ファイルの構造が壊れているため保存しません: " + why + " (" +
                                     path_.string() + ")"));

  if (!plan.riff) {
    // A tag written anew gets room to grow in place next time.
    if (plan.id3v2) out.Append(plan.id3v2Rendered ? PadNewId3v2(*plan.id3v2) : *plan.id3v2);
    out.AppendRange(in, audioOffset_, audioSize_);
    if (plan.ape) out.Append(*plan.ape);
    if (plan.id3v1) out.Append(*plan.id3v1);
  } else {
    uint64_t dataSize = audioSize_ + (plan.id3v1 ? kId3v1Size : 0);
    std::string info = plan.info.value_or(std::string());
    std::vector<RiffChunk> chunks = riff_ ? riffLayout_.chunks : std::vector<RiffChunk>{{"data", 0, 0}};
    int dataIndex = riff_ ? riffLayout_.dataIndex : 0;
    int infoIndex = riff_ ? riffLayout_.infoIndex : -1;
    uint64_t body = 4;
    for (size_t i = 0; i < chunks.size(); ++i) {
      if (static_cast<int>(i) == dataIndex)
        body += 8 + dataSize + (dataSize & 1);
      else if (static_cast<int>(i) == infoIndex)
        body += info.size();
      else
        body += 8 + chunks[i].size + (chunks[i].size & 1);
    }
    if (infoIndex < 0) body += info.size();
    if (body > kMaxRiffSize) return Fail(error, "RIFF 形式には大きすぎるファイルです");
    out.Append(RiffHeader(body - 4, "RMP3"));
    for (size_t i = 0; i < chunks.size(); ++i) {
      if (static_cast<int>(i) == dataIndex) {
        out.Append(ChunkHeader("data", dataSize));
        out.AppendRange(in, audioOffset_, audioSize_);
        if (plan.id3v1) out.Append(*plan.id3v1);
        if (dataSize & 1) out.Append(std::string(1, '\0'));
      } else if (static_cast<int>(i) == infoIndex) {
        out.Append(info);
      } else {
        out.Append(ChunkHeader(chunks[i].id, chunks[i].size));
        out.AppendRange(in, chunks[i].offset + 8, chunks[i].size);
        if (chunks[i].size & 1) out.Append(std::string(1, '\0'));
      }
    }
    if (infoIndex < 0) out.Append(info);
    // Bytes after the form (another program's trailing tag) stay as they are.
    if (riff_ && riffLayout_.end < fileSize_) out.AppendRange(in, riffLayout_.end, fileSize_ - riffLayout_.end);
  }
  if (out.Failed()) return out.Commit(error);
  PayloadMap after;
  if (!MapPayload(FileType::MP3, out.Temporary(), after, &why) ||
      !SamePayload(path_, before, out.Temporary(), after, &why))
    return FailWith(error, {FailureKind::kPayloadChanged, path_.string(), "", 0, 0, 0,
                            "the audio data of the written file differs: " + EnglishReason(why)});
  if (!Verify(out.Temporary(), plan, error)) return false;
  if (!out.Commit(error)) return false;
  return Load(error);
}

bool Mp3File::Verify(const std::filesystem::path& written, const Plan& plan, std::string* error) const {
  std::string why;
  std::unique_ptr<Mp3File> copy = Open(written, &why);
  auto refuse = [&](const std::string& what) {
    return Fail(error, "書き込んだファイルを確かめられないため保存しません: " + what + " (" + path_.string() + ")");
  };
  if (!copy) return refuse(why);
  if (copy->riff_ != plan.riff || copy->id3v1_.has_value() != plan.id3v1.has_value() ||
      (copy->id3v2_ != nullptr) != plan.id3v2.has_value() || copy->ape_.has_value() != plan.ape.has_value())
    return refuse("タグの種類が一致しません");
  if (copy->audioSize_ != audioSize_) return refuse("音声データの大きさが一致しません");
  return ValuesMatch(*copy, plan, &why) || refuse(why);
}

bool Mp3File::ValuesMatch(const Mp3File& copy, const Plan& plan, std::string* why) const {
  // Every value reads back as meant. ID3v1 fields are cut to their width.
  for (const auto& [name, meant] : plan.values) {
    std::string now = copy.GetValue(name);
    if (meant == now) continue;
    if (name.ends_with("_v1") && meant.compare(0, now.size(), now) == 0) continue;
    return Fail(why, name + " を読み戻せません");
  }
  return true;
}

TagFile::InPlacePlan Mp3File::PlanInPlace(InPlaceEdit& edit, std::string* error) {
  if (!edit.Identify(path_, error)) return InPlacePlan::Failed;
  if (edit.oldSize != fileSize_)
    return Fail(error, "読み込んだ後にファイルが変更されたため保存しません (" + path_.string() + ")"),
           InPlacePlan::Failed;
  FillNewId3v2FromId3v1();
  if (!Dirty()) return InPlacePlan::InPlace;
  // Wrapping, unwrapping, or adding or removing the ID3v2 tag moves the audio.
  if (riff_ || wantRiff_ || hadId3v2_ != (id3v2_ != nullptr)) return InPlacePlan::Rewrite;
  Plan plan;
  for (TagKind kind : TagKindsOf(MediaFormat::MP3))
    for (std::string_view name : ValueNamesOf(kind)) plan.values.emplace_back(name, GetValue(name));
  if (!MakePlan(plan, error)) return InPlacePlan::Failed;
  // A tag not rendered again keeps its bytes (and is not written).
  const bool renderFront = plan.id3v2 && plan.id3v2Rendered;
  std::string front = plan.id3v2.value_or(std::string());
  if (renderFront) {
    front = FitId3v2(*plan.id3v2, id3v2Size_);
    if (front.empty()) {
      planned_ = std::move(plan);
      return InPlacePlan::Rewrite;
    }
  }
  std::string tail = plan.ape.value_or(std::string()) + plan.id3v1.value_or(std::string());
  const uint64_t tailStart = audioOffset_ + audioSize_;

  // A file whose structure does not add up is never written; the audio
  // must lie between the two regions written.
  PayloadMap map;
  std::string why;
  if (!MapPayload(FileType::MP3, path_, map, &why))
    return Fail(error, ReasonAt(why, path_.string())
                           .value_or("ファイルの構造が壊れているため保存しません: " + why + " (" +
                                     path_.string() + ")")),
           InPlacePlan::Failed;
  for (const ByteRange& r : map.ranges) {
    if (r.offset < id3v2Size_ || r.offset + r.length > tailStart) {
      planned_ = std::move(plan);
      return InPlacePlan::Rewrite;
    }
  }

  // The new bytes parse back as the tags meant, with the values meant.
  auto refuse = [&](const std::string& what) {
    return Fail(error, "書き込む内容を確かめられないため保存しません: " + what + " (" + path_.string() + ")"),
           InPlacePlan::Failed;
  };
  Mp3File copy(path_);
  if (plan.id3v2) {
    copy.id3v2_ = Id3v2Tag::Parse(front);
    if (!copy.id3v2_) return refuse("ID3v2");
  }
  std::string_view rest = tail;
  if (plan.id3v1) {
    copy.id3v1_ = rest.size() >= kId3v1Size ? Id3v1Tag::Parse(rest.substr(rest.size() - kId3v1Size)) : std::nullopt;
    if (!copy.id3v1_) return refuse("ID3v1");
    rest.remove_suffix(kId3v1Size);
  }
  if (plan.ape) {
    uint64_t size = rest.size() >= kApeFooterSize ? ApeTagData::TagSizeAtEnd(rest.substr(rest.size() - kApeFooterSize)) : 0;
    if (size != rest.size()) return refuse("APE");
    copy.ape_ = ApeTagData::Parse(rest);
    if (!copy.ape_) return refuse("APE");
    rest = {};
  }
  if (!rest.empty()) return refuse("tail");
  if (!ValuesMatch(copy, plan, &why)) return refuse(why);

  // Only the bytes that differ are written.
  if (renderFront && front != ReadRange(0, id3v2Size_)) edit.writes.push_back({0, std::move(front)});
  if (tail != ReadRange(tailStart, fileSize_ - tailStart)) edit.writes.push_back({tailStart, std::move(tail)});
  edit.newSize = tailStart + (edit.writes.empty() || edit.writes.back().offset != tailStart
                                  ? fileSize_ - tailStart
                                  : edit.writes.back().bytes.size());
  return InPlacePlan::InPlace;
}

bool Mp3File::RemoveTagOnSave(Mp3Tag kind, std::string*) {
  switch (kind) {
    case Mp3Tag::ID3v1:
      id3v1_.reset();
      id3v1Dirty_ = false;
      break;
    case Mp3Tag::ID3v2:
      id3v2_.reset();
      id3v2Dirty_ = false;
      break;
    case Mp3Tag::APE:
      ape_.reset();
      apeDirty_ = false;
      break;
    case Mp3Tag::RIFF:
      wantRiff_ = false;
      info_.reset();
      infoDirty_ = false;
      break;
  }
  return true;
}

bool Mp3File::CreateTagOnSave(Mp3Tag kind, std::string* error) {
  // Kinds that exclude each other (RIFF against ID3v2 and APE) are not
  // created beside one another.
  auto held = [this](TagKind k) {
    switch (k) {
      case TagKind::MP3ID3v2: return id3v2_ != nullptr;
      case TagKind::MP3APE: return ape_.has_value();
      case TagKind::MP3RIFF: return wantRiff_;
      default: return false;
    }
  };
  const TagKind asKind = kMp3TagKinds[static_cast<size_t>(kind)];
  if (!held(asKind) && Mp3TagExcludedBy(asKind, held)) {
    if (kind == Mp3Tag::ID3v2)
      return Fail(error, "RIFF 形式の MP3 には ID3v2 タグを付けられません。先に RIFF を外してください");
    if (kind == Mp3Tag::APE) return Fail(error, "RIFF 形式の MP3 には APE タグを付けられません。先に RIFF を外してください");
    return Fail(error, "ID3v2 または APE タグのある MP3 は RIFF 形式にできません。先にそれらを外してください");
  }
  switch (kind) {
    case Mp3Tag::ID3v1:
      if (!id3v1_) id3v1_.emplace(), id3v1Dirty_ = true;
      break;
    case Mp3Tag::ID3v2:
      if (id3v2_) break;
      id3v2_ = std::make_unique<Id3v2Tag>();
      id3v2Dirty_ = true;
      break;
    case Mp3Tag::APE:
      if (ape_) break;
      ape_.emplace();
      apeDirty_ = true;
      break;
    case Mp3Tag::RIFF:
      if (wantRiff_) break;
      wantRiff_ = true;
      info_.emplace();
      break;
  }
  return true;
}

bool Mp3File::RemoveTag(Mp3Tag kind, std::string* error) {
  return RemoveTagOnSave(kind, error) && Save(error);
}

bool Mp3File::CreateTag(Mp3Tag kind, std::string* error) {
  return CreateTagOnSave(kind, error) && Save(error);
}

}  // namespace hozanki
