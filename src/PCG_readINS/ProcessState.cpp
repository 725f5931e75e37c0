#include "PCG_readINS/ProcessState.h"

namespace morvane {

std::string InputName;
ChunkType CurrentChunkType = ChunkType::Unknown;
OutputTextFile InsFile;
OutputTextFile ListingFile;
std::string WalkFailure;
BankListedHook BankListed;

}  // namespace morvane
