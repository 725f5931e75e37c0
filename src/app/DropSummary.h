#pragma once
// The text of the message box that ends a drop on the program: one line per input (or the
// report of /D), cut so that the box fits the screen, and the icon that goes with it.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace morvane {

struct DropOutcome {
    std::string input;                 // the input's file name
    std::vector<std::string> outputs;  // the files written, in the order they were written
    int programBanks = 0;
    int combinationBanks = 0;
    std::string failure;  // why the input was not converted, as standard error says; empty when it was
};

struct BoxMessage {
    std::string text;
    platform::MessageIcon icon = platform::MessageIcon::Information;
};

// "MyBank.pcg: MyBank.ins and MyBank_out.txt (12 program banks, 8 combination banks)", or
// "Broken.pcg: not converted: <failure>".
std::string OutcomeLine(const DropOutcome& outcome);

// How many of the lines, from the first, the box shows when the room must also hold `keep` more
// rows below them. A line longer than the room's columns wraps onto more rows. When not every
// line fits, one row is left for the "… and N more" line.
std::size_t LinesThatFit(const std::vector<std::string>& lines, std::size_t keep, platform::MessageRoom room);

// One line per input, in order; information icon when every input was converted, warning
// otherwise (a cut list then says how many of those it leaves out were not converted).
BoxMessage ConversionMessage(const std::vector<DropOutcome>& outcomes, platform::MessageRoom room);

// /D: the findings, cut, and the summary line below them, with the information icon; or, when
// the files could not be compared, the reasons with the warning icon.
BoxMessage CompareMessage(const std::vector<std::string>& findings, const std::string& summary,
                          platform::MessageRoom room);
BoxMessage CompareTroubleMessage(const std::vector<std::string>& reasons);

// A double-click without files: what MORVANE does and how to drop files on it, then the usage.
BoxMessage UsageMessage(const std::string& usage);

}  // namespace morvane
