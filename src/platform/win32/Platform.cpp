// Win32 implementation of the platform seam.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h maps GetCommandLine to GetCommandLineA; the seam's function of that name is ours.
#undef GetCommandLine

#include "platform/Platform.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>
#include <utility>

#include "platform/Errors.h"
#include "platform/WindowsCommandLine.h"
#include "platform/win32/Utf16.h"

namespace morvane::platform {

const char kTrailingDelimiter = '\\';

namespace {

// File names come in the ANSI code page and go to the A functions, as they always have, until
// GetUtf8CommandLine: the code page cannot hold every name Explorer passes, so from then on
// names are UTF-8 and go to the W functions.
bool utf8Names = false;

// The largest count one ReadFile or WriteFile call is given.
constexpr std::size_t kMaxTransfer = 0x40000000;

DWORD TransferSize(std::size_t count) { return static_cast<DWORD>(std::min(count, kMaxTransfer)); }

std::string SystemMessage(DWORD error) {
    constexpr DWORD kFlags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (utf8Names) {
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(kFlags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::string message = length > 0 && text ? Utf8(text, length) : std::string();
        if (text) ::LocalFree(text);
        return message;
    }
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(kFlags, nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text ? std::string(text, length) : std::string();
    if (text) ::LocalFree(text);
    return message;
}

std::string ErrorText(DWORD error) {
    std::string message = SystemMessage(error);
    // System messages end in CR LF and some hold more lines; the error report is one line.
    for (char& c : message) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    while (!message.empty() && message.back() == ' ') message.pop_back();
    if (message.empty()) message = "Windows error " + std::to_string(error);
    return message;
}

void WriteAll(DWORD which, const char* data, std::size_t size) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    while (size > 0) {
        DWORD written = 0;
        // Nothing sensible is left to report a failing console to.
        if (!::WriteFile(handle, data, TransferSize(size), &written, nullptr) || written == 0) return;
        data += written;
        size -= written;
    }
}

HANDLE CreateNamedFile(const std::string& name, DWORD access, DWORD share, DWORD disposition) {
    if (utf8Names)
        return ::CreateFileW(Wide(name).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return ::CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD AttributesOf(const std::string& name) {
    return utf8Names ? ::GetFileAttributesW(Wide(name).c_str()) : ::GetFileAttributesA(name.c_str());
}

// The full path of a file, folded to upper case as the file system compares names; empty when
// the system cannot say.
std::string FoldedFullPath(const std::string& name) {
    if (utf8Names) {
        wchar_t path[MAX_PATH * 4];
        const DWORD length = ::GetFullPathNameW(Wide(name).c_str(), MAX_PATH * 4, path, nullptr);
        if (length == 0 || length >= MAX_PATH * 4) return {};
        ::CharUpperBuffW(path, length);
        return Utf8(path, length);
    }
    char path[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameA(name.c_str(), sizeof path, path, nullptr);
    if (length == 0 || length >= sizeof path) return {};
    std::string folded(path, length);
    for (char& c : folded) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return folded;
}

// Inputs open without sharing, by folded full path: an output that cannot be created because
// of one of them is told apart from a file another program holds.
std::set<std::string>& OpenInputs() {
    static std::set<std::string> inputs;
    return inputs;
}

class Win32InputFile : public RawInputFile {
public:
    Win32InputFile(HANDLE handle, std::int64_t size, std::string registeredPath = {})
        : handle_(handle), size_(size), registeredPath_(std::move(registeredPath)) {}
    ~Win32InputFile() override {
        if (!registeredPath_.empty()) OpenInputs().erase(registeredPath_);
        ::CloseHandle(handle_);
    }
    Win32InputFile(const Win32InputFile&) = delete;
    Win32InputFile& operator=(const Win32InputFile&) = delete;

    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) override {
        if (offset < 0 || !Seek(offset)) return 0;
        auto* out = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < count) {
            DWORD got = 0;
            if (!::ReadFile(handle_, out + done, TransferSize(count - done), &got, nullptr) || got == 0) break;
            done += got;
        }
        return done;
    }
    std::int64_t Size() const override { return size_; }

private:
    bool Seek(std::int64_t offset) {
        LONG high = static_cast<LONG>(offset >> 32);
        // A low part that reads as INVALID_SET_FILE_POINTER is a failure only with an error set.
        ::SetLastError(NO_ERROR);
        const DWORD low = ::SetFilePointer(handle_, static_cast<LONG>(offset & 0xFFFFFFFF), &high, FILE_BEGIN);
        return low != INVALID_SET_FILE_POINTER || ::GetLastError() == NO_ERROR;
    }

    HANDLE handle_;
    std::int64_t size_;
    std::string registeredPath_;
};

// Opens a disk file for reading with the given sharing. Returns the error code, NO_ERROR when
// the file is open. An input held without sharing is registered under its full path while it
// is open.
DWORD OpenForReading(const std::string& name, DWORD share, std::unique_ptr<RawInputFile>& file) {
    const HANDLE handle = CreateNamedFile(name, GENERIC_READ, share, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) return ::GetLastError();
    // Devices (CON, NUL, COM1) and pipes open under a plain name too: only a disk file is an input.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return ERROR_INVALID_FUNCTION;
    }
    DWORD high = 0;
    ::SetLastError(NO_ERROR);
    const DWORD low = ::GetFileSize(handle, &high);
    if (low == INVALID_FILE_SIZE) {
        const DWORD error = ::GetLastError();
        if (error != NO_ERROR) {
            ::CloseHandle(handle);
            return error;
        }
    }
    const auto size = static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
    std::string registeredPath;
    if (share == 0) {
        registeredPath = FoldedFullPath(name);
        if (!registeredPath.empty() && !OpenInputs().insert(registeredPath).second) registeredPath.clear();
    }
    file = std::make_unique<Win32InputFile>(handle, size, std::move(registeredPath));
    return NO_ERROR;
}

class Win32OutputFile : public OutputFile {
public:
    Win32OutputFile(HANDLE handle, std::string name) : handle_(handle), name_(std::move(name)) {}
    ~Win32OutputFile() override {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    Win32OutputFile(const Win32OutputFile&) = delete;
    Win32OutputFile& operator=(const Win32OutputFile&) = delete;

    void Write(const char* data, std::size_t size) override {
        while (size > 0) {
            DWORD written = 0;
            if (!::WriteFile(handle_, data, TransferSize(size), &written, nullptr))
                throw IoError(name_, ErrorText(::GetLastError()));
            if (written == 0) throw IoError(name_, "nothing written");
            data += written;
            size -= written;
        }
    }
    void Close() override {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        if (!::CloseHandle(handle)) throw IoError(name_, ErrorText(::GetLastError()));
    }

private:
    HANDLE handle_;
    std::string name_;
};

// FindData is WIN32_FIND_DATAA or WIN32_FIND_DATAW, as the file names are.
template <typename FindData>
class Win32DirectorySearch : public DirectorySearch {
public:
    explicit Win32DirectorySearch(const std::string& pattern) {
        handle_ = FindFirst(pattern, found_);
        pending_ = handle_ != INVALID_HANDLE_VALUE;
    }
    ~Win32DirectorySearch() override {
        if (handle_ != INVALID_HANDLE_VALUE) ::FindClose(handle_);
    }
    Win32DirectorySearch(const Win32DirectorySearch&) = delete;
    Win32DirectorySearch& operator=(const Win32DirectorySearch&) = delete;

    bool Next(std::string& entryName) override {
        if (!pending_) {
            if (handle_ == INVALID_HANDLE_VALUE || !FindNext(handle_, found_)) return false;
        }
        pending_ = false;
        entryName = NameOf(found_);
        return true;
    }

private:
    static HANDLE FindFirst(const std::string& pattern, WIN32_FIND_DATAA& found) {
        return ::FindFirstFileA(pattern.c_str(), &found);
    }
    static HANDLE FindFirst(const std::string& pattern, WIN32_FIND_DATAW& found) {
        return ::FindFirstFileW(Wide(pattern).c_str(), &found);
    }
    static BOOL FindNext(HANDLE handle, WIN32_FIND_DATAA& found) { return ::FindNextFileA(handle, &found); }
    static BOOL FindNext(HANDLE handle, WIN32_FIND_DATAW& found) { return ::FindNextFileW(handle, &found); }
    static std::string NameOf(const WIN32_FIND_DATAA& found) { return found.cFileName; }
    static std::string NameOf(const WIN32_FIND_DATAW& found) { return Utf8(found.cFileName, ::wcslen(found.cFileName)); }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    FindData found_{};
    bool pending_ = false;  // found_ holds an entry that Next has not delivered yet
};

std::function<void()>& ExitNotice() {
    static std::function<void()> notice;
    return notice;
}

}  // namespace

// A missing disk or a drive that is not ready fails the open instead of stopping the run with
// a system dialog.
void StartProcess() { ::SetErrorMode(SEM_FAILCRITICALERRORS); }

CommandLine GetCommandLine(int /*argc*/, char** /*argv*/) {
    CommandLine commandLine;
    commandLine.args = SplitWindowsCommandLine(::GetCommandLineA());
    commandLine.slashPathsArePositional = false;
    return commandLine;
}

// A console of the user's (cmd, PowerShell, a script's) has its shell attached too; one made for
// this process when it started holds it alone. A service or a task that runs whether or not
// someone is logged on has a console of its own as well, but no desktop anyone sees: a box there
// would wait for ever.
bool StartedByExplorer() {
    DWORD processes[2];
    if (::GetConsoleProcessList(processes, 2) != 1) return false;
    DWORD mode = 0;
    if (!::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode)) return false;
    USEROBJECTFLAGS station{};
    DWORD size = 0;
    if (!::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &station, sizeof station, &size))
        return false;
    return (station.dwFlags & WSF_VISIBLE) != 0;
}

CommandLine GetUtf8CommandLine(int /*argc*/, char** /*argv*/) {
    utf8Names = true;
    const wchar_t* wide = ::GetCommandLineW();
    CommandLine commandLine;
    // Split as GetCommandLineA's bytes are: UTF-8 keeps every byte up to 32 and every '"' as it is.
    commandLine.args = SplitWindowsCommandLine(Utf8(wide, ::wcslen(wide)).c_str());
    commandLine.slashPathsArePositional = false;
    return commandLine;
}

void WriteStandardOutput(const char* data, std::size_t size) { WriteAll(STD_OUTPUT_HANDLE, data, size); }

void WriteStandardError(const char* data, std::size_t size) { WriteAll(STD_ERROR_HANDLE, data, size); }

bool ReadStandardInputLine(std::string& line) {
    line.clear();
    const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    for (;;) {
        char c = 0;
        DWORD got = 0;
        if (!::ReadFile(handle, &c, 1, &got, nullptr) || got == 0) return !line.empty();
        if (c == '\n') break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

std::unique_ptr<RawInputFile> OpenInputFileUnshared(const std::string& name) {
    std::unique_ptr<RawInputFile> file;
    const DWORD error = OpenForReading(name, 0, file);
    if (error != NO_ERROR) throw IoError(name, ErrorText(error));
    return file;
}

bool EntryExists(const std::string& name) { return AttributesOf(name) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::string& name) {
    const DWORD attributes = AttributesOf(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string FullPathOf(const std::string& name) {
    if (utf8Names) {
        wchar_t path[MAX_PATH * 4];
        const DWORD length = ::GetFullPathNameW(Wide(name).c_str(), MAX_PATH * 4, path, nullptr);
        return length == 0 || length >= MAX_PATH * 4 ? name : Utf8(path, length);
    }
    char path[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameA(name.c_str(), sizeof path, path, nullptr);
    return length == 0 || length >= sizeof path ? name : std::string(path, length);
}

void SetWorkingDirectory(const std::string& directory) {
    const BOOL done = utf8Names ? ::SetCurrentDirectoryW(Wide(directory).c_str()) : ::SetCurrentDirectoryA(directory.c_str());
    if (!done) throw IoError(directory, ErrorText(::GetLastError()));
}

std::unique_ptr<RawInputFile> OpenTextFileForReading(const std::string& name) {
    std::unique_ptr<RawInputFile> file;
    if (OpenForReading(name, FILE_SHARE_READ, file) != NO_ERROR) return nullptr;
    return file;
}

// An output named like the open input fails here by itself: the input is held without sharing.
std::unique_ptr<OutputFile> CreateOutputFile(const std::string& name) {
    const HANDLE handle = CreateNamedFile(name, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION && OpenInputs().count(FoldedFullPath(name)) > 0)
            throw IoError(name, "output would overwrite the input");
        throw IoError(name, ErrorText(error));
    }
    return std::make_unique<Win32OutputFile>(handle, name);
}

std::unique_ptr<DirectorySearch> StartDirectorySearch(const std::string& pattern) {
    if (utf8Names) return std::make_unique<Win32DirectorySearch<WIN32_FIND_DATAW>>(pattern);
    return std::make_unique<Win32DirectorySearch<WIN32_FIND_DATAA>>(pattern);
}

std::vector<std::string> ProgramDataDirectories() {
    std::string executable;
    if (utf8Names) {
        wchar_t path[MAX_PATH * 4];
        const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
        if (length == 0 || length >= MAX_PATH * 4) return {};
        executable = Utf8(path, length);
    } else {
        char path[MAX_PATH * 4];
        const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
        if (length == 0 || length >= sizeof path) return {};
        executable.assign(path, length);
    }
    const std::size_t delimiter = executable.find_last_of("\\/:");
    if (delimiter == std::string::npos) return {};
    return {executable.substr(0, delimiter + 1)};
}

// Large pages on Windows need a privilege users do not have; the buffers stay as they are.
void PreferLargePages(void* /*data*/, std::size_t /*size*/) {}

void ShowUsage(const std::string& title, const std::string& text) {
    ::MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
}

void ExitProcess(int exitCode) {
    std::function<void()> notice;
    notice.swap(ExitNotice());
    if (notice) notice();
    ::ExitProcess(static_cast<UINT>(exitCode));
}

void SetExitNotice(std::function<void()> notice) { ExitNotice() = std::move(notice); }

}  // namespace morvane::platform
