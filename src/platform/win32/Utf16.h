#pragma once
// UTF-8 and the UTF-16 of the W functions, for the Win32 layer only.
#include <windows.h>

#include <cstddef>
#include <string>

namespace morvane::platform {

inline std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

inline std::string Utf8(const wchar_t* text, std::size_t size) {
    if (size == 0) return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(size), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

}  // namespace morvane::platform
