#pragma once
// The Korg PCG bank file as the converter reads it: headers, chunk identifiers, chunk types,
// bank sizes, record layouts and the fixed bank buffers.
//
// Multi-byte fields are stored big-endian. Structures are read raw, byte for byte, and a field
// is converted with Swap32 just before it is used.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace morvane {

// Four 8-bit characters, no terminator, compared byte for byte and case-sensitively. Compared
// as one 32-bit code: the walk compares identifiers at every header.
struct ChunkId {
    std::array<char, 4> chars;

    constexpr std::uint32_t Code() const {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(chars[0])) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(chars[1])) << 8 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(chars[2])) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(chars[3])) << 24;
    }
    const char* data() const { return chars.data(); }
    static constexpr std::size_t size() { return 4; }
    friend constexpr bool operator==(const ChunkId& a, const ChunkId& b) { return a.Code() == b.Code(); }
    friend constexpr bool operator!=(const ChunkId& a, const ChunkId& b) { return a.Code() != b.Code(); }
};

struct ChunkHeader {
    ChunkId Id;
    std::uint32_t Size;   // as stored: content bytes after this header
    std::uint32_t Parm2;  // as stored
};
static_assert(sizeof(ChunkHeader) == 12, "a chunk header is 12 bytes in the file");

struct PcgFileHeader {
    ChunkId Magic;
    std::uint8_t ProductCode;
    std::uint8_t Zero;
    std::array<std::uint8_t, 10> Unexamined;
};
static_assert(sizeof(PcgFileHeader) == 16, "the file header is 16 bytes");

struct BankHeader {
    std::uint32_t RecordCount;
    std::uint32_t RecordSize;
    std::uint32_t BankId;
};
static_assert(sizeof(BankHeader) == 12, "a bank header is 12 bytes in the file");

constexpr std::uint8_t kProductTriton = 0x50;
constexpr std::uint8_t kProductKronos = 0x68;

// Reverses a big-endian word as stored in the file into its value on this host.
inline void Swap32(std::uint32_t& word) {
    // Reads the stored bytes as big-endian, so the result is right whatever the host's order.
    std::uint8_t bytes[4];
    std::memcpy(bytes, &word, 4);
    word = static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}
inline std::uint32_t Swapped32(std::uint32_t word) {
    Swap32(word);
    return word;
}

enum class ChunkType : std::uint8_t { Unknown, SLS1, PRG1, CMB1, DKT1, WSQ1, ARP1, GLB1, CSM1 };
extern const std::array<ChunkId, 9> ChunkTypeNames;

namespace ChunkIds {
constexpr ChunkId KORG{{'K', 'O', 'R', 'G'}};
constexpr ChunkId PCG1{{'P', 'C', 'G', '1'}};
constexpr ChunkId SLS1{{'S', 'L', 'S', '1'}};
constexpr ChunkId PRG1{{'P', 'R', 'G', '1'}};
constexpr ChunkId PBK1{{'P', 'B', 'K', '1'}};
constexpr ChunkId MBK1{{'M', 'B', 'K', '1'}};
constexpr ChunkId CMB1{{'C', 'M', 'B', '1'}};
constexpr ChunkId CBK1{{'C', 'B', 'K', '1'}};
constexpr ChunkId DKT1{{'D', 'K', 'T', '1'}};
constexpr ChunkId DBK1{{'D', 'B', 'K', '1'}};
constexpr ChunkId WSQ1{{'W', 'S', 'Q', '1'}};
constexpr ChunkId ARP1{{'A', 'R', 'P', '1'}};
constexpr ChunkId ABK1{{'A', 'B', 'K', '1'}};
constexpr ChunkId GLB1{{'G', 'L', 'B', '1'}};
}  // namespace ChunkIds

ChunkType Chunk_type_of(const ChunkId& id);
bool Is_level2_chunk(const ChunkId& id);
bool Is_bank_chunk(ChunkType type, const ChunkId& id);
// An identifier as trace lines show it: its four characters, cut at the first zero byte.
std::string IdText(const ChunkId& id);

// Record layouts.
constexpr std::uint32_t kRecordsPerBank = 128;
constexpr std::uint32_t kNameLength = 24;
constexpr std::uint32_t kProgramRecordSize = 4960;
constexpr std::uint32_t kCombiRecordSize = 7810;
constexpr std::uint32_t kSetListSlotSize = 542;
constexpr std::uint32_t kSetListSlotsOffset = kNameLength;
constexpr std::uint32_t kSetListEqOffset = kSetListSlotsOffset + kRecordsPerBank * kSetListSlotSize;
constexpr std::uint32_t kSetListEqSize = 16;
constexpr std::uint32_t kSetListRecordSize = kSetListEqOffset + kSetListEqSize;
static_assert(kSetListRecordSize == 69416, "set list record layout");

// Bank data sizes: what each bank chunk holds after its BankHeader.
constexpr std::uint32_t kProgramBankSize = kRecordsPerBank * kProgramRecordSize;  // 634880
constexpr std::uint32_t kCombiBankSize = kRecordsPerBank * kCombiRecordSize;      // 999680
constexpr std::uint32_t kSetListBankSize = kRecordsPerBank * kSetListRecordSize;  // 8885248
constexpr std::uint32_t kSetListDataBlockSize = 462336;

// The fixed bank buffers, process-wide for the whole run, zero at the start. A buffer keeps its
// contents from one bank, and one input file, to the next. They lie in one block, aligned so
// that the system can back it with large pages where the build asks for it.
extern std::uint8_t (&ProgramBankHD1)[kProgramBankSize];
extern std::uint8_t (&ProgramBankEXi)[kProgramBankSize];
extern std::uint8_t (&CombiBank)[kCombiBankSize];
extern std::uint8_t (&SetListBank)[kSetListBankSize];
extern std::uint8_t (&SetListDataBlock)[kSetListDataBlockSize];
std::uint8_t* BankBuffersBegin();
std::size_t BankBuffersSize();

// A record's name: its first 24 bytes up to the first zero byte, taken as they are. The view
// points into the record.
std::string_view RecordName(const std::uint8_t* record);
// The same for a name field of any length (a Triton name has 16 bytes).
std::string_view RecordNameOf(const std::uint8_t* record, std::uint32_t nameLength);

}  // namespace morvane
