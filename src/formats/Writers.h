#pragma once
// One writer per sequencer format. Each writes whole lines (CR LF) into an open output file;
// the escaping rules of its format sit next to it.
#include <string>
#include <vector>

#include "formats/Catalogue.h"
#include "models/Models.h"
#include "platform/TextFile.h"

namespace morvane {

// What the files say about where they come from.
struct FormatSource {
    std::string inputName;  // the input file as typed (in pattern mode the match's path)
    std::string base;       // the bare output base ("bank" for bank.pcg)
    std::string version;
};

// A bank that a sequencer can select, under the head the .ins gives it.
struct SelectableBank {
    const CatalogueBank* bank;
    BankSelect select;
    std::string head;  // "Kronos Program Bank Int A"
};

struct ModeBanks {
    const Model* model = nullptr;  // whose banks they are
    std::vector<SelectableBank> programs;
    std::vector<SelectableBank> combinations;
};

// MIDI Name Document (MMA DTD 1.0), UTF-8: a Program and a Combination device mode, each with
// its banks. A mode without banks is left out; ModeBanks must hold at least one bank.
void WriteMidnam(OutputTextFile& out, const ModeBanks& banks, const FormatSource& source);
// A REAPER bank file for one mode (PRG1 or CMB1), UTF-8 without a byte-order mark.
void WriteReaBank(OutputTextFile& out, const ModeBanks& banks, ChunkType mode, const FormatSource& source);
// A Cubase/Nuendo patch script, 8-bit as the .ins.
void WriteCubaseScript(OutputTextFile& out, const ModeBanks& banks, const FormatSource& source);
// Every program and combination of the catalogue, RFC 4180, UTF-8 with a byte-order mark.
void WriteCsv(OutputTextFile& out, const Catalogue& catalogue);

}  // namespace morvane
