#pragma once
// Shared by the unit tests: in-memory outputs for the process-wide text files, bank buffers
// reset to their start-of-process state, and files in a scratch directory.
#include <cstdint>
#include <string>
#include <vector>

#include "PcgBuilder.h"

namespace testing_support {

// Attaches InsFile and ListingFile to strings for as long as it lives.
class CapturedOutputs {
public:
    CapturedOutputs();
    ~CapturedOutputs();
    const std::string& Ins() const { return ins_; }
    const std::string& Listing() const { return listing_; }
    // Flushes what the files hold so far into the strings.
    void Flush();

private:
    std::string ins_;
    std::string listing_;
};

void ClearBankBuffers();

// Splits text at CR LF; a final line without CR LF is kept too.
std::vector<std::string> Lines(const std::string& text);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
void WriteFile(const std::string& path, const pcgbuild::Bytes& bytes);
bool FileExists(const std::string& path);

// A fresh directory under the system's temporary directory; the working directory moves into
// it for the object's life and everything in it is removed afterwards.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

}  // namespace testing_support
