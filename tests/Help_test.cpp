// The manual page documents exactly the switches the help lists, for the version built.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>
#include <string>

#include "TestSupport.h"
#include "app/Driver.h"
#include "app/Help.h"
#include "platform/Console.h"

#ifndef MORVANE_MANUAL_PAGE
#error "MORVANE_MANUAL_PAGE must name the manual page, doc/morvane.1"
#endif

namespace {

using testing_support::ReadFile;

// One word as a switch: "/V", "-v" and "-V" are all "/V", "-?" is "/?", and a word such as
// "--help" stays itself; any other word is none and gives "".
std::string SwitchOf(std::string word) {
    const auto punctuation = [](char c) { return c == ',' || c == '(' || c == ')' || c == ':' || c == ';' || c == '"'; };
    while (!word.empty() && punctuation(word.front())) word.erase(0, 1);
    while (!word.empty() && punctuation(word.back())) word.pop_back();
    if (word.size() > 2 && word.compare(0, 2, "--") == 0) return word;
    if (word.size() != 2 || (word[0] != '/' && word[0] != '-')) return "";
    const auto letter = static_cast<unsigned char>(word[1]);
    if (!std::isalpha(letter) && letter != '?') return "";
    return std::string("/") + static_cast<char>(std::toupper(letter));
}

std::set<std::string> SwitchesIn(const std::string& text) {
    std::set<std::string> switches;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const std::string found = SwitchOf(word);
        if (!found.empty()) switches.insert(found);
    }
    return switches;
}

// A roff line as text: without its request (".BR"), font changes and escaped minus signs.
std::string PlainText(std::string line) {
    if (!line.empty() && line[0] == '.') line.erase(0, line.find(' ') == std::string::npos ? line.size() : line.find(' '));
    std::string plain;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line.compare(i, 2, "\\-") == 0) {
            plain += '-';
            ++i;
        } else if (line.compare(i, 2, "\\f") == 0 && i + 2 < line.size()) {
            i += 2;
        } else {
            plain += line[i];
        }
    }
    return plain;
}

// The switches the OPTIONS section documents: the tag line after each .TP.
std::set<std::string> DocumentedSwitches(const std::string& page) {
    std::set<std::string> switches;
    std::istringstream lines(page);
    std::string line;
    bool inOptions = false, tagLine = false;
    while (std::getline(lines, line)) {
        if (line.rfind(".SH", 0) == 0) inOptions = line == ".SH OPTIONS";
        if (inOptions && tagLine) {
            const std::set<std::string> tag = SwitchesIn(PlainText(line));
            EXPECT_FALSE(tag.empty()) << "an OPTIONS item that names no switch: " << line;
            switches.insert(tag.begin(), tag.end());
        }
        tagLine = inOptions && line == ".TP";
    }
    return switches;
}

TEST(ManualPage, DocumentsEverySwitchOfTheHelpAndNoOther) {
    std::string help;
    {
        morvane::ConsoleCapture console;
        morvane::WriteHelp();
        help = console.Text();
    }
    const std::set<std::string> listed = SwitchesIn(help);
    ASSERT_TRUE(listed.count("/V") && listed.count("--version")) << help;
    EXPECT_EQ(DocumentedSwitches(ReadFile(MORVANE_MANUAL_PAGE)), listed);
}

TEST(ManualPage, NamesTheVersionBuilt) {
    const std::string page = ReadFile(MORVANE_MANUAL_PAGE);
    const std::size_t title = page.find("\n.TH MORVANE 1 ");
    ASSERT_NE(title, std::string::npos);
    const std::string titleLine = page.substr(title + 1, page.find('\n', title + 1) - title - 1);
    EXPECT_NE(titleLine.find(std::string("\"MORVANE ") + morvane::kVersion + "\""), std::string::npos) << titleLine;
}

}  // namespace
