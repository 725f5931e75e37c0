#include "formats/Catalogue.h"

#include <algorithm>

#include "CRC32/CRC32.h"
#include "PCG_readINS/BankListing.h"
#include "formats/Text.h"

namespace morvane {

namespace {

CatalogueEntry Named(const std::uint8_t* record) {
    CatalogueEntry entry;
    const std::string_view name = RecordName(record);
    std::copy(name.begin(), name.end(), entry.name.begin());
    entry.nameLength = static_cast<std::uint8_t>(name.size());
    return entry;
}

CatalogueEntry Entry(const std::uint8_t* record, std::uint32_t size, Catalogue::Detail detail) {
    CatalogueEntry entry = Named(record);
    entry.checksum = RecordChecksum(record, static_cast<std::int32_t>(size));
    if (detail == Catalogue::Detail::Compare) {
        entry.bodyChecksum = RecordChecksum(record + kNameLength, static_cast<std::int32_t>(size - kNameLength));
    }
    return entry;
}

}  // namespace

void Catalogue::Add(const std::uint8_t* bank, ChunkType kind, const std::string& bankName) {
    if (kind == ChunkType::SLS1 && detail == Detail::Formats) return;
    CatalogueBank& added = banks.emplace_back(CatalogueBank{kind, bankName, {}});
    if (kind != ChunkType::SLS1) {
        const std::uint32_t size = kind == ChunkType::CMB1 ? kCombiRecordSize : kProgramRecordSize;
        added.entries.reserve(kRecordsPerBank);
        for (std::uint32_t i = 0; i < kRecordsPerBank; ++i) added.entries.push_back(Entry(bank + std::size_t{i} * size, size, detail));
        return;
    }
    added.entries.reserve(std::size_t{kRecordsPerBank} * kSetListEntries);
    for (std::uint32_t i = 0; i < kRecordsPerBank; ++i) {
        const std::uint8_t* setList = bank + std::size_t{i} * kSetListRecordSize;
        CatalogueEntry& own = added.entries.emplace_back(Named(setList));
        own.checksum = own.bodyChecksum = RecordChecksum(setList + kSetListEqOffset, kSetListEqSize);
        for (std::uint32_t j = 0; j < kRecordsPerBank; ++j) {
            added.entries.push_back(Entry(setList + kSetListSlotsOffset + std::size_t{j} * kSetListSlotSize, kSetListSlotSize, detail));
        }
    }
}

std::string EntryLabel(const std::string& bankName, int number) {
    std::string label;
    AppendEntryLabel(label, BankLabel(bankName), number);
    return label;
}

}  // namespace morvane
