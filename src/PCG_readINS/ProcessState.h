#pragma once
// The state that crosses modules and lives for the whole run. Besides these: Verbose
// (platform/Console.h) and the bank buffers (Korg_Kronos_Defs/Korg_Kronos_Defs.h).
#include <string>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "platform/TextFile.h"

namespace morvane {

// The first positional argument as typed (the pattern itself in pattern mode).
extern std::string InputName;
// The type of the level-2 chunk being walked; after a walk it keeps the last one classified.
extern ChunkType CurrentChunkType;
// <base>.ins and <base>_out.txt of the conversion under way.
extern OutputTextFile InsFile;
extern OutputTextFile ListingFile;

}  // namespace morvane
