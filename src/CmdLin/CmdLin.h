#pragma once
// Questions about the command line: is a switch present, how many positional arguments, which
// is the n-th. Every question scans the whole argument list afresh.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace morvane {

constexpr std::string_view SwitchChars{"-/"};

unsigned char LowerAscii(unsigned char c);
// True when the argument is a switch under the command line's rules. A lone '-' or '/' is a
// switch that names no letter.
bool IsSwitch(const platform::CommandLine& commandLine, const std::string& arg);
// 1-based index of the first switch with this letter (case folded), 0 when there is none.
std::int32_t FindSwitch(const platform::CommandLine& commandLine, char letter);
bool SwitchPresent(const platform::CommandLine& commandLine, char letter);
// True when an argument is exactly this word, such as "--help": the letter rule cannot tell
// such switches apart, since the letter of every "--" word is '-'.
bool WordPresent(const platform::CommandLine& commandLine, std::string_view word);
std::int32_t PositionalCount(const platform::CommandLine& commandLine);
// The n-th positional argument counted from 1; empty when there are fewer.
std::string PositionalArg(const platform::CommandLine& commandLine, std::int32_t n);

}  // namespace morvane
