#pragma once
// Opens a template text file for reading, says on the console when it cannot, and reads its
// lines the way the instrument definition templates have always been read:
// LF or CR LF ends a line, a lone CR is dropped, the last line needs no line end, a Ctrl-Z at the
// start of a line ends the text and a Ctrl-Z inside a line drops the rest of that line.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace morvane {

class TextInputFile {
public:
    bool IsOpen() const { return file_ != nullptr; }
    void Open(std::unique_ptr<platform::RawInputFile> file);
    void Close();

    // Reads one line into line, without its line end.
    void ReadLine(std::string& line);
    // True at the end of the data or at a Ctrl-Z that starts a line.
    bool Eof();

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;
    int Peek();  // the next byte, or -1 at the end
    void Advance() { ++next_; }

    std::unique_ptr<platform::RawInputFile> file_;
    std::vector<std::uint8_t> buffer_;
    std::size_t next_ = 0;
    std::size_t fill_ = 0;
    std::int64_t fileOffset_ = 0;  // file offset just after the buffered bytes
    std::int64_t size_ = 0;        // the file's size when it was opened
};

// Opens the named file as a text file for reading; false on a failure of any kind.
bool OpenText(TextInputFile& F, const std::string& name);

struct FoundTemplate {
    std::string path;                   // to open it by; the name itself in the working directory
    bool readable = false;              // false with a path: it is there but cannot be opened
    std::vector<std::string> searched;  // the places looked in
};
// Looks for a template in the working directory first (a user's own edited templates win), then
// in the program's data directories. The search stops at the first place that has an entry of
// that name, so that a template there that cannot be read is never passed over for another.
// The path is empty when the template is nowhere.
FoundTemplate FindTemplate(const std::string& name);

// Mode 0, the only mode there is: an empty name is asked for on the console first. Writes
// "ERROR -- File not found:  " and the name when the file cannot be opened, whatever the reason.
bool OpenInputFile(TextInputFile& F, std::string& name, std::uint8_t mode);
// The console line of a file that OpenInputFile cannot open.
void ReportFileNotFound(const std::string& name);

}  // namespace morvane
