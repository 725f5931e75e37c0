#include "app/CompareMode.h"

#include <memory>
#include <string>

#include "CmdLin/CmdLin.h"
#include "PCG_readINS/FileModel.h"
#include "PCG_readINS/ProcessState.h"
#include "app/Collect.h"
#include "app/Driver.h"
#include "compare/Compare.h"
#include "compare/Report.h"
#include "pathnames/pathnames.h"
#include "platform/Console.h"
#include "platform/InputStream.h"

namespace morvane {

namespace {

constexpr int kTrouble = 2;

// The walk of a conversion with nothing written: its lines go nowhere and its console lines
// (rejections, size mismatches) are not shown; the reason comes from WalkFailure instead.
class QuietWalk {
public:
    QuietWalk() {
        Verbose = false;
        InsFile.Attach(std::make_unique<NullOutputFile>());
        ListingFile.Attach(std::make_unique<NullOutputFile>());
    }
    ~QuietWalk() {
        InsFile.Attach(nullptr);
        ListingFile.Attach(nullptr);
    }
    QuietWalk(const QuietWalk&) = delete;
    QuietWalk& operator=(const QuietWalk&) = delete;

private:
    ConsoleCapture console_;
};

// One file walked into its catalogue; false after saying on standard error why it could not be.
// The file is released before the other is opened, so a file compared with itself (or a link to
// it) is never locked twice.
bool CatalogueOf(const std::string& name, Catalogue& catalogue) {
    try {
        const std::unique_ptr<InputStream> stream = OpenInputStream(name);
        const QuietWalk quiet;
        const CollectedBanks collecting(catalogue);
        catalogue.model = &ModelOfFile(*stream);
        WalkFile(*stream, false, *catalogue.model);
    } catch (const std::exception& error) {
        ReportError(error, name);
        return false;
    }
    return Converted(name);
}

}  // namespace

int RunCompare(const platform::CommandLine& commandLine, ComparedFiles* kept) {
    const std::int32_t names = PositionalCount(commandLine);
    if (names != 2) {
        ReportLine("/D", "compares exactly two bank files, as in morvane /D old.pcg new.pcg; " + std::to_string(names) +
                             (names == 1 ? " file name was" : " file names were") + " given");
        return kTrouble;
    }
    const std::string oldName = PositionalArg(commandLine, 1), newName = PositionalArg(commandLine, 2);
    for (const std::string& name : {oldName, newName}) {
        if (ContainsChar(name, '*')) {
            ReportLine(name, "/D compares two files, not the matches of a pattern");
            return kTrouble;
        }
    }
    ComparedFiles own;
    ComparedFiles& files = kept ? *kept : own;
    Catalogue &oldFile = files.oldFile, &newFile = files.newFile;
    if (!CatalogueOf(oldName, oldFile) || !CatalogueOf(newName, newFile)) return kTrouble;
    // Bank names and record layouts differ from one model to another: there is nothing to match.
    if (oldFile.model != newFile.model) {
        ConsoleErrorLine("morvane: " + oldName + " is a " + oldFile.model->word + " file and " + newName + " a " +
                         newFile.model->word + " file");
        return kTrouble;
    }

    files.comparison = CompareCatalogues(oldFile, newFile);
    const Comparison& comparison = files.comparison;
    for (const Finding& finding : comparison.findings) ConsoleLine(FindingLine(finding, oldName, newName));
    ConsoleLine(SummaryLine(comparison, oldName, newName));
    ConsoleFlush();
    return comparison.findings.empty() ? 0 : 1;
}

}  // namespace morvane
