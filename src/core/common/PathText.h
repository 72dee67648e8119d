#pragma once
// A path as text that names exactly one file, also when its bytes are not
// UTF-8 (names written in code page 932 by other systems, say), for JSON
// output and for command-line arguments that read it back.
//
// The escape form: every byte that is not part of a valid UTF-8 sequence is
// written "%XX" (two upper-case hexadecimal digits) and every "%" as "%25";
// valid UTF-8 sequences stay as they are. Only paths that need it get the
// escape form: a path that is valid UTF-8 is its own text ("My%20Song.mp3"
// and "100%.mp3" included), unless it is itself exactly the escape form of
// another path, which it then must not be mistaken for ("a%82.mp3" becomes
// "a%2582.mp3"). So the text of a path decodes back to that path and to no
// other, and valid UTF-8 names keep the text they always had.

#include <string>
#include <string_view>

namespace hozanki {

// The text of a path's bytes.
std::string EncodePathText(std::string_view bytes);

// The path bytes a text names: the escape form decoded, any other text as it
// is (raw bytes given on a command line included).
std::string DecodePathText(std::string_view text);

// Whether `text` is the escape form of some path (and so decodes to other
// bytes than its own).
bool IsEscapedPathText(std::string_view text);

}  // namespace hozanki
