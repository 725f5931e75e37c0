// The message box of the drop mode. Apart from the rest of the seam: the test build of the
// program links a box that writes its text to a file instead (tests/e2e/BoxToFile.cpp).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/win32/Utf16.h"

namespace morvane::platform {

namespace {

// The height of a line and the average width of a character in the font message boxes use.
TEXTMETRICW MessageFontMetrics() {
    TEXTMETRICW metrics{};
    NONCLIENTMETRICSW nonClient{};
    nonClient.cbSize = sizeof nonClient;
    const HFONT font = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof nonClient, &nonClient, 0)
                           ? ::CreateFontIndirectW(&nonClient.lfMessageFont)
                           : nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HGDIOBJ previous = font && screen ? ::SelectObject(screen, font) : nullptr;
    if (screen) ::GetTextMetricsW(screen, &metrics);
    if (previous) ::SelectObject(screen, previous);
    if (screen) ::ReleaseDC(nullptr, screen);
    if (font) ::DeleteObject(font);
    return metrics;
}

}  // namespace

MessageRoom MessageBoxRoom() {
    RECT work{};
    const TEXTMETRICW font = MessageFontMetrics();
    const long lineHeight = font.tmHeight + font.tmExternalLeading;
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) || lineHeight <= 0 || font.tmAveCharWidth <= 0)
        return {20, 60};
    // The caption, the margins and the OK button take about eight lines; Windows wraps a box's
    // text well before it is as wide as the screen, so half the width is a safe measure.
    const long lines = (work.bottom - work.top) / lineHeight - 8;
    const long columns = (work.right - work.left) / 2 / font.tmAveCharWidth;
    return {static_cast<std::size_t>(std::max(lines, 5L)), static_cast<std::size_t>(std::max(columns, 30L))};
}

void ShowMessageBox(const std::string& title, const std::string& text, MessageIcon icon) {
    const UINT iconStyle = icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONWARNING;
    // A program started from Explorer has no window of its own to bring the box to the front.
    ::MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(), MB_OK | iconStyle | MB_SETFOREGROUND);
}

}  // namespace morvane::platform
