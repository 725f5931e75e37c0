#include "PcgBuilder.h"

#include <algorithm>
#include <stdexcept>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "models/Models.h"

namespace pcgbuild {

using morvane::kCombiRecordSize;
using morvane::kProgramRecordSize;
using morvane::kRecordsPerBank;
using morvane::kSetListEqOffset;
using morvane::kSetListRecordSize;
using morvane::kSetListSlotSize;
using morvane::kSetListSlotsOffset;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) Append(out, part);
    return out;
}

void PutBigEndian32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes FileHeaderBytes(std::uint8_t productCode, std::uint8_t zeroByte) {
    Bytes out = Text("KORG");
    out.push_back(productCode);
    out.push_back(zeroByte);
    for (std::uint8_t i = 0; i < 10; ++i) out.push_back(static_cast<std::uint8_t>(0xA0 + i));
    return out;
}

Bytes ChunkHeaderBytes(std::string_view id, std::uint32_t size, std::uint32_t parm2) {
    if (id.size() != 4) throw std::invalid_argument("a chunk identifier has four characters");
    Bytes out = Text(id);
    PutBigEndian32(out, size);
    PutBigEndian32(out, parm2);
    return out;
}

Bytes Chunk(std::string_view id, const Bytes& contents, std::uint32_t parm2) {
    Bytes out = ChunkHeaderBytes(id, static_cast<std::uint32_t>(contents.size()), parm2);
    Append(out, contents);
    return out;
}

Bytes BankHeaderBytes(std::uint32_t recordCount, std::uint32_t recordSize, std::uint32_t bankId) {
    Bytes out;
    PutBigEndian32(out, recordCount);
    PutBigEndian32(out, recordSize);
    PutBigEndian32(out, bankId);
    return out;
}

Bytes BankChunk(std::string_view id, std::uint32_t bankId, std::uint32_t recordSize, const Bytes& records) {
    return Chunk(id, Concat({BankHeaderBytes(kRecordsPerBank, recordSize, bankId), records}));
}

Bytes PcgFile(const std::vector<Bytes>& level2Chunks) {
    Bytes body;
    for (const Bytes& chunk : level2Chunks) Append(body, chunk);
    return Concat({FileHeaderBytes(), ChunkHeaderBytes("PCG1", static_cast<std::uint32_t>(body.size())), body});
}

Bytes PcgFile(std::initializer_list<Bytes> level2Chunks) { return PcgFile(std::vector<Bytes>(level2Chunks)); }

Bytes ContainerPcgFile(const std::vector<Bytes>& level2Chunks, std::uint8_t productCode) {
    Bytes file = PcgFile(level2Chunks);
    file[4] = productCode;
    return file;
}

Bytes NamedRecords(std::uint32_t recordSize, const std::vector<std::string>& names, std::uint8_t filler) {
    Bytes records(std::size_t{kRecordsPerBank} * recordSize, filler);
    for (std::size_t i = 0; i < names.size() && i < kRecordsPerBank; ++i) PutName(records, i * recordSize, names[i]);
    return records;
}

void PutName(Bytes& out, std::size_t offset, std::string_view name) {
    const std::size_t length = std::min<std::size_t>(name.size(), morvane::kNameLength);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(offset),
              out.begin() + static_cast<std::ptrdiff_t>(offset + morvane::kNameLength), 0);
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

Bytes Record(std::uint32_t size, std::string_view name, std::uint8_t filler) {
    Bytes out(size, filler);
    PutName(out, 0, name);
    return out;
}

Bytes TritonFileHeaderBytes(std::uint8_t productCode, std::uint8_t subId) {
    Bytes out = Text("KORG");
    for (const std::uint8_t byte : {productCode, std::uint8_t{0}, std::uint8_t{0}, std::uint8_t{1}, subId}) out.push_back(byte);
    out.resize(16, 0);
    return out;
}

Bytes TritonChunkHeaderBytes(std::string_view id, std::uint32_t size) {
    if (id.size() != 4) throw std::invalid_argument("a chunk identifier has four characters");
    Bytes out = Text(id);
    PutBigEndian32(out, size);
    return out;
}

Bytes TritonChunk(std::string_view id, const Bytes& contents) {
    return Concat({TritonChunkHeaderBytes(id, static_cast<std::uint32_t>(contents.size())), contents});
}

Bytes TritonBankChunk(std::string_view id, std::uint32_t bankId, std::uint32_t recordSize, const Bytes& records,
                      std::uint32_t recordCount) {
    return TritonChunk(id, Concat({BankHeaderBytes(recordCount, recordSize, bankId), records}));
}

Bytes TritonPcgFile(const std::vector<Bytes>& level2Chunks, std::uint8_t productCode, std::uint8_t subId) {
    Bytes body;
    for (const Bytes& chunk : level2Chunks) Append(body, chunk);
    return Concat({TritonFileHeaderBytes(productCode, subId), TritonChunkHeaderBytes("PCG1", static_cast<std::uint32_t>(body.size())), body});
}

Bytes TritonRecords(std::uint32_t recordSize, const std::vector<std::string>& names, std::uint8_t filler) {
    constexpr std::size_t kTritonName = 16;
    Bytes records(std::size_t{kRecordsPerBank} * recordSize, filler);
    for (std::size_t i = 0; i < names.size() && i < kRecordsPerBank; ++i) {
        std::string name = names[i].substr(0, kTritonName);
        name.resize(kTritonName, ' ');
        std::copy(name.begin(), name.end(), records.begin() + static_cast<std::ptrdiff_t>(i * recordSize));
    }
    return records;
}

namespace {

Bytes TritonNamedBank(std::string_view id, std::uint32_t bankId, std::uint32_t recordSize, const std::string& bank, const char* what) {
    std::vector<std::string> names;
    for (int i = 0; i < 128; ++i) names.push_back(bank + " " + what + " " + std::to_string(i));
    return TritonBankChunk(id, bankId, recordSize, TritonRecords(recordSize, names, static_cast<std::uint8_t>(bankId + 1)));
}

// Disk-mode item names: chunk id, bank id, 20 name bytes.
Bytes IniItem(std::string_view id, std::uint32_t bankId, std::string_view name) {
    Bytes item = Text(id);
    PutBigEndian32(item, bankId);
    Bytes text = Text(name);
    text.resize(20, 0);
    return Concat({item, text});
}

}  // namespace

Bytes TritonExtremeSample() {
    Bytes division(44, 0);
    division[5] = 0x1F;
    const std::vector<Bytes> items{IniItem("PRG1", 0, "Programs"), IniItem("PBK1", 0, "Bank A"), IniItem("GLB1", 0, "Global Setting")};
    Bytes itemNames;
    PutBigEndian32(itemNames, static_cast<std::uint32_t>(items.size()));
    for (const Bytes& item : items) Append(itemNames, item);

    Bytes programs, combis;
    const std::string later = "HIJKLMN";
    for (std::uint32_t b = 0; b < 5; ++b) Append(programs, TritonNamedBank("PBK1", b, 540, std::string(1, static_cast<char>('A' + b)), "Prog"));
    Append(programs, TritonNamedBank("MBK1", 0x8000, 604, "F", "Prog"));
    for (std::uint32_t b = 0; b < 7; ++b) Append(programs, TritonNamedBank("PBK1", 0x20000 + b, 540, later.substr(b, 1), "Prog"));
    for (std::uint32_t b = 0; b < 5; ++b) Append(combis, TritonNamedBank("CBK1", b, 448, std::string(1, static_cast<char>('A' + b)), "Combi"));
    for (std::uint32_t b = 0; b < 7; ++b) Append(combis, TritonNamedBank("CBK1", 0x20000 + b, 448, later.substr(b, 1), "Combi"));

    return TritonPcgFile({TritonChunk("DIV1", division), TritonChunk("INI1", itemNames), TritonChunk("PRG1", programs),
                          TritonChunk("CMB1", combis), TritonChunk("DKT1", TritonBankChunk("DBK1", 0, 4112, Bytes(16 * 4112, 7), 16)),
                          TritonChunk("ARP1", TritonBankChunk("ABK1", 0, 320, Bytes(200 * 320, 9), 200)), TritonChunk("GLB1", Bytes(876, 3))},
                         0x50, 1);
}

namespace {

// Record sizes as the librarian's notes give them where they do (Oasys, M3, Kross); the others
// are made up, each its own, so that a walk that took one model's size for another's would fail.
struct ContainerSizes {
    std::uint8_t productCode;
    std::uint32_t program;
    std::uint32_t combination;
};
const ContainerSizes kContainerSizes[] = {
    {0x70, 6174, 11288}, {0x75, 4208, 7192}, {0x85, 1636, 1612}, {0x8D, 700, 780}, {0x95, 1212, 2348},
    {0xD2, 1260, 2396},  {0x96, 2140, 1980}, {0xC9, 2224, 2064}, {0xDD, 3432, 7460},
};

const morvane::Model& ContainerModel(std::uint8_t productCode) {
    for (const morvane::Model& model : morvane::Models()) {
        if (model.productCode == productCode && model.layout == morvane::Layout::SizeDriven && model.chunkHeaderSize == 12) return model;
    }
    throw std::invalid_argument("no Kronos-container model has that product code");
}

// Each bank the model names, once: a bank with two ids under the later one (0x8000 for F, a user
// bank's id from 0x20000 on).
Bytes ContainerBanks(const morvane::Model& model, morvane::ChunkType kind, std::uint32_t recordSize) {
    std::vector<const morvane::ModelBank*> banks;
    for (const morvane::ModelBank& bank : model.banks) {
        if (bank.kind != kind) continue;
        const auto same = std::find_if(banks.begin(), banks.end(), [&bank](const morvane::ModelBank* b) { return b->name == bank.name; });
        if (same == banks.end()) {
            banks.push_back(&bank);
        } else {
            *same = &bank;
        }
    }
    const bool programs = kind == morvane::ChunkType::PRG1;
    Bytes out;
    for (const morvane::ModelBank* bank : banks) {
        std::vector<std::string> names;
        for (int i = 0; i < 128; ++i) names.push_back(bank->name + (programs ? " Prog " : " Combi ") + std::to_string(i));
        const auto filler = static_cast<std::uint8_t>(bank->bankId + 1);
        Append(out, BankChunk(programs ? "PBK1" : "CBK1", bank->bankId, recordSize, NamedRecords(recordSize, names, filler)));
    }
    return out;
}

// The index of a container file: 64-byte entries that hold chunk ids as text.
Bytes IndexEntries() {
    Bytes out;
    for (const char* id : {"PRG1", "PBK1", "CMB1", "CBK1", "GLB1"}) {
        Bytes entry = Text(id);
        entry.resize(64, 0x20);
        Append(out, entry);
    }
    return out;
}

}  // namespace

Bytes ContainerModelSample(std::uint8_t productCode) {
    const morvane::Model& model = ContainerModel(productCode);
    const auto sizes = std::find_if(std::begin(kContainerSizes), std::end(kContainerSizes),
                                    [productCode](const ContainerSizes& s) { return s.productCode == productCode; });
    std::vector<Bytes> chunks{Chunk("DIV1", Bytes(44, 1)), Chunk("INI2", IndexEntries()), Chunk("INI1", Bytes(100, 2)),
                              Chunk("PRG1", ContainerBanks(model, morvane::ChunkType::PRG1, sizes->program)),
                              Chunk("CMB1", ContainerBanks(model, morvane::ChunkType::CMB1, sizes->combination)),
                              Chunk("DKT1", BankChunk("DBK1", 0, 64, Bytes(128 * 64, 7))), Chunk("WSQ1", Bytes(200, 8)),
                              Chunk("GLB1", Bytes(900, 3))};
    if (std::string_view(model.word) == "Nautilus") {
        chunks.push_back(Chunk("SLS1", Chunk("SBK1", Concat({BankHeaderBytes(128, 600, 0), NamedRecords(600, {"Set List 0"})}))));
    }
    return ContainerPcgFile(chunks, productCode);
}

std::uint64_t Random::Next() {
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void Random::Fill(std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t word = Next();
        for (std::size_t k = 0; k < 8 && i + k < size; ++k) data[i + k] = static_cast<std::uint8_t>(word >> (8 * k));
    }
}

namespace {

const char* const kTimbres[] = {"Grand Piano", "E.Piano", "Tonewheel", "Strings", "Brass", "Pad", "Lead",
                                "Bass", "Choir", "Bells", "Guitar", "Flute", "Synth", "Harp", "Clav", "Organ"};
const char* const kCharacters[] = {"Warm", "Bright", "Dark", "Vintage", "Stage", "Soft", "Big", "Airy",
                                   "Punchy", "Glassy", "Velvet", "Wide", "Dusty", "Silver", "Deep", "Live"};

std::string PatchName(Random& random) {
    std::string name = std::string(kCharacters[random.Below(16)]) + " " + kTimbres[random.Below(16)];
    if (random.Below(4) == 0) name += " " + std::to_string(1 + random.Below(9));
    return name;
}

Bytes RecordBank(Random& random, std::uint32_t recordSize) {
    Bytes records(kRecordsPerBank * recordSize);
    random.Fill(records.data(), records.size());
    for (std::uint32_t i = 0; i < kRecordsPerBank; ++i) PutName(records, i * recordSize, PatchName(random));
    return records;
}

Bytes SetListRecords(Random& random) {
    Bytes records(kRecordsPerBank * kSetListRecordSize);
    random.Fill(records.data(), records.size());
    for (std::uint32_t i = 0; i < kRecordsPerBank; ++i) {
        const std::size_t setList = static_cast<std::size_t>(i) * kSetListRecordSize;
        PutName(records, setList, "Set List " + std::to_string(i));
        for (std::uint32_t j = 0; j < kRecordsPerBank; ++j) {
            const std::size_t slot = setList + kSetListSlotsOffset + static_cast<std::size_t>(j) * kSetListSlotSize;
            // Most slots of a real set list are left unnamed.
            PutName(records, slot, j < 16 ? PatchName(random) : std::string());
        }
        std::fill_n(records.begin() + static_cast<std::ptrdiff_t>(setList + kSetListEqOffset), 16, 0x40);
    }
    return records;
}

struct BankSpec {
    const char* id;
    std::uint32_t bankId;
};
const BankSpec kSmallProgramBanks[] = {{"PBK1", 0x0}, {"PBK1", 0x8000}, {"MBK1", 0x20000}, {"MBK1", 0x20007}};
const BankSpec kSmallCombiBanks[] = {{"CBK1", 0x0}, {"CBK1", 0x20001}};

Bytes RandomChunk(Random& random, std::string_view id, std::size_t size) {
    Bytes contents(size);
    random.Fill(contents.data(), contents.size());
    return Chunk(id, contents);
}

}  // namespace

Bytes SamplePcg(const SampleOptions& options) {
    Random random(options.seed);
    std::vector<Bytes> chunks;

    Bytes division(44);
    random.Fill(division.data(), division.size());
    chunks.push_back(Chunk("DIV1", division));
    chunks.push_back(RandomChunk(random, "INI2", 64));
    chunks.push_back(RandomChunk(random, "INI1", 1028));

    std::vector<BankSpec> programBanks;
    std::vector<BankSpec> combiBanks;
    if (options.full) {
        for (std::uint32_t b = 0; b <= 4; ++b) programBanks.push_back({"PBK1", b});
        programBanks.push_back({"PBK1", 0x8000});
        for (std::uint32_t b = 0x20000; b <= 0x2000D; ++b) programBanks.push_back({b < 0x20007 ? "PBK1" : "MBK1", b});
        for (std::uint32_t b = 0; b <= 6; ++b) combiBanks.push_back({"CBK1", b});
        for (std::uint32_t b = 0x20000; b <= 0x20006; ++b) combiBanks.push_back({"CBK1", b});
    } else {
        for (const BankSpec& bank : kSmallProgramBanks) programBanks.push_back(bank);
        for (const BankSpec& bank : kSmallCombiBanks) combiBanks.push_back(bank);
    }

    Bytes programs;
    for (const BankSpec& bank : programBanks) Append(programs, BankChunk(bank.id, bank.bankId, kProgramRecordSize, RecordBank(random, kProgramRecordSize)));
    chunks.push_back(Chunk("PRG1", programs));

    Bytes combis;
    for (const BankSpec& bank : combiBanks) Append(combis, BankChunk("CBK1", bank.bankId, kCombiRecordSize, RecordBank(random, kCombiRecordSize)));
    chunks.push_back(Chunk("CMB1", combis));

    Bytes setListData(morvane::kSetListDataBlockSize);
    random.Fill(setListData.data(), setListData.size());
    const Bytes setLists = Concat({
        ChunkHeaderBytes("SLD1", 0, 1),
        ChunkHeaderBytes("STL1", 0, 0),
        Chunk("SDB1", Concat({BankHeaderBytes(1, morvane::kSetListDataBlockSize, 0), setListData})),
        Chunk("SBK1", Concat({BankHeaderBytes(kRecordsPerBank, kSetListRecordSize, 0), SetListRecords(random)}), 128),
    });
    chunks.push_back(Chunk("SLS1", setLists));

    const std::size_t scale = options.full ? 16 : 1;
    chunks.push_back(Chunk("DKT1", Concat({RandomChunk(random, "DBK1", 65536 * scale)})));
    chunks.push_back(RandomChunk(random, "WSQ1", 32768 * scale));
    chunks.push_back(Chunk("ARP1", Concat({RandomChunk(random, "ABK1", 49152 * scale)})));
    chunks.push_back(RandomChunk(random, "GLB1", 4096));
    return PcgFile(chunks);
}

}  // namespace pcgbuild
