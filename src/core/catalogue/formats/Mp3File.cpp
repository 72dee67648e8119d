#include "core/catalogue/formats/Mp3File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/catalogue/formats/FileRewrite.h"

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
  int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string out = PRead(fd, offset, length);
  ::close(fd);
  return out;
}

bool Mp3File::Load(std::string* error) {
  *this = Mp3File(std::move(path_));
  int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(error, "cannot open " + path_.string() + ": " + std::strerror(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return Fail(error, "not a regular file");
  fileSize_ = static_cast<uint64_t>(st.st_size);
  if (fileSize_ == 0) return Fail(error, "empty file");
  std::string head = PRead(fd, 0, std::min(fileSize_, kHeadSize));

  if (IsRiffMp3(head)) {
    std::optional<RiffMp3Layout> layout =
        ParseRiffMp3(fileSize_, [&](uint64_t offset, uint64_t length) { return PRead(fd, offset, length); });
    if (!layout) return Fail(error, "RIFF MP3 without a data chunk");
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
        if (b & 0x80) return Fail(error, "damaged ID3v2 header");
        size = (size << 7) | b;
      }
      if (version < 2 || version > 4) return Fail(error, "unknown ID3v2 version");
      id3v2Size_ = 10 + uint64_t(size) + ((version == 4 && (flags & 0x10)) ? 10 : 0);
      if (id3v2Size_ > fileSize_) return Fail(error, "the ID3v2 tag runs past the end of the file");
      std::string tag = id3v2Size_ <= head.size() ? head.substr(0, id3v2Size_) : PRead(fd, 0, id3v2Size_);
      id3v2_ = Id3v2Tag::Parse(tag);
      if (!id3v2_) return Fail(error, "damaged ID3v2 tag");
    } else if (IsOtherContainer(head) || !LooksLikeMpegAudio(head)) {
      return Fail(error, "not an MPEG audio file");
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
  if (name == "mp3_ID3v2Unicode" && (value == "0" || value == "1")) unicode_ = value == "1";
  if (name == "mp3_ID3v2Unsync" && (value == "0" || value == "1")) unsync_ = value == "1";
  if (name == "mp3_SaveID3v2Version") {
    if (value == "2.2") version_ = 2;
    if (value == "2.3") version_ = 3;
    if (value == "2.4") version_ = 4;
  }
}

bool Mp3File::Id3v2NeedsRender() const {
  if (!id3v2_) return false;
  return id3v2_->Changed() || unicode_ >= 0 || (unsync_ >= 0 && (unsync_ == 1) != id3v2_->Unsynchronised()) ||
         (version_ && version_ != id3v2_->Version());
}

Mp3File::Plan Mp3File::CurrentPlan() const {
  Plan plan;
  plan.riff = riff_;
  if (id3v1_) plan.id3v1 = ReadRange(id3v1Offset_, kId3v1Size);
  if (id3v2_) plan.id3v2 = ReadRange(0, id3v2Size_);
  if (ape_) plan.ape = ReadRange(apeOffset_, apeSize_);
  if (riff_ && riffLayout_.infoIndex >= 0) {
    const RiffChunk& list = riffLayout_.chunks[static_cast<size_t>(riffLayout_.infoIndex)];
    plan.info = ChunkHeader("LIST", list.size) + ReadRange(list.offset + 8, list.size);
    Pad(*plan.info);
  }
  return plan;
}

bool Mp3File::Save(std::string* error) {
  bool dirty = id3v1Dirty_ || apeDirty_ || infoDirty_ || Id3v2NeedsRender();
  if (!dirty) return true;
  Plan plan = CurrentPlan();
  if (id3v1Dirty_) {
    plan.id3v1 = id3v1_->Render(error);
    if (plan.id3v1->empty()) return false;
  }
  if (Id3v2NeedsRender()) {
    int version = version_ ? version_ : id3v2_->Version();
    bool unsync = unsync_ >= 0 ? unsync_ == 1 : id3v2_->Unsynchronised();
    plan.id3v2 = id3v2_->Render(version, unsync, unicode_, error);
    if (plan.id3v2->empty()) return false;
  }
  if (apeDirty_) plan.ape = ape_->Render();
  if (infoDirty_) plan.info = RenderRiffInfo(*info_, InfoTextModeOf(unicode_));
  return Write(plan, error);
}

bool Mp3File::Write(const Plan& plan, std::string* error) {
  FileRewrite rewrite(path_);
  if (!plan.riff) {
    if (plan.id3v2) rewrite.AddBytes(*plan.id3v2);
    rewrite.AddRange(audioOffset_, audioSize_);
    if (plan.ape) rewrite.AddBytes(*plan.ape);
    if (plan.id3v1) rewrite.AddBytes(*plan.id3v1);
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
    if (body > kMaxRiffSize) return Fail(error, "the file is too large for a RIFF form");
    rewrite.AddBytes(RiffHeader(body - 4, "RMP3"));
    for (size_t i = 0; i < chunks.size(); ++i) {
      if (static_cast<int>(i) == dataIndex) {
        rewrite.AddBytes(ChunkHeader("data", dataSize));
        rewrite.AddRange(audioOffset_, audioSize_);
        if (plan.id3v1) rewrite.AddBytes(*plan.id3v1);
        if (dataSize & 1) rewrite.AddBytes(std::string(1, '\0'));
      } else if (static_cast<int>(i) == infoIndex) {
        rewrite.AddBytes(info);
      } else {
        rewrite.AddBytes(ChunkHeader(chunks[i].id, chunks[i].size));
        rewrite.AddRange(chunks[i].offset + 8, chunks[i].size);
        if (chunks[i].size & 1) rewrite.AddBytes(std::string(1, '\0'));
      }
    }
    if (infoIndex < 0) rewrite.AddBytes(info);
    if (riff_ && riffLayout_.end < fileSize_) rewrite.AddRange(riffLayout_.end, fileSize_ - riffLayout_.end);
  }
  if (!rewrite.Commit(error)) return false;
  return Load(error);
}

bool Mp3File::RemoveTag(Mp3Tag kind, std::string* error) {
  Plan plan = CurrentPlan();
  switch (kind) {
    case Mp3Tag::ID3v1:
      if (!id3v1_) return true;
      plan.id3v1.reset();
      break;
    case Mp3Tag::ID3v2:
      if (!id3v2_) return true;
      plan.id3v2.reset();
      break;
    case Mp3Tag::APE:
      if (!ape_) return true;
      plan.ape.reset();
      break;
    case Mp3Tag::RIFF:
      if (!riff_) return true;
      plan.riff = false;
      plan.info.reset();
      break;
  }
  return Write(plan, error);
}

bool Mp3File::CreateTag(Mp3Tag kind, std::string* error) {
  Plan plan = CurrentPlan();
  switch (kind) {
    case Mp3Tag::ID3v1:
      if (id3v1_) return true;
      plan.id3v1 = Id3v1Tag().Render(error);
      break;
    case Mp3Tag::ID3v2:
      if (id3v2_) return true;
      if (riff_)
        return Fail(error, "a RIFF-wrapped MP3 cannot carry an ID3v2 tag; remove the RIFF form first");
      plan.id3v2 = Id3v2Tag::RenderEmpty(3, false);
      break;
    case Mp3Tag::APE:
      if (ape_) return true;
      if (riff_) return Fail(error, "a RIFF-wrapped MP3 cannot carry an APE tag; remove the RIFF form first");
      plan.ape = ApeTagData().Render();
      break;
    case Mp3Tag::RIFF:
      if (riff_) return true;
      if (id3v2_ || ape_)
        return Fail(error, "an MP3 with an ID3v2 or APE tag cannot be RIFF-wrapped; remove those tags first");
      plan.riff = true;
      break;
  }
  return Write(plan, error);
}

}  // namespace hozanki
