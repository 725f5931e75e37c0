#include "PCG_readINS/BankListing.h"

#include "CRC32/CRC32.h"
#include "PCG_readINS/Format.h"
#include "PCG_readINS/ProcessState.h"

namespace morvane {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

void WriteRecordBank(const std::uint8_t* bank, std::uint32_t recordSize, const char* sectionHead,
                     const char* listingLine, const std::string& name) {
    const std::string label = BankLabel(name);
    InsFile.WriteLine("");
    InsFile.WriteLine(Format(sectionHead, {name}));
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(kRecordsPerBank); ++i) {
        const std::uint8_t* record = bank + static_cast<std::size_t>(i) * recordSize;
        const std::string_view recordName = RecordName(record);
        const std::uint32_t checksum = RecordChecksum(record, static_cast<std::int32_t>(recordSize));
        FormatAppend(ListingFile.Buffer(), listingLine, {name, i, recordName, checksum});
        ListingFile.EndLine();
        FormatAppend(InsFile.Buffer(), "%d=%s%3.3d %s", {i, label, i, recordName});
        InsFile.EndLine();
    }
}

void WriteSetListBank(const std::uint8_t* bank) {
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(kRecordsPerBank); ++i) {
        const std::uint8_t* setList = bank + static_cast<std::size_t>(i) * kSetListRecordSize;
        const std::string_view setListName = RecordName(setList);
        const std::uint32_t eqChecksum = RecordChecksum(setList + kSetListEqOffset, kSetListEqSize);
        FormatAppend(ListingFile.Buffer(), "SETLIST %3.3d \"%24s\" EQ: %8.8x", {i, setListName, eqChecksum});
        ListingFile.EndLine();
        for (std::int32_t j = 0; j < static_cast<std::int32_t>(kRecordsPerBank); ++j) {
            const std::uint8_t* slot = setList + kSetListSlotsOffset + static_cast<std::size_t>(j) * kSetListSlotSize;
            const std::uint32_t slotChecksum = RecordChecksum(slot, kSetListSlotSize);
            FormatAppend(ListingFile.Buffer(), "SETLIST %3.3d \"%24s\" Slot %3.3d \"%24s\" %8.8x",
                         {i, setListName, j, RecordName(slot), slotChecksum});
            ListingFile.EndLine();
        }
    }
}

}  // namespace

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string BankLabel(const std::string& bankName) {
    const std::string name = Trimmed(bankName);
    if (name.size() <= 1) return {};
    const std::string rest = name.size() > 4 ? name.substr(4) : std::string();
    return name.substr(0, 1) + Trimmed(rest);
}

void Write_bank_listing(const std::uint8_t* bank, ChunkType kind, const std::string& bankName) {
    const std::string name = Trimmed(bankName);
    switch (kind) {
        case ChunkType::PRG1:
            WriteRecordBank(bank, kProgramRecordSize, "[Kronos Program Bank %4s]", "PROGRAM %4s %3.3d \"%24s\" %8.8x", name);
            break;
        case ChunkType::CMB1:
            WriteRecordBank(bank, kCombiRecordSize, "[Kronos Combi Bank %4s]", "COMBI   %4s %3.3d \"%24s\" %8.8x", name);
            break;
        case ChunkType::SLS1: WriteSetListBank(bank); break;
        default: return;
    }
    if (BankListed) BankListed(bank, kind, name);
}

}  // namespace morvane
