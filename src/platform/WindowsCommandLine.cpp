#include "platform/WindowsCommandLine.h"

namespace morvane::platform {

namespace {

bool IsSeparator(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }

bool EndsArgument(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Takes the next argument starting at p into arg and returns where the scan goes on.
const char* NextArgument(const char* p, std::string& arg) {
    arg.clear();
    for (;;) {
        while (IsSeparator(*p)) ++p;
        if (p[0] != '"' || p[1] != '"') break;
        p += 2;
    }
    while (!EndsArgument(*p)) {
        if (*p != '"') {
            arg.push_back(*p++);
            continue;
        }
        ++p;
        while (*p != '\0' && *p != '"') arg.push_back(*p++);
        if (*p == '"') ++p;
    }
    return p;
}

}  // namespace

std::vector<std::string> SplitWindowsCommandLine(const char* commandLine) {
    std::vector<std::string> args;
    if (commandLine == nullptr) return args;
    std::string arg;
    const char* p = NextArgument(commandLine, arg);  // the program name
    for (;;) {
        p = NextArgument(p, arg);
        if (arg.empty()) return args;
        args.push_back(arg);
    }
}

}  // namespace morvane::platform
