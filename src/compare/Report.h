#pragma once
// The findings of a comparison as lines for the console: kind, bank, number, what happened, the
// names in double quotes; in columns wherever bank names have at most six characters.
#include <string>

#include "compare/Compare.h"

namespace morvane {

// For example: PROGRAM Int A  005 renamed "Old Name" -> "New Name"
std::string FindingLine(const Finding& finding, const std::string& oldName, const std::string& newName);
// The counts of each kind of finding, and of the entries that are the same.
std::string SummaryLine(const Comparison& comparison, const std::string& oldName, const std::string& newName);

}  // namespace morvane
