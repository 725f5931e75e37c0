#include "CmdLin/CmdLin.h"

namespace morvane {

unsigned char LowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool IsSwitch(const platform::CommandLine& commandLine, const std::string& arg) {
    if (arg.empty() || SwitchChars.find(arg[0]) == std::string_view::npos) return false;
    // Where '/' also separates directories, /home/me/bank.pcg is a path, while /V and /Verbose
    // stay switches.
    if (commandLine.slashPathsArePositional && arg[0] == '/') return arg.find('/', 1) == std::string::npos;
    return true;
}

std::int32_t FindSwitch(const platform::CommandLine& commandLine, char letter) {
    const unsigned char wanted = LowerAscii(static_cast<unsigned char>(letter));
    std::int32_t index = 0;
    for (const std::string& arg : commandLine.args) {
        ++index;
        if (arg.size() < 2 || !IsSwitch(commandLine, arg)) continue;
        if (LowerAscii(static_cast<unsigned char>(arg[1])) == wanted) return index;
    }
    return 0;
}

bool SwitchPresent(const platform::CommandLine& commandLine, char letter) {
    return FindSwitch(commandLine, letter) != 0;
}

bool WordPresent(const platform::CommandLine& commandLine, std::string_view word) {
    for (const std::string& arg : commandLine.args) {
        if (arg == word) return true;
    }
    return false;
}

std::int32_t PositionalCount(const platform::CommandLine& commandLine) {
    std::int32_t count = 0;
    for (const std::string& arg : commandLine.args) {
        if (!IsSwitch(commandLine, arg)) ++count;
    }
    return count;
}

std::string PositionalArg(const platform::CommandLine& commandLine, std::int32_t n) {
    std::int32_t count = 0;
    for (const std::string& arg : commandLine.args) {
        if (!IsSwitch(commandLine, arg) && ++count == n) return arg;
    }
    return {};
}

}  // namespace morvane
