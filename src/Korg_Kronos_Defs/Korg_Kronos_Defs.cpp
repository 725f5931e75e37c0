#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

#include <cstring>

namespace morvane {

const std::array<ChunkId, 9> ChunkTypeNames{{
    {'U', 'N', 'K', 'N'},
    ChunkIds::SLS1,
    ChunkIds::PRG1,
    ChunkIds::CMB1,
    ChunkIds::DKT1,
    ChunkIds::WSQ1,
    ChunkIds::ARP1,
    ChunkIds::GLB1,
    {'C', 'S', 'M', '1'},
}};

std::uint8_t ProgramBankHD1[kProgramBankSize];
std::uint8_t ProgramBankEXi[kProgramBankSize];
std::uint8_t CombiBank[kCombiBankSize];
std::uint8_t SetListBank[kSetListBankSize];
std::uint8_t SetListDataBlock[kSetListDataBlockSize];

void Swap32(std::uint32_t& word) {
    // Reads the stored bytes as big-endian, so the result is right whatever the host's order.
    std::uint8_t bytes[4];
    std::memcpy(bytes, &word, 4);
    word = static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

ChunkType Chunk_type_of(const ChunkId& id) {
    if (id == ChunkIds::SLS1) return ChunkType::SLS1;
    if (id == ChunkIds::PRG1) return ChunkType::PRG1;
    if (id == ChunkIds::CMB1) return ChunkType::CMB1;
    if (id == ChunkIds::DKT1) return ChunkType::DKT1;
    if (id == ChunkIds::ARP1) return ChunkType::ARP1;
    if (id == ChunkIds::GLB1) return ChunkType::GLB1;
    return ChunkType::Unknown;
}

bool Is_level2_chunk(const ChunkId& id) {
    return id == ChunkIds::SLS1 || id == ChunkIds::PRG1 || id == ChunkIds::CMB1 || id == ChunkIds::DKT1 ||
           id == ChunkIds::ARP1 || id == ChunkIds::WSQ1 || id == ChunkIds::GLB1;
}

bool Is_bank_chunk(ChunkType type, const ChunkId& id) {
    switch (type) {
        case ChunkType::PRG1: return id == ChunkIds::PBK1 || id == ChunkIds::MBK1;
        case ChunkType::CMB1: return id == ChunkIds::CBK1;
        case ChunkType::DKT1: return id == ChunkIds::DBK1;
        case ChunkType::ARP1: return id == ChunkIds::ABK1;
        default: return false;
    }
}

std::string IdText(const ChunkId& id) {
    const void* zero = std::memchr(id.data(), 0, id.size());
    const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - id.data()) : id.size();
    return std::string(id.data(), length);
}

std::string RecordName(const std::uint8_t* record) {
    const void* zero = std::memchr(record, 0, kNameLength);
    const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - record) : kNameLength;
    return std::string(reinterpret_cast<const char*>(record), length);
}

}  // namespace morvane
