#include "CmdLin/CmdLin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace morvane;

platform::CommandLine Posix(std::vector<std::string> args) { return {std::move(args), true}; }
platform::CommandLine Windows(std::vector<std::string> args) { return {std::move(args), false}; }

TEST(CmdLin, NoArguments) {
    for (const auto& commandLine : {Posix({}), Windows({})}) {
        EXPECT_EQ(FindSwitch(commandLine, 'V'), 0);
        EXPECT_EQ(PositionalCount(commandLine), 0);
        EXPECT_EQ(PositionalArg(commandLine, 1), "");
    }
}

TEST(CmdLin, SwitchesAndPositionalsMixed) {
    for (const auto& commandLine : {Posix({"-T", "a.pcg", "/t"}), Windows({"-T", "a.pcg", "/t"})}) {
        EXPECT_EQ(FindSwitch(commandLine, 'T'), 1);
        EXPECT_EQ(FindSwitch(commandLine, 't'), 1);
        EXPECT_EQ(PositionalCount(commandLine), 1);
        EXPECT_EQ(PositionalArg(commandLine, 1), "a.pcg");
        EXPECT_EQ(PositionalArg(commandLine, 2), "");
    }
    const auto commandLine = Windows({"a.pcg", "/V", "b.pcg", "-x", "c"});
    EXPECT_EQ(PositionalArg(commandLine, 2), "b.pcg");
    EXPECT_EQ(PositionalArg(commandLine, 3), "c");
    EXPECT_EQ(PositionalArg(commandLine, 0), "");
    EXPECT_EQ(PositionalArg(commandLine, -1), "");
    EXPECT_EQ(FindSwitch(commandLine, 'V'), 2);
    EXPECT_EQ(FindSwitch(commandLine, 'T'), 0);
}

TEST(CmdLin, OnlyTheSecondCharacterNamesTheSwitch) {
    for (const char* arg : {"/v", "-V", "/Verbose", "-vx", "-verbose"}) {
        EXPECT_TRUE(SwitchPresent(Windows({"a.pcg", arg}), 'V')) << arg;
        EXPECT_TRUE(SwitchPresent(Posix({arg, "a.pcg"}), 'v')) << arg;
    }
    EXPECT_FALSE(SwitchPresent(Windows({"-xv"}), 'V'));
    EXPECT_FALSE(SwitchPresent(Windows({"V"}), 'V'));
    EXPECT_EQ(FindSwitch(Windows({"-T", "-t"}), 'T'), 1);
}

TEST(CmdLin, LoneSwitchCharacterMatchesNoLetterAndIsNotPositional) {
    for (const auto& commandLine : {Posix({"-", "/", "a.pcg"}), Windows({"-", "/", "a.pcg"})}) {
        EXPECT_EQ(PositionalCount(commandLine), 1);
        EXPECT_EQ(PositionalArg(commandLine, 1), "a.pcg");
        for (char letter : {'V', 'T', '\0', '-', '/'}) EXPECT_EQ(FindSwitch(commandLine, letter), 0) << letter;
    }
}

TEST(CmdLin, SlashPathsArePositionalOnlyWhereSlashSeparatesDirectories) {
    const std::vector<std::string> args{"/home/me/bank.pcg", "/V", "-T", "/dir/x.pcg"};
    const auto posix = Posix(args);
    EXPECT_EQ(PositionalCount(posix), 2);
    EXPECT_EQ(PositionalArg(posix, 1), "/home/me/bank.pcg");
    EXPECT_EQ(PositionalArg(posix, 2), "/dir/x.pcg");
    EXPECT_EQ(FindSwitch(posix, 'V'), 2);
    EXPECT_EQ(FindSwitch(posix, 'H'), 0);
    EXPECT_EQ(FindSwitch(posix, 'D'), 0);

    const auto windows = Windows(args);
    EXPECT_EQ(PositionalCount(windows), 0);
    EXPECT_EQ(FindSwitch(windows, 'H'), 1);  // /home/... is the switch H
    EXPECT_EQ(FindSwitch(windows, 'd'), 4);
}

TEST(CmdLin, NameBeginningWithAMinusIsAlwaysASwitch) {
    EXPECT_EQ(PositionalCount(Posix({"-bank.pcg"})), 0);
    EXPECT_EQ(FindSwitch(Posix({"-bank.pcg"}), 'b'), 1);
}

TEST(CmdLin, LowerAsciiFoldsOnlyCapitalLetters) {
    EXPECT_EQ(LowerAscii('A'), 'a');
    EXPECT_EQ(LowerAscii('Z'), 'z');
    EXPECT_EQ(LowerAscii(64), 64);
    EXPECT_EQ(LowerAscii(91), 91);
    EXPECT_EQ(LowerAscii('a'), 'a');
    EXPECT_EQ(LowerAscii(0xC9), 0xC9);
}

}  // namespace
