#pragma once
// Turns one open input stream into <base>.ins and <base>_out.txt in the working directory.
#include <string>

#include "platform/InputStream.h"

namespace morvane {

// The base is OutputBase without its directory part and one extension. The file header names the
// model, whose templates frame the .ins and whose walker reads the file. Returns the walk's
// result. A template that cannot be opened ends the process with exit code 1.
bool ConvertFile(InputStream& stream, bool TopLevelOnly, const std::string& OutputBase);

}  // namespace morvane
