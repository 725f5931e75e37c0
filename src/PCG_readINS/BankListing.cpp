#include "PCG_readINS/BankListing.h"

#include "CRC32/CRC32.h"
#include "PCG_readINS/Format.h"
#include "PCG_readINS/ProcessState.h"
#include "models/Models.h"

namespace morvane {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

constexpr const char* kProgramLine = "PROGRAM %4s %3.3d \"%24s\" %8.8x";
constexpr const char* kCombiLine = "COMBI   %4s %3.3d \"%24s\" %8.8x";

void WriteRecordBank(const ListedBank& bank, const std::string& sectionHead) {
    const char* listingLine = bank.kind == ChunkType::CMB1 ? kCombiLine : kProgramLine;
    InsFile.WriteLine("");
    InsFile.WriteLine(sectionHead);
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(kRecordsPerBank); ++i) {
        const std::uint8_t* record = bank.records + static_cast<std::size_t>(i) * bank.recordSize;
        const std::string_view recordName = RecordNameOf(record, bank.nameLength);
        const std::uint32_t checksum = RecordChecksumOf(record, bank.recordSize);
        FormatAppend(ListingFile.Buffer(), listingLine, {bank.name, i, recordName, checksum});
        ListingFile.EndLine();
        FormatAppend(InsFile.Buffer(), "%d=%s%3.3d %s", {i, bank.label, i, recordName});
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

std::string SectionName(const Model& model, ChunkType kind, const std::string& bankName) {
    return model.word + std::string(kind == ChunkType::CMB1 ? " Combi Bank " : " Program Bank ") + bankName;
}

ListedBank KronosBank(const std::uint8_t* bank, ChunkType kind, const std::string& bankName) {
    const std::string name = Trimmed(bankName);
    std::uint32_t recordSize = kSetListRecordSize;
    if (kind == ChunkType::PRG1) recordSize = kProgramRecordSize;
    if (kind == ChunkType::CMB1) recordSize = kCombiRecordSize;
    return {bank, kind, name, BankLabel(name), recordSize, kNameLength, &KronosModel()};
}

void Write_bank_listing(const std::uint8_t* bank, ChunkType kind, const std::string& bankName) {
    const ListedBank listed = KronosBank(bank, kind, bankName);
    switch (kind) {
        case ChunkType::PRG1: WriteRecordBank(listed, Format("[Kronos Program Bank %4s]", {listed.name})); break;
        case ChunkType::CMB1: WriteRecordBank(listed, Format("[Kronos Combi Bank %4s]", {listed.name})); break;
        case ChunkType::SLS1: WriteSetListBank(bank); break;
        default: return;
    }
    if (BankListed) BankListed(listed);
}

void Write_bank_listing(const ListedBank& bank) {
    if (bank.kind != ChunkType::PRG1 && bank.kind != ChunkType::CMB1) return;
    WriteRecordBank(bank, "[" + SectionName(*bank.model, bank.kind, bank.name) + "]");
    if (BankListed) BankListed(bank);
}

}  // namespace morvane
