#include "PCG_readINS/ChunkWalker.h"

#include <string>

#include "PCG_readINS/BankListing.h"
#include "PCG_readINS/BankLoader.h"
#include "PCG_readINS/Format.h"
#include "PCG_readINS/ProcessState.h"
#include "platform/Console.h"
#include "platform/Errors.h"

namespace morvane {

namespace {

constexpr ChunkId kSLD1{{'S', 'L', 'D', '1'}};
constexpr ChunkId kSTL1{{'S', 'T', 'L', '1'}};
constexpr ChunkId kSDB1{{'S', 'D', 'B', '1'}};
constexpr ChunkId kSBK1{{'S', 'B', 'K', '1'}};

constexpr std::uint32_t kHeaderSize = sizeof(ChunkHeader);
constexpr std::int32_t kDumpedChunkSize = 44;

std::int32_t SignedSize(std::uint32_t storedSize) { return static_cast<std::int32_t>(Swapped32(storedSize)); }

// Damage the walk passes without reading: a chunk that ends past the end of the file, a header
// torn by it. The walk goes on exactly as before; the file is only reported as not converted,
// with the first damage found, so that one cut is told once.
void NoteCutShort(const std::string& what) {
    if (WalkFailure.empty()) WalkFailure = what + " is cut short";
}

std::string ChunkAt(const ChunkId& id, std::int64_t headerOffset) {
    return "the " + IdText(id) + " chunk at offset " + std::to_string(headerOffset);
}

// A chunk whose body starts at body and holds the size its header gives (unsigned: a size the
// walk reads as negative still says where the chunk would end).
void CheckChunkEnd(const InputStream& stream, const ChunkHeader& header, std::int64_t body) {
    if (body + Swapped32(header.Size) > stream.Size()) NoteCutShort(ChunkAt(header.Id, body - kHeaderSize));
}

std::uint32_t ReadHeader(InputStream& stream, ChunkHeader& header) { return stream.Read(&header, kHeaderSize); }

// Right after a header read of n bytes that ends the walk: 1 to 11 of them is a header the end of
// the file tore. Checked only where the walk ends, not at every header: a walk may read one at
// every byte of a large file.
void CheckTornHeader(const InputStream& stream, std::uint32_t n) {
    if (n > 0 && n < kHeaderSize) NoteCutShort("the chunk header at offset " + std::to_string(stream.Position() - n));
}

bool AtEndOfData(std::uint32_t n, const InputStream& stream) { return n < kHeaderSize || stream.Position() >= stream.Size(); }

void TraceDump(const std::uint8_t (&dump)[kDumpedChunkSize]) {
    std::string bytes, words;
    for (std::uint8_t byte : dump) FormatAppend(bytes, "%2.2x ", {byte});
    for (int k = 0; k < kDumpedChunkSize / 4; ++k) {
        const std::uint32_t word = static_cast<std::uint32_t>(dump[4 * k]) << 24 | static_cast<std::uint32_t>(dump[4 * k + 1]) << 16 |
                                   static_cast<std::uint32_t>(dump[4 * k + 2]) << 8 | dump[4 * k + 3];
        FormatAppend(words, "  %8.8x  ", {word});
    }
    ConsoleLine(bytes);
    ConsoleLine(words);
}

// Level-2 chunks the walk has no use for (all of them with TopLevelOnly): step over each by its
// size and read the header after it.
void StepOverLevel2Chunks(InputStream& stream, ChunkHeader& H, std::uint32_t& n, bool TopLevelOnly,
                          std::uint8_t (&dump)[kDumpedChunkSize], std::int64_t& headerEnd) {
    while (n == kHeaderSize && (TopLevelOnly || CurrentChunkType == ChunkType::Unknown)) {
        const std::int32_t s = SignedSize(H.Size);
        if (Verbose) {
            ConsoleLine(Format("   Name: %s  Size: %d (0x%x)", {IdText(H.Id), s, s}));
            ConsoleLine("L2: Skipping over " + IdText(H.Id) + " chunk. ");
        }
        if (s == kDumpedChunkSize) {
            if (stream.Read(dump, kDumpedChunkSize) < kDumpedChunkSize) NoteCutShort(ChunkAt(H.Id, headerEnd - kHeaderSize));
            if (Verbose) TraceDump(dump);
        } else {
            RequireNonNegative(s, "chunk size");
            CheckChunkEnd(stream, H, stream.Position());
            stream.Seek(s, SeekOrigin::Current);
            if (Verbose) ConsoleWrite(Format("Seeking  %d (%x) bytes", {s, s}));
        }
        n = ReadHeader(stream, H);
        headerEnd = stream.Position();
        if (Verbose) ConsoleLine(" --  Next:  " + IdText(H.Id) + " ");
        CurrentChunkType = Chunk_type_of(H.Id);
    }
}

bool ExitParse(bool result) {
    if (Verbose) ConsoleLine("Exit Parse_chunk.");
    return result;
}

// The level-2 chunk a Parse_chunk call is in: its size L, the entry position E, and the position
// right after the header the walk last read or took over. E is that position when the walk
// entered the chunk from its header; it is not when the walk re-enters after stepping over the
// chunk (H unchanged), and the headers read there belong to no chunk of H's.
struct Level2 {
    std::int32_t L;
    std::int32_t E;
    std::int64_t headerEnd;
    bool FromHeader() const { return E == headerEnd; }
};

// The walk met the end of the data inside a set list, program or combination chunk, right after
// a header read of n bytes: a torn header, a whole sub-chunk that still has a body to come, a
// chunk whose size runs past the end, or a step over the whole chunk that landed past the end
// (this call re-entered there) is cut short; one that ends right here is whole.
void CheckEndInside(const InputStream& stream, const ChunkHeader& H, const Level2& chunk, const ChunkHeader& S, std::uint32_t n) {
    CheckTornHeader(stream, n);
    if (n == kHeaderSize && S.Size != 0) NoteCutShort(ChunkAt(S.Id, stream.Position() - n));
    if (chunk.FromHeader()) {
        CheckChunkEnd(stream, H, chunk.E);
    } else if (chunk.E > stream.Size()) {
        const std::int64_t stepFrom = std::int64_t{chunk.E} - chunk.L;
        NoteCutShort(stepFrom == chunk.headerEnd ? ChunkAt(H.Id, stepFrom - kHeaderSize)
                                                 : "the data stepped over from offset " + std::to_string(stepFrom));
    }
}

// The sub-chunk S starts the next level-2 chunk: it becomes the walker's current header.
bool HandOver(const InputStream& stream, const ChunkHeader& S, ChunkHeader& H, std::int64_t& headerEnd) {
    if (Verbose) ConsoleLine("Current chunk is " + IdText(S.Id) + ": Start Next L2 Chunk Here.....");
    H = S;
    headerEnd = stream.Position();
    return ExitParse(true);
}

// Steps over the whole chunk that started at E, whatever it holds after the sub-chunk that led
// here; H stays as it is, so the walker re-enters with the following header.
bool StepOverWholeChunk(InputStream& stream, const Level2& chunk, const char* words) {
    const std::int32_t L = chunk.L, E = chunk.E;
    const std::int64_t position = stream.Position();
    if (Verbose) ConsoleLine(Format("Seek back to previous. File Position now: %d (0x%x)", {position, position}));
    stream.Seek(E, SeekOrigin::Beginning);
    if (Verbose) {
        ConsoleLine(Format("End of Parse_chunk - %s, skipping ahead %d (%x) from position %d (%x)", {words, L, L, E, E}));
    }
    RequireNonNegative(L, "chunk size");
    // A size of 0 would re-enter at this very position for ever.
    if (L == 0) return ExitParse(false);
    stream.Seek(L, SeekOrigin::Current);
    RequireBelow2G(stream.Position(), "stream position");
    return ExitParse(true);
}

bool ParseSetListChunk(InputStream& stream, ChunkHeader& H, ChunkType& type, const Level2& chunk, std::int64_t& headerEnd) {
    if (Verbose) ConsoleLine("Parse_chunk - SLS1: ");
    ChunkHeader S{};
    for (;;) {
        const std::uint32_t n = ReadHeader(stream, S);
        const std::int32_t sz = SignedSize(S.Size);
        const std::int32_t p = SignedSize(S.Parm2);
        if (AtEndOfData(n, stream)) {
            CheckEndInside(stream, H, chunk, S, n);
            if (Verbose) ConsoleLine("End Of File encountered");
            return false;
        }
        if (Verbose) {
            ConsoleLine(Format("Reading contents of SLS type chunk (%s) of size %d (%x), Parm2: %d (%x)",
                               {IdText(S.Id), sz, sz, p, p}));
        }
        if (S.Id == kSLD1 || S.Id == kSTL1) {
            if (Verbose) ConsoleLine(" Parsing SLS1 ---- skipping " + IdText(S.Id));
            continue;
        }
        if (S.Id == kSDB1 || S.Id == kSBK1) {
            const std::int64_t offset = RequireBelow2G(stream.Position(), "stream position") - std::int64_t{kHeaderSize};
            BankHeader bankHeader{};  // fields a short read does not deliver read as 0
            const bool wholeHeader = stream.Read(&bankHeader, sizeof bankHeader) == sizeof bankHeader;
            const auto count = static_cast<std::int32_t>(Swapped32(bankHeader.RecordCount));
            const auto size = static_cast<std::int32_t>(Swapped32(bankHeader.RecordSize));
            const auto bankId = static_cast<std::int32_t>(Swapped32(bankHeader.BankId));
            if (Verbose) ConsoleLine(Format("       Bank Header: #progs: %d, ObjSize %d, BankID: %d", {count, size, bankId}));
            if (S.Id == kSDB1) {
                const bool wholeBlock = stream.Read(SetListDataBlock, kSetListDataBlockSize) == kSetListDataBlockSize;
                if (!wholeHeader || !wholeBlock) NoteCutShort(ChunkAt(S.Id, offset));
                if (Verbose) ConsoleLine(Format("Reading %s data: %d (0x%x) bytes", {"SDB1", kSetListDataBlockSize, kSetListDataBlockSize}));
                continue;
            }
            const std::uint32_t delivered = stream.Read(SetListBank, kSetListBankSize);
            if (Verbose) ConsoleLine(Format("Reading %s data: %d (0x%x) bytes", {"SBK1", kSetListBankSize, kSetListBankSize}));
            // A bank cut short would list stale set lists of an earlier bank or file.
            if (delivered < kSetListBankSize) {
                WalkFailure = "set list bank (SBK1) is cut short";
                return ExitParse(false);
            }
            Write_bank_listing(SetListBank, type, "");
            continue;
        }
        if (Verbose) {
            ConsoleLine(IdText(S.Id) + ": SLS1 L2 Parse: Not a known chunk in " +
                        IdText(ChunkTypeNames[static_cast<std::size_t>(type)]) + " type. File Position: " +
                        std::to_string(chunk.E) + " of " + std::to_string(stream.Size()));
        }
        if (Is_level2_chunk(S.Id)) return HandOver(stream, S, H, headerEnd);
        return StepOverWholeChunk(stream, chunk, "SLS1");
    }
}

const std::uint8_t* BufferOf(const ChunkId& id) {
    if (id == ChunkIds::CBK1) return CombiBank;
    if (id == ChunkIds::MBK1) return ProgramBankEXi;
    return ProgramBankHD1;
}

bool ParseBankChunk(InputStream& stream, ChunkHeader& H, ChunkType& type, const Level2& chunk, std::int64_t& headerEnd) {
    const std::int32_t L = chunk.L, E = chunk.E;
    ChunkHeader S{};
    for (;;) {
        if (Verbose) {
            ConsoleLine(Format("Reading inside L2 chunk (%s) of size %d (%x) at File Position: %d (0x%x)",
                               {IdText(H.Id), L, L, E, E}));
        }
        const std::uint32_t n = ReadHeader(stream, S);
        if (AtEndOfData(n, stream)) {
            CheckEndInside(stream, H, chunk, S, n);
            if (Verbose) ConsoleLine("End Of File encountered");
            return false;
        }
        const std::uint32_t sz = Swapped32(S.Size);
        if (Is_bank_chunk(type, S.Id)) {
            if (Verbose) ConsoleLine("       Name: " + IdText(S.Id) + "  Size: " + std::to_string(sz));
            std::string bankName;
            if (!Read_bank(stream, S, bankName)) return ExitParse(false);
            Write_bank_listing(BufferOf(S.Id), type, bankName);
            continue;
        }
        if (Verbose) {
            ConsoleLine(Format("%s: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type %d. Current File Position: %d (%x)",
                               {IdText(S.Id), static_cast<int>(type), E, E}));
        }
        if (Is_level2_chunk(S.Id)) return HandOver(stream, S, H, headerEnd);
        return StepOverWholeChunk(stream, chunk, "PRG1/CMB1");
    }
}

// DKT1, ARP1, GLB1: stepped over by size; the next level-2 header is read here.
bool StepOverOtherChunk(InputStream& stream, ChunkHeader& H, const Level2& chunk, std::int64_t& headerEnd) {
    const std::int32_t L = chunk.L, E = chunk.E;
    if (Verbose) {
        ConsoleLine(Format("Other type Parse_chunk - %s, skipping ahead %d (%x) from position %d (%x)",
                           {IdText(H.Id), L, L, E, E}));
    }
    RequireNonNegative(L, "chunk size");
    CheckChunkEnd(stream, H, E);
    stream.Seek(L, SeekOrigin::Current);
    RequireBelow2G(stream.Position(), "stream position");
    const std::uint32_t n = ReadHeader(stream, H);
    headerEnd = stream.Position();
    CheckTornHeader(stream, n);
    return ExitParse(n == kHeaderSize);
}

// Parse_chunk, told where the walk last read or took over a level-2 header: headerEnd is the
// position right after it, and moves on with every header that replaces H.
bool ParseChunkAt(InputStream& stream, ChunkHeader& H, ChunkType& type, std::int64_t& headerEnd) {
    const std::int32_t E = RequireBelow2G(stream.Position(), "stream position");
    const Level2 chunk{SignedSize(H.Size), E, headerEnd};
    switch (type) {
        case ChunkType::SLS1: return ParseSetListChunk(stream, H, type, chunk, headerEnd);
        case ChunkType::PRG1:
        case ChunkType::CMB1: return ParseBankChunk(stream, H, type, chunk, headerEnd);
        default: return StepOverOtherChunk(stream, H, chunk, headerEnd);
    }
}

// One of the three rejections of a file that is not a PCG file the walk can read.
bool Reject(const char* message, std::string reason) {
    ConsoleLine(message);
    WalkFailure = "not a PCG file: " + std::move(reason);
    return false;
}

}  // namespace

bool Parse_chunk(InputStream& stream, ChunkHeader& H, ChunkType& type) {
    std::int64_t headerEnd = stream.Position();
    return ParseChunkAt(stream, H, type, headerEnd);
}

bool Walk_chunks(InputStream& stream, bool TopLevelOnly) {
    WalkFailure.clear();
    PcgFileHeader fileHeader{};
    const std::uint32_t headerBytes = stream.Read(&fileHeader, sizeof fileHeader);
    if (headerBytes < sizeof fileHeader.Magic || fileHeader.Magic != ChunkIds::KORG) {
        return Reject("PCG file does not have a valid KORG header.", "it does not begin with a KORG header");
    }
    if (headerBytes < sizeof fileHeader) {
        return Reject("PCG file does not have a valid KORG header.", "it ends inside its KORG header");
    }
    if (fileHeader.Zero != 0) {
        return Reject("PCG file does not have a valid KORG header.", "byte 5 of its KORG header is not zero");
    }
    if (fileHeader.ProductCode != kProductTriton && fileHeader.ProductCode != kProductKronos) {
        return Reject("This PCG is not in Triton or Kronos format, so can't read it.",
                      Format("product code 0x%2.2x is neither Triton (0x50) nor Kronos (0x68)", {fileHeader.ProductCode}));
    }

    ChunkHeader H{};
    std::uint32_t n = ReadHeader(stream, H);
    if (Verbose) {
        const std::int32_t size = SignedSize(H.Size);
        ConsoleLine(Format("PCGChunk PCG1:   Name: %s  Size: %d (0x%x)", {IdText(H.Id), size, size}));
    }
    if (H.Id != ChunkIds::PCG1 || n < kHeaderSize) {
        return Reject("PCG file does not have a valid PCG header.", "no PCG1 chunk follows its KORG header");
    }
    if (Verbose) ConsoleLine(" Start 2nd level parsing...");

    bool resume = false;
    std::uint8_t dump[kDumpedChunkSize] = {};
    std::int64_t headerEnd = 0;
    for (;;) {
        if (!resume) {
            n = ReadHeader(stream, H);
            headerEnd = stream.Position();
        }
        CurrentChunkType = Chunk_type_of(H.Id);
        StepOverLevel2Chunks(stream, H, n, TopLevelOnly, dump, headerEnd);
        if (n < kHeaderSize) {
            CheckTornHeader(stream, n);
            if (Verbose) ConsoleLine(" File contains no more programs.");
            return true;
        }
        if (Verbose) ConsoleLine("Enter Parse_Chunk with " + IdText(H.Id));
        if (!ParseChunkAt(stream, H, CurrentChunkType, headerEnd)) return false;
        resume = true;
    }
}

}  // namespace morvane
