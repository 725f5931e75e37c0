#pragma once
// What the browser's implementation of the platform seam holds instead of a file system: the
// files the page hands in (viewed where they lie, never copied), the outputs a conversion
// creates (kept in memory), and the end of a "process" that the page must survive.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace morvane::platform::web {

// The program data directory, where the bundled templates lie: searched after the working
// directory, exactly as the folder beside the executable is on the command line. A name
// without a directory part is in the working directory.
constexpr const char* kProgramDataDirectory = "bundled/";

// Adds or replaces a file. The bytes are viewed, not copied: they must stay where they are
// until the file is removed or replaced.
void AddFile(const std::string& path, const std::uint8_t* data, std::size_t size);
void RemoveFile(const std::string& path);
// Every file of the working directory (inputs, your templates, outputs); the bundled ones stay.
void ClearWorkingDirectory();

struct Output {
    std::string name;
    const std::string* bytes;  // valid until the outputs are cleared or the name is created again
};
// The files created since the outputs were last cleared, in the order they were first created.
std::vector<Output> Outputs();
void ClearOutputs();

// What ExitProcess throws instead of ending the page: the driver's own error handling catches
// std::exception only, so this passes every catch on its way up to the browser entry.
struct ProcessEnded {
    int exitCode;
};

}  // namespace morvane::platform::web
