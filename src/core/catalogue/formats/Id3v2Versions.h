#pragma once
// Converting an ID3v2 tag between versions 2.3 and 2.4 frame by frame, so
// that no frame is lost on the way:
// - frames with a form in the other version are mapped: TYER + TDAT + TIME
//   and TDRC, TORY and TDOR, IPLS and TIPL; a 2.4 date that the 2.3 frames
//   cannot hold whole (a month without a day, seconds) keeps its 2.4 frame
//   too, ahead of them;
// - in a 2.3 tag, text written as UTF-8 or UTF-16BE (2.4 only) is written as
//   UTF-16 with a byte-order mark: text frames, comments, lyrics, user URLs,
//   pictures and objects, also inside chapter frames;
// - every other frame is carried with its body unchanged (readers skip
//   frames they do not know; the sort frames TSOP, TSOA, TSOT, TSO2, TSOC and
//   TCMP are read in either version), sub-frames of CHAP and CTOC likewise;
// - a frame that cannot be carried (encrypted, compressed or grouped, or
//   2.4 text of a layout we cannot re-encode) fails the conversion with the
//   reason: nothing is dropped silently.

#include <string>
#include <string_view>

namespace hozanki {

// The complete tag `tag` (version 2.3 or 2.4; whole-tag unsynchronisation,
// an extended header and a footer are undone) as a complete tag of
// `version` (3 or 4) with the same frames and as much padding as the old tag
// had room for. Empty with `error` set when a frame cannot be carried.
std::string ConvertId3v2Version(std::string_view tag, int version, std::string* error);

// A date as a 2.4 TDRC holds it ("2011", "2011-05-06", "2011-05-06T12:30")
// in the 2.3 frames: year "2011", TDAT "0605" (day, month), TIME "1230".
// False when the text is not such a date (then it has no 2.3 form but
// itself as TYER).
struct Id3v23Date {
  std::string year, dayMonth, hourMinute;  // empty when not in the date
};
bool SplitIsoDate(std::string_view text, Id3v23Date& out);
// The date the 2.3 frames hold, in the 2.4 form ("2011-05-06T12:30").
std::string JoinIsoDate(const Id3v23Date& date);

}  // namespace hozanki
