#include "open_in/open_in.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/Console.h"

namespace {

using namespace morvane;
using testing_support::ScratchDirectory;
using testing_support::WriteFile;

// Every line the copy loop of the conversion takes from a template: read, then test the end.
std::vector<std::string> TemplateLines(const std::string& content) {
    WriteFile("template.ins", content);
    TextInputFile file;
    std::string name = "template.ins";
    EXPECT_TRUE(OpenInputFile(file, name, 0));
    std::vector<std::string> lines;
    std::string line;
    do {
        file.ReadLine(line);
        lines.push_back(line);
    } while (!file.Eof());
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TemplateReader, LineEndsAndControlCharacters) {
    ScratchDirectory scratch;
    struct Row {
        const char* what;
        std::string content;
        Lines lines;
    };
    const Row rows[] = {
        {"empty", "", {""}},
        {"CR LF", "one\r\ntwo\r\n", {"one", "two"}},
        {"LF", "one\ntwo\n", {"one", "two"}},
        {"last line without end", "one\r\ntwo", {"one", "two"}},
        {"empty lines kept", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
        {"lone CR dropped", "a\rb\r\nc\r", {"ab", "c"}},
        {"Ctrl-Z starts the second line", "first\r\n\x1Asecond\r\n", {"first"}},
        {"Ctrl-Z inside the first line", "fir\x1Ast\r\nsecond\r\n", {"fir", "second"}},
        {"Ctrl-Z first of all", "\x1A" "anything\r\n", {""}},
        {"Ctrl-Z after a line end at the end", "a\r\n\x1A", {"a"}},
        {"Ctrl-Z inside the last line", "a\r\nb\x1A" "c", {"a", "b"}},
        {"other bytes unchanged", "\t\x01\xFF \x7F\r\n", {"\t\x01\xFF \x7F"}},
    };
    for (const Row& row : rows) EXPECT_EQ(TemplateLines(row.content), row.lines) << row.what;
}

TEST(TemplateReader, LongLinesAcrossTheReadBuffer) {
    ScratchDirectory scratch;
    const std::string longLine(200000, 'L');
    EXPECT_EQ(TemplateLines(longLine + "\r\n" + longLine), (Lines{longLine, longLine}));
    // A CR LF split across two buffer fills is still one line end.
    const std::string head(64 * 1024 - 1, 'h');
    EXPECT_EQ(TemplateLines(head + "\r\nnext"), (Lines{head, "next"}));
}

TEST(TemplateReader, ReadsTheTemplateAsItWasWhenOpened) {
    // The instrument definition file can be the trailer template itself (an input named
    // Kronos_INS_trailer.pcg): what the copy appends must not be read back into the copy.
    ScratchDirectory scratch;
    WriteFile("template.ins", std::string("one\r\ntwo\r\n"));
    TextInputFile file;
    std::string name = "template.ins";
    ASSERT_TRUE(OpenInputFile(file, name, 0));
    std::ofstream("template.ins", std::ios::binary | std::ios::app) << std::string(100000, 'g') << "\r\nthree\r\n";
    Lines lines;
    std::string line;
    do {
        file.ReadLine(line);
        lines.push_back(line);
    } while (!file.Eof());
    EXPECT_EQ(lines, (Lines{"one", "two"}));
}

TEST(OpenInputFile, ReportsEveryFailureAsNotFound) {
    ScratchDirectory scratch;
    std::filesystem::create_directory("a directory.ins");
    ConsoleCapture console;
    TextInputFile file;
    std::string missing = "missing.ins";
    EXPECT_FALSE(OpenInputFile(file, missing, 0));
    std::string directory = "a directory.ins";
    EXPECT_FALSE(OpenInputFile(file, directory, 0));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(console.Text(), "ERROR -- File not found:  missing.ins\r\nERROR -- File not found:  a directory.ins\r\n");
}

TEST(OpenInputFile, OpensANameWithADirectoryPart) {
    ScratchDirectory scratch;
    std::filesystem::create_directory("sub");
    WriteFile("sub/t.ins", "x");
    TextInputFile file;
    std::string name = "sub/t.ins";
    EXPECT_TRUE(OpenInputFile(file, name, 0));
    EXPECT_TRUE(OpenText(file, "sub/t.ins"));
}

}  // namespace
