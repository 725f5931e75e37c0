#include "app/DropMode.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "CmdLin/CmdLin.h"
#include "PCG_readINS/ProcessState.h"
#include "app/CompareMode.h"
#include "app/DropSummary.h"
#include "app/Driver.h"
#include "pathnames/pathnames.h"
#include "platform/Console.h"
#include "platform/InputStream.h"

namespace morvane {

namespace {

constexpr const char* kWritingFile = "Writing file ";

void Show(const BoxMessage& message) {
    platform::ShowMessageBox(std::string("MORVANE ") + kVersion, message.text, message.icon);
}

// The lines of a console text, without their CR LF.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// A line of standard error without "morvane: " and, when it is about this input, its name.
std::string Reason(const std::string& line, const std::string& input) {
    std::string reason = line.rfind("morvane: ", 0) == 0 ? line.substr(9) : line;
    if (!input.empty() && reason.rfind(input + ": ", 0) == 0) reason.erase(0, input.size() + 2);
    return reason;
}

std::string LastReason(const ConsoleCapture& console, const std::string& input) {
    const std::vector<std::string> lines = LinesOf(console.ErrorText());
    return lines.empty() ? "not converted" : Reason(lines.back(), input);
}

std::string Folded(std::string name) {
    for (char& c : name) c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
    return name;
}

bool EndsWithPcg(const std::string& name) { return name.size() >= 4 && Folded(name.substr(name.size() - 4)) == ".pcg"; }

std::string Joined(const std::string& folder, const std::string& name) {
    const bool delimited = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
    return delimited ? folder + name : folder + platform::kTrailingDelimiter + name;
}

// One input of the run: a file to convert, or a folder that gave none, with the reason.
struct DropInput {
    std::string path;
    std::string failure;
};

// The folder's own *.pcg files, by name. A search for *.pcg also finds "x.pcgx" through its short
// name, and folders so named: both are left out.
void AddFolder(const std::string& folder, std::vector<DropInput>& inputs) {
    std::vector<std::string> names;
    const auto search = platform::StartDirectorySearch(Joined(folder, "*.pcg"));
    std::string name;
    while (search->Next(name)) {
        if (EndsWithPcg(name) && !platform::IsDirectory(Joined(folder, name))) names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Folded(a) < Folded(b); });
    if (names.empty()) inputs.push_back({folder, "no .pcg file in this folder"});
    for (const std::string& each : names) inputs.push_back({Joined(folder, each), ""});
}

// Every dropped name as a full path taken before any conversion moves the working directory.
std::vector<DropInput> InputsOf(const platform::CommandLine& commandLine) {
    std::vector<DropInput> inputs;
    for (std::int32_t n = 1; n <= PositionalCount(commandLine); ++n) {
        const std::string path = platform::FullPathOf(PositionalArg(commandLine, n));
        if (platform::IsDirectory(path)) {
            AddFolder(path, inputs);
        } else {
            inputs.push_back({path, ""});
        }
    }
    return inputs;
}

// The files the conversion wrote, as its "Writing file" lines announce them; the listing, which
// is written with the .ins, is not announced.
std::vector<std::string> WrittenFiles(const std::string& consoleText, const std::string& input) {
    std::vector<std::string> files;
    for (const std::string& line : LinesOf(consoleText)) {
        if (line.rfind(kWritingFile, 0) != 0) continue;
        files.push_back(line.substr(std::string(kWritingFile).size()));
        if (files.size() == 1) files.push_back(BareNameOf(input) + "_out.txt");
    }
    return files;
}

class DropRun {
public:
    explicit DropRun(const platform::CommandLine& commandLine)
        : options_(OptionsOf(commandLine)), inputs_(InputsOf(commandLine)) {}

    int Run() {
        // A template that is missing ends the process inside the conversion: the box must still
        // say what was done and why the rest was not.
        platform::SetExitNotice([this] { ShowEnded(); });
        for (const DropInput& input : inputs_) outcomes_.push_back(Convert(input));
        platform::SetExitNotice(nullptr);
        Show(ConversionMessage(outcomes_, platform::MessageBoxRoom()));
        for (const DropOutcome& outcome : outcomes_) {
            if (!outcome.failure.empty()) return 1;
        }
        return 0;
    }

private:
    // Written beside the input: the conversion writes into the working directory.
    DropOutcome Convert(const DropInput& input) {
        DropOutcome outcome;
        outcome.input = FileNameOf(input.path);
        outcome.failure = input.failure;
        if (!outcome.failure.empty()) return outcome;
        ConsoleCapture console;
        console_ = &console;
        try {
            platform::SetWorkingDirectory(DirectoryOf(input.path));
            InputName = outcome.input;
            const std::unique_ptr<InputStream> stream = OpenInputStream(InputName);
            Catalogue catalogue;
            ConvertCollecting(*stream, options_, InputName, InputName, catalogue);
            for (const CatalogueBank& bank : catalogue.banks) {
                if (bank.kind == ChunkType::PRG1) ++outcome.programBanks;
                if (bank.kind == ChunkType::CMB1) ++outcome.combinationBanks;
            }
            if (Converted(InputName)) {
                outcome.outputs = WrittenFiles(console.Text(), InputName);
            } else {
                outcome.failure = LastReason(console, outcome.input);
            }
        } catch (const std::exception& error) {
            ReportError(error, outcome.input);
            outcome.failure = LastReason(console, outcome.input);
        }
        console_ = nullptr;
        return outcome;
    }

    void ShowEnded() {
        const std::size_t current = outcomes_.size();
        DropOutcome failed;
        failed.input = FileNameOf(inputs_[current].path);
        failed.failure = console_ ? LastReason(*console_, failed.input) : "not converted";
        outcomes_.push_back(failed);
        for (std::size_t i = current + 1; i < inputs_.size(); ++i) {
            DropOutcome notTried;
            notTried.input = FileNameOf(inputs_[i].path);
            notTried.failure = "the run ended before this file";
            outcomes_.push_back(notTried);
        }
        Show(ConversionMessage(outcomes_, platform::MessageBoxRoom()));
    }

    const Options options_;
    const std::vector<DropInput> inputs_;
    std::vector<DropOutcome> outcomes_;
    const ConsoleCapture* console_ = nullptr;
};

// The names the report gives the two files: their own names when they share a folder, else
// their full paths.
int CompareDropped(const platform::CommandLine& commandLine) {
    platform::CommandLine compared{{"/D"}, commandLine.slashPathsArePositional};
    for (std::int32_t n = 1; n <= PositionalCount(commandLine); ++n)
        compared.args.push_back(PositionalArg(commandLine, n));
    ConsoleCapture console;
    if (compared.args.size() == 3 && DirectoryOf(compared.args[1]) == DirectoryOf(compared.args[2])) {
        try {
            platform::SetWorkingDirectory(DirectoryOf(compared.args[1]));
            for (std::size_t i = 1; i < 3; ++i) compared.args[i] = FileNameOf(compared.args[i]);
        } catch (const std::exception&) {
            // The full paths then name them.
        }
    }
    const int status = RunCompare(compared);
    if (status == 2) {
        std::vector<std::string> reasons;
        for (const std::string& line : LinesOf(console.ErrorText())) reasons.push_back(Reason(line, ""));
        Show(CompareTroubleMessage(reasons));
        return status;
    }
    std::vector<std::string> findings = LinesOf(console.Text());
    const std::string summary = findings.empty() ? std::string() : findings.back();
    if (!findings.empty()) findings.pop_back();
    Show(CompareMessage(findings, summary, platform::MessageBoxRoom()));
    return status;
}

}  // namespace

int RunDropMode(const platform::CommandLine& commandLine) {
    if (SwitchPresent(commandLine, 'D')) return CompareDropped(commandLine);
    if (PositionalCount(commandLine) < 1) {
        Show(UsageMessage(kUsageText));
        return 0;
    }
    return DropRun(commandLine).Run();
}

}  // namespace morvane
