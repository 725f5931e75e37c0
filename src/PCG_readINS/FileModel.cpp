#include "PCG_readINS/FileModel.h"

#include <cstdint>

#include "PCG_readINS/ChunkWalker.h"
#include "PCG_readINS/BoundedWalker.h"

namespace morvane {

const Model& ModelOfFile(InputStream& stream) {
    std::uint8_t header[sizeof(PcgFileHeader)] = {};
    const std::uint32_t got = stream.Read(header, sizeof header);
    stream.Seek(0, SeekOrigin::Beginning);
    const Model* model = ModelOfHeader(header, got);
    return model ? *model : KronosModel();
}

bool WalkFile(InputStream& stream, bool TopLevelOnly, const Model& model) {
    if (model.layout == Layout::SizeDriven) return Walk_bounded_chunks(stream, TopLevelOnly, model);
    return Walk_chunks(stream, TopLevelOnly);
}

}  // namespace morvane
