#pragma once
// The text filters of hozanki-cli: UTF-8 lines in on standard input, one
// result line out per input line.

#include <functional>
#include <string>
#include <string_view>

namespace hozanki::cli {

// Runs `transform` on every line of standard input (without its "\n") and
// writes each result followed by "\n". A line that is not valid UTF-8 stops
// the filter with an error naming its line number: exit status 2.
int RunLineFilter(std::string_view command, const std::function<std::string(std::string_view)>& transform);

// A transform that may fail on a line: it returns the result, or sets
// `error` to the reason when it could not handle the line.
using CheckedLineTransform = std::function<std::string(std::string_view line, std::string& error)>;

// As RunLineFilter; a line the transform fails on stops the filter with an
// error naming its line number and the reason (nothing is written for it or
// after it): exit status 1.
int RunCheckedLineFilter(std::string_view command, const CheckedLineTransform& transform);

}  // namespace hozanki::cli
