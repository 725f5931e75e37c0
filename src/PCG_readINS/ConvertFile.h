#pragma once
// Turns one open input stream into <base>.ins and <base>_out.txt in the working directory.
#include <string>

#include "platform/InputStream.h"

namespace morvane {

constexpr const char* kHeaderTemplateName = "Kronos_INS_header.ins";
constexpr const char* kTrailerTemplateName = "Kronos_INS_trailer.ins";

// The base is OutputBase without its directory part and one extension. Returns the walk's
// result. A template that cannot be opened ends the process with exit code 1.
bool ConvertFile(InputStream& stream, bool TopLevelOnly, const std::string& OutputBase);

}  // namespace morvane
