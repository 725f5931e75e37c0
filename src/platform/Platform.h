#pragma once
// The one seam to the operating system. Everything above this header is portable; the POSIX and
// Win32 implementations live in posix/ and win32/.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morvane::platform {

// The process's arguments without the program name, split by the platform's rules.
// On POSIX an argument such as /home/me/bank.pcg is a path, not a switch.
// Called once before anything else: sets up what the process needs from the system (on POSIX,
// a closed pipe on standard output must not kill a conversion half way).
void StartProcess();

struct CommandLine {
    std::vector<std::string> args;
    bool slashPathsArePositional = false;
};
// argc and argv are main's: POSIX takes the arguments from them, Windows from GetCommandLineA.
CommandLine GetCommandLine(int argc, char** argv);

// Started by Explorer: a file dropped on the program or on a shortcut to it, "Send to", a
// double-click. Windows only: the console was made for this process alone (no shell shares it)
// and standard output is that console, on a desktop a person sees. POSIX never is.
bool StartedByExplorer();

// The arguments as UTF-8 (Windows reads them from the UTF-16 command line, where every name
// Explorer passes is whole) and, from then on, every file name given to or taken from this
// seam, and every error text, in UTF-8. On POSIX names are bytes already: as GetCommandLine.
CommandLine GetUtf8CommandLine(int argc, char** argv);

// The character appended to a directory part to join a file name to it.
extern const char kTrailingDelimiter;

void WriteStandardOutput(const char* data, std::size_t size);
void WriteStandardError(const char* data, std::size_t size);
// One line typed on standard input, without its line end; false at the end of the input.
bool ReadStandardInputLine(std::string& line);

// A file opened for reading. ReadAt returns the count delivered from the given offset: fewer at
// the end, 0 after an error.
class RawInputFile {
public:
    virtual ~RawInputFile() = default;
    virtual std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) = 0;
    virtual std::int64_t Size() const = 0;
};

// The converter's input: read-only and held without sharing, so that no output can be written
// over it while it is open. Throws IoError when the file cannot be opened that way.
std::unique_ptr<RawInputFile> OpenInputFileUnshared(const std::string& name);

// True when a directory entry of that name exists, whatever it is and whether or not it can be
// opened (a broken symbolic link included).
bool EntryExists(const std::string& name);

// A template: read-only, shared. Returns null on failure of any kind.
std::unique_ptr<RawInputFile> OpenTextFileForReading(const std::string& name);

class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void Write(const char* data, std::size_t size) = 0;  // throws IoError
    virtual void Close() = 0;                                    // throws IoError
};

// Creates or truncates; refuses (IoError) a file that is open as the converter's input.
std::unique_ptr<OutputFile> CreateOutputFile(const std::string& name);

// True when the name is a directory.
bool IsDirectory(const std::string& name);

// The name as a full path, by the working directory; the name itself when the system cannot say.
std::string FullPathOf(const std::string& name);

// Makes the directory the working directory; IoError when it cannot be.
void SetWorkingDirectory(const std::string& directory);

// Entries of a directory whose names match a wildcard pattern, entries of every kind included.
class DirectorySearch {
public:
    virtual ~DirectorySearch() = default;
    virtual bool Next(std::string& entryName) = 0;
};
std::unique_ptr<DirectorySearch> StartDirectorySearch(const std::string& pattern);

// Directories that may hold the program's own data files (the bundled templates), in the order
// they are searched after the working directory: beside the executable, then, on Linux and
// macOS, the installed layout's ../share/morvane. Each ends in its delimiter; a directory that
// cannot be determined is left out.
std::vector<std::string> ProgramDataDirectories();

// A hint that a large buffer is better served by large pages: fewer page faults the first time
// it is filled. Does nothing where the system has no such hint.
void PreferLargePages(void* data, std::size_t size);

void ShowUsage(const std::string& title, const std::string& text);

// A modal message box with an OK button, its title and text in UTF-8. How much text it can show
// without growing past the screen, in lines of about that many characters. Both live apart from
// the rest of the seam (win32/MessageBox.cpp), so that a test build can read the box instead of
// waiting for a click.
enum class MessageIcon { Information, Warning };
struct MessageRoom {
    std::size_t lines = 0;
    std::size_t columns = 0;
};
MessageRoom MessageBoxRoom();
void ShowMessageBox(const std::string& title, const std::string& text, MessageIcon icon);

// Ends the process with the exit code; the notice, when one is set, runs first (once).
[[noreturn]] void ExitProcess(int exitCode);
void SetExitNotice(std::function<void()> notice);

}  // namespace morvane::platform
