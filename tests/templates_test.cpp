// The bundled templates must name exactly the sections the converter writes.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "PCG_readINS/BankLoader.h"
#include "TestSupport.h"
#include "formats/BankSelect.h"

#ifndef MORVANE_TEMPLATE_DIR
#error "MORVANE_TEMPLATE_DIR must name the folder of the bundled templates"
#endif

namespace {

using testing_support::Lines;
using testing_support::ReadFile;

// The Patch[n] lines of an instrument: each target section with its n.
std::map<std::string, long> PatchLines(const std::string& trailer, const std::string& instrument) {
    std::map<std::string, long> targets;
    bool inside = false;
    for (const std::string& line : Lines(trailer)) {
        if (!line.empty() && line[0] == '[') inside = line == "[" + instrument + "]";
        if (inside && line.rfind("Patch[", 0) == 0) targets[line.substr(line.find('=') + 1)] = std::stol(line.substr(6));
    }
    return targets;
}

std::set<std::string> PatchTargets(const std::string& trailer, const std::string& instrument) {
    std::set<std::string> targets;
    for (const auto& [target, n] : PatchLines(trailer, instrument)) targets.insert(target);
    return targets;
}

std::set<std::string> BankNames(std::uint8_t kind) {
    std::set<std::string> names;
    for (std::uint32_t id = 0; id <= 0x20010; ++id) {
        const std::string name = morvane::Bank_name(kind, id);
        if (name != "Invalid Bank") names.insert(name);
    }
    return names;
}

TEST(BundledTemplates, EveryBankTheConverterNamesHasItsPatchLine) {
    const std::string header = ReadFile(MORVANE_TEMPLATE_DIR "/Kronos_INS_header.ins");
    const std::string trailer = ReadFile(MORVANE_TEMPLATE_DIR "/Kronos_INS_trailer.ins");
    EXPECT_NE(header.find("\r\n.Patch Names\r\n"), std::string::npos);
    for (const char* marker : {".Note Names", ".Controller Names", ".RPN Names", ".NRPN Names", ".Instrument Definitions"}) {
        EXPECT_NE(trailer.find(std::string("\r\n") + marker + "\r\n"), std::string::npos) << marker;
    }

    std::set<std::string> programSections, combiSections;
    for (const std::string& name : BankNames(0)) programSections.insert("Kronos Program Bank " + name);
    for (const std::string& name : BankNames(1)) combiSections.insert("Kronos Combi Bank " + name);
    programSections.insert("General MIDI");
    EXPECT_EQ(PatchTargets(trailer, "Korg Kronos Programs"), programSections);
    EXPECT_EQ(PatchTargets(trailer, "Korg Kronos Combinations"), combiSections);

    // The .ins and the other formats select a bank by the same numbers: Patch[n], n = MSB * 128 + LSB.
    const struct {
        morvane::ChunkType kind;
        const char* instrument;
        std::string head;
    } instruments[] = {{morvane::ChunkType::PRG1, "Korg Kronos Programs", "Kronos Program Bank "},
                       {morvane::ChunkType::CMB1, "Korg Kronos Combinations", "Kronos Combi Bank "}};
    for (const auto& instrument : instruments) {
        for (const auto& [target, n] : PatchLines(trailer, instrument.instrument)) {
            if (target == "General MIDI") continue;
            const auto select = morvane::BankSelectFor(instrument.kind, target.substr(instrument.head.size()));
            ASSERT_TRUE(select) << target;
            EXPECT_EQ(n, select->msb * 128 + select->lsb) << target;
        }
    }
}

TEST(BundledTemplates, LinesEndInCrLfAndInstrumentsHoldNoComments) {
    for (const char* name : {"/Kronos_INS_header.ins", "/Kronos_INS_trailer.ins"}) {
        const std::string text = ReadFile(std::string(MORVANE_TEMPLATE_DIR) + name);
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << name;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                EXPECT_EQ(text[i - 1], '\r') << name << " at " << i;
            }
            if (text[i] == '\r') {
                EXPECT_EQ(text[i + 1], '\n') << name << " at " << i;
            }
        }
    }
    bool inInstruments = false, inInstrument = false;
    for (const std::string& line : Lines(ReadFile(MORVANE_TEMPLATE_DIR "/Kronos_INS_trailer.ins"))) {
        if (line == ".Instrument Definitions") inInstruments = true;
        if (inInstruments && !line.empty() && line[0] == '[') inInstrument = true;
        if (inInstrument) {
            EXPECT_NE(line.rfind(';', 0), 0u) << "comment inside an instrument: " << line;
        }
    }
}

}  // namespace
