#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

#include <cstring>

namespace morvane {

const std::array<ChunkId, 9> ChunkTypeNames{{
    {{'U', 'N', 'K', 'N'}},
    ChunkIds::SLS1,
    ChunkIds::PRG1,
    ChunkIds::CMB1,
    ChunkIds::DKT1,
    ChunkIds::WSQ1,
    ChunkIds::ARP1,
    ChunkIds::GLB1,
    {{'C', 'S', 'M', '1'}},
}};

#ifndef MORVANE_BANK_BUFFER_ALIGNMENT
#define MORVANE_BANK_BUFFER_ALIGNMENT 64
#endif

namespace {

struct alignas(MORVANE_BANK_BUFFER_ALIGNMENT) BankBufferBlock {
    std::uint8_t setListBank[kSetListBankSize];
    std::uint8_t combiBank[kCombiBankSize];
    std::uint8_t programBankHD1[kProgramBankSize];
    std::uint8_t programBankEXi[kProgramBankSize];
    std::uint8_t setListDataBlock[kSetListDataBlockSize];
};

BankBufferBlock bankBuffers;

}  // namespace

std::uint8_t (&ProgramBankHD1)[kProgramBankSize] = bankBuffers.programBankHD1;
std::uint8_t (&ProgramBankEXi)[kProgramBankSize] = bankBuffers.programBankEXi;
std::uint8_t (&CombiBank)[kCombiBankSize] = bankBuffers.combiBank;
std::uint8_t (&SetListBank)[kSetListBankSize] = bankBuffers.setListBank;
std::uint8_t (&SetListDataBlock)[kSetListDataBlockSize] = bankBuffers.setListDataBlock;

std::uint8_t* BankBuffersBegin() { return reinterpret_cast<std::uint8_t*>(&bankBuffers); }

std::size_t BankBuffersSize() { return sizeof bankBuffers; }

ChunkType Chunk_type_of(const ChunkId& id) {
    switch (id.Code()) {
        case ChunkIds::SLS1.Code(): return ChunkType::SLS1;
        case ChunkIds::PRG1.Code(): return ChunkType::PRG1;
        case ChunkIds::CMB1.Code(): return ChunkType::CMB1;
        case ChunkIds::DKT1.Code(): return ChunkType::DKT1;
        case ChunkIds::ARP1.Code(): return ChunkType::ARP1;
        case ChunkIds::GLB1.Code(): return ChunkType::GLB1;
        default: return ChunkType::Unknown;
    }
}

bool Is_level2_chunk(const ChunkId& id) {
    switch (id.Code()) {
        case ChunkIds::SLS1.Code():
        case ChunkIds::PRG1.Code():
        case ChunkIds::CMB1.Code():
        case ChunkIds::DKT1.Code():
        case ChunkIds::ARP1.Code():
        case ChunkIds::WSQ1.Code():
        case ChunkIds::GLB1.Code(): return true;
        default: return false;
    }
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

std::string_view RecordName(const std::uint8_t* record) { return RecordNameOf(record, kNameLength); }

std::string_view RecordNameOf(const std::uint8_t* record, std::uint32_t nameLength) {
    const void* zero = std::memchr(record, 0, nameLength);
    const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - record) : nameLength;
    return std::string_view(reinterpret_cast<const char*>(record), length);
}

}  // namespace morvane
