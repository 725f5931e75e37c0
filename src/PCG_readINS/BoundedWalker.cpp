#include "PCG_readINS/BoundedWalker.h"

#include <algorithm>
#include <string>
#include <vector>

#include "PCG_readINS/BankListing.h"
#include "PCG_readINS/BankLoader.h"
#include "PCG_readINS/Format.h"
#include "PCG_readINS/ProcessState.h"
#include "platform/Console.h"
#include "platform/Errors.h"

namespace morvane {

namespace {

constexpr std::int64_t kFileHeaderSize = sizeof(PcgFileHeader);
// What a chunk header begins with in every layout: the identifier and the body's size.
constexpr std::uint32_t kIdAndSize = sizeof(ChunkId) + sizeof(std::uint32_t);
constexpr std::uint32_t kBankHeaderSize = sizeof(BankHeader);

struct SizedChunk {
    ChunkId id{};
    std::int64_t start = 0;  // of its header
    std::int64_t body = 0;   // of its body, right after the header
    std::uint32_t size = 0;  // of its body
    std::int64_t End() const { return body + size; }
};

class BoundedWalk {
public:
    BoundedWalk(InputStream& stream, bool topLevelOnly, const Model& model)
        : stream_(stream), topLevelOnly_(topLevelOnly), model_(model) {}

    bool Run() {
        WalkFailure.clear();
        const bool walked = WalkPcg1();
        WalkFailure = FailureText();
        return walked && WalkFailure.empty();
    }

private:
    // Banks that are not the model's banks are told one by one up to this many, then counted.
    static constexpr std::size_t kBankReasonsShown = 8;

    bool WalkPcg1() {
        SizedChunk pcg;
        const bool complete = ReadHeader(kFileHeaderSize, pcg);
        if (Verbose) ConsoleLine(Format("PCGChunk PCG1:   Name: %s  Size: %d (0x%x)", {IdText(pcg.id), pcg.size, pcg.size}));
        if (!complete || pcg.id != ChunkIds::PCG1) {
            ConsoleLine("PCG file does not have a valid PCG header.");
            stopReason_ = "not a PCG file: no PCG1 chunk follows its KORG header";
            return false;
        }
        if (Verbose) ConsoleLine(" Start 2nd level parsing...");
        // Bytes after PCG1 belong to no chunk and are ignored.
        if (!WalkLevel2(pcg.body, std::min(pcg.End(), stream_.Size()))) return false;
        if (pcg.End() > stream_.Size()) return CutShort("the PCG1 chunk");
        if (Verbose) ConsoleLine(" File contains no more programs.");
        return true;
    }

    // The chunks between from and end, one after another.
    bool WalkLevel2(std::int64_t from, std::int64_t end) {
        for (std::int64_t position = from; position < end;) {
            SizedChunk chunk;
            if (!ReadHeaderWithin(position, end, chunk)) return false;
            if (Verbose) {
                ConsoleLine(Format("   Name: %s  Size: %d (0x%x) at File Position: %d (0x%x)",
                                   {IdText(chunk.id), chunk.size, chunk.size, chunk.start, chunk.start}));
            }
            const bool holdsBanks = !topLevelOnly_ && (chunk.id == ChunkIds::PRG1 || chunk.id == ChunkIds::CMB1);
            if (chunk.End() > end) {
                // Nothing the file holds is lost: the banks that are there in full are listed.
                if (holdsBanks && !WalkBanks(chunk, end)) return false;
                return CutShort(ChunkText(chunk));
            }
            if (holdsBanks) {
                if (!WalkBanks(chunk, chunk.End())) return false;
            } else if (Verbose) {
                ConsoleLine("L2: Skipping over " + IdText(chunk.id) + " chunk. ");
            }
            position = chunk.End();
        }
        return true;
    }

    // The sub-chunks of a program or combination chunk up to end: its banks are listed, anything
    // else is stepped over.
    bool WalkBanks(const SizedChunk& chunk, std::int64_t end) {
        const ChunkType kind = Chunk_type_of(chunk.id);
        if (Verbose) {
            ConsoleLine(Format("Reading inside L2 chunk (%s) of size %d (%x) at File Position: %d (0x%x)",
                               {IdText(chunk.id), chunk.size, chunk.size, chunk.body, chunk.body}));
        }
        for (std::int64_t position = chunk.body; position < end;) {
            SizedChunk sub;
            if (!ReadHeaderWithin(position, end, sub)) return false;
            if (Verbose) {
                ConsoleLine(Format("       Name: %s  Size: %d at File Position: %d (0x%x)", {IdText(sub.id), sub.size, sub.start, sub.start}));
            }
            const bool bank = Is_bank_chunk(kind, sub.id);
            if (sub.End() > end) return CutShort(bank ? BankText(kind, sub, ReadBankHeader(sub, end)) : ChunkText(sub));
            if (bank) {
                if (!ReadBank(kind, sub)) return false;
            } else if (Verbose) {
                ConsoleLine("       Skipping over " + IdText(sub.id) + " sub-chunk.");
            }
            position = sub.End();
        }
        return true;
    }

    // A bank of 128 records whose size its header gives, and which fill its chunk exactly, is
    // listed. Any other is not, and the walk goes on: its chunk's size can still be trusted.
    bool ReadBank(ChunkType kind, const SizedChunk& sub) {
        const BankHeader header = ReadBankHeader(sub, sub.End());
        const std::string bank = BankText(kind, sub, header);
        const std::string name = BankNameOf(model_, kind, header.BankId);
        const std::uint64_t dataSize = std::uint64_t{kRecordsPerBank} * header.RecordSize;
        if (header.RecordCount != kRecordsPerBank || header.RecordSize < model_.minRecordSize || kBankHeaderSize + dataSize != sub.size) {
            const std::string reason = Format("%s is not a %s bank: %d records of %d bytes in %d bytes",
                                              {bank, model_.bankWord, header.RecordCount, header.RecordSize, sub.size});
            if (Verbose) ConsoleLine("Bank not read: " + reason);
            if (++banksNotRead_ <= kBankReasonsShown) bankReasons_.push_back(reason);
            return true;
        }
        if (records_.size() < dataSize) records_.resize(dataSize);
        SeekTo(sub.body + kBankHeaderSize);
        if (stream_.Read(records_.data(), static_cast<std::uint32_t>(dataSize)) < dataSize) return CutShort(bank);
        if (Verbose) ConsoleLine(BankIdTrace(header, name, RecordNameOf(records_.data(), model_.nameLength)));
        Write_bank_listing(ListedBank{records_.data(), kind, name, name, header.RecordSize, model_.nameLength, &model_});
        return true;
    }

    // The fields of a bank header that lie before end, in host order; those that do not read as 0.
    BankHeader ReadBankHeader(const SizedChunk& sub, std::int64_t end) {
        BankHeader header{};
        const std::int64_t available = std::min<std::int64_t>({kBankHeaderSize, sub.size, end - sub.body});
        if (available > 0) {
            SeekTo(sub.body);
            stream_.Read(&header, static_cast<std::uint32_t>(available));
        }
        Swap32(header.RecordCount);
        Swap32(header.RecordSize);
        Swap32(header.BankId);
        return header;
    }

    std::string BankText(ChunkType kind, const SizedChunk& sub, const BankHeader& header) const {
        return "bank " + BankNameOf(model_, kind, header.BankId) + " (" + IdText(sub.id) + ")";
    }

    static std::string ChunkText(const SizedChunk& chunk) {
        return "the " + IdText(chunk.id) + " chunk at offset " + std::to_string(chunk.start);
    }

    // A header that lies wholly before end; a header torn by end cuts the file short.
    bool ReadHeaderWithin(std::int64_t position, std::int64_t end, SizedChunk& chunk) {
        if (end - position < model_.chunkHeaderSize) return CutShort("the chunk header at offset " + std::to_string(position));
        if (!ReadHeader(position, chunk)) return CutShort(ChunkText(chunk));
        return true;
    }

    // The identifier and size of the header at position; its body follows the model's header size.
    bool ReadHeader(std::int64_t position, SizedChunk& chunk) {
        ChunkHeader header{};
        SeekTo(position);
        const std::uint32_t got = stream_.Read(&header, kIdAndSize);
        chunk.id = header.Id;
        chunk.start = position;
        chunk.body = position + model_.chunkHeaderSize;
        chunk.size = Swapped32(header.Size);
        return got == kIdAndSize;
    }

    void SeekTo(std::int64_t position) { stream_.Seek(RequireBelow2G(position, "stream position"), SeekOrigin::Beginning); }

    bool CutShort(const std::string& what) {
        if (Verbose) ConsoleLine("End Of File encountered");
        stopReason_ = what + " is cut short";
        return false;
    }

    // Every reason on the one line the driver reports, a long run of bad banks counted.
    std::string FailureText() const {
        std::vector<std::string> reasons = bankReasons_;
        if (banksNotRead_ > kBankReasonsShown) {
            reasons.push_back(std::to_string(banksNotRead_ - kBankReasonsShown) + " more banks are not " + model_.bankWord + " banks");
        }
        if (!stopReason_.empty()) reasons.push_back(stopReason_);
        std::string text;
        for (const std::string& reason : reasons) text += (text.empty() ? "" : "; ") + reason;
        return text;
    }

    InputStream& stream_;
    const bool topLevelOnly_;
    const Model& model_;
    std::vector<std::uint8_t> records_;  // the bank being listed; grows to the largest bank of the file
    std::vector<std::string> bankReasons_;
    std::size_t banksNotRead_ = 0;
    std::string stopReason_;  // why the walk ended early: cut short, or no PCG file at all
};

}  // namespace

bool Walk_bounded_chunks(InputStream& stream, bool TopLevelOnly, const Model& model) {
    return BoundedWalk(stream, TopLevelOnly, model).Run();
}

}  // namespace morvane
