#include "platform/Console.h"

#include "platform/Platform.h"

namespace morvane {

bool Verbose = false;

namespace {

constexpr std::size_t kFlushThreshold = 64 * 1024;

std::string& Pending() {
    static std::string pending;
    return pending;
}

std::string* captureTarget = nullptr;
std::string* errorCaptureTarget = nullptr;

}  // namespace

void ConsoleWrite(std::string_view text) {
    if (captureTarget) {
        captureTarget->append(text);
        return;
    }
    std::string& pending = Pending();
    pending.append(text);
    if (pending.size() >= kFlushThreshold) ConsoleFlush();
}

void ConsoleLine(std::string_view text) {
    ConsoleWrite(text);
    ConsoleWrite("\r\n");
}

void ConsoleFlush() {
    std::string& pending = Pending();
    if (pending.empty()) return;
    // Cleared first: a console that cannot be written must not make every later flush retry.
    std::string out;
    out.swap(pending);
    platform::WriteStandardOutput(out.data(), out.size());
}

void ConsoleErrorLine(std::string_view text) {
    ConsoleFlush();
    std::string line(text);
    line += "\r\n";
    if (errorCaptureTarget) {
        errorCaptureTarget->append(line);
        return;
    }
    platform::WriteStandardError(line.data(), line.size());
}

void ReportLine(std::string_view subject, std::string_view text) {
    std::string line = "morvane: ";
    line.append(subject).append(": ").append(text);
    // A file name may hold a line break; one report stays one line.
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    ConsoleErrorLine(line);
}

ConsoleCapture::ConsoleCapture() : previous_(captureTarget), previousError_(errorCaptureTarget) {
    captureTarget = &text_;
    errorCaptureTarget = &errorText_;
}

ConsoleCapture::~ConsoleCapture() {
    captureTarget = previous_;
    errorCaptureTarget = previousError_;
}

}  // namespace morvane
