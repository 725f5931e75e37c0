#pragma once
// Console lines go to standard output, end in CR LF on every platform, and are buffered: the
// buffer is written out when it fills, on ConsoleFlush and before anything goes to standard error.
#include <string>
#include <string_view>

namespace morvane {

// Set once at start-up by the V switch; trace lines are written only when it is set.
extern bool Verbose;

void ConsoleWrite(std::string_view text);  // no line end: the next console text continues the line
void ConsoleLine(std::string_view text);
void ConsoleFlush();
// Flushes standard output first so that the two streams read in order.
void ConsoleErrorLine(std::string_view text);
// One line on standard error about a file: "morvane: <subject>: <text>" (why it failed, or a note).
void ReportLine(std::string_view subject, std::string_view text);

// Collects standard output and standard error instead of writing them, for as long as it lives.
class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;
    const std::string& Text() const { return text_; }
    const std::string& ErrorText() const { return errorText_; }
    void Clear() { text_.clear(); }

private:
    std::string text_;
    std::string errorText_;
    std::string* previous_;
    std::string* previousError_;
};

}  // namespace morvane
