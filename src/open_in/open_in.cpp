#include "open_in/open_in.h"

#include <algorithm>

#include "platform/Console.h"

namespace morvane {

namespace {

constexpr int kCtrlZ = 26;

}  // namespace

void TextInputFile::Open(std::unique_ptr<platform::RawInputFile> file) {
    file_ = std::move(file);
    // Only what the file holds now is read: the instrument definition file being written can be
    // this very template, and reading what the copy appends would never reach the end.
    size_ = file_->Size();
    buffer_.resize(kBufferSize);
    next_ = fill_ = 0;
    fileOffset_ = 0;
}

void TextInputFile::Close() {
    file_.reset();
    next_ = fill_ = 0;
}

int TextInputFile::Peek() {
    if (next_ < fill_) return buffer_[next_];
    if (!file_) return -1;
    const std::int64_t left = size_ - fileOffset_;
    if (left <= 0) return -1;
    fill_ = file_->ReadAt(fileOffset_, buffer_.data(), static_cast<std::size_t>(std::min<std::int64_t>(left, buffer_.size())));
    next_ = 0;
    fileOffset_ += static_cast<std::int64_t>(fill_);
    return fill_ == 0 ? -1 : buffer_[0];
}

void TextInputFile::ReadLine(std::string& line) {
    line.clear();
    bool lineStarted = false;
    for (int c = Peek(); c >= 0; c = Peek()) {
        if (c == '\n') {
            Advance();
            return;
        }
        if (c == '\r') {
            Advance();
            lineStarted = true;
            if (Peek() == '\n') {
                Advance();
                return;
            }
            continue;
        }
        if (c == kCtrlZ) {
            if (!lineStarted) return;  // the end of the text: left in place for Eof to see
            for (int rest = Peek(); rest >= 0; rest = Peek()) {
                Advance();
                if (rest == '\n') break;
            }
            return;
        }
        line.push_back(static_cast<char>(c));
        lineStarted = true;
        Advance();
    }
}

bool TextInputFile::Eof() {
    const int c = Peek();
    return c < 0 || c == kCtrlZ;
}

bool OpenText(TextInputFile& F, const std::string& name) {
    auto file = platform::OpenTextFileForReading(name);
    if (!file) return false;
    F.Open(std::move(file));
    return true;
}

bool OpenInputFile(TextInputFile& F, std::string& name, std::uint8_t /*mode*/) {
    if (name.empty()) {
        ConsoleWrite("Enter Input FileName (CR to exit)  : ");
        ConsoleFlush();
        if (!platform::ReadStandardInputLine(name) || name.empty()) {
            ConsoleLine("Exiting....");
            return false;
        }
    }
    if (OpenText(F, name)) return true;
    ReportFileNotFound(name);
    return false;
}

void ReportFileNotFound(const std::string& name) { ConsoleLine("ERROR -- File not found:  " + name); }

FoundTemplate FindTemplate(const std::string& name) {
    FoundTemplate found;
    std::vector<std::string> directories = platform::ProgramDataDirectories();
    directories.insert(directories.begin(), std::string());
    for (const std::string& directory : directories) {
        found.searched.push_back(directory.empty() ? "the working directory" : directory);
        const std::string path = directory + name;
        found.readable = platform::OpenTextFileForReading(path) != nullptr;
        if (found.readable || platform::EntryExists(path)) {
            found.path = path;
            return found;
        }
    }
    return found;
}

}  // namespace morvane
