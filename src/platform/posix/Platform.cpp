// POSIX implementation of the platform seam (Linux, macOS).
#include "platform/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <utility>

#include "pathnames/pathnames.h"
#include "platform/Errors.h"
#include "platform/NameListSearch.h"

namespace morvane::platform {

const char kTrailingDelimiter = '/';

namespace {

using FileIdentity = std::pair<dev_t, ino_t>;

// Files open as the converter's input. Windows refuses to create a file over an input opened
// without sharing; this set lets CreateOutputFile refuse the same, links included.
std::set<FileIdentity>& OpenInputs() {
    static std::set<FileIdentity> inputs;
    return inputs;
}

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;  // nothing sensible is left to report a failing console to
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

class PosixInputFile : public RawInputFile {
public:
    PosixInputFile(int fd, std::int64_t size, bool registered, FileIdentity identity)
        : fd_(fd), size_(size), registered_(registered), identity_(identity) {}
    ~PosixInputFile() override {
        if (registered_) OpenInputs().erase(identity_);
        ::close(fd_);
    }
    PosixInputFile(const PosixInputFile&) = delete;
    PosixInputFile& operator=(const PosixInputFile&) = delete;

    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) override {
        for (;;) {
            const ssize_t got = ::pread(fd_, buffer, count, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            return got < 0 ? 0 : static_cast<std::size_t>(got);
        }
    }
    std::int64_t Size() const override { return size_; }

private:
    int fd_;
    std::int64_t size_;
    bool registered_;
    FileIdentity identity_;
};

// Opens a regular file read-only without ever blocking: a FIFO or device is refused before it
// could hold the open up. Returns -1 with errno set on failure.
int OpenRegularFile(const std::string& name, struct stat& info) {
    if (::stat(name.c_str(), &info) != 0) return -1;
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    // The name may have changed between stat and open: judge the file actually opened.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

class PosixOutputFile : public OutputFile {
public:
    PosixOutputFile(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
    ~PosixOutputFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    void Write(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t written = ::write(fd_, data, size);
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) throw IoError(name_, std::strerror(errno));
            if (written == 0) throw IoError(name_, "nothing written");
            data += written;
            size -= static_cast<std::size_t>(written);
        }
    }
    void Close() override {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 && errno != EINTR) throw IoError(name_, std::strerror(errno));
    }

private:
    int fd_;
    std::string name_;
};

bool IsOpenInput(const std::string& name) {
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) return false;
    return OpenInputs().count({info.st_dev, info.st_ino}) > 0;
}

std::function<void()>& ExitNotice() {
    static std::function<void()> notice;
    return notice;
}

std::string ExecutablePath() {
#ifdef __APPLE__
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string path(size, '\0');
    if (_NSGetExecutablePath(path.data(), &size) != 0) return {};
    // The path the program was started by, which may be a symbolic link; its data lies where the
    // link points, as /proc/self/exe gives it on Linux.
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return {};
    path = resolved;
    std::free(resolved);
    return path;
#else
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
#endif
}

}  // namespace

void StartProcess() { std::signal(SIGPIPE, SIG_IGN); }

CommandLine GetCommandLine(int argc, char** argv) {
    CommandLine commandLine;
    commandLine.slashPathsArePositional = true;
    for (int i = 1; i < argc && argv[i][0] != '\0'; ++i) commandLine.args.emplace_back(argv[i]);
    return commandLine;
}

bool StartedByExplorer() { return false; }

CommandLine GetUtf8CommandLine(int argc, char** argv) { return GetCommandLine(argc, argv); }

void WriteStandardOutput(const char* data, std::size_t size) { WriteAll(STDOUT_FILENO, data, size); }

void WriteStandardError(const char* data, std::size_t size) { WriteAll(STDERR_FILENO, data, size); }

bool ReadStandardInputLine(std::string& line) {
    line.clear();
    char c = 0;
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return !line.empty();
        if (c == '\n') break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

std::unique_ptr<RawInputFile> OpenInputFileUnshared(const std::string& name) {
    struct stat info {};
    const int fd = OpenRegularFile(name, info);
    // OpenRegularFile's EINVAL stands for a FIFO, device or socket.
    if (fd < 0) throw IoError(name, errno == EINVAL ? "not a regular file" : std::strerror(errno));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        // flock's own words ("Resource temporarily unavailable") would not tell a user what is wrong.
        throw IoError(name, error == EWOULDBLOCK ? "locked by another program" : std::strerror(error));
    }
    const FileIdentity identity{info.st_dev, info.st_ino};
    const bool registered = OpenInputs().insert(identity).second;
    return std::make_unique<PosixInputFile>(fd, static_cast<std::int64_t>(info.st_size), registered, identity);
}

bool IsDirectory(const std::string& name) {
    struct stat info {};
    return ::stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string FullPathOf(const std::string& name) {
    if (!name.empty() && name[0] == '/') return name;
    std::string directory(4096, '\0');
    if (!::getcwd(directory.data(), directory.size())) return name;
    directory.resize(std::strlen(directory.c_str()));
    return directory + (directory.back() == '/' ? "" : "/") + name;
}

void SetWorkingDirectory(const std::string& directory) {
    if (::chdir(directory.c_str()) != 0) throw IoError(directory, std::strerror(errno));
}

bool EntryExists(const std::string& name) {
    struct stat info {};
    return ::lstat(name.c_str(), &info) == 0;
}

std::unique_ptr<RawInputFile> OpenTextFileForReading(const std::string& name) {
    struct stat info {};
    const int fd = OpenRegularFile(name, info);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixInputFile>(fd, static_cast<std::int64_t>(info.st_size), false, FileIdentity{});
}

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& name) {
    if (IsOpenInput(name)) throw IoError(name, "output would overwrite the input");
    // Non-blocking so that a FIFO without a reader fails instead of hanging the run.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) throw IoError(name, std::strerror(errno));
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return std::make_unique<PosixOutputFile>(fd, name);
}

std::unique_ptr<DirectorySearch> StartDirectorySearch(const std::string& pattern) {
    std::string directory = DirectoryOf(pattern);
    if (directory.empty()) directory = ".";
    const std::string namePattern = FileNameOf(pattern);
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (MatchesWildcard(entry->d_name, namePattern)) names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return std::make_unique<NameListSearch>(std::move(names));
}

std::vector<std::string> ProgramDataDirectories() {
    const std::string executable = ExecutablePath();
    const std::size_t slash = executable.rfind('/');
    if (slash == std::string::npos) return {};
    const std::string directory = executable.substr(0, slash + 1);
    return {directory, directory + "../share/morvane/"};
}

void PreferLargePages(void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
    const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + pageSize - 1) / pageSize * pageSize;
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) / pageSize * pageSize;
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

void ShowUsage(const std::string& title, const std::string& text) {
    const std::string message = title + "\r\n" + text + "\r\n";
    WriteStandardOutput(message.data(), message.size());
}

void ExitProcess(int exitCode) {
    std::function<void()> notice;
    notice.swap(ExitNotice());
    if (notice) notice();
    std::exit(exitCode);
}

void SetExitNotice(std::function<void()> notice) { ExitNotice() = std::move(notice); }

}  // namespace morvane::platform
