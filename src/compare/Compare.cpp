#include "compare/Compare.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace morvane {

namespace {

using BankKey = std::tuple<ChunkType, std::string, int>;

// The places of one file's banks, keyed by kind, name and occurrence.
class BankPlaces {
public:
    explicit BankPlaces(const Catalogue& catalogue) {
        std::map<std::pair<ChunkType, std::string>, int> seen;
        for (const CatalogueBank& bank : catalogue.banks) {
            const int occurrence = ++seen[{bank.kind, bank.name}];
            byKey_[{bank.kind, bank.name, occurrence}] = places_.size();
            places_.push_back({&bank, occurrence, 0});
        }
    }
    const std::vector<Place>& All() const { return places_; }
    const Place* Find(const Place& like) const {
        const auto found = byKey_.find({like.bank->kind, like.bank->name, like.occurrence});
        return found == byKey_.end() ? nullptr : &places_[found->second];
    }

private:
    std::vector<Place> places_;
    std::map<BankKey, std::size_t> byKey_;
};

Place At(const Place& bank, std::size_t entry) { return {bank.bank, bank.occurrence, entry}; }

const CatalogueEntry& EntryAt(const Place& place) { return place.bank->entries[place.entry]; }

// Every program and combination of the old file by checksum, in file order within one checksum.
class OldRecords {
public:
    explicit OldRecords(const BankPlaces& banks) {
        for (const Place& bank : banks.All()) {
            if (bank.bank->kind == ChunkType::SLS1) continue;
            for (std::size_t i = 0; i < bank.bank->entries.size(); ++i) byChecksum_.push_back({bank.bank->entries[i].checksum, At(bank, i)});
        }
        // Stable: places of one checksum stay in file order.
        std::stable_sort(byChecksum_.begin(), byChecksum_.end(), [](const Indexed& a, const Indexed& b) { return a.checksum < b.checksum; });
    }
    // The old places of records with this checksum and kind.
    std::vector<Place> With(std::uint32_t checksum, ChunkType kind) const {
        std::vector<Place> places;
        auto it = std::lower_bound(byChecksum_.begin(), byChecksum_.end(), checksum,
                                   [](const Indexed& a, std::uint32_t c) { return a.checksum < c; });
        for (; it != byChecksum_.end() && it->checksum == checksum; ++it) {
            if (it->place.bank->kind == kind) places.push_back(it->place);
        }
        return places;
    }

private:
    struct Indexed {
        std::uint32_t checksum;
        Place place;
    };
    std::vector<Indexed> byChecksum_;
};

class Matcher {
public:
    Matcher(const Catalogue& oldFile, const Catalogue& newFile) : oldBanks_(oldFile), newBanks_(newFile), oldRecords_(oldBanks_) {}

    Comparison Run() {
        for (const Place& bank : newBanks_.All()) {
            const Place* old = oldBanks_.Find(bank);
            if (!old) {
                result_.findings.push_back({FindingKind::OnlyInNew, bank, {}});
                continue;
            }
            for (std::size_t i = 0; i < bank.bank->entries.size(); ++i) CompareEntry(At(bank, i), At(*old, i));
        }
        for (const Place& bank : oldBanks_.All()) {
            if (!newBanks_.Find(bank)) result_.findings.push_back({FindingKind::OnlyInOld, bank, {}});
        }
        return std::move(result_);
    }

private:
    void CompareEntry(const Place& now, const Place& before) {
        const CatalogueEntry& entry = EntryAt(now);
        const CatalogueEntry& old = EntryAt(before);
        if (entry.checksum == old.checksum && entry.Name() == old.Name()) {
            ++result_.same;
            return;
        }
        if (entry.bodyChecksum == old.bodyChecksum) {
            result_.findings.push_back({FindingKind::Renamed, now, before});
            return;
        }
        if (now.bank->kind != ChunkType::SLS1) {
            if (const auto origin = Origin(now)) {
                result_.findings.push_back(*origin);
                return;
            }
        }
        result_.findings.push_back({FindingKind::Changed, now, before});
    }

    // Where the old file held the record now at this place: moved from a place that no longer
    // holds it, else copied from the first that still does.
    std::optional<Finding> Origin(const Place& now) const {
        const std::vector<Place> candidates = oldRecords_.With(EntryAt(now).checksum, now.bank->kind);
        if (candidates.empty()) return std::nullopt;
        for (const Place& candidate : candidates) {
            if (!StillHolds(candidate)) return Finding{FindingKind::Moved, now, candidate};
        }
        return Finding{FindingKind::Copied, now, candidates.front()};
    }

    bool StillHolds(const Place& old) const {
        const Place* bank = newBanks_.Find(old);
        return bank && EntryAt(At(*bank, old.entry)).checksum == EntryAt(old).checksum;
    }

    BankPlaces oldBanks_;
    BankPlaces newBanks_;
    OldRecords oldRecords_;
    Comparison result_;
};

}  // namespace

std::size_t Comparison::Count(FindingKind kind) const {
    return static_cast<std::size_t>(std::count_if(findings.begin(), findings.end(), [kind](const Finding& f) { return f.kind == kind; }));
}

Comparison CompareCatalogues(const Catalogue& oldFile, const Catalogue& newFile) { return Matcher(oldFile, newFile).Run(); }

}  // namespace morvane
