#include "app/Help.h"

#include "app/Driver.h"
#include "platform/Console.h"

namespace morvane {

namespace {

const char* const kHelp[] = {
    "",
    "MORVANE reads a Korg PCG bank file of a Kronos, Triton (classic, Studio, Rack), Triton",
    "Extreme, Triton Le, Karma, Oasys, M3, M50, microSTATION, Krome, Krome EX, Kross, Kross 2",
    "or Nautilus (the file says which) and writes, in the current folder:",
    "  <name>.ins       an instrument definition file: the names of every program and",
    "                   combination bank, for Cakewalk/SONAR and other sequencers that read it",
    "  <name>_out.txt   a checksum listing of every program, combination, set list and slot",
    "",
    "Usage:",
    "  morvane [switches] <bank.pcg>",
    "  morvane [switches] <bank.pcg> <output base> <any third name>",
    "  morvane [switches] \"<pattern with *>\"      every matching file, each on its own",
    "  morvane /D <old.pcg> <new.pcg>              compare two bank files; writes no file",
    "",
    "Switches start with / or - and only their first letter counts (/V, -v and -verbose agree):",
    "  /V   verbose: trace the walk through the file's chunks on the console",
    "  /T   top level only: step over every chunk, so no bank is listed",
    "  /M   also write <name>.midnam, a MIDI Name Document (Pro Tools, Digital Performer,",
    "       Ardour, Mixbus, Qtractor)",
    "  /R   also write <name>_programs.reabank and <name>_combis.reabank (REAPER)",
    "  /C   also write <name>_cubase.txt, a patch script (Cubase, Nuendo)",
    "  /L   also write <name>.csv, every program and combination (spreadsheets, Logic, scripts;",
    "       note that -csv means /C)",
    "  /A   all four of the above",
    "  /D   compare: what was renamed, changed, moved or copied, and banks only in one file",
    "  --help, -?, /?   this help           --version   the version",
    "",
    "Outputs are named after the input without its extension (my.bank.pcg gives my.bank.ins)",
    "and written to the current folder, whatever folder the input is in. Existing outputs are",
    "overwritten; the input itself never is.",
    "",
    "Templates: every .ins file is the model's header template, the bank sections, then its",
    "trailer template: Kronos_INS_header.ins and Kronos_INS_trailer.ins for a Kronos;",
    "Triton_, TritonExtreme_, TritonLe_, Karma_, Oasys_, M3_, M50_, microSTATION_, Krome_,",
    "KromeEX_, Kross_, Kross2_ and Nautilus_INS_header.ins (and _INS_trailer.ins) for the",
    "others. Each is looked for in the current folder first (your own edited copy wins),",
    "then in the folder that holds morvane, then (Linux, macOS) in ../share/morvane beside",
    "that folder. The templates hold the bank numbers of Global \"Bank Map\" KORG.",
    "",
    "Oasys, M3, M50, microSTATION, Krome, Krome EX, Kross, Kross 2, Nautilus: no real bank",
    "file of these models has been checked yet, and most of their bank numbers are inferred",
    "from the Kronos's. Correct them in the model's trailer template (Patch[MSB*128+LSB]) if",
    "your instrument answers to others, and please report what does not match.",
    "",
    "Exit status: 0 when every file was converted; 1 when a file could not be opened, is not",
    "a PCG file, has a bank that cannot be read, a template is missing or a pattern matches",
    "nothing. The reason is on standard error, one line per failure. With /D, as diff:",
    "0 when nothing differs, 1 when something does, 2 for trouble.",
    "",
    "Examples:",
    "  morvane MyBank.pcg",
    "  morvane /A \"Live Sets.pcg\"",
    "  morvane /D backup.pcg MyBank.pcg",
};

}  // namespace

void WriteHelp() {
    ConsoleLine(std::string("MORVANE ") + kVersion + " - Korg PCG bank file converter");
    for (const char* line : kHelp) ConsoleLine(line);
}

}  // namespace morvane
