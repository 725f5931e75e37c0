// The bundled templates must name exactly the sections the converter writes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "models/Models.h"

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

std::string Template(const char* name) { return ReadFile(std::string(MORVANE_TEMPLATE_DIR "/") + name); }

// Every model's instruments map each bank it names, and only those, by the numbers the other
// formats select it by: Patch[n], n = MSB * 128 + LSB.
TEST(BundledTemplates, EveryBankAModelNamesHasItsPatchLine) {
    for (const morvane::Model& model : morvane::Models()) {
        const std::string word = model.word;
        const std::string header = Template(model.headerTemplate), trailer = Template(model.trailerTemplate);
        EXPECT_NE(header.find("\r\n.Patch Names\r\n"), std::string::npos) << word;
        for (const char* marker : {".Note Names", ".Controller Names", ".RPN Names", ".NRPN Names", ".Instrument Definitions"}) {
            EXPECT_NE(trailer.find(std::string("\r\n") + marker + "\r\n"), std::string::npos) << word << ": " << marker;
        }
        const struct {
            morvane::ChunkType kind;
            std::string instrument, head;
        } modes[] = {{morvane::ChunkType::PRG1, "Korg " + word + " Programs", word + " Program Bank "},
                     {morvane::ChunkType::CMB1, "Korg " + word + " Combinations", word + " Combi Bank "}};
        for (const auto& mode : modes) {
            std::map<std::string, long> expected;
            for (const morvane::ModelBank& bank : model.banks) {
                if (bank.kind == mode.kind) expected[mode.head + bank.name] = bank.select.msb * 128 + bank.select.lsb;
            }
            std::map<std::string, long> found = PatchLines(trailer, mode.instrument);
            if (mode.kind == morvane::ChunkType::PRG1) {
                EXPECT_EQ(found.count("General MIDI"), 1u) << mode.instrument;
                found.erase("General MIDI");
            }
            EXPECT_EQ(found, expected) << mode.instrument;
        }
    }
}

TEST(BundledTemplates, LinesEndInCrLfAndInstrumentsHoldNoComments) {
    std::vector<const char*> names;
    for (const morvane::Model& model : morvane::Models()) names.insert(names.end(), {model.headerTemplate, model.trailerTemplate});
    for (const char* name : names) {
        const std::string text = Template(name);
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
    for (const morvane::Model& model : morvane::Models()) {
        bool inInstruments = false, inInstrument = false;
        for (const std::string& line : Lines(Template(model.trailerTemplate))) {
            if (line == ".Instrument Definitions") inInstruments = true;
            if (inInstruments && !line.empty() && line[0] == '[') inInstrument = true;
            if (inInstrument) {
                EXPECT_NE(line.rfind(';', 0), 0u) << model.trailerTemplate << ": comment inside an instrument: " << line;
            }
        }
    }
}

}  // namespace
