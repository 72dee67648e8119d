#pragma once
// Why something failed, as data: a kind and its facts (the path, the part of
// the file, an offset, a limit, a system error number). The core does not
// word its reasons; the window and the command line turn a Failure into one
// Japanese sentence (FailureSentence), and the command line may add the
// English detail after it for scripts (FailureDetail).
//
// A Failure travels through the `std::string* error` reasons of the readers
// and writers as a record (EncodeFailure); WordReasons replaces every record
// in a reason by its wording. Text outside records is passed on as it is.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hozanki {

enum class FailureKind {
  kSystem,               // a system call failed on `path`: `code` (errno)
  kNoSuchFile,           // `path` names nothing
  kNotRegularFile,       // `path` is a FIFO, device, socket or the like
  kEmptyFile,            // the file holds no bytes at all
  kNotMediaFile,         // `path` has no extension of a format we read
  kNotFormat,            // the file is no `part` file (a format name) at all
  kChunkPastEnd,         // the part `part` (a chunk id, a tag) runs past the end of the file
  kDamagedFile,          // the structure of the `part` file does not add up (`detail` says how)
  kValueTooLong,         // the value `part` (a value name) is longer than `limit` bytes
  kPayloadChanged,       // the written copy's audio or video data differs from the file's
  kUnsupportedFile,      // a `part` file laid out in a way we cannot write safely
  kWriterFailed,         // the library writing the `part` file gave up
  kInputFieldType,       // the field `part` of input data (`path`) has the wrong type
  kChangedSinceListed,   // the file changed on disk since it was listed (`part`: what differs)
  kNotInCodePage,        // the legacy tag `path` (a tag kind) cannot hold the text `part`
  kTrackOutOfRange,      // the track number `part` is not from 1 to `limit`
  kGenreNotListed,       // the genre `part` is not in the tag's genre list
  kTagsExclude,          // the tag `part` cannot stand beside the file's other tags
  kFrameNotConvertible,  // the ID3v2 frame `part` has no form in the version the tag is saved as
  kMatchTooHard,         // a regular expression needs more backtracking than allowed
  kNotUtf8,              // a text to match is not valid UTF-8
  kMatchFailed,          // matching a regular expression failed otherwise
  kInternal,             // a request the program should never make (`detail` says which)
};

struct Failure {
  FailureKind kind = FailureKind::kSystem;
  std::string path;     // the file or folder concerned (may be empty)
  std::string part;     // a chunk id, a format, a value or field name
  uint64_t offset = 0;  // where in the file, when it is known
  uint64_t limit = 0;   // the limit a value went past
  int code = 0;         // errno for kSystem
  std::string detail;   // English specifics for scripts, in place of the kind's
                        // English wording (never shown in the window)
};

// A failure of `kind` about `path` (with errno `code`) and no other facts.
Failure PathFailure(FailureKind kind, std::string path, int code = 0);

// The record of `failure`, to be stored in a reason text.
std::string EncodeFailure(const Failure& failure);
// The first record in `text`, if any.
std::optional<Failure> DecodeFailure(std::string_view text);
// Stores the record in `*error` (when given) and returns false.
bool FailWith(std::string* error, const Failure& failure);

// One Japanese sentence for `failure`: it names the cause and the facts
// (path, part, limit); no English words but names and paths.
std::string FailureSentence(const Failure& failure);
// The English wording for the command line's scripts: `detail`, else the
// kind's English wording of the facts.
std::string FailureDetail(const Failure& failure);

// `reason` about `path`: the path filled into its record when the record
// has none (empty optional for text that holds no record).
std::optional<std::string> ReasonAt(std::string_view reason, const std::string& path);

// The English of a reason: the detail of its first record, else the text.
std::string EnglishReason(std::string_view text);

// `text` with every record replaced by its Japanese sentence (`withDetail`:
// followed by " (English detail)").
std::string WordReasons(std::string_view text, bool withDetail);

// Every kind, for walking them.
std::span<const FailureKind> AllFailureKinds();

}  // namespace hozanki
