#include "app/Collect.h"

#include "PCG_readINS/ProcessState.h"

namespace morvane {

CollectedBanks::CollectedBanks(Catalogue& catalogue) {
    BankListed = [&catalogue](const ListedBank& bank) { catalogue.Add(bank); };
}

CollectedBanks::~CollectedBanks() { BankListed = nullptr; }

}  // namespace morvane
