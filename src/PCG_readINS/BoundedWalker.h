#pragma once
// Walks the PCG stream of every model but the Kronos by its model's layout numbers (chunk-header
// size, name length, smallest record): each chunk stepped over by its size but for the program
// and combination chunks, whose banks go to the same listing writer as the Kronos's. A size is
// trusted only as far as its container and the file hold the bytes behind it.
#include "models/Models.h"
#include "platform/InputStream.h"

namespace morvane {

// True when every bank was listed and the file ends where its chunks do. False when the PCG1
// header is missing, a bank is not one of the model's banks (the walk goes on past it), or a
// chunk is cut short (the walk ends there); WalkFailure says why.
bool Walk_bounded_chunks(InputStream& stream, bool TopLevelOnly, const Model& model);

}  // namespace morvane
