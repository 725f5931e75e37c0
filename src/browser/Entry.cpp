#include "browser/Entry.h"

#include <cstring>
#include <exception>

#include "CmdLin/CmdLin.h"
#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PCG_readINS/BankListing.h"
#include "PCG_readINS/ProcessState.h"
#include "app/Driver.h"
#include "browser/Json.h"
#include "compare/Report.h"
#include "formats/Text.h"
#include "open_in/open_in.h"
#include "pathnames/pathnames.h"
#include "platform/Console.h"
#include "platform/Platform.h"

namespace morvane::browser {

namespace {

// What the chunk after the file header must begin with for the model's walker to read on: its
// identifier and size (the Kronos walker reads the whole 12-byte header before it looks).
std::size_t AcceptedPcgHeaderSize(const Model& model) {
    return model.layout == Layout::Kronos ? sizeof(ChunkHeader) : sizeof(ChunkId) + sizeof(std::uint32_t);
}

// The model whose walker accepts the file: a file header that names it, then a PCG1 chunk. Null
// where the walk rejects the file as not a PCG file.
const Model* AcceptingModel(const std::string& name) {
    const auto file = platform::OpenTextFileForReading(name);
    if (!file) return nullptr;
    std::uint8_t head[sizeof(PcgFileHeader) + sizeof(ChunkHeader)] = {};
    const std::size_t got = file->ReadAt(0, head, sizeof head);
    const Model* model = ModelOfHeader(head, got);
    if (!model || got < sizeof(PcgFileHeader) + AcceptedPcgHeaderSize(*model)) return nullptr;
    return std::memcmp(head + sizeof(PcgFileHeader), ChunkIds::PCG1.data(), ChunkId::size()) == 0 ? model : nullptr;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// ReportLine keeps a report on one line: a name with a line break is reported with a space.
std::string AsReported(std::string name) {
    for (char& c : name) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return name;
}

// The lines of standard error without "morvane: " and, where they are about it, the subject.
std::vector<std::string> ReasonsOf(const std::string& errors, const std::string& subject) {
    std::vector<std::string> reasons;
    const std::string prefix = "morvane: ", own = subject.empty() ? std::string() : AsReported(subject) + ": ";
    for (std::string line : LinesOf(errors)) {
        if (line.rfind(prefix, 0) == 0) line.erase(0, prefix.size());
        if (!own.empty() && line.rfind(own, 0) == 0) line.erase(0, own.size());
        reasons.push_back(line);
    }
    return reasons;
}

TemplateUse UseOf(const char* templateName) {
    const FoundTemplate found = FindTemplate(templateName);
    return {templateName, DirectoryOf(found.path).empty()};
}

const char* KindName(ChunkType kind) {
    if (kind == ChunkType::PRG1) return "program";
    if (kind == ChunkType::CMB1) return "combination";
    return "set list";
}

const char* OutcomeName(Outcome outcome) {
    if (outcome == Outcome::Converted) return "converted";
    if (outcome == Outcome::Incomplete) return "incomplete";
    return "rejected";
}

void WriteStrings(JsonWriter& json, const char* key, const std::vector<std::string>& texts) {
    json.Key(key).BeginArray();
    for (const std::string& text : texts) json.String(text);
    json.EndArray();
}

void WriteBanks(JsonWriter& json, const Conversion& conversion) {
    json.Key("banks").BeginArray();
    for (const CatalogueBank& bank : conversion.catalogue.banks) {
        if (bank.kind == ChunkType::SLS1) continue;
        json.BeginObject().Key("kind").String(KindName(bank.kind)).Key("name").String(bank.name);
        json.Key("section").String(SectionName(*conversion.model, bank.kind, bank.name));
        json.Key("entries").BeginArray();
        for (std::size_t i = 0; i < bank.entries.size(); ++i) {
            json.BeginArray().String(EntryLabel(bank, static_cast<int>(i))).String(CleanUtf8(bank.entries[i].Name())).EndArray();
        }
        json.EndArray().EndObject();
    }
    json.EndArray();
}

// "Int A", "Int A#2" for the second bank of that name in its file, "" for a set list bank.
std::string BankShown(const Place& place) {
    if (place.occurrence == 1) return place.bank->name;
    return place.bank->name + "#" + std::to_string(place.occurrence);
}

const char* FindingName(FindingKind kind) {
    switch (kind) {
        case FindingKind::Renamed: return "renamed";
        case FindingKind::Changed: return "changed";
        case FindingKind::Moved: return "moved";
        case FindingKind::Copied: return "copied";
        case FindingKind::OnlyInOld: return "only in old";
        case FindingKind::OnlyInNew: return "only in new";
    }
    return "";
}

// A place as three columns: the bank, the number (a set list's, for its slots too), the slot.
void WritePlace(JsonWriter& json, const Place& place, bool wholeBank) {
    json.Key("kind").String(KindName(place.bank->kind)).Key("bank").String(BankShown(place));
    if (wholeBank) return;
    const bool setList = place.bank->kind == ChunkType::SLS1;
    const std::size_t number = setList ? place.entry / kSetListEntries : place.entry;
    json.Key("number").Number(static_cast<std::int64_t>(number));
    if (setList && place.entry % kSetListEntries != 0) json.Key("slot").Number(static_cast<std::int64_t>(place.entry % kSetListEntries - 1));
    json.Key("name").String(CleanUtf8(place.bank->entries[place.entry].Name()));
}

void WriteFinding(JsonWriter& json, const Finding& finding, const Comparison& comparison) {
    const bool wholeBank = finding.kind == FindingKind::OnlyInOld || finding.kind == FindingKind::OnlyInNew;
    json.BeginObject().Key("finding").String(FindingName(finding.kind));
    WritePlace(json, finding.place, wholeBank);
    if (!wholeBank) {
        json.Key("from").BeginObject();
        WritePlace(json, finding.from, false);
        json.EndObject();
    }
    json.Key("line").String(FindingLine(finding, comparison.oldName, comparison.newName));
    json.EndObject();
}

}  // namespace

void ResetProcessState() {
    // The command line starts with zeroed buffers; a bank that fails to load shows what its
    // buffer held before in the trace's first name.
    std::memset(BankBuffersBegin(), 0, BankBuffersSize());
    Verbose = false;
    InputName.clear();
    CurrentChunkType = ChunkType::Unknown;
    WalkFailure.clear();
    BankListed = nullptr;
    InsFile.Attach(nullptr);
    ListingFile.Attach(nullptr);
    platform::SetExitNotice(nullptr);
    platform::web::ClearOutputs();
}

std::string AsTyped(const std::string& name) {
    const platform::CommandLine commandLine{{}, true};
    return IsSwitch(commandLine, name) ? "./" + name : name;
}

void ConvertInput(const std::string& name, Conversion& conversion) {
    ResetProcessState();
    const std::string typed = AsTyped(name);
    {
        const ConsoleCapture console;
        try {
            conversion.exitStatus = RunMorvane({{"/V", "/A", typed}, true}, &conversion.catalogue);
        } catch (const platform::web::ProcessEnded& ended) {
            conversion.exitStatus = ended.exitCode;
        }
        conversion.console = console.Text();
        conversion.errors = console.ErrorText();
    }
    conversion.reasons = ReasonsOf(conversion.errors, typed);
    conversion.base = BareNameOf(OutputBaseFor(typed, typed));
    conversion.model = AcceptingModel(typed);
    if (conversion.exitStatus == 0) {
        conversion.outcome = Outcome::Converted;
    } else {
        conversion.outcome = conversion.model ? Outcome::Incomplete : Outcome::Rejected;
    }
    if (conversion.model) conversion.templates = {UseOf(conversion.model->headerTemplate), UseOf(conversion.model->trailerTemplate)};
    conversion.outputs = platform::web::Outputs();
}

void CompareInputs(const std::string& oldName, const std::string& newName, Comparison& comparison) {
    ResetProcessState();
    comparison.oldName = AsTyped(oldName);
    comparison.newName = AsTyped(newName);
    {
        const ConsoleCapture console;
        comparison.exitStatus = RunCompare({{"/D", comparison.oldName, comparison.newName}, true}, &comparison.files);
        comparison.console = console.Text();
        comparison.reasons = ReasonsOf(console.ErrorText(), "");
    }
}

std::string ConversionJson(const Conversion& conversion) {
    JsonWriter json;
    json.BeginObject().Key("outcome").String(OutcomeName(conversion.outcome)).Key("exitStatus").Number(conversion.exitStatus);
    json.Key("model");
    if (conversion.model) {
        json.String(conversion.model->word);
    } else {
        json.Null();
    }
    // Every model but the Kronos answers to bank select as its manual's KORG bank map has it.
    json.Key("bankMapKorg").Bool(conversion.model && conversion.model->layout == Layout::SizeDriven);
    json.Key("base").String(conversion.base).Key("console").String(conversion.console).Key("errors").String(conversion.errors);
    WriteStrings(json, "reasons", conversion.reasons);
    json.Key("templates").BeginArray();
    for (const TemplateUse& use : conversion.templates) json.BeginObject().Key("name").String(use.name).Key("yours").Bool(use.yours).EndObject();
    json.EndArray();
    json.Key("outputs").BeginArray();
    if (conversion.outcome != Outcome::Rejected) {
        for (const platform::web::Output& output : conversion.outputs) {
            json.BeginObject().Key("name").String(output.name).Key("size").Number(static_cast<std::int64_t>(output.bytes->size())).EndObject();
        }
    }
    json.EndArray();
    if (conversion.model) {
        WriteBanks(json, conversion);
    } else {
        json.Key("banks").BeginArray().EndArray();
    }
    return json.EndObject().Text();
}

std::string ComparisonJson(const Comparison& comparison) {
    JsonWriter json;
    json.BeginObject().Key("exitStatus").Number(comparison.exitStatus).Key("old").String(comparison.oldName);
    json.Key("new").String(comparison.newName).Key("console").String(comparison.console);
    WriteStrings(json, "lines", LinesOf(comparison.console));
    WriteStrings(json, "reasons", comparison.reasons);
    json.Key("rows").BeginArray();
    if (comparison.exitStatus != 2) {
        for (const Finding& finding : comparison.files.comparison.findings) WriteFinding(json, finding, comparison);
    }
    json.EndArray();
    json.Key("same").Number(static_cast<std::int64_t>(comparison.files.comparison.same));
    return json.EndObject().Text();
}

}  // namespace morvane::browser
