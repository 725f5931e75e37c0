#pragma once
// morvane /D old.pcg new.pcg: what changed between two bank files, on standard output.
#include "platform/Platform.h"

namespace morvane {

// Exit status as diff's: 0 nothing differs, 1 something does, 2 trouble (said on standard error).
int RunCompare(const platform::CommandLine& commandLine);

}  // namespace morvane
