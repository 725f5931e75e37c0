#include "platform/WindowsCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using morvane::platform::SplitWindowsCommandLine;
using Args = std::vector<std::string>;

TEST(WindowsCommandLine, SplitsLikeAWindowsProgram) {
    struct Row {
        const char* what;
        std::string commandLine;
        Args args;
    };
    const Row rows[] = {
        {"program name only", "morvane", {}},
        {"empty", "", {}},
        {"one argument", "morvane bank.pcg", {"bank.pcg"}},
        {"blanks and tabs around", "morvane  /V\tbank.pcg \t ", {"/V", "bank.pcg"}},
        {"quoted program name with blanks", "\"C:\\Program Files\\MORVANE\\morvane.exe\" bank.pcg", {"bank.pcg"}},
        {"program name with a quoted part", "C:\\\"Program Files\"\\morvane.exe /T", {"/T"}},
        {"quoted name with blanks", "morvane \"my bank.pcg\" /v", {"my bank.pcg", "/v"}},
        {"quotes inside an argument", "morvane my\" \"bank.pcg", {"my bank.pcg"}},
        {"quoted run then more", "morvane \"my \"bank.pcg x", {"my bank.pcg", "x"}},
        {"two quoted runs", "morvane \"a\"\"b\"", {"ab"}},
        {"a quoted blank is an argument", "morvane a \" \" b", {"a", " ", "b"}},
        {"control characters separate", std::string("morvane a\x01" "b\x1F" "c\x7F" "d"), {"a", "b", "c\x7F" "d"}},
        {"newline separates", "morvane a\r\nb", {"a", "b"}},
        {"control characters inside quotes are kept", "morvane \"a\tb\"", {"a\tb"}},
        {"bytes above 127 are not blanks", "morvane \xE9t\xE9.pcg \xA0x", {"\xE9t\xE9.pcg", "\xA0x"}},
        {"a lone pair of quotes separates", "morvane \"\" bank.pcg", {"bank.pcg"}},
        {"several lone pairs", "morvane \"\"\"\" \"\" bank.pcg \"\"", {"bank.pcg"}},
        {"a pair where an argument starts is dropped", "morvane \"\"bank.pcg", {"bank.pcg"}},
        {"an empty quoted run inside an argument", "morvane ba\"\"nk.pcg", {"bank.pcg"}},
        {"an empty first argument hides the rest", "morvane \"", {}},
        {"counting ends at the empty argument", "morvane a.pcg /V \"", {"a.pcg", "/V"}},
        {"an unclosed quote runs to the end", "morvane \"my bank.pcg /V", {"my bank.pcg /V"}},
        {"backslashes are plain characters", "morvane C:\\dir\\\"x y\" \\\"z", {"C:\\dir\\x y", "\\z"}},
        {"leading lone pair before the program name", "\"\" morvane a", {"a"}},
        {"switch characters are not special", "morvane -t /V - /", {"-t", "/V", "-", "/"}},
    };
    for (const Row& row : rows) EXPECT_EQ(SplitWindowsCommandLine(row.commandLine.c_str()), row.args) << row.what;
}

TEST(WindowsCommandLine, NoCommandLineAtAll) { EXPECT_EQ(SplitWindowsCommandLine(nullptr), Args{}); }

}  // namespace
