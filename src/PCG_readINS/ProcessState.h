#pragma once
// The state that crosses modules and lives for the whole run. Besides these: Verbose
// (platform/Console.h) and the bank buffers (Korg_Kronos_Defs/Korg_Kronos_Defs.h).
#include <cstdint>
#include <functional>
#include <string>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PCG_readINS/BankListing.h"
#include "platform/TextFile.h"

namespace morvane {

// The first positional argument as typed (the pattern itself in pattern mode).
extern std::string InputName;
// The type of the level-2 chunk being walked; after a walk it keeps the last one classified.
extern ChunkType CurrentChunkType;
// <base>.ins and <base>_out.txt of the conversion under way.
extern OutputTextFile InsFile;
extern OutputTextFile ListingFile;

// Why the walk under way does not convert the whole file: set where it rejects the file or stops
// at a bank it could not read, empty while it converts. A walk that runs to the file's normal end
// leaves it empty; the driver turns it into the exit status and a line on standard error.
extern std::string WalkFailure;

// Sees each bank right after Write_bank_listing has listed it: the one hook the extra output
// formats and the compare mode collect through. Empty unless one of them asked.
using BankListedHook = std::function<void(const ListedBank& bank)>;
extern BankListedHook BankListed;

}  // namespace morvane
