#include "pathnames/pathnames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace morvane;

TEST(Pathnames, CutsPathsByTheirOwnRules) {
    struct Row {
        std::string path, fileName, bareName, directory;
    };
    const Row rows[] = {
        {"C:\\dir\\a.pcg", "a.pcg", "a", "C:\\dir"},
        {"C:\\a.pcg", "a.pcg", "a", "C:\\"},
        {"C:a.pcg", "a.pcg", "a", "C:"},
        {"\\a.pcg", "a.pcg", "a", "\\"},
        {"a.pcg", "a.pcg", "a", ""},
        {"a.b.pcg", "a.b.pcg", "a.b", ""},
        {".pcg", ".pcg", "", ""},
        {"name.", "name.", "name", ""},
        {"dir.d\\name", "name", "name", "dir.d"},
        {"dir\\", "", "", "dir"},
        {"", "", "", ""},
        // '/' separates directories as '\' does
        {"dir/a.pcg", "a.pcg", "a", "dir"},
        {"/a.pcg", "a.pcg", "a", "/"},
        {"a:/x", "x", "x", "a:/"},
        {"/home/me/banks/my.bank.pcg", "my.bank.pcg", "my.bank", "/home/me/banks"},
        {"dir.d/name", "name", "name", "dir.d"},
        {"dir/", "", "", "dir"},
        {"a/b\\c.d", "c.d", "c", "a/b"},
        {std::string("x\0y.z", 5), "y.z", "y", std::string("x\0", 2)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FileNameOf(row.path), row.fileName) << row.path;
        EXPECT_EQ(BareNameOf(row.path), row.bareName) << row.path;
        EXPECT_EQ(DirectoryOf(row.path), row.directory) << row.path;
    }
}

TEST(Pathnames, ExtensionDotPositionIsSetEvenWhenThereIsNoExtension) {
    std::uint32_t dot = 99;
    EXPECT_FALSE(ExtensionDotOf("dir.d\\name", dot));
    EXPECT_EQ(dot, 4u);
    EXPECT_FALSE(ExtensionDotOf("dir.d/name", dot));
    EXPECT_EQ(dot, 4u);
    EXPECT_FALSE(ExtensionDotOf("name", dot));
    EXPECT_EQ(dot, 0u);
    EXPECT_TRUE(ExtensionDotOf("a.b.pcg", dot));
    EXPECT_EQ(dot, 4u);
}

TEST(Pathnames, FileNamesAreCutTo260Characters) {
    const std::string name(300, 'n');
    EXPECT_EQ(FileNameOf("dir\\" + name), name.substr(0, 260));
    EXPECT_EQ(FileNameOf(name), name.substr(0, 260));
    EXPECT_EQ(DirectoryOf(name + "\\x"), name);  // no limit on the directory part
}

TEST(Pathnames, ContainsChar) {
    EXPECT_FALSE(ContainsChar("", '*'));
    EXPECT_TRUE(ContainsChar("*.pcg", '*'));
    EXPECT_FALSE(ContainsChar("a?.pcg", '*'));
}

TEST(Wildcard, MatchesLikeADirectorySearch) {
    struct Row {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Row rows[] = {
        {"bank.pcg", "*.pcg", true},     {"BANK.PCG", "*.pcg", true},   {"bank.pcg", "*.PCG", true},
        {"bank.pcgx", "*.pcg", false},   {".pcg", "*.pcg", true},       {"a", "*", true},
        {"", "*", true},                 {"ab", "a?", true},            {"a", "a?", false},
        {"abc", "a*c", true},            {"ac", "a*c", true},           {"abd", "a*c", false},
        {"aXbXc", "a*b*c", true},        {"mississippi", "*sip*", true}, {"mississippi", "m*iss*ppi", true},
        {"x.pcg", "?.pcg", true},        {"xy.pcg", "?.pcg", false},    {"\xC9t\xE9.pcg", "*.pcg", true},
        {"\xC9", "\xE9", false},         {"v1.2.pcg", "v1.?.pcg", true}, {"a", "**", true},
    };
    for (const Row& row : rows) EXPECT_EQ(MatchesWildcard(row.name, row.pattern), row.matches) << row.name << " ~ " << row.pattern;
}

TEST(Wildcard, ManyStarsDoNotTakeExponentialTime) {
    const std::string name(5000, 'a');
    const std::string pattern = std::string(40, '*') + std::string(30, 'a') + "b";
    EXPECT_FALSE(MatchesWildcard(name, pattern));
}

}  // namespace
