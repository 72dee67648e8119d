#pragma once
// The one rule between the four tag kinds of an MP3 file: a RIFF-wrapped
// stream carries an INFO list (and may end in ID3v1) but no ID3v2 or APE
// tag, and a file with ID3v2 or APE is not RIFF-wrapped. ID3v1 goes with
// every kind. The check boxes, undo, the reader, the writer and the MP3
// class all ask here.

#include <array>
#include <optional>

#include "core/common/FormatRegistry.h"

namespace hozanki {

inline constexpr std::array kMp3TagKinds = {TagKind::MP3ID3v1, TagKind::MP3ID3v2, TagKind::MP3RIFF,
                                            TagKind::MP3APE};

// True when one MP3 file cannot carry both kinds (symmetric; false for a
// kind with itself and for kinds of other formats).
constexpr bool Mp3TagsExclude(TagKind a, TagKind b) {
  auto id3v2OrApe = [](TagKind k) { return k == TagKind::MP3ID3v2 || k == TagKind::MP3APE; };
  return (a == TagKind::MP3RIFF && id3v2OrApe(b)) || (b == TagKind::MP3RIFF && id3v2OrApe(a));
}

// The first MP3 kind `held(kind)` says is there that excludes `kind`, if any.
template <class Held>
constexpr std::optional<TagKind> Mp3TagExcludedBy(TagKind kind, Held held) {
  for (TagKind other : kMp3TagKinds)
    if (Mp3TagsExclude(kind, other) && held(other)) return other;
  return std::nullopt;
}

}  // namespace hozanki
