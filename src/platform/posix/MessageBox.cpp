// POSIX shows no message box (it never starts in drop mode); the text goes to standard output.
#include "platform/Platform.h"

namespace morvane::platform {

MessageRoom MessageBoxRoom() { return {40, 100}; }

void ShowMessageBox(const std::string& title, const std::string& text, MessageIcon /*icon*/) {
    const std::string message = title + "\r\n" + text + "\r\n";
    WriteStandardOutput(message.data(), message.size());
}

}  // namespace morvane::platform
