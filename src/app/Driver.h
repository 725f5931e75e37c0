#pragma once
// The whole life of the process: switches, then the usage text, one input file, or every match
// of a file pattern.
#include <exception>
#include <string>

#include "formats/Catalogue.h"
#include "formats/Formats.h"
#include "platform/InputStream.h"
#include "platform/Platform.h"

namespace morvane {

#ifndef MORVANE_VERSION
#error "the build defines MORVANE_VERSION"
#endif
// What --version prints after "MORVANE ", and what every extra output format names.
constexpr const char* kVersion = MORVANE_VERSION;
// The line --version adds: the holder and the license, as LICENSE states them.
constexpr const char* kLicenseLine = "Copyright (c) 2026 the MORVANE developers, under the MIT License";

constexpr const char* kUsageTitle = "MORVANE Version 1.1 - Nov 2015";
constexpr const char* kUsageText =
    "Usage: MORVANE <infilename.pcg> \r\n INS file is generated as \"infilename.ins\"\r\n/V : Verbose Mode - debugging";

struct Options {
    bool TopLevelOnly = false;
    FormatSwitches formats;
};
Options OptionsOf(const platform::CommandLine& commandLine);

// One open input into its .ins and listing, then into the extra formats asked for, which need
// every bank and so come after the walk. Every bank the walk lists goes into the catalogue;
// inputPath names the input in the extra formats.
void ConvertCollecting(InputStream& stream, const Options& options, const std::string& OutputBase,
                       const std::string& inputPath, Catalogue& catalogue);

// Returns the exit code: 0 when every input was converted (and for the usage, --help and
// --version), 1 when one was not; with /D that of the compare mode (0, 1 or 2). Given a
// catalogue, a conversion also lists its banks there, for a front end that shows them; the files
// it writes stay the same.
int RunMorvane(const platform::CommandLine& commandLine, Catalogue* listed = nullptr);

// The line on standard error for an error that ended the work on an input; an error about no
// file in particular (a range error in the walk) is about the input.
void ReportError(const std::exception& error, const std::string& inputName);

// True when the last walk converted its whole file; otherwise says why on standard error.
bool Converted(const std::string& inputName);

// The output base for an input: its directory part (with a trailing delimiter) and file name,
// extension kept, so the conversion removes the extension exactly once.
std::string OutputBaseFor(const std::string& directorySource, const std::string& fileName);

}  // namespace morvane
