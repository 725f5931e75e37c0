// The message box of the test build of morvane.exe: its icon, title and text, UTF-8 and CR LF,
// go to the file MORVANE_BOX_FILE names. Without that variable the run fails loudly (exit 99)
// rather than pass a box by unseen.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "platform/Platform.h"
#include "platform/win32/Utf16.h"

namespace morvane::platform {

// Fixed, so that what the tests see does not hang on the screen Wine pretends to have.
MessageRoom MessageBoxRoom() { return {30, 80}; }

void ShowMessageBox(const std::string& title, const std::string& text, MessageIcon icon) {
    wchar_t path[4096];
    const DWORD length = ::GetEnvironmentVariableW(L"MORVANE_BOX_FILE", path, 4096);
    if (length == 0 || length >= 4096) ::ExitProcess(99);
    const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) ::ExitProcess(99);
    const std::string box =
        std::string(icon == MessageIcon::Information ? "information" : "warning") + "\r\n" + title + "\r\n" + text;
    DWORD written = 0;
    const bool done = ::WriteFile(file, box.data(), static_cast<DWORD>(box.size()), &written, nullptr) && written == box.size();
    ::CloseHandle(file);
    if (!done) ::ExitProcess(99);
}

}  // namespace morvane::platform
