#pragma once
// The full help of --help, -? and /?.

namespace morvane {

void WriteHelp();

}  // namespace morvane
