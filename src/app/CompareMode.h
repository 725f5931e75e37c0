#pragma once
// morvane /D old.pcg new.pcg: what changed between two bank files, on standard output.
#include "compare/Compare.h"
#include "formats/Catalogue.h"
#include "platform/Platform.h"

namespace morvane {

// Both files' catalogues and what matching them found; the findings point into the catalogues.
struct ComparedFiles {
    Catalogue oldFile;
    Catalogue newFile;
    Comparison comparison;
};

// Exit status as diff's: 0 nothing differs, 1 something does, 2 trouble (said on standard error).
// Given a place for them, the catalogues and findings are kept there, for a front end that shows
// them as more than lines; what is said stays the same.
int RunCompare(const platform::CommandLine& commandLine, ComparedFiles* kept = nullptr);

}  // namespace morvane
