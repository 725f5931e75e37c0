#pragma once
// Which model a PCG file is, read off its file header, and the walker that reads its layout.
#include "models/Models.h"
#include "platform/InputStream.h"

namespace morvane {

// The model the stream's file header names; Kronos for a header no model matches, which the
// Kronos walker then rejects as it always has. The stream is left at its start.
const Model& ModelOfFile(InputStream& stream);

// Walks the stream with its model's walker; the result and WalkFailure as Walk_chunks gives them.
bool WalkFile(InputStream& stream, bool TopLevelOnly, const Model& model);

}  // namespace morvane
