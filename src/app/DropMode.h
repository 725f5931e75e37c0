#pragma once
// Files dropped on the program in Explorer (or on a shortcut to it, or sent to it): each is
// converted beside itself, a folder's *.pcg files one by one, and a message box says what became
// of each. A double-click without files explains this in the box instead.
#include "platform/Platform.h"

namespace morvane {

// Returns the exit code, as the same conversions or the /D comparison from a console would.
int RunDropMode(const platform::CommandLine& commandLine);

}  // namespace morvane
