#pragma once
// An output text file: lines end in CR LF, writes are buffered, and every failure to create,
// write or close is an IoError.
#include <memory>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace morvane {

class OutputTextFile {
public:
    OutputTextFile() = default;
    OutputTextFile(const OutputTextFile&) = delete;
    OutputTextFile& operator=(const OutputTextFile&) = delete;

    // Creates or truncates the named file; a file still open here is dropped first.
    void Create(const std::string& name);
    // Writes into any sink instead of a named file (tests, fuzzing).
    void Attach(std::unique_ptr<platform::OutputFile> sink);
    bool IsOpen() const { return sink_ != nullptr; }

    void WriteLine(std::string_view line);
    // For callers that format a line in place: append to Buffer(), then EndLine().
    std::string& Buffer() { return buffer_; }
    void EndLine();

    // Flushes and closes; closing a file that is not open does nothing.
    void Close();
    // Best effort, for a process that is about to end: errors are ignored.
    void FlushQuietly() noexcept;

private:
    static constexpr std::size_t kFlushThreshold = 256 * 1024;
    static constexpr std::size_t kLineReserve = 4096;  // room for the line that crosses the threshold
    void Flush();
    void WriteBuffer(platform::OutputFile& sink);

    std::unique_ptr<platform::OutputFile> sink_;
    std::string buffer_;
};

// A sink that appends to a string the caller owns.
class MemoryOutputFile : public platform::OutputFile {
public:
    explicit MemoryOutputFile(std::string& target) : target_(target) {}
    void Write(const char* data, std::size_t size) override { target_.append(data, size); }
    void Close() override {}

private:
    std::string& target_;
};

// A sink that keeps nothing, for a walk whose lines are not wanted.
class NullOutputFile : public platform::OutputFile {
public:
    void Write(const char*, std::size_t) override {}
    void Close() override {}
};

}  // namespace morvane
