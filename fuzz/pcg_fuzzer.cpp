// Fuzz target: the whole walk of a PCG file (header checks, level-2 walk, bank loading, listings)
// over the fuzzer's bytes, in memory. libFuzzer drives it directly; AFL++ through its libFuzzer
// driver.
//
// Errors of the converter's own hierarchy are outcomes the rules define and are caught here.
// Anything else escapes and is a finding: a sanitizer report, a logic_error of the formatter, a
// crash, a hang, or one of the checks below, which abort.
//
// Each input is walked several ways and the outcomes are compared, because none of them may
// change what lands in the two output files: Verbose only adds trace lines, and the buffered file
// stream must deliver the same bytes as the memory stream. The output files are read back by
// their layout: banks are listed whole or not at all.
//
// The banks of the first walk are collected as the extra formats collect them, checked against
// the listing, and written once in every format; each file is read back by its grammar
// (format_checks.h), since record names and file names may hold any byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PCG_readINS/BankListing.h"
#include "PCG_readINS/FileModel.h"
#include "PCG_readINS/ProcessState.h"
#include "app/Collect.h"
#include "format_checks.h"
#include "formats/Catalogue.h"
#include "formats/Formats.h"
#include "formats/Writers.h"
#include "platform/Console.h"
#include "platform/Errors.h"
#include "platform/InputStream.h"
#include "platform/TextFile.h"

namespace {

using namespace morvane;

// The trace grows by some 370 bytes per input byte when a chunk of size 1 is stepped over byte
// by byte, as the rules have it: 4.7 MB for 13 KB. The release build writes that in 25 ms; the
// instrumented walk took 0.2 s on a fresh process and more than the one-second timeout late in a
// 30-minute campaign, where every large allocation faults in fresh pages. Traced walks of larger
// inputs would only measure the sanitizer's allocator. Every trace line is reached by small
// inputs too: a bank cut short is traced like a whole one.
constexpr std::size_t kTracedInputLimit = 4 * 1024;
// A chunk stepped over byte by byte costs the instrumented walk about half a second per megabyte;
// one such walk of an input of the fuzzer's 1 MB maximum stays within the one-second timeout.
// The file stream's paths (buffered reads, refills, reads that bypass the buffer) are all met
// by inputs below this: it is the size of a read request that picks them, not the file size.
constexpr std::size_t kComparedInputLimit = 256 * 1024;

struct Outcome {
    const Model* model = nullptr;
    bool result = false;
    std::string errorKind;  // empty when no error was raised
    std::string console;
    std::string ins;
    std::string listing;
};

// The caller's bytes seen as a file, so that FileStream's read-ahead runs without a disk.
class MemoryRawFile : public platform::RawInputFile {
public:
    MemoryRawFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) override {
        if (offset < 0 || static_cast<std::uint64_t>(offset) >= size_) return 0;
        const std::size_t start = static_cast<std::size_t>(offset);
        const std::size_t delivered = count < size_ - start ? count : size_ - start;
        std::memcpy(buffer, data_ + start, delivered);
        return delivered;
    }
    std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "pcg_fuzzer: %s\n", what);
    std::abort();
}

[[noreturn]] void Finding(const std::string& what) { Finding(what.c_str()); }

Outcome Walk(InputStream& stream, bool verbose, bool topLevelOnly, Catalogue* catalogue = nullptr) {
    Outcome outcome;
    Verbose = verbose;
    InsFile.Attach(std::make_unique<MemoryOutputFile>(outcome.ins));
    ListingFile.Attach(std::make_unique<MemoryOutputFile>(outcome.listing));
    {
        ConsoleCapture console;
        // Cleared however the walk ends, so that the next walk of this input lists into nothing.
        std::optional<CollectedBanks> collecting;
        if (catalogue) collecting.emplace(*catalogue);
        try {
            outcome.model = &ModelOfFile(stream);
            outcome.result = WalkFile(stream, topLevelOnly, *outcome.model);
        } catch (const Error& error) {
            outcome.errorKind = error.Kind();
        }
        outcome.console = console.Text();
    }
    // Closing drops the sinks, which refer to this outcome's strings.
    ListingFile.Close();
    InsFile.Close();
    Verbose = false;
    return outcome;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Without Verbose the console carries only the rejections and the bank size mismatch.
void CheckQuietConsole(const std::string& console) {
    for (std::size_t start = 0; start < console.size();) {
        const std::size_t end = console.find("\r\n", start);
        if (end == std::string::npos) Finding("a quiet console line does not end in CR LF");
        const std::string_view line(console.data() + start, end - start);
        if (line != "PCG file does not have a valid KORG header." &&
            line != "This PCG is not in Triton or Kronos format, so can't read it." &&
            line != "PCG file does not have a valid PCG header." &&
            !StartsWith(line, "Error: bank header data size (")) {
            Finding("an unexpected console line without Verbose");
        }
        start = end + 2;
    }
}

// Reads an output file by the listing writer's layout. Names may hold any byte but zero, CR and
// LF included, so lines are taken apart by their fixed fields, never split at line ends.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}
    bool AtEnd() const { return position_ == text_.size(); }
    bool Peek(std::string_view expected) const { return StartsWith(text_.substr(position_), expected); }
    void Take(std::string_view expected, const char* what) {
        if (!Peek(expected)) Finding(what);
        position_ += expected.size();
    }
    std::string_view TakeCount(std::size_t count, const char* what) {
        if (text_.size() - position_ < count) Finding(what);
        position_ += count;
        return text_.substr(position_ - count, count);
    }
    std::string_view TakeUntil(char end, const char* what) {
        const std::size_t found = text_.find(end, position_);
        if (found == std::string_view::npos) Finding(what);
        return TakeCount(found - position_, what);
    }
    std::size_t SpacesAhead() const {
        std::size_t count = 0;
        while (position_ + count < text_.size() && text_[position_ + count] == ' ') ++count;
        return count;
    }
    std::string_view TakeChecksum(const char* what) {
        const std::string_view digits = TakeCount(8, what);
        if (digits.find_first_not_of("0123456789ABCDEF") != std::string_view::npos || digits == "00000000") Finding(what);
        Take("\r\n", what);
        return digits;
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

std::string Number3(int value) {
    const std::string digits = std::to_string(value);
    return std::string(3 - digits.size(), '0') + digits;
}

struct ListedBank {
    bool setList = false;
    bool combi = false;
    std::string name;
    std::string nameFields[128];  // the 24 columns between the double quotes
    std::string checksums[128];
};

ListedBank ReadRecordBank(Reader& listing) {
    ListedBank bank;
    bank.combi = listing.Peek("COMBI   ");
    const char* kind = bank.combi ? "COMBI   " : "PROGRAM ";
    for (int i = 0; i < 128; ++i) {
        listing.Take(kind, "a program or combination bank listed in part");
        const std::string_view head = listing.TakeUntil('"', "a listing line without its name");
        const std::string suffix = " " + Number3(i) + " ";
        if (head.size() < suffix.size() + 4 || head.substr(head.size() - suffix.size()) != suffix) {
            Finding("a listing line out of order");
        }
        const std::string name(head.substr(0, head.size() - suffix.size()));
        if (i == 0) bank.name = name;
        if (name != bank.name) Finding("a bank name changes inside a bank");
        listing.Take("\"", "a listing line without its name");
        bank.nameFields[i] = std::string(listing.TakeCount(24, "a short name field"));
        listing.Take("\" ", "a name field wider than 24 columns");
        bank.checksums[i] = std::string(listing.TakeChecksum("a bad record checksum"));
    }
    return bank;
}

void ReadSetListBank(Reader& listing) {
    for (int i = 0; i < 128; ++i) {
        const std::string lead = "SETLIST " + Number3(i) + " \"";
        listing.Take(lead, "a set list bank listed in part");
        const std::string_view name = listing.TakeCount(24, "a short set list name");
        listing.Take("\" EQ: ", "a set list line without its EQ");
        listing.TakeChecksum("a bad EQ checksum");
        for (int j = 0; j < 128; ++j) {
            listing.Take(lead, "a set list listed in part");
            if (listing.TakeCount(24, "a short set list name") != name) Finding("a set list name changes");
            listing.Take("\" Slot " + Number3(j) + " \"", "a slot line out of order");
            listing.TakeCount(24, "a short slot name");
            listing.Take("\" ", "a slot name wider than 24 columns");
            listing.TakeChecksum("a bad slot checksum");
        }
    }
}

// One section of the instrument definition file for the bank, with the names of its listing lines.
// A Kronos head shows the bank name as the listing does, in at least four columns; the others show
// it as it is, and their entry labels begin with it whole.
void ReadSection(Reader& ins, const ListedBank& bank, const Model& model) {
    const std::size_t first = bank.name.find_first_not_of(' ');
    if (first == std::string::npos) Finding("a bank listed without a name");
    const std::string name = bank.name.substr(first);
    const bool kronos = model.layout == Layout::Kronos;
    const std::string head = "[" + std::string(model.word) + (bank.combi ? " Combi Bank " : " Program Bank ") + (kronos ? bank.name : name);
    ins.Take("\r\n" + head + "]\r\n", "a section head that does not match the listing");
    const std::string label = kronos ? BankLabel(bank.name) : name;
    for (int i = 0; i < 128; ++i) {
        ins.Take(std::to_string(i) + "=" + label + Number3(i) + " ", "an entry line out of order");
        // The field is the name with spaces in front; the entry shows the name alone, so the
        // spaces ahead here are the name's own.
        const std::string& field = bank.nameFields[i];
        const std::size_t padding = field.find_first_not_of(' ') == std::string::npos ? 24 : field.find_first_not_of(' ');
        const std::size_t own = ins.SpacesAhead();
        if (own > padding) Finding("an entry name that does not match the listing");
        ins.Take(field.substr(padding - own) + "\r\n", "an entry name that does not match the listing");
    }
}

// Banks are listed whole or not at all, and every program or combination bank in the listing has
// its section in the instrument definition file, in the same order. Returns the listed banks.
std::vector<ListedBank> CheckOutputs(const Outcome& outcome) {
    if (!outcome.model) Finding("a walk without a model");
    std::vector<ListedBank> banks;
    Reader listing(outcome.listing);
    Reader ins(outcome.ins);
    while (!listing.AtEnd()) {
        if (listing.Peek("SETLIST ")) {
            ReadSetListBank(listing);
            banks.emplace_back().setList = true;
        } else if (listing.Peek("PROGRAM ") || listing.Peek("COMBI   ")) {
            ReadSection(ins, banks.emplace_back(ReadRecordBank(listing)), *outcome.model);
        } else {
            Finding("a listing line of no known kind");
        }
    }
    if (!ins.AtEnd()) Finding("a section without listing lines");
    return banks;
}

// The hook saw every listed program and combination bank once, in listing order, with the names
// and checksums the listing shows; collected for the formats, set list banks are left out.
void CheckCatalogue(const Catalogue& catalogue, const std::vector<ListedBank>& listed) {
    std::size_t b = 0;
    for (const ListedBank& seen : listed) {
        if (seen.setList) continue;
        if (b == catalogue.banks.size()) Finding("a listed bank the catalogue does not hold");
        const CatalogueBank& bank = catalogue.banks[b++];
        if (bank.kind != (seen.combi ? ChunkType::CMB1 : ChunkType::PRG1)) Finding("a catalogue bank of another kind than the listing's");
        const std::string padded = std::string(bank.name.size() < 4 ? 4 - bank.name.size() : 0, ' ') + bank.name;
        if (padded != seen.name) Finding("a catalogue bank under another name than the listing's");
        if (bank.entries.size() != kRecordsPerBank) Finding("a program or combination bank catalogued in part");
        for (std::size_t i = 0; i < kRecordsPerBank; ++i) {
            const std::string_view name = bank.entries[i].Name();
            char checksum[9];
            std::snprintf(checksum, sizeof checksum, "%08X", bank.entries[i].checksum);
            if (name.size() > kNameLength || std::string(kNameLength - name.size(), ' ') + std::string(name) != seen.nameFields[i]) {
                Finding("a catalogue entry named other than the listing's");
            }
            if (seen.checksums[i] != checksum) Finding("a catalogue checksum other than the listing's");
        }
    }
    if (b != catalogue.banks.size()) Finding("a catalogue bank the listing does not hold");
}

std::string Written(const std::function<void(OutputTextFile&)>& write) {
    std::string text;
    OutputTextFile out;
    out.Attach(std::make_unique<MemoryOutputFile>(text));
    write(out);
    out.Close();
    return text;
}

void Require(const std::string& problem, const char* file) {
    if (!problem.empty()) Finding(std::string(file) + ": " + problem);
}

std::string BytesAt(const std::uint8_t* data, std::size_t size, std::size_t offset, std::size_t count) {
    if (offset >= size) return {};
    return std::string(reinterpret_cast<const char*>(data) + offset, std::min(count, size - offset));
}

// The file names come from bytes no walk reads: the ten after the KORG header's zero byte, and the
// PCG1 header's size and Parm2. So the fuzzer can give any input that reaches a bank any names
// without changing what it lists.
FormatSource SourceOf(const std::uint8_t* data, std::size_t size) {
    return {BytesAt(data, size, 6, 10), BytesAt(data, size, 20, 8), MORVANE_VERSION};
}

// Every file WriteFormats would write with every switch on, each once, read back by its grammar.
void CheckFormats(const Catalogue& catalogue, const FormatSource& source) {
    bool records = false;
    for (const CatalogueBank& bank : catalogue.banks) records = records || bank.kind != ChunkType::SLS1;
    if (!records) return;
    const Selection selection = SelectBanks(catalogue);
    const ModeBanks& banks = selection.banks;
    if (!banks.programs.empty() || !banks.combinations.empty()) {
        Require(checks::CheckMidnam(Written([&](OutputTextFile& out) { WriteMidnam(out, banks, source); }), banks, source), "MIDNAM");
        Require(checks::CheckCubaseScript(Written([&](OutputTextFile& out) { WriteCubaseScript(out, banks, source); }), banks, source),
                "Cubase script");
    }
    if (!banks.programs.empty()) {
        Require(checks::CheckReaBank(Written([&](OutputTextFile& out) { WriteReaBank(out, banks, ChunkType::PRG1, source); }), banks, ChunkType::PRG1),
                "program ReaBank");
    }
    if (!banks.combinations.empty()) {
        Require(checks::CheckReaBank(Written([&](OutputTextFile& out) { WriteReaBank(out, banks, ChunkType::CMB1, source); }),
                                     banks, ChunkType::CMB1),
                "combination ReaBank");
    }
    Require(checks::CheckCsv(Written([&](OutputTextFile& out) { WriteCsv(out, catalogue); }), catalogue), "CSV");
}

void CheckSameFiles(const Outcome& a, const Outcome& b, const char* what) {
    if (a.result != b.result || a.errorKind != b.errorKind || a.ins != b.ins || a.listing != b.listing) Finding(what);
}

// The bank buffers keep what an earlier input left in them, as they do from one file to the next.
// Only a first record's name can show it (the trace of a load that failed before 24 bytes), so
// clearing the names makes every input reproduce on its own without clearing 14 MB each time.
void ClearFirstNames() {
    for (std::uint8_t* buffer : {ProgramBankHD1, ProgramBankEXi, CombiBank}) std::memset(buffer, 0, kNameLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ClearFirstNames();
    MemoryStream quietStream(data, size);
    Catalogue catalogue;
    catalogue.detail = Catalogue::Detail::Formats;
    const Outcome quiet = Walk(quietStream, false, false, &catalogue);
    CheckQuietConsole(quiet.console);
    CheckCatalogue(catalogue, CheckOutputs(quiet));
    CheckFormats(catalogue, SourceOf(data, size));

    if (size <= kComparedInputLimit) {
        FileStream fileStream(std::make_unique<MemoryRawFile>(data, size));
        const Outcome buffered = Walk(fileStream, false, false);
        CheckSameFiles(quiet, buffered, "the file stream and the memory stream disagree");
        if (buffered.console != quiet.console) Finding("the file stream and the memory stream disagree on the console");
    }

    const bool traced = size <= kTracedInputLimit;
    if (traced) {
        MemoryStream tracedStream(data, size);
        CheckSameFiles(quiet, Walk(tracedStream, true, false), "Verbose changed the output files");
    }
    MemoryStream topStream(data, size);
    const Outcome top = Walk(topStream, traced, true);
    if (!top.ins.empty() || !top.listing.empty()) Finding("TopLevelOnly listed a bank");
    return 0;
}
