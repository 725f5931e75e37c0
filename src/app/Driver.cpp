#include "app/Driver.h"

#include <exception>
#include <memory>

#include "CmdLin/CmdLin.h"
#include "PCG_readINS/ConvertFile.h"
#include "PCG_readINS/ProcessState.h"
#include "app/Collect.h"
#include "app/CompareMode.h"
#include "app/Help.h"
#include "formats/Formats.h"
#include "pathnames/pathnames.h"
#include "platform/Console.h"
#include "platform/Errors.h"
#include "platform/InputStream.h"

namespace morvane {

namespace {

std::string WithTrailingDelimiter(std::string text) {
    if (text.empty() || (text.back() != '/' && text.back() != '\\')) text += platform::kTrailingDelimiter;
    return text;
}

void Convert(InputStream& stream, const Options& options, const std::string& OutputBase, const std::string& inputPath,
             Catalogue* listed) {
    if (!options.formats.Any() && !listed) {
        ConvertFile(stream, options.TopLevelOnly, OutputBase);
        return;
    }
    Catalogue catalogue;
    ConvertCollecting(stream, options, OutputBase, inputPath, listed ? *listed : catalogue);
}

int RunSingleFile(const platform::CommandLine& commandLine, const Options& options, Catalogue* listed) {
    const std::string OutputBase = PositionalCount(commandLine) > 2 ? PositionalArg(commandLine, 2)
                                                                    : OutputBaseFor(InputName, InputName);
    try {
        const std::unique_ptr<InputStream> stream = OpenInputStream(InputName);
        ConsoleLine("Opened " + InputName + "  Size: " + std::to_string(stream->Size()));
        Convert(*stream, options, OutputBase, InputName, listed);
    } catch (const std::exception& error) {
        ConsoleLine("Could not open " + InputName);
        ReportError(error, InputName);
        return 1;
    }
    return Converted(InputName) ? 0 : 1;
}

struct PatternRun {
    std::string MatchPath;  // the match being converted
    bool matched = false;
    bool allConverted = true;
};

// A file that is rejected or has a bank that cannot be read does not stop the run; an error does.
void ConvertMatches(const Options& options, PatternRun& run, Catalogue* listed) {
    const std::string directory = DirectoryOf(InputName);
    const auto search = platform::StartDirectorySearch(InputName);
    std::string entryName;
    while (search->Next(entryName)) {
        if (entryName == "." || entryName == "..") continue;
        run.matched = true;
        run.MatchPath = directory.empty() ? entryName : WithTrailingDelimiter(directory) + entryName;
        const std::unique_ptr<InputStream> stream = OpenInputStream(run.MatchPath);
        ConsoleWrite("\r\n");
        ConsoleLine("Opened \"" + run.MatchPath);
        Convert(*stream, options, OutputBaseFor(InputName, entryName), run.MatchPath, listed);
        if (!Converted(run.MatchPath)) run.allConverted = false;
    }
}

int RunPattern(const Options& options, Catalogue* listed) {
    PatternRun run;
    try {
        ConvertMatches(options, run, listed);
    } catch (const std::exception& error) {
        ReportError(error, run.MatchPath);
        return 1;
    }
    if (!run.matched) {
        ReportLine(InputName, "no file matches the pattern");
        return 1;
    }
    return run.allConverted ? 0 : 1;
}

FormatSwitches FormatSwitchesOf(const platform::CommandLine& commandLine) {
    const bool all = SwitchPresent(commandLine, 'A');
    FormatSwitches switches;
    switches.midnam = all || SwitchPresent(commandLine, 'M');
    switches.reabank = all || SwitchPresent(commandLine, 'R');
    switches.cubase = all || SwitchPresent(commandLine, 'C');
    switches.csv = all || SwitchPresent(commandLine, 'L');
    return switches;
}

}  // namespace

Options OptionsOf(const platform::CommandLine& commandLine) {
    Options options;
    options.TopLevelOnly = SwitchPresent(commandLine, 'T');
    options.formats = FormatSwitchesOf(commandLine);
    return options;
}

void ConvertCollecting(InputStream& stream, const Options& options, const std::string& OutputBase,
                       const std::string& inputPath, Catalogue& catalogue) {
    catalogue.detail = Catalogue::Detail::Formats;
    {
        const CollectedBanks collecting(catalogue);
        ConvertFile(stream, options.TopLevelOnly, OutputBase);
    }
    if (options.formats.Any()) WriteFormats(catalogue, options.formats, {inputPath, BareNameOf(OutputBase), kVersion});
}

bool Converted(const std::string& inputName) {
    if (WalkFailure.empty()) return true;
    ReportLine(inputName, WalkFailure);
    return false;
}

void ReportError(const std::exception& error, const std::string& inputName) {
    const auto* own = dynamic_cast<const Error*>(&error);
    if (!own) {
        ReportLine(inputName, std::string("Error: ") + error.what());
        return;
    }
    ReportLine(own->Subject().empty() ? inputName : own->Subject(), std::string(own->Kind()) + ": " + own->Reason());
}

std::string OutputBaseFor(const std::string& directorySource, const std::string& fileName) {
    const std::string directory = DirectoryOf(directorySource);
    return directory.empty() ? FileNameOf(fileName) : WithTrailingDelimiter(directory) + FileNameOf(fileName);
}

int RunMorvane(const platform::CommandLine& commandLine, Catalogue* listed) {
    Verbose = SwitchPresent(commandLine, 'V');
    const Options options = OptionsOf(commandLine);
    if (WordPresent(commandLine, "--help") || SwitchPresent(commandLine, '?')) {
        WriteHelp();
        ConsoleFlush();
        return 0;
    }
    if (WordPresent(commandLine, "--version")) {
        ConsoleLine(std::string("MORVANE ") + kVersion);
        ConsoleLine(kLicenseLine);
        ConsoleFlush();
        return 0;
    }
    if (SwitchPresent(commandLine, 'D')) return RunCompare(commandLine);
    if (PositionalCount(commandLine) < 1) {
        platform::ShowUsage(kUsageTitle, kUsageText);
        return 0;
    }
    InputName = PositionalArg(commandLine, 1);
    const int exitCode = ContainsChar(InputName, '*') ? RunPattern(options, listed) : RunSingleFile(commandLine, options, listed);
    ConsoleFlush();
    return exitCode;
}

}  // namespace morvane
