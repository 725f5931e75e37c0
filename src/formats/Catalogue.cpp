#include "formats/Catalogue.h"

#include <algorithm>

#include "CRC32/CRC32.h"
#include "PCG_readINS/BankListing.h"
#include "formats/Text.h"

namespace morvane {

namespace {

CatalogueEntry Named(const std::uint8_t* record, std::uint32_t nameLength) {
    CatalogueEntry entry;
    const std::string_view name = RecordNameOf(record, nameLength);
    std::copy(name.begin(), name.end(), entry.name.begin());
    entry.nameLength = static_cast<std::uint8_t>(name.size());
    return entry;
}

CatalogueEntry Entry(const std::uint8_t* record, std::uint32_t size, std::uint32_t nameLength, Catalogue::Detail detail) {
    CatalogueEntry entry = Named(record, nameLength);
    entry.checksum = RecordChecksumOf(record, size);
    if (detail == Catalogue::Detail::Compare) entry.bodyChecksum = RecordChecksumOf(record + nameLength, size - nameLength);
    return entry;
}

}  // namespace

void Catalogue::Add(const ListedBank& bank) {
    if (!model) model = bank.model;
    if (bank.kind == ChunkType::SLS1 && detail == Detail::Formats) return;
    CatalogueBank& added = banks.emplace_back(CatalogueBank{bank.kind, bank.name, bank.label, {}});
    if (bank.kind != ChunkType::SLS1) {
        added.entries.reserve(kRecordsPerBank);
        for (std::uint32_t i = 0; i < kRecordsPerBank; ++i) {
            added.entries.push_back(Entry(bank.records + std::size_t{i} * bank.recordSize, bank.recordSize, bank.nameLength, detail));
        }
        return;
    }
    added.entries.reserve(std::size_t{kRecordsPerBank} * kSetListEntries);
    for (std::uint32_t i = 0; i < kRecordsPerBank; ++i) {
        const std::uint8_t* setList = bank.records + std::size_t{i} * kSetListRecordSize;
        CatalogueEntry& own = added.entries.emplace_back(Named(setList, kNameLength));
        own.checksum = own.bodyChecksum = RecordChecksum(setList + kSetListEqOffset, kSetListEqSize);
        for (std::uint32_t j = 0; j < kRecordsPerBank; ++j) {
            added.entries.push_back(
                Entry(setList + kSetListSlotsOffset + std::size_t{j} * kSetListSlotSize, kSetListSlotSize, kNameLength, detail));
        }
    }
}

void Catalogue::Add(const std::uint8_t* bank, ChunkType kind, const std::string& bankName) { Add(KronosBank(bank, kind, bankName)); }

const Model& ModelOf(const Catalogue& catalogue) { return catalogue.model ? *catalogue.model : KronosModel(); }

std::string EntryLabel(const CatalogueBank& bank, int number) {
    std::string label;
    AppendEntryLabel(label, bank.label, number);
    return label;
}

}  // namespace morvane
