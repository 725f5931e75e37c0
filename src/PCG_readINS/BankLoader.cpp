#include "PCG_readINS/BankLoader.h"

#include "PCG_readINS/Format.h"
#include "PCG_readINS/ProcessState.h"
#include "platform/Console.h"
#include "platform/Errors.h"

namespace morvane {

namespace {

struct BankDestination {
    std::uint8_t kind;
    std::uint8_t* buffer;
    std::uint32_t size;
    const char* tracePrefix;  // null: none
};

BankDestination DestinationFor(const ChunkId& id) {
    if (id == ChunkIds::CBK1) return {kBankKindCombi, CombiBank, kCombiBankSize, nullptr};
    if (id == ChunkIds::PBK1) return {kBankKindHD1Program, ProgramBankHD1, kProgramBankSize, "HD1 Prog: PBK1 "};
    return {kBankKindEXiProgram, ProgramBankEXi, kProgramBankSize, "EXi Prog: MBK1 "};
}

std::string UserOrInt(bool user, char letter, bool doubled) {
    std::string name = user ? "User " : "Int ";
    name += letter;
    if (doubled) name += letter;
    return name;
}

std::string ProgramBankName(std::uint32_t bankId) {
    if (bankId <= 0x4) return UserOrInt(false, static_cast<char>('A' + bankId), false);
    if (bankId == 0x8000) return "Int F";
    if (bankId >= 0x20000 && bankId <= 0x20006) return UserOrInt(true, static_cast<char>('A' + bankId - 0x20000), false);
    if (bankId >= 0x20007 && bankId <= 0x2000D) return UserOrInt(true, static_cast<char>('A' + bankId - 0x20007), true);
    return "Invalid Bank";
}

std::string CombiBankName(std::uint32_t bankId) {
    if (bankId <= 0x6) return UserOrInt(false, static_cast<char>('A' + bankId), false);
    if (bankId >= 0x20000 && bankId <= 0x20006) return UserOrInt(true, static_cast<char>('A' + bankId - 0x20000), false);
    return "Invalid Bank";
}

// Why a bank was not loaded: its header promises other records than a Kronos bank holds, or the
// file ends inside them.
std::string UnreadBankReason(const ChunkId& id, const std::string& bankName, const BankHeader& header,
                             std::uint32_t headerBytes, std::uint32_t destinationSize) {
    const std::uint32_t recordSize = destinationSize / kRecordsPerBank;
    const std::string bank = "bank " + bankName + " (" + IdText(id) + ")";
    const bool sizeMatches = static_cast<std::uint64_t>(header.RecordCount) * header.RecordSize == destinationSize;
    if (headerBytes < sizeof header || sizeMatches) return bank + " is cut short";
    return Format("%s is not a Kronos bank: %d records of %d bytes, expected %d of %d",
                  {bank, header.RecordCount, header.RecordSize, kRecordsPerBank, recordSize});
}

}  // namespace

bool Read_bank(InputStream& stream, const ChunkHeader& S, std::string& bankName) {
    BankHeader header{};  // fields a short read does not deliver read as 0
    const std::uint32_t headerBytes = stream.Read(&header, sizeof header);
    Swap32(header.RecordCount);
    Swap32(header.RecordSize);
    Swap32(header.BankId);

    const BankDestination destination = DestinationFor(S.Id);
    if (Verbose && destination.tracePrefix) ConsoleWrite(destination.tracePrefix);

    const bool loaded = Read_bank_data(stream, header, destination.buffer, destination.size);
    const std::string firstName(RecordName(destination.buffer));
    bankName = Bank_name(destination.kind, header.BankId);
    if (!loaded) WalkFailure = UnreadBankReason(S.Id, bankName, header, headerBytes, destination.size);
    if (Verbose) ConsoleLine(BankIdTrace(header, bankName, firstName));
    return loaded;
}

bool Read_bank_data(InputStream& stream, const BankHeader& header, std::uint8_t* destination,
                    std::uint32_t destinationSize) {
    const auto count = static_cast<std::int32_t>(header.RecordCount);
    const auto size = static_cast<std::int32_t>(header.RecordSize);
    const std::int32_t product = CheckedMultiply(size, count);
    if (product < 0) throw RangeError("bank data size " + std::to_string(product) + " is negative");
    if (static_cast<std::uint32_t>(product) != destinationSize) {
        ConsoleLine(Format("Error: bank header data size (%d * %d = %d) doesn't match size of dest array (%d)",
                           {size, count, product, destinationSize}));
        return false;
    }
    const std::uint32_t delivered = stream.Read(destination, destinationSize);
    if (Verbose) ConsoleLine(Format("Bank Read: reading %d bytes into array", {product}));
    return delivered == destinationSize;
}

std::string Bank_name(std::uint8_t bankKind, std::uint32_t bankId) {
    if (bankKind == 0 || bankKind == 19) return ProgramBankName(bankId);
    if (bankKind == 1 || bankKind == 18) return CombiBankName(bankId);
    return "??";
}

std::string BankIdTrace(const BankHeader& header, const std::string& bankName, std::string_view firstName) {
    return "BankID: " + Hex_long(header.BankId) + " " + bankName + " NumProgs: " + std::to_string(header.RecordCount) +
           " SizeOfProg: " + std::to_string(header.RecordSize) + " 1stName: " + std::string(firstName);
}

std::string Hex_word(std::uint16_t value) { return Format("%4.4x", {value}); }

std::string Hex_long(std::uint32_t value) {
    return Hex_word(static_cast<std::uint16_t>(value >> 16)) + Hex_word(static_cast<std::uint16_t>(value & 0xFFFF));
}

}  // namespace morvane
