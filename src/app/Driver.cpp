#include "app/Driver.h"

#include <exception>
#include <memory>

#include "CmdLin/CmdLin.h"
#include "PCG_readINS/ConvertFile.h"
#include "PCG_readINS/ProcessState.h"
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

int RunSingleFile(const platform::CommandLine& commandLine, bool TopLevelOnly) {
    const std::string OutputBase = PositionalCount(commandLine) > 2 ? PositionalArg(commandLine, 2)
                                                                    : OutputBaseFor(InputName, InputName);
    try {
        const std::unique_ptr<InputStream> stream = OpenInputStream(InputName);
        ConsoleLine("Opened " + InputName + "  Size: " + std::to_string(stream->Size()));
        ConvertFile(*stream, TopLevelOnly, OutputBase);
    } catch (const std::exception&) {
        ConsoleLine("Could not open " + InputName);
    }
    return 0;
}

void ConvertMatches(bool TopLevelOnly) {
    const std::string directory = DirectoryOf(InputName);
    const auto search = platform::StartDirectorySearch(InputName);
    std::string entryName;
    while (search->Next(entryName)) {
        if (entryName == "." || entryName == "..") continue;
        const std::string MatchPath = directory.empty() ? entryName : WithTrailingDelimiter(directory) + entryName;
        const std::unique_ptr<InputStream> stream = OpenInputStream(MatchPath);
        ConsoleWrite("\r\n");
        ConsoleLine("Opened \"" + MatchPath);
        ConvertFile(*stream, TopLevelOnly, OutputBaseFor(InputName, entryName));
    }
}

int RunPattern(bool TopLevelOnly) {
    try {
        ConvertMatches(TopLevelOnly);
        return 0;
    } catch (const Error& error) {
        ConsoleErrorLine(std::string("MORVANE: ") + error.Kind() + ": " + error.what());
    } catch (const std::exception& error) {
        ConsoleErrorLine(std::string("MORVANE: Error: ") + error.what());
    }
    return 1;
}

}  // namespace

std::string OutputBaseFor(const std::string& directorySource, const std::string& fileName) {
    const std::string directory = DirectoryOf(directorySource);
    return directory.empty() ? FileNameOf(fileName) : WithTrailingDelimiter(directory) + FileNameOf(fileName);
}

int RunMorvane(const platform::CommandLine& commandLine) {
    Verbose = SwitchPresent(commandLine, 'V');
    const bool TopLevelOnly = SwitchPresent(commandLine, 'T');
    if (PositionalCount(commandLine) < 1) {
        platform::ShowUsage(kUsageTitle, kUsageText);
        return 0;
    }
    InputName = PositionalArg(commandLine, 1);
    const int exitCode = ContainsChar(InputName, '*') ? RunPattern(TopLevelOnly) : RunSingleFile(commandLine, TopLevelOnly);
    ConsoleFlush();
    return exitCode;
}

}  // namespace morvane
