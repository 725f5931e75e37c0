#include "formats/Text.h"
#include "formats/Writers.h"

namespace morvane {

namespace {

constexpr int kChannels = 16;

void WriteMode(OutputTextFile& out, const char* mode, const char* nameSet) {
    out.WriteLine(std::string("    <CustomDeviceMode Name=\"") + mode + "\">");
    out.WriteLine("      <ChannelNameSetAssignments>");
    for (int channel = 1; channel <= kChannels; ++channel) {
        out.WriteLine("        <ChannelNameSetAssign Channel=\"" + std::to_string(channel) + "\" NameSet=\"" + nameSet + "\"/>");
    }
    out.WriteLine("      </ChannelNameSetAssignments>");
    out.WriteLine("    </CustomDeviceMode>");
}

void WriteBank(OutputTextFile& out, const SelectableBank& selectable) {
    const CatalogueBank& bank = *selectable.bank;
    const std::string head = XmlEscaped(CleanUtf8(selectable.head));
    out.WriteLine("      <PatchBank Name=\"" + head + "\">");
    out.WriteLine("        <MIDICommands>");
    out.WriteLine("          <ControlChange Control=\"0\" Value=\"" + std::to_string(selectable.select.msb) + "\"/>");
    out.WriteLine("          <ControlChange Control=\"32\" Value=\"" + std::to_string(selectable.select.lsb) + "\"/>");
    out.WriteLine("        </MIDICommands>");
    out.WriteLine("        <PatchNameList Name=\"" + head + "\">");
    const std::string& label = bank.label;
    std::string text;
    for (std::size_t i = 0; i < bank.entries.size(); ++i) {
        const int number = static_cast<int>(i);
        std::string& line = out.Buffer();
        line += "          <Patch Number=\"";
        AppendEntryLabel(line, label, number);  // bank labels are model data or plain letters: nothing to escape
        line += "\" Name=\"";
        text.clear();
        AppendCleanUtf8(text, bank.entries[i].Name());
        AppendXmlEscaped(line, text);
        line += "\" ProgramChange=\"";
        AppendNumber(line, static_cast<unsigned>(number));
        line += "\"/>";
        out.EndLine();
    }
    out.WriteLine("        </PatchNameList>");
    out.WriteLine("      </PatchBank>");
}

void WriteNameSet(OutputTextFile& out, const char* nameSet, const std::vector<SelectableBank>& banks) {
    out.WriteLine(std::string("    <ChannelNameSet Name=\"") + nameSet + "\">");
    out.WriteLine("      <AvailableForChannels>");
    for (int channel = 1; channel <= kChannels; ++channel) {
        out.WriteLine("        <AvailableChannel Channel=\"" + std::to_string(channel) + "\" Available=\"true\"/>");
    }
    out.WriteLine("      </AvailableForChannels>");
    for (const SelectableBank& bank : banks) WriteBank(out, bank);
    out.WriteLine("    </ChannelNameSet>");
}

}  // namespace

void WriteMidnam(OutputTextFile& out, const ModeBanks& banks, const FormatSource& source) {
    out.WriteLine("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    out.WriteLine("<!DOCTYPE MIDINameDocument PUBLIC \"-//MIDI Manufacturers Association//DTD MIDINameDocument 1.0//EN\" "
                  "\"http://www.midi.org/dtds/MIDINameDocument10.dtd\">");
    out.WriteLine("<MIDINameDocument>");
    out.WriteLine("  <Author>" + XmlEscaped("MORVANE " + source.version + " from " + CleanFileNameUtf8(source.inputName)) + "</Author>");
    out.WriteLine("  <MasterDeviceNames>");
    out.WriteLine("    <Manufacturer>Korg</Manufacturer>");
    // One model per bank file, so that several can be installed side by side.
    out.WriteLine("    <Model>" + XmlEscaped(std::string(banks.model->word) + " (" + CleanFileNameUtf8(source.base) + ")") + "</Model>");
    if (!banks.programs.empty()) WriteMode(out, "Program", "Programs");
    if (!banks.combinations.empty()) WriteMode(out, "Combination", "Combinations");
    if (!banks.programs.empty()) WriteNameSet(out, "Programs", banks.programs);
    if (!banks.combinations.empty()) WriteNameSet(out, "Combinations", banks.combinations);
    out.WriteLine("  </MasterDeviceNames>");
    out.WriteLine("</MIDINameDocument>");
}

}  // namespace morvane
