#include "app/Collect.h"

#include "PCG_readINS/ProcessState.h"

namespace morvane {

CollectedBanks::CollectedBanks(Catalogue& catalogue) {
    BankListed = [&catalogue](const std::uint8_t* bank, ChunkType kind, const std::string& bankName) { catalogue.Add(bank, kind, bankName); };
}

CollectedBanks::~CollectedBanks() { BankListed = nullptr; }

}  // namespace morvane
