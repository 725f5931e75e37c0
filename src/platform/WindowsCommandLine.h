#pragma once
// How a Windows program splits the single command-line string it is given. Pure, so that it
// builds and is tested on every platform; only the Win32 layer feeds it GetCommandLineA.
#include <string>
#include <vector>

namespace morvane::platform {

// The arguments after the program name. Bytes up to 32 separate arguments; double quotes
// group a run that may hold blanks and are dropped; a "" where an argument would start counts
// as a separator; the list ends at the first argument that comes out empty.
std::vector<std::string> SplitWindowsCommandLine(const char* commandLine);

}  // namespace morvane::platform
