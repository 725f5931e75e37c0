#include "TestSupport.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PCG_readINS/ProcessState.h"

namespace testing_support {

namespace fs = std::filesystem;

CapturedOutputs::CapturedOutputs() {
    morvane::InsFile.Attach(std::make_unique<morvane::MemoryOutputFile>(ins_));
    morvane::ListingFile.Attach(std::make_unique<morvane::MemoryOutputFile>(listing_));
}

CapturedOutputs::~CapturedOutputs() {
    morvane::InsFile.Attach(nullptr);
    morvane::ListingFile.Attach(nullptr);
}

void CapturedOutputs::Flush() {
    // Closing writes the buffered lines; the strings stay attached through fresh sinks.
    morvane::InsFile.Close();
    morvane::ListingFile.Close();
    morvane::InsFile.Attach(std::make_unique<morvane::MemoryOutputFile>(ins_));
    morvane::ListingFile.Attach(std::make_unique<morvane::MemoryOutputFile>(listing_));
}

void ClearBankBuffers() {
    std::memset(morvane::ProgramBankHD1, 0, sizeof morvane::ProgramBankHD1);
    std::memset(morvane::ProgramBankEXi, 0, sizeof morvane::ProgramBankEXi);
    std::memset(morvane::CombiBank, 0, sizeof morvane::CombiBank);
    std::memset(morvane::SetListBank, 0, sizeof morvane::SetListBank);
    std::memset(morvane::SetListDataBlock, 0, sizeof morvane::SetListDataBlock);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const pcgbuild::Bytes& bytes) {
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

ScratchDirectory::ScratchDirectory() {
    std::random_device device;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("morvane-test-" + std::to_string(device()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate.string();
            break;
        }
    }
    if (path_.empty()) throw std::runtime_error("cannot create a scratch directory");
    previous_ = fs::current_path().string();
    fs::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code error;
    fs::current_path(previous_, error);
    fs::remove_all(path_, error);
}

}  // namespace testing_support
