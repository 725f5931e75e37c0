#include "platform/TextFile.h"

#include "platform/Errors.h"

namespace morvane {

void OutputTextFile::Create(const std::string& name) {
    sink_.reset();
    buffer_.clear();
    sink_ = platform::CreateOutputFile(name);
    buffer_.reserve(kFlushThreshold + kLineReserve);
}

void OutputTextFile::Attach(std::unique_ptr<platform::OutputFile> sink) {
    sink_ = std::move(sink);
    buffer_.clear();
}

void OutputTextFile::WriteLine(std::string_view line) {
    buffer_.append(line);
    EndLine();
}

void OutputTextFile::EndLine() {
    if (!sink_) {
        buffer_.clear();
        throw IoError("write to a file that is not open");
    }
    buffer_.append("\r\n");
    if (buffer_.size() >= kFlushThreshold) Flush();
}

void OutputTextFile::Flush() {
    if (buffer_.empty()) return;
    WriteBuffer(*sink_);
}

// The buffer is emptied even when the write fails: what a failed write did not store is lost
// either way, and a later close must not report the same failure again. Its capacity stays, so
// the next lines go into memory that is already there.
void OutputTextFile::WriteBuffer(platform::OutputFile& sink) {
    try {
        sink.Write(buffer_.data(), buffer_.size());
    } catch (...) {
        buffer_.clear();
        throw;
    }
    buffer_.clear();
}

void OutputTextFile::Close() {
    if (!sink_) return;
    auto sink = std::move(sink_);
    if (!buffer_.empty()) WriteBuffer(*sink);
    sink->Close();
}

void OutputTextFile::FlushQuietly() noexcept {
    try {
        if (sink_) Flush();
    } catch (...) {
    }
}

}  // namespace morvane
