#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DropSummary.h"

namespace {

using namespace morvane;
using platform::MessageIcon;
using platform::MessageRoom;

const std::string kMore = "\xE2\x80\xA6 and ";

DropOutcome Converted(const std::string& base, int programs, int combis, std::vector<std::string> extras = {}) {
    DropOutcome outcome{base + ".pcg", {base + ".ins", base + "_out.txt"}, programs, combis, ""};
    outcome.outputs.insert(outcome.outputs.end(), extras.begin(), extras.end());
    return outcome;
}

DropOutcome Failed(const std::string& input, const std::string& failure) { return {input, {}, 0, 0, failure}; }

std::vector<std::string> Numbered(int count, const std::string& stem) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) lines.push_back(stem + std::to_string(i));
    return lines;
}

TEST(DropSummary, OneLinePerInput) {
    struct Case {
        DropOutcome outcome;
        const char* line;
    };
    const Case cases[] = {
        {Converted("MyBank", 12, 8), "MyBank.pcg: MyBank.ins and MyBank_out.txt (12 program banks, 8 combination banks)"},
        {Converted("One", 1, 1), "One.pcg: One.ins and One_out.txt (1 program bank, 1 combination bank)"},
        {Converted("Top", 0, 0), "Top.pcg: Top.ins and Top_out.txt (0 program banks, 0 combination banks)"},
        {Converted("B", 2, 0, {"B.midnam", "B.csv"}), "B.pcg: B.ins, B_out.txt, B.midnam and B.csv (2 program banks, 0 combination banks)"},
        {Failed("Broken.pcg", "not a PCG file: it does not begin with a KORG header"),
         "Broken.pcg: not converted: not a PCG file: it does not begin with a KORG header"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutcomeLine(c.outcome), c.line);
}

// Rows are counted in characters, a line wider than the box wraps, and when not all lines fit one
// row is left for the "... and N more" line.
TEST(DropSummary, LinesThatFitTheRoom) {
    const std::string tenAccents = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
    struct Case {
        std::vector<std::string> lines;
        std::size_t keep;
        MessageRoom room;
        std::size_t fit;
    };
    const Case cases[] = {
        {Numbered(5, "line "), 0, {5, 40}, 5},
        {Numbered(6, "line "), 0, {5, 40}, 4},
        {Numbered(6, "line "), 1, {5, 40}, 3},
        {{std::string(25, 'x'), "a", "b"}, 0, {5, 10}, 3},
        {{std::string(25, 'x'), "a", "b"}, 0, {4, 10}, 1},
        {{std::string(25, 'x'), "a", "b"}, 0, {3, 10}, 0},
        {{"a", std::string(25, 'x'), "b"}, 0, {4, 10}, 1},
        {{tenAccents, tenAccents}, 0, {2, 10}, 2},
        {{"", ""}, 0, {2, 10}, 2},
        {Numbered(3, "line "), 0, {0, 40}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LinesThatFit(c.lines, c.keep, c.room), c.fit) << c.lines.size() << " lines, keep " << c.keep
                                                                << ", room " << c.room.lines << "x" << c.room.columns;
    }
}

TEST(DropSummary, ConversionMessageIconAndCut) {
    const DropOutcome good = Converted("G", 1, 0), bad = Failed("X.pcg", "why");
    struct Case {
        std::vector<DropOutcome> outcomes;
        MessageRoom room;
        MessageIcon icon;
        std::string text;
    };
    const std::string goodLine = OutcomeLine(good), badLine = OutcomeLine(bad);
    const Case cases[] = {
        {{good, good}, {10, 100}, MessageIcon::Information, goodLine + "\r\n" + goodLine},
        {{good, bad}, {10, 100}, MessageIcon::Warning, goodLine + "\r\n" + badLine},
        {{good, good, good, good}, {3, 100}, MessageIcon::Information, goodLine + "\r\n" + goodLine + "\r\n" + kMore + "2 more"},
        {{bad, good, good, bad, bad}, {3, 100}, MessageIcon::Warning,
         badLine + "\r\n" + goodLine + "\r\n" + kMore + "3 more, 2 of them not converted"},
        {{good, good}, {1, 100}, MessageIcon::Information, kMore + "2 more"},
    };
    for (const Case& c : cases) {
        const BoxMessage message = ConversionMessage(c.outcomes, c.room);
        EXPECT_EQ(message.icon, c.icon) << c.text;
        EXPECT_EQ(message.text, c.text);
    }
}

TEST(DropSummary, CompareMessageKeepsTheSummaryLine) {
    const std::string summary = "5 same, 3 renamed; banks only in a.pcg: 0, only in b.pcg: 0";
    EXPECT_EQ(CompareMessage({"f1", "f2"}, summary, {10, 100}).text, "f1\r\nf2\r\n" + summary);
    EXPECT_EQ(CompareMessage({}, summary, {10, 100}).text, summary);
    const BoxMessage cut = CompareMessage(Numbered(3, "f"), summary, {3, 100});
    EXPECT_EQ(cut.text, "f0\r\n" + kMore + "2 more\r\n" + summary);
    EXPECT_EQ(cut.icon, MessageIcon::Information);
    const BoxMessage trouble = CompareTroubleMessage({"a.pcg: not a PCG file: it is empty"});
    EXPECT_EQ(trouble.text, "a.pcg: not a PCG file: it is empty");
    EXPECT_EQ(trouble.icon, MessageIcon::Warning);
}

TEST(DropSummary, UsageMessageExplainsDroppingThenShowsTheUsage) {
    const BoxMessage message = UsageMessage("Usage: MORVANE <infilename.pcg>");
    EXPECT_EQ(message.icon, MessageIcon::Information);
    EXPECT_NE(message.text.find("Drop .pcg files"), std::string::npos);
    EXPECT_NE(message.text.find("shortcut to morvane.exe"), std::string::npos);
    EXPECT_EQ(message.text.substr(message.text.size() - 35), "\r\n\r\nUsage: MORVANE <infilename.pcg>");
}

}  // namespace
