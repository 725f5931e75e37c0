#include "app/DropSummary.h"

#include "PCG_readINS/Format.h"

namespace morvane {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string Joined(const std::vector<std::string>& lines, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += (i > 0 ? kLineEnd : "") + lines[i];
    return text;
}

// Characters, not bytes: a UTF-8 continuation byte adds none.
std::size_t Rows(const std::string& line, std::size_t columns) {
    std::size_t characters = 0;
    for (const char c : line) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    }
    if (columns == 0 || characters == 0) return 1;
    return (characters + columns - 1) / columns;
}

std::string Counted(int count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string MoreLine(std::size_t more) { return "\xE2\x80\xA6 and " + std::to_string(more) + " more"; }

}  // namespace

std::string OutcomeLine(const DropOutcome& outcome) {
    if (!outcome.failure.empty()) return outcome.input + ": not converted: " + outcome.failure;
    return outcome.input + ": " + Enumeration(outcome.outputs) + " (" + Counted(outcome.programBanks, "program bank") +
           ", " + Counted(outcome.combinationBanks, "combination bank") + ")";
}

std::size_t LinesThatFit(const std::vector<std::string>& lines, std::size_t keep, platform::MessageRoom room) {
    const std::size_t rows = room.lines > keep ? room.lines - keep : 0;
    std::size_t used = 0;
    for (const std::string& line : lines) used += Rows(line, room.columns);
    if (used <= rows) return lines.size();
    const std::size_t forLines = rows > 0 ? rows - 1 : 0;
    std::size_t count = 0;
    used = 0;
    while (count < lines.size() && used + Rows(lines[count], room.columns) <= forLines) used += Rows(lines[count++], room.columns);
    return count;
}

BoxMessage ConversionMessage(const std::vector<DropOutcome>& outcomes, platform::MessageRoom room) {
    std::vector<std::string> lines;
    std::size_t failures = 0;
    for (const DropOutcome& outcome : outcomes) {
        lines.push_back(OutcomeLine(outcome));
        if (!outcome.failure.empty()) ++failures;
    }
    BoxMessage message;
    message.icon = failures == 0 ? platform::MessageIcon::Information : platform::MessageIcon::Warning;
    const std::size_t shown = LinesThatFit(lines, 0, room);
    message.text = Joined(lines, shown);
    if (shown == lines.size()) return message;
    std::size_t hiddenFailures = 0;
    for (std::size_t i = shown; i < outcomes.size(); ++i) {
        if (!outcomes[i].failure.empty()) ++hiddenFailures;
    }
    if (shown > 0) message.text += kLineEnd;
    message.text += MoreLine(lines.size() - shown);
    if (hiddenFailures > 0) message.text += ", " + std::to_string(hiddenFailures) + " of them not converted";
    return message;
}

BoxMessage CompareMessage(const std::vector<std::string>& findings, const std::string& summary,
                          platform::MessageRoom room) {
    const std::size_t shown = LinesThatFit(findings, Rows(summary, room.columns), room);
    BoxMessage message;
    message.text = Joined(findings, shown);
    if (shown < findings.size()) message.text += (shown > 0 ? kLineEnd : "") + MoreLine(findings.size() - shown);
    if (!message.text.empty()) message.text += kLineEnd;
    message.text += summary;
    return message;
}

BoxMessage CompareTroubleMessage(const std::vector<std::string>& reasons) {
    return {Joined(reasons, reasons.size()), platform::MessageIcon::Warning};
}

BoxMessage UsageMessage(const std::string& usage) {
    std::string text =
        "MORVANE turns Korg bank files (.pcg) of the Kronos, Nautilus, Krome, Kross, M3, Triton and other "
        "workstations into patch names for your sequencer.\r\n"
        "Drop .pcg files, or a folder of them, on morvane.exe: the new files are written beside each bank "
        "file. For more formats, drop them on a shortcut to morvane.exe with switches, such as "
        "\"morvane.exe /A\".\r\n\r\n";
    return {text + usage, platform::MessageIcon::Information};
}

}  // namespace morvane
