#pragma once
// The browser's way into the core: one conversion or one comparison of files the page has put
// into the file table, run exactly as the command line runs it, from a clean start, with
// everything the page shows taken back as data.
#include <string>
#include <vector>

#include "app/CompareMode.h"
#include "formats/Catalogue.h"
#include "models/Models.h"
#include "platform/web/FileTable.h"

namespace morvane::browser {

// What the page calls the outcome: converted (exit status 0), incomplete (a bank file of a
// model MORVANE reads, but a bank could not be read or it is cut short: its outputs are still
// offered) or rejected (no such bank file: nothing is offered).
enum class Outcome { Converted, Incomplete, Rejected };

struct TemplateUse {
    std::string name;  // Kronos_INS_header.ins
    bool yours;        // given with the bank files (the working directory), not bundled
};

struct Conversion {
    int exitStatus = 0;
    Outcome outcome = Outcome::Rejected;
    const Model* model = nullptr;  // null when rejected
    std::string base;              // what every output's name begins with
    std::string console;           // standard output of morvane /V /A NAME: progress and trace
    std::string errors;            // its standard error
    std::vector<std::string> reasons;  // each line of standard error without "morvane: NAME: "
    std::vector<TemplateUse> templates;
    Catalogue catalogue;
    std::vector<platform::web::Output> outputs;  // valid until the next conversion or comparison
};

// The file of that name in the working directory, converted as morvane /V /A NAME converts it
// in a folder that holds it, your templates and nothing else, with the bundled templates beside
// the program. The outputs are what morvane /A NAME writes, byte for byte.
void ConvertInput(const std::string& name, Conversion& conversion);

struct Comparison {
    int exitStatus = 0;
    std::string oldName, newName;  // as the command line was given them
    std::string console;
    std::vector<std::string> reasons;  // each line of standard error without "morvane: "
    ComparedFiles files;
};

// morvane /D OLD NEW on two files of the working directory.
void CompareInputs(const std::string& oldName, const std::string& newName, Comparison& comparison);

// Whatever a run leaves in process-wide state goes back to how a new process finds it.
void ResetProcessState();

// How the command line is given a file of that name: a name it would take for a switch is
// given as ./-name, which names the same file.
std::string AsTyped(const std::string& name);

// The results as the page reads them.
std::string ConversionJson(const Conversion& conversion);
std::string ComparisonJson(const Comparison& comparison);

}  // namespace morvane::browser
