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
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "PCG_readINS/BankListing.h"
#include "PCG_readINS/ChunkWalker.h"
#include "PCG_readINS/ProcessState.h"
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

Outcome Walk(InputStream& stream, bool verbose, bool topLevelOnly) {
    Outcome outcome;
    Verbose = verbose;
    InsFile.Attach(std::make_unique<MemoryOutputFile>(outcome.ins));
    ListingFile.Attach(std::make_unique<MemoryOutputFile>(outcome.listing));
    {
        ConsoleCapture console;
        try {
            outcome.result = Walk_chunks(stream, topLevelOnly);
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
    void TakeChecksum(const char* what) {
        const std::string_view digits = TakeCount(8, what);
        if (digits.find_first_not_of("0123456789ABCDEF") != std::string_view::npos || digits == "00000000") Finding(what);
        Take("\r\n", what);
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
    bool combi = false;
    std::string name;
    std::string nameFields[128];  // the 24 columns between the double quotes
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
        listing.TakeChecksum("a bad record checksum");
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
void ReadSection(Reader& ins, const ListedBank& bank) {
    std::string head = bank.combi ? "[Kronos Combi Bank " : "[Kronos Program Bank ";
    if (bank.name.size() < 4) head.append(4 - bank.name.size(), ' ');
    ins.Take("\r\n" + head + bank.name + "]\r\n", "a section head that does not match the listing");
    const std::string label = BankLabel(bank.name);
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
// its section in the instrument definition file, in the same order.
void CheckOutputs(const Outcome& outcome) {
    Reader listing(outcome.listing);
    Reader ins(outcome.ins);
    while (!listing.AtEnd()) {
        if (listing.Peek("SETLIST ")) {
            ReadSetListBank(listing);
        } else if (listing.Peek("PROGRAM ") || listing.Peek("COMBI   ")) {
            ReadSection(ins, ReadRecordBank(listing));
        } else {
            Finding("a listing line of no known kind");
        }
    }
    if (!ins.AtEnd()) Finding("a section without listing lines");
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
    const Outcome quiet = Walk(quietStream, false, false);
    CheckQuietConsole(quiet.console);
    CheckOutputs(quiet);

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
