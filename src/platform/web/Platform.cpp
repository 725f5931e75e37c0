// The browser's implementation of the platform seam: a table of files in memory instead of a
// file system, no console of its own (the entry captures it), and an exit that returns to the
// page instead of ending it.
#include "platform/Platform.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "pathnames/pathnames.h"
#include "platform/Errors.h"
#include "platform/NameListSearch.h"
#include "platform/web/FileTable.h"

namespace morvane::platform {

const char kTrailingDelimiter = '/';

namespace {

// A file handed in by the page (viewed) or created by a conversion (owned).
struct TableFile {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::shared_ptr<std::string> created;  // set for an output
};

struct FileTable {
    std::map<std::string, TableFile> files;
    std::vector<std::string> outputOrder;
    std::string openInput;  // the input being read; no output may be created over it
};

FileTable& Table() {
    static FileTable table;
    return table;
}

// "./bank.pcg" and "bank.pcg" name the same file of the working directory.
std::string Normalized(std::string name) {
    while (name.size() > 2 && name[0] == '.' && name[1] == '/') name.erase(0, 2);
    return name;
}

const TableFile* Find(const std::string& name) {
    const auto found = Table().files.find(Normalized(name));
    return found == Table().files.end() ? nullptr : &found->second;
}

class TableInputFile : public RawInputFile {
public:
    // An output is read through a shared hold on its bytes, so that creating it again does not
    // pull them away from a reader.
    explicit TableInputFile(const TableFile& file) : created_(file.created) {
        data_ = created_ ? reinterpret_cast<const std::uint8_t*>(created_->data()) : file.data;
        size_ = created_ ? created_->size() : file.size;
    }
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) override {
        if (offset < 0 || static_cast<std::uint64_t>(offset) >= size_) return 0;
        const std::size_t delivered = std::min(count, size_ - static_cast<std::size_t>(offset));
        std::memcpy(buffer, data_ + offset, delivered);
        return delivered;
    }
    std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }

private:
    std::shared_ptr<std::string> created_;
    const std::uint8_t* data_;
    std::size_t size_;
};

class UnsharedInputFile : public TableInputFile {
public:
    UnsharedInputFile(const TableFile& file, std::string name) : TableInputFile(file) { Table().openInput = std::move(name); }
    ~UnsharedInputFile() override { Table().openInput.clear(); }
    UnsharedInputFile(const UnsharedInputFile&) = delete;
    UnsharedInputFile& operator=(const UnsharedInputFile&) = delete;
};

class TableOutputFile : public OutputFile {
public:
    explicit TableOutputFile(std::shared_ptr<std::string> bytes) : bytes_(std::move(bytes)) {}
    void Write(const char* data, std::size_t size) override { bytes_->append(data, size); }
    void Close() override {}

private:
    std::shared_ptr<std::string> bytes_;
};

std::function<void()>& ExitNotice() {
    static std::function<void()> notice;
    return notice;
}

}  // namespace

namespace web {

void AddFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    RemoveFile(path);
    Table().files[Normalized(path)] = TableFile{data, size, nullptr};
}

void RemoveFile(const std::string& path) {
    const std::string name = Normalized(path);
    Table().files.erase(name);
    auto& order = Table().outputOrder;
    order.erase(std::remove(order.begin(), order.end(), name), order.end());
}

void ClearWorkingDirectory() {
    auto& files = Table().files;
    for (auto it = files.begin(); it != files.end();) {
        it = it->first.rfind(kProgramDataDirectory, 0) == 0 ? std::next(it) : files.erase(it);
    }
    Table().outputOrder.clear();
    Table().openInput.clear();
}

std::vector<Output> Outputs() {
    std::vector<Output> outputs;
    for (const std::string& name : Table().outputOrder) outputs.push_back({name, Table().files.at(name).created.get()});
    return outputs;
}

void ClearOutputs() {
    for (const std::string& name : Table().outputOrder) Table().files.erase(name);
    Table().outputOrder.clear();
}

}  // namespace web

void StartProcess() {}

CommandLine GetCommandLine(int argc, char** argv) {
    CommandLine commandLine;
    commandLine.slashPathsArePositional = true;
    for (int i = 1; i < argc && argv[i][0] != '\0'; ++i) commandLine.args.emplace_back(argv[i]);
    return commandLine;
}

bool StartedByExplorer() { return false; }

CommandLine GetUtf8CommandLine(int argc, char** argv) { return GetCommandLine(argc, argv); }

// The entry captures the console of every conversion; anything said outside one has no reader.
void WriteStandardOutput(const char*, std::size_t) {}

void WriteStandardError(const char*, std::size_t) {}

bool ReadStandardInputLine(std::string& line) {
    line.clear();
    return false;
}

std::unique_ptr<RawInputFile> OpenInputFileUnshared(const std::string& name) {
    const TableFile* file = Find(name);
    if (!file) throw IoError(name, "No such file or directory");
    if (!Table().openInput.empty()) throw IoError(name, "locked by another program");
    return std::make_unique<UnsharedInputFile>(*file, Normalized(name));
}

bool EntryExists(const std::string& name) { return Find(name) != nullptr; }

std::unique_ptr<RawInputFile> OpenTextFileForReading(const std::string& name) {
    const TableFile* file = Find(name);
    if (!file) return nullptr;
    return std::make_unique<TableInputFile>(*file);
}

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& name) {
    const std::string normalized = Normalized(name);
    if (normalized == Table().openInput) throw IoError(name, "output would overwrite the input");
    auto bytes = std::make_shared<std::string>();
    auto& order = Table().outputOrder;
    if (std::find(order.begin(), order.end(), normalized) == order.end()) order.push_back(normalized);
    Table().files[normalized] = TableFile{nullptr, 0, bytes};
    return std::make_unique<TableOutputFile>(std::move(bytes));
}

bool IsDirectory(const std::string&) { return false; }

std::string FullPathOf(const std::string& name) { return name; }

void SetWorkingDirectory(const std::string& directory) { throw IoError(directory, "the page has no folders"); }

// The working directory's entries; the page hands in no folders.
std::unique_ptr<DirectorySearch> StartDirectorySearch(const std::string& pattern) {
    std::vector<std::string> names;
    if (DirectoryOf(pattern).empty()) {
        const std::string namePattern = FileNameOf(pattern);
        for (const auto& [name, file] : Table().files) {
            if (DirectoryOf(name).empty() && MatchesWildcard(name, namePattern)) names.push_back(name);
        }
    }
    return std::make_unique<NameListSearch>(std::move(names));
}

std::vector<std::string> ProgramDataDirectories() { return {web::kProgramDataDirectory}; }

void PreferLargePages(void*, std::size_t) {}

void ShowUsage(const std::string& title, const std::string& text) {
    const std::string message = title + "\r\n" + text + "\r\n";
    WriteStandardOutput(message.data(), message.size());
}

MessageRoom MessageBoxRoom() { return {40, 100}; }

void ShowMessageBox(const std::string& title, const std::string& text, MessageIcon) {
    const std::string message = title + "\r\n" + text + "\r\n";
    WriteStandardOutput(message.data(), message.size());
}

void ExitProcess(int exitCode) {
    std::function<void()> notice;
    notice.swap(ExitNotice());
    if (notice) notice();
    throw web::ProcessEnded{exitCode};
}

void SetExitNotice(std::function<void()> notice) { ExitNotice() = std::move(notice); }

}  // namespace morvane::platform
