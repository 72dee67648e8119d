#pragma once
// Finding text that was read in the wrong code page and saved that way
// ("“ú–{" for 日本: code page 932 bytes read as Windows-1252 and stored as
// Unicode; "æ—¥æœ¬": UTF-8 bytes read the same way; EUC-JP bytes likewise),
// and text that is right here but stored in a legacy form other readers take
// for ISO-8859-1 (code page 932 bytes in an ISO-8859-1 frame of ID3v2).
//
// The decision uses the code page tables (iconv CP932, EUC-JP, CP1252) and
// the make-up of the candidate texts: how many of their characters are the
// everyday ones of Japanese writing (kana, first-level kanji, Japanese
// punctuation) against rare or implausible ones (second-level kanji alone,
// vendor extensions, private use, half-width katakana next to Latin
// letters). Western text with accents stays untouched: its accented letters
// never decode to everyday Japanese characters.

#include <optional>
#include <string>
#include <string_view>

namespace hozanki {

// How a value is stored in its file.
enum class StoredForm {
  kUnicode,      // a Unicode field (UTF-16/UTF-8 frame, APE version 2, Vorbis comment, MP4, WMA)
  kLatin1Frame,  // an ISO-8859-1 frame of ID3v2 holding legacy bytes (read as ReadLegacyBytes reads them)
  kUtf8InLatin1Frame,  // an ISO-8859-1 frame of ID3v2 holding UTF-8 bytes
  kLegacyBytes,  // a byte field read by ReadLegacyBytes: ID3v1, RIFF INFO, VQF, APE version 1
};

// kFine: nothing to do. kLegacy: right here, but stored in a form other
// programs read differently. kGarbled: read in the wrong code page and saved
// so; `proposed` undoes it. kAmbiguous: legacy bytes that read about as well
// in another code page; `proposed` is that other reading, offered but not
// meant to be taken without the user's look.
enum class TextVerdict { kFine, kLegacy, kGarbled, kAmbiguous };

// The code page the stored text really is in.
enum class SourceEncoding { kKeep, kShiftJis, kUtf8, kEucJp, kLatin1 };

struct TextDiagnosis {
  TextVerdict verdict = TextVerdict::kFine;
  std::string proposed;                            // the repaired text (the text itself when legacy)
  SourceEncoding source = SourceEncoding::kKeep;   // what the bytes really are
  double confidence = 0;                           // 0..1; 0 when fine
};

// How the bytes of a legacy tag field read (ID3v1 fields, ISO-8859-1 frames
// of ID3v2, RIFF INFO and VQF chunks, APE version 1 items): behind a UTF-8
// byte-order mark, or strictly valid UTF-8 holding a multi-byte sequence,
// UTF-8; else code page 932 when the bytes are valid there (no user-defined
// code F040-F9FC, no code without a character) and read as Japanese better
// than as ISO-8859-1, judged by the classes of the characters each reading
// gives ("Père" is valid code page 932 but reads as a rare kanji between
// Latin letters, "ｻｻﾞﾝ" is a run of Latin-1 signs); else ISO-8859-1.
struct LegacyReading {
  std::string text;                              // UTF-8
  SourceEncoding source = SourceEncoding::kKeep; // kUtf8, kShiftJis, kLatin1; kKeep for ASCII
  // The other reading, when the bytes read about as well both ways (both
  // plausible and close): listed by the encoding repair, never taken silently.
  std::optional<std::string> alternative;
  SourceEncoding alternativeSource = SourceEncoding::kKeep;
};
LegacyReading ReadLegacyBytes(std::string_view bytes);

// The verdict on one value as shown (`text`, UTF-8) and stored (`form`).
TextDiagnosis DiagnoseText(std::string_view text, StoredForm form);

// `text` re-read as `source` (the user's choice of a row): the bytes the text
// came from, decoded strictly as `source`. Nullopt when that cannot be done;
// kKeep gives the text itself.
std::optional<std::string> ReinterpretText(std::string_view text, StoredForm form, SourceEncoding source);

// "Shift-JIS", "UTF-8", "EUC-JP", "ISO-8859-1", "keep" (as the command line names them).
std::string_view SourceEncodingName(SourceEncoding source);
std::optional<SourceEncoding> SourceEncodingFromName(std::string_view name);
// "fine", "legacy", "garbled", "ambiguous".
std::string_view TextVerdictName(TextVerdict verdict);

// How Japanese a text reads: counts of its characters by kind (exposed for
// the tests and the benchmark's report).
struct JapaneseProfile {
  int ascii = 0;       // printable ASCII
  int asciiLetters = 0;
  int everyday = 0;    // kana, first-level kanji, Japanese punctuation, ideographic space
  int rare = 0;        // second-level kanji, full-width forms and symbols of code page 932
  int halfWidth = 0;   // half-width katakana
  int latin = 0;       // Latin-1 and Windows-1252 characters above ASCII
  int implausible = 0; // controls, private use, vendor extensions, characters outside code page 932
};
JapaneseProfile ProfileText(std::string_view utf8);

}  // namespace hozanki
