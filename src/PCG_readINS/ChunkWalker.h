#pragma once
// Walks a PCG stream from its first byte to its end: checks the file and PCG1 headers, steps over
// the level-2 chunks it has no use for, and descends into set list, program and combination
// chunks, whose banks it has loaded and listed in file order.
#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "platform/InputStream.h"

namespace morvane {

// True when the walk ends at a short level-2 header read; false when the file is rejected or a
// chunk stops the walk. Either way WalkFailure says why the file is not converted: rejected, a
// bank that cannot be read, or damage the walk passes (a chunk that ends past the end of the
// file, a torn header), which changes nothing else of the walk. Raises RangeError for sizes and
// positions beyond 2^31.
bool Walk_chunks(InputStream& stream, bool TopLevelOnly);

// Called with the stream at the first content byte of the chunk whose header is H. True: go on,
// with H either the next level-2 header (already consumed) or unchanged with the stream past
// the chunk. False: end the walk.
bool Parse_chunk(InputStream& stream, ChunkHeader& H, ChunkType& type);

}  // namespace morvane
